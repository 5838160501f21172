#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include "plugin/cls_config.h"
#include "plugin/plugin_fixture.h"

namespace lirvo::plugin {
namespace {

class RegistryTest : public test_support::PluginFixture {
 protected:
  // A configuration whose documents folder is Documents().
  void Load() {
    WriteConfig(Documents());
    ASSERT_TRUE(config_.Init(ConfigPath()));
  }
  test_support::LoggingFramework& Fw() { return host_->framework; }

  std::shared_ptr<ModuleState> state_ = MakeState();
  clsConfig config_{*state_};
};

TEST_F(RegistryTest, EveryCommandGetsItsOwnIdentifierOnceAndIsFoundBothWays) {
  ASSERT_EQ(config_.ListaServices().Count(), std::size(kCommandKeys));
  std::set<int32_t> ids;
  for (std::string_view key : kCommandKeys) {
    const int32_t id = config_.IDService(key);
    EXPECT_NE(id, 0) << key;
    EXPECT_EQ(config_.KeyService(id), key);
    ids.insert(id);
  }
  EXPECT_EQ(ids.size(), std::size(kCommandKeys));

  // Keys compare without regard to case; unknown keys and identifiers give
  // nothing.
  EXPECT_EQ(config_.IDService("refertilirvo.REFERTI.stampa"),
            config_.IDService("RefertiLirvo.referti.stampa"));
  EXPECT_EQ(config_.IDService("RefertiLirvo.referti"), 0);
  EXPECT_EQ(config_.IDService(""), 0);
  EXPECT_EQ(config_.KeyService(77), "");  // issued to someone else
  EXPECT_EQ(config_.KeyService(0), "");
}

TEST_F(RegistryTest, AFailingGetNewIdLeavesIdentifierZeroAndNoButton) {
  Fw().failing = {"GetNewID#3"};  // RefertiLirvo.referti.storico
  Load();
  EXPECT_EQ(config_.IDService("RefertiLirvo.referti.storico"), 0);
  EXPECT_NE(config_.IDService("RefertiLirvo.referti.importa"), 0);
  EXPECT_EQ(config_.ListaServices().Count(), 9u);
  config_.InitGUI(host::Empty{});
  EXPECT_EQ(Fw().ButtonWithTooltip("Controllo storico referti scaricati"), nullptr);
  EXPECT_NE(Fw().ButtonWithTooltip("Importa i referti in elenco"), nullptr);
  EXPECT_EQ(Fw().Controls().size(), 8u);
  EXPECT_EQ(Fw().Inner().Tabs().at(0)->Groups().at(0)->Style(), 1);  // the tab's own group
}

// The skipped list shows its own button beside "Ultima"; with no summary
// at all, "Ultima" alone shows (the end-to-end scripts' ribbons).
TEST_F(RegistryTest, TheSkippedListShowsItsButton) {
  Load();
  std::ofstream(Documents() + "allReadyImported.rtf") << "x";
  config_.InitGUI(host::Empty{});
  EXPECT_TRUE(Fw().ButtonWithTooltip("Ultima elaborazione")->Visible());
  EXPECT_FALSE(Fw().ButtonWithTooltip("Verifica ultima elaborazione")->Visible());
  EXPECT_TRUE(Fw().ButtonWithTooltip("Ultimi referti tralascitati perchè già inseriti")->Visible());
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
  state_->SetHostApp(nullptr);
  EXPECT_EQ(config_.ListaServices().Count(), 9u);
  EXPECT_EQ(config_.IDService("RefertiLirvo.main"), 0);
  config_.InitGUI(host::Empty{});  // ends at the missing host
  EXPECT_TRUE(Fw().calls.empty());
}

}  // namespace
}  // namespace lirvo::plugin
