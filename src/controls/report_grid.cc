#include "controls/report_grid.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <mutex>
#include <new>
#include <type_traits>
#include <utility>

#include "base/runtime_error.h"
#include "base/text.h"

namespace lirvo::controls {
namespace {

bool Matches(const std::string& item_text, const std::string& text, const SearchOptions& options) {
  const std::string hay = options.match_case ? item_text : UCase(item_text);
  const std::string needle = options.match_case ? text : UCase(text);
  if (options.whole_phrase) return hay == needle;
  if (options.match_at_start) return hay.starts_with(needle);
  return hay.find(needle) != std::string::npos;
}

// The chunks the grids' pools draw from the heap. A grid gives its chunks
// back when it goes; the latest ones are kept, up to kKeptBytes, for the
// next grid, whose pools grow the same way and so ask for the same sizes.
// Building a grid again then finds its memory mapped, rather than the heap
// handing the pages back to the system and faulting them in afresh.
class RecycledChunks final : public std::pmr::memory_resource {
 public:
  // Less where the address space is 32-bit.
  static constexpr size_t kKeptBytes = size_t{sizeof(void*) == 8 ? 64 : 16} << 20;

 private:
  struct Chunk {
    void* memory;
    size_t bytes;
    size_t alignment;
  };

  void* do_allocate(size_t bytes, size_t alignment) override {
    {
      std::lock_guard lock(mutex_);
      auto it = std::find_if(kept_.begin(), kept_.end(), [&](const Chunk& chunk) {
        return chunk.bytes == bytes && chunk.alignment == alignment;
      });
      if (it != kept_.end()) {
        void* memory = it->memory;
        kept_bytes_ -= bytes;
        kept_.erase(it);
        return memory;
      }
    }
    return Heap()->allocate(bytes, alignment);
  }

  void do_deallocate(void* memory, size_t bytes, size_t alignment) override {
    std::lock_guard lock(mutex_);
    if (bytes <= kKeptBytes) {
      // The oldest chunks make room.
      while (bytes > kKeptBytes - kept_bytes_) {
        const Chunk& oldest = kept_.front();
        Heap()->deallocate(oldest.memory, oldest.bytes, oldest.alignment);
        kept_bytes_ -= oldest.bytes;
        kept_.pop_front();
      }
      try {
        kept_.push_back({memory, bytes, alignment});
        kept_bytes_ += bytes;
        return;
      } catch (const std::bad_alloc&) {
        // No room to note it: it goes back to the heap.
      }
    }
    Heap()->deallocate(memory, bytes, alignment);
  }

  bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override {
    return this == &other;
  }

  static std::pmr::memory_resource* Heap() { return std::pmr::new_delete_resource(); }

