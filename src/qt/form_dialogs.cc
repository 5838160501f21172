#include "qt/form_dialogs.h"

#include <QFrame>

#include "qt/grid_view.h"
#include "qt/qt_text.h"
#include "qt/rich_text_view.h"

namespace lirvo::qt {

namespace {

// The header band of a dialog with its title and subtitle.
void AddHeaderBand(FormDialog& d, const controls::Panel& band, const controls::Label& title,
                   const controls::Label& subtitle) {
  QWidget* widget = &d.Add<PanelView>(band, &d).Widget();
  d.Add<LabelView>(title, widget);
  d.Add<LabelView>(subtitle, widget);
}

// The panel with the documents folder and the "..." button that changes it.
template <typename Form>
void AddFolderPanel(FormDialog& d, Form& form) {
  QWidget* folder = &d.Add<PanelView>(form.Picture1(), &d).Widget();
  d.Add<LabelView>(form.laPath(), folder);
  d.Add<ButtonView>(form.Command1(), folder,
                    [&form, &d] { d.Act([&] { form.Command1_Click(); }); });
}

// The buttons cmdButton(0) and cmdButton(1).
template <typename Form>
void AddButtonPair(FormDialog& d, Form& form) {
  for (int32_t index : {0, 1}) {
    d.Add<ButtonView>(form.cmdButton(index), &d,
                      [&form, &d, index] { d.Act([&] { form.cmdButton_Click(index); }); });
  }
}

}  // namespace

FormDialog::FormDialog(ui::ModalForm& form, int32_t width_twips, int32_t height_twips,
                       QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      form_(form) {
  setFixedSize(TwipsToPixels(width_twips), TwipsToPixels(height_twips));
  setFont(FormFont());
  setWindowTitle(ToQString(form.Caption()));
}

FormDialog::~FormDialog() = default;

void FormDialog::Act(const std::function<void()>& handler) {
  handler();
  if (!form_.IsOpen()) accept();
}

std::unique_ptr<FormDialog> MakeBundleChooserDialog(forms::frmGetBundle& form, QWidget* parent) {
  auto dialog = std::make_unique<FormDialog>(form, forms::frmGetBundle::kDesignWidth,
                                             forms::frmGetBundle::kDesignHeight, parent);
  FormDialog& d = *dialog;
  AddHeaderBand(d, form.picTop(), form.Label3(), form.laTitoloScelta());

  auto* grid = new ReportGridView(form.rcBundle(), &d);
  grid->setSelectionMode(QAbstractItemView::SingleSelection);
  grid->setRootIsDecorated(false);
  grid->SetOnRowDblClick(
      [&form, &d](int32_t row) { d.Act([&] { form.rcBundle_RowDblClick(row); }); });
  d.Add<WidgetView>(form.rcBundle(), *grid);

  d.Add<LineView>(form.Line1(), &d);
  d.Add<LineView>(form.Line2(), &d);
  AddFolderPanel(d, form);
  d.Add<LineView>(form.Line4(), &d);
  d.Add<LineView>(form.Line3(), &d);
  AddButtonPair(d, form);
  return dialog;
}

std::unique_ptr<FormDialog> MakeReportDetailDialog(forms::frmReferto& form, QWidget* parent) {
  auto dialog = std::make_unique<FormDialog>(form, forms::frmReferto::kDesignWidth,
                                             forms::frmReferto::kDesignHeight, parent);
  FormDialog& d = *dialog;
  AddHeaderBand(d, form.FramePlus1(), form.laTitoli(2), form.laTitoli(3));
  d.Add<PanelView>(form.Shape1(), &d);
  auto* text = new RichTextView(form.RichTextBox1(), &d);
  text->setFrameShape(QFrame::NoFrame);
  d.Add<WidgetView>(form.RichTextBox1(), *text);
  d.Add<ButtonView>(form.cbStampa(), &d, [&form, &d] { d.Act([&] { form.cbStampa_Click(); }); });
  d.Add<ButtonView>(form.cbChiudi(), &d, [&form, &d] { d.Act([&] { form.cbChiudi_Click(); }); });
  return dialog;
}

std::unique_ptr<FormDialog> MakeConfigDialog(forms::frmConfig& form, QWidget* parent) {
  constexpr int32_t kMargin = 150;
  const controls::Button& last = form.cmdButton(0);
  auto dialog = std::make_unique<FormDialog>(form, form.picTop().Width(),
                                             last.Top() + last.Height() + kMargin, parent);
  FormDialog& d = *dialog;
  AddHeaderBand(d, form.picTop(), form.laTitoli(0), form.laTitoli(1));
  d.Add<LabelView>(form.Label4(), &d);
  d.Add<LabelView>(form.Label5(), &d);
  AddFolderPanel(d, form);
  d.Add<LineView>(form.Line4(), &d);
  d.Add<LineView>(form.Line3(), &d);
  d.Add<LabelView>(form.Label13(), &d);
  AddButtonPair(d, form);
  return dialog;
}

void SetFormDialogs(QtUi& ui) {
  ui.SetDialog(forms::frmGetBundle::kFormName,
               [](ui::ModalForm& form, QWidget* parent) -> std::unique_ptr<QDialog> {
                 auto* chooser = dynamic_cast<forms::frmGetBundle*>(&form);
                 return chooser ? MakeBundleChooserDialog(*chooser, parent) : nullptr;
               });
  ui.SetDialog(forms::frmConfig::kFormName,
               [](ui::ModalForm& form, QWidget* parent) -> std::unique_ptr<QDialog> {
                 auto* config = dynamic_cast<forms::frmConfig*>(&form);
                 return config ? MakeConfigDialog(*config, parent) : nullptr;
               });
  ui.SetDialog(forms::frmReferto::kFormName,
               [](ui::ModalForm& form, QWidget* parent) -> std::unique_ptr<QDialog> {
                 auto* detail = dynamic_cast<forms::frmReferto*>(&form);
                 return detail ? MakeReportDetailDialog(*detail, parent) : nullptr;
               });
}

}  // namespace lirvo::qt
