#include "controls/report_grid.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <map>
#include <optional>
#include <random>

#include "base/runtime_error.h"
#include "support/runtime_error_matchers.h"

namespace lirvo::controls {
namespace {

// Two patients with two and one reports; column 1 shows the names.
class GridTest : public ::testing::Test {
 protected:
  void SetUp() override {
    grid.AddColumn(0, "id", 0, false);
    grid.AddColumn(1, "Paziente", 700, true);
    rossi = &AddPatient("ROSSI MARIO", 2);
    AddPatient("BIANCHI ANNA", 1);
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
};

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

// Values of every kind keep their value and text through the moves of a
// growing record and through copies and moves, in a free-standing record and
// in a grid's (whose texts lie in the grid's pool); texts longer than the 15
// bytes kept in place included. Items moved out of a grid, free-standing or
// into another grid, outlive it. (That an assignment in a grid is announced
// is the notification replay's, below.)
TEST(GridItemTest, ValuesAndTextsSurviveGrowthCopiesAndTheirGrid) {
  struct Object : host::Dispatch {
    host::Variant Get(std::string_view) override { return {}; }
  };
  const auto object = std::make_shared<Object>();
  const std::string long_text(400, 'x');
  const std::pair<host::Variant, std::string> cases[] = {
      {host::Empty{}, ""},
      {host::Null{}, ""},
      {int64_t{42}, "42"},
      {3.5, "3,5"},
      {true, "True"},
      {std::string("àè"), "àè"},
      {std::string(15, 'a'), std::string(15, 'a')},
      {std::string(16, 'b'), std::string(16, 'b')},
      {long_text, long_text},
      {object, ""},
      {std::string(), ""},
      {int64_t{-7}, "-7"}};
  std::vector<GridItem> taken;
  ReportGrid keeper("keeper", Bounds{});
  GridRecord& kept = keeper.Records().Add();
  for (const bool in_grid : {false, true}) {
    SCOPED_TRACE(in_grid ? "in a grid" : "free-standing");
    auto grid = std::make_unique<ReportGrid>("grid", Bounds{});
    GridRecord free_standing{nullptr};
    GridRecord& record = in_grid ? grid->Records().Add() : free_standing;
    for (const auto& [value, text] : cases) record.AddItem(value);  // beyond the 10 reserved
    const GridRecord& shown = record;
    for (int32_t i = 0; i < static_cast<int32_t>(std::size(cases)); ++i) {
      SCOPED_TRACE(i);
      const auto& [value, text] = cases[i];
      EXPECT_EQ(record.ItemText(i), text);
      EXPECT_EQ(shown.Item(i).Value(), value);
      GridItem copy = record.Item(i);
      GridItem moved = std::move(copy);
      EXPECT_EQ(moved.Value(), value);
      record.Item(i) = moved;
      EXPECT_EQ(record.Item(i).Value(), value);
      moved.SetValue(long_text);  // the record's item keeps its own
      EXPECT_EQ(record.ItemText(i), text);
      GridItem back = record.Item(i);
      taken.push_back(std::move(record.Item(i)));  // out of the record
      record.Item(i) = std::move(back);            // and into it
      EXPECT_EQ(record.Item(i).Value(), value);
      kept.AddItem(host::Empty{}) = std::move(record.Item(i));  // into another grid
    }
    EXPECT_EQ(record.ItemText(99), "");
    EXPECT_THROW(record.Item(99), RuntimeError);
  }
  ASSERT_EQ(taken.size(), 2 * std::size(cases));
  ASSERT_EQ(kept.ItemCount(), 2 * std::ssize(cases));
  for (size_t i = 0; i < taken.size(); ++i) {
    EXPECT_EQ(taken[i].Value(), cases[i % std::size(cases)].first) << i;
    EXPECT_EQ(kept.Item(static_cast<int32_t>(i)).Value(), cases[i % std::size(cases)].first) << i;
  }
}

// What views lay their columns out by: hidden columns left out, shares in
// proportion to the widths, equal shares when no width is set.
TEST(ShownColumnsTest, SharesOfTheShownColumnsOnly) {
  ReportGrid grid("grid", {});
  grid.AddColumn(0, "a", 300, true);
  grid.AddColumn(1, "hidden", 500, true);
  grid.AddColumn(2, "b", 100, true);
  grid.SetColumnVisible(1, false);
  std::vector<std::pair<int32_t, double>> shares;
  for (const ShownColumn& column : ShownColumns(grid))
    shares.emplace_back(column.index, column.share);
  EXPECT_EQ(shares, (std::vector<std::pair<int32_t, double>>{{0, 0.75}, {2, 0.25}}));

  ReportGrid unsized("grid", {});
  for (int32_t i = 0; i < 4; ++i) unsized.AddColumn(i, "c", 0, true);
  for (const ShownColumn& column : ShownColumns(unsized)) EXPECT_DOUBLE_EQ(column.share, 0.25);
}

TEST_F(GridTest, EnsureVisibleScrollsTheLeastNeeded) {
  grid.SetPageRowCount(2);
  const std::pair<int32_t, int32_t> row_and_top[] = {{4, 3}, {3, 3}, {1, 1}, {7, 1}};
  for (const auto& [row, top] : row_and_top) {
    grid.EnsureVisible(row);
    EXPECT_EQ(grid.TopRow(), top) << row;
  }
}

// What a view keeps of the grid, learnt from the notifications alone: a tree
// of the records with their cells and expansion. Each notification is checked
// against the grid as it stands at that moment.
class ShadowView : public GridObserver {
 public:
  struct Node {
    const GridRecord* record;
    std::vector<std::string> cells;
    bool expanded;
    std::vector<Node> children;
    bool operator==(const Node&) const = default;
  };

