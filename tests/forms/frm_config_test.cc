#include "forms/frm_config.h"

#include <gtest/gtest.h>

#include "forms/window_fixture.h"
#include "support/trap_recorder.h"

namespace lirvo::forms {
namespace {

using test_support::CallsOf;

class ConfigDialogTest : public test_support::WindowFixture {
 protected:
  ConfigDialogTest() {
    form->Form_Load();
    form->laPath().SetCaption("/dati/referti/");
  }

  std::shared_ptr<frmConfig> form = std::make_shared<frmConfig>(context_);
};

TEST_F(ConfigDialogTest, ApplyIsEnabledOnlyByANewFolder) {
  EXPECT_EQ(form->Describe(),
            nlohmann::json::parse(R"({"folder":"/dati/referti/","apply_enabled":false})"));
  EXPECT_FALSE(form->Perform("Applica"));  // disabled: nobody can click it
  EXPECT_FALSE(form->Perform("Salva"));
  for (const char* same : {"/dati/REFERTI", "/dati/referti/"}) {
    ui_.QueueFolder(same);
    ASSERT_TRUE(form->Perform("Command1"));
    EXPECT_FALSE(form->cmdButton(1).Enabled()) << same;
  }
  ui_.QueueFolder("/dati/nuovi");
  ASSERT_TRUE(form->Perform("Command1"));
  EXPECT_EQ(form->Describe(),
            nlohmann::json::parse(R"({"folder":"/dati/nuovi/","apply_enabled":true})"));

  // Closed without applying: nothing changes.
  form->Close();
  EXPECT_FALSE(form->IsOpen());
  EXPECT_EQ(context_->documents_folder, "/inst/documents/");
  EXPECT_FALSE(form->bApplyData());
}

TEST_F(ConfigDialogTest, ApplyingStoresTheFolderAndKeepsTheDialogOpen) {
  ui_.QueueFolder("/dati/nuovi");
  ui_.QueueFolder("/dati/altri/");
  for (const char* action : {"Command1", "Applica", "Command1", "cmdButton 1"}) {
    ASSERT_TRUE(form->Perform(action)) << action;
  }
  EXPECT_EQ(context_->documents_folder, "/dati/altri/");
  EXPECT_TRUE(form->bApplyData());
  EXPECT_FALSE(form->cmdButton(1).Enabled());
  EXPECT_TRUE(form->IsOpen());
  ASSERT_TRUE(form->Perform("Chiudi"));
  EXPECT_FALSE(form->IsOpen());
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
  EXPECT_EQ(warnings[0]["title"], "Clinora - Referti Lirvo");
  EXPECT_EQ(form->ActiveControl(), &form->Command1());
  EXPECT_FALSE(form->bApplyData());
  EXPECT_EQ(context_->documents_folder, "/inst/documents/");
}

TEST_F(ConfigDialogTest, ShowConfigDialogOpensOnTheDocumentsFolder) {
  ui_.QueueFolder("/dati/nuovi");
  ui_.QueueModalAction({"frmConfig", {"Command1", "Applica", "Chiudi"}});
  EXPECT_TRUE(ShowConfigDialog(*context_));
  EXPECT_EQ(context_->documents_folder, "/dati/nuovi/");
  const auto modal = CallsOf(ui_, "modal");
  ASSERT_EQ(modal.size(), 1u);
  EXPECT_EQ(modal[0]["caption"], "Clinora - Referti Lirvo");
  EXPECT_EQ(modal[0]["folder"], "/inst/documents/");
  EXPECT_EQ(modal[0]["apply_enabled"], false);
  EXPECT_TRUE(CallsOf(ui_, "modal_close").empty());

  // Unanswered, the dialog is closed: nothing applied.
  EXPECT_FALSE(ShowConfigDialog(*context_));
  EXPECT_EQ(CallsOf(ui_, "modal_close").size(), 1u);

  // A context nobody owns cannot be handed to the dialog.
  test_support::FakeContext unowned(ui_, fs_, host_);
  test_support::TrapRecorder traps;
  EXPECT_FALSE(ShowConfigDialog(unowned));
  ASSERT_EQ(traps.traps.size(), 1u);
  EXPECT_EQ(traps.traps[0].number, kErrObjectNotSet);
  EXPECT_EQ(CallsOf(ui_, "modal").size(), 2u);
}

TEST_F(ConfigDialogTest, AReleasedWindowDoesNothing) {
  form->Release();
  ui_.QueueFolder("/dati/nuovi/");
  form->Command1_Click();
  form->laPath().SetCaption("/dati/nuovi/");
  form->cmdButton_Click(1);
  EXPECT_TRUE(ui_.Calls().empty());
  EXPECT_EQ(context_->documents_folder, "/inst/documents/");
  EXPECT_FALSE(form->bApplyData());
  EXPECT_FALSE(form->Perform("Command1"));
}

}  // namespace
}  // namespace lirvo::forms
