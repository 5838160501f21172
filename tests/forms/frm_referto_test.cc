#include "forms/frm_referto.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "forms/report_preview.h"
#include "forms/window_fixture.h"
#include "support/report_lines.h"
#include "support/trap_recorder.h"

namespace lirvo::forms {
namespace {

using test_support::CallsOf;

class DetailWindowTest : public test_support::WindowFixture {
 protected:
  DetailWindowTest() {
    controls::AppendRichText(form.RichTextBox1(), "Courier New", 8, 0, true, "Esami:");
    controls::AppendRichText(form.RichTextBox1(), "Courier New", 8, 255, false, " *130 mg/dl");
    form.RichTextBox1().SetSelStart(0);
  }

  frmReferto form{context_};
};

// A failing print leaves the window open without a message; without a
// selection "Stampa" prints everything.
TEST_F(DetailWindowTest, AFailingPrintThenEverythingPrinted) {
  ui_.QueuePrinter(true);
  ui_.QueuePrinter(true);
  ui_.QueuePrintFailure();
  ui_.QueueModalAction({"frmReferto", {"cbStampa", "cbStampa"}});
  test_support::TrapRecorder traps;
  form.ShowModal();
  EXPECT_EQ(traps.traps.size(), 1u);
  EXPECT_EQ(CallsOf(ui_, "print_failed").size(), 1u);
  EXPECT_TRUE(CallsOf(ui_, "msgbox").empty());
  EXPECT_EQ(CallsOf(ui_, "printer").back()["flags"], 264);
  ASSERT_EQ(CallsOf(ui_, "print").size(), 1u);
  EXPECT_EQ(CallsOf(ui_, "print")[0]["text"], "Esami: *130 mg/dl");
  // Still open after both: the scripted user closed it.
  EXPECT_EQ(CallsOf(ui_, "modal_close").size(), 1u);
}

// The window's description, a printed selection (with its runs), "cbChiudi"
// and a cancelled printer dialog are compared by the end-to-end scripts; here
// the "click" spelling, what is refused, and a released window.
TEST_F(DetailWindowTest, UnknownActionsAndAReleasedWindow) {
  for (const char* action :
       {"cbSalva", "select", "select 1", "select a 2", "select -1 2", "select 1 2 3"}) {
    EXPECT_FALSE(form.Perform(action)) << action;
  }
  ASSERT_TRUE(form.Perform("click cbChiudi"));
  EXPECT_FALSE(form.IsOpen());
  form.Release();
  form.ShowModal();
  form.cbStampa_Click();
  EXPECT_TRUE(ui_.Calls().empty());
}

using controls::StyledText;
using controls::TextStyle;

const TextStyle kPlain{"Courier New", 8, 0, false};
const TextStyle kBold{"Courier New", 8, 0, true};
const TextStyle kRed{"Courier New", 8, 255, true};

// A report piece of patient `code`, then the body lines.
std::string Piece(std::string_view code, const std::string& body) {
  return test_support::ReportHeader(code) + "\r\n" + body;
}

reports::ReportRecord Record(std::string kind, std::string body) {
  reports::ReportRecord r;
  r.Kind = std::move(kind);
  r.ReportDate = "15/03/2024";
  r.CheckInDate = "14/03/2024";
  r.Body = std::move(body);
  return r;
}

class SheetTest : public ::testing::Test {
 protected:
  controls::RichTextBox box{"RichTextBox1", {}};
};

// Text and value sheets as the detail window shows them, with their runs,
// are pinned by the end-to-end scripts; here the cut names and units.
TEST_F(SheetTest, ValuesWithDottedNamesAndOutOfRangeInBoldRed) {
  const std::string name50(55, 'N');  // cut to 50
  ASSERT_TRUE(BuildReportSheet(Record("L",
                                      "GLU\tGLUCOSIO NEL SANGUE\t*130\tmg/dl\t70 - 110\r\n\r\n"
                                      "HB\t" +
                                          name50 + "\t13,5\tg/dl con una unità lunga\t12 - 16\r\n"),
                               box));
  const StyledText after_header = {
      {"Esami:", kBold},
      {"\r\n\r\n", kPlain},
      {"GLUCOSIO.NEL.SANGUE............................... ", kBold},
      {"*130 mg/dl           ", kRed},
      {"70 - 110\r\n", kPlain},
      {std::string(50, 'N') + " ", kBold},
      {"13,5 g/dl con una un 12 - 16", kPlain},
  };
  ASSERT_GT(box.Runs().size(), 6u);  // the three labelled header lines
  EXPECT_EQ(StyledText(box.Runs().begin() + 6, box.Runs().end()), after_header);
  EXPECT_EQ(box.SelStart(), 0);
}

TEST_F(SheetTest, CheckInHoursAndMinutes) {
  reports::ReportRecord r = Record("S", "");
  r.CheckInDate = "14/03/2024 09H30M";
  ASSERT_TRUE(BuildReportSheet(r, box));
  EXPECT_THAT(box.Text(), testing::HasSubstr("Check IN:           14/03/2024 09:30\r\n"));
}

TEST_F(SheetTest, AValueLineWithTooFewFieldsHasNoSheet) {
  box.SetText("previous");
  EXPECT_FALSE(BuildReportSheet(
      Record("L", "GLU\tGLUCOSIO\t98\tmg/dl\t70 - 110\r\nHB\tEMOGLOBINA\t13,5\tg/dl"), box));
  EXPECT_TRUE(box.Runs().empty());
}

class PreviewTest : public test_support::WindowFixture {};

TEST_F(PreviewTest, NothingShownWithoutASheet) {
  host_->AddPatient("ROSSI", "MARIO", "080012345");
  for (const std::string& raw : {
           Piece("999999999", "Testo del referto.\r\n"),  // no such patient
           std::string("   "),                            // does not parse
           // a text line before the values: a value line without its fields
           Piece("080012345", "Nota del laboratorio\r\n" +
                                  test_support::ValueLine("GLU", "GLUCOSIO", "98") + "\r\n"),
       }) {
    ShowReportDetail(*context_, raw);
  }
  context_->host = nullptr;  // the host is gone: 91, trapped
  ShowReportDetail(*context_, Piece("080012345", "Testo.\r\n"));
  EXPECT_TRUE(ui_.Calls().empty());
}

}  // namespace
}  // namespace lirvo::forms
