#include "controls/scripted_ui.h"

#include <gtest/gtest.h>

#include "controls/report_grid.h"
#include "support/runtime_error_matchers.h"

namespace lirvo::ui {
namespace {

TEST(MsgBoxButtonsTest, EveryStyleHasItsButtonsAndAnAnswerWhenClosed) {
  struct Case {
    int style;
    std::vector<int> buttons;
    int unanswered;
  } cases[] = {
      {kCritical, {kAnswerOk}, kAnswerOk},
      {1 + kExclamation, {kAnswerOk, kAnswerCancel}, kAnswerCancel},
      {2, {kAnswerAbort, kAnswerRetry, kAnswerIgnore}, kAnswerAbort},
      {3 + 256, {kAnswerYes, kAnswerNo, kAnswerCancel}, kAnswerCancel},
      {kQuestionYesNo, {kAnswerYes, kAnswerNo}, kAnswerNo},
      {5, {kAnswerRetry, kAnswerCancel}, kAnswerCancel},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MsgBoxButtons(c.style), c.buttons) << c.style;
    EXPECT_EQ(UnansweredMsgBox(c.style), c.unanswered) << c.style;
  }
}

// The transcript lines themselves are compared whole by the end-to-end
// scripts; here the queues behind the answers.
TEST(ScriptedUiTest, MessageBoxesTakeQueuedAnswersInOrderElseTheirDefault) {
  std::vector<nlohmann::json> sink;
  ScriptedUi ui([&](const nlohmann::json& e) { sink.push_back(e); });
  EXPECT_EQ(ui.MsgBox("Importare?", kQuestionYesNo, kMsgTitle), kAnswerNo);
  EXPECT_EQ(ui.MsgBox("Salvare?", 3 + 32, kMsgTitle), 2);  // yes/no/cancel: cancel

  // Queued answers are used in order; an information box cannot say yes.
  ui.QueueAnswer(kAnswerYes);
  ui.QueueAnswer(kAnswerYes);
  ui.QueueAnswer(kAnswerNo);
  EXPECT_EQ(ui.MsgBox("a", kQuestionYesNo, ""), kAnswerYes);
  EXPECT_EQ(ui.MsgBox("b", kInformation, ""), kAnswerOk);
  EXPECT_EQ(ui.Calls().back()["queued"], kAnswerYes);
  EXPECT_EQ(ui.PendingAnswers(), 1u);
  EXPECT_EQ(ui.MsgBox("c", kQuestionYesNo, ""), kAnswerNo);
  EXPECT_EQ(ui.MsgBox("d", kQuestionYesNo, ""), kAnswerNo);
  EXPECT_EQ(ui.Calls(), sink);
}

TEST(ScriptedUiTest, PopupsFoldersAndPointer) {
  std::vector<nlohmann::json> sink;
  ScriptedUi ui([&](const nlohmann::json& e) { sink.push_back(e); });
  ui.QueuePopup(2);
  ui.QueuePopup(2);
  ui.QueueFolder("/docs/referti");
  EXPECT_EQ(ui.PopupMenu({"Importa Singolo", "Rimuovi Singolo"}), 2);
  EXPECT_EQ(ui.PopupMenu({"Importa Singolo"}), 0);  // no item 2: dismissed
  EXPECT_EQ(sink[1]["queued"], 2);
  EXPECT_EQ(ui.PendingPopups(), 0u);
  EXPECT_EQ(ui.BrowseForFolder("Cartella referti", "/a"), "/docs/referti");
  EXPECT_EQ(ui.BrowseForFolder("Cartella referti", "/a"), std::nullopt);
  EXPECT_EQ(sink[3]["answer"], nullptr);
  {
    PointerGuard guard(ui);
    EXPECT_EQ(ui.MousePointer(), kPointerHourglass);
  }
  EXPECT_EQ(ui.MousePointer(), kPointerDefault);
  // Pointer changes stay out of the sink.
  EXPECT_EQ(sink.size(), 4u);
  ASSERT_EQ(ui.Calls().size(), 6u);
  EXPECT_EQ(ui.Calls()[4], (nlohmann::json{{"type", "pointer"}, {"pointer", 11}}));
}

// A dialog with a list and two buttons; "pick N" selects, "ok" and "close"
// end the modal display.
class FakeDialog : public ModalForm {
 public:
  std::string Name() const override { return "frmGetBundle"; }
  std::string Caption() const override { return "Storico"; }
  void Close() override {
    ++closed;
    open = false;
  }
  nlohmann::json Describe() const override { return {{"rows", 3}, {"form", "spoofed"}}; }
  bool Perform(const std::string& action) override {
    if (action.starts_with("pick ")) {
      picked = std::stoi(action.substr(5));
      return true;
    }
    if (action == "ok") {
      open = false;
      return true;
    }
    return false;
  }
  bool IsOpen() const override { return open; }

  bool open = true;
  int picked = -1;
  int closed = 0;
};

TEST(ScriptedUiTest, ModalActionsDriveTheFormAndOpenFormsAreClosed) {
  std::vector<nlohmann::json> sink;
  ScriptedUi ui([&](const nlohmann::json& e) { sink.push_back(e); });
  ui.QueueModalAction({"frmGetBundle", {"pick 2", "dance", "ok", "pick 1"}});
  FakeDialog first;
  ui.ShowModal(first);
  EXPECT_EQ(first.picked, 2);  // "pick 1" came after the window closed
  EXPECT_EQ(first.closed, 0);
  ASSERT_EQ(sink.size(), 4u);
  EXPECT_EQ(sink[0],
            (nlohmann::json{
                {"type", "modal"}, {"form", "frmGetBundle"}, {"caption", "Storico"}, {"rows", 3}}));
  EXPECT_EQ(sink[2]["ok"], false);
  EXPECT_EQ(sink[3]["action"], "ok");

  // An action for another window waits; this one is closed by default.
  ui.QueueModalAction({"frmConfig", {"ok"}});
  FakeDialog second;
  ui.ShowModal(second);
  EXPECT_EQ(second.closed, 1);
  EXPECT_EQ(sink.back(), (nlohmann::json{{"type", "modal_close"}, {"form", "frmGetBundle"}}));
  EXPECT_EQ(ui.PendingModalActions(), 1u);
}

TEST(ScriptedUiTest, PrinterDialogCancelsAndPrintsFailUnlessTold) {
  ScriptedUi ui([](const nlohmann::json&) {});
  EXPECT_THAT([&] { ui.ShowPrinter(264); }, test_support::ThrowsRuntimeError(kErrCancel));
  ui.QueuePrinter(true);
  EXPECT_NO_THROW(ui.ShowPrinter(265));
  ui.QueuePrintFailure();
  controls::ReportGrid grid("rc", {});
  EXPECT_THAT([&] { ui.PrintGrid(grid); }, test_support::ThrowsRuntimeError(kErrPrinter));
  EXPECT_NO_THROW(ui.PrintGrid(grid));
}

}  // namespace
}  // namespace lirvo::ui
