#include "qt/grid_view.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QMouseEvent>
#include <QScrollBar>

#include "qt/flag_guard.h"
#include "qt/qt_text.h"

namespace lirvo::qt {

using controls::GridRecord;

ReportGridView::ReportGridView(controls::ReportGrid& grid, QWidget* parent)
    : QTreeView(parent), grid_(grid), model_(std::make_unique<GridItemModel>(grid)) {
  setModel(model_.get());
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setUniformRowHeights(true);
  setMouseTracking(true);
  setExpandsOnDoubleClick(false);
  header()->setStretchLastSection(false);
  sync_ = std::make_unique<GridSelectionSync>(*model_, *selectionModel());
  grid_.AddObserver(this);
  connect(this, &QTreeView::expanded, this, [this](const QModelIndex& index) {
    if (GridRecord* record = model_->RecordOf(index); record && !expanding_) {
      record->SetExpanded(true);
    }
  });
  connect(this, &QTreeView::collapsed, this, [this](const QModelIndex& index) {
    if (GridRecord* record = model_->RecordOf(index); record && !expanding_) {
      record->SetExpanded(false);
    }
  });
  ApplyColumns();
  ApplyExpansion(grid_.Records());
}

ReportGridView::~ReportGridView() {
  grid_.RemoveObserver(this);
  sync_.reset();
  setModel(nullptr);
}

void ReportGridView::ApplyColumns() {
  setFont(model_->BaseFont());
  // A light highlight keeps the cells' own text readable on it.
  QPalette colours = QApplication::palette(this);
  if (const auto highlight = grid_.Look().highlight_back_color) {
    colours.setColor(QPalette::Highlight, ToQColor(*highlight));
    colours.setColor(QPalette::HighlightedText, colours.color(QPalette::Text));
  }
  setPalette(colours);
  int tree = 0;
  for (int32_t column = 0; column < grid_.ColumnCount(); ++column) {
    const controls::GridColumn& c = grid_.Column(column);
    setColumnHidden(column, !c.visible);
    if (c.tree_column) tree = column;
    header()->setSectionResizeMode(column,
                                   c.resizable ? QHeaderView::Interactive : QHeaderView::Fixed);
  }
  setTreePosition(tree);
  ApplyWidths();
}

void ReportGridView::ApplyWidths() {
  int64_t total = 0;
  for (int32_t column = 0; column < grid_.ColumnCount(); ++column) {
    const controls::GridColumn& c = grid_.Column(column);
    if (c.visible) total += std::max(c.width, 0);
  }
  if (total <= 0) return;
  const int available = viewport()->width();
  for (int32_t column = 0; column < grid_.ColumnCount(); ++column) {
    const controls::GridColumn& c = grid_.Column(column);
    if (!c.visible) continue;
    setColumnWidth(column, static_cast<int>(available * std::max(c.width, 0) / total));
  }
}

void ReportGridView::ApplyExpansion(const controls::GridRecords& records) {
  const bool outer = !expanding_;
  expanding_ = true;
  for (int32_t i = 0; i < records.Count(); ++i) {
    const GridRecord& record = records.Record(i);
    if (record.Childs().Count() == 0) continue;
    setExpanded(model_->IndexOf(record), record.Expanded());
    ApplyExpansion(record.Childs());
  }
  if (outer) expanding_ = false;
}

void ReportGridView::RowsInserted(const GridRecord* parent, int32_t first, int32_t last) {
  const controls::GridRecords& records = parent ? parent->Childs() : grid_.Records();
  const FlagGuard expanding(expanding_);
  for (int32_t i = first; i <= last && i < records.Count(); ++i) {
    if (records.Record(i).Expanded()) setExpanded(model_->IndexOf(records.Record(i)), true);
  }
  // A child added under an expanded record: Qt keeps the record open only
  // once it has children.
  if (parent && parent->Expanded()) setExpanded(model_->IndexOf(*parent), true);
}

void ReportGridView::ExpandedChanged(const GridRecord& record) {
  const FlagGuard expanding(expanding_);
  setExpanded(model_->IndexOf(record), record.Expanded());
}

void ReportGridView::Reset() {
  ApplyColumns();
  ApplyExpansion(grid_.Records());
}

void ReportGridView::ViewStateChanged() {
  if (grid_.TopRow() == top_row_) return;
  top_row_ = grid_.TopRow();
  if (const GridRecord* record = grid_.RowRecord(top_row_)) {
    scrollTo(model_->IndexOf(*record), QAbstractItemView::PositionAtTop);
  }
}

void ReportGridView::PageRowsChanged() {
  const int row_height = std::max(QFontMetrics(model_->BaseFont()).height(), 1);
  grid_.SetPageRowCount(std::max(viewport()->height() / row_height, 1));
}

void ReportGridView::resizeEvent(QResizeEvent* event) {
  QTreeView::resizeEvent(event);
  ApplyWidths();
  PageRowsChanged();
}

std::pair<int32_t, int32_t> ReportGridView::LinkAt(const QPoint& point) const {
  const QModelIndex index = indexAt(point);
  const GridRecord* record = model_->RecordOf(index);
  if (!record || !index.data(GridItemModel::kLinkRole).toBool()) return {-1, -1};
  const int32_t item = grid_.Column(index.column()).item_index;
  const auto& links = record->Item(item).Hyperlinks();
  // Which link: the character under the point, measured in the cell's font.
  const QRect cell = visualRect(index);
  const QString text = index.data().toString();
  const QFontMetrics metrics(index.data(Qt::FontRole).value<QFont>());
  const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
  const int x = point.x() - cell.left() - margin;
  int32_t character = 0;
  while (character < text.size() && metrics.horizontalAdvance(text.left(character + 1)) <= x) {
    ++character;
  }
  for (size_t i = 0; i < links.size(); ++i) {
    if (character >= links[i].start && character < links[i].start + links[i].length) {
      return {item, static_cast<int32_t>(i)};
    }
  }
  // Past the end of the text, or a cell that is all link: the first one.
  return links.size() == 1 ? std::pair{item, 0} : std::pair{-1, -1};
}

void ReportGridView::mouseMoveEvent(QMouseEvent* event) {
  QTreeView::mouseMoveEvent(event);
  const bool over_link = LinkAt(event->position().toPoint()).first >= 0;
  viewport()->setCursor(over_link ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

namespace {

int32_t ShiftState(Qt::KeyboardModifiers modifiers) {
  int32_t shift = 0;
  if (modifiers & Qt::ShiftModifier) shift |= 1;
  if (modifiers & Qt::ControlModifier) shift |= 2;
  if (modifiers & Qt::AltModifier) shift |= 4;
  return shift;
}

int32_t PixelsToTwips(int pixels) { return pixels * 15; }

}  // namespace

void ReportGridView::mouseReleaseEvent(QMouseEvent* event) {
  QTreeView::mouseReleaseEvent(event);
  const QPoint point = event->position().toPoint();
  if (event->button() == Qt::LeftButton && on_link_) {
    const auto [item, link] = LinkAt(point);
    const GridRecord* record = model_->RecordOf(indexAt(point));
    if (item >= 0 && record) on_link_(grid_.RowOf(*record), item, link);
  }
  if (on_mouse_up_) {
    const int32_t button = event->button() == Qt::LeftButton     ? 1
                           : event->button() == Qt::RightButton  ? 2
                           : event->button() == Qt::MiddleButton ? 4
                                                                 : 0;
    on_mouse_up_(button, ShiftState(event->modifiers()), PixelsToTwips(point.x()),
                 PixelsToTwips(point.y()));
  }
}

void ReportGridView::mouseDoubleClickEvent(QMouseEvent* event) {
  QTreeView::mouseDoubleClickEvent(event);
  if (!on_dbl_click_ || event->button() != Qt::LeftButton) return;
  const GridRecord* record = model_->RecordOf(indexAt(event->position().toPoint()));
  on_dbl_click_(record ? grid_.RowOf(*record) : -1);
}

}  // namespace lirvo::qt
