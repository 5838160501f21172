#include "qt/qt_ui.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPushButton>
#include <QTest>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/file_system.h"
#include "base/runtime_error.h"
#include "controls/report_grid.h"
#include "qt/qt_text.h"
#include "qt/when_shown.h"
#include "support/runtime_error_matchers.h"
#include "support/temp_dir.h"

namespace lirvo::qt {
namespace {

using test_support::TempDir;
using test_support::ThrowsRuntimeError;

QStringList ButtonTexts(const QMessageBox& box) {
  QStringList texts;
  for (QAbstractButton* button : box.buttons()) texts << button->text();
  texts.sort();
  return texts;
}

TEST(QtUi, MessageBoxesFollowTheirStyle) {
  struct Case {
    int style;
    QMessageBox::Icon icon;
    QStringList buttons;  // sorted
    const char* click;    // nullptr: closed with Escape
    int answer;
  } cases[] = {
      {ui::kCritical, QMessageBox::Critical, {"OK"}, "OK", ui::kAnswerOk},
      {ui::kQuestionYesNo, QMessageBox::Question, {"No", "Sì"}, "Sì", ui::kAnswerYes},
      {ui::kQuestionYesNo, QMessageBox::Question, {"No", "Sì"}, nullptr, ui::kAnswerNo},
      {ui::kExclamation, QMessageBox::Warning, {"OK"}, nullptr, ui::kAnswerOk},
      {ui::kInformation, QMessageBox::Information, {"OK"}, "OK", ui::kAnswerOk},
      {3, QMessageBox::NoIcon, {"Annulla", "No", "Sì"}, "Annulla", 2},
  };
  QtUi ui;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.style);
    bool seen = false;
    WhenShown([&](QWidget* shown) {
      auto* box = qobject_cast<QMessageBox*>(shown);
      ASSERT_NE(box, nullptr);
      seen = true;
      EXPECT_EQ(box->windowTitle(), "Clinora - Referti Lirvo");
      EXPECT_EQ(box->text(), "Prima riga\nseconda riga");
      EXPECT_EQ(box->icon(), c.icon);
      EXPECT_EQ(ButtonTexts(*box), c.buttons);
      if (!c.click) {
        box->reject();
        return;
      }
      for (QAbstractButton* button : box->buttons()) {
        if (button->text() == QString::fromUtf8(c.click)) button->click();
      }
    });
    EXPECT_EQ(ui.MsgBox("Prima riga\r\nseconda riga", c.style, "Clinora - Referti Lirvo"),
              c.answer);
    EXPECT_TRUE(seen);
  }
}

TEST(QtUi, TheHourglassGoesBackOnEveryPath) {
  {
    QtUi ui;
    try {
      PointerGuard busy(ui);
      EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
      {
        PointerGuard arrow(ui, 13);
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::BusyCursor);
      }
      EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
      throw RuntimeError(kErrFileNotFound);
    } catch (const RuntimeError&) {
    }
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(ui.MousePointer(), ui::kPointerDefault);
    // A Ui that goes while the hourglass shows takes it along.
    ui.SetMousePointer(ui::kPointerHourglass);
  }
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

// The folder chosen and accepted is read back by the configuration dialog's
// test; here the start and the cancel.
TEST(QtUi, TheFolderBrowserOpensOnTheStartFolder) {
  TempDir dir;
  const std::string start = dir.File("documenti");
  std::filesystem::create_directories(start);
  QtUi ui;
  WhenShown([&](QWidget* shown) {
    auto* dialog = qobject_cast<QFileDialog*>(shown);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->directory().absolutePath(), ToQString(start));
    static_cast<QDialog*>(dialog)->reject();
  });
  EXPECT_EQ(ui.BrowseForFolder("Cartella referti", start), std::nullopt);
}

TEST(QtUi, ThePopUpMenuAnswersTheItemsNumber) {
  QtUi ui;
  WhenShown(
      [](QWidget* shown) {
        auto* menu = qobject_cast<QMenu*>(shown);
        ASSERT_NE(menu, nullptr);
        ASSERT_EQ(menu->actions().size(), 2);
        EXPECT_EQ(menu->actions()[1]->text(), "Rimuovi Singolo");
        QTest::mouseClick(menu, Qt::LeftButton, {},
                          menu->actionGeometry(menu->actions()[1]).center());
      },
      true);
  EXPECT_EQ(ui.PopupMenu({"Importa Singolo", "Rimuovi Singolo"}), 2);
  WhenShown([](QWidget* shown) { shown->close(); }, true);
  EXPECT_EQ(ui.PopupMenu({"Importa Singolo", "Rimuovi Singolo"}), 0);
}

class FakeForm final : public ui::ModalForm {
 public:
  std::string Name() const override { return "frmProva"; }
  std::string Caption() const override { return "Prova"; }
  void Close() override { open = false; }
  bool IsOpen() const override { return open; }
  bool open = true;
};

// A form that closes itself is not closed again: the chooser's choice,
// which a close would drop, survives its dialog (desk_tour_test). A form
// without a dialog of its own shows in an empty one under its caption, and
// when that is closed by other means (the close box) the form is closed.
TEST(QtUi, AFormWithoutItsOwnDialogIsClosedWithTheEmptyOne) {
  QtUi ui;
  FakeForm form;
  WhenShown([](QWidget* shown) { EXPECT_EQ(shown->windowTitle(), "Prova"); });
  ui.ShowModal(form);
  EXPECT_FALSE(form.IsOpen());
}