  // Grids may be made and destroyed on any thread (one grid, one thread).
  std::mutex mutex_;
  std::deque<Chunk> kept_;  // oldest first
  size_t kept_bytes_ = 0;
};

}  // namespace

std::pmr::memory_resource* ReportGrid::ChunkMemory() {
  // Never destroyed: a grid that outlives static destruction still gives
  // its chunks back here.
  static auto* const chunks = new RecycledChunks;
  return chunks;
}

// ---- GridItem ----------------------------------------------------------------

static_assert(sizeof(GridItem) == (sizeof(void*) == 8 ? 32 : 24),
              "a grid item takes 32 bytes, 24 with 4-byte pointers");

GridItem::GridItem(const GridItem& other) { CopyFrom(other); }

GridItem::GridItem(GridItem&& other) { TakeFrom(other); }

GridItem& GridItem::operator=(const GridItem& other) {
  if (this == &other) return *this;
  CopyFrom(other);
  Changed();
  return *this;
}

GridItem& GridItem::operator=(GridItem&& other) {
  if (this == &other) return *this;
  TakeFrom(other);
  Changed();
  return *this;
}

void GridItem::CopyFrom(const GridItem& other) {
  if (other.kind_ == kLongText) {
    AssignText(other.TextBytes());
  } else if (other.kind_ == kObject) {
    Assign(other.Value());
  } else {
    Release();
    std::memcpy(value_, other.value_, sizeof value_);
    kind_ = other.kind_;
    short_size_ = other.short_size_;
  }
  bold_ = other.bold_;
  extras_ = other.extras_ ? std::make_unique<Extras>(*other.extras_) : nullptr;
}

std::pmr::memory_resource* GridItem::Memory() const {
  return record_ != nullptr && record_->grid_ != nullptr ? &record_->grid_->text_memory_
                                                         : std::pmr::new_delete_resource();
}

void GridItem::TakeFrom(GridItem& other) {
  if (other.kind_ == kLongText && other.Memory() != Memory()) {
    // The text's block belongs to the other item's memory (another grid's
    // pool, or the heap): this item keeps a copy in its own.
    AssignText(other.TextBytes());
    other.Release();
  } else {
    Release();
    // The value's bytes move as they are: a long text or an object is owned
    // through a pointer, which `other` gives up.
    std::memcpy(value_, other.value_, sizeof value_);
    kind_ = other.kind_;
    short_size_ = other.short_size_;
    other.kind_ = kEmpty;
  }
  bold_ = other.bold_;
  extras_ = std::move(other.extras_);
}

void GridItem::Release() {
  if (kind_ == kLongText) {
    const LongText text = Long();
    Memory()->deallocate(text.bytes, text.size, 1);
  } else if (kind_ == kObject) {
    std::shared_ptr<host::Dispatch>* object;
    std::memcpy(&object, value_, sizeof object);
    delete object;
  }
  kind_ = kEmpty;
}

void GridItem::AssignText(std::string_view text) {
  Release();
  if (text.size() <= kShortTextMax) {
    std::memcpy(value_, text.data(), text.size());
    short_size_ = static_cast<uint8_t>(text.size()) & 0xF;
    kind_ = kShortText;
    return;
  }
  // The size is kept in 32 bits: no cell holds 4 GB.
  if (!std::in_range<uint32_t>(text.size())) throw RuntimeError(kErrOutOfMemory);
  const LongText stored{static_cast<char*>(Memory()->allocate(text.size(), 1)),
                        static_cast<uint32_t>(text.size())};
  std::memcpy(stored.bytes, text.data(), text.size());
  std::memcpy(value_, &stored.bytes, sizeof stored.bytes);
  std::memcpy(value_ + sizeof stored.bytes, &stored.size, sizeof stored.size);
  kind_ = kLongText;
}

void GridItem::Assign(const host::Variant& value) {
  if (const auto* text = std::get_if<std::string>(&value)) return AssignText(*text);
  Release();
  std::visit(
      [this](const auto& v) {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, host::Null>) {
          kind_ = kNull;
        } else if constexpr (std::is_same_v<T, bool>) {
          value_[0] = v ? 1 : 0;
          kind_ = kBoolean;
        } else if constexpr (std::is_same_v<T, int64_t>) {
          std::memcpy(value_, &v, sizeof v);
          kind_ = kLong;
        } else if constexpr (std::is_same_v<T, double>) {
          std::memcpy(value_, &v, sizeof v);
          kind_ = kDouble;
        } else if constexpr (std::is_same_v<T, std::shared_ptr<host::Dispatch>>) {
          auto* object = new std::shared_ptr<host::Dispatch>(v);
          std::memcpy(value_, &object, sizeof object);
          kind_ = kObject;
        }
      },
      value);
}

std::string_view GridItem::TextBytes() const {
  if (kind_ == kShortText) return {reinterpret_cast<const char*>(value_), short_size_};
  const LongText text = Long();
  return {text.bytes, text.size};
}

GridItem::LongText GridItem::Long() const {
  LongText text;
  std::memcpy(&text.bytes, value_, sizeof text.bytes);
  std::memcpy(&text.size, value_ + sizeof text.bytes, sizeof text.size);
  return text;
}

host::Variant GridItem::Value() const {
  switch (kind_) {
    case kNull:
      return host::Null{};
    case kBoolean:
      return value_[0] != 0;
    case kLong: {
      int64_t v;
      std::memcpy(&v, value_, sizeof v);
      return v;
    }
    case kDouble: {
      double v;
      std::memcpy(&v, value_, sizeof v);
      return v;
    }
    case kShortText:
    case kLongText:
      return std::string(TextBytes());
    case kObject: {
      std::shared_ptr<host::Dispatch>* object;
      std::memcpy(&object, value_, sizeof object);
      return *object;
    }
    default:
      return host::Empty{};
  }
}

