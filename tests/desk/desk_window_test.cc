#include "desk/desk_window.h"

#include <gtest/gtest.h>

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTabWidget>
#include <QToolButton>

#include "base/clock.h"
#include "base/file_system.h"
#include "controls/scripted_ui.h"
#include "qt/main_window_view.h"
#include "qt/qt_text.h"
#include "standin/demo_install.h"
#include "standin/host_form.h"
#include "standin/installation.h"
#include "support/temp_dir.h"

namespace lirvo::desk {
namespace {

class DeskWindowTest : public ::testing::Test {
 protected:
  DeskWindowTest() {
    const standin::Installation installation(dir_.path());
    standin::LayOutInstallation(fs_, installation, false, standin::DemoTranscoding());
    host_ = std::make_shared<standin::StandinHost>(dir_.path(), ui_, fs_);
    window_ = std::make_unique<DeskWindow>(host_, plugin_);
    window_->SendEvent(plugin::kEventRegistrazione, int64_t{0});
    window_->SendEvent(plugin::kEventFormLoad,
                       std::shared_ptr<host::Dispatch>(std::make_shared<standin::HostForm>(
                           host::Variant{std::string("frmMain")})));
  }

  // Every ribbon button shows its control's flags.
  void ExpectRibbonFollowsTheFramework() {
    for (const auto& tab : host_->Framework().Tabs()) {
      for (const auto& group : tab->Groups()) {
        for (const auto& control : group->Controls()) {
          QToolButton* button = window_->Button(control->CommandId());
          ASSERT_NE(button, nullptr) << control->Caption();
          EXPECT_EQ(button->isEnabled(), control->Enabled()) << control->Caption();
          EXPECT_EQ(!button->isHidden(), control->Visible()) << control->Caption();
        }
      }
    }
  }

  test_support::TempDir dir_;
  ui::ScriptedUi ui_;
  FixedClock clock_{DateTime{2026, 3, 1, 9, 30, 0}};
  FileSystem& fs_ = RealFileSystem();
  std::shared_ptr<standin::StandinHost> host_;
  plugin::Plugin plugin_{{&ui_, &fs_, &clock_, standin::Installation(dir_.path()).PluginFolder()}};
  std::unique_ptr<DeskWindow> window_;
};

// The ribbon shows the plug-in's tab; the tab opens the main reports
// window; closing it tells the host, and the tab opens a new one.
TEST_F(DeskWindowTest, TheTabOpensTheReportsWindowAndClosingItTellsTheHost) {
  QTabWidget& ribbon = window_->Ribbon();
  ASSERT_EQ(ribbon.count(), 2);
  EXPECT_EQ(ribbon.tabText(0), standin::kMainTabCaption);
  EXPECT_EQ(ribbon.tabText(1), kTabCaption);
  ExpectRibbonFollowsTheFramework();
  window_->show();
  window_->ClickTab(kTabCaption);
  EXPECT_EQ(window_->Ribbon().currentIndex(), 1);
  const QList<QMdiSubWindow*> windows = window_->Children().subWindowList();
  ASSERT_EQ(windows.size(), 1);
  EXPECT_NE(dynamic_cast<qt::ReportsWindowView*>(windows.front()->widget()), nullptr);
  ASSERT_EQ(host_->Framework().Children().size(), 1u);
  EXPECT_EQ(windows.front()->windowTitle(),
            qt::ToQString(host_->Framework().Children().front()->Caption()));
  ExpectRibbonFollowsTheFramework();

  windows.front()->close();
  EXPECT_TRUE(host_->Framework().Children().empty());
  window_->ClickTab(kTabCaption);
  EXPECT_EQ(host_->Framework().Children().size(), 1u);
}

}  // namespace
}  // namespace lirvo::desk
