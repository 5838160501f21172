// The report grid: columns that show record items by index, records with
// child records, and the rows the grid shows (every top-level record, and
// under an expanded record its children, depth first). Selection and the
// focused row belong to records, so removing a record takes its selection
// with it.
//
// Rows are kept in a flat index that the grid rebuilds lazily, once after a
// batch of changes, and each record remembers its row: RowRecord and RowOf
// take constant time (amortised), so filling n records and then reading
// every row costs O(n). Records appended at the end of the shown rows keep
// the index valid without a rebuild. RowCount is kept up to date by every
// change and never needs the index.
//
// A view follows the grid through a GridObserver (below): every change of
// the records, their items, their expansion, the columns, the selection, the
// focus and the scroll position is announced to the observers.
//
// Index arguments out of range raise RuntimeError kErrSubscript (9) where the
// methods say so; lookups that answer "none" return nullptr or -1 instead.
// The grid belongs to one thread (the user-interface thread).
#pragma once

#include <cstdint>
#include <memory>
#include <memory_resource>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "controls/control.h"
#include "host/variant.h"

namespace lirvo::controls {

class GridRecord;
class GridRecords;
class ReportGrid;

struct Hyperlink {
  int32_t start = 0;  // 0-based character position
  int32_t length = 0;
  friend bool operator==(const Hyperlink&, const Hyperlink&) = default;
};

// One cell of a record. The setters of an item that lies in a record of a
// grid announce ItemsChanged. A copy (or a moved-to item) is free-standing:
// it belongs to no record and announces nothing; assigning to an item of a
// record replaces its content and announces the change.
//
// An item is 32 bytes, so that a row's ten cells take five cache lines: the
// value and its kind and boldness are kept in 16 bytes (a text of up to 15
// bytes in place, a longer one in a block of its own), and the colour and
// hyperlinks, which few items have, lie out of line. A long text's block
// comes from the memory of the item's record (the grid's text pool), so
// that the texts a view reads lie together rather than among everything
// else on the heap; moving a long text between memories copies it, so a
// move may allocate.
class GridItem {
 public:
  explicit GridItem(const host::Variant& value) { Assign(value); }
  GridItem(const GridItem& other);
  GridItem(GridItem&& other);
  GridItem& operator=(const GridItem& other);
  GridItem& operator=(GridItem&& other);
  ~GridItem() { Release(); }

  host::Variant Value() const;
  void SetValue(const host::Variant& value);
  // The value as the grid shows it: Empty, Null and objects show nothing,
  // numbers in the Italian form ("3,5").
  std::string Text() const;

  bool Bold() const { return bold_ != 0; }
  void SetBold(bool bold);
  // The text colour as an RGB long (255 is red); nothing = the grid's own.
  std::optional<int32_t> ForeColor() const { return extras_ ? extras_->fore_color : std::nullopt; }
  void SetForeColor(std::optional<int32_t> color);

  const std::vector<Hyperlink>& Hyperlinks() const;
  void AddHyperlink(int32_t start, int32_t length);

 private:
  friend class GridRecord;
  // What value_ holds: the alternatives of host::Variant, a text being in
  // place (kShortText) or in its own block (kLongText).
  enum Kind : uint8_t { kEmpty, kNull, kBoolean, kLong, kDouble, kShortText, kLongText, kObject };
  static constexpr size_t kShortTextMax = 15;
  // A text longer than kShortTextMax: its bytes (not terminated) and size,
  // kept one after the other in value_.
  struct LongText {
    char* bytes;
    uint32_t size;
  };
  LongText Long() const;
  // What few items have.
  struct Extras {
    std::optional<int32_t> fore_color;
    std::vector<Hyperlink> links;
  };
  Extras& MakeExtras();

  // Tells the record's grid that this item changed.
  void Changed() const;
  // Replace the value (the old one is released first).
  void Assign(const host::Variant& value);
  void AssignText(std::string_view text);
  // Where a long text's block comes from: the text pool of the record's
  // grid, the heap for any other item.
  std::pmr::memory_resource* Memory() const;
  // Frees the value's own storage and leaves Empty.
  void Release();
  std::string_view TextBytes() const;
  // Copies the value, style and links of `other`; takes them from `other`.
  void CopyFrom(const GridItem& other);
  void TakeFrom(GridItem& other);

