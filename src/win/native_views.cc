#include "win/native_views.h"

#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <iterator>
#include <optional>
#include <string>

#include "base/trap.h"
#include "win/wide_text.h"

namespace lirvo::win {
namespace {

// Text a list view asks for is copied into its buffer, cut to fit.
void CopyText(const std::wstring& text, wchar_t* buffer, int size) {
  if (buffer == nullptr || size <= 0) return;
  const size_t n = std::min(text.size(), static_cast<size_t>(size - 1));
  text.copy(buffer, n);
  buffer[n] = L'\0';
}

}  // namespace

int TwipsToPixels(HWND window, int32_t twips) {
  // The display's dots per inch (the system's, so older Windows serve too).
  HDC dc = ::GetDC(window);
  int dpi = dc != nullptr ? ::GetDeviceCaps(dc, LOGPIXELSX) : 0;
  if (dc != nullptr) ::ReleaseDC(window, dc);
  if (dpi <= 0) dpi = 96;
  return ::MulDiv(twips, dpi, 1440);
}

RECT PixelBounds(HWND form_window, const controls::Control& control) {
  int32_t left = control.Left();
  int32_t top = control.Top();
  for (const controls::Control* c = control.Container(); c != nullptr; c = c->Container()) {
    left += c->Left();
    top += c->Top();
  }
  const int x = TwipsToPixels(form_window, left);
  const int y = TwipsToPixels(form_window, top);
  return {x, y, x + TwipsToPixels(form_window, control.Width()),
          y + TwipsToPixels(form_window, control.Height())};
}

HFONT DerivedFont(HWND form_window, const std::string& name, bool bold) {
  const auto font = reinterpret_cast<HFONT>(::SendMessageW(form_window, WM_GETFONT, 0, 0));
  LOGFONTW look{};
  if (::GetObjectW(font != nullptr ? font : ::GetStockObject(DEFAULT_GUI_FONT), sizeof(look),
                   &look) == 0) {
    return nullptr;
  }
  if (!name.empty()) {
    const std::wstring face = Wide(name).substr(0, LF_FACESIZE - 1);
    std::fill(std::begin(look.lfFaceName), std::end(look.lfFaceName), L'\0');
    face.copy(look.lfFaceName, face.size());
  }
  look.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  return ::CreateFontIndirectW(&look);
}

// ---- ControlView ----------------------------------------------------------------

ControlView::ControlView(HWND form_window, const controls::Control& control,
                         const wchar_t* window_class, DWORD style, int id)
    : form_window_(form_window), control_(control), id_(id) {
  const RECT box = PixelBounds(form_window, control);
  window_ = ::CreateWindowExW(0, window_class, L"", WS_CHILD | style, box.left, box.top,
                              box.right - box.left, box.bottom - box.top, form_window,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                              ::GetModuleHandleW(nullptr), nullptr);
  ::SendMessageW(window_, WM_SETFONT, ::SendMessageW(form_window, WM_GETFONT, 0, 0), FALSE);
  // The view lives inside the form's window, which the model outlives.
  listener_ = const_cast<controls::Control&>(control).AddListener(
      [this](const controls::Control&) { Update(); });
}

ControlView::~ControlView() { const_cast<controls::Control&>(control_).RemoveListener(listener_); }

void ControlView::Update() {
  const RECT box = PixelBounds(form_window_, control_);
  ::MoveWindow(window_, box.left, box.top, box.right - box.left, box.bottom - box.top, TRUE);
  if (const auto* captioned = dynamic_cast<const controls::CaptionedControl*>(&control_)) {
    ::SetWindowTextW(window_, Wide(captioned->Caption()).c_str());
  }
  ::EnableWindow(window_, control_.Enabled());
  ::ShowWindow(window_, control_.IsShown() ? SW_SHOWNA : SW_HIDE);
}

ButtonView::ButtonView(HWND form_window, const controls::Button& button, int id,
                       std::function<void()> on_click)
    : ControlView(form_window, button, WC_BUTTONW, WS_TABSTOP | BS_PUSHBUTTON, id),
      on_click_(std::move(on_click)) {
  Update();
}

bool ButtonView::Command(WORD id, WORD code) {
  if (id != Id() || code != BN_CLICKED) return false;
  if (on_click_) on_click_();
  return true;
}

// ---- LabelView and PanelView --------------------------------------------------------

namespace {

// The back colour of the nearest panel the control lies in that has one.
std::optional<int32_t> PanelBackColor(const controls::Control& control) {
  for (const controls::Control* c = control.Container(); c != nullptr; c = c->Container()) {
    const auto* panel = dynamic_cast<const controls::Panel*>(c);
    if (panel != nullptr && panel->BackColor()) return panel->BackColor();
  }
  return std::nullopt;
}

}  // namespace

LabelView::LabelView(HWND form_window, const controls::Label& label, int id)
    : ControlView(form_window, label, WC_STATICW, SS_LEFT | SS_NOPREFIX, id), label_(label) {
  Update();
}

LabelView::~LabelView() {
  if (font_ != nullptr) ::DeleteObject(font_);
  if (back_brush_ != nullptr) ::DeleteObject(back_brush_);
}

void LabelView::Update() {
  ControlView::Update();
  const bool own_font = !label_.FontName().empty() || label_.FontBold();
  const bool as_shown = own_font ? font_ != nullptr && font_name_ == label_.FontName() &&
                                       font_bold_ == label_.FontBold()
                                 : font_ == nullptr;
  if (as_shown) return;
  HFONT old = font_;
  font_ = own_font ? DerivedFont(FormWindow(), label_.FontName(), label_.FontBold()) : nullptr;
  font_name_ = label_.FontName();
  font_bold_ = label_.FontBold();
  const WPARAM shown = font_ != nullptr ? reinterpret_cast<WPARAM>(font_)
                                        : ::SendMessageW(FormWindow(), WM_GETFONT, 0, 0);
  ::SendMessageW(Window(), WM_SETFONT, shown, TRUE);
  if (old != nullptr) ::DeleteObject(old);
}

HBRUSH LabelView::Colors(HWND control, HDC dc) {
  if (control != Window()) return nullptr;
  const auto back = PanelBackColor(label_);
  const auto fore = label_.ForeColor();
  if (!back && !fore) return nullptr;
  ::SetTextColor(dc, fore ? static_cast<COLORREF>(*fore) : ::GetSysColor(COLOR_BTNTEXT));
  if (!back) {
    ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
    return ::GetSysColorBrush(COLOR_BTNFACE);
  }
  const auto color = static_cast<COLORREF>(*back);
  if (back_brush_ == nullptr || back_color_ != color) {
    if (back_brush_ != nullptr) ::DeleteObject(back_brush_);
    back_brush_ = ::CreateSolidBrush(color);
    back_color_ = color;
  }
  ::SetBkColor(dc, color);
  return back_brush_;
}

PanelView::PanelView(HWND form_window, const controls::Panel& panel, int id)
    : ControlView(form_window, panel, WC_STATICW, SS_OWNERDRAW | WS_CLIPSIBLINGS, id),
      panel_(panel) {
  // Under every other control, and clipped by those over it.
  ::SetWindowPos(Window(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  Update();
}

void PanelView::Update() {
  ControlView::Update();
  ::InvalidateRect(Window(), nullptr, TRUE);
}

bool PanelView::Draw(const DRAWITEMSTRUCT& item) const {
  if (item.hwndItem != Window()) return false;
  if (const auto back = panel_.BackColor()) {
    HBRUSH brush = ::CreateSolidBrush(static_cast<COLORREF>(*back));
    ::FillRect(item.hDC, &item.rcItem, brush);
    ::DeleteObject(brush);
  }
  if (const auto border = panel_.BorderColor()) {
    HBRUSH brush = ::CreateSolidBrush(static_cast<COLORREF>(*border));
    ::FrameRect(item.hDC, &item.rcItem, brush);
    ::DeleteObject(brush);
  }
  return true;
}

// ---- RichTextView -----------------------------------------------------------------

namespace {

// Feeds a text to EM_STREAMIN.
struct StreamSource {
  const std::string* text;
  size_t offset = 0;
};

DWORD CALLBACK ReadStream(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* read) {
  auto* source = reinterpret_cast<StreamSource*>(cookie);
  const size_t n = std::min(static_cast<size_t>(size), source->text->size() - source->offset);
  std::copy_n(source->text->data() + source->offset, n, buffer);
  source->offset += n;
  *read = static_cast<LONG>(n);
  return 0;
}

// The RichEdit control's class, from the system's library (loaded once).
const wchar_t* RichEditClass() {
  static const bool loaded = ::LoadLibraryW(L"riched20.dll") != nullptr;
  (void)loaded;
  return RICHEDIT_CLASSW;
}

// A RichEdit position (UTF-16 units, a paragraph break one unit) in the
// model's characters (code points, a line break CR LF two).
int32_t ModelPosition(const std::wstring& text, LONG position) {
  int32_t model = 0;
  for (LONG i = 0; i < position && static_cast<size_t>(i) < text.size(); ++i) {
    const wchar_t c = text[static_cast<size_t>(i)];
    if (c >= 0xDC00 && c <= 0xDFFF) continue;  // the second half of a pair
    model += c == L'\r' ? 2 : 1;
  }
  return model;
}

}  // namespace

RichTextView::RichTextView(HWND form_window, controls::RichTextBox& box, int id) : box_(box) {
  const RECT area = PixelBounds(form_window, box);
  window_ = ::CreateWindowExW(
      WS_EX_CLIENTEDGE, RichEditClass(), L"",
      WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
      area.left, area.top, area.right - area.left, area.bottom - area.top, form_window,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr), nullptr);
  ::SendMessageW(window_, EM_SETEVENTMASK, 0, ENM_SELCHANGE);
  listener_ = box_.AddListener([this](const controls::Control&) {
    if (!loading_) Load();
  });
  Load();
}

RichTextView::~RichTextView() { box_.RemoveListener(listener_); }

void RichTextView::Load() {
  loading_ = true;
  const std::string rtf = box_.SaveRtf();
  StreamSource source{&rtf};
  EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&source), 0, &ReadStream};
  ::SendMessageW(window_, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
  loading_ = false;
}

bool RichTextView::Notify(const NMHDR& header) {
  if (header.hwndFrom != window_ || header.code != EN_SELCHANGE) return false;
  if (loading_) return true;
  const auto& change = reinterpret_cast<const SELCHANGE&>(header);
  GETTEXTLENGTHEX length_of{GTL_DEFAULT, 1200};
  const LRESULT length =
      ::SendMessageW(window_, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length_of), 0);
  std::wstring text(static_cast<size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
  GETTEXTEX get{static_cast<DWORD>(text.size() * sizeof(wchar_t)), GT_DEFAULT, 1200, nullptr,
                nullptr};
  text.resize(
      static_cast<size_t>(::SendMessageW(window_, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get),
                                         reinterpret_cast<LPARAM>(text.data()))));
  const int32_t start = ModelPosition(text, change.chrg.cpMin);
  const int32_t end = ModelPosition(text, change.chrg.cpMax);
  loading_ = true;  // the model's change is the control's own
  try {
    box_.SetSelStart(start);
    box_.SetSelLength(end - start);
  } catch (...) {
    ReportTrap("RichTextView");
  }
  loading_ = false;
  return true;
}

