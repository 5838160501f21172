#include "importer/summaries.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "base/files.h"
#include "base/product.h"
#include "forms/window_fixture.h"
#include "support/trap_recorder.h"

namespace lirvo::importer {
namespace {

using controls::RichTextBox;
using testing::HasSubstr;

constexpr int32_t kLastId = 2001;
constexpr int32_t kLastUnreadId = 2002;

reports::ReportRecord Record() {
  reports::ReportRecord r;
  r.Ward = "Ospedale";
  r.CheckInDate = "14/03/2024 09H30M";
  r.ReportDate = "15/03/2024";
  return r;
}

class SummariesTest : public test_support::WindowFixture {
 protected:
  SummariesTest() {
    context_->documents_folder = docs_.path() + "/";
    context_->command_ids = {{std::string(kKeyLast), kLastId},
                             {std::string(kKeyLastUnread), kLastUnreadId}};
    auto& fw = Fw().Inner();
    auto tab = fw.InsertRibbonTab(kTabCaption);
    auto group = fw.InsertTabGroup(*tab, "Referti");
    last_ = fw.InsertGroupButton(*group, "Ultima", kLastId, 4, true, "Ultima elaborazione");
    last_unread_ = fw.InsertGroupButton(*group, "Ultima", kLastUnreadId, 4, true, "Verifica");
    // As after an import: the unread summary's command shown.
    last_->SetVisible(false);
    patient_ = host_->AddPatient("ROSSI", "MARIO", "T1");
  }

  std::string Path(const char* name) const { return docs_.File(name); }
  std::string Bytes(const char* name) { return fs_.ReadFile(Path(name)); }
  // A summary of one section with one block, as the batch import saves it.
  void SaveSummary(const char* name, const Date& day, const std::string& content) {
    RichTextBox box("RichTextBox1", {});
    StartUnreadSection(box, day);
    WriteSummaryBlock(box, *patient_, Record(), content, true);
    box.SaveFile(fs_, Path(name));
  }
  // The Ui's calls since the last Mark(), all or those of `type`.
  void Mark() { mark_ = ui_.Calls().size(); }
  std::vector<nlohmann::json> Since(const std::string& type = "") const {
    std::vector<nlohmann::json> calls;
    for (size_t i = mark_; i < ui_.Calls().size(); ++i) {
      if (type.empty() || ui_.Calls()[i]["type"] == type) calls.push_back(ui_.Calls()[i]);
    }
    return calls;
  }

