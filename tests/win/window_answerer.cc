// Plays the person in front of the plug-in's windows for a client in another
// process of the same Wine session: waits for each dialog in turn, writes what
// it showed to the log, and answers it.
//
//   window_answerer LOG ACTION...
//     yes | no | ok   the next message box: logs
//                     "msgbox <buttons> <title>|<text>" and presses that button
//     press:CAPTION   the next dialog with a button CAPTION (access-key "&"
//                     left out): logs "dialog <title> <buttons>|<texts>",
//                     its labels' texts and the start of any rich text, and
//                     presses that button
//     rows:N          the main reports window's list (the window may be
//                     hidden) shows at least N rows: logs "reports window
//                     rows <count>"
//     choose:N        press:Conferma (the bundle chooser), after selecting
//                     row N (0 is the first) of the dialog's list with the
//                     keyboard, as a person would
//
// Only messages the system carries between processes are used (window
// texts, posted keys and commands). Exits 0 when every action was carried
// out, 1 when a dialog did not come within a minute or lacked what the
// action needed.
#include <windows.h>
// (after windows.h, which it needs)
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "dialogs_found.h"

namespace {

using lirvo::wintest::ButtonCaptioned;
using lirvo::wintest::ChildOfClass;
using lirvo::wintest::Children;
using lirvo::wintest::ClassOf;
using lirvo::wintest::MessageTextOf;
using lirvo::wintest::ShownDialogs;
using lirvo::wintest::TextOf;

// The button texts of a dialog, in the order of its children, joined by "/".
std::wstring Buttons(HWND dialog) {
  std::wstring buttons;
  for (HWND child : Children(dialog)) {
    if (ClassOf(child) != L"Button") continue;
    if (!buttons.empty()) buttons += L"/";
    buttons += TextOf(child);
  }
  return buttons;
}

// The next dialog that `wanted` accepts, waiting up to a minute.
template <class Wanted>
HWND WaitFor(Wanted wanted) {
  for (int tries = 0; tries < 1200; ++tries) {
    for (HWND dialog : ShownDialogs(/*own=*/false)) {
      if (wanted(dialog)) return dialog;
    }
    ::Sleep(50);
  }
  return nullptr;
}

// Waits until `dialog` has gone, so the next action does not find it again.
void WaitGone(HWND dialog) {
  for (int tries = 0; tries < 1200 && ::IsWindow(dialog) && ::IsWindowVisible(dialog); ++tries) {
    ::Sleep(50);
  }
}

void Log(FILE* log, const std::wstring& line) {
  std::fwprintf(log, L"%ls\n", line.c_str());
  std::fflush(log);
}

bool AnswerMessageBox(FILE* log, const std::wstring& answer) {
  const int button = answer == L"yes" ? IDYES : answer == L"no" ? IDNO : IDOK;
  HWND box = WaitFor([](HWND dialog) { return MessageTextOf(dialog) != nullptr; });
  if (box == nullptr) {
    Log(log, L"no message box came for " + answer);
    return false;
  }
  Log(log, L"msgbox " + Buttons(box) + L" " + TextOf(box) + L"|" + TextOf(MessageTextOf(box)));
  ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
  WaitGone(box);
  return true;
}

// With `row` from 0 up, that row of the dialog's list is selected first.
bool Press(FILE* log, const std::wstring& caption, int row = -1) {
  HWND button = nullptr;
  HWND dialog = WaitFor([&](HWND candidate) {
    button = ButtonCaptioned(candidate, caption);
    return button != nullptr;
  });
  if (dialog == nullptr) {
    Log(log, L"no dialog with " + caption + L" came");
    return false;
  }
  std::wstring texts;
  for (HWND child : Children(dialog)) {
    const std::wstring kind = ClassOf(child);
    if (kind == L"Static" || kind.rfind(L"RichEdit", 0) == 0) {
      texts += L"|" + TextOf(child).substr(0, 120);
    }
  }
  Log(log, L"dialog " + TextOf(dialog) + L" " + Buttons(dialog) + texts);
  if (row >= 0) {
    HWND list = ChildOfClass(dialog, L"SysListView32");
    if (list == nullptr) {
      Log(log, L"the dialog has no list");
      return false;
    }
    ::PostMessageW(list, WM_KEYDOWN, VK_HOME, 0);
    for (int i = 0; i < row; ++i) ::PostMessageW(list, WM_KEYDOWN, VK_DOWN, 0);
    // The keys reach the list before the command: posted messages keep
    // their order within the thread that owns both windows.
  }
  ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
  WaitGone(dialog);
  return true;
}

bool Rows(FILE* log, long wanted) {
  for (int tries = 0; tries < 1200; ++tries) {
    HWND window = ::FindWindowW(L"plgRefertiLirvo.frmRefertiLirvo", nullptr);
    HWND list = window != nullptr ? ChildOfClass(window, L"SysListView32") : nullptr;
    const long count =
        list != nullptr ? static_cast<long>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)) : 0;
    if (count >= wanted) {
      Log(log, L"reports window rows " + std::to_wstring(count));
      return true;
    }
    ::Sleep(50);
  }
  Log(log, L"the reports window did not show " + std::to_wstring(wanted) + L" rows");
  return false;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fwprintf(stderr, L"usage: window_answerer LOG ACTION...\n");
    return 2;
  }
  FILE* log = _wfopen(argv[1], L"w, ccs=UTF-8");
  if (log == nullptr) return 2;
  bool ok = true;
  for (int i = 2; i < argc && ok; ++i) {
    const std::wstring action = argv[i];
    if (action.rfind(L"choose:", 0) == 0) {
      ok = Press(log, L"Conferma", static_cast<int>(std::wcstol(action.c_str() + 7, nullptr, 10)));
    } else if (action.rfind(L"rows:", 0) == 0) {
      ok = Rows(log, std::wcstol(action.c_str() + 5, nullptr, 10));
    } else if (action.rfind(L"press:", 0) == 0) {
      ok = Press(log, action.substr(6));
    } else {
      ok = AnswerMessageBox(log, action);
    }
  }
  std::fclose(log);
  return ok ? 0 : 1;
}
