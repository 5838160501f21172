#include "forms/list_printing.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "forms/frm_referti_lirvo.h"
#include "forms/window_fixture.h"
#include "support/trap_recorder.h"

namespace lirvo::forms {
namespace {

using test_support::CallsOf;
using ::testing::ElementsAre;

class ListPrintingTest : public test_support::WindowFixture {
 protected:
  // The main window with one patient and one report.
  frmRefertiLirvo& OpenWithReports() {
    windows_.OpenMainWindow();
    return AddReports();
  }
  frmRefertiLirvo& AddReports() {
    frmRefertiLirvo& window = *windows_.MainReportsWindow();
    auto& patient = window.AddPatientRow(*host_->AddPatient("ROSSI", "MARIO", "080012345"));
    window.AddReportRow(patient, {int64_t{1}, 1, "#01#raw", "Ospedale", "02/03/2024", "04/03/2024",
                                  "GLICEMIA 98 mg/dl", false});
    return window;
  }

  LoadedForms windows_{*context_};
};

TEST_F(ListPrintingTest, HasReportsWantsTheMainWindowWithRows) {
  EXPECT_FALSE(HasReports(windows_));
  windows_.OpenMainWindow();
  ASSERT_NE(windows_.MainReportsWindow(), nullptr);
  EXPECT_FALSE(HasReports(windows_));
  AddReports();
  EXPECT_TRUE(HasReports(windows_));
}

TEST_F(ListPrintingTest, PrintsWithoutTheLinkColumnWhichShowsAgainAfterwards) {
  frmRefertiLirvo& window = OpenWithReports();
  for (const bool failing : {false, true}) {
    if (failing) ui_.QueuePrintFailure();
    test_support::TrapRecorder traps;
    PrintReportList(windows_, ui_);
    EXPECT_TRUE(window.rcReferti().Column(kItemLink).visible) << failing;
    EXPECT_TRUE(window.rcReferti().PrintOptions().landscape);
    EXPECT_EQ(traps.traps.size(), failing ? 1u : 0u);
  }
  const auto printed = CallsOf(ui_, "print");
  ASSERT_EQ(printed.size(), 1u);
  EXPECT_EQ(printed[0]["landscape"], true);
  EXPECT_THAT(printed[0]["columns"],
              ElementsAre("Paziente", "Reparto", "Check In", "Referto del", "Descrizione"));
  EXPECT_EQ(printed[0]["rows"][1]["cells"],
            nlohmann::json::parse(
                R"(["", "Ospedale", "02/03/2024", "04/03/2024", "GLICEMIA 98 mg/dl"])"));
  EXPECT_EQ(CallsOf(ui_, "print_failed").size(), 1u);
  EXPECT_TRUE(CallsOf(ui_, "msgbox").empty());
}

TEST_F(ListPrintingTest, WithoutTheMainWindowNothingIsPrinted) {
  PrintReportList(windows_, ui_);
  EXPECT_TRUE(ui_.Calls().empty());
}

}  // namespace
}  // namespace lirvo::forms