void GridItem::SetValue(const host::Variant& value) {
  Assign(value);
  Changed();
}

void GridItem::SetBold(bool bold) {
  if (Bold() == bold) return;
  bold_ = bold;
  Changed();
}

void GridItem::SetForeColor(std::optional<int32_t> color) {
  if (ForeColor() == color) return;
  MakeExtras().fore_color = color;
  Changed();
}

const std::vector<Hyperlink>& GridItem::Hyperlinks() const {
  static const std::vector<Hyperlink> kNone;
  return extras_ ? extras_->links : kNone;
}

void GridItem::AddHyperlink(int32_t start, int32_t length) {
  MakeExtras().links.push_back({start, length});
  Changed();
}

GridItem::Extras& GridItem::MakeExtras() {
  if (!extras_) extras_ = std::make_unique<Extras>();
  return *extras_;
}

void GridItem::Changed() const {
  if (record_ != nullptr && record_->grid_ != nullptr) {
    const auto index = static_cast<int32_t>(this - record_->items_.data());
    record_->grid_->ItemsChanged(*record_, index, index);
  }
}

std::string GridItem::Text() const {
  switch (kind_) {
    case kEmpty:
    case kNull:
    case kObject:
      return "";
    case kShortText:
    case kLongText:
      return std::string(TextBytes());
    default:
      return host::ToText(Value());
  }
}

// ---- GridRecords ---------------------------------------------------------------

GridRecords::~GridRecords() = default;

void GridRecords::Deleter::operator()(GridRecord* record) const {
  std::pmr::memory_resource* memory = record->Memory();
  record->~GridRecord();
  memory->deallocate(record, sizeof(GridRecord), alignof(GridRecord));
}

GridRecord& GridRecords::Record(int32_t index) {
  if (index < 0 || index >= Count()) throw RuntimeError(kErrSubscript);
  return *records_[static_cast<size_t>(index)];
}

const GridRecord& GridRecords::Record(int32_t index) const {
  return const_cast<GridRecords*>(this)->Record(index);
}

GridRecord& GridRecords::Add() {
  const int32_t index = Count();
  if (grid_ != nullptr) grid_->BeforeInsert(owner_, index);
  std::pmr::memory_resource* memory =
      grid_ != nullptr ? &grid_->memory_ : std::pmr::new_delete_resource();
  // The record's constructor throws nothing; should the list fail to grow,
  // the pointer gives the record back.
  std::unique_ptr<GridRecord, Deleter> made(
      new (memory->allocate(sizeof(GridRecord), alignof(GridRecord))) GridRecord(this));
  records_.push_back(std::move(made));
  GridRecord& record = *records_.back();
  record.index_ = index;
  if (grid_ != nullptr) grid_->AfterInsert(record);
  return record;
}

void GridRecords::RemoveAt(int32_t index) {
  if (index < 0 || index >= Count()) throw RuntimeError(kErrSubscript);
  if (grid_ != nullptr) grid_->BeforeRemove(owner_, index, index);
  auto removed = std::move(records_[static_cast<size_t>(index)]);
  records_.erase(records_.begin() + index);
  for (size_t i = static_cast<size_t>(index); i < records_.size(); ++i) {
    records_[i]->index_ = static_cast<int32_t>(i);
  }
  removed.reset();
  if (grid_ != nullptr) grid_->AfterRemove(owner_, index, index);
}

bool GridRecords::Remove(const GridRecord& record) {
  const int32_t index = record.index_;
  if (record.collection_ != this || index < 0 || index >= Count() ||
      records_[static_cast<size_t>(index)].get() != &record) {
    return false;
  }
  RemoveAt(index);
  return true;
}

void GridRecords::DeleteAll() {
  if (records_.empty()) return;
  const int32_t last = Count() - 1;
  if (grid_ != nullptr) grid_->BeforeRemove(owner_, 0, last);
  records_.clear();
  if (grid_ != nullptr) grid_->AfterRemove(owner_, 0, last);
}

// ---- GridRecord ----------------------------------------------------------------

GridRecord::GridRecord(GridRecords* collection)
    : collection_(collection),
      grid_(collection != nullptr ? collection->grid_ : nullptr),
      items_(Memory()),
      childs_(grid_, this) {}

