#include "forms/list_printing.h"

#include <cstdint>

#include "base/runtime_error.h"
#include "base/trap.h"
#include "forms/frm_referti_lirvo.h"

namespace lirvo::forms {
namespace {

// Hides a column of the grid while it lives and shows it again when it goes,
// whichever way the print ends.
class HiddenColumn {
 public:
  HiddenColumn(controls::ReportGrid& grid, int32_t column) : grid_(grid), column_(column) {
    grid_.SetColumnVisible(column_, false);
  }
  ~HiddenColumn() {
    try {
      grid_.SetColumnVisible(column_, true);
    } catch (...) {
      ReportTrap("PrintReportList");
    }
  }
  HiddenColumn(const HiddenColumn&) = delete;
  HiddenColumn& operator=(const HiddenColumn&) = delete;

 private:
  controls::ReportGrid& grid_;
  int32_t column_;
};

// The position of the first column that shows item `item_index`, or -1.
int32_t ColumnOfItem(const controls::ReportGrid& grid, int32_t item_index) {
  for (int32_t i = 0; i < grid.ColumnCount(); ++i) {
    if (grid.Column(i).item_index == item_index) return i;
  }
  return -1;
}

}  // namespace

bool HasReports(const LoadedForms& forms) {
  try {
    const auto window = forms.MainReportsWindow();
    return window != nullptr && window->rcReferti().Records().Count() > 0;
  } catch (...) {
    ReportTrap("HasReports");
    return false;
  }
}

void PrintReportList(LoadedForms& forms, ui::Ui& ui) {
  try {
    const auto window = forms.MainReportsWindow();
    if (!window) return;
    controls::ReportGrid& grid = window->rcReferti();
    const int32_t link_column = ColumnOfItem(grid, kItemLink);
    if (link_column < 0) throw RuntimeError(kErrSubscript);  // the window was never loaded
    HiddenColumn hidden(grid, link_column);
    grid.PrintOptions().landscape = true;
    ui.PrintGrid(grid);
  } catch (...) {
    // No message; the list keeps its columns.
    ReportTrap("PrintReportList");
  }
}

}  // namespace lirvo::forms