  // The value's bytes, then in one byte what they hold and the style.
  alignas(8) unsigned char value_[kShortTextMax] = {};
  uint8_t kind_ : 3 = kEmpty;
  uint8_t short_size_ : 4 = 0;  // a kShortText's size
  uint8_t bold_ : 1 = 0;
  // The record whose items_ hold this item; only the record sets it, so it
  // never outlives it. The item's index is its place in items_.
  GridRecord* record_ = nullptr;
  std::unique_ptr<Extras> extras_;  // null: no colour, no links
};

// What a view learns of the grid's changes. Every method has an empty
// default, so an observer overrides only what it forwards.
//
// Records are addressed as a tree: `parent` is the record whose children
// changed (nullptr for the top level), and first..last (both included) are
// positions in its children, as `parent->Childs()` (or `Records()`) counts
// them. This is what a tree model (Qt's beginInsertRows / endInsertRows,
// beginRemoveRows / endRemoveRows, dataChanged, beginResetModel /
// endResetModel) needs. A flat view (a virtual Win32 list view) needs only
// the number of shown rows: it takes RowCount() (constant time) after a
// change and repaints when it next paints; RowOf(record) places a record.
// Asking for rows (RowRecord, RowOf) inside every notification would
// rebuild the index after each change that is not an append: a view reads
// rows when it paints, after the batch (Populate ends one).
//
// The order is fixed: "about to" comes while the grid still holds the old
// records, the matching notice comes once the change is complete (removed
// records are already destroyed). Between the two no other structural
// notice comes.
//
// An observer must not add, remove, expand or collapse records, nor change
// the columns, from inside a notification: such a call raises RuntimeError
// kErrInvalidCall (5) and changes nothing. Items, selection and focus may
// be changed (a view writing back an edit or a click).
class GridObserver {
 public:
  virtual ~GridObserver() = default;

  // Records are added to `parent`'s children at first..last.
  virtual void RowsAboutToBeInserted(const GridRecord* /*parent*/, int32_t /*first*/,
                                     int32_t /*last*/) {}
  virtual void RowsInserted(const GridRecord* /*parent*/, int32_t /*first*/, int32_t /*last*/) {}
  // The records at first..last of `parent`'s children, with their own
  // children, are removed.
  virtual void RowsAboutToBeRemoved(const GridRecord* /*parent*/, int32_t /*first*/,
                                    int32_t /*last*/) {}
  virtual void RowsRemoved(const GridRecord* /*parent*/, int32_t /*first*/, int32_t /*last*/) {}
  // Items first..last of `record` changed (value, style or links) or were
  // added. Columns show items by index (GridColumn::item_index).
  virtual void ItemsChanged(const GridRecord& /*record*/, int32_t /*first_item*/,
                            int32_t /*last_item*/) {}
  // The record was expanded or collapsed: its children's rows appeared or
  // went away.
  virtual void ExpandedChanged(const GridRecord& /*record*/) {}
  // The columns changed (added, removed, shown, hidden): everything a view
  // shows must be read again.
  virtual void AboutToReset() {}
  virtual void Reset() {}
  // The selection, the focused row or the top row changed.
  virtual void ViewStateChanged() {}
};

// An ordered collection of records: the grid's top level, or a record's
// children (Childs).
class GridRecords {
 public:
  ~GridRecords();
  GridRecords(const GridRecords&) = delete;
  GridRecords& operator=(const GridRecords&) = delete;

  int32_t Count() const { return static_cast<int32_t>(records_.size()); }
  // The record at `index`; kErrSubscript when there is none.
  GridRecord& Record(int32_t index);
  const GridRecord& Record(int32_t index) const;
  // A new empty record at the end.
  GridRecord& Add();
  // Removes (and destroys) the record at `index`; kErrSubscript when none.
  void RemoveAt(int32_t index);
  // Removes `record` when it is one of this collection's; false otherwise.
  bool Remove(const GridRecord& record);
  void DeleteAll();

  // The record that holds this collection, or nullptr for the top level.
  GridRecord* Owner() { return owner_; }
  const GridRecord* Owner() const { return owner_; }

 private:
  friend class GridRecord;
  friend class ReportGrid;
  GridRecords(ReportGrid* grid, GridRecord* owner) : grid_(grid), owner_(owner) {}

  // Destroys a record and gives its memory back where it came from.
  struct Deleter {
    void operator()(GridRecord* record) const;
  };

  ReportGrid* grid_;  // null for the children of a free-standing record
  GridRecord* owner_;
  std::vector<std::unique_ptr<GridRecord, Deleter>> records_;
};

class GridRecord {
 public:
  // A record held by `collection`; nullptr makes a free-standing record that
  // belongs to no grid. Records of a grid are made by GridRecords::Add.
  explicit GridRecord(GridRecords* collection);
  ~GridRecord();
  GridRecord(const GridRecord&) = delete;
  GridRecord& operator=(const GridRecord&) = delete;

