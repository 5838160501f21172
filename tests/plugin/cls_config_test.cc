#include "plugin/cls_config.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "plugin/plugin_fixture.h"
#include "plugin/special_folders.h"

namespace lirvo::plugin {
namespace {

using testing::ConfigTree;
using testing::FakeXmlNode;

constexpr const char* kNotLoaded = "Non è stato possibile caricare il file di configurazione";

class ConfigTest : public testing::PluginFixture {
 protected:
  ConfigTest() : state_(MakeServices()) { state_.HostApp = host_; }

  ModuleState state_;
  clsConfig config_{state_};
};

TEST_F(ConfigTest, DocumentsFolderGetsOneTrailingSeparator) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {{"/data/referti", "/data/referti/"},
               {"/data/referti/", "/data/referti/"},
               {" /spazi ", " /spazi /"}};
  for (const auto& c : cases) {
    WriteConfig(c.in);
    clsConfig config(state_);
    ASSERT_TRUE(config.Init(ConfigPath())) << c.in;
    EXPECT_EQ(config.DocumentsFolder(), c.out);
    EXPECT_EQ(config.Filename(), ConfigPath());
    EXPECT_EQ(config.ProductName(), "Clinora");
    EXPECT_EQ(config.LastError(), "");
  }
}

TEST_F(ConfigTest, EmptyDocumentsFolderFallsBackToTheUserDataFolder) {
  WriteConfig("");
  ASSERT_TRUE(config_.Init(ConfigPath()));
  const std::string expected = AppData() + "/Vantrel/Clinora V6/RefertiLirvo/";
  EXPECT_EQ(config_.DocumentsFolder(), expected);
  EXPECT_TRUE(std::filesystem::is_directory(AppData() + "/Vantrel"));
  EXPECT_TRUE(std::filesystem::is_directory(AppData() + "/Vantrel/Clinora V6"));
  EXPECT_TRUE(std::filesystem::is_directory(expected));
}

TEST_F(ConfigTest, EmptyDocumentsFolderWithoutUserDataFolderFallsBackToThePluginFolder) {
  WriteConfig("");
  // A level that cannot be created.
  fs_.FailOn(FsOp::kCreateDirectory, "Clinora V6", kErrPermissionDenied);
  ASSERT_TRUE(config_.Init(ConfigPath()));
  EXPECT_EQ(config_.DocumentsFolder(), PluginFolder() + "/");
  EXPECT_FALSE(std::filesystem::exists(AppData() + "/Vantrel/Clinora V6"));

  // No application-data folder at all.
  ::unsetenv("XDG_DATA_HOME");
  const auto home = Getenv("HOME");
  ::unsetenv("HOME");
  clsConfig config(state_);
  ASSERT_TRUE(config.Init(ConfigPath()));
  EXPECT_EQ(config.DocumentsFolder(), PluginFolder() + "/");
  if (home) ::setenv("HOME", home->c_str(), 1);
}

TEST_F(ConfigTest, FilesWithoutTheSettingLoadWithAnEmptyFolder) {
  auto bare = std::make_shared<FakeXmlNode>("config");
  bare->Attr("name", "Prodotto");
  host_->xml_files.roots[ConfigPath()] = bare;  // no parameters element
  ASSERT_TRUE(config_.Init(ConfigPath()));
  EXPECT_EQ(config_.DocumentsFolder(), "");
  EXPECT_EQ(config_.ProductName(), "Prodotto");

  // The name is compared exactly: "DocumentsFolder" is another setting.
  host_->xml_files.roots[ConfigPath()] =
      ConfigTree("P", {{"DocumentsFolder", "/x/"}, {"altro", "/y/"}});
  clsConfig config(state_);
  ASSERT_TRUE(config.Init(ConfigPath()));
  EXPECT_EQ(config.DocumentsFolder(), "");
}

TEST_F(ConfigTest, TheLastDocumentsFolderWins) {
  host_->xml_files.roots[ConfigPath()] =
      ConfigTree("P", {{"documentsfolder", "/prima"}, {"documentsfolder", "/seconda"}});
  ASSERT_TRUE(config_.Init(ConfigPath()));
  EXPECT_EQ(config_.DocumentsFolder(), "/seconda/");
}

TEST_F(ConfigTest, AFileThatDoesNotLoadFails) {
  ASSERT_FALSE(config_.Init(ConfigPath()));  // no such file
  EXPECT_EQ(config_.LastError(), kNotLoaded);
  EXPECT_EQ(config_.Filename(), "");
  EXPECT_EQ(config_.ProductName(), "");
  EXPECT_EQ(config_.DocumentsFolder(), "");
}

TEST_F(ConfigTest, RuntimeErrorsWhileReadingBecomeTheLastError) {
  // A parameter without its name, after a good one.
  host_->xml_files.roots[ConfigPath()] =
      ConfigTree("P", {{"documentsfolder", "/d"}, {"", "/senza-nome"}});
  ASSERT_FALSE(config_.Init(ConfigPath()));
  EXPECT_EQ(config_.LastError(),
            "91 - Variabile oggetto o variabile del blocco With non impostata");
  EXPECT_EQ(config_.Filename(), ConfigPath());  // remembered before reading

  // The host cannot make an XML object.
  host_->new_xml_fails = true;
  clsConfig config(state_);
  ASSERT_FALSE(config.Init(ConfigPath()));
  EXPECT_EQ(config.LastError(), "429 - Il componente ActiveX non può creare l'oggetto");

  // No host at all.
  state_.HostApp.reset();
  clsConfig orphan(state_);
  ASSERT_FALSE(orphan.Init(ConfigPath()));
  EXPECT_EQ(orphan.LastError().substr(0, 5), "91 - ");
}

TEST_F(ConfigTest, SettingTheFolderWritesTheFileFirst) {
  WriteConfig("/vecchia/");
  ASSERT_TRUE(config_.Init(ConfigPath()));
  config_.SetDocumentsFolder("/nuova");
  EXPECT_EQ(config_.DocumentsFolder(), "/nuova");  // stored unchanged
  ASSERT_EQ(host_->xml_files.saves, std::vector<std::string>{ConfigPath()});
  clsConfig reread(state_);
  ASSERT_TRUE(reread.Init(ConfigPath()));
  EXPECT_EQ(reread.DocumentsFolder(), "/nuova/");
}

TEST_F(ConfigTest, SettingTheFolderThatCannotBeSavedKeepsTheOldValue) {
  WriteConfig("/vecchia/");
  ASSERT_TRUE(config_.Init(ConfigPath()));
  host_->xml_files.failing_saves.insert(ConfigPath());
  config_.SetDocumentsFolder("/nuova/");
  EXPECT_EQ(config_.DocumentsFolder(), "/vecchia/");
  EXPECT_TRUE(host_->xml_files.saves.empty());
}

TEST_F(ConfigTest, SettingTheFolderWithoutDocumentOrSettingDoesNothing) {
  clsConfig fresh(state_);  // never initialised
  fresh.SetDocumentsFolder("/x/");
  EXPECT_EQ(fresh.DocumentsFolder(), "");

  clsConfig failed(state_);  // the file did not load
  ASSERT_FALSE(failed.Init(ConfigPath()));
  failed.SetDocumentsFolder("/x/");
  EXPECT_EQ(failed.DocumentsFolder(), "");

  host_->xml_files.roots[ConfigPath()] = ConfigTree("P", {{"altro", "1"}});
  ASSERT_TRUE(config_.Init(ConfigPath()));
  config_.SetDocumentsFolder("/x/");
  EXPECT_EQ(config_.DocumentsFolder(), "");
  EXPECT_TRUE(host_->xml_files.saves.empty());
  EXPECT_EQ(host_->xml_files.roots[ConfigPath()]->Children()[0]->Children().size(), 1u);
}

TEST(SpecialFoldersTest, AppDataFollowsTheEnvironment) {
  const char* xdg = ::getenv("XDG_DATA_HOME");
  const std::string saved_xdg = xdg ? xdg : "";
  const char* home = ::getenv("HOME");
  const std::string saved_home = home ? home : "";

  ::setenv("XDG_DATA_HOME", "/dati/utente/", 1);
  EXPECT_EQ(SpecialFolderPath(kFolderAppData), "/dati/utente");
  ::unsetenv("XDG_DATA_HOME");
  ::setenv("HOME", "/home/medico", 1);
  EXPECT_EQ(SpecialFolderPath(kFolderAppData), "/home/medico/.local/share");
  EXPECT_EQ(SpecialFolderPath(5), "");

  if (xdg) ::setenv("XDG_DATA_HOME", saved_xdg.c_str(), 1);
  if (home) ::setenv("HOME", saved_home.c_str(), 1);
}

}  // namespace
}  // namespace lirvo::plugin
