#include "win/reports_window.h"

#include <commctrl.h>

#include <vector>

#include "base/trap.h"
#include "win/native_views.h"
#include "win/wide_text.h"

namespace lirvo::win {
namespace {

constexpr const wchar_t* kWindowClass = L"plgRefertiLirvo.frmRefertiLirvo";

// Runs a handler of the presenter; what it throws is reported as trapped by
// the view, never thrown into the window procedure.
template <class Handler>
void Act(Handler&& handler) {
  try {
    handler();
  } catch (...) {
    ReportTrap("frmRefertiLirvo view");
  }
}

// The progress bar with its text laid over it.
class ProgressView final : public ControlView {
 public:
  ProgressView(HWND form_window, const controls::ProgressBar& bar, int id)
      : ControlView(form_window, bar, PROGRESS_CLASSW, PBS_SMOOTH, id), bar_(bar) {
    const RECT box = PixelBounds(form_window, bar);
    text_ = ::CreateWindowExW(WS_EX_TRANSPARENT, WC_STATICW, L"",
                              WS_CHILD | SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX, box.left,
                              box.top, box.right - box.left, box.bottom - box.top, form_window,
                              nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ::SendMessageW(text_, WM_SETFONT, ::SendMessageW(form_window, WM_GETFONT, 0, 0), FALSE);
    Update();
  }
  ~ProgressView() override { ::DestroyWindow(text_); }

 protected:
  void Update() override {
    ControlView::Update();
    ::SendMessageW(Window(), PBM_SETRANGE32, 0, bar_.Max());
    ::SendMessageW(Window(), PBM_SETPOS, static_cast<WPARAM>(bar_.Value()), 0);
    if (text_ == nullptr) return;
    RECT box{};
    ::GetWindowRect(Window(), &box);
    ::MapWindowPoints(nullptr, ::GetParent(Window()), reinterpret_cast<POINT*>(&box), 2);
    ::MoveWindow(text_, box.left, box.top, box.right - box.left, box.bottom - box.top, TRUE);
    ::SetWindowTextW(text_, Wide(bar_.Text()).c_str());
    ::ShowWindow(text_, bar_.IsShown() ? SW_SHOWNA : SW_HIDE);
    ::SetWindowPos(text_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }

 private:
  const controls::ProgressBar& bar_;
  HWND text_ = nullptr;
};

// A label or the search box: a static or an edit control over the model.
class TextView final : public ControlView {
 public:
  TextView(HWND form_window, const controls::Control& control, const wchar_t* window_class,
           DWORD style, int id)
      : ControlView(form_window, control, window_class, style, id) {
    Update();
  }

 protected:
  void Update() override {
    ControlView::Update();
    if (const auto* box = dynamic_cast<const controls::TextBox*>(&Model())) {
      const std::wstring text = Wide(box->Text());
      if (TextOf(Window()) != text) ::SetWindowTextW(Window(), text.c_str());
    }
  }

 private:
  static std::wstring TextOf(HWND window) {
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(
        static_cast<size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
  }
};

}  // namespace

struct ReportsWindow::Views {
  std::unique_ptr<GridListView> grid;
  std::vector<std::unique_ptr<ControlView>> controls;
  ButtonView* search_button = nullptr;
  HWND search_box = nullptr;
};

ReportsWindow::ReportsWindow(forms::frmRefertiLirvo& form) : form_(form) {
  static const bool registered = [] {
    INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX),
                                 ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&classes);
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof(window_class);
    window_class.lpfnWndProc = &ReportsWindow::WindowProc;
    window_class.hInstance = ::GetModuleHandleW(nullptr);
    window_class.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<const wchar_t*>(IDC_ARROW));
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    window_class.lpszClassName = kWindowClass;
    return ::RegisterClassExW(&window_class) != 0;
  }();
  (void)registered;
  window_ = ::CreateWindowExW(0, kWindowClass, L"Referti Lirvo", WS_POPUP | WS_CLIPCHILDREN, 0, 0,
                              100, 100, nullptr, nullptr, ::GetModuleHandleW(nullptr), this);
  if (window_ == nullptr) return;
  ::SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)),
                 FALSE);
  // The views are the window's once all exist: the children's creation
  // already sends the window messages.
  auto views = std::make_unique<Views>();
  int id = 1000;
  GridListView::Handlers handlers;
  handlers.row_click = [this](int32_t row) { Act([&] { form_.rcReferti().SetFocusedRow(row); }); };
  handlers.row_rclick = [this](int32_t row) {
    Act([&] {
      if (form_.rcReferti().FocusedRow() != row) form_.rcReferti().SetFocusedRow(row);
      form_.rcReferti_MouseUp(2, 0, 0, 0);
    });
  };
  handlers.item_click = [this](int32_t row, int32_t column) {
    Act([&] {
      const controls::GridRecord* record = form_.rcReferti().RowRecord(row);
      if (record == nullptr || column < 0) return;
      const int32_t item = form_.rcReferti().Column(column).item_index;
      if (item < 0 || item >= record->ItemCount() || record->Item(item).Hyperlinks().empty()) {
        return;
      }
      form_.rcReferti_HyperlinkClick(row, item, 0);
    });
  };
  views->grid = std::make_unique<GridListView>(window_, form_.rcReferti(), id++, handlers,
                                               GridListView::Rows::kSeveral);
  auto& c = views->controls;
  c.push_back(std::make_unique<ProgressView>(window_, form_.ProgressBar1(), id++));
  c.push_back(std::make_unique<TextView>(window_, form_.Label1(), WC_STATICW, SS_LEFT, id++));
  c.push_back(std::make_unique<TextView>(window_, form_.tbPaziente(), WC_EDITW,
                                         WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, id++));
  views->search_box = c.back()->Window();
  auto button = std::make_unique<ButtonView>(window_, form_.cbFndPaz(), id++,
                                             [this] { Act([&] { form_.cbFndPaz_Click(); }); });
  views->search_button = button.get();
  c.push_back(std::move(button));
  // Each character typed goes through the presenter first (Enter searches,
  // letters come back in upper case), as the form's KeyPress does.
  ::SetWindowLongPtrW(views->search_box, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  search_box_proc_ = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(
      views->search_box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ReportsWindow::SearchBoxProc)));
  views_ = std::move(views);
  RECT size{0, 0, TwipsToPixels(window_, form_.ScaleWidth()),
            TwipsToPixels(window_, form_.ScaleHeight())};
  ::SetWindowPos(window_, nullptr, 0, 0, size.right, size.bottom, SWP_NOMOVE | SWP_NOZORDER);
}

