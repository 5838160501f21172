#include "controls/report_grid.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "base/runtime_error.h"

namespace lirvo::controls {
namespace {

// Two patients with two and one reports; column 1 shows the names.
class GridTest : public ::testing::Test {
 protected:
  void SetUp() override {
    grid.AddColumn(0, "id", 0, false);
    grid.AddColumn(1, "Paziente", 700, true);
    rossi = &AddPatient("ROSSI MARIO", 2);
    bianchi = &AddPatient("BIANCHI ANNA", 1);
  }

  GridRecord& AddPatient(const std::string& name, int reports) {
    GridRecord& patient = grid.Records().Add();
    patient.AddItem(std::string("p"));
    patient.AddItem(name);
    patient.SetExpanded(true);
    for (int i = 0; i < reports; ++i) {
      GridRecord& report = patient.Childs().Add();
      report.AddItem(std::string("r"));
      report.AddItem(std::string());
    }
    return patient;
  }

  ReportGrid grid{"rcReferti", {150, 150, 7140, 4215}};
  GridRecord* rossi = nullptr;
  GridRecord* bianchi = nullptr;
};

TEST_F(GridTest, RowsFlattenExpandedRecordsDepthFirst) {
  EXPECT_EQ(grid.RowCount(), 5);
  EXPECT_EQ(grid.RowRecord(0), rossi);
  EXPECT_EQ(grid.RowRecord(3), bianchi);
  EXPECT_EQ(grid.RowRecord(4)->Parent(), bianchi);
  EXPECT_EQ(grid.RowRecord(4)->Depth(), 1);
  EXPECT_EQ(grid.RowRecord(5), nullptr);
  EXPECT_EQ(grid.RowRecord(-1), nullptr);

  rossi->SetExpanded(false);
  EXPECT_EQ(grid.RowCount(), 3);
  EXPECT_EQ(grid.RowOf(*bianchi), 1);
  EXPECT_EQ(grid.RowOf(rossi->Childs().Record(0)), -1);
}

TEST_F(GridTest, SelectionAndFocusFollowRecordsAndRemovals) {
  grid.SelectRow(1);
  grid.SelectRow(2, /*add=*/true);
  EXPECT_EQ(grid.SelectedRows(), (std::vector<int32_t>{1, 2}));
  grid.SelectRow(4);
  EXPECT_EQ(grid.SelectedRows(), (std::vector<int32_t>{4}));

  grid.SetFocusedRow(1);
  EXPECT_EQ(grid.FocusedRow(), 1);
  EXPECT_EQ(grid.SelectedRows(), (std::vector<int32_t>{1}));

  // Removing a record takes its row and selection; the focus stays with its
  // record when rows above it go away.
  grid.SelectRow(2);
  ASSERT_TRUE(grid.RemoveRecord(rossi->Childs().Record(1)));
  EXPECT_EQ(rossi->Childs().Count(), 1);
  EXPECT_TRUE(grid.SelectedRows().empty());
  ReportGrid other{"other", {}};
  EXPECT_FALSE(grid.RemoveRecord(other.Records().Add()));
  EXPECT_EQ(other.Records().Count(), 1);
  EXPECT_THROW(grid.Records().RemoveAt(2), RuntimeError);
  grid.SetFocusedRow(3);
  ASSERT_TRUE(grid.RemoveRecord(*rossi));
  EXPECT_EQ(grid.RowCount(), 2);
  EXPECT_EQ(grid.FocusedRow(), 1);
  EXPECT_EQ(grid.SelectedRows(), (std::vector<int32_t>{1}));
  ASSERT_TRUE(grid.RemoveRecord(*grid.RowRecord(1)));
  EXPECT_EQ(grid.FocusedRow(), -1);
  EXPECT_TRUE(grid.SelectedRows().empty());
  EXPECT_THROW(grid.SetFocusedRow(9), RuntimeError);
  EXPECT_THROW(grid.SelectRow(-2), RuntimeError);
}

TEST_F(GridTest, PopulateFocusesTheFirstRowOnlyWhenNothingIsFocused) {
  int refreshed = 0;
  grid.AddListener([&](const Control&) { ++refreshed; });
  grid.Populate();
  EXPECT_EQ(refreshed, 1);
  EXPECT_EQ(grid.FocusedRow(), 0);
  grid.SetFocusedRow(3);
  grid.Populate();
  EXPECT_EQ(grid.FocusedRow(), 3);

  grid.Records().DeleteAll();
  grid.Populate();
  EXPECT_EQ(grid.FocusedRow(), -1);
  EXPECT_EQ(grid.RowCount(), 0);
}

TEST_F(GridTest, SearchMatchesAtStartWithoutCaseInRecordOrder) {
  AddPatient("ROSSINI LUCA", 0);
  const SearchOptions start{.match_at_start = true};
  FoundItem found = grid.FindItemInRange("ross", 1, 1, 0, grid.RowCount(), start);
  ASSERT_TRUE(found);
  EXPECT_EQ(found.record, rossi);
  EXPECT_EQ(found.item_index, 1);

  EXPECT_FALSE(grid.FindItemInRange("MARIO", 1, 1, 0, 9, start));
  EXPECT_EQ(grid.FindItemInRange("MARIO", 1, 1, 0, 9, {}).record, rossi);
  EXPECT_FALSE(
      grid.FindItemInRange("ross", 1, 1, 0, 9, {.match_at_start = true, .match_case = true}));
  EXPECT_FALSE(grid.FindItemInRange("ROSSI", 1, 1, 0, 9, {.whole_phrase = true}));
  EXPECT_EQ(grid.FindItemInRange("rossi mario", 1, 1, 0, 9, {.whole_phrase = true}).record, rossi);
  // Backwards finds the last matching record first.
  EXPECT_EQ(
      grid.FindItemInRange("ROSS", 1, 1, 0, 9, {.match_at_start = true, .backwards = true}).record,
      &grid.Records().Record(2));
  // The record range limits the scan; column 0 holds no names.
  EXPECT_FALSE(grid.FindItemInRange("BIANCHI", 1, 1, 0, 0, start));
  EXPECT_FALSE(grid.FindItemInRange("BIANCHI", 0, 0, 0, 9, start));
  EXPECT_FALSE(grid.FindItemInRange("", 1, 1, 0, 9, {}));
  EXPECT_FALSE(grid.FindItemInRange("ROSSI", 5, 3, 0, 9, {}));
}

TEST(GridItemTest, TextOfValues) {
  GridRecord record{nullptr};
  record.AddItem(host::Empty{});
  record.AddItem(host::Null{});
  record.AddItem(int64_t{42});
  record.AddItem(3.5);
  record.AddItem(std::string("àè"));
  const std::vector<std::string> expected = {"", "", "42", "3,5", "àè"};
  for (int32_t i = 0; i < 5; ++i) EXPECT_EQ(record.ItemText(i), expected[i]) << i;
  EXPECT_EQ(record.ItemText(5), "");
  EXPECT_THROW(record.Item(5), RuntimeError);
}

TEST_F(GridTest, EnsureVisibleScrollsTheLeastNeeded) {
  grid.SetPageRowCount(2);
  const std::pair<int32_t, int32_t> row_and_top[] = {{4, 3}, {3, 3}, {1, 1}, {7, 1}};
  for (const auto& [row, top] : row_and_top) {
    grid.EnsureVisible(row);
    EXPECT_EQ(grid.TopRow(), top) << row;
  }
}

TEST_F(GridTest, JsonDumpShowsRowsAndStyles) {
  GridItem& name = rossi->Item(1);
  name.SetBold(true);
  name.SetForeColor(255);
  name.AddHyperlink(0, 5);
  grid.SetFocusedRow(0);
  const nlohmann::json dump = grid.ToJson();
  ASSERT_EQ(dump["rows"].size(), 5u);
  EXPECT_EQ(dump["columns"][1]["caption"], "Paziente");
  EXPECT_EQ(dump["rows"][0]["items"][1], "ROSSI MARIO");
  EXPECT_EQ(dump["rows"][0]["bold"], nlohmann::json::array({1}));
  EXPECT_EQ(dump["rows"][0]["colors"]["1"], 255);
  EXPECT_EQ(dump["rows"][0]["links"], nlohmann::json::array({1}));
  EXPECT_EQ(dump["rows"][0]["focused"], true);
  EXPECT_EQ(dump["rows"][1]["depth"], 1);
  EXPECT_FALSE(dump["rows"][1].contains("selected"));
}

}  // namespace
}  // namespace lirvo::controls
