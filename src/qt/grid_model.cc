#include "qt/grid_model.h"

#include <QBrush>
#include <QGuiApplication>
#include <QPalette>
#include <algorithm>

#include "qt/flag_guard.h"
#include "qt/qt_text.h"

namespace lirvo::qt {

using controls::GridRecord;
using controls::GridRecords;

GridItemModel::GridItemModel(controls::ReportGrid& grid, QObject* parent)
    : QAbstractItemModel(parent), grid_(grid), font_(FontFor(grid.Look().font_name)) {
  grid_.AddObserver(this);
  listener_ = grid_.AddListener([this](const controls::Control&) { Redrawn(); });
}

GridItemModel::~GridItemModel() {
  grid_.RemoveListener(listener_);
  grid_.RemoveObserver(this);
}

QModelIndex GridItemModel::IndexOf(const GridRecord& record, int column) const {
  if (column < 0 || column >= grid_.ColumnCount() || record.Index() < 0) return {};
  const GridRecord* top = &record;
  while (top->Parent()) top = top->Parent();
  if (top->Index() >= grid_.Records().Count() || &grid_.Records().Record(top->Index()) != top) {
    return {};
  }
  return createIndex(record.Index(), column, const_cast<GridRecord*>(&record));
}

GridRecord* GridItemModel::RecordOf(const QModelIndex& index) const {
  if (!index.isValid() || index.model() != this) return nullptr;
  return static_cast<GridRecord*>(index.internalPointer());
}

QModelIndex GridItemModel::ParentIndex(const GridRecord* parent) const {
  return parent ? createIndex(parent->Index(), 0, const_cast<GridRecord*>(parent)) : QModelIndex();
}

QModelIndex GridItemModel::index(int row, int column, const QModelIndex& parent) const {
  if (column < 0 || column >= grid_.ColumnCount() || row < 0) return {};
  if (parent.isValid() && parent.column() != 0) return {};
  GridRecord* owner = RecordOf(parent);
  GridRecords& records = owner ? owner->Childs() : grid_.Records();
  if (row >= records.Count()) return {};
  return createIndex(row, column, &records.Record(row));
}

QModelIndex GridItemModel::parent(const QModelIndex& child) const {
  const GridRecord* record = RecordOf(child);
  return record ? ParentIndex(record->Parent()) : QModelIndex();
}

int GridItemModel::rowCount(const QModelIndex& parent) const {
  if (!parent.isValid()) return grid_.Records().Count();
  if (parent.column() != 0) return 0;
  const GridRecord* record = RecordOf(parent);
  return record ? record->Childs().Count() : 0;
}

int GridItemModel::columnCount(const QModelIndex&) const { return grid_.ColumnCount(); }

const controls::GridItem* GridItemModel::ItemAt(const QModelIndex& index) const {
  const GridRecord* record = RecordOf(index);
  if (!record || index.column() >= grid_.ColumnCount()) return nullptr;
  const int32_t item = grid_.Column(index.column()).item_index;
  return item >= 0 && item < record->ItemCount() ? &record->Item(item) : nullptr;
}

QVariant GridItemModel::data(const QModelIndex& index, int role) const {
  const controls::GridItem* item = ItemAt(index);
  if (!item) return role == kLinkRole ? QVariant(false) : QVariant();
  const bool link = !item->Hyperlinks().empty();
  switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
      return role == Qt::ToolTipRole && !link ? QVariant() : QVariant(ToQString(item->Text()));
    case Qt::FontRole: {
      QFont font = font_;
      font.setBold(item->Bold());
      font.setUnderline(link);
      return font;
    }
    case Qt::ForegroundRole:
      if (item->ForeColor()) return QBrush(ToQColor(*item->ForeColor()));
      if (link) return QGuiApplication::palette().brush(QPalette::Link);
      return {};
    case kLinkRole:
      return link;
    default:
      return {};
  }
}

QVariant GridItemModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= grid_.ColumnCount()) return {};
  switch (role) {
    case Qt::DisplayRole:
      return ToQString(grid_.Column(section).caption);
    case Qt::FontRole:
      return font_;
    case Qt::BackgroundRole:
      if (grid_.Look().header_back_color) {
        return QBrush(ToQColor(*grid_.Look().header_back_color));
      }
      return {};
    default:
      return {};
  }
}

Qt::ItemFlags GridItemModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
  if (rowCount(index) == 0) flags |= Qt::ItemNeverHasChildren;
  return flags;
}