ReportsWindow::~ReportsWindow() {
  if (window_ == nullptr) return;
  ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
  views_.reset();
  ::DestroyWindow(window_);
}

LRESULT CALLBACK ReportsWindow::WindowProc(HWND window, UINT message, WPARAM wparam,
                                           LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<ReportsWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr || self->views_ == nullptr) {
    return ::DefWindowProcW(window, message, wparam, lparam);
  }
  return self->Handle(message, wparam, lparam);
}

LRESULT CALLBACK ReportsWindow::SearchBoxProc(HWND window, UINT message, WPARAM wparam,
                                              LPARAM lparam) {
  auto* self = reinterpret_cast<ReportsWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == WM_CHAR && wparam >= 32 && self != nullptr) {
    char32_t answer = 0;
    Act([&] { answer = self->form_.tbPaziente_KeyPress(static_cast<char32_t>(wparam)); });
    if (answer == 0) return 0;
    wparam = static_cast<WPARAM>(answer);
  } else if (message == WM_CHAR && wparam == VK_RETURN && self != nullptr) {
    Act([&] { self->form_.tbPaziente_KeyPress(13); });
    return 0;
  }
  return ::CallWindowProcW(self->search_box_proc_, window, message, wparam, lparam);
}

LRESULT ReportsWindow::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_SIZE:
      Act([&] {
        form_.Resize(::MulDiv(LOWORD(lparam), 1440, TwipsToPixels(window_, 1440)),
                     ::MulDiv(HIWORD(lparam), 1440, TwipsToPixels(window_, 1440)));
      });
      return 0;
    case WM_COMMAND:
      if (views_->search_button->Command(LOWORD(wparam), HIWORD(wparam))) return 0;
      if (reinterpret_cast<HWND>(lparam) == views_->search_box && HIWORD(wparam) == EN_CHANGE) {
        std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(views_->search_box)) + 1,
                          L'\0');
        text.resize(static_cast<size_t>(
            ::GetWindowTextW(views_->search_box, text.data(), static_cast<int>(text.size()))));
        Act([&] { form_.tbPaziente().SetText(Utf8(text)); });
        return 0;
      }
      break;
    case WM_NOTIFY: {
      LRESULT result = 0;
      if (views_->grid->Notify(*reinterpret_cast<const NMHDR*>(lparam), result)) return result;
      break;
    }
    default:
      break;
  }
  return ::DefWindowProcW(window_, message, wparam, lparam);
}

}  // namespace lirvo::win
