#include "forms/frm_config.h"

#include <gtest/gtest.h>

#include "forms/folder_browser.h"
#include "forms/window_fixture.h"
#include "support/trap_recorder.h"

namespace lirvo::forms {
namespace {

using test_support::CallsOf;

// A folder given a separator, the same one in another letter case, and the
// browser's title are compared by the end-to-end scripts (change_folder).
TEST(FolderBrowserTest, ANewFolderIsTrimmedEndsWithASeparatorAndDiffersInMoreThanCase) {
  struct Case {
    std::string shown;
    std::optional<std::string> answer;
    std::string chosen;
  };
  for (const Case& c : std::vector<Case>{
           {"/dati/referti/", std::nullopt, ""},
           {"/dati/referti/", "   ", ""},
           {" /dati/referti/ ", "/dati/nuovi", "/dati/nuovi/"},
           {"", "  /dati/nuovi/ ", "/dati/nuovi/"},
       }) {
    test_support::RecordingUi ui;
    ui.QueueFolder(c.answer);
    EXPECT_EQ(BrowseForNewFolder(ui, c.shown), c.chosen) << c.answer.value_or("cancel");
    const auto browses = CallsOf(ui, "browse");
    ASSERT_EQ(browses.size(), 1u);
    EXPECT_EQ(browses[0]["start"], c.shown == " /dati/referti/ " ? "/dati/referti/" : c.shown);
  }
}

// Opening on the documents folder, "Command1", "Applica" and "Chiudi" in
// their ordinary order are pinned by the end-to-end scripts.
class ConfigDialogTest : public test_support::WindowFixture {
 protected:
  ConfigDialogTest() {
    form->Form_Load();
    form->laPath().SetCaption("/dati/referti/");
  }

  std::shared_ptr<frmConfig> form = std::make_shared<frmConfig>(context_);
};

TEST_F(ConfigDialogTest, OnlyANewFolderEnablesApplyWhichKeepsTheDialogOpen) {
  for (const char* same : {"/dati/REFERTI", "/dati/referti/"}) {
    ui_.QueueFolder(same);
    ASSERT_TRUE(form->Perform("Command1"));
    EXPECT_FALSE(form->cmdButton(1).Enabled()) << same;
  }
  ui_.QueueFolder("/dati/nuovi");
  ASSERT_TRUE(form->Perform("Command1"));
  EXPECT_TRUE(form->cmdButton(1).Enabled());
  EXPECT_EQ(context_->documents_folder, "/inst/documents/");  // not yet applied
  ui_.QueueFolder("/dati/altri/");
  for (const char* action : {"Applica", "Command1", "cmdButton 1"}) {
    ASSERT_TRUE(form->Perform(action)) << action;
  }
  EXPECT_EQ(context_->documents_folder, "/dati/altri/");
  EXPECT_TRUE(form->bApplyData());
  EXPECT_FALSE(form->cmdButton(1).Enabled());
  EXPECT_TRUE(form->IsOpen());
}

TEST_F(ConfigDialogTest, ABlankFolderIsNotApplied) {
  form->laPath().SetCaption("   ");
  EXPECT_FALSE(form->ValidateFolder(false));
  EXPECT_TRUE(CallsOf(ui_, "msgbox").empty());

  form->cmdButton_Click(1);
  const auto warnings = CallsOf(ui_, "msgbox");
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_EQ(warnings[0]["text"], "Cartella di salvataggio dei documenti obbigliatoria!");
  EXPECT_EQ(warnings[0]["style"], 48);
  EXPECT_EQ(form->ActiveControl(), &form->Command1());
  EXPECT_FALSE(form->bApplyData());
  EXPECT_EQ(context_->documents_folder, "/inst/documents/");
}

TEST_F(ConfigDialogTest, UnansweredUnownedOrReleasedNothingIsApplied) {
  // A new folder browsed, then the dialog closed unanswered.
  ui_.QueueFolder("/dati/nuovi");
  ui_.QueueModalAction({"frmConfig", {"Command1"}});
  EXPECT_FALSE(ShowConfigDialog(*context_));
  EXPECT_EQ(CallsOf(ui_, "modal_close").size(), 1u);
  EXPECT_EQ(context_->documents_folder, "/inst/documents/");

  // A context nobody owns cannot be handed to the dialog.
  test_support::FakeContext unowned(ui_, fs_, host_);
  test_support::TrapRecorder traps;
  EXPECT_FALSE(ShowConfigDialog(unowned));
  ASSERT_EQ(traps.traps.size(), 1u);
  EXPECT_EQ(traps.traps[0].number, kErrObjectNotSet);
  EXPECT_EQ(CallsOf(ui_, "modal").size(), 1u);

  const size_t calls = ui_.Calls().size();
  form->Release();
  ui_.QueueFolder("/dati/nuovi/");
  form->Command1_Click();
  form->laPath().SetCaption("/dati/nuovi/");
  form->cmdButton_Click(1);
  EXPECT_EQ(ui_.Calls().size(), calls);
  EXPECT_EQ(context_->documents_folder, "/inst/documents/");
  EXPECT_FALSE(form->bApplyData());
  EXPECT_FALSE(form->Perform("Command1"));
}

}  // namespace
}  // namespace lirvo::forms
