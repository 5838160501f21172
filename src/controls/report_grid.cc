#include "controls/report_grid.h"

#include <algorithm>
#include <functional>
#include <nlohmann/json.hpp>

#include "base/runtime_error.h"
#include "base/text.h"
#include "base/utf8.h"

namespace lirvo::controls {
namespace {

// Calls `visit` on every record of `records` and below, depth first.
void ForEachRecord(const GridRecords& records, const std::function<void(GridRecord&)>& visit) {
  for (int32_t i = 0; i < records.Count(); ++i) {
    GridRecord& record = records.Record(i);
    visit(record);
    ForEachRecord(record.Childs(), visit);
  }
}

void CollectRows(const GridRecords& records, std::vector<GridRecord*>& rows) {
  for (int32_t i = 0; i < records.Count(); ++i) {
    GridRecord& record = records.Record(i);
    rows.push_back(&record);
    if (record.Expanded()) CollectRows(record.Childs(), rows);
  }
}

bool Matches(const std::string& item_text, const std::string& text, const SearchOptions& options) {
  const std::string hay = options.match_case ? item_text : UCase(item_text);
  const std::string needle = options.match_case ? text : UCase(text);
  if (options.whole_phrase) return hay == needle;
  if (options.match_at_start) return hay.starts_with(needle);
  return hay.find(needle) != std::string::npos;
}

}  // namespace

// ---- GridItem ----------------------------------------------------------------

std::string GridItem::Text() const {
  if (std::holds_alternative<host::Null>(value_) ||
      std::holds_alternative<std::shared_ptr<host::Dispatch>>(value_)) {
    return "";
  }
  return host::ToText(value_);
}

// ---- GridRecords ---------------------------------------------------------------

GridRecords::~GridRecords() = default;

GridRecord& GridRecords::Record(int32_t index) const {
  if (index < 0 || index >= Count()) throw RuntimeError(kErrSubscript);
  return *records_[static_cast<size_t>(index)];
}

GridRecord& GridRecords::Add() {
  records_.push_back(std::make_unique<GridRecord>(this));
  return *records_.back();
}

void GridRecords::RemoveAt(int32_t index) {
  if (index < 0 || index >= Count()) throw RuntimeError(kErrSubscript);
  records_.erase(records_.begin() + index);
}

bool GridRecords::Remove(const GridRecord& record) {
  auto it = std::find_if(records_.begin(), records_.end(),
                         [&record](const auto& r) { return r.get() == &record; });
  if (it == records_.end()) return false;
  records_.erase(it);
  return true;
}

// ---- GridRecord ----------------------------------------------------------------

GridItem& GridRecord::AddItem(host::Variant value) { return items_.emplace_back(std::move(value)); }

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

int32_t GridRecord::Depth() const {
  int32_t depth = 0;
  for (const GridRecord* p = Parent(); p != nullptr; p = p->Parent()) ++depth;
  return depth;
}

// ---- ReportGrid: columns and records -------------------------------------------

GridColumn& ReportGrid::AddColumn(int32_t item_index, std::string caption, int32_t width,
                                  bool resizable) {
  GridColumn column;
  column.item_index = item_index;
  column.caption = std::move(caption);
  column.width = width;
  column.resizable = resizable;
  return columns_.emplace_back(std::move(column));
}

GridColumn& ReportGrid::Column(int32_t index) {
  if (index < 0 || index >= ColumnCount()) throw RuntimeError(kErrSubscript);
  return columns_[static_cast<size_t>(index)];
}

GridColumn* ReportGrid::FindColumn(int32_t item_index) {
  for (auto& column : columns_) {
    if (column.item_index == item_index) return &column;
  }
  return nullptr;
}

bool ReportGrid::RemoveRecord(const GridRecord& record) {
  const GridRecord* top = &record;
  while (top->Parent() != nullptr) top = top->Parent();
  if (&top->Collection() != &records_) return false;
  return record.Collection().Remove(record);
}

// ---- ReportGrid: rows, selection, focus -----------------------------------------

std::vector<GridRecord*> ReportGrid::Rows() const {
  std::vector<GridRecord*> rows;
  CollectRows(records_, rows);
  return rows;
}

int32_t ReportGrid::RowCount() const { return static_cast<int32_t>(Rows().size()); }

GridRecord* ReportGrid::RowRecord(int32_t row) const {
  const auto rows = Rows();
  if (row < 0 || row >= static_cast<int32_t>(rows.size())) return nullptr;
  return rows[static_cast<size_t>(row)];
}

GridRecord& ReportGrid::RowRecordOrRaise(int32_t row) const {
  GridRecord* record = RowRecord(row);
  if (record == nullptr) throw RuntimeError(kErrSubscript);
  return *record;
}

int32_t ReportGrid::RowOf(const GridRecord& record) const {
  const auto rows = Rows();
  auto it = std::find(rows.begin(), rows.end(), &record);
  return it == rows.end() ? -1 : static_cast<int32_t>(it - rows.begin());
}

void ReportGrid::ClearFlags(bool GridRecord::*flag) {
  ForEachRecord(records_, [flag](GridRecord& r) { r.*flag = false; });
}

void ReportGrid::SelectRow(int32_t row, bool add) {
  GridRecord& record = RowRecordOrRaise(row);
  if (!add) ClearFlags(&GridRecord::selected_);
  record.selected_ = true;
}

void ReportGrid::UnselectRow(int32_t row) { RowRecordOrRaise(row).selected_ = false; }

void ReportGrid::ClearSelection() { ClearFlags(&GridRecord::selected_); }

std::vector<int32_t> ReportGrid::SelectedRows() const {
  std::vector<int32_t> selected;
  const auto rows = Rows();
  for (size_t i = 0; i < rows.size(); ++i) {
    if (rows[i]->selected_) selected.push_back(static_cast<int32_t>(i));
  }
  return selected;
}

std::vector<GridRecord*> ReportGrid::SelectedRecords() const {
  std::vector<GridRecord*> selected;
  for (GridRecord* record : Rows()) {
    if (record->selected_) selected.push_back(record);
  }
  return selected;
}

int32_t ReportGrid::FocusedRow() const {
  const auto rows = Rows();
  for (size_t i = 0; i < rows.size(); ++i) {
    if (rows[i]->focused_) return static_cast<int32_t>(i);
  }
  return -1;
}

void ReportGrid::SetFocusedRow(int32_t row) {
  if (row == -1) {
    ClearFlags(&GridRecord::focused_);
    return;
  }
  GridRecord& record = RowRecordOrRaise(row);
  ClearFlags(&GridRecord::focused_);
  record.focused_ = true;
  SelectRow(row);
}

// ---- ReportGrid: scrolling -------------------------------------------------------

void ReportGrid::SetPageRowCount(int32_t rows) { page_rows_ = std::max(rows, 1); }

void ReportGrid::EnsureVisible(int32_t row) {
  if (row < 0 || row >= RowCount()) return;
  if (row < top_row_) {
    top_row_ = row;
  } else if (row >= top_row_ + page_rows_) {
    top_row_ = row - page_rows_ + 1;
  }
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
    GridRecord& record = records_.Record(r);
    for (int32_t c = column_begin; c != column_end; c += step) {
      const int32_t item = columns_[static_cast<size_t>(c)].item_index;
      if (item < record.ItemCount() && Matches(record.ItemText(item), text, options)) {
        return {&record, item};
      }
    }
  }
  return {};
}

