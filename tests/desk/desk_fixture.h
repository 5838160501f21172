// A desk on a demo installation of its own: the demo patients and bundles,
// the plug-in registered and the host's main form loaded. The Ui is the
// scripted one, or the Qt one with the plug-in's dialogs for tests that
// act on the windows a person sees.
#pragma once

#include <gtest/gtest.h>

#include <QToolButton>
#include <memory>
#include <string>

#include "base/clock.h"
#include "base/file_system.h"
#include "controls/scripted_ui.h"
#include "desk/desk_window.h"
#include "qt/form_dialogs.h"
#include "qt/qt_ui.h"
#include "standin/demo_install.h"
#include "standin/host_form.h"
#include "standin/installation.h"
#include "support/temp_dir.h"

namespace lirvo::desk {

class DeskFixture : public ::testing::Test {
 protected:
  explicit DeskFixture(bool qt_ui = false)
      : ui_(qt_ui ? static_cast<ui::Ui&>(qt_ui_) : scripted_ui_) {
    qt::SetFormDialogs(qt_ui_);
    const standin::Installation installation(dir_.path());
    standin::LayOutInstallation(fs_, installation, false, standin::DemoTranscoding());
    host_ = std::make_shared<standin::StandinHost>(dir_.path(), ui_, fs_);
    standin::InstallDemoContent(fs_, installation, host_->Archive(), false);
    window_ = std::make_unique<DeskWindow>(host_, plugin_);
    qt_ui_.SetParent(window_.get());
    window_->SendEvent(plugin::kEventRegistrazione, int64_t{0});
    window_->SendEvent(plugin::kEventFormLoad,
                       std::shared_ptr<host::Dispatch>(std::make_shared<standin::HostForm>(
                           host::Variant{std::string("frmMain")})));
  }

  // `f(control, button)` for every control of the ribbon, with its button.
  template <class F>
  void ForEachButton(F f) const {
    for (const auto& tab : host_->Framework().Tabs()) {
      for (const auto& group : tab->Groups()) {
        for (const auto& control : group->Controls()) {
          f(*control, window_->Button(control->CommandId()));
        }
      }
    }
  }

  // The shown ribbon button of the plug-in's command captioned `caption`.
  QToolButton* ButtonOf(const std::string& caption) const {
    QToolButton* found = nullptr;
    ForEachButton([&](const auto& control, QToolButton* button) {
      if (control.Caption() == caption && button && !button->isHidden()) found = button;
    });
    if (found == nullptr) ADD_FAILURE() << "no button " << caption;
    return found;
  }

  test_support::TempDir dir_;
  ui::ScriptedUi scripted_ui_;
  qt::QtUi qt_ui_;
  ui::Ui& ui_;
  FixedClock clock_{DateTime{2026, 3, 1, 9, 30, 0}};
  FileSystem& fs_ = RealFileSystem();
  std::shared_ptr<standin::StandinHost> host_;
  plugin::Plugin plugin_{{&ui_, &fs_, &clock_, standin::Installation(dir_.path()).PluginFolder()}};
  std::unique_ptr<DeskWindow> window_;
};

}  // namespace lirvo::desk
