#include "window_player.h"

// (after windows.h, which it needs)
#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <regex>

#include "win/wide_text.h"

namespace lirvo::replay {

std::wstring CellText(HWND list, int row, int column) {
  wchar_t buffer[512] = {};
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = buffer;
  item.cchTextMax = 512;
  ::SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
  return buffer;
}

namespace {

using Json = nlohmann::ordered_json;

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  ::GetClassNameW(window, name, 64);
  return name;
}

// The window's text as it answers WM_GETTEXT (GetWindowText gives only the
// caption the system keeps for another process's window, which a rich-text
// control leaves empty).
std::wstring WindowText(HWND window) {
  DWORD_PTR length = 0;
  ::SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  DWORD_PTR copied = 0;
  ::SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                        SMTO_ABORTIFHUNG, 5000, &copied);
  text.resize(std::min(static_cast<size_t>(copied), text.size() - 1));
  return text;
}

// The static control that holds a message box's text; null for any other
// dialog.
HWND MessageTextOf(HWND dialog) { return ::GetDlgItem(dialog, 0xFFFF); }

// (Named callbacks: a lambda does not convert to the 32-bit calling
// convention of an enumeration callback.)
BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> children;
  ::EnumChildWindows(parent, &CollectWindow, reinterpret_cast<LPARAM>(&children));
  return children;
}

HWND ChildOfClass(HWND parent, const wchar_t* window_class) {
  for (HWND child : Children(parent)) {
    if (ClassOf(child) == window_class) return child;
  }
  return nullptr;
}

std::wstring WithoutAccessKey(std::wstring text) {
  std::erase(text, L'&');
  return text;
}

// The shown button of `dialog` captioned `caption` (access-key "&" left
// out), null when none.
HWND ButtonCaptioned(HWND dialog, const std::wstring& caption) {
  for (HWND child : Children(dialog)) {
    if (ClassOf(child) == L"Button" && ::IsWindowVisible(child) &&
        WithoutAccessKey(WindowText(child)) == caption) {
      return child;
    }
  }
  return nullptr;
}

