#include "forms/bundle_loader.h"

#include <gtest/gtest.h>

#include <fstream>

#include "base/file_system.h"
#include "base/text.h"
#include "forms/frm_referti_lirvo.h"
#include "forms/window_fixture.h"
#include "support/report_lines.h"

namespace lirvo::forms {
namespace {

using test_support::CallsOf;

// A report of patient `code` with one text line, its lines ending in LF.
std::string Report(std::string_view code, std::string_view text) {
  return "#01#" + test_support::ReportHeader(code) + "\n" + std::string(text) + "\n";
}

class BundleLoaderTest : public test_support::WindowFixture {
 protected:
  BundleLoaderTest() {
    host_->AddPatient("ROSSI", "MARIO", "080012345");
    host_->AddPatient("VERDI", "ANNA", "080012346");
    windows_.OpenMainWindow();
    window_ = windows_.MainReportsWindow();
  }

  // Writes `text` as the bundle and loads it.
  bool Load(const std::string& text, std::string& message) {
    std::ofstream(Bundle(), std::ios::binary) << text;
    return LoadBundle(*context_, windows_, Bundle(), message);
  }
  std::string Bundle() const { return dir_.File("referti.dat"); }
  // The positions (item 2) of the report rows under top-level row `patient`.
  std::vector<std::string> Positions(int32_t patient) {
    std::vector<std::string> positions;
    const controls::GridRecords& children = window_->rcReferti().Records().Record(patient).Childs();
    for (int32_t i = 0; i < children.Count(); ++i) {
      positions.push_back(children.Record(i).ItemText(kItemPosition));
    }
    return positions;
  }

  LoadedForms windows_{*context_};
  std::shared_ptr<frmRefertiLirvo> window_;
};

// The grid of a loaded bundle (raw texts, descriptions, dates, a stranger's
// report left out, the first row focused, the search shown) and an empty
// bundle's message are pinned by the end-to-end scripts.
TEST_F(BundleLoaderTest, ReportsGoUnderTheirPatientsInFileOrder) {
  std::string message = "old";
  ASSERT_TRUE(Load("intro\n" + Report("080012345", "primo") + Report("999", "nessuno") +
                       Report("080012346", "terzo") + Report("080012345", "quarto"),
                   message));
  EXPECT_EQ(message, "");
  EXPECT_EQ(context_->current_bundle, Bundle());
  ASSERT_EQ(window_->rcReferti().Records().Count(), 2);
  EXPECT_EQ(Positions(0), (std::vector<std::string>{"1", "4"}));
  EXPECT_EQ(Positions(1), (std::vector<std::string>{"3"}));
  EXPECT_EQ(ui_.MousePointer(), ui::kPointerDefault);

  // A missing file empties the grid and says so.
  EXPECT_FALSE(LoadBundle(*context_, windows_, dir_.File("gone.dat"), message));
  EXPECT_EQ(message, "File referti inconsistente!");
  EXPECT_EQ(window_->rcReferti().Records().Count(), 0);
  EXPECT_EQ(context_->current_bundle, "");
  EXPECT_FALSE(window_->pbFndPaz().Visible());

  // Reports of unknown patients only: a successful load of nothing.
  EXPECT_TRUE(Load(Report("999", "x"), message));
  EXPECT_EQ(window_->rcReferti().Records().Count(), 0);
  EXPECT_FALSE(window_->pbFndPaz().Visible());
}

TEST_F(BundleLoaderTest, WithoutTheWindowOrTheHostTheLoadFailsSilently) {
  std::string message;
  LoadedForms none(*context_);
  context_->current_bundle = "/d/old.dat";
  EXPECT_FALSE(LoadBundle(*context_, none, Bundle(), message));
  EXPECT_EQ(context_->current_bundle, "/d/old.dat");

  // The host goes away half-way: the load ends with an empty message, the
  // pointer restored.
  context_->host = nullptr;
  EXPECT_FALSE(Load(Report("080012345", "uno"), message));
  EXPECT_EQ(message, "");
  EXPECT_EQ(context_->current_bundle, Bundle());
  EXPECT_EQ(ui_.MousePointer(), ui::kPointerDefault);
}

// A report discarded through its menu ("Rimuovi Singolo") is pinned by the
// end-to-end scripts; here a bundle changed on disk since the load.
TEST_F(BundleLoaderTest, DiscardingFromABundleChangedOnDiskIsRefused) {
  std::string message;
  ASSERT_TRUE(Load(Replace(Report("080012345", "uno"), "\n", "\r\n"), message));
  std::ofstream(Bundle(), std::ios::binary) << "#01#altro\r\n";
  // On the patient row nothing happens at all; on the report row the
  // register refuses, the row stays and the user is told.
  for (const int32_t row : {0, 1}) {
    window_->rcReferti().SetFocusedRow(row);
    window_->ProcessSelectedReport(frmRefertiLirvo::kModeDiscard);
  }
  EXPECT_EQ(Positions(0), (std::vector<std::string>{"1"}));
  const auto boxes = CallsOf(ui_, "msgbox");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0]["text"], "Attenzione! Operazione non a buon fine!");
  EXPECT_EQ(boxes[0]["style"], ui::kInformation);
  EXPECT_EQ(RealFileSystem().ReadFile(Bundle()), "#01#altro\r\n");
}

// A successful "Importa Singolo" is pinned by the end-to-end scripts; here
// the import's refusal, which leaves the row and says why.
TEST_F(BundleLoaderTest, AFailedSingleImportKeepsTheRowAndGivesTheImportsReason) {
  std::string message;
  ASSERT_TRUE(Load(Replace(Report("080012345", "uno"), "\n", "\r\n"), message));
  context_->single_import_error = "Referto X del 14/03/2024 già importato!";
  window_->rcReferti().SetFocusedRow(1);
  window_->ProcessSelectedReport(frmRefertiLirvo::kModeImport);
  ASSERT_EQ(context_->single_imports.size(), 1u);
  EXPECT_EQ(context_->single_imports[0].first, "1");
  EXPECT_EQ(Positions(0), (std::vector<std::string>{"1"}));
  EXPECT_EQ(CallsOf(ui_, "msgbox").at(0)["text"],
            "Attenzione! Importazione referti non a buon fine!\r\n"
            "[Referto X del 14/03/2024 già importato!]");
  EXPECT_EQ(RealFileSystem().ReadFile(Bundle()), Replace(Report("080012345", "uno"), "\n", "\r\n"));
}

TEST_F(BundleLoaderTest, ThePatientIndexFollowsRowsRemovedOrChangedElsewhere) {
  std::string message;
  ASSERT_TRUE(Load(Report("080012345", "uno") + Report("080012346", "due"), message));
  controls::GridRecords& records = window_->rcReferti().Records();
  EXPECT_EQ(window_->FindPatientRow(int64_t{2}), &records.Record(1));
  records.RemoveAt(0);
  EXPECT_EQ(window_->FindPatientRow(int64_t{1}), nullptr);
  EXPECT_EQ(window_->FindPatientRow(int64_t{2}), &records.Record(0));
  records.Record(0).Item(kItemPatientId).SetValue(int64_t{7});
  EXPECT_EQ(window_->FindPatientRow(int64_t{2}), nullptr);
  EXPECT_EQ(window_->FindPatientRow(int64_t{7}), &records.Record(0));
}

}  // namespace
}  // namespace lirvo::forms