// ---- GridListView -------------------------------------------------------------------

GridListView::GridListView(HWND form_window, controls::ReportGrid& grid, int id, Handlers handlers,
                           Rows rows)
    : grid_(grid), id_(id), handlers_(std::move(handlers)), rows_(rows) {
  const RECT box = PixelBounds(form_window, grid);
  window_ = ::CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                              WS_CHILD | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA |
                                  LVS_SHOWSELALWAYS | (rows == Rows::kOne ? LVS_SINGLESEL : 0),
                              box.left, box.top, box.right - box.left, box.bottom - box.top,
                              form_window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                              ::GetModuleHandleW(nullptr), nullptr);
  ::SendMessageW(window_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
  // The grid look's font (the window's when it names none), at the window's size.
  font_ = DerivedFont(form_window, grid_.Look().font_name, false);
  bold_font_ = DerivedFont(form_window, grid_.Look().font_name, true);
  ::SendMessageW(window_, WM_SETFONT,
                 font_ != nullptr ? reinterpret_cast<WPARAM>(font_)
                                  : ::SendMessageW(form_window, WM_GETFONT, 0, 0),
                 FALSE);
  MakeColumns();
  grid_.AddObserver(this);
  Refresh();
  ::ShowWindow(window_, grid_.IsShown() ? SW_SHOWNA : SW_HIDE);
}

