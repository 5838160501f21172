#include <gtest/gtest.h>

#include <fstream>

#include "plugin/cls_config.h"
#include "plugin/plugin_fixture.h"

namespace lirvo::plugin {
namespace {

class RegistryTest : public test_support::PluginFixture {
 protected:
  RegistryTest() : state_(MakeServices()) { state_.HostApp = host_; }

  // A configuration whose documents folder is Documents().
  void Load() {
    WriteConfig(Documents());
    ASSERT_TRUE(config_.Init(ConfigPath()));
  }
  std::string Icon(const std::string& file) { return PluginFolder() + "/Styles/" + file; }
  test_support::LoggingFramework& Fw() { return host_->framework; }

  ModuleState state_;
  clsConfig config_{state_};
};

TEST_F(RegistryTest, TheRegistryIsBuiltOnceInOrderAndLookedUp) {
  const ServiceCollection& first = config_.ListaServices();
  EXPECT_EQ(&first, &config_.ListaServices());
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
    EXPECT_EQ(item.ID, 1001 + static_cast<int32_t>(i));
    EXPECT_EQ(item.Endpoint, "");
    EXPECT_EQ(item.Biblio, "");
    EXPECT_TRUE(item.Usable);
    EXPECT_FALSE(item.Patient);
  }

  EXPECT_EQ(config_.IDService("RefertiLirvo.referti.stampa"), 1006);
  EXPECT_EQ(config_.IDService("refertilirvo.REFERTI.stampa"), 1006);
  EXPECT_EQ(config_.IDService("RefertiLirvo.referti.lastunread"), 1008);
  EXPECT_EQ(config_.IDService("RefertiLirvo.referti"), 0);
  EXPECT_EQ(config_.IDService(""), 0);
  EXPECT_EQ(config_.KeyService(1009), "RefertiLirvo.referti.lastDOUBLE");
  EXPECT_EQ(config_.KeyService(1001), "RefertiLirvo.main");
  EXPECT_EQ(config_.KeyService(77), "");  // issued to someone else
  EXPECT_EQ(config_.KeyService(0), "");
  EXPECT_EQ(Fw().get_new_id_calls, 9);
}

TEST_F(RegistryTest, AFailingGetNewIdLeavesIdentifierZeroAndNoButton) {
  Fw().failing = {"GetNewID#3"};  // RefertiLirvo.referti.storico
  Load();
  EXPECT_EQ(config_.IDService("RefertiLirvo.referti.storico"), 0);
  EXPECT_EQ(config_.IDService("RefertiLirvo.referti.importa"), 1003);
  EXPECT_EQ(config_.ListaServices().Count(), 9u);
  config_.InitGUI(host::Empty{});
  EXPECT_EQ(Fw().ButtonWithTooltip("Controllo storico referti scaricati"), nullptr);
  EXPECT_NE(Fw().ButtonWithTooltip("Importa i referti in elenco"), nullptr);
  EXPECT_EQ(Fw().Controls().size(), 8u);
}

// The ribbon buttons in the order they are built.
struct Button {
  const char* group;
  const char* caption;
  int32_t id;
  bool flag;
  const char* tooltip;
  const char* icon;
  bool enabled;
  bool visible_skipped;  // only the summary of skipped reports in the documents folder
  bool visible_unread;   // only the summary of unread reports there
};
const Button kButtons[] = {
    {"Referti", "Storico", 1003, false, "Controllo storico referti scaricati", "REFRecived.png",
     true, true, true},
    {"Referti", "Importa", 1004, true, "Importa i referti in elenco", "REFImport.png", false, true,
     true},
    {"Referti", "Rinuncia", 1005, false, "Forza ad importati i referti in elenco", "REFClear.png",
     false, true, true},
    {"Referti", "Stampa", 1006, true, "Stampa un rapportino dei referti in elenco", "REFPrint.png",
     false, true, true},
    {"Strumenti", "Ultima", 1007, true, "Ultima elaborazione", "REFLast.png", true, true, false},
    {"Strumenti", "Ultima", 1008, true, "Verifica ultima elaborazione", "REFLastUnRead.png", true,
     false, true},
    {"Strumenti", "Doppi", 1009, true, "Ultimi referti tralascitati perchè già inseriti",
     "REFLastDouble.png", true, true, false},
    {"Strumenti", "Opzioni", 1002, true, "Configurazione della procedura", "REFConfig.png", true,
     true, true},
};

TEST_F(RegistryTest, TheRibbonTabIsBuiltCallByCall) {
  Load();
  config_.InitGUI(host::Empty{});
  // The registry is built at the first look-up, after the first group.
  std::vector<std::string> expected = {"InsertRibbonTab(Referti Lirvo)"};
  for (int i = 1; i <= 9; ++i) expected.push_back("GetNewID#" + std::to_string(i));
  expected.push_back("AddFileBitmap(" + Icon("RefertiLirvo.png") + ", 1001)");
  expected.push_back("InsertGroupControl(Referti Lirvo, 1001)");
  std::string group;
  for (const auto& b : kButtons) {
    if (b.group != group)
      expected.push_back("InsertTabGroup(Referti Lirvo, " + (group = b.group) + ")");
    const std::string id = std::to_string(b.id);
    expected.push_back("AddFileBitmap(" + Icon(b.icon) + ", " + id + ")");
    expected.push_back("InsertGroupButton(" + group + ", " + b.caption + ", " + id + ", 4, " +
                       (b.flag ? "True" : "False") + ", " + b.tooltip + ")");
  }
  EXPECT_EQ(Fw().calls, expected);
  // The first group comes from the tab itself.
  const auto& groups = Fw().Inner().Tabs().at(0)->Groups();
  ASSERT_EQ(groups.size(), 3u);
  EXPECT_EQ(groups[0]->Caption(), "Referti Lirvo");
  EXPECT_EQ(groups[0]->Style(), 1);
}

TEST_F(RegistryTest, TheSummariesDecideWhichButtonsShow) {
  Load();
  for (const char* summary : {"allReadyImported.rtf", "lastUnReadImport.rtf"}) {
    std::filesystem::remove_all(Documents());
    std::filesystem::create_directories(Documents());
    std::ofstream(Documents() + summary) << "x";
    config_.InitGUI(host::Empty{});
    const bool unread = summary == std::string("lastUnReadImport.rtf");
    for (const auto& b : kButtons) {
      const auto* button = Fw().ButtonWithTooltip(b.tooltip);
      ASSERT_NE(button, nullptr) << b.tooltip;
      EXPECT_EQ(button->Enabled(), b.enabled) << b.tooltip;
      EXPECT_EQ(button->Visible(), unread ? b.visible_unread : b.visible_skipped) << b.tooltip;
    }
  }
}

TEST_F(RegistryTest, TheRibbonStopsAtTheFirstErrorKeepingWhatItBuilt) {
  Load();
  Fw().failing = {"InsertTabGroup(Referti Lirvo, Strumenti)"};
  config_.InitGUI(host::Empty{});
  EXPECT_EQ(Fw().Controls().size(), 5u);  // the group control and the four Referti buttons
  EXPECT_EQ(Fw().ButtonWithTooltip("Ultima elaborazione"), nullptr);

  // A button that comes back as Nothing ends the construction right there.
  Fw().failing.clear();
  Fw().returning_nothing = {"InsertGroupButton(Referti, Rinuncia"};
  config_.InitGUI(host::Empty{});
  EXPECT_EQ(Fw().Controls().size(), 3u);
  EXPECT_EQ(Fw().calls.back(),
            "InsertGroupButton(Referti, Rinuncia, 1005, 4, False, Forza ad importati i referti in "
            "elenco)");

  // No tab at all: nothing is added.
  Fw().returning_nothing = {"InsertRibbonTab"};
  const size_t calls = Fw().calls.size();
  config_.InitGUI(host::Empty{});
  EXPECT_EQ(Fw().calls.size(), calls + 1);
  EXPECT_EQ(Fw().Inner().Tabs().size(), 1u);  // each build took the place of the one before
}

TEST_F(RegistryTest, WithoutHostTheRegistryHoldsNineZeroIdentifiers) {
  state_.HostApp.reset();
  EXPECT_EQ(config_.ListaServices().Count(), 9u);
  EXPECT_EQ(config_.IDService("RefertiLirvo.main"), 0);
  config_.InitGUI(host::Empty{});  // ends at the missing host
  EXPECT_TRUE(Fw().calls.empty());
}

}  // namespace
}  // namespace lirvo::plugin
