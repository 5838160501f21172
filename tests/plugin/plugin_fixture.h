// A plug-in's surroundings for tests: a temporary installation of the
// stand-in host (INSTALL/plugin holds Config.xml), the per-user data folder
// redirected into it, and a file system that fails on request.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/clock.h"
#include "base/file_system.h"
#include "plugin/module_state.h"
#include "support/fake_host.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace lirvo::test_support {

class PluginFixture : public ::testing::Test {
 protected:
  PluginFixture() {
    for (const auto& dir : {PluginFolder(), AppData(), Documents()}) {
      std::filesystem::create_directories(dir);
    }
  }

  std::string PluginFolder() const { return dir_.File("plugin"); }
  std::string ConfigPath() const { return PluginFolder() + "/Config.xml"; }
  std::string AppData() const { return dir_.File("appdata"); }
  std::string Documents() const { return dir_.File("documents/"); }

  plugin::Services MakeServices() { return {&ui_, &fs_, &clock_, PluginFolder()}; }
  // A module state registered with the fake host, as registration leaves it.
  std::shared_ptr<plugin::ModuleState> MakeState() {
    auto state = plugin::ModuleState::Create(MakeServices());
    state->SetHostApp(host_);
    return state;
  }

  // Config.xml with the root named `product` and one parameter per pair (an
  // empty name gives a parameter without the attribute).
  static std::string ConfigText(const std::string& product,
                                const std::vector<std::pair<std::string, std::string>>& params) {
    std::string text = "<config name=\"" + product + "\"><parameters>";
    for (const auto& [name, value] : params) {
      text += name.empty() ? "<parameter>" : "<parameter name=\"" + name + "\">";
      text += value + "</parameter>";
    }
    return text + "</parameters></config>";
  }
  void WriteConfig(const std::string& product,
                   const std::vector<std::pair<std::string, std::string>>& params) {
    WriteConfigText(ConfigText(product, params));
  }
  // Config.xml naming `folder` as the documents folder, product "Clinora".
  void WriteConfig(const std::string& folder) {
    WriteConfig("Clinora", {{"documentsfolder", folder}});
  }
  void WriteConfigText(const std::string& text) { std::ofstream(ConfigPath()) << text; }

  TempDir dir_;
  ScopedEnv data_home_{"XDG_DATA_HOME", AppData()};
  RecordingUi ui_;
  FixedClock clock_{DateTime{2026, 3, 1, 9, 30, 0}};
  FaultyFileSystem fs_{RealFileSystem()};
  std::shared_ptr<FakeHost> host_ = std::make_shared<FakeHost>(dir_.path(), ui_, fs_);
};

}  // namespace lirvo::test_support
