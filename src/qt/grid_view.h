// The report grid on screen: a tree view over GridItemModel with the grid's
// columns (hidden ones hidden, widths in proportion to the grid's relative
// widths, the expand buttons in the tree column), its selection and focus
// kept in step with the grid, its expansion both ways, the scrolling that
// the grid asks for, and hyperlinks that look like links, show the pointing
// hand and report their clicks.
#pragma once

#include <QTreeView>
#include <cstdint>
#include <functional>
#include <memory>

#include "controls/report_grid.h"
#include "qt/grid_model.h"

namespace lirvo::qt {

class ReportGridView final : public QTreeView, private controls::GridObserver {
 public:
  // A hyperlink clicked: the row it lies on, the item and the link's index
  // among the item's hyperlinks.
  using LinkHandler = std::function<void(int32_t row, int32_t item, int32_t link)>;
  // A row double-clicked, or a mouse button released over the grid (button
  // 1 left, 2 right; shift state; position in twips).
  using RowHandler = std::function<void(int32_t row)>;
  using MouseHandler = std::function<void(int32_t button, int32_t shift, int32_t x, int32_t y)>;

  explicit ReportGridView(controls::ReportGrid& grid, QWidget* parent = nullptr);
  ~ReportGridView() override;

  GridItemModel& Model() { return *model_; }
  void SetOnHyperlinkClick(LinkHandler handler) { on_link_ = std::move(handler); }
  void SetOnRowDblClick(RowHandler handler) { on_dbl_click_ = std::move(handler); }
  void SetOnMouseUp(MouseHandler handler) { on_mouse_up_ = std::move(handler); }

  // The hyperlink under a point of the viewport: its item and index, or
  // {-1, -1}.
  std::pair<int32_t, int32_t> LinkAt(const QPoint& point) const;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  void RowsInserted(const controls::GridRecord* parent, int32_t first, int32_t last) override;
  void ExpandedChanged(const controls::GridRecord& record) override;
  void Reset() override;
  void ViewStateChanged() override;

  // Columns: hidden ones, the tree column, widths from the relative widths;
  // the look's font and highlight colour.
  void ApplyColumns();
  void ApplyWidths();
  // Opens every index whose record is expanded, under `parent` (nullptr:
  // everywhere).
  void ApplyExpansion(const controls::GridRecords& records);
  void PageRowsChanged();

  controls::ReportGrid& grid_;
  std::unique_ptr<GridItemModel> model_;
  std::unique_ptr<GridSelectionSync> sync_;
  bool expanding_ = false;
  int32_t top_row_ = 0;
  LinkHandler on_link_;
  RowHandler on_dbl_click_;
  MouseHandler on_mouse_up_;
};

}  // namespace lirvo::qt