std::pmr::memory_resource* GridRecord::Memory() const {
  return grid_ != nullptr ? &grid_->memory_ : std::pmr::new_delete_resource();
}

GridRecord::~GridRecord() {
  if (grid_ != nullptr) grid_->Forget(*this);
}

GridItem& GridRecord::AddItem(const host::Variant& value) {
  GridItem& item = NewItem();
  item.Assign(value);
  return Added(item);
}

GridItem& GridRecord::AddItem(const std::string& text) {
  GridItem& item = NewItem();
  item.AssignText(text);
  return Added(item);
}

GridItem& GridRecord::NewItem() {
  // Items are counted in 32 bits; no record comes near that.
  if (items_.size() >= size_t{INT32_MAX}) throw RuntimeError(kErrOutOfMemory);
  if (items_.size() == items_.capacity()) {
    // The rows of the plug-in's grids carry ten items: one allocation for
    // them, instead of one per doubling, keeps a row's cells close together.
    // The items move to the new array already linked to the record, so
    // their long texts stay in the record's memory.
    std::pmr::vector<GridItem> grown(Memory());
    grown.reserve(std::max<size_t>(10, 2 * items_.size()));
    for (GridItem& item : items_) Link(grown).TakeFrom(item);
    items_.swap(grown);
  }
  return Link(items_);
}

GridItem& GridRecord::Link(std::pmr::vector<GridItem>& items) {
  GridItem& item = items.emplace_back(host::Empty{});
  item.record_ = this;
  return item;
}

GridItem& GridRecord::Added(GridItem& item) {
  const int32_t index = ItemCount() - 1;
  if (grid_ != nullptr) grid_->ItemsChanged(*this, index, index);
  return item;
}

GridItem& GridRecord::Item(int32_t index) {
  if (index < 0 || index >= ItemCount()) throw RuntimeError(kErrSubscript);
  return items_[static_cast<size_t>(index)];
}

const GridItem& GridRecord::Item(int32_t index) const {
  return const_cast<GridRecord*>(this)->Item(index);
}

std::string GridRecord::ItemText(int32_t index) const {
  if (index < 0 || index >= ItemCount()) return "";
  return items_[static_cast<size_t>(index)].Text();
}

void GridRecord::SetExpanded(bool expanded) {
  if (expanded_ == expanded) return;
  if (grid_ != nullptr) grid_->CheckNotNotifying();
  expanded_ = expanded;
  if (grid_ != nullptr) grid_->AfterExpand(*this);
}

bool GridRecord::Focused() const { return grid_ != nullptr && grid_->focused_ == this; }

int32_t GridRecord::Depth() const {
  int32_t depth = 0;
  for (const GridRecord* p = Parent(); p != nullptr; p = p->Parent()) ++depth;
  return depth;
}

GridRecords& GridRecord::Collection() {
  if (collection_ == nullptr) throw RuntimeError(kErrObjectNotSet);
  return *collection_;
}

const GridRecords& GridRecord::Collection() const {
  return const_cast<GridRecord*>(this)->Collection();
}

// ---- ReportGrid: observers and the steps of a change ----------------------------

void ReportGrid::AddObserver(GridObserver* observer) {
  if (observer == nullptr) return;
  if (std::find(observers_.begin(), observers_.end(), observer) != observers_.end()) return;
  observers_.push_back(observer);
}

void ReportGrid::RemoveObserver(GridObserver* observer) {
  auto it = std::find(observers_.begin(), observers_.end(), observer);
  if (it == observers_.end() || observer == nullptr) return;
  if (notifying_ > 0) {
    *it = nullptr;  // the running notification skips it; dropped when it ends
    observers_removed_ = true;
  } else {
    observers_.erase(it);
  }
}

template <typename Method, typename... Args>
void ReportGrid::Notify(Method method, const Args&... args) {
  if (observers_.empty()) return;
  struct Depth {
    explicit Depth(ReportGrid& grid) : grid(grid) { ++grid.notifying_; }
    ~Depth() {
      if (--grid.notifying_ > 0 || !grid.observers_removed_) return;
      std::erase(grid.observers_, nullptr);
      grid.observers_removed_ = false;
    }
    ReportGrid& grid;
  } depth(*this);
  // Observers added meanwhile hear from the next notification on.
  for (size_t i = 0, n = observers_.size(); i < n; ++i) {
    if (GridObserver* observer = observers_[i]) (observer->*method)(args...);
  }
}