// The shown dialogs of this process (`own`) or of every other one.
std::vector<HWND> ShownDialogs(bool own) {
  struct Search {
    bool own;
    std::vector<HWND> found;
  } search{own, {}};
  struct Collect {
    static BOOL CALLBACK Dialog(HWND window, LPARAM data) {
      auto& s = *reinterpret_cast<Search*>(data);
      DWORD process = 0;
      ::GetWindowThreadProcessId(window, &process);
      if ((process == ::GetCurrentProcessId()) == s.own && ::IsWindowVisible(window) &&
          ClassOf(window) == L"#32770") {
        s.found.push_back(window);
      }
      return TRUE;
    }
  };
  ::EnumWindows(&Collect::Dialog, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string TextOf(HWND window) { return win::Utf8(WindowText(window)); }

// The plug-in's window a dialog is, by the buttons only it has; empty for
// any other dialog.
std::string FormOf(HWND dialog) {
  if (ButtonCaptioned(dialog, L"Conferma") != nullptr) return "frmGetBundle";
  if (ButtonCaptioned(dialog, L"Applica") != nullptr) return "frmConfig";
  if (ButtonCaptioned(dialog, L"Stampa") != nullptr) return "frmReferto";
  return "";
}

bool HasButton(HWND box, int id) {
  HWND button = ::GetDlgItem(box, id);
  return button != nullptr && ::IsWindowVisible(button);
}

// The message box's style as its caller gave it: the buttons and the icon.
int StyleOf(HWND box) {
  int style = 0;
  if (HasButton(box, IDYES) && HasButton(box, IDNO)) {
    style = HasButton(box, IDCANCEL) ? MB_YESNOCANCEL : MB_YESNO;
  } else if (HasButton(box, IDRETRY)) {
    style = HasButton(box, IDABORT) ? MB_ABORTRETRYIGNORE : MB_RETRYCANCEL;
  } else if (HasButton(box, IDCANCEL)) {
    style = MB_OKCANCEL;
  }
  const std::pair<int, int> icons[] = {{32513, MB_ICONHAND},  // IDI_HAND
                                       {32514, MB_ICONQUESTION},
                                       {32515, MB_ICONEXCLAMATION},
                                       {32516, MB_ICONASTERISK}};
  for (HWND child : Children(box)) {
    if (ClassOf(child) != L"Static" || !::IsWindowVisible(child) ||
        (::GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) {
      continue;
    }
    const auto shown = reinterpret_cast<HICON>(::SendMessageW(child, STM_GETICON, 0, 0));
    for (const auto& [icon, flag] : icons) {
      if (shown != nullptr && shown == ::LoadIconW(nullptr, MAKEINTRESOURCEW(icon))) style |= flag;
    }
  }
  return style;
}

// The buttons a style shows, first to last.
std::vector<int> ButtonsOf(int style) {
  switch (style & 7) {
    case MB_OKCANCEL:
      return {IDOK, IDCANCEL};
    case MB_ABORTRETRYIGNORE:
      return {IDABORT, IDRETRY, IDIGNORE};
    case MB_YESNOCANCEL:
      return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO:
      return {IDYES, IDNO};
    case MB_RETRYCANCEL:
      return {IDRETRY, IDCANCEL};
    default:
      return {IDOK};
  }
}

// A click on `button` of `dialog`, carried out before returning.
void Click(HWND dialog, HWND button) {
  ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
}

// The same file name, the time stamps of renamed files aside: the plug-in
// under test names them by the system clock, the script by `lirvo run`'s.
bool SameName(const std::string& shown, const std::string& wanted) {
  static const std::regex stamp("[0-9]{14}");
  return std::regex_replace(shown, stamp, "#") == std::regex_replace(wanted, stamp, "#");
}

// The row of a list whose first shown column reads `text`, -1 when none.
int RowReading(HWND list, const std::string& text) {
  const int count = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  for (int row = 0; row < count; ++row) {
    if (SameName(win::Utf8(CellText(list, row, 0)), text)) return row;
  }
  return -1;
}

}  // namespace

WindowPlayer::WindowPlayer(Sink sink, bool own_process)
    : sink_(std::move(sink)), own_process_(own_process), thread_([this] { Loop(); }) {}

WindowPlayer::~WindowPlayer() {
  Settle();
  stop_ = true;
  thread_.join();
}

void WindowPlayer::QueueAnswer(int answer) {
  std::lock_guard lock(mutex_);
  answers_.push_back(answer);
}

void WindowPlayer::QueueModal(ModalActions actions) {
  std::lock_guard lock(mutex_);
  modals_.push_back(std::move(actions));
}

bool WindowPlayer::Pending() {
  std::lock_guard lock(mutex_);
  return !answers_.empty() || !modals_.empty();
}

void WindowPlayer::Settle() {
  std::vector<std::thread> players;
  {
    std::lock_guard lock(mutex_);
    players.swap(players_);
  }
  for (auto& player : players) player.join();
}

void WindowPlayer::Loop() {
  while (!stop_) {
    const std::vector<HWND> dialogs = ShownDialogs(own_process_);
    std::erase_if(seen_, [](HWND window) { return !::IsWindow(window); });
    for (HWND dialog : dialogs) {
      if (!seen_.insert(dialog).second) continue;
      if (MessageTextOf(dialog) != nullptr) {
        AnswerMessageBox(dialog);
        continue;
      }
      const std::string form = FormOf(dialog);
      if (form.empty()) {
        sink_({{"type", "unexpected"}, {"title", TextOf(dialog)}});
        ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        continue;
      }
      std::lock_guard lock(mutex_);
      players_.emplace_back([this, dialog, form] { PlayForm(dialog, form); });
    }
    ::Sleep(20);
  }
}

void WindowPlayer::AnswerMessageBox(HWND box) {
  const int style = StyleOf(box);
  const std::vector<int> buttons = ButtonsOf(style);
  int answer = buttons.front();
  if (std::find(buttons.begin(), buttons.end(), IDCANCEL) != buttons.end()) {
    answer = IDCANCEL;
  } else if ((style & 7) == MB_YESNO) {
    answer = IDNO;
  }
  {
    std::lock_guard lock(mutex_);
    if (!answers_.empty()) {
      const int queued = answers_.front();
      answers_.pop_front();
      if (std::find(buttons.begin(), buttons.end(), queued) != buttons.end()) answer = queued;
    }
  }
  sink_({{"type", "msgbox"},
         {"style", style},
         {"title", TextOf(box)},
         {"text", TextOf(MessageTextOf(box))},
         {"answer", answer}});
  ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(box, answer)));
}

