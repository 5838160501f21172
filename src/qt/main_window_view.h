// The main reports window on screen, bound to its presenter
// (forms::frmRefertiLirvo): the report grid, the bottom band with the
// progress bar and the patient search, each widget where the presenter's
// layout puts it. The window's size goes to the presenter (Resize), which
// lays the controls out; the person's clicks, keys and links go to its
// handlers; the keyboard focus follows the presenter's active control.
#pragma once

#include <QWidget>
#include <memory>
#include <vector>

#include "forms/frm_referti_lirvo.h"
#include "qt/control_views.h"
#include "qt/grid_view.h"

namespace lirvo::qt {

class ReportsWindowView final : public QWidget {
 public:
  // `form` outlives the view.
  explicit ReportsWindowView(forms::frmRefertiLirvo& form, QWidget* parent = nullptr);
  ~ReportsWindowView() override;

  ReportGridView& Grid() const { return *grid_; }
  ProgressBarView& Progress() const { return *progress_; }
  TextBoxView& SearchBox() const { return *search_box_; }
  ButtonView& SearchButton() const { return *search_button_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  // Gives the keyboard focus to the widget of the presenter's active
  // control.
  void FollowFocus();

  forms::frmRefertiLirvo& form_;
  ReportGridView* grid_;
  std::vector<std::unique_ptr<ControlView>> views_;
  ProgressBarView* progress_ = nullptr;
  TextBoxView* search_box_ = nullptr;
  ButtonView* search_button_ = nullptr;
};

}  // namespace lirvo::qt