void ReportGrid::CheckNotNotifying() const {
  if (notifying_ > 0) throw RuntimeError(kErrInvalidCall);
}

void ReportGrid::BeforeInsert(const GridRecord* parent, int32_t index) {
  CheckNotNotifying();
  Notify(&GridObserver::RowsAboutToBeInserted, parent, index, index);
}

bool ReportGrid::ChildrenShown(const GridRecord* parent) {
  for (const GridRecord* p = parent; p != nullptr; p = p->Parent()) {
    if (!p->expanded_) return false;
  }
  return true;
}

int32_t ReportGrid::RowsUnder(const GridRecord& record) {
  int32_t rows = 0;
  for (const auto& child : record.childs_.records_) {
    rows += 1 + (child->expanded_ ? RowsUnder(*child) : 0);
  }
  return rows;
}

void ReportGrid::AfterInsert(GridRecord& record) {
  const GridRecord* parent = record.Parent();
  const bool shown = ChildrenShown(parent);
  if (shown) ++row_count_;
  if (shown && !rows_stale_) {
    // The record is shown. It lands after the last row when that row is the
    // parent or lies under it; anywhere else the index is rebuilt later.
    const GridRecord* last = rows_.empty() ? nullptr : rows_.back();
    while (last != nullptr && last != parent) last = last->Parent();
    if (last == parent) {
      record.row_ = static_cast<int32_t>(rows_.size());
      record.row_epoch_ = row_epoch_;
      rows_.push_back(&record);
    } else {
      rows_stale_ = true;
    }
  }
  Notify(&GridObserver::RowsInserted, parent, record.index_, record.index_);
}

void ReportGrid::BeforeRemove(const GridRecord* parent, int32_t first, int32_t last) {
  CheckNotNotifying();
  Notify(&GridObserver::RowsAboutToBeRemoved, parent, first, last);
  if (!ChildrenShown(parent)) return;
  const GridRecords& siblings = parent != nullptr ? parent->childs_ : records_;
  for (int32_t i = first; i <= last; ++i) {
    const GridRecord& record = siblings.Record(i);
    row_count_ -= 1 + (record.expanded_ ? RowsUnder(record) : 0);
  }
  rows_stale_ = true;
}

void ReportGrid::AfterRemove(const GridRecord* parent, int32_t first, int32_t last) {
  Notify(&GridObserver::RowsRemoved, parent, first, last);
  if (view_state_lost_) {
    view_state_lost_ = false;
    Notify(&GridObserver::ViewStateChanged);
  }
}

void ReportGrid::AfterExpand(const GridRecord& record) {
  if (record.childs_.Count() > 0 && ChildrenShown(record.Parent())) {
    const int32_t rows = RowsUnder(record);
    row_count_ += record.expanded_ ? rows : -rows;
    rows_stale_ = true;
  }
  Notify(&GridObserver::ExpandedChanged, record);
}

void ReportGrid::ItemsChanged(const GridRecord& record, int32_t first, int32_t last) {
  Notify(&GridObserver::ItemsChanged, record, first, last);
}

void ReportGrid::Forget(GridRecord& record) {
  if (record.Selected()) {
    Unselect(record);
    view_state_lost_ = true;
  }
  if (focused_ == &record) {
    focused_ = nullptr;
    view_state_lost_ = true;
  }
}

// ---- ReportGrid: columns and records -------------------------------------------

void ReportGrid::ColumnsChanging() {
  CheckNotNotifying();
  Notify(&GridObserver::AboutToReset);
}

void ReportGrid::ColumnsChanged() { Notify(&GridObserver::Reset); }

const GridColumn& ReportGrid::AddColumn(int32_t item_index, std::string caption, int32_t width,
                                        bool resizable) {
  GridColumn column;
  column.item_index = item_index;
  column.caption = std::move(caption);
  column.width = width;
  column.resizable = resizable;
  ColumnsChanging();
  columns_.push_back(std::move(column));
  ColumnsChanged();
  return columns_.back();
}

