#include <gtest/gtest.h>

#include "forms/frm_referti_lirvo.h"
#include "plugin/cls_config.h"
#include "plugin/plugin.h"
#include "plugin/plugin_fixture.h"

namespace lirvo::plugin {
namespace {

using host::ParamArray;
using host::Variant;

class MainMDITabTest : public testing::PluginFixture {
 protected:
  MainMDITabTest() {
    WriteConfig(Documents());
    Send("registrazione", Variant{});
  }
  void Send(const std::string& event, Variant param0) {
    ParamArray p = ParamArray::Of({param0});
    plugin_.Evento(event, host_, p);
  }
  void ActivateTab() { Send("mainribbonbar.activetab", Variant{"Referti Lirvo"}); }
  size_t Count(const std::string& prefix) const {
    size_t n = 0;
    for (const auto& c : host_->framework.calls) n += c.rfind(prefix, 0) == 0;
    return n;
  }

  Plugin plugin_{MakeServices()};
};

TEST_F(MainMDITabTest, ActivatingTheTabTwiceOpensOneWindow) {
  ActivateTab();
  ASSERT_EQ(host_->framework.children.size(), 1u);
  const auto& child = *host_->framework.children[0];
  EXPECT_EQ(child.caption, "Referti Lirvo");
  EXPECT_TRUE(child.shown);
  EXPECT_EQ(plugin_.State().MainChildForm.get(), &child);
  // Only the new instance stays loaded, with its grid built.
  ASSERT_EQ(plugin_.State().loaded_forms.size(), 1u);
  EXPECT_EQ(plugin_.State().loaded_forms[0], child.form);
  auto window = forms::FindMainReportsWindow(plugin_.State());
  ASSERT_TRUE(window);
  EXPECT_EQ(window->rcReferti().ColumnCount(), 9);

  ActivateTab();
  EXPECT_EQ(host_->framework.children.size(), 1u);
  EXPECT_EQ(Count("OpenChild(frmMDI, False, , Referti Lirvo)"), 2u);
  EXPECT_EQ(Count("CreateChildForm"), 1u);

  // "chiuditutto" leaves it alone.
  Send("chiuditutto", Variant{});
  EXPECT_EQ(forms::FindMainReportsWindow(plugin_.State()), window);
  EXPECT_EQ(host_->framework.children.size(), 1u);
}

TEST_F(MainMDITabTest, AFailedOpeningLeavesNoWindowLoaded) {
  host_->framework.failing = {"CreateChildForm"};
  ActivateTab();
  EXPECT_TRUE(plugin_.State().loaded_forms.empty());
  EXPECT_FALSE(plugin_.State().MainChildForm);
  EXPECT_TRUE(ui_.boxes.empty());  // silently

  host_->framework.failing = {"OpenChild"};
  ActivateTab();
  EXPECT_EQ(Count("CreateChildForm"), 1u);  // the one that failed above
  EXPECT_TRUE(plugin_.State().loaded_forms.empty());

  host_->framework.failing.clear();
  ActivateTab();
  EXPECT_EQ(plugin_.State().loaded_forms.size(), 1u);
  EXPECT_TRUE(plugin_.State().MainChildForm);
}

}  // namespace
}  // namespace lirvo::plugin
