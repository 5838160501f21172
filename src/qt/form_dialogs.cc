#include "qt/form_dialogs.h"

#include <QFrame>
#include <QPushButton>

#include "controls/control.h"
#include "qt/grid_view.h"
#include "qt/qt_text.h"
#include "qt/rich_text_view.h"

namespace lirvo::qt {

namespace {

// The look of the windows' labels and bands, which their controls do not
// carry: a font family (empty: the dialog's own), bold, colours.
void SetLook(QWidget& widget, const char* family, bool bold, std::optional<int32_t> back = {},
             std::optional<int32_t> fore = {}) {
  if (family[0] != '\0' || bold) {
    QFont font = family[0] != '\0' ? FontFor(family, widget.font().pointSizeF()) : widget.font();
    font.setBold(bold);
    widget.setFont(font);
  }
  if (back || fore) {
    QPalette palette = widget.palette();
    if (back) palette.setColor(QPalette::Window, ToQColor(*back));
    if (fore) palette.setColor(QPalette::WindowText, ToQColor(*fore));
    widget.setAutoFillBackground(back.has_value());
    widget.setPalette(palette);
  }
}

constexpr int32_t kWhite = controls::Rgb(255, 255, 255);
constexpr int32_t kDarkGrey = controls::Rgb(64, 64, 64);
constexpr int32_t kSilver = controls::Rgb(192, 192, 192);

// The white header band of a dialog with its bold title and its subtitle in
// Arial.
void AddHeaderBand(FormDialog& d, const controls::Panel& band, const controls::Label& title,
                   const controls::Label& subtitle) {
  QWidget* widget = &d.Add<PanelView>(band, &d).Widget();
  SetLook(*widget, "", false, kWhite);
  SetLook(d.Add<LabelView>(title, widget).Widget(), "MS Sans Serif", true);
  SetLook(d.Add<LabelView>(subtitle, widget).Widget(), "Arial", false);
}

// The white panel with the documents folder in "Courier New" (in `color`)
// and the "..." button that changes it.
template <typename Form>
void AddFolderPanel(FormDialog& d, Form& form, std::optional<int32_t> color) {
  QWidget* folder = &d.Add<PanelView>(form.Picture1(), &d).Widget();
  SetLook(*folder, "", false, kWhite);
  SetLook(d.Add<LabelView>(form.laPath(), folder).Widget(), "Courier New", false, {}, color);
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
  AddFolderPanel(d, form, kDarkGrey);
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
  auto* frame = new QFrame(&d);
  frame->setStyleSheet(
      QStringLiteral("QFrame { border: 1px solid %1; }").arg(ToQColor(kSilver).name()));
  d.Add<WidgetView>(form.Shape1(), *frame);
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
  AddFolderPanel(d, form, std::nullopt);
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
