#include "qt/main_window_view.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include "forms/window_fixture.h"
#include "qt/qt_text.h"

namespace lirvo::qt {
namespace {

class ReportsWindowViewTest : public test_support::WindowFixture {
 protected:
  ReportsWindowViewTest() {
    form.Form_Load();
    auto& rossi = form.AddPatientRow(*host_->AddPatient("ROSSI", "MARIO", "080012345"));
    form.AddReportRow(rossi, {int64_t{1}, 1, "#01#raw", "Ospedale", "02/03/2024", "04/03/2024",
                              "GLICEMIA 98 mg/dl", false});
    form.AddPatientRow(*host_->AddPatient("BIANCHI", "ANNA", "080012347"));
    form.rcReferti().Populate();
  }

  static QRect PixelsOf(const controls::Control& control) {
    return {TwipsToPixels(control.Left()), TwipsToPixels(control.Top()),
            TwipsToPixels(control.Width()), TwipsToPixels(control.Height())};
  }

  forms::frmRefertiLirvo form{context_};
};

// The window's size reaches the presenter, whose layout places the widgets.
TEST_F(ReportsWindowViewTest, WidgetsSitWhereThePresenterLaysThemOut) {
  ReportsWindowView view(form);
  view.resize(640, 420);
  view.show();
  EXPECT_EQ(form.ScaleWidth(), 640 * 15);
  EXPECT_EQ(form.ScaleHeight(), 420 * 15);
  EXPECT_EQ(view.Grid().geometry(), PixelsOf(form.rcReferti()));
  EXPECT_EQ(view.Grid().geometry().width(), 640 - 2 * 10);
  EXPECT_EQ(view.SearchBox().Widget().parentWidget()->parentWidget()->geometry(),
            PixelsOf(form.Picture1()));
  // The band shows the search or the progress, as the presenter says.
  EXPECT_FALSE(view.SearchBox().Widget().isVisibleTo(&view));
  form.pbFndPaz().SetVisible(true);
  EXPECT_TRUE(view.SearchBox().Widget().isVisibleTo(&view));
  EXPECT_FALSE(view.Progress().Widget().isVisibleTo(&view));
}

TEST_F(ReportsWindowViewTest, TheProgressBarShowsItsTextExactly) {
  ReportsWindowView view(form);
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
  EXPECT_EQ(view.SearchButton().Button().text(), "..");
  QTest::keyClick(&box, Qt::Key_Return);
  EXPECT_EQ(form.rcReferti().FocusedRow(), 2);
  EXPECT_EQ(view.Grid().currentIndex(), view.Grid().Model().index(1, 0));
  EXPECT_EQ(form.ActiveControl(), &form.rcReferti());
  QTest::keyClick(&box, Qt::Key_Backspace);
  EXPECT_EQ(form.tbPaziente().Text(), "BI");
}

}  // namespace
}  // namespace lirvo::qt
