#include "forms/report_preview.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "base/text.h"
#include "forms/window_fixture.h"

namespace lirvo::forms {
namespace {

using controls::StyledRun;
using controls::StyledText;
using controls::TextStyle;
using test_support::CallsOf;

const TextStyle kPlain{"Courier New", 8, 0, false};
const TextStyle kBold{"Courier New", 8, 0, true};
const TextStyle kRed{"Courier New", 8, 255, true};

std::string Pad(std::string_view s, size_t width) {
  std::string out(s);
  out.append(width - std::min(width, CharCount(s)), ' ');
  return out;
}

// A report piece: patient code in columns 19-34, report date 39-46,
// check-in date 57-64, then the body lines.
std::string Piece(std::string_view code, const std::string& body) {
  return std::string(18, 'X') + Pad(code, 16) + "0101" + "20240315" + "0930RAD001" + "20240314" +
         " RADIOLOGIA\r\n" + body;
}

std::string LabLine(std::string_view name, std::string_view value, std::string_view tail = "") {
  return "#05#" + Pad("GLU", 20) + Pad(name, 90) + Pad(value, 30) + Pad("mg/dl", 15) +
         Pad("70", 25) + Pad("110", 25) + std::string(tail) + "\r\n";
}

reports::ReportRecord Record(std::string kind, std::string body) {
  reports::ReportRecord r;
  r.Kind = std::move(kind);
  r.ExamDescriptions = "88.73.5 ECOGRAFIA MAMMARIA";
  r.ReportDate = "15/03/2024";
  r.CheckInDate = "14/03/2024";
  r.Body = std::move(body);
  return r;
}

// The three labelled header lines and the blank line under them.
StyledText Header(const std::string& check_in = "14/03/2024") {
  return {{"Reparto:            ", kBold}, {"Ospedale\r\n", kPlain},
          {"Check IN:           ", kBold}, {check_in + "\r\n", kPlain},
          {"Referto del:        ", kBold}, {"15/03/2024\r\n\r\n", kPlain}};
}

StyledText Concat(StyledText a, const StyledText& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

class SheetTest : public ::testing::Test {
 protected:
  controls::RichTextBox box{"RichTextBox1", {}};
};

TEST_F(SheetTest, TextReport) {
  ASSERT_TRUE(BuildReportSheet(Record("S", "Nessuna lesione.\r\nControllo fra un anno."), box));
  EXPECT_EQ(box.Runs(),
            Concat(Header(), {{"Refertazione: 88.73.5 ECOGRAFIA MAMMARIA", kBold},
                              {"\r\n\r\nNessuna lesione.\r\nControllo fra un anno.", kPlain}}));
  EXPECT_EQ(box.SelStart(), 0);
  EXPECT_EQ(box.SelLength(), 0);
}

TEST_F(SheetTest, ValuesWithDottedNamesAndOutOfRangeInBoldRed) {
  const std::string name50(55, 'N');  // cut to 50
  ASSERT_TRUE(BuildReportSheet(Record("L",
                                      "GLU\tGLUCOSIO NEL SANGUE\t*130\tmg/dl\t70 - 110\r\n\r\n"
                                      "HB\t" +
                                          name50 + "\t13,5\tg/dl con una unità lunga\t12 - 16\r\n"),
                               box));
  const StyledText values = {
      {"Esami:", kBold},
      {"\r\n\r\n", kPlain},
      {"GLUCOSIO.NEL.SANGUE............................... ", kBold},
      {"*130 mg/dl           ", kRed},
      {"70 - 110\r\n", kPlain},
      {std::string(50, 'N') + " ", kBold},
      {"13,5 g/dl con una un 12 - 16", kPlain},
  };
  EXPECT_EQ(box.Runs(), Concat(Header(), values));
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

TEST_F(PreviewTest, ShowsTheSheetModallyWithThePatientAsSubtitle) {
  host_->AddPatient("ROSSI", "MARIO", "080012345");
  ui_.QueueModalAction({"frmReferto", {"cbChiudi"}});
  ShowReportDetail(*context_, Piece("080012345", LabLine("GLUCOSIO", "130", "H")));
  const auto modal = CallsOf(ui_, "modal");
  ASSERT_EQ(modal.size(), 1u);
  EXPECT_EQ(modal[0]["form"], "frmReferto");
  EXPECT_EQ(modal[0]["caption"], "Dettaglio referto");
  EXPECT_EQ(modal[0]["labels"], (nlohmann::json{{"2", "Paziente"}, {"3", "ROSSI MARIO"}}));
  EXPECT_EQ(modal[0]["text"],
            "Reparto:            Ospedale\r\nCheck IN:           14/03/2024\r\n"
            "Referto del:        15/03/2024\r\n\r\nEsami:\r\n\r\n"
            "GLUCOSIO.......................................... *130 mg/dl           70 - 110");
  EXPECT_TRUE(CallsOf(ui_, "modal_close").empty());
}

TEST_F(PreviewTest, NothingShownWithoutASheet) {
  host_->AddPatient("ROSSI", "MARIO", "080012345");
  for (const std::string& raw : {
           Piece("999999999", "Testo del referto.\r\n"),  // no such patient
           std::string("   "),                            // does not parse
           // a text line before the values: a value line without its fields
           Piece("080012345", "Nota del laboratorio\r\n" + LabLine("GLUCOSIO", "98")),
       }) {
    ShowReportDetail(*context_, raw);
  }
  context_->host = nullptr;  // the host is gone: 91, trapped
  ShowReportDetail(*context_, Piece("080012345", "Testo.\r\n"));
  EXPECT_TRUE(ui_.Calls().empty());
}

}  // namespace
}  // namespace lirvo::forms