GridListView::~GridListView() {
  grid_.RemoveObserver(this);
  ::DestroyWindow(window_);  // before its font goes
  if (font_ != nullptr) ::DeleteObject(font_);
  if (bold_font_ != nullptr) ::DeleteObject(bold_font_);
}

void GridListView::MakeColumns() {
  columns_.clear();
  RECT client{};
  ::GetClientRect(window_, &client);
  const int width = client.right - client.left - ::GetSystemMetrics(SM_CXVSCROLL);
  for (const controls::ShownColumn& column : controls::ShownColumns(grid_)) {
    std::wstring caption = Wide(grid_.Column(column.index).caption);
    LVCOLUMNW lv{};
    lv.mask = LVCF_TEXT | LVCF_WIDTH;
    lv.pszText = caption.data();
    lv.cx = static_cast<int>(width * column.share);
    ::SendMessageW(window_, LVM_INSERTCOLUMNW, columns_.size(), reinterpret_cast<LPARAM>(&lv));
    columns_.push_back(column.index);
  }
}

void GridListView::Refresh() {
  syncing_ = true;
  ::SendMessageW(window_, LVM_SETITEMCOUNT, static_cast<WPARAM>(grid_.RowCount()), LVSICF_NOSCROLL);
  syncing_ = false;
  SyncSelection();
  Repaint();
}