  explicit ShadowView(const ReportGrid& grid) : grid_(grid) { Reset(); }

  static Node Snapshot(const GridRecord& record) {
    Node node{&record, {}, record.Expanded(), {}};
    for (int32_t i = 0; i < record.ItemCount(); ++i) {
      const GridItem& item = record.Item(i);
      node.cells.push_back(item.Text() + (item.Bold() ? "*" : "") + "/" +
                           std::to_string(item.ForeColor().value_or(-1)) + "/" +
                           std::to_string(item.Hyperlinks().size()));
    }
    for (int32_t i = 0; i < record.Childs().Count(); ++i) {
      node.children.push_back(Snapshot(record.Childs().Record(i)));
    }
    return node;
  }
  static std::vector<Node> Snapshot(const GridRecords& records) {
    std::vector<Node> nodes;
    for (int32_t i = 0; i < records.Count(); ++i) nodes.push_back(Snapshot(records.Record(i)));
    return nodes;
  }

  void RowsAboutToBeInserted(const GridRecord* parent, int32_t first, int32_t last) override {
    Announce(parent, first, last, /*inserting=*/true);
  }
  void RowsInserted(const GridRecord* parent, int32_t first, int32_t last) override {
    std::vector<Node>& nodes = Complete(parent, first, last, true);
    const GridRecords& records = Records(parent);
    for (int32_t i = first; i <= last; ++i) {
      nodes.insert(nodes.begin() + i, Snapshot(records.Record(i)));
    }
    CheckRowCount();
  }
  void RowsAboutToBeRemoved(const GridRecord* parent, int32_t first, int32_t last) override {
    Announce(parent, first, last, false);
    for (int32_t i = first; i <= last; ++i) {
      EXPECT_EQ(Nodes(parent)[static_cast<size_t>(i)].record, &Records(parent).Record(i));
    }
  }
  void RowsRemoved(const GridRecord* parent, int32_t first, int32_t last) override {
    std::vector<Node>& nodes = Complete(parent, first, last, false);
    nodes.erase(nodes.begin() + first, nodes.begin() + last + 1);
    CheckRowCount();
  }
  void ItemsChanged(const GridRecord& record, int32_t first, int32_t last) override {
    ASSERT_LE(0, first);
    ASSERT_LE(first, last);
    ASSERT_LT(last, record.ItemCount());
    NodeOf(record).cells = Snapshot(record).cells;
  }
  void ExpandedChanged(const GridRecord& record) override {
    NodeOf(record).expanded = record.Expanded();
    CheckRowCount();
  }
  void AboutToReset() override { ++resets_; }
  void Reset() override { top_ = Snapshot(grid_.Records()); }

