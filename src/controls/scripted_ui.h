// The scripted user: answers the plug-in's questions from queues filled in
// advance, records every call, and reports each one as a JSON event to a
// sink (the transcript of `lirvo run`, or a test).
//
// Queues, each consumed front first by the next call of its kind:
//   QueueAnswer(kAnswerYes | kAnswerNo | kAnswerOk ...)  next message box
//   QueuePopup(n)                  next pop-up menu: item n (1-based), 0 = dismissed
//   QueueFolder(path | nullopt)    next folder browser: the folder, or cancelled
//   QueueModalAction({form, steps}) next modal window (named `form`, or any
//                                  when `form` is empty): Perform each step
//   QueuePrinter(true | false)     next printer dialog: OK, or cancelled
//   QueuePrintFailure()            the next print (of a list or a text) fails
//
// Without a queued answer: a message box answers OK, or No when it asks yes
// or no (Cancel when it has a Cancel button); a pop-up menu is dismissed (0);
// a folder browser is cancelled; a modal window is closed as its close
// button would (Close()); a printer dialog is cancelled; a print succeeds.
//
// Events (one JSON object each, in call order):
//   {"type":"msgbox","style":N,"title":"...","text":"...","answer":N}
//       with "queued":N when the queued answer was not one of the box's
//       buttons (the box then gave its default answer)
//   {"type":"popup","items":[...],"answer":N}
//       with "queued":N when the queued choice was not an item (the menu
//       was then dismissed, 0)
//   {"type":"browse","title":"...","start":"...","answer":"..." or null}
//   {"type":"beep"}
//   {"type":"pointer","pointer":N}   only after RecordPointer(true)
//   {"type":"modal","form":"...","caption":"...", ...Describe()}
//   {"type":"modal_action","form":"...","action":"...","ok":bool}
//   {"type":"modal_close","form":"..."}   closed because no action closed it
//   {"type":"printer","flags":N,"answer":"ok"|"cancel"}
//   {"type":"print","what":"list","landscape":B,"columns":[captions],
//       "rows":[{"level":N,"cells":[texts]}]}   the visible columns only
//   {"type":"print","what":"text","dc":N,"text":"...",
//       "runs":[{"text","font","size","color","bold"}]}
//   {"type":"print_failed","what":"list"|"text"}   after QueuePrintFailure
#pragma once

#include <deque>
#include <functional>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "controls/ui.h"

namespace lirvo::ui {

struct ModalAction {
  std::string form;                // the window's Name(); empty = whichever opens next
  std::vector<std::string> steps;  // passed to ModalForm::Perform in order
};

class ScriptedUi : public Ui {
 public:
  using Sink = std::function<void(const nlohmann::json&)>;

  explicit ScriptedUi(Sink sink = {}) : sink_(std::move(sink)) {}

  void QueueAnswer(int answer) { answers_.push_back(answer); }
  void QueuePopup(int choice) { popups_.push_back(choice); }
  void QueueFolder(std::optional<std::string> folder) { folders_.push_back(std::move(folder)); }
  void QueueModalAction(ModalAction action) { modal_actions_.push_back(std::move(action)); }
  void QueuePrinter(bool ok) { printers_.push_back(ok); }
  void QueuePrintFailure() { ++print_failures_; }

  // Answers not yet used, per queue (a script can warn about leftovers).
  size_t PendingAnswers() const { return answers_.size(); }
  size_t PendingPopups() const { return popups_.size(); }
  size_t PendingFolders() const { return folders_.size(); }
  size_t PendingModalActions() const { return modal_actions_.size(); }
  size_t PendingPrinters() const { return printers_.size(); }

  // Also send pointer changes to the sink (they are always in Calls()).
  void RecordPointer(bool on) { record_pointer_ = on; }

  // Every call so far, as the events above, pointer changes included.
  const std::vector<nlohmann::json>& Calls() const { return calls_; }

  // ---- Ui
  int MsgBox(const std::string& text, int style, const std::string& title) override;
  int MousePointer() const override { return pointer_; }
  void SetMousePointer(int pointer) override;
  void Beep() override;
  void ShowModal(ModalForm& form) override;
  std::optional<std::string> BrowseForFolder(const std::string& title,
                                             const std::string& start_folder) override;
  int PopupMenu(const std::vector<std::string>& items) override;
  PrinterDc ShowPrinter(int flags) override;
  void PrintGrid(const controls::ReportGrid& grid) override;
  void PrintText(const controls::StyledText& text, PrinterDc dc) override;

  // The runs of `text` as JSON ({"text","font","size","color","bold"}), as
  // the "print" and "modal" events show them.
  static nlohmann::json RunsToJson(const controls::StyledText& text);

 private:
  void Emit(nlohmann::json event, bool to_sink = true);
  // Uses up a queued print failure: emits print_failed and raises.
  void FailPrintIfQueued(const char* what);

  Sink sink_;
  std::deque<int> answers_;
  std::deque<int> popups_;
  std::deque<std::optional<std::string>> folders_;
  std::deque<ModalAction> modal_actions_;
  std::deque<bool> printers_;
  int print_failures_ = 0;
  std::vector<nlohmann::json> calls_;
  int pointer_ = kPointerDefault;
  bool record_pointer_ = false;
};

}  // namespace lirvo::ui