std::string ReadAll(const std::string& path) { return RealFileSystem().ReadFile(path); }

TEST(QtUi, ThePrinterDialogPreselectsTheSelectionAndTheTextPrints) {
  TempDir dir;
  QtUi ui;
  ui.SetPdfOutput(dir.File("testo.pdf"));
  struct Case {
    int flags;
    bool selection;
  } cases[] = {{ui::kPrinterReturnDc + ui::kPrinterNoPageNums + ui::kPrinterSelection, true},
               {ui::kPrinterReturnDc + ui::kPrinterNoPageNums, false}};
  for (const Case& c : cases) {
    WhenShown([&](QWidget* shown) {
      auto* dialog = qobject_cast<QPrintDialog*>(shown);
      ASSERT_NE(dialog, nullptr);
      EXPECT_EQ(dialog->printRange() == QAbstractPrintDialog::Selection, c.selection);
      EXPECT_EQ(dialog->testOption(QAbstractPrintDialog::PrintSelection), c.selection);
      EXPECT_FALSE(dialog->testOption(QAbstractPrintDialog::PrintPageRange));
      dialog->accept();
    });
    const ui::PrinterDc dc = ui.ShowPrinter(c.flags);
    std::filesystem::remove(dir.File("testo.pdf"));
    ui.PrintText({{"Referto\r\n", {"Arial", 12, 255, true}}, {"GLICEMIA 98", {}}}, dc);
    EXPECT_EQ(ReadAll(dir.File("testo.pdf")).substr(0, 5), "%PDF-") << c.flags;
  }
  WhenShown([](QWidget* shown) { qobject_cast<QDialog*>(shown)->reject(); });
  EXPECT_THAT([&] { ui.ShowPrinter(ui::kPrinterReturnDc); }, ThrowsRuntimeError(ui::kErrCancel));
  // A device context it never gave.
  EXPECT_THAT([&] { ui.PrintText({{"x", {}}}, 999); }, ThrowsRuntimeError(kErrPrinter));
}

// The text of a PDF file as pdftotext (poppler-utils) reads it.
std::string PdfText(const std::string& pdf) {
  std::string text;
  FILE* pipe = ::popen(("pdftotext -layout '" + pdf + "' - 2>&1").c_str(), "r");
  if (pipe == nullptr) return text;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, n);
  EXPECT_EQ(::pclose(pipe), 0) << "pdftotext: " << text;
  return text;
}

// A grid with a patient, its report and a hidden column.
class PrintedListTest : public ::testing::Test {
 protected:
  PrintedListTest() {
    grid.Look().font_name = "Courier New";
    grid.AddColumn(0, "SCHEDA", 0, false);
    grid.AddColumn(1, "Paziente", 700, true);
    grid.AddColumn(2, "Descrizione", 2000, true);
    grid.SetColumnVisible(0, false);
    auto& patient = grid.Records().Add();
    patient.AddItem("1");
    patient.AddItem("ROSSI MARIO").SetBold(true);
    patient.AddItem("");
    auto& report = patient.Childs().Add();
    report.AddItem("1");
    report.AddItem("");
    report.AddItem("GLICEMIA 98 mg/dl").SetForeColor(255);
    patient.SetExpanded(true);
  }
  controls::ReportGrid grid{"rcReferti", {}};
};

// The paper has the visible columns and the shown rows; the page is
// landscape when the grid says so.
TEST_F(PrintedListTest, TheListHasTheVisibleColumnsAndTheShownRowsInItsOrientation) {
  TempDir dir;
  QtUi ui;
  for (const bool landscape : {true, false}) {
    const std::string pdf = dir.File(landscape ? "orizzontale.pdf" : "verticale.pdf");
    ui.SetPdfOutput(pdf);
    grid.PrintOptions().landscape = landscape;
    ui.PrintGrid(grid);
    const std::string text = ReadAll(pdf);
    ASSERT_EQ(text.substr(0, 5), "%PDF-");
    // The page's box: wider than high in landscape.
    const size_t box = text.find("/MediaBox [");
    ASSERT_NE(box, std::string::npos);
    std::istringstream numbers(text.substr(box + 11));
    double x0 = 0, y0 = 0, width = 0, height = 0;
    numbers >> x0 >> y0 >> width >> height;
    EXPECT_EQ(width > height, landscape) << width << " x " << height;
    // What the paper shows, read back: the shown columns and rows, not the
    // hidden column.
    const std::string printed = PdfText(pdf);
    EXPECT_NE(printed.find("Paziente"), std::string::npos) << printed;
    EXPECT_NE(printed.find("ROSSI MARIO"), std::string::npos) << printed;
    EXPECT_NE(printed.find("GLICEMIA 98 mg/dl"), std::string::npos) << printed;
    EXPECT_EQ(printed.find("SCHEDA"), std::string::npos) << printed;
  }
  ui.SetPdfOutput(dir.File("manca/elenco.pdf"));
  EXPECT_THAT([&] { ui.PrintGrid(grid); }, ThrowsRuntimeError(kErrPrinter));
}

}  // namespace
}  // namespace lirvo::qt
