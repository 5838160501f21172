#include "win/win_ui.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <utility>

#include "base/runtime_error.h"
#include "controls/report_grid.h"
#include "win/text_layout.h"
#include "win/wide_text.h"

namespace lirvo::win {
namespace {

// ---- Modal dialogs ----------------------------------------------------------

// An empty dialog template in memory: a caption, a size in dialog units and
// the "MS Shell Dlg" font, with no controls (the view makes its own).
class DialogTemplate {
 public:
  DialogTemplate(const std::wstring& caption, short width, short height) {
    DLGTEMPLATE header{};
    header.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_CENTER;
    header.cx = width;
    header.cy = height;
    Append(&header, sizeof(header));
    AppendWord(0);  // no menu
    AppendWord(0);  // the system's dialog class
    AppendText(caption);
    AppendWord(8);  // points
    AppendText(L"MS Shell Dlg");
  }
  const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  void Append(const void* data, size_t bytes) {
    const size_t at = words_.size();
    words_.resize(at + (bytes + 1) / 2);
    std::memcpy(words_.data() + at, data, bytes);
  }
  void AppendWord(WORD word) { words_.push_back(word); }
  void AppendText(const std::wstring& text) {
    Append(text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  }

  std::vector<WORD> words_;  // WORD-aligned, as the template must be
};

struct ModalState {
  ui::ModalForm* form;
  const WinUi::ViewFactory* factory;
  std::unique_ptr<ModalView> view;
};

INT_PTR CALLBACK ModalProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* state = reinterpret_cast<ModalState*>(::GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      state = reinterpret_cast<ModalState*>(lparam);
      ::SetWindowLongPtrW(dialog, DWLP_USER, lparam);
      try {
        if (state->factory != nullptr) state->view = (*state->factory)(*state->form, dialog);
      } catch (...) {
        // A view that cannot be made leaves the dialog empty.
        state->view.reset();
      }
      return TRUE;
    case WM_COMMAND:
      if (state != nullptr && state->view &&
          state->view->Command(LOWORD(wparam), HIWORD(wparam), reinterpret_cast<HWND>(lparam))) {
        if (!state->form->IsOpen()) ::EndDialog(dialog, IDOK);
        return TRUE;
      }
      if (LOWORD(wparam) == IDCANCEL) {
        ::EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      return FALSE;
    case WM_NOTIFY: {
      LRESULT result = 0;
      if (state != nullptr && state->view &&
          state->view->Notify(*reinterpret_cast<const NMHDR*>(lparam), result)) {
        ::SetWindowLongPtrW(dialog, DWLP_MSGRESULT, result);
        if (!state->form->IsOpen()) ::EndDialog(dialog, IDOK);
        return TRUE;
      }
      return FALSE;
    }
    case WM_CTLCOLORSTATIC:
      if (state != nullptr && state->view) {
        HBRUSH brush = state->view->ControlColor(reinterpret_cast<HWND>(lparam),
                                                 reinterpret_cast<HDC>(wparam));
        // A dialog procedure answers this message with the brush itself.
        if (brush != nullptr) return reinterpret_cast<INT_PTR>(brush);
      }
      return FALSE;
    case WM_DRAWITEM:
      if (state != nullptr && state->view &&
          state->view->DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam))) {
        ::SetWindowLongPtrW(dialog, DWLP_MSGRESULT, TRUE);
        return TRUE;
      }
      return FALSE;
    case WM_CLOSE:
      ::EndDialog(dialog, IDCANCEL);
      return TRUE;
    default:
      return FALSE;
  }
}

// ---- Folder browser -----------------------------------------------------------

int CALLBACK BrowseProc(HWND window, UINT message, LPARAM, LPARAM data) {
  if (message == BFFM_INITIALIZED && data != 0) {
    ::SendMessageW(window, BFFM_SETSELECTIONW, TRUE, data);
  }
  return 0;
}

// ---- Printing ------------------------------------------------------------------

// One line of a printout: its text, how far it is indented (levels) and
// whether it is bold. A list row has one text per column.
struct PrintLine {
  std::vector<std::wstring> cells;
  int indent = 0;
  bool bold = false;
};

// The default printer's device context, in landscape when asked; null when
// the machine has no printer.
HDC DefaultPrinterDc(bool landscape) {
  PRINTDLGW dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.Flags = PD_RETURNDEFAULT;
  if (!::PrintDlgW(&dialog) || dialog.hDevNames == nullptr) return nullptr;
  HDC dc = nullptr;
  auto* names = static_cast<DEVNAMES*>(::GlobalLock(dialog.hDevNames));
  auto* mode = dialog.hDevMode ? static_cast<DEVMODEW*>(::GlobalLock(dialog.hDevMode)) : nullptr;
  if (names != nullptr) {
    if (mode != nullptr && landscape) {
      mode->dmFields |= DM_ORIENTATION;
      mode->dmOrientation = DMORIENT_LANDSCAPE;
    }
    const wchar_t* base = reinterpret_cast<const wchar_t*>(names);
    dc = ::CreateDCW(base + names->wDriverOffset, base + names->wDeviceOffset, nullptr, mode);
    ::GlobalUnlock(dialog.hDevNames);
  }
  if (mode != nullptr) ::GlobalUnlock(dialog.hDevMode);
  ::GlobalFree(dialog.hDevNames);
  if (dialog.hDevMode) ::GlobalFree(dialog.hDevMode);
  return dc;
}

// The printable area of `dc` inside a margin of half an inch.
RECT PageArea(HDC dc) {
  const int dpi_x = ::GetDeviceCaps(dc, LOGPIXELSX);
  const int dpi_y = ::GetDeviceCaps(dc, LOGPIXELSY);
  return {dpi_x / 2, dpi_y / 2, ::GetDeviceCaps(dc, HORZRES) - dpi_x / 2,
          ::GetDeviceCaps(dc, VERTRES) - dpi_y / 2};
}

// Prints `count` lines on `dc` as one document: line i is `height(i)` tall
// and drawn by `draw(i, y)` at the top `y`, a new page when the page is full.
// Raises 482 when the printer refuses the document.
void PrintDocument(HDC dc, const std::wstring& title, size_t count,
                   const std::function<int(size_t)>& height,
                   const std::function<void(size_t, int)>& draw) {
  const RECT page = PageArea(dc);
  DOCINFOW doc{};
  doc.cbSize = sizeof(doc);
  doc.lpszDocName = title.c_str();
  bool ok = ::StartDocW(dc, &doc) > 0 && ::StartPage(dc) > 0;
  int y = page.top;
  for (size_t i = 0; ok && i < count; ++i) {
    if (y + height(i) > page.bottom && y > page.top) {
      ok = ::EndPage(dc) > 0 && ::StartPage(dc) > 0;
      y = page.top;
    }
    draw(i, y);
    y += height(i);
  }
  if (ok) ok = ::EndPage(dc) > 0 && ::EndDoc(dc) > 0;
  if (!ok) {
    ::AbortDoc(dc);
    throw RuntimeError(kErrPrinter);
  }
}

// Prints `lines` on `dc`: the font `face` (Arial when empty) at `points`, the
// cells of a line at the column starts `shares` gives (fractions of the
// width).
void PrintLines(HDC dc, const std::vector<PrintLine>& lines, const std::vector<double>& shares,
                const std::wstring& title, const std::string& face, float points) {
  const RECT page = PageArea(dc);
  FontSet fonts(dc);
  controls::TextStyle style{face.empty() ? "Arial" : face, points, 0, false};
  const int line_height = static_cast<int>(
      points * 1.2f * static_cast<float>(::GetDeviceCaps(dc, LOGPIXELSY)) / 72 + 0.5f);
  const HGDIOBJ previous = ::GetCurrentObject(dc, OBJ_FONT);
  const auto draw = [&](size_t i, int y) {
    const PrintLine& line = lines[i];
    style.bold = line.bold;
    ::SelectObject(dc, fonts.For(style));
    double start = 0;
    for (size_t c = 0; c < line.cells.size(); ++c) {
      const double share = c < shares.size() ? shares[c] : 1.0;
      const int width = page.right - page.left;
      RECT box{page.left + static_cast<int>(start * width), y,
               page.left + static_cast<int>((start + share) * width), y + line_height};
      if (c == 0) box.left += line.indent * ::GetDeviceCaps(dc, LOGPIXELSX) / 4;
      ::DrawTextW(dc, line.cells[c].c_str(), static_cast<int>(line.cells[c].size()), &box,
                  DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
      start += share;
    }
  };
  try {
    PrintDocument(
        dc, title, lines.size(), [&](size_t) { return line_height; }, draw);
  } catch (...) {
    ::SelectObject(dc, previous);  // before the set deletes its fonts
    throw;
  }
  ::SelectObject(dc, previous);
}

// One of the system's pointers (IDC_ARROW ...).
HCURSOR SystemCursor(const char* id) {
  return ::LoadCursorW(nullptr, reinterpret_cast<const wchar_t*>(id));
}

}  // namespace

WinUi::~WinUi() {
  for (HDC dc : printer_dcs_) ::DeleteDC(dc);
  if (pointer_ != kPointerDefault) ::SetCursor(SystemCursor(IDC_ARROW));
}

void WinUi::SetView(const std::string& form_name, ViewFactory factory) {
  views_[form_name] = std::move(factory);
}

void WinUi::SetMousePointer(int pointer) {
  pointer_ = pointer;
  const char* cursor = IDC_ARROW;
  if (pointer == kPointerHourglass) cursor = IDC_WAIT;
  if (pointer == 13) cursor = IDC_APPSTARTING;
  ::SetCursor(SystemCursor(cursor));
}

int WinUi::MsgBox(const std::string& text, int style, const std::string& title) {
  const int answer = ::MessageBoxW(::GetActiveWindow(), Wide(text).c_str(), Wide(title).c_str(),
                                   static_cast<UINT>(style));
  // A box the system could not show answers as one closed without a button.
  return answer == 0 ? ui::UnansweredMsgBox(style) : answer;
}

void WinUi::Beep() { ::MessageBeep(MB_OK); }

void WinUi::ShowModal(ui::ModalForm& form) {
  static const bool common_controls = [] {
    INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX),
                                 ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    return ::InitCommonControlsEx(&classes) != FALSE;
  }();
  (void)common_controls;
  const auto found = views_.find(form.Name());
  ModalState state{&form, found == views_.end() ? nullptr : &found->second, nullptr};
  // The views lay their controls out in pixels inside a dialog of 400 by 300
  // dialog units; each resizes the dialog to its form when it needs more.
  const DialogTemplate dialog(Wide(form.Caption()), 400, 300);
  if (form.IsOpen()) {
    ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr), dialog.Get(), ::GetActiveWindow(),
                              &ModalProc, reinterpret_cast<LPARAM>(&state));
  }
  if (form.IsOpen()) form.Close();
}

