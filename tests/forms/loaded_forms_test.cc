#include "forms/loaded_forms.h"

#include <gtest/gtest.h>

#include "forms/frm_referti_lirvo.h"
#include "forms/list_printing.h"
#include "forms/window_fixture.h"
#include "support/runtime_error_matchers.h"

namespace lirvo::forms {
namespace {

using test_support::CallsOf;
using test_support::ThrowsRuntimeError;

class LoadedFormsTest : public test_support::WindowFixture {
 protected:
  LoadedForms windows_{*context_};
};

TEST_F(LoadedFormsTest, TheMainWindowOpensOnceInAChildWindowAndIsFoundByName) {
  EXPECT_EQ(windows_.MainReportsWindow(), nullptr);
  windows_.OpenMainWindow();
  const auto& children = Fw().Inner().Children();
  ASSERT_EQ(children.size(), 1u);
  auto window = windows_.MainReportsWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(windows_.Find("frmRefertiLirvo"), window);
  EXPECT_EQ(windows_.Find("frmConfig"), nullptr);
  EXPECT_EQ(children[0]->Form(), window);
  EXPECT_EQ(windows_.MainChildForm(), children[0]);
  EXPECT_EQ(children[0]->Icon(), "/inst/plugin/Styles/RefertiLirvo.png");
  EXPECT_EQ(windows_.Count(), 1u);                  // the default instance is gone again
  EXPECT_EQ(window->rcReferti().ColumnCount(), 9);  // loaded
}

TEST_F(LoadedFormsTest, AFailedOpeningLeavesNoWindowLoaded) {
  for (const char* failing : {"OpenChild", "CreateChildForm"}) {
    Fw().failing = {failing};
    EXPECT_THAT([&] { windows_.OpenMainWindow(); }, ThrowsRuntimeError(kErrInvalidCall)) << failing;
    EXPECT_EQ(windows_.Count(), 0u) << failing;
    EXPECT_EQ(windows_.MainChildForm(), nullptr) << failing;
  }
  Fw().failing.clear();
  Fw().returning_nothing = {"CreateChildForm"};
  EXPECT_THAT([&] { windows_.OpenMainWindow(); }, ThrowsRuntimeError(kErrObjectNotSet));
  EXPECT_EQ(windows_.Count(), 0u);

  // A context that no shared_ptr owns cannot be handed to a window.
  test_support::FakeContext unowned(ui_, fs_, host_);
  LoadedForms orphan(unowned);
  Fw().returning_nothing.clear();
  EXPECT_THAT([&] { orphan.OpenMainWindow(); }, ThrowsRuntimeError(kErrObjectNotSet));
  EXPECT_EQ(orphan.Count(), 0u);
}

// The printed list (landscape, without the link column) and a failing print
// are pinned by the end-to-end scripts.
TEST_F(LoadedFormsTest, OnlyTheMainWindowWithRowsIsPrinted) {
  EXPECT_FALSE(HasReports(windows_));
  PrintReportList(windows_, ui_);
  EXPECT_TRUE(ui_.Calls().empty());
  windows_.OpenMainWindow();
  frmRefertiLirvo& window = *windows_.MainReportsWindow();
  EXPECT_FALSE(HasReports(windows_));
  window.AddPatientRow(*host_->AddPatient("ROSSI", "MARIO", "080012345"));
  EXPECT_TRUE(HasReports(windows_));
}

TEST_F(LoadedFormsTest, TheLinkColumnShowsAgainAfterAPrintThatWorkedOrFailed) {
  windows_.OpenMainWindow();
  frmRefertiLirvo& window = *windows_.MainReportsWindow();
  window.AddPatientRow(*host_->AddPatient("ROSSI", "MARIO", "080012345"));
  for (const bool failing : {false, true}) {
    if (failing) ui_.QueuePrintFailure();
    PrintReportList(windows_, ui_);
    EXPECT_TRUE(window.rcReferti().Column(kItemLink).visible) << failing;
  }
  EXPECT_EQ(CallsOf(ui_, "print").size(), 1u);
  EXPECT_TRUE(CallsOf(ui_, "msgbox").empty());
}

}  // namespace
}  // namespace lirvo::forms
