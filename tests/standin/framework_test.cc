#include "standin/framework.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/runtime_error.h"
#include "controls/scripted_ui.h"
#include "standin/chart_json.h"

namespace lirvo::standin {
namespace {

class Form final : public host::EmbeddedForm {
 public:
  std::string Name() const override { return "frmRefertiLirvo"; }
};

class FrameworkTest : public ::testing::Test {
 protected:
  FrameworkTest() {
    fw_.SetCallHook([this](const std::string& call, std::vector<host::Variant> args) {
      calls_.push_back(HostCallToJson(call, args).dump());
    });
  }
  ui::ScriptedUi ui_;
  StandinFramework fw_{ui_};
  std::vector<std::string> calls_;
};

TEST_F(FrameworkTest, ASecondTabOfOneCaptionTakesTheFirstOnesPlace) {
  auto first = fw_.InsertRibbonTab("Referti Lirvo");
  fw_.InsertGroupButton(*fw_.InsertTabGroup(*first, "Referti"), "Importa", 1004, 4, true, "");
  fw_.InsertRibbonTab("Altro");
  auto again = fw_.InsertRibbonTab("Referti Lirvo");
  ASSERT_EQ(fw_.Tabs().size(), 2u);
  EXPECT_EQ(fw_.Tabs()[0], again);
  EXPECT_TRUE(fw_.Tabs()[0]->Groups().empty());
  EXPECT_EQ(fw_.Tabs()[1]->Caption(), "Altro");
  EXPECT_EQ(fw_.FindRibbonControl(1004), nullptr);
}

TEST_F(FrameworkTest, RibbonKeepsInsertionOrderAndEveryAttribute) {
  auto tab = fw_.InsertRibbonTab("Referti Lirvo");
  auto first = tab->AddGroup("Referti Lirvo", 1);
  fw_.AddFileBitmap("/i/plugin/Styles/RefertiLirvo.png", 1001);
  auto main = fw_.InsertGroupControl(*first, 1001);
  auto group = fw_.InsertTabGroup(*tab, "Referti");
  fw_.AddFileBitmap("/i/plugin/Styles/REFImport.png", 1004);
  auto importa = fw_.InsertGroupButton(*group, "Importa", 1004, 4, true, "Importa i referti");
  importa->SetEnabled(false);
  auto stampa = fw_.InsertGroupButton(*group, "Stampa", 1006, 4, false, "Stampa");
  stampa->SetVisible(false);

  EXPECT_EQ(fw_.FindRibbonControl(1004), importa);
  EXPECT_EQ(fw_.FindRibbonControl(1001), main);
  EXPECT_EQ(fw_.FindRibbonControl(999), nullptr);

  EXPECT_EQ(RibbonToJson(fw_).dump(),
            R"({"type":"ribbon","active_tab":"Clinora","tabs":[{"caption":"Referti Lirvo",)"
            R"("groups":[{"caption":"Referti Lirvo","style":1,"controls":[{"kind":"group",)"
            R"("id":1001,"caption":"Referti Lirvo","tooltip":"",)"
            R"("icon":"/i/plugin/Styles/RefertiLirvo.png","style":0,"flag":false,)"
            R"("enabled":true,"visible":true}]},{"caption":"Referti","style":0,"controls":[)"
            R"({"kind":"button","id":1004,"caption":"Importa","tooltip":"Importa i referti",)"
            R"("icon":"/i/plugin/Styles/REFImport.png","style":4,"flag":true,"enabled":false,)"
            R"("visible":true},{"kind":"button","id":1006,"caption":"Stampa",)"
            R"("tooltip":"Stampa","icon":"","style":4,"flag":false,"enabled":true,)"
            R"("visible":false}]}]}]})");

  // Groups made elsewhere are a type mismatch.
  class OtherGroup final : public host::RibbonGroup {
   public:
    std::string Caption() const override { return "x"; }
  } other;
  EXPECT_THAT([&] { fw_.InsertGroupButton(other, "A", 1, 4, false, ""); },
              ::testing::Throws<RuntimeError>(
                  ::testing::Property(&RuntimeError::Number, kErrTypeMismatch)));
}

TEST_F(FrameworkTest, ChildWindowsAreFoundByCaption) {
  EXPECT_FALSE(fw_.OpenChild("frmMDI", false, "Referti Lirvo"));
  auto child = fw_.CreateChildForm(std::make_shared<Form>());
  ASSERT_NE(child, nullptr);
  EXPECT_FALSE(fw_.OpenChild("frmMDI", false, "Referti Lirvo"));  // not captioned yet
  child->SetCaption("Referti Lirvo");
  child->SetIcon("icon");
  child->Show();
  EXPECT_TRUE(fw_.OpenChild("frmMDI", false, "Referti Lirvo"));
  EXPECT_FALSE(fw_.OpenChild("frmMDI", false, "referti lirvo"));
  ASSERT_EQ(fw_.Children().size(), 1u);
  EXPECT_TRUE(fw_.Children()[0]->Shown());
  EXPECT_EQ(fw_.ActiveChild(), fw_.Children()[0]);

  EXPECT_TRUE(fw_.CloseChild("Referti Lirvo"));
  EXPECT_FALSE(fw_.CloseChild("Referti Lirvo"));
  EXPECT_FALSE(fw_.OpenChild("frmMDI", false, "Referti Lirvo"));
  EXPECT_EQ(fw_.ActiveChild(), nullptr);
  EXPECT_THROW(fw_.CreateChildForm(nullptr), RuntimeError);
}

TEST_F(FrameworkTest, VisibleCallsReachTheHookAndIdsAreUniquePerHost) {
  fw_.ActivateTab("Referti Lirvo");
  EXPECT_EQ(fw_.ActiveTab(), "Referti Lirvo");
  fw_.SetMainRibbonTab();
  EXPECT_EQ(fw_.ActiveTab(), "Clinora");
  fw_.RichiamaPaziente(int64_t{7});
  EXPECT_EQ(fw_.LastRecalledPatient(), host::Variant(int64_t{7}));
  fw_.OpenChild("frmMDI", false, "Referti Lirvo");
  fw_.CreateChildForm(std::make_shared<Form>());
  ui_.QueuePopup(2);
  EXPECT_EQ(fw_.Popup({"Importa Singolo", "Rinuncia"}), 2);
  // Ids start at the first value, per host, and are not something a person sees.
  EXPECT_EQ(fw_.GetNewID(), kFirstNewID);
  EXPECT_EQ(fw_.GetNewID(), kFirstNewID + 1);
  EXPECT_EQ(StandinFramework(ui_).GetNewID(), kFirstNewID);
  EXPECT_EQ(calls_,
            (std::vector<std::string>{
                R"({"type":"host","call":"SetMainRibbonTab","args":[]})",
                R"({"type":"host","call":"RichiamaPaziente","args":[7]})",
                R"({"type":"host","call":"OpenChild","args":["frmMDI",false,"Referti Lirvo"]})",
                R"({"type":"host","call":"CreateChildForm","args":["frmRefertiLirvo"]})",
                R"({"type":"host","call":"Popup","args":["Importa Singolo","Rinuncia"]})",
            }));
}

}  // namespace
}  // namespace lirvo::standin