std::optional<std::string> WinUi::BrowseForFolder(const std::string& title,
                                                  const std::string& start_folder) {
  const std::wstring wide_title = Wide(title);
  const std::wstring start = Wide(start_folder);
  BROWSEINFOW info{};
  info.hwndOwner = ::GetActiveWindow();
  info.lpszTitle = wide_title.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  info.lpfn = &BrowseProc;
  info.lParam = start.empty() ? 0 : reinterpret_cast<LPARAM>(start.c_str());
  PIDLIST_ABSOLUTE chosen = ::SHBrowseForFolderW(&info);
  if (chosen == nullptr) return std::nullopt;
  wchar_t path[MAX_PATH] = {};
  const bool ok = ::SHGetPathFromIDListW(chosen, path);
  ::CoTaskMemFree(chosen);
  if (!ok) return std::nullopt;
  return Utf8(path);
}

int WinUi::PopupMenu(const std::vector<std::string>& items) {
  HMENU menu = ::CreatePopupMenu();
  if (menu == nullptr) return 0;
  for (size_t i = 0; i < items.size(); ++i) {
    ::AppendMenuW(menu, MF_STRING, i + 1, Wide(items[i]).c_str());
  }
  POINT at{};
  ::GetCursorPos(&at);
  HWND owner = ::GetActiveWindow();
  const int chosen = ::TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x,
                                      at.y, 0, owner, nullptr);
  ::DestroyMenu(menu);
  return chosen;
}

