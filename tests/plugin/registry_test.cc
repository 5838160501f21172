#include <gtest/gtest.h>

#include <fstream>

#include "plugin/cls_config.h"
#include "plugin/plugin_fixture.h"

namespace lirvo::plugin {
namespace {

class RegistryTest : public testing::PluginFixture {
 protected:
  RegistryTest() : state_(MakeServices()) { state_.HostApp = host_; }

  // A configuration whose documents folder is Documents().
  void Load() {
    std::filesystem::create_directories(Documents());
    WriteConfig(Documents());
    ASSERT_TRUE(config_.Init(ConfigPath()));
  }
  void Touch(const std::string& name) { std::ofstream(Documents() + name) << "x"; }
  std::string Icon(const std::string& file) { return PluginFolder() + "/Styles/" + file; }
  testing::FakeFramework& Fw() { return host_->framework; }

  ModuleState state_;
  clsConfig config_{state_};
};

TEST_F(RegistryTest, TheRegistryIsBuiltOnceInOrder) {
  const ServiceCollection& first = config_.ListaServices();
  const ServiceCollection& second = config_.ListaServices();
  EXPECT_EQ(&first, &second);
  EXPECT_EQ(Fw().get_new_id_calls, 9);
  ASSERT_EQ(first.Count(), 9u);
  const char* keys[] = {"RefertiLirvo.main",
                        "RefertiLirvo.main.setup",
                        "RefertiLirvo.referti.storico",
                        "RefertiLirvo.referti.importa",
                        "RefertiLirvo.referti.rinuncia",
                        "RefertiLirvo.referti.stampa",
                        "RefertiLirvo.referti.last",
                        "RefertiLirvo.referti.lastUNREAD",
                        "RefertiLirvo.referti.lastDOUBLE"};
  for (size_t i = 0; i < 9; ++i) {
    const auto& item = *first.Items()[i];
    EXPECT_EQ(item.Key, keys[i]);
    EXPECT_EQ(item.ID, 1000 + static_cast<int32_t>(i));
    EXPECT_EQ(item.Endpoint, "");
    EXPECT_EQ(item.Biblio, "");
    EXPECT_TRUE(item.Usable);
    EXPECT_FALSE(item.Patient);
  }
  config_.KeyService(5);
  config_.IDService("x");
  EXPECT_EQ(Fw().get_new_id_calls, 9);
}

TEST_F(RegistryTest, LookUps) {
  EXPECT_EQ(config_.IDService("RefertiLirvo.referti.stampa"), 1005);
  EXPECT_EQ(config_.IDService("refertilirvo.REFERTI.stampa"), 1005);
  EXPECT_EQ(config_.IDService("RefertiLirvo.referti.lastunread"), 1007);
  EXPECT_EQ(config_.IDService("RefertiLirvo.referti"), 0);
  EXPECT_EQ(config_.IDService(""), 0);
  EXPECT_EQ(config_.KeyService(1008), "RefertiLirvo.referti.lastDOUBLE");
  EXPECT_EQ(config_.KeyService(1000), "RefertiLirvo.main");
  EXPECT_EQ(config_.KeyService(77), "");  // issued to someone else
  EXPECT_EQ(config_.KeyService(0), "");
}

TEST_F(RegistryTest, AFailingGetNewIdLeavesIdentifierZeroAndNoButton) {
  Fw().failing = {"GetNewID#3"};  // RefertiLirvo.referti.storico
  Load();
  EXPECT_EQ(config_.IDService("RefertiLirvo.referti.storico"), 0);
  EXPECT_EQ(config_.IDService("RefertiLirvo.referti.importa"), 1002);
  EXPECT_EQ(config_.ListaServices().Count(), 9u);
  config_.InitGUI(host::Empty{});
  EXPECT_EQ(Fw().ButtonWithTooltip("Controllo storico referti scaricati"), nullptr);
  EXPECT_NE(Fw().ButtonWithTooltip("Importa i referti in elenco"), nullptr);
  EXPECT_EQ(Fw().controls.size(), 8u);
}

TEST_F(RegistryTest, TheRibbonTabIsBuiltCallByCall) {
  Load();
  config_.InitGUI(host::Empty{});
  // The registry is built at the first look-up, after the first group.
  const std::vector<std::string>& calls = Fw().calls;
  const std::vector<std::string> expected = {
      "InsertRibbonTab(Referti Lirvo)",
      "AddGroup(Referti Lirvo, 1)",
      "GetNewID#1",
      "GetNewID#2",
      "GetNewID#3",
      "GetNewID#4",
      "GetNewID#5",
      "GetNewID#6",
      "GetNewID#7",
      "GetNewID#8",
      "GetNewID#9",
      "AddFileBitmap(" + Icon("RefertiLirvo.png") + ", 1000)",
      "InsertGroupControl(Referti Lirvo, 1000)",
      "InsertTabGroup(Referti Lirvo, Referti)",
      "AddFileBitmap(" + Icon("REFRecived.png") + ", 1002)",
      "InsertGroupButton(Referti, Storico, 1002, 4, False, Controllo storico referti scaricati)",
      "AddFileBitmap(" + Icon("REFImport.png") + ", 1003)",
      "InsertGroupButton(Referti, Importa, 1003, 4, True, Importa i referti in elenco)",
      "AddFileBitmap(" + Icon("REFClear.png") + ", 1004)",
      "InsertGroupButton(Referti, Rinuncia, 1004, 4, False, Forza ad importati i referti in "
      "elenco)",
      "AddFileBitmap(" + Icon("REFPrint.png") + ", 1005)",
      "InsertGroupButton(Referti, Stampa, 1005, 4, True, Stampa un rapportino dei referti in "
      "elenco)",
      "InsertTabGroup(Referti Lirvo, Strumenti)",
      "AddFileBitmap(" + Icon("REFLast.png") + ", 1006)",
      "InsertGroupButton(Strumenti, Ultima, 1006, 4, True, Ultima elaborazione)",
      "AddFileBitmap(" + Icon("REFLastUnRead.png") + ", 1007)",
      "InsertGroupButton(Strumenti, Ultima, 1007, 4, True, Verifica ultima elaborazione)",
      "AddFileBitmap(" + Icon("REFLastDouble.png") + ", 1008)",
      "InsertGroupButton(Strumenti, Doppi, 1008, 4, True, Ultimi referti tralascitati perchè già "
      "inseriti)",
      "AddFileBitmap(" + Icon("REFConfig.png") + ", 1001)",
      "InsertGroupButton(Strumenti, Opzioni, 1001, 4, True, Configurazione della procedura)",
  };
  EXPECT_EQ(calls, expected);

  // Enabled and visible at start (no summaries in the documents folder).
  struct State {
    const char* tooltip;
    bool enabled;
    bool visible;
  } states[] = {{"Controllo storico referti scaricati", true, true},
                {"Importa i referti in elenco", false, true},
                {"Forza ad importati i referti in elenco", false, true},
                {"Stampa un rapportino dei referti in elenco", false, true},
                {"Ultima elaborazione", true, true},
                {"Verifica ultima elaborazione", true, false},
                {"Ultimi referti tralascitati perchè già inseriti", true, false},
                {"Configurazione della procedura", true, true}};
  for (const auto& s : states) {
    const auto* button = Fw().ButtonWithTooltip(s.tooltip);
    ASSERT_NE(button, nullptr) << s.tooltip;
    EXPECT_EQ(button->enabled, s.enabled) << s.tooltip;
    EXPECT_EQ(button->visible, s.visible) << s.tooltip;
  }
}

TEST_F(RegistryTest, TheSummariesDecideWhichButtonsShow) {
  Load();
  Touch("lastUnReadImport.rtf");
  Touch("allReadyImported.rtf");
  config_.InitGUI(host::Empty{});
  EXPECT_FALSE(Fw().ButtonWithTooltip("Ultima elaborazione")->visible);
  EXPECT_TRUE(Fw().ButtonWithTooltip("Verifica ultima elaborazione")->visible);
  EXPECT_TRUE(Fw().ButtonWithTooltip("Ultimi referti tralascitati perchè già inseriti")->visible);
}

TEST_F(RegistryTest, TheRibbonStopsAtTheFirstErrorKeepingWhatItBuilt) {
  Load();
  Fw().failing = {"InsertTabGroup(Referti Lirvo, Strumenti)"};
  config_.InitGUI(host::Empty{});
  EXPECT_EQ(Fw().controls.size(), 5u);  // the group control and the four Referti buttons
  EXPECT_EQ(Fw().ButtonWithTooltip("Ultima elaborazione"), nullptr);

  // A button that comes back as Nothing ends the construction right there.
  testing::FakeFramework& fw = Fw();
  fw.failing.clear();
  fw.controls.clear();
  fw.returning_nothing = {"InsertGroupButton(Referti, Rinuncia"};
  config_.InitGUI(host::Empty{});
  EXPECT_EQ(fw.controls.size(), 3u);
  EXPECT_EQ(fw.calls.back(),
            "InsertGroupButton(Referti, Rinuncia, 1004, 4, False, Forza ad importati i referti in "
            "elenco)");

  // No tab at all: nothing is added.
  fw.controls.clear();
  fw.returning_nothing = {"InsertRibbonTab"};
  config_.InitGUI(host::Empty{});
  EXPECT_TRUE(fw.controls.empty());
}

TEST_F(RegistryTest, WithoutHostTheRegistryHoldsNineZeroIdentifiers) {
  state_.HostApp.reset();
  EXPECT_EQ(config_.ListaServices().Count(), 9u);
  EXPECT_EQ(config_.IDService("RefertiLirvo.main"), 0);
  config_.InitGUI(host::Empty{});  // ends at the missing host
  state_.HostApp = host_;
  EXPECT_EQ(Fw().get_new_id_calls, 0);
  EXPECT_TRUE(Fw().calls.empty());
}

}  // namespace
}  // namespace lirvo::plugin
