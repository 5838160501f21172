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

TEST(ScriptedUiTest, MessageBoxesTakeQueuedAnswersInOrderElseTheirDefault) {
  std::vector<nlohmann::json> sink;
  ScriptedUi ui([&](const nlohmann::json& e) { sink.push_back(e); });
  EXPECT_EQ(ui.MsgBox("Importare?", kQuestionYesNo, kMsgTitle), kAnswerNo);
  EXPECT_EQ(ui.MsgBox("Fatto", kInformation, kMsgTitle), kAnswerOk);
  EXPECT_EQ(ui.MsgBox("Errore", kCritical, "Clinora"), kAnswerOk);
  EXPECT_EQ(ui.MsgBox("Salvare?", 3 + 32, kMsgTitle), 2);  // yes/no/cancel: cancel
  ASSERT_EQ(sink.size(), 4u);
  EXPECT_EQ(sink[0], (nlohmann::json{{"type", "msgbox"},
                                     {"style", 36},
                                     {"title", "Clinora - Referti Lirvo"},
                                     {"text", "Importare?"},
                                     {"answer", 7}}));
  EXPECT_EQ(ui.Calls(), sink);

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
}

TEST(ScriptedUiTest, PopupsFoldersBeepAndPointer) {
  std::vector<nlohmann::json> sink;
  ScriptedUi ui([&](const nlohmann::json& e) { sink.push_back(e); });
  ui.QueuePopup(2);
  ui.QueuePopup(2);
  ui.QueueFolder("/docs/referti");
  EXPECT_EQ(ui.PopupMenu({"Importa Singolo", "Rimuovi Singolo"}), 2);
  EXPECT_EQ(ui.PopupMenu({"Importa Singolo"}), 0);  // no item 2: dismissed
  EXPECT_EQ(sink[1]["queued"], 2);
  EXPECT_EQ(ui.BrowseForFolder("Cartella referti", "/a"), "/docs/referti");
  EXPECT_EQ(ui.BrowseForFolder("Cartella referti", "/a"), std::nullopt);
  ui.Beep();
  {
    PointerGuard guard(ui);
    EXPECT_EQ(ui.MousePointer(), kPointerHourglass);
  }
  EXPECT_EQ(ui.MousePointer(), kPointerDefault);

  ASSERT_EQ(sink.size(), 5u);  // pointer changes stay out of the sink
  EXPECT_EQ(ui.PendingPopups(), 0u);
  EXPECT_EQ(sink[0], (nlohmann::json{{"type", "popup"},
                                     {"items", {"Importa Singolo", "Rimuovi Singolo"}},
                                     {"answer", 2}}));
  EXPECT_EQ(sink[3]["answer"], nullptr);
  EXPECT_EQ(sink[4], (nlohmann::json{{"type", "beep"}}));
  EXPECT_EQ(ui.Calls().size(), 7u);
  EXPECT_EQ(ui.Calls()[5], (nlohmann::json{{"type", "pointer"}, {"pointer", 11}}));
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

TEST(ScriptedUiTest, PrinterDialogCancelsUnlessToldAndPrintsShowWhatReachesThePaper) {
  std::vector<nlohmann::json> sink;
  ScriptedUi ui([&](const nlohmann::json& e) { sink.push_back(e); });
  EXPECT_THAT([&] { ui.ShowPrinter(264); }, test_support::ThrowsRuntimeError(kErrCancel));
  ui.QueuePrinter(true);
  const PrinterDc dc = ui.ShowPrinter(265);
  EXPECT_EQ(sink[0], (nlohmann::json{{"type", "printer"}, {"flags", 264}, {"answer", "cancel"}}));
  EXPECT_EQ(sink[1]["answer"], "ok");

  ui.PrintText({{"Reparto: ", {"Courier New", 8, 0, true}}, {"Ospedale", {"Courier New", 8, 255}}},
               dc);
  EXPECT_EQ(sink[2]["text"], "Reparto: Ospedale");
  EXPECT_EQ(sink[2]["runs"][1], (nlohmann::json{{"text", "Ospedale"},
                                                {"font", "Courier New"},
                                                {"size", 8.0},
                                                {"color", 255},
                                                {"bold", false}}));

  // A list prints its visible columns and shown rows, with their depth.
  controls::ReportGrid grid("rc", {});
  grid.AddColumn(0, "id", 0, false);
  grid.AddColumn(1, "Paziente", 100, true);
  grid.SetColumnVisible(0, false);
  controls::GridRecord& patient = grid.Records().Add();
  patient.AddItem(7);
  patient.AddItem(std::string("ROSSI MARIO"));
  patient.Childs().Add().AddItem(7);
  patient.SetExpanded(true);
  grid.PrintOptions().landscape = true;
  ui.QueuePrintFailure();
  EXPECT_THAT([&] { ui.PrintGrid(grid); }, test_support::ThrowsRuntimeError(kErrPrinter));
  ui.PrintGrid(grid);
  EXPECT_EQ(sink[3], (nlohmann::json{{"type", "print_failed"}, {"what", "list"}}));
  EXPECT_EQ(sink[4], (nlohmann::json{{"type", "print"},
                                     {"what", "list"},
                                     {"landscape", true},
                                     {"columns", {"Paziente"}},
                                     {"rows",
                                      {{{"level", 0}, {"cells", {"ROSSI MARIO"}}},
                                       {{"level", 1}, {"cells", {""}}}}}}));
}

}  // namespace
}  // namespace lirvo::ui