ui::PrinterDc WinUi::ShowPrinter(int flags) {
  PRINTDLGW dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = ::GetActiveWindow();
  dialog.Flags = static_cast<DWORD>(flags) | PD_RETURNDC;
  if (!::PrintDlgW(&dialog)) {
    if (::CommDlgExtendedError() == 0) throw RuntimeError(ui::kErrCancel);
    throw RuntimeError(kErrPrinter);
  }
  if (dialog.hDevMode) ::GlobalFree(dialog.hDevMode);
  if (dialog.hDevNames) ::GlobalFree(dialog.hDevNames);
  if (dialog.hDC == nullptr) throw RuntimeError(kErrPrinter);
  printer_dcs_.push_back(dialog.hDC);
  return reinterpret_cast<ui::PrinterDc>(dialog.hDC);
}

void WinUi::PrintGrid(const controls::ReportGrid& grid) {
  std::vector<int32_t> columns;
  std::vector<double> shares;
  PrintLine header;
  header.bold = true;
  for (const controls::ShownColumn& column : controls::ShownColumns(grid)) {
    columns.push_back(column.index);
    shares.push_back(column.share);
    header.cells.push_back(Wide(grid.Column(column.index).caption));
  }
  std::vector<PrintLine> lines{header};
  for (int32_t row = 0; row < grid.RowCount(); ++row) {
    const controls::GridRecord* record = grid.RowRecord(row);
    PrintLine line;
    line.indent = record->Depth();
    for (const int32_t column : columns) {
      const int32_t item = grid.Column(column).item_index;
      line.cells.push_back(item >= 0 && item < record->ItemCount() ? Wide(record->Item(item).Text())
                                                                   : std::wstring());
    }
    lines.push_back(std::move(line));
  }
  HDC dc = DefaultPrinterDc(grid.PrintOptions().landscape);
  if (dc == nullptr) throw RuntimeError(kErrPrinter);
  try {
    PrintLines(dc, lines, shares, L"Referti Lirvo", grid.Look().font_name,
               grid.PrintOptions().font_points);
  } catch (...) {
    ::DeleteDC(dc);
    throw;
  }
  ::DeleteDC(dc);
}