void GridListView::Repaint() { ::InvalidateRect(window_, nullptr, FALSE); }

void GridListView::SyncSelection() {
  syncing_ = true;
  LVITEMW none{};
  none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  ::SendMessageW(window_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(&none));
  for (const int32_t row : grid_.SelectedRows()) {
    LVITEMW selected{};
    selected.stateMask = LVIS_SELECTED;
    selected.state = LVIS_SELECTED;
    ::SendMessageW(window_, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&selected));
  }
  const int32_t focused = grid_.FocusedRow();
  if (focused >= 0) {
    LVITEMW focus{};
    focus.stateMask = LVIS_FOCUSED;
    focus.state = LVIS_FOCUSED;
    ::SendMessageW(window_, LVM_SETITEMSTATE, focused, reinterpret_cast<LPARAM>(&focus));
    ::SendMessageW(window_, LVM_ENSUREVISIBLE, focused, FALSE);
  }
  syncing_ = false;
}

void GridListView::PullSelection() {
  const auto next = [this](int after, UINT flags) {
    return static_cast<int32_t>(
        ::SendMessageW(window_, LVM_GETNEXTITEM, static_cast<WPARAM>(after), flags));
  };
  const int32_t focused = next(-1, LVNI_FOCUSED);
  std::vector<int32_t> selected;
  for (int32_t row = next(-1, LVNI_SELECTED); row >= 0; row = next(row, LVNI_SELECTED)) {
    selected.push_back(row);
  }
  try {
    // The focus moves as a click moves it; the selection then is the list's.
    if (focused >= 0 && focused != grid_.FocusedRow() && handlers_.row_click) {
      handlers_.row_click(focused);
    }
    if (selected != grid_.SelectedRows()) {
      grid_.ClearSelection();
      for (const int32_t row : selected) grid_.SelectRow(row, /*add=*/true);
    }
  } catch (...) {
    ReportTrap("GridListView");
  }
}

