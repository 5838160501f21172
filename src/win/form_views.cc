#include "win/form_views.h"

#include <commctrl.h>

#include <memory>
#include <vector>

#include "base/trap.h"
#include "forms/frm_config.h"
#include "forms/frm_get_bundle.h"
#include "forms/frm_referto.h"
#include "win/native_views.h"
#include "win/wide_text.h"

namespace lirvo::win {
namespace {

// A dialog's controls and how its events reach them. Every handler of the
// presenter runs through Act, so no exception reaches the window procedure.
class FormView : public ModalView {
 public:
  FormView(HWND dialog, int32_t width_twips, int32_t height_twips) : dialog_(dialog) {
    // The dialog's client area is the form's design size.
    RECT frame{0, 0, TwipsToPixels(dialog, width_twips), TwipsToPixels(dialog, height_twips)};
    ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongPtrW(dialog, GWL_STYLE)), FALSE,
                         static_cast<DWORD>(::GetWindowLongPtrW(dialog, GWL_EXSTYLE)));
    ::SetWindowPos(dialog, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                   SWP_NOMOVE | SWP_NOZORDER);
  }

  bool Command(WORD id, WORD code, HWND) override {
    for (const auto& button : buttons_) {
      if (button->Command(id, code)) return true;
    }
    return false;
  }

  HBRUSH ControlColor(HWND control, HDC dc) override {
    for (const auto& label : labels_) {
      if (HBRUSH brush = label->Colors(control, dc)) return brush;
    }
    return nullptr;
  }

  bool DrawItem(const DRAWITEMSTRUCT& item) override {
    for (const auto& panel : panels_) {
      if (panel->Draw(item)) return true;
    }
    return false;
  }

  bool Notify(const NMHDR& header, LRESULT& result) override {
    for (const auto& grid : grids_) {
      if (grid->Notify(header, result)) return true;
    }
    for (const auto& text : rich_texts_) {
      if (text->Notify(header)) return true;
    }
    return false;
  }

 protected:
  // A panel goes under the controls made before and after it.
  void AddPanel(const controls::Panel& panel) {
    panels_.push_back(std::make_unique<PanelView>(dialog_, panel, NextId()));
  }
  void AddLabel(const controls::Label& label) {
    labels_.push_back(std::make_unique<LabelView>(dialog_, label, NextId()));
  }
  void AddButton(const controls::Button& button, std::function<void()> on_click) {
    buttons_.push_back(std::make_unique<ButtonView>(
        dialog_, button, NextId(), [on_click = std::move(on_click)] { Act(on_click); }));
  }
  void AddRichText(controls::RichTextBox& box) {
    rich_texts_.push_back(std::make_unique<RichTextView>(dialog_, box, NextId()));
  }
  GridListView& AddGrid(controls::ReportGrid& grid, GridListView::Handlers handlers) {
    grids_.push_back(std::make_unique<GridListView>(dialog_, grid, NextId(), std::move(handlers)));
    return *grids_.back();
  }

  // Runs a handler of the presenter; what it throws is reported as trapped
  // by the view.
  static void Act(const std::function<void()>& handler) {
    try {
      handler();
    } catch (...) {
      ReportTrap("Windows view");
    }
  }

 private:
  int NextId() { return next_id_++; }

  HWND dialog_;
  int next_id_ = 1000;
  std::vector<std::unique_ptr<PanelView>> panels_;
  std::vector<std::unique_ptr<LabelView>> labels_;
  std::vector<std::unique_ptr<ButtonView>> buttons_;
  std::vector<std::unique_ptr<GridListView>> grids_;
  std::vector<std::unique_ptr<RichTextView>> rich_texts_;
};

// The bundle chooser: the header's texts, the list of bundles, the folder
// and its button, Conferma and Annulla.
class BundleChooserView final : public FormView {
 public:
  BundleChooserView(forms::frmGetBundle& form, HWND dialog)
      : FormView(dialog, forms::frmGetBundle::kDesignWidth, forms::frmGetBundle::kDesignHeight) {
    AddPanel(form.picTop());
    AddLabel(form.Label3());
    AddLabel(form.laTitoloScelta());
    GridListView::Handlers handlers;
    handlers.row_click = [&form](int32_t row) { Act([&] { form.rcBundle().SetFocusedRow(row); }); };
    handlers.row_dblclick = [&form](int32_t row) { Act([&] { form.rcBundle_RowDblClick(row); }); };
    AddGrid(form.rcBundle(), std::move(handlers));
    AddPanel(form.Picture1());
    AddLabel(form.laPath());
    AddButton(form.Command1(), [&form] { form.Command1_Click(); });
    AddButton(form.cmdButton(0), [&form] { form.cmdButton_Click(0); });
    AddButton(form.cmdButton(1), [&form] { form.cmdButton_Click(1); });
  }
};

// The configuration dialog: the header's texts, the folder and its button,
// the notes, "Chiudi" and "Applica". The dialog is as wide as its header
// band and ends below its buttons.
class ConfigView final : public FormView {
 public:
  static constexpr int32_t kMargin = 150;

  ConfigView(forms::frmConfig& form, HWND dialog)
      : FormView(dialog, form.picTop().Width(),
                 form.cmdButton(0).Top() + form.cmdButton(0).Height() + kMargin) {
    AddPanel(form.picTop());
    AddLabel(form.laTitoli(0));
    AddLabel(form.laTitoli(1));
    AddLabel(form.Label4());
    AddLabel(form.Label5());
    AddPanel(form.Picture1());
    AddLabel(form.laPath());
    AddButton(form.Command1(), [&form] { form.Command1_Click(); });
    AddLabel(form.Label13());
    AddButton(form.cmdButton(0), [&form] { form.cmdButton_Click(0); });
    AddButton(form.cmdButton(1), [&form] { form.cmdButton_Click(1); });
  }
};

// The report detail window: the header's texts, the report as rich text
// (read-only; its selection is the one "Stampa" prints), "Stampa" and
// "Chiudi".
class ReportDetailView final : public FormView {
 public:
  ReportDetailView(forms::frmReferto& form, HWND dialog)
      : FormView(dialog, forms::frmReferto::kDesignWidth, forms::frmReferto::kDesignHeight) {
    AddPanel(form.FramePlus1());
    AddLabel(form.laTitoli(2));
    AddLabel(form.laTitoli(3));
    AddPanel(form.Shape1());
    AddRichText(form.RichTextBox1());
    AddButton(form.cbStampa(), [&form] { form.cbStampa_Click(); });
    AddButton(form.cbChiudi(), [&form] { form.cbChiudi_Click(); });
  }
};

// A view factory for the dialog of type `Form`.
template <class Form, class View>
WinUi::ViewFactory ViewOf() {
  return [](ui::ModalForm& form, HWND dialog) -> std::unique_ptr<ModalView> {
    auto* typed = dynamic_cast<Form*>(&form);
    if (typed == nullptr) return nullptr;
    return std::make_unique<View>(*typed, dialog);
  };
}

}  // namespace

void SetFormViews(WinUi& ui) {
  ui.SetView(forms::frmGetBundle::kFormName, ViewOf<forms::frmGetBundle, BundleChooserView>());
  ui.SetView(forms::frmConfig::kFormName, ViewOf<forms::frmConfig, ConfigView>());
  ui.SetView(forms::frmReferto::kFormName, ViewOf<forms::frmReferto, ReportDetailView>());
}

}  // namespace lirvo::win
