// The report grid: columns that show record items by index, records with
// child records, and the rows the grid shows (every top-level record, and
// under an expanded record its children, depth first). Selection and the
// focused row belong to records, so removing a record takes its selection
// with it.
//
// Index arguments out of range raise RuntimeError kErrSubscript (9) where the
// methods say so; lookups that answer "none" return nullptr or -1 instead.
#pragma once

#include <cstdint>
#include <memory>
#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <string>
#include <vector>

#include "controls/control.h"
#include "host/variant.h"

namespace lirvo::controls {

struct Hyperlink {
  int32_t start = 0;  // 0-based character position
  int32_t length = 0;
  friend bool operator==(const Hyperlink&, const Hyperlink&) = default;
};

// One cell of a record.
class GridItem {
 public:
  explicit GridItem(host::Variant value) : value_(std::move(value)) {}

  const host::Variant& Value() const { return value_; }
  void SetValue(host::Variant value) { value_ = std::move(value); }
  // The value as the grid shows it: Empty, Null and objects show nothing,
  // numbers in the Italian form ("3,5").
  std::string Text() const;

  bool Bold() const { return bold_; }
  void SetBold(bool bold) { bold_ = bold; }
  // The text colour as an RGB long (255 is red); nothing = the grid's own.
  std::optional<int32_t> ForeColor() const { return fore_color_; }
  void SetForeColor(std::optional<int32_t> color) { fore_color_ = color; }

  const std::vector<Hyperlink>& Hyperlinks() const { return hyperlinks_; }
  void AddHyperlink(int32_t start, int32_t length) { hyperlinks_.push_back({start, length}); }

 private:
  host::Variant value_;
  bool bold_ = false;
  std::optional<int32_t> fore_color_;
  std::vector<Hyperlink> hyperlinks_;
};

class GridRecord;

// An ordered collection of records: the grid's top level, or a record's
// children (Childs).
class GridRecords {
 public:
  explicit GridRecords(GridRecord* owner) : owner_(owner) {}
  ~GridRecords();
  GridRecords(const GridRecords&) = delete;
  GridRecords& operator=(const GridRecords&) = delete;

  int32_t Count() const { return static_cast<int32_t>(records_.size()); }
  // The record at `index`; kErrSubscript when there is none.
  GridRecord& Record(int32_t index) const;
  // A new empty record at the end.
  GridRecord& Add();
  // Removes (and destroys) the record at `index`; kErrSubscript when none.
  void RemoveAt(int32_t index);
  // Removes `record` when it is one of this collection's; false otherwise.
  bool Remove(const GridRecord& record);
  void DeleteAll() { records_.clear(); }

  // The record that holds this collection, or nullptr for the top level.
  GridRecord* Owner() const { return owner_; }

 private:
  GridRecord* owner_;
  std::vector<std::unique_ptr<GridRecord>> records_;
};

class GridRecord {
 public:
  explicit GridRecord(GridRecords* collection) : collection_(collection), childs_(this) {}
  GridRecord(const GridRecord&) = delete;
  GridRecord& operator=(const GridRecord&) = delete;

  int32_t ItemCount() const { return static_cast<int32_t>(items_.size()); }
  // A new item at the end (its index is ItemCount() - 1 afterwards).
  GridItem& AddItem(host::Variant value);
  // kErrSubscript when the record has no item `index`.
  GridItem& Item(int32_t index);
  const GridItem& Item(int32_t index) const;
  // The item's text, "" when the record has no item `index`.
  std::string ItemText(int32_t index) const;

  GridRecords& Childs() { return childs_; }
  const GridRecords& Childs() const { return childs_; }
  bool Expanded() const { return expanded_; }
  void SetExpanded(bool expanded) { expanded_ = expanded; }

  // The record whose child this is, or nullptr at the top level.
  GridRecord* Parent() const { return collection_->Owner(); }
  // 0 at the top level, 1 for a child ...
  int32_t Depth() const;
  // The collection that holds the record.
  GridRecords& Collection() const { return *collection_; }

