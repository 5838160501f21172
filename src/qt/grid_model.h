// The report grid as a Qt item model, and its selection as a Qt selection
// model. Both are thin adapters: the grid (controls/report_grid.h) holds the
// records, the styles, the selection and the focus; the adapters forward its
// notifications to Qt and the person's selection back to the grid.
#pragma once

#include <QAbstractItemModel>
#include <QFont>
#include <QItemSelectionModel>
#include <QMetaObject>
#include <cstdint>

#include "controls/report_grid.h"

namespace lirvo::qt {

// A tree model over a ReportGrid: the top-level records are the top-level
// rows, a record's children are its child rows, and every grid column
// (hidden ones too; the view hides them) is a model column that shows its
// item. Indexes carry the record they show.
class GridItemModel final : public QAbstractItemModel, private controls::GridObserver {
 public:
  // data() under this role: true when the cell's item holds a hyperlink.
  static constexpr int kLinkRole = Qt::UserRole + 1;

  explicit GridItemModel(controls::ReportGrid& grid, QObject* parent = nullptr);
  ~GridItemModel() override;

  controls::ReportGrid& Grid() const { return grid_; }
  // The index of `record` in `column`; invalid for a record of another grid
  // or a column that does not exist.
  QModelIndex IndexOf(const controls::GridRecord& record, int column = 0) const;
  // The record an index shows, or nullptr for an invalid index.
  controls::GridRecord* RecordOf(const QModelIndex& index) const;
  // The grid's font (its look's font name), plain.
  const QFont& BaseFont() const { return font_; }
  // True between the grid's "about to" notice of a change of its records or
  // columns and the notice that the change is complete.
  bool Changing() const { return changing_; }

  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  void RowsAboutToBeInserted(const controls::GridRecord* parent, int32_t first,
                             int32_t last) override;
  void RowsInserted(const controls::GridRecord* parent, int32_t first, int32_t last) override;
  void RowsAboutToBeRemoved(const controls::GridRecord* parent, int32_t first,
                            int32_t last) override;
  void RowsRemoved(const controls::GridRecord* parent, int32_t first, int32_t last) override;
  void ItemsChanged(const controls::GridRecord& record, int32_t first_item,
                    int32_t last_item) override;
  void AboutToReset() override;
  void Reset() override;
  // The look or the styles changed (ReportGrid::Redraw): read everything
  // again.
  void Redrawn();

  QModelIndex ParentIndex(const controls::GridRecord* parent) const;
  const controls::GridItem* ItemAt(const QModelIndex& index) const;

  controls::ReportGrid& grid_;
  QFont font_;
  int listener_ = 0;
  bool changing_ = false;
};

// Keeps a QItemSelectionModel and the grid's selection and focus in step:
// the grid's changes (a presenter selecting a row, a search focusing one)
// are shown, and the person's selection and current row go back to the grid.
// Rows are selected whole. While the grid adds or removes records, what Qt
// does to its own selection (moving the current row off a removed one) is
// not taken: the grid decides, and its state is shown once the change is
// complete.
class GridSelectionSync final : private controls::GridObserver {
 public:
  GridSelectionSync(GridItemModel& model, QItemSelectionModel& selection);
  ~GridSelectionSync() override;
  GridSelectionSync(const GridSelectionSync&) = delete;
  GridSelectionSync& operator=(const GridSelectionSync&) = delete;

 private:
  void ViewStateChanged() override;
  void RowsInserted(const controls::GridRecord*, int32_t, int32_t) override { Push(); }
  void RowsRemoved(const controls::GridRecord*, int32_t, int32_t) override { Push(); }
  void Reset() override { Push(); }
  // The grid's selection and focus into the selection model.
  void Push();
  // The selection model's selection and current row into the grid.
  void Pull();

  GridItemModel& model_;
  QItemSelectionModel& selection_;
  bool pushing_ = false;
  bool pulling_ = false;
  QMetaObject::Connection selection_changed_;
  QMetaObject::Connection current_changed_;
};

}  // namespace lirvo::qt
