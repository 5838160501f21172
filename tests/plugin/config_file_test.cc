// The configuration read and written through the stand-in host's real XML
// object, on real files: what a person's Config.xml can look like.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "plugin/cls_config.h"
#include "plugin/plugin.h"
#include "plugin/plugin_fixture.h"
#include "standin/standin_host.h"

namespace lirvo::plugin {
namespace {

constexpr const char* kNotLoaded = "Non è stato possibile caricare il file di configurazione";
constexpr const char* kNoObject = "91 - Variabile oggetto o variabile del blocco With non impostata";

class ConfigFileTest : public testing::PluginFixture {
 protected:
  ConfigFileTest()
      : standin_(std::make_shared<standin::StandinHost>(dir_.path(), ui_, fs_, true)) {}

  void WriteFile(const std::string& text) { std::ofstream(ConfigPath()) << text; }
  std::string ReadFile() {
    std::ifstream in(ConfigPath());
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  // Registers a new plug-in with the stand-in host.
  std::unique_ptr<Plugin> Start() {
    auto plugin = std::make_unique<Plugin>(MakeServices());
    host::ParamArray p = host::ParamArray::Of({host::Variant{}});
    plugin->Evento("registrazione", standin_, p);
    return plugin;
  }

  std::shared_ptr<standin::StandinHost> standin_;
};

TEST_F(ConfigFileTest, FilesThatFailToStartThePlugin) {
  struct Case {
    const char* name;
    std::optional<std::string> content;  // nothing: no file
    const char* message;
    const char* title;
  } cases[] = {
      {"missing", std::nullopt, kNotLoaded, ""},
      {"empty", "", kNotLoaded, ""},
      {"malformed", "<config name=\"Clinora\"><parameters>", kNotLoaded, ""},
      {"not XML", "documentsfolder=/referti", kNotLoaded, ""},
      {"parameter without name",
       "<config name=\"Clinora\"><parameters><parameter>/x/</parameter></parameters></config>",
       kNoObject, "Clinora"},
  };
  for (const auto& c : cases) {
    std::remove(ConfigPath().c_str());
    if (c.content) WriteFile(*c.content);
    ui_.boxes.clear();
    auto plugin = Start();
    ASSERT_EQ(ui_.boxes.size(), 1u) << c.name;
    EXPECT_EQ(ui_.boxes[0].text, c.message) << c.name;
    EXPECT_EQ(ui_.boxes[0].style, 16) << c.name;
    EXPECT_EQ(ui_.boxes[0].title, c.title) << c.name;
    EXPECT_TRUE(plugin->State().PluginStopped) << c.name;
  }
}

TEST_F(ConfigFileTest, FilesThatLoad) {
  struct Case {
    const char* content;
    const char* folder;
  } cases[] = {
      {"<c name=\"P\"><parameters><parameter name=\"documentsfolder\">/a</parameter>"
       "<parameter name=\"documentsfolder\">/b/</parameter></parameters></c>",
       "/b/"},
      {"<c name=\"P\"/>", ""},
      {"<c name=\"P\"><parameters/></c>", ""},
      {"<?xml version=\"1.0\" encoding=\"windows-1252\"?><c name=\"P\"><parameters>"
       "<parameter name=\"documentsfolder\">/referti/citt\xe0</parameter></parameters></c>",
       "/referti/città/"},
  };
  for (const auto& c : cases) {
    WriteFile(c.content);
    auto plugin = Start();
    ASSERT_FALSE(plugin->State().PluginStopped) << c.content;
    EXPECT_EQ(plugin->State().Config().DocumentsFolder(), c.folder) << c.content;
    EXPECT_EQ(plugin->State().Config().ProductName(), "P");
  }
  EXPECT_TRUE(ui_.boxes.empty());
}

TEST_F(ConfigFileTest, ANewFolderIsWrittenBackOrNotAtAll) {
  WriteFile(
      "<c name=\"P\"><parameters><parameter name=\"documentsfolder\">/vecchia/</parameter>"
      "</parameters></c>");
  auto plugin = Start();
  clsConfig& config = plugin->State().Config();

  // The write fails (a read-only file on the host's platform): nothing
  // changes, on disk or in memory.
  const std::string before = ReadFile();
  fs_.FailOn(FsOp::kWrite, "Config.xml", kErrPermissionDenied);
  config.SetDocumentsFolder("/nuova/");
  EXPECT_EQ(config.DocumentsFolder(), "/vecchia/");
  EXPECT_EQ(ReadFile(), before);

  fs_.ClearFaults();
  config.SetDocumentsFolder("/nuova");
  EXPECT_EQ(config.DocumentsFolder(), "/nuova");
  auto again = Start();
  EXPECT_EQ(again->State().Config().DocumentsFolder(), "/nuova/");
}

}  // namespace
}  // namespace lirvo::plugin
