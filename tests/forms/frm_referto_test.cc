#include "forms/frm_referto.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "forms/window_fixture.h"
#include "support/runtime_error_matchers.h"
#include "support/trap_recorder.h"

namespace lirvo::forms {
namespace {

using controls::Bounds;
using test_support::CallsOf;
using test_support::ThrowsRuntimeError;

class DetailWindowTest : public test_support::WindowFixture {
 protected:
  DetailWindowTest() {
    controls::AppendRichText(form.RichTextBox1(), "Courier New", 8, 0, true, "Esami:");
    controls::AppendRichText(form.RichTextBox1(), "Courier New", 8, 255, false, " *130 mg/dl");
    form.RichTextBox1().SetSelStart(0);
  }

  frmReferto form{context_};
};

TEST_F(DetailWindowTest, DesignTextsAndLayout) {
  EXPECT_EQ(form.Name(), "frmReferto");
  EXPECT_EQ(form.Caption(), "Dettaglio referto");
  EXPECT_EQ(form.laTitoli(2).Caption(), "Paziente");
  EXPECT_EQ(form.laTitoli(3).Caption(), "Patient summary");
  EXPECT_EQ(form.laTitoli(3).GetBounds(), (Bounds{360, 360, 6090, 315}));
  EXPECT_EQ(form.RichTextBox1().GetBounds(), (Bounds{90, 840, 11015, 6210}));
  EXPECT_EQ(form.cbStampa().Caption(), "Stampa");
  EXPECT_EQ(form.cbChiudi().GetBounds(), (Bounds{9900, 7275, 1140, 390}));
  EXPECT_FALSE(form.RichTextBox2().Visible());
  EXPECT_THAT([&] { form.laTitoli(1); }, ThrowsRuntimeError(kErrNoControlArrayElement));
  EXPECT_FALSE(form.IsOpen());
}

TEST_F(DetailWindowTest, ShownModallyItDescribesItselfAndChiudiEndsTheDisplay) {
  form.laTitoli(3).SetCaption("ROSSI MARIO");
  ui_.QueueModalAction({"frmReferto", {"select 1 3", "click cbChiudi", "cbStampa"}});
  form.ShowModal();
  const auto modal = CallsOf(ui_, "modal");
  ASSERT_EQ(modal.size(), 1u);
  EXPECT_EQ(modal[0]["caption"], "Dettaglio referto");
  EXPECT_EQ(modal[0]["labels"], (nlohmann::json{{"2", "Paziente"}, {"3", "ROSSI MARIO"}}));
  EXPECT_EQ(modal[0]["text"], "Esami: *130 mg/dl");
  EXPECT_EQ(modal[0]["runs"].size(), 2u);
  EXPECT_EQ(modal[0]["runs"][1]["color"], 255);
  // Chiudi ended the display: the step after it never ran, nothing closed it.
  EXPECT_EQ(CallsOf(ui_, "modal_action").size(), 2u);
  EXPECT_TRUE(CallsOf(ui_, "modal_close").empty());
  EXPECT_TRUE(CallsOf(ui_, "printer").empty());
  EXPECT_EQ(form.RichTextBox1().SelText(), "sam");
  EXPECT_FALSE(form.IsOpen());
}

TEST_F(DetailWindowTest, StampaPrintsTheSelectionOrEverything) {
  struct Case {
    const char* select;
    int flags;
    const char* printed;
  };
  for (const Case& c :
       {Case{"select 0 0", 264, "Esami: *130 mg/dl"}, Case{"select 3 5", 265, "mi: *"}}) {
    ui_.QueuePrinter(true);
    ui_.QueueModalAction({"", {c.select, "cbStampa", "cbChiudi"}});
    form.ShowModal();
    const auto printer = CallsOf(ui_, "printer");
    const auto print = CallsOf(ui_, "print");
    ASSERT_FALSE(printer.empty());
    ASSERT_FALSE(print.empty());
    EXPECT_EQ(printer.back()["flags"], c.flags) << c.select;
    EXPECT_EQ(print.back()["text"], c.printed) << c.select;
  }
  // The selection's runs keep their styles.
  EXPECT_EQ(CallsOf(ui_, "print").back()["runs"],
            ui::ScriptedUi::RunsToJson(
                {{"mi:", {"Courier New", 8, 0, true}}, {" *", {"Courier New", 8, 255, false}}}));
}

TEST_F(DetailWindowTest, CancelOrAFailingPrintLeavesTheWindowOpenWithoutAMessage) {
  ui_.QueuePrinter(false);
  ui_.QueuePrinter(true);
  ui_.QueuePrintFailure();
  ui_.QueueModalAction({"frmReferto", {"cbStampa", "cbStampa"}});
  test_support::TrapRecorder traps;
  form.ShowModal();
  // The failed print is recorded as a trap, the person's cancel is not.
  ASSERT_EQ(traps.traps.size(), 1u);
  EXPECT_EQ(CallsOf(ui_, "printer").size(), 2u);
  EXPECT_TRUE(CallsOf(ui_, "print").empty());
  EXPECT_EQ(CallsOf(ui_, "print_failed").size(), 1u);
  EXPECT_TRUE(CallsOf(ui_, "msgbox").empty());
  // Still open after both: the scripted user closed it.
  EXPECT_EQ(CallsOf(ui_, "modal_close").size(), 1u);
}

TEST_F(DetailWindowTest, UnknownActionsAndAReleasedWindow) {
  for (const char* action :
       {"cbSalva", "select", "select 1", "select a 2", "select -1 2", "select 1 2 3"}) {
    EXPECT_FALSE(form.Perform(action)) << action;
  }
  form.Release();
  form.ShowModal();
  form.cbStampa_Click();
  EXPECT_TRUE(ui_.Calls().empty());
}

}  // namespace
}  // namespace lirvo::forms