 private:
  friend class ReportGrid;
  GridRecords* collection_;
  std::vector<GridItem> items_;
  GridRecords childs_;
  bool expanded_ = false;
  bool selected_ = false;
  bool focused_ = false;
};

struct GridColumn {
  int32_t item_index = 0;  // the item of each record the column shows
  std::string caption;
  int32_t width = 0;  // relative width in the grid's own units
  bool resizable = true;
  bool visible = true;
  bool tree_column = false;  // shows the expand/collapse buttons
};

// Appearance settings; the view decides how to use the colours.
struct GridLook {
  std::string group_by_prompt;  // the text of the empty group-by area
  std::string sort_prefix;      // put before a column's caption when sorted by it
  std::string font_name;
  std::string empty_text;  // shown when the grid has no rows
  std::optional<int32_t> header_back_color;
  std::optional<int32_t> group_area_back_color;
  std::optional<int32_t> highlight_back_color;
};

struct GridPrintOptions {
  bool landscape = false;
};

// How FindItemInRange compares the search text with an item's text.
struct SearchOptions {
  bool match_at_start = false;  // the item's text begins with the search text
  bool match_case = false;      // otherwise letter case is ignored
  bool whole_phrase = false;    // the item's whole text equals the search text
  bool backwards = false;       // last record and last column first
};

struct FoundItem {
  GridRecord* record = nullptr;
  int32_t item_index = -1;
  explicit operator bool() const { return record != nullptr; }
};

class ReportGrid : public Control {
 public:
  using Control::Control;

  // ---- Columns
  int32_t ColumnCount() const { return static_cast<int32_t>(columns_.size()); }
  GridColumn& AddColumn(int32_t item_index, std::string caption, int32_t width, bool resizable);
  // The column at position `index`; kErrSubscript when none.
  GridColumn& Column(int32_t index);
  // The first column that shows item `item_index`, or nullptr.
  GridColumn* FindColumn(int32_t item_index);
  void DeleteAllColumns() { columns_.clear(); }

  // ---- Records
  GridRecords& Records() { return records_; }
  const GridRecords& Records() const { return records_; }
  // Removes `record` from wherever it lies in this grid (with its children);
  // false when it is not a record of this grid.
  bool RemoveRecord(const GridRecord& record);

  // ---- Rows: the records shown, top to bottom
  std::vector<GridRecord*> Rows() const;
  int32_t RowCount() const;
  // The record of row `row`, or nullptr when there is no such row.
  GridRecord* RowRecord(int32_t row) const;
  // The row that shows `record`, or -1 (not in the grid, or under a
  // collapsed record).
  int32_t RowOf(const GridRecord& record) const;

  // ---- Selection and focus, by row
  // Selects row `row`; without `add` every other row is unselected first.
  // kErrSubscript when there is no such row.
  void SelectRow(int32_t row, bool add = false);
  void UnselectRow(int32_t row);
  void ClearSelection();
  std::vector<int32_t> SelectedRows() const;
  std::vector<GridRecord*> SelectedRecords() const;
  // The focused row, or -1.
  int32_t FocusedRow() const;
  // Focuses row `row` and makes it the only selected row, as a click does;
  // -1 leaves no row focused. kErrSubscript for any other missing row.
  void SetFocusedRow(int32_t row);

  // ---- Scrolling
  int32_t TopRow() const { return top_row_; }
  // How many rows fit in the view; the view sets it (at least 1).
  int32_t PageRowCount() const { return page_rows_; }
  void SetPageRowCount(int32_t rows);
  // Scrolls the least needed to bring `row` into the view.
  void EnsureVisible(int32_t row);

  // ---- Search
  // The first item, scanning top-level records start_record..end_record and
  // in each the columns start_column..end_column (positions, both ends
  // included and clamped to what exists), whose text matches `text` as
  // `options` say. An empty text matches nothing.
  FoundItem FindItemInRange(const std::string& text, int32_t start_column, int32_t end_column,
                            int32_t start_record, int32_t end_record,
                            const SearchOptions& options) const;

  // ---- Look and printing
  GridLook& Look() { return look_; }
  const GridLook& Look() const { return look_; }
  GridPrintOptions& PrintOptions() { return print_options_; }

  // ---- Refresh
  // Tells the view that the records changed. When no shown row is focused,
  // the first row becomes focused and selected, as the grid does after
  // filling.
  void Populate();
  // Tells the view to repaint (columns, look, item styles).
  void Redraw() { Changed(); }

  // The grid as JSON for dumps: columns and shown rows with their item
  // texts, styles, selection and focus.
  nlohmann::json ToJson() const;

 private:
  void ClearFlags(bool GridRecord::*flag);
  GridRecord& RowRecordOrRaise(int32_t row) const;

  std::vector<GridColumn> columns_;
  GridRecords records_{nullptr};
  GridLook look_;
  GridPrintOptions print_options_;
  int32_t top_row_ = 0;
  int32_t page_rows_ = 20;
};

}  // namespace lirvo::controls
