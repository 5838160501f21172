#include "forms/frm_get_bundle.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "base/clock.h"
#include "forms/window_fixture.h"
#include "support/trap_recorder.h"

namespace lirvo::forms {
namespace {

using test_support::CallsOf;
using ::testing::ElementsAre;

class BundleChooserTest : public test_support::WindowFixture {
 protected:
  BundleChooserTest() {
    std::filesystem::create_directory(Documents());
    context_->documents_folder = Documents();
  }

  std::string Documents() const { return dir_.File("documents/"); }
  void Touch(const std::string& name) { std::ofstream(Documents() + name) << "#01#"; }

  std::shared_ptr<frmGetBundle> Load(std::shared_ptr<WindowContext> context) {
    auto form = std::make_shared<frmGetBundle>(context);
    form->Form_Load();
    form->plbBundlesList(context_->current_bundle);
    return form;
  }
  std::shared_ptr<frmGetBundle> Load() { return Load(context_); }

  static std::vector<std::string> Column(frmGetBundle& form, int32_t item) {
    std::vector<std::string> texts;
    const controls::GridRecords& records = form.rcBundle().Records();
    for (int32_t i = 0; i < records.Count(); ++i) texts.push_back(records.Record(i).ItemText(item));
    return texts;
  }
};

// The folder's caption, the row marks and the transcript of an ordinary
// listing are pinned by the end-to-end scripts; here the odd names.
TEST_F(BundleChooserTest, ListsTheBundleFilesByNameWithTheImportedMark) {
  for (const char* name :
       {"zeta.dat", "Referti_20260301093000_Imported.dat", "referti.dat", "split_imported.dat",
        "scarto_20260301093000_Trash.tmp", "GRANDE.DAT", "note.txt", "referti.dat.bak",
        "àccentato è.dat", "con ; '%.dat", "\xff\xfe.dat"}) {
    Touch(name);
  }
  std::filesystem::create_directory(Documents() + "cartella.dat");
  context_->current_bundle = Documents() + "referti.dat";

  auto form = Load();
  EXPECT_THAT(Column(*form, kBundleItemName),
              ElementsAre("con ; '%.dat", "GRANDE.DAT", "referti.dat",
                          "Referti_20260301093000_Imported.dat", "split_imported.dat", "zeta.dat",
                          "àccentato è.dat", "\xff\xfe.dat"));
  EXPECT_FALSE(form->rcBundle().Column(kBundleItemPath).visible);
  EXPECT_EQ(Column(*form, kBundleItemPath)[2], Documents() + "referti.dat");
  EXPECT_THAT(Column(*form, kBundleItemImported),
              ElementsAre("", "", "", "Importato!", "", "", "", ""));
  // The bundle now loaded is listed but not selected.
  EXPECT_TRUE(form->rcBundle().SelectedRows().empty());
  EXPECT_EQ(form->SelectedBundleFile(), "");
  // A name that is not UTF-8 goes into the transcript without failing.
  EXPECT_NO_THROW(form->Describe().dump());
}

// A listed file's local date and time is pinned by the end-to-end scripts.
TEST_F(BundleChooserTest, TheFileDateIsDateAndTimeOrNothing) {
  struct Case {
    DateTime modified;
    std::string text;
  };
  for (const Case& c : std::vector<Case>{
           {{2026, 3, 1, 9, 5, 7}, "01/03/2026 09:05:07"},
           {{1900, 1, 0, 0, 0, 0}, ""},  // what a failed conversion leaves
           {{}, ""},
           {{10000, 1, 1, 0, 0, 0}, ""},
           {{2026, 2, 29, 0, 0, 0}, ""},
           {{2026, 3, 1, 24, 0, 0}, ""},
           {{2026, 3, 1, 9, -1, 0}, ""},
       }) {
    EXPECT_EQ(frmGetBundle::BundleFileDate(c.modified), c.text) << c.text;
  }
}

TEST_F(BundleChooserTest, AFolderThatCannotBeListedGivesAnEmptyListSilently) {
  Touch("referti.dat");
  auto form = Load();
  ASSERT_EQ(form->rcBundle().RowCount(), 1);

  struct Case {
    const char* what;
    std::function<void()> break_it;
    int error;
  };
  for (const Case& c : std::vector<Case>{
           {"vanished", [&] { std::filesystem::remove_all(Documents()); }, kErrFileNotFound},
           {"unreadable", [&] { fs_.FailOn(FsOp::kList, "documents"); }, kErrPathFileAccess},
       }) {
    c.break_it();
    test_support::TrapRecorder traps;
    form->plbBundlesList("");
    EXPECT_EQ(form->rcBundle().RowCount(), 0) << c.what;
    ASSERT_EQ(traps.traps.size(), 1u) << c.what;
    EXPECT_EQ(traps.traps[0].number, c.error) << c.what;
  }
  EXPECT_TRUE(CallsOf(ui_, "msgbox").empty());
  EXPECT_EQ(form->laPath().Caption(), Documents());
}

// The warning's text, confirming with and without a selection, and the
// ordinary cancel are pinned by the end-to-end scripts; here every other way
// in and out.
TEST_F(BundleChooserTest, ConfirmCancelAndClose) {
  Touch("a.dat");
  Touch("b c.dat");
  struct Case {
    std::vector<std::string> actions;
    std::vector<bool> performed;
    std::string chosen;
    bool open;
    size_t warnings;
  };
  for (const Case& c : std::vector<Case>{
           {{"cmdButton 0", "choose b c.dat"}, {true, true}, "b c.dat", false, 1},
           {{"dblclick b c.dat"}, {true}, "b c.dat", false, 0},
           {{"choose manca.dat", "choose A.DAT", "select"}, {false, false, false}, "", true, 0},
           {{"select a.dat", "Annulla"}, {true, true}, "", false, 0},
           {{"select a.dat", "cmdButton 1"}, {true, true}, "", false, 0},
           {{"cmdButton 2", "Chiudi", "choose"}, {false, false, false}, "", true, 0},
       }) {
    SCOPED_TRACE(c.actions.front());
    test_support::RecordingUi ui;
    auto context = std::make_shared<test_support::FakeContext>(ui, fs_, host_);
    context->documents_folder = Documents();
    auto form = Load(context);
    std::vector<bool> performed;
    for (const std::string& action : c.actions) performed.push_back(form->Perform(action));
    EXPECT_EQ(performed, c.performed);
    EXPECT_EQ(form->plbGetBundleFile(), c.chosen.empty() ? "" : Documents() + c.chosen);
    EXPECT_EQ(form->IsOpen(), c.open);
    EXPECT_EQ(CallsOf(ui, "msgbox").size(), c.warnings);
  }

  // A modal display nobody answers ends with the close box: nothing chosen,
  // even after a selection.
  auto unanswered = Load();
  ASSERT_TRUE(unanswered->Perform("select a.dat"));
  context_->UserInterface().ShowModal(*unanswered);
  EXPECT_FALSE(unanswered->IsOpen());
  EXPECT_EQ(unanswered->plbGetBundleFile(), "");
}

// The same folder in another letter case changes nothing (change_folder).
TEST_F(BundleChooserTest, ANewFolderIsStoredAndListed) {
  const std::string other = dir_.File("altri");
  std::filesystem::create_directory(other);
  std::ofstream(other + "/nuovo.dat") << "#01#";
  Touch("vecchio.dat");
  auto form = Load();
  ui_.QueueFolder(other);
  ASSERT_TRUE(form->Perform("Command1"));
  EXPECT_EQ(context_->documents_folder, other + "/");
  EXPECT_EQ(form->laPath().Caption(), other + "/");
  EXPECT_EQ(Column(*form, kBundleItemPath), std::vector<std::string>{other + "/nuovo.dat"});
  EXPECT_TRUE(form->rcBundle().SelectedRows().empty());
  EXPECT_TRUE(form->IsOpen());
}

TEST_F(BundleChooserTest, AReleasedWindowDoesNothing) {
  Touch("a.dat");
  auto form = Load();
  form->Release();
  ui_.QueueFolder(dir_.path());
  form->Command1_Click();
  form->cmdButton_Click(0);
  form->plbBundlesList("");
  EXPECT_EQ(ui_.PendingFolders(), 1u);
  EXPECT_TRUE(ui_.Calls().empty());
  EXPECT_EQ(form->rcBundle().RowCount(), 1);
  EXPECT_EQ(context_->documents_folder, Documents());
  EXPECT_FALSE(form->Perform("choose a.dat"));
}

}  // namespace
}  // namespace lirvo::forms
