#include "importer/batch_import.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "forms/frm_referti_lirvo.h"
#include "importer/import_fixture.h"
#include "importer/item_watch.h"
#include "support/disk_files.h"
#include "support/trap_recorder.h"

namespace lirvo::importer {
namespace {

using test_support::Bytes;
using test_support::Put;

class BatchImportTest : public test_support::ImportFixture {
 protected:
  BatchImportTest() {
    context_->documents_folder = dir_.path() + "/";
    context_->current_bundle = dir_.File("referti.dat");
    Put(context_->current_bundle, "#01#x\r\n");
    windows_.OpenMainWindow();
    window_ = windows_.MainReportsWindow();
  }

  // A report row of the patient with `piece` as its raw text.
  void AddReport(const std::string& piece, int32_t position = 0) {
    controls::GridRecords& records = window_->rcReferti().Records();
    controls::GridRecord& patient =
        records.Count() > 0 ? records.Record(0) : window_->AddPatientRow(*patient_);
    forms::ReportRowValues values;
    values.patient_id = patient_->ID();
    values.raw_text = piece;
    values.position = position;
    window_->AddReportRow(patient, values);
  }
  bool Import() { return ImportAllReports(*context_, windows_, count_, error_); }

  forms::LoadedForms windows_{*context_};
  std::shared_ptr<forms::frmRefertiLirvo> window_;
  int16_t count_ = -1;
  std::string error_ = "old";
};

TEST_F(BatchImportTest, NothingToImportLeavesTheUnreadSummaryAndTheBundleAlone) {
  const std::string unread = dir_.File(kUnreadSummaryFile);
  Put(unread, "{\\rtf1 prima\\par}");
  Put(dir_.File(kSkippedSummaryFile), "{\\rtf1 vecchio\\par}");
  EXPECT_FALSE(Import());
  EXPECT_EQ(count_, 0);
  EXPECT_EQ(error_, "");
  EXPECT_EQ(Bytes(unread), "{\\rtf1 prima\\par}");
  EXPECT_FALSE(std::filesystem::exists(dir_.File(kSkippedSummaryFile)));  // deleted at the start
  EXPECT_TRUE(std::filesystem::exists(context_->current_bundle));
  EXPECT_FALSE(window_->ProgressBar1().Visible());
  EXPECT_TRUE(window_->pbFndPaz().Visible());
  EXPECT_EQ(ui_.MousePointer(), ui::kPointerDefault);
}

TEST_F(BatchImportTest, ItemsAllPresentAlreadyLeaveTheBundleItsName) {
  AddReport(test_support::TextPiece(kCode));
  AddReport(test_support::Piece(
      kCode, test_support::Lab("GLU", "GLUCOSIO", "98") + test_support::Lab("XYZ", "ALTRO", "5")));
  // What an import that saves leaves shows whole in the import transcript
  // (tests/e2e); the count of items is this run's own.
  ASSERT_TRUE(Import());
  EXPECT_EQ(count_, 3);
  EXPECT_EQ(context_->current_bundle, dir_.File("referti_20260301093000_Imported.dat"));

  // The same reports again, on a bundle under a new name: every item is
  // already there, nothing is saved, the skipped list is written and shown.
  context_->current_bundle = dir_.File("referti2.dat");
  Put(context_->current_bundle, "#01#x\r\n");
  EXPECT_FALSE(Import());
  EXPECT_EQ(count_, 0);
  EXPECT_TRUE(std::filesystem::exists(dir_.File(kSkippedSummaryFile)));
  EXPECT_TRUE(std::filesystem::exists(context_->current_bundle));  // keeps its name
  EXPECT_EQ(test_support::CallsOf(ui_, "msgbox").back()["text"],
            "Attenzione! Trovati referti già importati!");
}

TEST_F(BatchImportTest, AHostThatFailsEndsTheRunWithoutSummariesOrRenaming) {
  AddReport(test_support::TextPiece(kCode));
  test_support::TrapRecorder traps;
  context_->host = nullptr;
  EXPECT_FALSE(Import());
  EXPECT_FALSE(std::filesystem::exists(dir_.File(kUnreadSummaryFile)));
  EXPECT_TRUE(std::filesystem::exists(dir_.File("referti.dat")));
  EXPECT_FALSE(window_->ProgressBar1().Visible());
  EXPECT_EQ(traps.traps.size(), 1u);
}

TEST_F(BatchImportTest, AWatcherHearsWhatBecameOfEveryItemInOrder) {
  const std::string lab = test_support::Piece(
      kCode, test_support::Lab("GLU", "GLUCOSIO", "*98") + test_support::Lab("XYZ", "ALTRO", "5"));
  AddReport(test_support::TextPiece(kCode), 4);
  AddReport(lab, 7);
  AddReport("not a report", 9);                   // reads, but names no patient
  AddReport(test_support::TextPiece(kCode), 11);  // the same text report again
  ScriptSaves({host::Empty{}, false});            // the visit saves, GLU is refused
  std::vector<ImportItem> heard;
  {
    const ScopedItemWatcher watcher([&heard](const ImportItem& item) { heard.push_back(item); });
    Import();
  }
  const auto summary = [](const ImportItem& i) {
    return std::to_string(i.position) + "/" + std::to_string(i.line) + " " + i.exam_code + " " +
           i.value.value_or("-") + " " + (i.transcoded ? (*i.transcoded ? "T" : "U") : "-") +
           i.transcoded_id + " " + std::string(OutcomeName(i.outcome));
  };
  std::vector<std::string> got;
  for (const ImportItem& item : heard) got.push_back(summary(item));
  EXPECT_THAT(got, ::testing::ElementsAre("4/-1 88.73.5 - - saved", "7/0 GLU 98 TGLI save_failed",
                                          "7/1 XYZ 5 U saved", "9/-1  - - no_patient",
                                          "11/-1 88.73.5 - - already_present"));
  EXPECT_EQ(heard[0].patient_id, patient_->ID());

  // The enumeration of a report's items meets the same items as the import.
  reports::ReportRecord record;
  ASSERT_TRUE(reports::ParseReport(lab, reports::Layout::Lines, record));
  std::vector<std::string> listed;
  for (const ImportItem& item : ItemsOf(record, 7)) {
    listed.push_back(std::to_string(item.line) + " " + item.exam_code + " " + *item.value);
  }
  EXPECT_THAT(listed, ::testing::ElementsAre("0 GLU 98", "1 XYZ 5"));
}

}  // namespace
}  // namespace lirvo::importer