  const std::vector<Node>& Top() const { return top_; }
  int resets() const { return resets_; }

  // The rows a view shows, from the shadow alone; every record's expected
  // row goes into `row_of` (-1 when hidden).
  void Flatten(const std::vector<Node>& nodes, bool shown, std::vector<const GridRecord*>& rows,
               std::map<const GridRecord*, int32_t>& row_of) const {
    for (const Node& node : nodes) {
      row_of[node.record] = shown ? static_cast<int32_t>(rows.size()) : -1;
      if (shown) rows.push_back(node.record);
      Flatten(node.children, shown && node.expanded, rows, row_of);
    }
  }

 private:
  struct Pending {
    const GridRecord* parent;
    int32_t first, last;
    bool inserting;
  };

  const GridRecords& Records(const GridRecord* parent) const {
    return parent != nullptr ? parent->Childs() : grid_.Records();
  }
  Node& NodeOf(const GridRecord& record) {
    Node& node = Nodes(record.Parent())[static_cast<size_t>(record.Index())];
    EXPECT_EQ(node.record, &record);
    return node;
  }
  std::vector<Node>& Nodes(const GridRecord* parent) {
    return parent != nullptr ? NodeOf(*parent).children : top_;
  }
  void Announce(const GridRecord* parent, int32_t first, int32_t last, bool inserting) {
    EXPECT_FALSE(pending_) << "two announcements without a completion";
    CheckRowCount();
    EXPECT_EQ(Nodes(parent).size(), static_cast<size_t>(Records(parent).Count()));
    pending_ = Pending{parent, first, last, inserting};
  }
  std::vector<Node>& Complete(const GridRecord* parent, int32_t first, int32_t last,
                              bool inserting) {
    EXPECT_TRUE(pending_ && pending_->parent == parent && pending_->first == first &&
                pending_->last == last && pending_->inserting == inserting);
    pending_.reset();
    const int32_t change = (last - first + 1) * (inserting ? 1 : -1);
    std::vector<Node>& nodes = Nodes(parent);
    EXPECT_EQ(static_cast<int32_t>(nodes.size()) + change, Records(parent).Count());
    return nodes;
  }

  // The grid's row count is right at every notification.
  void CheckRowCount() const {
    std::vector<const GridRecord*> rows;
    std::map<const GridRecord*, int32_t> row_of;
    Flatten(top_, true, rows, row_of);
    EXPECT_EQ(grid_.RowCount(), static_cast<int32_t>(rows.size()));
  }