GridColumn& ReportGrid::ColumnOrRaise(int32_t index) {
  if (index < 0 || index >= ColumnCount()) throw RuntimeError(kErrSubscript);
  return columns_[static_cast<size_t>(index)];
}

const GridColumn& ReportGrid::Column(int32_t index) const {
  return const_cast<ReportGrid*>(this)->ColumnOrRaise(index);
}

void ReportGrid::SetColumnFlag(int32_t index, bool GridColumn::*flag, bool value) {
  GridColumn& column = ColumnOrRaise(index);
  if (column.*flag == value) return;
  ColumnsChanging();
  column.*flag = value;
  ColumnsChanged();
}

const GridColumn* ReportGrid::FindColumn(int32_t item_index) const {
  for (const auto& column : columns_) {
    if (column.item_index == item_index) return &column;
  }
  return nullptr;
}

void ReportGrid::DeleteAllColumns() {
  if (columns_.empty()) return;
  ColumnsChanging();
  columns_.clear();
  ColumnsChanged();
}

bool ReportGrid::RemoveRecord(const GridRecord& record) {
  if (record.grid_ != this) return false;
  return record.collection_->Remove(record);
}

// ---- ReportGrid: rows ------------------------------------------------------------

void ReportGrid::EnsureRows() const {
  if (!rows_stale_) return;
  rows_.clear();
  ++row_epoch_;
  // Depth first without recursion: each entry is a collection and the
  // position of its next record.
  std::vector<std::pair<const GridRecords*, size_t>> pending{{&records_, 0}};
  while (!pending.empty()) {
    auto& [records, next] = pending.back();
    if (next == records->records_.size()) {
      pending.pop_back();
      continue;
    }
    GridRecord* record = records->records_[next++].get();
    record->row_ = static_cast<int32_t>(rows_.size());
    record->row_epoch_ = row_epoch_;
    rows_.push_back(record);
    if (record->expanded_ && !record->childs_.records_.empty()) {
      pending.emplace_back(&record->childs_, 0);
    }
  }
  rows_stale_ = false;
}

int32_t ReportGrid::RowCount() const { return row_count_; }

const GridRecord* ReportGrid::RowRecord(int32_t row) const {
  EnsureRows();
  if (row < 0 || row >= static_cast<int32_t>(rows_.size())) return nullptr;
  return rows_[static_cast<size_t>(row)];
}

GridRecord* ReportGrid::RowRecord(int32_t row) {
  return const_cast<GridRecord*>(std::as_const(*this).RowRecord(row));
}

GridRecord& ReportGrid::RowRecordOrRaise(int32_t row) {
  GridRecord* record = RowRecord(row);
  if (record == nullptr) throw RuntimeError(kErrSubscript);
  return *record;
}

int32_t ReportGrid::RowOf(const GridRecord& record) const {
  if (record.grid_ != this) return -1;
  EnsureRows();
  return HasRow(record) ? record.row_ : -1;
}

// ---- ReportGrid: selection and focus ----------------------------------------------

void ReportGrid::Select(GridRecord& record) {
  if (record.Selected()) return;
  record.selected_slot_ = static_cast<int32_t>(selected_.size());
  selected_.push_back(&record);
}

void ReportGrid::Unselect(GridRecord& record) {
  if (!record.Selected()) return;
  GridRecord* moved = selected_.back();
  moved->selected_slot_ = record.selected_slot_;
  selected_[static_cast<size_t>(record.selected_slot_)] = moved;
  selected_.pop_back();
  record.selected_slot_ = -1;
}

void ReportGrid::ClearSelectionSilently() {
  for (GridRecord* record : selected_) record->selected_slot_ = -1;
  selected_.clear();
}

void ReportGrid::SelectRow(int32_t row, bool add) {
  GridRecord& record = RowRecordOrRaise(row);
  if (!add) ClearSelectionSilently();
  Select(record);
  Notify(&GridObserver::ViewStateChanged);
}

void ReportGrid::UnselectRow(int32_t row) {
  Unselect(RowRecordOrRaise(row));
  Notify(&GridObserver::ViewStateChanged);
}

void ReportGrid::ClearSelection() {
  ClearSelectionSilently();
  Notify(&GridObserver::ViewStateChanged);
}

