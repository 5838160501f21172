#include "qt/grid_model.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QFont>
#include <QHeaderView>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTest>

#include "forms/frm_referti_lirvo.h"
#include "forms/window_fixture.h"
#include "qt/grid_view.h"
#include "qt/main_window_view.h"
#include "qt/qt_text.h"
#include "when_shown.h"

namespace lirvo::qt {
namespace {

using controls::GridRecord;

std::string Text(const QModelIndex& index) { return ToUtf8(index.data().toString()); }

class GridModelTest : public test_support::MainWindowFixture {
 protected:
  controls::ReportGrid& Grid() { return form.rcReferti(); }
};

// The tester checks the model after every signal, through loading, item
// changes, removals at both levels, a column change and emptying the grid.
TEST_F(GridModelTest, StaysConsistentThroughEveryKindOfChange) {
  GridItemModel model(Grid());
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Warning);
  QSignalSpy data_changed(&model, &QAbstractItemModel::dataChanged);

  LoadSample();
  ASSERT_EQ(model.rowCount(), 3);
  const QModelIndex rossi = model.index(0, 0);
  EXPECT_EQ(model.rowCount(rossi), 2);
  EXPECT_EQ(model.rowCount(model.index(0, 1)), 0);
  EXPECT_EQ(model.parent(model.index(1, 4, rossi)), rossi);

  data_changed.clear();
  Grid().Records().Record(1).Item(forms::kItemPatientName).SetForeColor(255);
  ASSERT_EQ(data_changed.size(), 1);
  EXPECT_EQ(data_changed[0][0].toModelIndex(), model.index(1, forms::kItemPatientName));