  const ReportGrid& grid_;
  std::vector<Node> top_;
  std::optional<Pending> pending_;
  int resets_ = 0;
};

void CollectRecords(GridRecords& records, std::vector<GridRecord*>& all) {
  for (int32_t i = 0; i < records.Count(); ++i) {
    all.push_back(&records.Record(i));
    CollectRecords(records.Record(i).Childs(), all);
  }
}

// Random changes, each replayed into a shadow view; the shadow must equal the
// grid, and the rows it implies must be the grid's rows, selection included.
TEST(GridObserverTest, NotificationsReplayedIntoAShadowGiveTheGrid) {
  for (uint32_t seed = 1; seed <= 20; ++seed) {
    std::mt19937 random(seed);
    auto pick = [&random](size_t n) {
      return std::uniform_int_distribution<size_t>(0, n - 1)(random);
    };
    ReportGrid grid{"grid", {}};
    ShadowView shadow(grid);
    grid.AddObserver(&shadow);
    for (int step = 0; step < 300; ++step) {
      std::vector<GridRecord*> all;
      CollectRecords(grid.Records(), all);
      GridRecord* some = all.empty() ? nullptr : all[pick(all.size())];
      const int32_t rows = grid.RowCount();
      switch (pick(some != nullptr ? 12 : 2)) {
        case 0:
          grid.Records().Add().AddItem(int64_t(step));
          break;
        case 1:
          grid.AddColumn(0, "c", 10, true);
          grid.SetColumnVisible(0, !grid.Column(0).visible);
          break;
        case 2:
        case 3:
          if (some->Depth() < 3) some->Childs().Add().AddItem(std::string("r"));
          break;
        case 4:
          some->SetExpanded(!some->Expanded());
          break;
        case 5: {
          GridItem& item = some->ItemCount() > 0 ? some->Item(0) : some->AddItem(host::Empty{});
          const GridItem other(int64_t{step});
          const std::array<std::function<void()>, 6> edits = {
              [&] { item.SetValue(std::to_string(step)); },
              [&] { item.SetBold(!item.Bold()); },
              [&] { item.SetForeColor(step); },
              [&] { item.AddHyperlink(0, 1); },
              [&] { item = GridItem(3.5); },
              [&] { item = other; }};
          edits[pick(edits.size())]();
          GridItem copy = item;  // a copy is free-standing and changes nothing
          copy.SetValue(std::string("copy"));
          break;
        }
        case 6:
          ASSERT_TRUE(grid.RemoveRecord(*some));
          break;
        case 7:
          some->Collection().RemoveAt(some->Index());
          break;
        case 8:
          (pick(10) == 0 ? grid.Records() : some->Childs()).DeleteAll();
          break;
        case 9:
          if (rows == 0) break;
          if (pick(3) == 0) {
            grid.UnselectRow(static_cast<int32_t>(pick(rows)));
          } else {
            grid.SelectRow(static_cast<int32_t>(pick(rows)), /*add=*/pick(4) != 0);
          }
          break;
        case 10:
          if (rows > 0) grid.SetFocusedRow(static_cast<int32_t>(pick(rows)));
          break;
        default:
          some->AddItem(int64_t(step)).SetBold(true);
          break;
      }
      if (pick(3) != 0) continue;  // let changes pile up between reads
      ASSERT_EQ(shadow.Top(), ShadowView::Snapshot(grid.Records())) << seed << " " << step;
      std::vector<const GridRecord*> expected_rows;
      std::map<const GridRecord*, int32_t> row_of;
      shadow.Flatten(shadow.Top(), true, expected_rows, row_of);
      ASSERT_EQ(grid.RowCount(), static_cast<int32_t>(expected_rows.size()));
      EXPECT_EQ(grid.RowRecord(grid.RowCount()), nullptr);
      EXPECT_EQ(grid.RowRecord(-1), nullptr);
      std::vector<int32_t> selected;
      for (int32_t row = 0; row < grid.RowCount(); ++row) {
        ASSERT_EQ(grid.RowRecord(row), expected_rows[static_cast<size_t>(row)]);
        if (grid.RowRecord(row)->Selected()) selected.push_back(row);
        EXPECT_EQ(grid.RowRecord(row)->Focused(), grid.FocusedRow() == row);
      }
      for (const auto& [record, row] : row_of) ASSERT_EQ(grid.RowOf(*record), row);
      EXPECT_EQ(grid.SelectedRows(), selected);
    }
    EXPECT_GT(shadow.resets(), 0);
  }
}

// An observer that changes the records from a notification is refused; one
// that removes itself is skipped from the next notification on.
TEST(GridObserverTest, StructuralChangesFromANotificationAreRefused) {
  struct Meddler : GridObserver {
    ReportGrid* grid = nullptr;
    int heard = 0;
    void RowsInserted(const GridRecord*, int32_t, int32_t) override {
      ++heard;
      EXPECT_THAT([&] { grid->Records().Add(); },
                  test_support::ThrowsRuntimeError(kErrInvalidCall));
      EXPECT_THAT([&] { grid->Records().DeleteAll(); },
                  test_support::ThrowsRuntimeError(kErrInvalidCall));
      grid->RemoveObserver(this);
    }
  };
  ReportGrid grid{"grid", {}};
  Meddler meddler;
  meddler.grid = &grid;
  grid.AddObserver(&meddler);
  grid.Records().Add();
  grid.Records().Add();
  EXPECT_EQ(meddler.heard, 1);
  EXPECT_EQ(grid.Records().Count(), 2);
  EXPECT_EQ(grid.RowCount(), 2);
}

}  // namespace
}  // namespace lirvo::controls
