// The configuration read and written through the stand-in host's XML object,
// on real files.
#include "plugin/cls_config.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <functional>

#include "base/files.h"
#include "forms/frm_config.h"
#include "plugin/plugin_fixture.h"
#include "plugin/special_folders.h"
#include "support/scoped_env.h"
#include "support/trap_recorder.h"

namespace lirvo::plugin {
namespace {

constexpr const char* kNotLoaded = "Non è stato possibile caricare il file di configurazione";

class ConfigTest : public test_support::PluginFixture {
 protected:
  std::string ReadConfig() { return ReadTextFile(RealFileSystem(), ConfigPath()); }

  std::shared_ptr<ModuleState> state_ = MakeState();
  clsConfig config_{*state_};
};

TEST_F(ConfigTest, FilesThatLoad) {
  const std::string folder = "documentsfolder";
  struct Case {
    std::string content;
    const char* folder;
  } cases[] = {
      // One trailing separator, added when missing; blanks are kept.
      {ConfigText("P", {{folder, "/data/referti"}}), "/data/referti/"},
      {ConfigText("P", {{folder, "/data/referti/"}}), "/data/referti/"},
      {ConfigText("P", {{folder, " /spazi "}}), " /spazi /"},
      {ConfigText("P", {{folder, "/prima"}, {folder, "/seconda"}}), "/seconda/"},  // the last wins
      // No setting: an empty folder, no default. The name is compared exactly.
      {"<c name=\"P\"/>", ""},
      {ConfigText("P", {}), ""},
      {ConfigText("P", {{"DocumentsFolder", "/x/"}, {"altro", "/y/"}}), ""},
      {"<?xml version=\"1.0\" encoding=\"windows-1252\"?>" +
           ConfigText("P", {{folder, "/referti/citt\xe0"}}),
       "/referti/città/"},
  };
  for (const auto& c : cases) {
    WriteConfigText(c.content);
    clsConfig config(*state_);
    ASSERT_TRUE(config.Init(ConfigPath())) << c.content;
    EXPECT_EQ(config.DocumentsFolder(), c.folder) << c.content;
    EXPECT_EQ(config.ProductName(), "P");
  }
}

TEST_F(ConfigTest, EmptyDocumentsFolderFallsBackToTheUserDataFolderThenThePluginFolder) {
  WriteConfig("");
  ASSERT_TRUE(config_.Init(ConfigPath()));
  const std::string expected = AppData() + "/Vantrel/Clinora V6/RefertiLirvo/";
  EXPECT_EQ(config_.DocumentsFolder(), expected);
  EXPECT_TRUE(std::filesystem::is_directory(expected));  // every level made

  std::filesystem::remove_all(AppData() + "/Vantrel");
  fs_.FailOn(FsOp::kMakeDirectory, "Clinora V6",
             kErrPermissionDenied);  // a level that cannot be made
  clsConfig denied(*state_);
  ASSERT_TRUE(denied.Init(ConfigPath()));
  EXPECT_EQ(denied.DocumentsFolder(), PluginFolder() + "/");
  EXPECT_FALSE(std::filesystem::exists(AppData() + "/Vantrel/Clinora V6"));

  // No application-data folder at all.
  fs_.ClearFaults();
  test_support::ScopedEnv no_data_home("XDG_DATA_HOME", std::nullopt);
  test_support::ScopedEnv no_home("HOME", std::nullopt);
  clsConfig config(*state_);
  ASSERT_TRUE(config.Init(ConfigPath()));
  EXPECT_EQ(config.DocumentsFolder(), PluginFolder() + "/");
}

TEST_F(ConfigTest, FilesThatFail) {
  struct Case {
    const char* name;
    std::optional<std::string> content;  // nothing: no file
    const char* error;
    bool file_remembered;
  } cases[] = {
      {"missing", std::nullopt, kNotLoaded, false},
      {"empty", "", kNotLoaded, false},
      {"malformed", "<config name=\"Clinora\"><parameters>", kNotLoaded, false},
      {"not XML", "documentsfolder=/referti", kNotLoaded, false},
      // A parameter without its name, after a good one: remembered before reading.
      {"parameter without name", ConfigText("P", {{"documentsfolder", "/d"}, {"", "/x/"}}),
       "91 - Variabile oggetto o variabile del blocco With non impostata", true},
  };
  for (const auto& c : cases) {
    std::filesystem::remove(ConfigPath());
    if (c.content) WriteConfigText(*c.content);
    clsConfig config(*state_);
    ASSERT_FALSE(config.Init(ConfigPath())) << c.name;
    EXPECT_EQ(config.LastError(), c.error) << c.name;
    EXPECT_EQ(config.Filename(), c.file_remembered ? ConfigPath() : "") << c.name;
  }

  // The host cannot make an XML object: its error's number and text, and
  // the trap is reported.
  host_->new_xml_fails = true;
  clsConfig config(*state_);
  test_support::TrapRecorder recorder;
  ASSERT_FALSE(config.Init(ConfigPath()));
  EXPECT_EQ(config.LastError(), "429 - Il componente ActiveX non può creare l'oggetto");
  ASSERT_EQ(recorder.traps.size(), 1u);
  EXPECT_EQ(recorder.traps[0].where, "clsConfig.Init");
  EXPECT_EQ(recorder.traps[0].number, 429);
  EXPECT_TRUE(recorder.traps[0].runtime_error);

  // No host at all.
  state_->SetHostApp(nullptr);
  clsConfig orphan(*state_);
  ASSERT_FALSE(orphan.Init(ConfigPath()));
  EXPECT_EQ(orphan.LastError().substr(0, 5), "91 - ");
}

// A write that fails changes nothing: TheDialogsFolderIsAppliedAtOnceOrNotAtAll.
TEST_F(ConfigTest, SettingTheFolderWritesTheFileFirst) {
  WriteConfig("/vecchia/");
  ASSERT_TRUE(config_.Init(ConfigPath()));
  config_.SetDocumentsFolder("/nuova");
  EXPECT_EQ(config_.DocumentsFolder(), "/nuova");  // stored unchanged
  clsConfig reread(*state_);
  ASSERT_TRUE(reread.Init(ConfigPath()));
  EXPECT_EQ(reread.DocumentsFolder(), "/nuova/");
}

TEST_F(ConfigTest, SettingTheFolderWithoutDocumentOrSettingDoesNothing) {
  clsConfig failed(*state_);  // the file did not load: no document
  ASSERT_FALSE(failed.Init(ConfigPath()));
  failed.SetDocumentsFolder("/x/");
  EXPECT_EQ(failed.DocumentsFolder(), "");

  WriteConfig("P", {{"altro", "1"}});
  const std::string before = ReadConfig();
  ASSERT_TRUE(config_.Init(ConfigPath()));
  config_.SetDocumentsFolder("/x/");
  EXPECT_EQ(config_.DocumentsFolder(), "");
  EXPECT_EQ(ReadConfig(), before);  // no element added
}

// A folder applied in the configuration dialog reaches Config.xml at once
// (pinned by the end-to-end scripts). When the file cannot be replaced the
// old folder stays, on disk and in memory, the dialog still reports the
// folder applied, and no temporary file is left behind.
TEST_F(ConfigTest, TheDialogsFolderIsAppliedAtOnceOrNotAtAll) {
  for (const std::function<void()>& inject : std::vector<std::function<void()>>{
           [&] { fs_.FailWithOsError(FsOp::kWrite, "Config.xml", ENOSPC); },
           [&] { fs_.FailOn(FsOp::kRename, "Config.xml", kErrPermissionDenied); },
       }) {
    fs_.ClearFaults();
    WriteConfig(Documents());
    auto config = std::make_shared<clsConfig>(*state_);
    ASSERT_TRUE(config->Init(ConfigPath()));
    state_->SetAppConfig(config);
    const std::string before = ReadConfig();
    inject();

    test_support::TrapRecorder traps;
    ui_.QueueFolder(AppData());
    ui_.QueueModalAction({"frmConfig", {"Command1", "Applica"}});
    EXPECT_TRUE(forms::ShowConfigDialog(*state_));
    EXPECT_EQ(state_->DocumentsFolder(), Documents());
    EXPECT_EQ(traps.traps.size(), 1u);
    EXPECT_EQ(ReadConfig(), before);
    const auto files = std::filesystem::directory_iterator(PluginFolder());
    EXPECT_EQ(std::distance(begin(files), end(files)), 1);  // Config.xml alone
  }
}

TEST(SpecialFoldersTest, AppDataFollowsTheEnvironment) {
  using test_support::ScopedEnv;
  {
    ScopedEnv data_home("XDG_DATA_HOME", "/dati/utente/");
    EXPECT_EQ(SpecialFolderPath(kFolderAppData), "/dati/utente");
  }
  ScopedEnv no_data_home("XDG_DATA_HOME", std::nullopt);
  ScopedEnv home("HOME", "/home/medico");
  EXPECT_EQ(SpecialFolderPath(kFolderAppData), "/home/medico/.local/share");
  EXPECT_EQ(SpecialFolderPath(5), "");
}

}  // namespace
}  // namespace lirvo::plugin