  int32_t ItemCount() const { return static_cast<int32_t>(items_.size()); }
  // A new item at the end (its index is ItemCount() - 1 afterwards).
  GridItem& AddItem(const host::Variant& value);
  GridItem& AddItem(const std::string& text);
  GridItem& AddItem(const char* text) { return AddItem(std::string(text)); }
  // kErrSubscript when the record has no item `index`.
  GridItem& Item(int32_t index);
  const GridItem& Item(int32_t index) const;
  // The item's text, "" when the record has no item `index`.
  std::string ItemText(int32_t index) const;

  GridRecords& Childs() { return childs_; }
  const GridRecords& Childs() const { return childs_; }
  bool Expanded() const { return expanded_; }
  void SetExpanded(bool expanded);

  // Selection and focus, as the grid's row methods set them.
  bool Selected() const { return selected_slot_ >= 0; }
  bool Focused() const;

  // The record whose child this is, or nullptr at the top level.
  GridRecord* Parent() { return collection_ ? collection_->Owner() : nullptr; }
  const GridRecord* Parent() const { return collection_ ? collection_->Owner() : nullptr; }
  // The record's position among its siblings (Collection().Record(Index())
  // is the record); -1 for a free-standing record.
  int32_t Index() const { return index_; }
  // 0 at the top level, 1 for a child ...
  int32_t Depth() const;
  // The collection that holds the record; kErrObjectNotSet for a
  // free-standing record.
  GridRecords& Collection();
  const GridRecords& Collection() const;

 private:
  friend class GridItem;
  friend class GridRecords;
  friend class ReportGrid;

  // AddItem's steps: a new Empty item linked to the record, then the
  // announcement once it holds its value.
  GridItem& NewItem();
  // A new Empty item at the end of `items` (which has room), linked to the
  // record as its last item.
  GridItem& Link(std::pmr::vector<GridItem>& items);
  GridItem& Added(GridItem& item);

  // Where the record's memory and its items' come from: the grid's pool,
  // or the heap for a free-standing record.
  std::pmr::memory_resource* Memory() const;

  GridRecords* collection_;
  ReportGrid* grid_;
  std::pmr::vector<GridItem> items_;
  GridRecords childs_;
  int32_t index_ = -1;
  bool expanded_ = false;
  // The record's place in the grid's list of selected records, or -1.
  int32_t selected_slot_ = -1;
  // The record's row, valid while row_epoch_ equals the grid's row epoch.
  mutable int32_t row_ = -1;
  mutable uint64_t row_epoch_ = 0;
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
  // The size of the printed list's text; its font is the grid look's.
  double font_points = 8;
};

class ReportGrid;

// A column the grid shows, with its share of the grid's width: the shares
// of the shown columns add up to 1, in proportion to their widths (equal
// when none has a width). What a view lays its columns out by, on screen
// and on paper.
struct ShownColumn {
  int32_t index = 0;
  double share = 0;
};
std::vector<ShownColumn> ShownColumns(const ReportGrid& grid);

// How FindItemInRange compares the search text with an item's text.
struct SearchOptions {
  bool match_at_start = false;  // the item's text begins with the search text
  bool match_case = false;      // otherwise letter case is ignored
  bool whole_phrase = false;    // the item's whole text equals the search text
  bool backwards = false;       // last record and last column first
};

struct FoundItem {
  const GridRecord* record = nullptr;
  int32_t item_index = -1;
  explicit operator bool() const { return record != nullptr; }
};

class ReportGrid : public Control {
 public:
  using Control::Control;

  // ---- Observers (not owned; remove one before it is destroyed). Adding
  // or removing an observer inside a notification takes effect from the
  // next notification.
  void AddObserver(GridObserver* observer);
  void RemoveObserver(GridObserver* observer);

  // ---- Columns
  int32_t ColumnCount() const { return static_cast<int32_t>(columns_.size()); }
  const GridColumn& AddColumn(int32_t item_index, std::string caption, int32_t width,
                              bool resizable);
  // The column at position `index`; kErrSubscript when none (also for the
  // setters).
  const GridColumn& Column(int32_t index) const;
  void SetColumnVisible(int32_t index, bool visible) {
    SetColumnFlag(index, &GridColumn::visible, visible);
  }
  void SetColumnTree(int32_t index, bool tree_column) {
    SetColumnFlag(index, &GridColumn::tree_column, tree_column);
  }
  // The first column that shows item `item_index`, or nullptr.
  const GridColumn* FindColumn(int32_t item_index) const;
  void DeleteAllColumns();

  // ---- Records
  GridRecords& Records() { return records_; }
  const GridRecords& Records() const { return records_; }
  // Removes `record` from wherever it lies in this grid (with its children);
  // false when it is not a record of this grid.
  bool RemoveRecord(const GridRecord& record);