int32_t GridListView::GridColumnOf(int sub_item) const {
  return sub_item >= 0 && static_cast<size_t>(sub_item) < columns_.size() ? columns_[sub_item] : -1;
}

bool GridListView::Notify(const NMHDR& header, LRESULT& result) {
  if (header.hwndFrom != window_) return false;
  result = 0;
  switch (header.code) {
    case LVN_GETDISPINFOW: {
      auto& info = const_cast<NMLVDISPINFOW&>(reinterpret_cast<const NMLVDISPINFOW&>(header));
      const controls::GridRecord* record = grid_.RowRecord(info.item.iItem);
      const int32_t column = GridColumnOf(info.item.iSubItem);
      if (record == nullptr || column < 0) return true;
      if ((info.item.mask & LVIF_TEXT) != 0) {
        const int32_t item = grid_.Column(column).item_index;
        CopyText(item >= 0 && item < record->ItemCount() ? Wide(record->Item(item).Text())
                                                         : std::wstring(),
                 info.item.pszText, info.item.cchTextMax);
      }
      if ((info.item.mask & LVIF_INDENT) != 0) info.item.iIndent = record->Depth();
      return true;
    }
    case NM_CUSTOMDRAW: {
      auto& draw = const_cast<NMLVCUSTOMDRAW&>(reinterpret_cast<const NMLVCUSTOMDRAW&>(header));
      if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) {
        result = CDRF_NOTIFYITEMDRAW;
      } else if (draw.nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
        result = CDRF_NOTIFYSUBITEMDRAW;
      } else if (draw.nmcd.dwDrawStage == (CDDS_ITEMPREPAINT | CDDS_SUBITEM)) {
        const controls::GridRecord* record =
            grid_.RowRecord(static_cast<int32_t>(draw.nmcd.dwItemSpec));
        const int32_t column = GridColumnOf(draw.iSubItem);
        const int32_t item = column >= 0 ? grid_.Column(column).item_index : -1;
        if (record != nullptr && item >= 0 && item < record->ItemCount()) {
          const controls::GridItem& value = record->Item(item);
          draw.clrText = value.ForeColor() ? static_cast<COLORREF>(*value.ForeColor())
                                           : ::GetSysColor(COLOR_WINDOWTEXT);
          ::SelectObject(draw.nmcd.hdc,
                         value.Bold() && bold_font_ != nullptr
                             ? bold_font_
                             : reinterpret_cast<HFONT>(::SendMessageW(window_, WM_GETFONT, 0, 0)));
          result = CDRF_NEWFONT;
        }
      }
      return true;
    }
    case LVN_ODSTATECHANGED:
      if (rows_ == Rows::kSeveral && !syncing_) PullSelection();
      return true;
    case LVN_ITEMCHANGED: {
      if (rows_ == Rows::kSeveral) {
        if (!syncing_) PullSelection();
        return true;
      }
      const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
      if (!syncing_ && change.iItem >= 0 && (change.uNewState & LVIS_SELECTED) != 0 &&
          (change.uOldState & LVIS_SELECTED) == 0 && handlers_.row_click) {
        handlers_.row_click(change.iItem);
      }
      return true;
    }
    case NM_CLICK:
    case NM_DBLCLK:
    case NM_RCLICK: {
      const auto& click = reinterpret_cast<const NMITEMACTIVATE&>(header);
      if (click.iItem < 0) return true;
      if (header.code == NM_DBLCLK && handlers_.row_dblclick) handlers_.row_dblclick(click.iItem);
      if (header.code == NM_RCLICK && handlers_.row_rclick) handlers_.row_rclick(click.iItem);
      if (header.code == NM_CLICK && handlers_.item_click) {
        handlers_.item_click(click.iItem, GridColumnOf(click.iSubItem));
      }
      return true;
    }
    default:
      return false;
  }
}

}  // namespace lirvo::win
