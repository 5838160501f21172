// The main reports window (frmRefertiLirvo) as a native window: the report
// grid as a list view (hyperlinks clicked, the right button opening the
// report menu), the progress bar with its text, and the patient search
// group. Clinora carries it in one of its child windows: the window is made
// hidden and without a parent, for the host to adopt (SetParent) and show.
// Resizing the window lays the form out again; every decision stays with
// the presenter. The form's activation is the host's to tell (the form
// object's Activate, when its child window becomes the active one), not
// the window's: focus coming back from a dialog is no activation.
#pragma once

#include <windows.h>

#include <memory>

#include "forms/frm_referti_lirvo.h"
#include "win/native_window.h"

namespace lirvo::win {

class ReportsWindow final : public NativeWindow {
 public:
  // Makes the window over `form`, which must outlive it.
  explicit ReportsWindow(forms::frmRefertiLirvo& form);
  ~ReportsWindow() override;
  ReportsWindow(const ReportsWindow&) = delete;
  ReportsWindow& operator=(const ReportsWindow&) = delete;

  HWND Window() const override { return window_; }

 private:
  struct Views;
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  static LRESULT CALLBACK SearchBoxProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);

  forms::frmRefertiLirvo& form_;
  HWND window_ = nullptr;
  std::unique_ptr<Views> views_;
  WNDPROC search_box_proc_ = nullptr;
};

}  // namespace lirvo::win