void WindowPlayer::PlayForm(HWND dialog, const std::string& form) {
  std::vector<std::string> steps;
  {
    std::lock_guard lock(mutex_);
    if (!modals_.empty() && modals_.front().form == form) {
      steps = std::move(modals_.front().steps);
      modals_.pop_front();
    }
  }
  // The labels' texts and the start of any rich text, as a person reads them.
  Json texts = Json::array();
  for (HWND child : Children(dialog)) {
    const std::wstring kind = ClassOf(child);
    if (kind == L"Static" || kind.starts_with(L"RichEdit")) {
      texts.push_back(win::Utf8(WindowText(child).substr(0, 120)));
    }
  }
  sink_({{"type", "modal"}, {"form", form}, {"caption", TextOf(dialog)}, {"texts", texts}});
  for (const auto& step : steps) {
    if (!::IsWindow(dialog) || !::IsWindowVisible(dialog)) break;
    const bool ok = Perform(dialog, form, step);
    sink_({{"type", "modal_action"}, {"form", form}, {"action", step}, {"ok", ok}});
  }
  if (::IsWindow(dialog) && ::IsWindowVisible(dialog)) {
    sink_({{"type", "modal_close"}, {"form", form}});
    ::SendMessageW(dialog, WM_CLOSE, 0, 0);
  }
}

bool WindowPlayer::Perform(HWND dialog, const std::string& form, const std::string& step) {
  const size_t blank = step.find(' ');
  const std::string verb = step.substr(0, blank);
  const std::string argument = blank == std::string::npos ? "" : step.substr(blank + 1);
  std::wstring button;
  if (form == "frmGetBundle") {
    if (verb == "choose" || verb == "select") {
      HWND list = ChildOfClass(dialog, L"SysListView32");
      const int row = list != nullptr ? RowReading(list, argument) : -1;
      if (row < 0) return false;
      LVITEMW state{};
      state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
      ::SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
      if (verb == "select") return true;
      button = L"Conferma";
    } else if (verb == "row") {
      // The row by the keyboard, as a person would: the one way into another
      // process's list (a list's messages that carry a pointer do not cross).
      HWND list = ChildOfClass(dialog, L"SysListView32");
      if (list == nullptr) return false;
      ::SendMessageW(list, WM_KEYDOWN, VK_HOME, 0);
      for (long i = std::strtol(argument.c_str(), nullptr, 10); i > 0; --i) {
        ::SendMessageW(list, WM_KEYDOWN, VK_DOWN, 0);
      }
      button = L"Conferma";
    } else if (step == "cmdButton 0" || step == "Conferma") {
      button = L"Conferma";
    } else if (step == "cmdButton 1" || step == "Annulla" || step == "cancel") {
      button = L"Annulla";
    } else if (step == "Command1") {
      button = L"...";
    }
  } else if (form == "frmConfig") {
    if (step == "Command1") button = L"...";
    if (step == "Chiudi" || step == "cmdButton 0") button = L"Chiudi";
    if (step == "Applica" || step == "cmdButton 1") button = L"Applica";
  } else if (form == "frmReferto") {
    const std::string name = verb == "click" ? argument : step;
    if (name == "cbStampa") button = L"Stampa";
    if (name == "cbChiudi") button = L"Chiudi";
    if (verb == "select") {
      HWND text = nullptr;
      for (HWND child : Children(dialog)) {
        if (ClassOf(child).starts_with(L"RichEdit")) text = child;
      }
      char* end = nullptr;
      const long start = std::strtol(argument.c_str(), &end, 10);
      const long length = std::strtol(end, nullptr, 10);
      if (text == nullptr || start < 0 || length < 0) return false;
      ::SendMessageW(text, EM_SETSEL, start, start + length);
      return true;
    }
  }
  HWND target = button.empty() ? nullptr : ButtonCaptioned(dialog, button);
  if (target == nullptr) return false;
  Click(dialog, target);
  return true;
}

}  // namespace lirvo::replay
