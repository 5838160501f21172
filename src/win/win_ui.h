// The user-interface service on Windows: the system's message boxes, beep,
// pointer, folder browser and pop-up menu, and the modal display of the
// plug-in's dialogs in native windows.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "controls/ui.h"

namespace lirvo::win {

// A native window that shows a modal form. It is created inside the modal
// dialog the Ui opens (`dialog`, already sized and captioned) and lives
// until the dialog ends.
class ModalView {
 public:
  virtual ~ModalView() = default;
  // Called when a control of the dialog sends WM_COMMAND; returns true when
  // it handled it.
  virtual bool Command(WORD id, WORD code, HWND control) {
    (void)id;
    (void)code;
    (void)control;
    return false;
  }
  // Called for WM_CTLCOLORSTATIC from `control`: the brush of its back
  // (with the text and back colours set in `dc`), or null for the dialog's
  // colours.
  virtual HBRUSH ControlColor(HWND control, HDC dc) {
    (void)control;
    (void)dc;
    return nullptr;
  }
  // Called for WM_DRAWITEM from an owner-drawn control; true when it drew
  // it.
  virtual bool DrawItem(const DRAWITEMSTRUCT& item) {
    (void)item;
    return false;
  }
  // Called for WM_NOTIFY; returns true when it handled it, with the
  // notification's answer in `result`.
  virtual bool Notify(const NMHDR& header, LRESULT& result) {
    (void)header;
    (void)result;
    return false;
  }
};

class WinUi final : public ui::Ui {
 public:
  // Makes the view of a modal form inside `dialog`.
  using ViewFactory = std::function<std::unique_ptr<ModalView>(ui::ModalForm& form, HWND dialog)>;

  WinUi() = default;
  ~WinUi() override;
  WinUi(const WinUi&) = delete;
  WinUi& operator=(const WinUi&) = delete;

  // The view of the modal form named `form_name` ("frmGetBundle" ...). A form
  // without one is shown as an empty dialog with its caption.
  void SetView(const std::string& form_name, ViewFactory factory);

  // ---- BusyPointer: 11 (hourglass) and 13 (arrow and hourglass) show the
  // system's wait pointers; any other value the arrow.
  int MousePointer() const override { return pointer_; }
  void SetMousePointer(int pointer) override;

  // ---- Ui
  // The style is the system message box's own flags (16 critical, 36 yes/no
  // question, 48 exclamation, 64 information, ...); the box is modal to the
  // active window of the thread. The answer is the system's (IDOK 1 ...
  // IDNO 7), which is the runtime's numbering.
  int MsgBox(const std::string& text, int style, const std::string& title) override;
  void Beep() override;
  // A modal dialog over the active window, with the form's caption, sized for
  // the view; when the dialog ends and the form is still open, the form is
  // closed as its close box would.
  void ShowModal(ui::ModalForm& form) override;
  // The shell's folder browser, titled `title`, opening on `start_folder`.
  std::optional<std::string> BrowseForFolder(const std::string& title,
                                             const std::string& start_folder) override;
  // A menu at the mouse pointer.
  int PopupMenu(const std::vector<std::string>& items) override;
  // The printer dialog; the device context stays the Ui's until it is
  // destroyed.
  ui::PrinterDc ShowPrinter(int flags) override;
  // Printing needs a printer: without one, error 482.
  void PrintGrid(const controls::ReportGrid& grid) override;
  void PrintText(const controls::StyledText& text, ui::PrinterDc dc) override;

 private:
  int pointer_ = kPointerDefault;
  std::map<std::string, ViewFactory> views_;
  std::vector<HDC> printer_dcs_;
};

}  // namespace lirvo::win
