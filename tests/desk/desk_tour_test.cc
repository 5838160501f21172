// The desk as a person uses it, on the Qt Ui: the plug-in's tab, a bundle
// chosen in the chooser, a report's preview, a patient's chart, the import
// and its summary, the configuration dialog. Each window is grabbed into a PNG under the build
// folder (docs/screenshots/ holds a copy).
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QTest>

#include "desk/chart_window.h"
#include "desk/desk_fixture.h"
#include "forms/frm_get_bundle.h"
#include "forms/frm_referti_lirvo.h"
#include "qt/grid_view.h"
#include "qt/main_window_view.h"
#include "qt/qt_text.h"
#include "qt/rich_text_view.h"
#include "qt/when_shown.h"
#include "standin/chart_setup.h"

namespace lirvo::desk {
namespace {

using qt::Child;
using qt::WhenShown;

// Clicks the cell's text at its start (where a link's first letter lies).
void ClickCell(qt::ReportGridView& grid, const QModelIndex& index) {
  ASSERT_TRUE(index.isValid());
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {},
                    grid.visualRect(index).topLeft() + QPoint(4, 4));
}

class DeskTourTest : public DeskFixture {
 protected:
  DeskTourTest() : DeskFixture(/*qt_ui=*/true) {
    window_->resize(1100, 700);
    window_->show();
    window_->ClickTab(kTabCaption);
  }

  // Grabs `widget` into LIRVO_SCREENSHOT_DIR/NAME.png. A window that drew
  // nothing would be one colour.
  static void Snap(QWidget& widget, const QString& name) {
    const QImage image = widget.grab().toImage();
    ASSERT_FALSE(image.isNull()) << name.toStdString();
    bool drawn = false;
    for (int y = 0; y < image.height() && !drawn; ++y) {
      for (int x = 0; x < image.width() && !drawn; ++x)
        drawn = image.pixel(x, y) != image.pixel(0, 0);
    }
    EXPECT_TRUE(drawn) << name.toStdString() << " is blank";
    const QDir dir(QStringLiteral(LIRVO_SCREENSHOT_DIR));
    ASSERT_TRUE(dir.mkpath(QStringLiteral(".")));
    EXPECT_TRUE(image.save(dir.filePath(name + QStringLiteral(".png")))) << name.toStdString();
  }

  qt::ReportGridView& ReportGrid() {
    auto* view = Child<qt::ReportsWindowView>(&window_->Children());
    EXPECT_NE(view, nullptr);
    return view->Grid();
  }

  // "Storico", with the chooser answering `bundle`.
  void LoadBundle(const QString& bundle) {
    WhenShown([&](QWidget* chooser) {
      Snap(*chooser, QStringLiteral("chooser"));
      auto* list = Child<qt::ReportGridView>(chooser);
      ASSERT_NE(list, nullptr);
      auto& model = list->Model();
      for (int row = 0; row < model.rowCount(); ++row) {
        const QModelIndex name = model.index(row, forms::kBundleItemName);
        if (name.data().toString() != bundle) continue;
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(name).center());
        return;
      }
      ADD_FAILURE() << "no bundle " << bundle.toStdString();
    });
    ButtonOf("Storico")->click();
  }
};

// The main job: a bundle chosen, a report previewed, a patient's chart
// opened, the bundle imported (no printed list), the summary read. The
// chart window shows what the import saved; the archive holds it.
TEST_F(DeskTourTest, EveryWindowShowsAndTheImportReachesTheChart) {
  LoadBundle(QStringLiteral("referti_dicembre.dat"));
  auto& model = ReportGrid().Model();
  ASSERT_GT(model.rowCount(), 0);
  const QModelIndex patient = model.index(0, 0);
  ASSERT_GT(model.rowCount(patient), 0);
  Snap(*window_, QStringLiteral("desk"));

  // A report's "dettagli": its preview in the detail window.
  bool previewed = false;
  WhenShown([&](QWidget* detail) {
    previewed = true;
    Snap(*detail, QStringLiteral("report_detail"));
  });
  ClickCell(ReportGrid(), model.index(0, forms::kItemLink, patient));
  EXPECT_TRUE(previewed);

  // The patient's "SCHEDA": the host's chart window, empty so far.
  ClickCell(ReportGrid(), model.index(0, forms::kItemLink));
  QMdiSubWindow* chart_window = window_->Children().activeSubWindow();
  auto* chart = chart_window ? dynamic_cast<ChartWindow*>(chart_window->widget()) : nullptr;
  ASSERT_NE(chart, nullptr);
  const int64_t id = chart->PatientId();
  ASSERT_TRUE(host_->Archive().Exams(id).empty() && host_->Archive().Visits(id).empty());

  const std::string name = qt::ToUtf8(model.index(0, forms::kItemPatientName).data().toString());
  ASSERT_FALSE(name.empty());

  // Back on the plug-in's tab, "Importa"; no printed list.
  window_->ClickTab(kTabCaption);
  QString imported;
  WhenShown<QMessageBox>([&](QMessageBox* box) {
    imported = box->text();
    for (QAbstractButton* button : box->buttons()) {
      if (button->text() == QStringLiteral("No")) button->click();
    }
  });
  ButtonOf("Importa")->click();
  EXPECT_TRUE(
      imported.startsWith(QStringLiteral("Impostazione effettuata correttamente! Importati ")))
      << imported.toStdString();
  EXPECT_FALSE(host_->Archive().Exams(id).empty() && host_->Archive().Visits(id).empty());
  // "Ultima": the summary of the import, naming the patient.
  QString summary;
  WhenShown([&](QWidget* detail) {
    if (auto* text = Child<qt::RichTextView>(detail)) summary = text->document()->toPlainText();
    Snap(*detail, QStringLiteral("summary"));
  });
  ButtonOf("Ultima")->click();
  EXPECT_NE(qt::ToUtf8(summary).find(name), std::string::npos) << qt::ToUtf8(summary);

  // The open chart was read again; "SCHEDA" brings it forward (after the
  // summary: the reports window shown again would show it unasked).
  EXPECT_EQ(qt::ToUtf8(chart->toPlainText()), standin::ChartText(host_->Archive(), id));
  ClickCell(ReportGrid(), model.index(0, forms::kItemLink));
  EXPECT_EQ(window_->Children().activeSubWindow(), chart_window);
  Snap(*chart_window, QStringLiteral("chart"));

  bool configured = false;
  WhenShown([&](QWidget* config) {
    configured = true;
    Snap(*config, QStringLiteral("config"));
  });
  ButtonOf("Opzioni")->click();
  EXPECT_TRUE(configured);
}

}  // namespace
}  // namespace lirvo::desk
