// The Ui service for people: Qt message boxes, modal windows, the mouse
// pointer as Qt's override cursor, the system beep, the folder browser, the
// pop-up menu, the printer dialog and printing through QPrinter.
//
// It decides nothing the plug-in decides: it shows what it is asked to show
// and hands back what the person chose, numbered as the host's runtime
// numbers it.
#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "controls/ui.h"

class QDialog;
class QPrinter;
class QTextDocument;

namespace lirvo::controls {
class ReportGrid;
}

namespace lirvo::qt {

class QtUi final : public ui::Ui {
 public:
  // Makes the dialog that shows `form` while it is shown modally. The
  // dialog ends the modal display by closing; a form that is still open
  // afterwards is closed as its close box would.
  using DialogFactory =
      std::function<std::unique_ptr<QDialog>(ui::ModalForm& form, QWidget* parent)>;

  // Dialogs open over `parent` (nullptr: over the active window).
  explicit QtUi(QWidget* parent = nullptr);
  // Gives back the override cursor it set.
  ~QtUi() override;
  QtUi(const QtUi&) = delete;
  QtUi& operator=(const QtUi&) = delete;

  void SetParent(QWidget* parent) { parent_ = parent; }
  // The dialog of the modal form named `form_name` ("frmReferto" ...). A
  // form without one (or after an empty factory) is shown as an empty
  // dialog with its caption.
  void SetDialog(const std::string& form_name, DialogFactory factory);
  // Every print goes to the PDF file `path` instead of a printer ("":
  // printers again).
  void SetPdfOutput(const std::string& path) { pdf_output_ = path; }

  // ---- BusyPointer: 0 default, 1 arrow, 3 I-beam, 11 hourglass, 13 arrow
  // and hourglass; others show the arrow.
  int MousePointer() const override { return pointer_; }
  void SetMousePointer(int pointer) override;

  // ---- Ui
  // The icon from the style's 16/32/48/64, the buttons from its lowest
  // three bits (0 OK ... 5 Retry and Cancel, with their Italian texts), the
  // default button from 256/512; a box closed without a button answers
  // as UnansweredMsgBox says.
  int MsgBox(const std::string& text, int style, const std::string& title) override;
  void Beep() override;
  void ShowModal(ui::ModalForm& form) override;
  // The folder dialog, titled `title`, opening on `start_folder`.
  std::optional<std::string> BrowseForFolder(const std::string& title,
                                             const std::string& start_folder) override;
  // A menu at the mouse pointer.
  int PopupMenu(const std::vector<std::string>& items) override;
  // The printer dialog; "selection" is offered and preselected with
  // kPrinterSelection, the page range is hidden with kPrinterNoPageNums.
  // Each accepted dialog gives a new device context; RuntimeError
  // kErrCancel when cancelled.
  ui::PrinterDc ShowPrinter(int flags) override;
  // The grid's visible columns and shown rows as a table on the default
  // printer (RuntimeError kErrPrinter without one).
  void PrintGrid(const controls::ReportGrid& grid) override;
  // RuntimeError kErrPrinter for a device context this Ui did not give.
  void PrintText(const controls::StyledText& text, ui::PrinterDc dc) override;

 private:
  QWidget* Parent() const;
  // A printer for the PDF output when there is one, else for the default
  // printer (nullptr when there is none).
  std::unique_ptr<QPrinter> NewPrinter() const;
  // Lays `document` out on the printer's pages and prints them;
  // RuntimeError kErrPrinter when the printer refuses.
  static void Print(QTextDocument& document, QPrinter& printer);

  QPointer<QWidget> parent_;
  std::map<std::string, DialogFactory> dialogs_;
  std::string pdf_output_;
  int pointer_ = ui::kPointerDefault;
  bool cursor_overridden_ = false;
  std::map<ui::PrinterDc, std::unique_ptr<QPrinter>> printers_;
  ui::PrinterDc next_dc_ = 1;
};

}  // namespace lirvo::qt
