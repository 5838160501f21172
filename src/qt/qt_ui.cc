#include "qt/qt_ui.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QCursor>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>
#include <array>
#include <utility>

#include "base/runtime_error.h"
#include "controls/report_grid.h"
#include "qt/qt_text.h"
#include "qt/rich_text_view.h"

namespace lirvo::qt {

namespace {

// The Qt button and the Italian text of each answer's button.
struct ButtonFace {
  QMessageBox::StandardButton button;
  const char* text;
};

ButtonFace ButtonOf(int answer) {
  switch (answer) {
    case ui::kAnswerCancel:
      return {QMessageBox::Cancel, "Annulla"};
    case ui::kAnswerAbort:
      return {QMessageBox::Abort, "Interrompi"};
    case ui::kAnswerRetry:
      return {QMessageBox::Retry, "Riprova"};
    case ui::kAnswerIgnore:
      return {QMessageBox::Ignore, "Ignora"};
    case ui::kAnswerYes:
      return {QMessageBox::Yes, "Sì"};
    case ui::kAnswerNo:
      return {QMessageBox::No, "No"};
    default:
      return {QMessageBox::Ok, "OK"};
  }
}

QMessageBox::Icon IconOf(int style) {
  switch (style & 0x70) {
    case 16:
      return QMessageBox::Critical;
    case 32:
      return QMessageBox::Question;
    case 48:
      return QMessageBox::Warning;
    case 64:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

// The message's line breaks (CR LF, CR or LF) as Qt's.
QString PlainMessage(const std::string& text) {
  QString message = ToQString(text);
  message.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  message.replace(QChar('\r'), QChar('\n'));
  return message;
}

Qt::CursorShape CursorOf(int pointer) {
  switch (pointer) {
    case 3:
      return Qt::IBeamCursor;
    case ui::kPointerHourglass:
      return Qt::WaitCursor;
    case 13:
      return Qt::BusyCursor;
    default:
      return Qt::ArrowCursor;
  }
}

}  // namespace

QtUi::QtUi(QWidget* parent) : parent_(parent) {}

QtUi::~QtUi() {
  if (cursor_overridden_) QGuiApplication::restoreOverrideCursor();
}

QWidget* QtUi::Parent() const {
  if (parent_) return parent_;
  return QApplication::activeWindow();
}

void QtUi::SetDialog(const std::string& form_name, DialogFactory factory) {
  if (factory) {
    dialogs_[form_name] = std::move(factory);
  } else {
    dialogs_.erase(form_name);
  }
}

void QtUi::SetMousePointer(int pointer) {
  if (pointer == pointer_) return;
  if (cursor_overridden_) {
    QGuiApplication::restoreOverrideCursor();
    cursor_overridden_ = false;
  }
  if (pointer != ui::kPointerDefault) {
    QGuiApplication::setOverrideCursor(QCursor(CursorOf(pointer)));
    cursor_overridden_ = true;
  }
  pointer_ = pointer;
}

int QtUi::MsgBox(const std::string& text, int style, const std::string& title) {
  QMessageBox box(IconOf(style), ToQString(title), PlainMessage(text), QMessageBox::NoButton,
                  Parent());
  box.setTextFormat(Qt::PlainText);
  std::vector<std::pair<QAbstractButton*, int>> answers;
  for (const int answer : ui::MsgBoxButtons(style)) {
    const ButtonFace face = ButtonOf(answer);
    QPushButton* button = box.addButton(face.button);
    button->setText(ToQString(face.text));
    answers.emplace_back(button, answer);
  }
  const size_t default_index = static_cast<size_t>((style >> 8) & 3);
  if (default_index < answers.size()) {
    box.setDefaultButton(static_cast<QPushButton*>(answers[default_index].first));
  }
  box.exec();
  for (const auto& [button, answer] : answers) {
    if (box.clickedButton() == button) return answer;
  }
  return ui::UnansweredMsgBox(style);
}

void QtUi::Beep() { QApplication::beep(); }

void QtUi::ShowModal(ui::ModalForm& form) {
  const auto found = dialogs_.find(form.Name());
  std::unique_ptr<QDialog> dialog;
  if (found != dialogs_.end()) dialog = found->second(form, Parent());
  if (!dialog) {
    dialog = std::make_unique<QDialog>(Parent());
    dialog->setWindowTitle(ToQString(form.Caption()));
  }
  dialog->setModal(true);
  if (form.IsOpen()) dialog->exec();
  dialog.reset();
  if (form.IsOpen()) form.Close();
}

std::optional<std::string> QtUi::BrowseForFolder(const std::string& title,
                                                 const std::string& start_folder) {
  QFileDialog dialog(Parent(), ToQString(title), ToQString(start_folder));
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return ToUtf8(QDir::toNativeSeparators(dialog.selectedFiles().front()));
}

int QtUi::PopupMenu(const std::vector<std::string>& items) {
  QMenu menu(Parent());
  std::vector<QAction*> actions;
  for (const std::string& item : items) actions.push_back(menu.addAction(ToQString(item)));
  const QAction* chosen = menu.exec(QCursor::pos());
  for (size_t i = 0; i < actions.size(); ++i) {
    if (actions[i] == chosen) return static_cast<int>(i + 1);
  }
  return 0;
}

std::unique_ptr<QPrinter> QtUi::NewPrinter() const {
  if (pdf_output_.empty() && QPrinterInfo::defaultPrinter().isNull()) return nullptr;
  auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
  if (!pdf_output_.empty()) {
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(ToQString(pdf_output_));
  }
  return printer;
}

ui::PrinterDc QtUi::ShowPrinter(int flags) {
  std::unique_ptr<QPrinter> printer = NewPrinter();
  if (!printer) printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
  QPrintDialog dialog(printer.get(), Parent());
  QAbstractPrintDialog::PrintDialogOptions options = dialog.options();
  options.setFlag(QAbstractPrintDialog::PrintSelection, (flags & ui::kPrinterSelection) != 0);
  options.setFlag(QAbstractPrintDialog::PrintPageRange, (flags & ui::kPrinterNoPageNums) == 0);
  dialog.setOptions(options);
  if (flags & ui::kPrinterSelection) dialog.setPrintRange(QAbstractPrintDialog::Selection);
  if (dialog.exec() != QDialog::Accepted) throw RuntimeError(ui::kErrCancel);
  const ui::PrinterDc dc = next_dc_++;
  printers_[dc] = std::move(printer);
  return dc;
}

void QtUi::Print(QTextDocument& document, QPrinter& printer) {
  // What to print is decided before: the whole document goes out.
  printer.setPrintRange(QPrinter::AllPages);
  QPainter painter;
  if (!painter.begin(&printer)) throw RuntimeError(kErrPrinter);
  document.documentLayout()->setPaintDevice(&printer);
  const QRectF page = printer.pageRect(QPrinter::DevicePixel);
  document.setPageSize(page.size());
  for (int i = 0; i < document.pageCount(); ++i) {
    if (i > 0 && !printer.newPage()) throw RuntimeError(kErrPrinter);
    painter.save();
    painter.translate(0, -i * page.height());
    document.drawContents(&painter, QRectF(0, i * page.height(), page.width(), page.height()));
    painter.restore();
  }
  if (!painter.end() || printer.printerState() == QPrinter::Error) {
    throw RuntimeError(kErrPrinter);
  }
}

namespace {

// The grid as a printed list: a table of its visible columns (captions as
// headers, widths in proportion) and the rows it shows, each in its items'
// weight and colour, the first cell indented a quarter inch a level.
void FillListDocument(QTextDocument& document, const controls::ReportGrid& grid) {
  document.clear();
  document.setDefaultFont(FontFor(grid.Look().font_name, grid.PrintOptions().font_points));
  const std::vector<controls::ShownColumn> shown = controls::ShownColumns(grid);
  if (shown.empty()) return;
  std::vector<int32_t> columns;
  for (const controls::ShownColumn& column : shown) columns.push_back(column.index);
  QTextTableFormat format;
  format.setCellPadding(2);
  format.setCellSpacing(0);
  format.setBorderStyle(QTextFrameFormat::BorderStyle_None);
  format.setHeaderRowCount(1);
  format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
  QList<QTextLength> widths;
  for (const controls::ShownColumn& column : shown) {
    widths.append(QTextLength(QTextLength::PercentageLength, 100.0 * column.share));
  }
  format.setColumnWidthConstraints(widths);
  QTextCursor cursor(&document);
  QTextTable* table =
      cursor.insertTable(grid.RowCount() + 1, static_cast<int>(columns.size()), format);
  QTextCharFormat header;
  header.setFontWeight(QFont::Bold);
  for (size_t c = 0; c < columns.size(); ++c) {
    table->cellAt(0, static_cast<int>(c))
        .firstCursorPosition()
        .insertText(ToQString(grid.Column(columns[c]).caption), header);
  }
  // A quarter inch a level: the layout scales lengths from 96 dots an inch
  // to the printer's.
  constexpr double kIndent = 24;
  for (int32_t row = 0; row < grid.RowCount(); ++row) {
    const controls::GridRecord* record = grid.RowRecord(row);
    for (size_t c = 0; c < columns.size(); ++c) {
      const int32_t item = grid.Column(columns[c]).item_index;
      QTextCursor cell = table->cellAt(row + 1, static_cast<int>(c)).firstCursorPosition();
      if (c == 0 && record->Depth() > 0) {
        QTextBlockFormat block;
        block.setLeftMargin(kIndent * record->Depth());
        cell.setBlockFormat(block);
      }
      if (item < 0 || item >= record->ItemCount()) continue;
      const controls::GridItem& value = record->Item(item);
      QTextCharFormat style;
      style.setFontWeight(value.Bold() ? QFont::Bold : QFont::Normal);
      if (value.ForeColor()) style.setForeground(ToQColor(*value.ForeColor()));
      cell.insertText(ToQString(value.Text()), style);
    }
  }
}

}  // namespace

void QtUi::PrintGrid(const controls::ReportGrid& grid) {
  std::unique_ptr<QPrinter> printer = NewPrinter();
  if (!printer) throw RuntimeError(kErrPrinter);
  printer->setPageOrientation(grid.PrintOptions().landscape ? QPageLayout::Landscape
                                                            : QPageLayout::Portrait);
  QTextDocument document;
  FillListDocument(document, grid);
  Print(document, *printer);
}

void QtUi::PrintText(const controls::StyledText& text, ui::PrinterDc dc) {
  const auto found = printers_.find(dc);
  if (found == printers_.end()) throw RuntimeError(kErrPrinter);
  QTextDocument document;
  FillDocument(document, text);
  Print(document, *found->second);
}

}  // namespace lirvo::qt