  // ---- Rows: the records shown, top to bottom
  int32_t RowCount() const;
  // The record of row `row`, or nullptr when there is no such row.
  GridRecord* RowRecord(int32_t row);
  const GridRecord* RowRecord(int32_t row) const;
  // The row that shows `record`, or -1 (not in the grid, or under a
  // collapsed record).
  int32_t RowOf(const GridRecord& record) const;

  // ---- Selection and focus, by row
  // Selects row `row`; without `add` every other row is unselected first.
  // kErrSubscript when there is no such row.
  void SelectRow(int32_t row, bool add = false);
  void UnselectRow(int32_t row);
  void ClearSelection();
  // The selected rows that are shown, top to bottom, and their records.
  std::vector<int32_t> SelectedRows() const;
  std::vector<GridRecord*> SelectedRecords();
  std::vector<const GridRecord*> SelectedRecords() const;
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
  const GridPrintOptions& PrintOptions() const { return print_options_; }

  // ---- Refresh
  // Tells the view that the records changed. When no shown row is focused,
  // the first row becomes focused and selected, as the grid does after
  // filling.
  void Populate();
  // Tells the view to repaint (columns, look, item styles).
  void Redraw() { Changed(); }

 private:
  friend class GridItem;
  friend class GridRecord;
  friend class GridRecords;

  // Calls `method` on every observer.
  template <typename Method, typename... Args>
  void Notify(Method method, const Args&... args);
  // Raises kErrInvalidCall while observers are being told of a change.
  void CheckNotNotifying() const;

  // The steps of the record changes that GridRecords and GridRecord make.
  void BeforeInsert(const GridRecord* parent, int32_t index);
  void AfterInsert(GridRecord& record);
  void BeforeRemove(const GridRecord* parent, int32_t first, int32_t last);
  void AfterRemove(const GridRecord* parent, int32_t first, int32_t last);
  void AfterExpand(const GridRecord& record);
  void ItemsChanged(const GridRecord& record, int32_t first, int32_t last);
  void Forget(GridRecord& record);

  void ColumnsChanging();
  void ColumnsChanged();
  GridColumn& ColumnOrRaise(int32_t index);
  void SetColumnFlag(int32_t index, bool GridColumn::*flag, bool value);

  // Whether the children of `parent` (nullptr: the top level) are shown:
  // every record from `parent` up is expanded.
  static bool ChildrenShown(const GridRecord* parent);
  // How many rows the record's children take when the record is expanded.
  static int32_t RowsUnder(const GridRecord& record);
  // Rebuilds the row index when a change left it stale.
  void EnsureRows() const;
  // With a valid index: whether `record` is shown (has a row).
  bool HasRow(const GridRecord& record) const { return record.row_epoch_ == row_epoch_; }
  GridRecord& RowRecordOrRaise(int32_t row);
  void Select(GridRecord& record);
  void Unselect(GridRecord& record);
  void ClearSelectionSilently();

  // Where the pools below take their chunks: chunks a gone grid gave back
  // are kept for the next grid (up to a bound), already mapped.
  static std::pmr::memory_resource* ChunkMemory();

  // The memory of the grid's records and of their items: blocks of one
  // size lie together, filled in the order the records come, whatever the
  // heap held before.
  std::pmr::unsynchronized_pool_resource memory_{ChunkMemory()};
  // The memory of their items' long texts, apart: a view reads the rows'
  // items without wading through texts it does not show.
  std::pmr::unsynchronized_pool_resource text_memory_{ChunkMemory()};

  std::vector<GridObserver*> observers_;
  int notifying_ = 0;
  bool observers_removed_ = false;
  // A removal took the focus or a selection with it; tell the observers.
  bool view_state_lost_ = false;

  std::vector<GridColumn> columns_;
  GridLook look_;
  GridPrintOptions print_options_;
  int32_t top_row_ = 0;
  int32_t page_rows_ = 20;

  // Selection and focus are declared before the records: destroying a
  // record updates them.
  std::vector<GridRecord*> selected_;
  GridRecord* focused_ = nullptr;

  // The flat row index: rows_ holds the shown records while rows_stale_ is
  // false, and a record's row is valid while its row_epoch_ equals
  // row_epoch_.
  mutable std::vector<GridRecord*> rows_;
  mutable bool rows_stale_ = false;
  mutable uint64_t row_epoch_ = 1;
  // The number of shown rows, kept up to date by every change, so that
  // RowCount never needs the index.
  int32_t row_count_ = 0;

  GridRecords records_{this, nullptr};
};

}  // namespace lirvo::controls
