// Finding the windows a person would look at, for the test programs that
// play the person: a window's class and text, its child windows and
// buttons, and the shown dialogs of this process or of the others.
#pragma once

#include <windows.h>
// (after windows.h, which it needs)
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

namespace lirvo::wintest {

inline std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  ::GetClassNameW(window, name, 64);
  return name;
}

// The window's text as it answers WM_GETTEXT (GetWindowText gives only the
// caption the system keeps for another process's window, which a rich-text
// control leaves empty).
inline std::wstring TextOf(HWND window) {
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
inline HWND MessageTextOf(HWND dialog) { return ::GetDlgItem(dialog, 0xFFFF); }

// (Named callbacks: a lambda does not convert to the 32-bit calling
// convention of an enumeration callback.)
inline BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

inline std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> children;
  ::EnumChildWindows(parent, &CollectWindow, reinterpret_cast<LPARAM>(&children));
  return children;
}

inline HWND ChildOfClass(HWND parent, const wchar_t* window_class) {
  for (HWND child : Children(parent)) {
    if (ClassOf(child) == window_class) return child;
  }
  return nullptr;
}

inline std::wstring WithoutAccessKey(std::wstring text) {
  std::erase(text, L'&');
  return text;
}

// The shown button of `dialog` captioned `caption` (access-key "&" left
// out), null when none.
inline HWND ButtonCaptioned(HWND dialog, const std::wstring& caption) {
  for (HWND child : Children(dialog)) {
    if (ClassOf(child) == L"Button" && ::IsWindowVisible(child) &&
        WithoutAccessKey(TextOf(child)) == caption) {
      return child;
    }
  }
  return nullptr;
}

// The text of a list view's cell (for this process's lists only: the
// message carries a pointer).
inline std::wstring CellText(HWND list, int row, int column) {
  wchar_t buffer[512] = {};
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = buffer;
  item.cchTextMax = 512;
  ::SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
  return buffer;
}

// The shown dialogs of this process (`own`) or of every other one.
inline std::vector<HWND> ShownDialogs(bool own) {
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

}  // namespace lirvo::wintest
