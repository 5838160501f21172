#include "forms/frm_referto.h"

#include <gtest/gtest.h>

#include "forms/window_fixture.h"
#include "support/trap_recorder.h"

namespace lirvo::forms {
namespace {

using test_support::CallsOf;

class DetailWindowTest : public test_support::WindowFixture {
 protected:
  DetailWindowTest() {
    controls::AppendRichText(form.RichTextBox1(), "Courier New", 8, 0, true, "Esami:");
    controls::AppendRichText(form.RichTextBox1(), "Courier New", 8, 255, false, " *130 mg/dl");
    form.RichTextBox1().SetSelStart(0);
  }

  frmReferto form{context_};
};

// The window's description, a printed selection (with its runs) and a
// cancelled printer dialog are pinned by the end-to-end scripts.
TEST_F(DetailWindowTest, ChiudiEndsTheDisplay) {
  ui_.QueueModalAction({"frmReferto", {"select 1 3", "click cbChiudi", "cbStampa"}});
  form.ShowModal();
  // The step after Chiudi never ran, nothing closed the window.
  EXPECT_EQ(CallsOf(ui_, "modal_action").size(), 2u);
  EXPECT_TRUE(CallsOf(ui_, "modal_close").empty());
  EXPECT_TRUE(CallsOf(ui_, "printer").empty());
  EXPECT_EQ(form.RichTextBox1().SelText(), "sam");
  EXPECT_FALSE(form.IsOpen());
}

// A failing print leaves the window open without a message; without a
// selection "Stampa" prints everything.
TEST_F(DetailWindowTest, AFailingPrintThenEverythingPrinted) {
  ui_.QueuePrinter(true);
  ui_.QueuePrinter(true);
  ui_.QueuePrintFailure();
  ui_.QueueModalAction({"frmReferto", {"cbStampa", "cbStampa"}});
  test_support::TrapRecorder traps;
  form.ShowModal();
  EXPECT_EQ(traps.traps.size(), 1u);
  EXPECT_EQ(CallsOf(ui_, "print_failed").size(), 1u);
  EXPECT_TRUE(CallsOf(ui_, "msgbox").empty());
  EXPECT_EQ(CallsOf(ui_, "printer").back()["flags"], 264);
  ASSERT_EQ(CallsOf(ui_, "print").size(), 1u);
  EXPECT_EQ(CallsOf(ui_, "print")[0]["text"], "Esami: *130 mg/dl");
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