void GridItemModel::RowsAboutToBeInserted(const GridRecord* parent, int32_t first, int32_t last) {
  changing_ = true;
  beginInsertRows(ParentIndex(parent), first, last);
}

void GridItemModel::RowsInserted(const GridRecord*, int32_t, int32_t) {
  endInsertRows();
  changing_ = false;
}

void GridItemModel::RowsAboutToBeRemoved(const GridRecord* parent, int32_t first, int32_t last) {
  changing_ = true;
  beginRemoveRows(ParentIndex(parent), first, last);
}

void GridItemModel::RowsRemoved(const GridRecord*, int32_t, int32_t) {
  endRemoveRows();
  changing_ = false;
}

void GridItemModel::ItemsChanged(const GridRecord& record, int32_t first_item, int32_t last_item) {
  int first = -1;
  int last = -1;
  for (int32_t column = 0; column < grid_.ColumnCount(); ++column) {
    const int32_t item = grid_.Column(column).item_index;
    if (item < first_item || item > last_item) continue;
    if (first < 0) first = column;
    last = column;
  }
  if (first < 0) return;
  const QModelIndex parent = ParentIndex(record.Parent());
  emit dataChanged(index(record.Index(), first, parent), index(record.Index(), last, parent));
}

void GridItemModel::AboutToReset() {
  changing_ = true;
  beginResetModel();
}

void GridItemModel::Reset() {
  font_ = FontFor(grid_.Look().font_name);
  endResetModel();
  changing_ = false;
}

void GridItemModel::Redrawn() {
  font_ = FontFor(grid_.Look().font_name);
  if (grid_.ColumnCount() > 0) emit headerDataChanged(Qt::Horizontal, 0, grid_.ColumnCount() - 1);
  const int rows = grid_.Records().Count();
  if (rows > 0 && grid_.ColumnCount() > 0) {
    emit dataChanged(index(0, 0), index(rows - 1, grid_.ColumnCount() - 1));
  }
}

GridSelectionSync::GridSelectionSync(GridItemModel& model, QItemSelectionModel& selection)
    : model_(model), selection_(selection) {
  model_.Grid().AddObserver(this);
  selection_changed_ =
      QObject::connect(&selection_, &QItemSelectionModel::selectionChanged, [this] { Pull(); });
  current_changed_ =
      QObject::connect(&selection_, &QItemSelectionModel::currentChanged, [this] { Pull(); });
  Push();
}

GridSelectionSync::~GridSelectionSync() {
  QObject::disconnect(selection_changed_);
  QObject::disconnect(current_changed_);
  model_.Grid().RemoveObserver(this);
}

void GridSelectionSync::ViewStateChanged() {
  if (!pulling_ && !model_.Changing()) Push();
}

void GridSelectionSync::Push() {
  controls::ReportGrid& grid = model_.Grid();
  const FlagGuard pushing(pushing_);
  QItemSelection selection;
  const int last_column = std::max(grid.ColumnCount() - 1, 0);
  for (const GridRecord* record : std::as_const(grid).SelectedRecords()) {
    const QModelIndex first = model_.IndexOf(*record, 0);
    if (first.isValid()) selection.select(first, first.siblingAtColumn(last_column));
  }
  const GridRecord* focused = grid.RowRecord(grid.FocusedRow());
  const QModelIndex current = focused ? model_.IndexOf(*focused, 0) : QModelIndex();
  if (current != selection_.currentIndex()) {
    selection_.setCurrentIndex(current, QItemSelectionModel::NoUpdate);
  }
  if (selection != selection_.selection()) {
    selection_.select(selection, QItemSelectionModel::ClearAndSelect);
  }
}

void GridSelectionSync::Pull() {
  if (pushing_ || model_.Changing()) return;
  controls::ReportGrid& grid = model_.Grid();
  const FlagGuard pulling(pulling_);
  const GridRecord* current = model_.RecordOf(selection_.currentIndex());
  const int32_t focused = current ? grid.RowOf(*current) : -1;
  if (focused != grid.FocusedRow()) grid.SetFocusedRow(focused);
  std::vector<int32_t> rows;
  for (const QModelIndex& index : selection_.selectedRows(0)) {
    const GridRecord* record = model_.RecordOf(index);
    const int32_t row = record ? grid.RowOf(*record) : -1;
    if (row >= 0) rows.push_back(row);
  }
  std::sort(rows.begin(), rows.end());
  if (rows != grid.SelectedRows()) {
    grid.ClearSelection();
    for (const int32_t row : rows) grid.SelectRow(row, true);
  }
}

}  // namespace lirvo::qt
