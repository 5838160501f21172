// The user-interface service: everything the plug-in asks of the person in
// front of the screen. The Qt implementation shows real dialogs; the scripted
// one (scripted_ui.h) answers from a queue and records every call, for tests
// and for the headless `lirvo run`.
#pragma once

#include <cstdint>
#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <string>
#include <vector>

#include "base/busy_pointer.h"
#include "base/product.h"
#include "controls/styled_text.h"

namespace lirvo::controls {
class ReportGrid;
}

namespace lirvo::ui {

// Message-box styles (buttons plus icon) and answers, as the host's runtime
// numbers them.
inline constexpr int kCritical = 16;       // OK, critical icon
inline constexpr int kQuestionYesNo = 36;  // Yes and No, question icon
inline constexpr int kExclamation = 48;    // OK, exclamation icon
inline constexpr int kInformation = 64;    // OK, information icon
inline constexpr int kYesNoButtons = 4;    // the buttons part of a style

inline constexpr int kAnswerOk = 1;
inline constexpr int kAnswerCancel = 2;
inline constexpr int kAnswerAbort = 3;
inline constexpr int kAnswerRetry = 4;
inline constexpr int kAnswerIgnore = 5;
inline constexpr int kAnswerYes = 6;
inline constexpr int kAnswerNo = 7;

// The answers of the buttons a message-box style shows (its lowest three
// bits: 0 OK, 1 OK Cancel, 2 Abort Retry Ignore, 3 Yes No Cancel, 4 Yes No,
// 5 Retry Cancel), left to right.
std::vector<int> MsgBoxButtons(int style);
// The answer of a box closed without a button: Cancel where the box has it,
// No in a yes/no box, else its first button (OK, Abort).
int UnansweredMsgBox(int style);

// The printer dialog's flags, as the common dialog numbers them: hand back a
// device context of the chosen printer, hide the page-number choice, and
// preselect "selection" (else "all pages", 0).
inline constexpr int kPrinterReturnDc = 256;
inline constexpr int kPrinterNoPageNums = 8;
inline constexpr int kPrinterSelection = 1;
// The runtime error of a dialog whose Cancel is reported as an error.
inline constexpr int kErrCancel = 32755;

// A device context of a printer chosen in the printer dialog.
using PrinterDc = int64_t;

// Mouse pointers, and the guard that shows one while it lives.
using ::lirvo::kPointerDefault;
using ::lirvo::kPointerHourglass;
using ::lirvo::PointerGuard;

// The title of every message box of the plug-in but the start-up failure.
inline constexpr const char* kMsgTitle = kProductName;

class ModalForm;

// The mouse pointer (MousePointer, SetMousePointer) comes from BusyPointer,
// so the Ui can be handed to the whole-file routines of the base layer.
class Ui : public BusyPointer {
 public:
  // Shows a message box; returns the answer (kAnswerOk, kAnswerYes, ...).
  virtual int MsgBox(const std::string& text, int style, const std::string& title) = 0;

  // The system beep.
  virtual void Beep() = 0;

  // Shows `form` modally; returns when the form has been closed.
  virtual void ShowModal(ModalForm& form) = 0;

  // The shell's folder browser: the chosen folder, or nothing when cancelled.
  virtual std::optional<std::string> BrowseForFolder(const std::string& title,
                                                     const std::string& start_folder) = 0;

  // The host's pop-up menu: 1-based number of the chosen item, 0 when
  // dismissed.
  virtual int PopupMenu(const std::vector<std::string>& items) = 0;

  // ---- Printing. Each throws RuntimeError when it fails; nothing reaches
  // the paper then.
  // The printer dialog with `flags` (kPrinter...): the chosen printer's
  // device context; RuntimeError kErrCancel when the user cancels.
  virtual PrinterDc ShowPrinter(int flags) = 0;
  // The grid prints itself on the default printer, as a list: its visible
  // columns (captions as headers) and the rows it shows, each indented by
  // its depth, in landscape when its print options say so.
  virtual void PrintGrid(const controls::ReportGrid& grid) = 0;
  // Prints `text` (the whole text of a rich-text box, or its selection) on
  // the printer of `dc`.
  virtual void PrintText(const controls::StyledText& text, PrinterDc dc) = 0;
};

// A window of the plug-in that can be shown modally.
class ModalForm {
 public:
  virtual ~ModalForm() = default;
  virtual std::string Name() const = 0;  // "frmReferto", "frmGetBundle", ...
  virtual std::string Caption() const = 0;
  // Closes the form as its close or cancel button would.
  virtual void Close() = 0;

  // What the form shows, for transcripts: a JSON object whose members are
  // added to the "modal" event (for example {"title":...,"text":...}). The
  // default describes nothing.
  virtual nlohmann::json Describe() const;
  // Carries out one scripted user action while the form is shown modally
  // ("select 2", "click cbChiudi", ...; the words are the form's own).
  // Returns false when the form does not know the action; the default knows
  // none.
  virtual bool Perform(const std::string& action);
  // Whether the form is still shown; an action that ends the modal display
  // (a confirm or close button) makes it false. The default is true, so a
  // form that does not track it is always closed with Close() after its
  // actions.
  virtual bool IsOpen() const;
};

}  // namespace lirvo::ui