void WinUi::PrintText(const controls::StyledText& text, ui::PrinterDc dc) {
  HDC printer = reinterpret_cast<HDC>(dc);
  if (std::find(printer_dcs_.begin(), printer_dcs_.end(), printer) == printer_dcs_.end()) {
    throw RuntimeError(kErrPrinter);
  }
  // Each run in its own font and colour, the paragraphs wrapped to the page.
  const RECT page = PageArea(printer);
  FontSet fonts(printer);
  const std::vector<PlacedLine> lines = LayOutText(printer, fonts, text, page.right - page.left);
  const HGDIOBJ font = ::GetCurrentObject(printer, OBJ_FONT);
  const UINT align = ::SetTextAlign(printer, TA_LEFT | TA_BASELINE);
  const COLORREF color = ::GetTextColor(printer);
  const auto restore = [&] {
    ::SelectObject(printer, font);
    ::SetTextAlign(printer, align);
    ::SetTextColor(printer, color);
  };
  try {
    PrintDocument(
        printer, L"Referto", lines.size(), [&](size_t i) { return lines[i].height; },
        [&](size_t i, int y) {
          for (const PlacedPiece& piece : lines[i].pieces) {
            ::SelectObject(printer, fonts.For(piece.style));
            ::SetTextColor(printer, static_cast<COLORREF>(piece.style.color));
            ::TextOutW(printer, page.left + piece.x, y + lines[i].ascent, piece.text.c_str(),
                       static_cast<int>(piece.text.size()));
          }
        });
  } catch (...) {
    restore();
    throw;
  }
  restore();
}

}  // namespace lirvo::win