  Grid().Records().Record(0).Childs().RemoveAt(0);
  EXPECT_EQ(model.rowCount(rossi), 1);
  EXPECT_EQ(Text(model.index(0, forms::kItemPosition, rossi)), "2");
  Grid().Records().RemoveAt(0);
  EXPECT_EQ(Text(model.index(0, forms::kItemPatientName)), "ROSSINI LUCA");
  Grid().SetColumnVisible(forms::kItemWard, false);
  EXPECT_EQ(model.columnCount(), 9);
  Grid().Records().DeleteAll();
  EXPECT_EQ(model.rowCount(), 0);
  form.Form_Load();
  form.AddPatientRow(*host_->AddPatient("VERDI", "LUIGI", "080012348"));
  EXPECT_EQ(Text(model.index(0, forms::kItemPatientName)), "VERDI LUIGI");
}

// What the person sees of the main grid: captions, bold patient names, an
// out-of-range description in red, links that look like links, the
// monospaced font.
TEST_F(GridModelTest, ShowsTheGridsTextsAndStyles) {
  GridItemModel model(Grid());
  LoadSample();
  EXPECT_EQ(ToUtf8(model.headerData(forms::kItemPatientName, Qt::Horizontal).toString()),
            "Paziente");
  const QModelIndex name = model.index(0, forms::kItemPatientName);
  EXPECT_EQ(Text(name), "ROSSI MARIO");
  EXPECT_TRUE(name.data(Qt::FontRole).value<QFont>().bold());
  EXPECT_TRUE(QFontInfo(name.data(Qt::FontRole).value<QFont>()).fixedPitch());
  const QModelIndex flagged = model.index(1, forms::kItemDescription, model.index(0, 0));
  EXPECT_TRUE(flagged.data(Qt::FontRole).value<QFont>().bold());
  EXPECT_EQ(flagged.data(Qt::ForegroundRole).value<QBrush>().color(), QColor(Qt::red));

  struct Case {
    QModelIndex index;
    const char* text;
  } links[] = {{model.index(0, forms::kItemLink), forms::kPatientLink},
               {model.index(1, forms::kItemLink, model.index(0, 0)), forms::kReportLink}};
  for (const Case& c : links) {
    EXPECT_EQ(Text(c.index), c.text);
    EXPECT_TRUE(c.index.data(GridItemModel::kLinkRole).toBool()) << c.text;
    EXPECT_TRUE(c.index.data(Qt::FontRole).value<QFont>().underline()) << c.text;
    EXPECT_TRUE(c.index.data(Qt::ForegroundRole).isValid()) << c.text;
  }
  const QModelIndex ward = model.index(0, forms::kItemWard, model.index(0, 0));
  EXPECT_EQ(Text(ward), "Ospedale");
  EXPECT_FALSE(ward.data(GridItemModel::kLinkRole).toBool());
  EXPECT_FALSE(ward.data(Qt::FontRole).value<QFont>().underline());
  EXPECT_FALSE(ward.data(Qt::ForegroundRole).isValid());
}

// The grid's selection and focus reach the selection model, and the
// person's selection reaches the grid.
TEST_F(GridModelTest, SelectionAndFocusGoBothWays) {
  LoadSample();
  GridItemModel model(Grid());
  QItemSelectionModel selection(&model);
  GridSelectionSync sync(model, selection);
  // Populate focused and selected the first row before the sync existed.
  EXPECT_EQ(selection.currentIndex(), model.index(0, 0));

  Grid().SetFocusedRow(4);  // ROSSINI's report
  const QModelIndex report = model.index(0, 0, model.index(1, 0));
  EXPECT_EQ(selection.currentIndex(), report);
  EXPECT_EQ(selection.selectedRows(), QModelIndexList{report});
  Grid().SelectRow(0, true);
  EXPECT_EQ(selection.selectedRows().size(), 2);

  selection.setCurrentIndex(model.index(2, 0),
                            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  EXPECT_EQ(Grid().FocusedRow(), 5);
  EXPECT_EQ(Grid().SelectedRows(), std::vector<int32_t>{5});
  selection.select(model.index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
  EXPECT_EQ(Grid().SelectedRows(), (std::vector<int32_t>{0, 5}));
  EXPECT_EQ(Grid().FocusedRow(), 5);

  // Removing the focused record takes the focus and the selection with it.
  Grid().Records().RemoveAt(2);
  EXPECT_FALSE(selection.currentIndex().isValid());
  EXPECT_EQ(selection.selectedRows(), QModelIndexList{model.index(0, 0)});
}

TEST_F(GridModelTest, TheViewHidesColumnsAndFollowsExpansion) {
  LoadSample();
  ReportGridView view(Grid());
  view.resize(800, 300);
  view.show();
  for (const int32_t hidden : {forms::kItemPatientId, forms::kItemPosition, forms::kItemRawText}) {
    EXPECT_TRUE(view.isColumnHidden(hidden)) << hidden;
  }
  EXPECT_FALSE(view.isColumnHidden(forms::kItemDescription));
  EXPECT_EQ(view.treePosition(), forms::kItemPatientName);
  // Widths follow the relative widths: "Descrizione" (2000) is four times
  // "Reparto" (460) give or take a pixel's rounding.
  EXPECT_NEAR(
      view.columnWidth(forms::kItemDescription) * 460.0 / view.columnWidth(forms::kItemWard), 2000,
      40);

  const QModelIndex rossi = view.Model().index(0, 0);
  EXPECT_TRUE(view.isExpanded(rossi));
  Grid().Records().Record(0).SetExpanded(false);
  EXPECT_FALSE(view.isExpanded(rossi));
  view.expand(rossi);
  EXPECT_TRUE(Grid().Records().Record(0).Expanded());
}

TEST_F(GridModelTest, ClickingALinkReportsItsRowAndItem) {
  LoadSample();
  ReportGridView view(Grid());
  view.resize(900, 300);
  view.show();
  std::vector<std::array<int32_t, 3>> clicks;
  view.SetOnHyperlinkClick([&](int32_t row, int32_t item, int32_t link) {
    clicks.push_back({row, item, link});
  });
  const QModelIndex report_link = view.Model().index(1, forms::kItemLink, view.Model().index(0, 0));
  const QRect cell = view.visualRect(report_link);
  QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, cell.topLeft() + QPoint(4, 4));
  QTest::mouseClick(view.viewport(), Qt::LeftButton, {},
                    view.visualRect(view.Model().index(0, forms::kItemWard)).center());
  ASSERT_EQ(clicks.size(), 1u);
  EXPECT_EQ(clicks[0], (std::array<int32_t, 3>{2, forms::kItemLink, 0}));
  // The click also focused the row, in the grid.
  EXPECT_EQ(Grid().FocusedRow(), 0);
}

// The main window's view over the sample rows.
class ReportsWindowViewTest : public GridModelTest {
 protected:
  ReportsWindowViewTest() { LoadSample(); }

  static QRect PixelsOf(const controls::Control& control) {
    return {TwipsToPixels(control.Left()), TwipsToPixels(control.Top()),
            TwipsToPixels(control.Width()), TwipsToPixels(control.Height())};
  }
};

// The window's size reaches the presenter, whose layout places the widgets;
// the band shows what the presenter shows.
TEST_F(ReportsWindowViewTest, WidgetsSitWhereThePresenterLaysThemOut) {
  ReportsWindowView view(form);
  view.resize(640, 420);
  view.show();
  EXPECT_EQ(form.ScaleWidth(), 640 * 15);
  EXPECT_EQ(form.ScaleHeight(), 420 * 15);
  EXPECT_EQ(view.Grid().geometry(), PixelsOf(form.rcReferti()));
  EXPECT_EQ(view.SearchBox().Widget().parentWidget()->parentWidget()->geometry(),
            PixelsOf(form.Picture1()));
  // The band shows the search or the progress, as the presenter says.
  EXPECT_FALSE(view.SearchBox().Widget().isVisibleTo(&view));
  form.pbFndPaz().SetVisible(true);
  EXPECT_TRUE(view.SearchBox().Widget().isVisibleTo(&view));
  ExpectLabelsFit(&view);
  ExpectButtonsFit(&view);
  EXPECT_FALSE(view.Progress().Widget().isVisibleTo(&view));
  // The bar shows its value and text exactly.
  form.ProgressBar1().SetVisible(true);
  form.ProgressBar1().SetMax(10);
  form.ProgressBar1().SetValue(3);
  form.ProgressBar1().SetText("Importazione 3 di 10 (30%)");
  EXPECT_EQ(view.Progress().Bar().value(), 3);
  EXPECT_EQ(view.Progress().Bar().maximum(), 10);
  EXPECT_EQ(view.Progress().Bar().text(), "Importazione 3 di 10 (30%)");
}

// Typing goes through the presenter (upper case, Enter searches); the
// search focuses the patient's row in the grid and on screen.
TEST_F(ReportsWindowViewTest, TheSearchGroupTypesAndSearchesThroughThePresenter) {
  ReportsWindowView view(form);
  view.show();
  form.pbFndPaz().SetVisible(true);
  QLineEdit& box = view.SearchBox().Edit();
  EXPECT_FALSE(view.SearchButton().Button().isEnabled());
  QTest::keyClicks(&box, "bia");
  EXPECT_EQ(form.tbPaziente().Text(), "BIA");
  EXPECT_EQ(box.text(), "BIA");
  EXPECT_TRUE(view.SearchButton().Button().isEnabled());
  QTest::keyClick(&box, Qt::Key_Return);
  EXPECT_EQ(form.rcReferti().FocusedRow(), 5);
  EXPECT_EQ(view.Grid().currentIndex(), view.Grid().Model().index(2, 0));
  QTest::keyClick(&box, Qt::Key_Backspace);
  EXPECT_EQ(form.tbPaziente().Text(), "BI");
}

// A right click on one selected report reaches the presenter, which offers
// the report's menu.
TEST_F(ReportsWindowViewTest, ARightClickOnAReportOpensItsMenu) {
  ReportsWindowView view(form);
  view.resize(640, 420);
  view.show();
  form.rcReferti().SelectRow(1);
  const GridItemModel& model = view.Grid().Model();
  const QModelIndex report = model.index(0, forms::kItemWard, model.index(0, 0));
  QTest::mouseClick(view.Grid().viewport(), Qt::RightButton, {},
                    view.Grid().visualRect(report).center());
  EXPECT_EQ(Fw().calls, std::vector<std::string>{"Popup(Importa Singolo, Rimuovi Singolo)"});
}

}  // namespace
}  // namespace lirvo::qt