std::vector<int32_t> ReportGrid::SelectedRows() const {
  std::vector<int32_t> rows;
  for (const GridRecord* record : selected_) {
    const int32_t row = RowOf(*record);
    if (row >= 0) rows.push_back(row);
  }
  std::sort(rows.begin(), rows.end());
  return rows;
}

std::vector<GridRecord*> ReportGrid::SelectedRecords() {
  std::vector<GridRecord*> records;
  for (int32_t row : SelectedRows()) records.push_back(rows_[static_cast<size_t>(row)]);
  return records;
}

std::vector<const GridRecord*> ReportGrid::SelectedRecords() const {
  std::vector<const GridRecord*> records;
  for (int32_t row : SelectedRows()) records.push_back(rows_[static_cast<size_t>(row)]);
  return records;
}

int32_t ReportGrid::FocusedRow() const { return focused_ != nullptr ? RowOf(*focused_) : -1; }

void ReportGrid::SetFocusedRow(int32_t row) {
  if (row == -1) {
    focused_ = nullptr;
  } else {
    GridRecord& record = RowRecordOrRaise(row);
    focused_ = &record;
    ClearSelectionSilently();
    Select(record);
  }
  Notify(&GridObserver::ViewStateChanged);
}

// ---- ReportGrid: scrolling -------------------------------------------------------

void ReportGrid::SetPageRowCount(int32_t rows) { page_rows_ = std::max(rows, 1); }

void ReportGrid::EnsureVisible(int32_t row) {
  if (row < 0 || row >= RowCount()) return;
  const int32_t top = top_row_;
  if (row < top_row_) {
    top_row_ = row;
  } else if (row >= top_row_ + page_rows_) {
    top_row_ = row - page_rows_ + 1;
  }
  if (top_row_ != top) Notify(&GridObserver::ViewStateChanged);
}

// ---- ReportGrid: search ------------------------------------------------------------

FoundItem ReportGrid::FindItemInRange(const std::string& text, int32_t start_column,
                                      int32_t end_column, int32_t start_record, int32_t end_record,
                                      const SearchOptions& options) const {
  if (text.empty() || records_.Count() == 0 || columns_.empty()) return {};
  const int32_t first_record = std::max(start_record, 0);
  const int32_t last_record = std::min(end_record, records_.Count() - 1);
  const int32_t first_column = std::max(start_column, 0);
  const int32_t last_column = std::min(end_column, ColumnCount() - 1);
  if (first_record > last_record || first_column > last_column) return {};

  const int32_t step = options.backwards ? -1 : 1;
  const int32_t record_begin = options.backwards ? last_record : first_record;
  const int32_t record_end = (options.backwards ? first_record : last_record) + step;
  const int32_t column_begin = options.backwards ? last_column : first_column;
  const int32_t column_end = (options.backwards ? first_column : last_column) + step;
  for (int32_t r = record_begin; r != record_end; r += step) {
    const GridRecord& record = records_.Record(r);
    for (int32_t c = column_begin; c != column_end; c += step) {
      const int32_t item = columns_[static_cast<size_t>(c)].item_index;
      if (item < record.ItemCount() && Matches(record.ItemText(item), text, options)) {
        return {&record, item};
      }
    }
  }
  return {};
}

// ---- ReportGrid: refresh ---------------------------------------------------

void ReportGrid::Populate() {
  const int32_t row_count = RowCount();
  if (FocusedRow() < 0 && row_count > 0) SetFocusedRow(0);
  const int32_t top = std::clamp(top_row_, 0, std::max(row_count - 1, 0));
  if (top != top_row_) {
    top_row_ = top;
    Notify(&GridObserver::ViewStateChanged);
  }
  Changed();
}

std::vector<ShownColumn> ShownColumns(const ReportGrid& grid) {
  std::vector<ShownColumn> shown;
  int64_t total_width = 0;
  for (int32_t i = 0; i < grid.ColumnCount(); ++i) {
    if (!grid.Column(i).visible) continue;
    shown.push_back({i, 0});
    total_width += std::max(grid.Column(i).width, 0);
  }
  for (ShownColumn& column : shown) {
    column.share = total_width > 0 ? std::max(grid.Column(column.index).width, 0) /
                                         static_cast<double>(total_width)
                                   : 1.0 / static_cast<double>(shown.size());
  }
  return shown;
}

}  // namespace lirvo::controls