  test_support::TempDir docs_;
  std::shared_ptr<host::RibbonControl> last_, last_unread_;
  std::shared_ptr<host::Patient> patient_;
  size_t mark_ = 0;
};

// The runs of each piece, their fonts and colours, show whole in the
// import transcript (tests/e2e); here what it does not reach: a check-in
// time and a second section in one file.
TEST_F(SummariesTest, TwoRunsWithoutADisplayGiveTwoSections) {
  SaveSummary(kUnreadSummaryFile, Date{2026, 3, 1}, "ECOGRAFIA");
  RichTextBox box("RichTextBox1", {});
  box.LoadFile(fs_, Path(kUnreadSummaryFile));
  StartUnreadSection(box, Date{2026, 3, 2});
  WriteSummaryBlock(box, *patient_, Record(), "GLUCOSIO", false);
  const std::string text = box.Text();
  EXPECT_TRUE(text.starts_with("Data: 01/03/2026\r\n - ROSSI")) << text;
  EXPECT_THAT(text, HasSubstr("    Check IN:       14/03/2024 09:30\r\n"));
  EXPECT_THAT(text, HasSubstr("ECOGRAFIA\r\nData: 02/03/2026\r\n - ROSSI"));
}

TEST_F(SummariesTest, ShowingTheUnreadSummaryMakesItTheReadOneAndSwitchesTheRibbon) {
  SaveSummary(kReadSummaryFile, Date{2026, 2, 1}, "VECCHIO");
  SaveSummary(kUnreadSummaryFile, Date{2026, 3, 1}, "NUOVO");
  const std::string unread = Bytes(kUnreadSummaryFile);

  EXPECT_EQ(ShowLastProcessing(*context_, false), SummaryOutcome::kShown);
  ASSERT_EQ(Since("modal").size(), 1u);
  EXPECT_THAT(Since("modal")[0]["text"].get<std::string>(), HasSubstr("NUOVO"));
  EXPECT_FALSE(FileExists(fs_, Path(kUnreadSummaryFile)));
  EXPECT_EQ(Bytes(kReadSummaryFile), unread);
  EXPECT_TRUE(last_->Visible());
  EXPECT_FALSE(last_unread_->Visible());
  EXPECT_TRUE(Since("msgbox").empty());

  // The next time the read summary is shown, and stays.
  EXPECT_EQ(ShowLastProcessing(*context_, true), SummaryOutcome::kShown);
  ASSERT_EQ(Since("modal").size(), 2u);
  EXPECT_THAT(Since("modal")[1]["text"].get<std::string>(), HasSubstr("NUOVO"));
  EXPECT_EQ(Bytes(kReadSummaryFile), unread);
}

TEST_F(SummariesTest, NothingToShowSpeaksOnlyWhenAsked) {
  for (const bool asked : {true, false}) {
    SCOPED_TRACE(asked);
    Mark();
    last_->SetVisible(false);
    last_unread_->SetVisible(true);
    // Without asking, the "lastUNREAD" control is also missing: left alone.
    Fw().returning_nothing.clear();
    if (!asked) Fw().returning_nothing = {"FindRibbonControl(" + std::to_string(kLastUnreadId)};
    EXPECT_EQ(ShowLastProcessing(*context_, asked), SummaryOutcome::kNothingToShow);
    const auto boxes = Since("msgbox");
    ASSERT_EQ(boxes.size(), asked ? 1u : 0u);
    if (asked) {
      EXPECT_EQ(boxes[0]["text"], "Nessuna importazione effettuata!");
      EXPECT_EQ(boxes[0]["style"], 48);
    }
    EXPECT_TRUE(Since("modal").empty());
    EXPECT_TRUE(last_->Visible());
    EXPECT_EQ(last_unread_->Visible(), !asked);
  }
}

TEST_F(SummariesTest, AFailureShowingTheUnreadSummaryKeepsEveryFile) {
  const struct {
    const char* name;
    FsOp op;
    const char* path_part;
    bool not_rtf;
    size_t modals;
  } kCases[] = {
      {"not RTF", FsOp::kRead, nullptr, true, 0},
      {"unreadable", FsOp::kRead, kUnreadSummaryFile, false, 0},
      {"read summary not written", FsOp::kWrite, kReadSummaryFile, false, 1},
      {"read summary not renamed", FsOp::kRename, kReadSummaryFile, false, 1},
  };
  SaveSummary(kReadSummaryFile, Date{2026, 2, 1}, "VECCHIO");
  const std::string read = Bytes(kReadSummaryFile);
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    Mark();
    if (c.not_rtf) {
      ASSERT_TRUE(WriteTextFile(fs_, Path(kUnreadSummaryFile), "Data: 01/03/2026"));
    } else {
      SaveSummary(kUnreadSummaryFile, Date{2026, 3, 1}, "NUOVO");
    }
    const std::string unread = Bytes(kUnreadSummaryFile);
    if (c.path_part) fs_.FailOn(c.op, c.path_part);
    test_support::TrapRecorder traps;
    EXPECT_EQ(ShowLastProcessing(*context_, true), SummaryOutcome::kFailed);
    fs_.ClearFaults();
    ASSERT_EQ(traps.traps.size(), 1u);
    EXPECT_EQ(traps.traps[0].where, "ShowLastProcessing");
    EXPECT_EQ(Since("modal").size(), c.modals);
    EXPECT_EQ(Bytes(kUnreadSummaryFile), unread);
    EXPECT_EQ(Bytes(kReadSummaryFile), read);
    EXPECT_FALSE(last_->Visible());  // the ribbon is not touched
    EXPECT_TRUE(Since("msgbox").empty());
  }
}

TEST_F(SummariesTest, SkippedListShownUnderTheDefaultPointerThenPointerRestored) {
  ui_.RecordPointer(true);
  ui_.SetMousePointer(kPointerHourglass);
  Mark();
  EXPECT_EQ(ShowSkippedReports(*context_, true), SummaryOutcome::kNothingToShow);
  EXPECT_TRUE(Since().empty()) << "a missing list does nothing";

  RichTextBox box("RichTextBox2", {});
  WriteSkippedListHead(box, DateTime{2026, 3, 1, 9, 5, 0}, "/doc/referti.dat");
  box.SaveFile(fs_, Path(kSkippedSummaryFile));
  for (const bool warn : {true, false}) {
    SCOPED_TRACE(warn);
    Mark();
    EXPECT_EQ(ShowSkippedReports(*context_, warn), SummaryOutcome::kShown);
    std::vector<std::string> types;
    for (const auto& call : Since()) types.push_back(call["type"]);
    const std::vector<std::string> expected =
        warn ? std::vector<std::string>{"pointer", "msgbox", "modal", "modal_close", "pointer"}
             : std::vector<std::string>{"pointer", "modal", "modal_close", "pointer"};
    ASSERT_EQ(types, expected);
    EXPECT_EQ(Since()[0]["pointer"], kPointerDefault);
    EXPECT_EQ(ui_.MousePointer(), kPointerHourglass);
  }

  // A list that is not RTF: nothing shown, the pointer back, the file kept.
  ASSERT_TRUE(WriteTextFile(fs_, Path(kSkippedSummaryFile), "testo"));
  test_support::TrapRecorder traps;
  EXPECT_EQ(ShowSkippedReports(*context_, false), SummaryOutcome::kFailed);
  EXPECT_EQ(traps.traps.size(), 1u);
  EXPECT_EQ(ui_.MousePointer(), kPointerHourglass);
  EXPECT_EQ(Bytes(kSkippedSummaryFile), "testo");
}

}  // namespace
}  // namespace lirvo::importer
