#include "desk/desk_window.h"

#include <gtest/gtest.h>

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTabWidget>
#include <QToolButton>

#include "desk/chart_window.h"
#include "desk/desk_fixture.h"
#include "qt/main_window_view.h"
#include "qt/qt_text.h"
#include "standin/chart_setup.h"

namespace lirvo::desk {
namespace {

using DeskWindowTest = DeskFixture;

// The ribbon shows the plug-in's tab; the tab opens the main reports
// window; closing it tells the host, and the tab opens a new one.
TEST_F(DeskWindowTest, TheTabOpensTheReportsWindowAndClosingItTellsTheHost) {
  // Every ribbon button shows its control's flags.
  const auto expect_ribbon_follows_the_framework = [&] {
    ForEachButton([](const auto& control, QToolButton* button) {
      ASSERT_NE(button, nullptr) << control.Caption();
      EXPECT_EQ(button->isEnabled(), control.Enabled()) << control.Caption();
      EXPECT_EQ(!button->isHidden(), control.Visible()) << control.Caption();
    });
  };
  QTabWidget& ribbon = window_->Ribbon();
  ASSERT_EQ(ribbon.count(), 2);
  EXPECT_EQ(ribbon.tabText(0), standin::kMainTabCaption);
  EXPECT_EQ(ribbon.tabText(1), kTabCaption);
  expect_ribbon_follows_the_framework();
  window_->show();
  window_->ClickTab(kTabCaption);
  EXPECT_EQ(window_->Ribbon().currentIndex(), 1);
  const QList<QMdiSubWindow*> windows = window_->Children().subWindowList();
  ASSERT_EQ(windows.size(), 1);
  EXPECT_NE(dynamic_cast<qt::ReportsWindowView*>(windows.front()->widget()), nullptr);
  ASSERT_EQ(host_->Framework().Children().size(), 1u);
  EXPECT_EQ(windows.front()->windowTitle(),
            qt::ToQString(host_->Framework().Children().front()->Caption()));
  expect_ribbon_follows_the_framework();

  windows.front()->close();
  EXPECT_TRUE(host_->Framework().Children().empty());
  window_->ClickTab(kTabCaption);
  EXPECT_EQ(host_->Framework().Children().size(), 1u);
}

// A recalled patient gets one chart window showing what the archive holds,
// read again when recalled once more; a patient the archive lacks gets none.
TEST_F(DeskWindowTest, RecallingAPatientShowsItsChart) {
  const auto patients = host_->Archive().ListPatients();
  ASSERT_GE(patients.size(), 2u);
  const int64_t id = patients[1].id;
  ASSERT_TRUE(
      host_->Archive().SaveExam(id, standin::ExamArgsFor("12/11/2025", int64_t{7}, "GLU", "98")));

  const auto chart_text = [&] {
    auto* window = window_->Children().activeSubWindow();
    auto* chart = window ? dynamic_cast<ChartWindow*>(window->widget()) : nullptr;
    return chart ? qt::ToUtf8(chart->toPlainText()) : std::string("(no chart window)");
  };
  window_->show();
  host_->Framework().RichiamaPaziente(std::to_string(id));
  EXPECT_EQ(chart_text(), standin::ChartText(host_->Archive(), id));
  EXPECT_EQ(qt::ToUtf8(window_->Children().activeSubWindow()->windowTitle()),
            "Scheda " + patients[1].cognome + " " + patients[1].nome);

  host_->Framework().RichiamaPaziente(patients[0].id);
  ASSERT_TRUE(host_->Archive().SaveVisit(id, standin::VisitArgsFor("13/11/2025", "V-1")));
  host_->Framework().RichiamaPaziente(id);
  EXPECT_EQ(window_->Children().subWindowList().size(), 2);
  EXPECT_NE(chart_text().find("idrif4=V-1"), std::string::npos) << chart_text();

  for (const host::Variant& unknown : {host::Variant{int64_t{999999}}, host::Variant{"abc"}}) {
    host_->Framework().RichiamaPaziente(unknown);
    EXPECT_EQ(window_->Children().subWindowList().size(), 2) << host::Describe(unknown);
  }
  // Closing it forgets it: the next recall opens a new one.
  window_->Children().activeSubWindow()->close();
  host_->Framework().RichiamaPaziente(id);
  EXPECT_EQ(window_->Children().subWindowList().size(), 2);
  EXPECT_NE(chart_text().find("idrif4=V-1"), std::string::npos);
}

}  // namespace
}  // namespace lirvo::desk
