#include "forms/list_printing.h"

#include <gtest/gtest.h>

#include "forms/frm_referti_lirvo.h"
#include "forms/window_fixture.h"

namespace lirvo::forms {
namespace {

using test_support::CallsOf;

// The printed list (landscape, without the link column) and a failing print
// are pinned by the end-to-end scripts.
class ListPrintingTest : public test_support::WindowFixture {
 protected:
  LoadedForms windows_{*context_};
};

TEST_F(ListPrintingTest, OnlyTheMainWindowWithRowsIsPrinted) {
  EXPECT_FALSE(HasReports(windows_));
  PrintReportList(windows_, ui_);
  EXPECT_TRUE(ui_.Calls().empty());
  windows_.OpenMainWindow();
  frmRefertiLirvo& window = *windows_.MainReportsWindow();
  EXPECT_FALSE(HasReports(windows_));
  window.AddPatientRow(*host_->AddPatient("ROSSI", "MARIO", "080012345"));
  EXPECT_TRUE(HasReports(windows_));
}

TEST_F(ListPrintingTest, TheLinkColumnShowsAgainAfterAPrintThatWorkedOrFailed) {
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
