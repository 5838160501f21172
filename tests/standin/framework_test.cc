#include "standin/framework.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/runtime_error.h"
#include "controls/scripted_ui.h"

namespace lirvo::standin {
namespace {

class Form final : public host::EmbeddedForm {
 public:
  std::string Name() const override { return "frmRefertiLirvo"; }
};

// What the host's calls look like shows in every transcript (tests/e2e);
// here the lookups no transcript reaches.
class FrameworkTest : public ::testing::Test {
 protected:
  ui::ScriptedUi ui_;
  StandinFramework fw_{ui_};
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

TEST_F(FrameworkTest, RibbonControlsAreFoundByIdAndForeignGroupsRefused) {
  auto tab = fw_.InsertRibbonTab("Referti Lirvo");
  auto main = fw_.InsertGroupControl(*tab->AddGroup("Referti Lirvo", 1), 1001);
  auto importa = fw_.InsertGroupButton(*fw_.InsertTabGroup(*tab, "Referti"), "Importa", 1004, 4,
                                       true, "Importa i referti");
  EXPECT_EQ(fw_.FindRibbonControl(1004), importa);
  EXPECT_EQ(fw_.FindRibbonControl(1001), main);
  EXPECT_EQ(fw_.FindRibbonControl(999), nullptr);
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

}  // namespace
}  // namespace lirvo::standin