// ---- ReportGrid: refresh and dump ---------------------------------------------------

void ReportGrid::Populate() {
  const auto rows = Rows();
  const bool focus_shown =
      std::any_of(rows.begin(), rows.end(), [](const GridRecord* r) { return r->focused_; });
  if (!focus_shown && !rows.empty()) SetFocusedRow(0);
  top_row_ = std::clamp(top_row_, 0, std::max(static_cast<int32_t>(rows.size()) - 1, 0));
  Changed();
}

nlohmann::json ReportGrid::ToJson() const {
  nlohmann::json columns = nlohmann::json::array();
  for (const auto& c : columns_) {
    columns.push_back({{"item", c.item_index},
                       {"caption", SanitizeUtf8(c.caption)},
                       {"width", c.width},
                       {"resizable", c.resizable},
                       {"visible", c.visible},
                       {"tree", c.tree_column}});
  }
  nlohmann::json rows = nlohmann::json::array();
  for (const GridRecord* record : Rows()) {
    nlohmann::json row = {{"depth", record->Depth()}};
    nlohmann::json items = nlohmann::json::array();
    for (int32_t i = 0; i < record->ItemCount(); ++i) {
      const GridItem& item = record->Item(i);
      items.push_back(SanitizeUtf8(item.Text()));
      const std::string key = std::to_string(i);
      if (item.Bold()) row["bold"].push_back(i);
      if (item.ForeColor()) row["colors"][key] = *item.ForeColor();
      if (!item.Hyperlinks().empty()) row["links"].push_back(i);
    }
    row["items"] = std::move(items);
    if (record->selected_) row["selected"] = true;
    if (record->focused_) row["focused"] = true;
    rows.push_back(std::move(row));
  }
  return {{"columns", std::move(columns)}, {"rows", std::move(rows)}};
}

}  // namespace lirvo::controls
