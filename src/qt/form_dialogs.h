// The dialogs of the plug-in's modal windows: the bundle chooser
// (frmGetBundle), the report detail window (frmReferto) and the
// configuration dialog (frmConfig). Each shows its
// presenter's controls where they lie, at the window's fixed size, and hands
// the person's clicks to the presenter; the dialog closes once the presenter
// has hidden the window (a confirm or close button). Closing the dialog
// otherwise (the close box, Escape) is the Ui's to report to the form.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <vector>

#include "controls/ui.h"
#include "forms/frm_config.h"
#include "forms/frm_get_bundle.h"
#include "forms/frm_referto.h"
#include "qt/control_views.h"
#include "qt/qt_ui.h"

namespace lirvo::qt {

class FormDialog : public QDialog {
 public:
  // A dialog with a fixed border of the window's inner size in twips, and
  // no title text but `caption`.
  FormDialog(ui::ModalForm& form, int32_t width_twips, int32_t height_twips, QWidget* parent);
  ~FormDialog() override;

  // A view of one of the form's controls; it lives as long as the dialog.
  template <typename View, typename... Args>
  View& Add(Args&&... args) {
    auto view = std::make_unique<View>(std::forward<Args>(args)...);
    View& added = *view;
    views_.push_back(std::move(view));
    return added;
  }
  // Runs a handler of the form, then closes the dialog when the form is no
  // longer open.
  void Act(const std::function<void()>& handler);

 private:
  ui::ModalForm& form_;
  std::vector<std::unique_ptr<ControlView>> views_;
};

std::unique_ptr<FormDialog> MakeBundleChooserDialog(forms::frmGetBundle& form, QWidget* parent);
std::unique_ptr<FormDialog> MakeReportDetailDialog(forms::frmReferto& form, QWidget* parent);
// Its size is the header band's width and room under its buttons.
std::unique_ptr<FormDialog> MakeConfigDialog(forms::frmConfig& form, QWidget* parent);

// Gives `ui` the dialogs above for the forms of their names.
void SetFormDialogs(QtUi& ui);

}  // namespace lirvo::qt
