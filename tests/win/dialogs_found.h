// Finding the windows a person would look at, for the test programs that
// play the person: a window's class, its child windows, and the shown
// dialogs of this process or of the others.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace lirvo::wintest {

inline std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  ::GetClassNameW(window, name, 64);
  return name;
}

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
