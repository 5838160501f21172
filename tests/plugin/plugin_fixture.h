// A plug-in wired to the fake host, with its folders in a temporary folder
// and the per-user data folder redirected there.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>

#include "base/clock.h"
#include "base/file_system.h"
#include "plugin/fake_host.h"
#include "plugin/module_state.h"
#include "support/temp_dir.h"

namespace lirvo::testing {

class PluginFixture : public ::testing::Test {
 protected:
  PluginFixture() : clock_(DateTime{2026, 3, 1, 9, 30, 0}), fs_(RealFileSystem()) {
    std::filesystem::create_directories(PluginFolder());
    std::filesystem::create_directories(AppData());
    saved_xdg_ = Getenv("XDG_DATA_HOME");
    ::setenv("XDG_DATA_HOME", AppData().c_str(), 1);
  }
  ~PluginFixture() override {
    if (saved_xdg_.has_value()) {
      ::setenv("XDG_DATA_HOME", saved_xdg_->c_str(), 1);
    } else {
      ::unsetenv("XDG_DATA_HOME");
    }
  }

  std::string PluginFolder() const { return dir_.File("plugin"); }
  std::string ConfigPath() const { return PluginFolder() + "/Config.xml"; }
  std::string AppData() const { return dir_.File("appdata"); }
  std::string Documents() const { return dir_.File("documents/"); }

  plugin::Services MakeServices() { return {&ui_, &fs_, &clock_, PluginFolder()}; }

  // Config.xml naming `folder` as the documents folder, product "Clinora".
  void WriteConfig(const std::string& folder) {
    host_->xml_files.roots[ConfigPath()] = ConfigTree("Clinora", {{"documentsfolder", folder}});
  }

  static std::optional<std::string> Getenv(const char* name) {
    const char* v = ::getenv(name);
    if (v == nullptr) return std::nullopt;
    return std::string(v);
  }

  TempDir dir_;
  std::shared_ptr<FakeHost> host_ = std::make_shared<FakeHost>();
  RecordingUi ui_;
  FixedClock clock_;
  FaultyFileSystem fs_;
  std::optional<std::string> saved_xdg_;
};

}  // namespace lirvo::testing
