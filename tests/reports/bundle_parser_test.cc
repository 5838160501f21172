#include "reports/bundle_parser.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "base/text.h"
#include "support/report_lines.h"

namespace lirvo::reports {
namespace {

using test_support::Padded;
using test_support::ReportHeader;
using test_support::ValueLine;

ReportRecord Parse(const std::string& piece, Layout layout) {
  ReportRecord r;
  EXPECT_TRUE(ParseReport(piece, layout, r));
  return r;
}

// The parsed fields, in one value so that a failure shows them all: patient
// code, kind, exam codes, exam labels, report date, check-in date, "*" when
// out of range, body.
std::vector<std::string> Fields(const ReportRecord& r) {
  return {r.PatientCode,           r.Kind,       r.ExamCodes,
          r.ExamDescriptions,      r.ReportDate, r.CheckInDate,
          r.OutOfRange ? "*" : "", r.Body};
}

TEST(ParseReport, HeaderExamAndTextFields) {
  const std::string text_report = ReportHeader("RSSMRA48C12H501C") +
                                  "\r\n#04#88.73.5 ECOGRAFIA MAMMARIA\r\n"
                                  "#04#ECOADD  ECOGRAFIA ADDOME\r\n"
                                  "\r\n"
                                  "   Esame eseguito con sonda lineare.  \r\n"
                                  "#03#Quesito: controllo\r\n"
                                  "   \r\n"
                                  "Nessuna lesione focale.\r\n";
  auto text_fields = [](std::string body) {
    return std::vector<std::string>{"RSSMRA48C12H501C",
                                    "S",
                                    "88.73.5, ECOADD",
                                    "88.73.5 ECOGRAFIA MAMMARIA, ECOGRAFIA ADDOME",
                                    "15/03/2024",
                                    "14/03/2024",
                                    "",
                                    std::move(body)};
  };
  // "à" takes two bytes but one column.
  const std::string accented =
      "Referto àèìòù n.12" + Padded("CRTNNA61B54L219X", 16) + "0101" + "20240315\r\n" +
      ValueLine("CAFF", "CAFFÈ NEL SANGUE", "1.5", "µg/l", "0.5", "1.0", "H") +
      "\r\n#04#90.62.2 EMOCROMO COMPLETO\r\n";
  const struct {
    const char* name;
    std::string piece;
    Layout layout;
    std::vector<std::string> fields;
  } cases[] = {
      {"text report, inline", text_report, Layout::Inline,
       text_fields(
           "Esame eseguito con sonda lineare. #03#Quesito: controllo Nessuna lesione focale.")},
      {"text report, lines", text_report, Layout::Lines,
       text_fields("Esame eseguito con sonda lineare.\r\n#03#Quesito: controllo\r\nNessuna "
                   "lesione focale.")},
      // A line break is not a blank: the piece is a (nearly empty) report.
      {"a line break", "\r\n", Layout::Lines, {"", "S", "", "", "//", "//", "", ""}},
      // Columns count in the piece as a whole, line breaks included; report
      // date columns 39-46 " del tes" read as DDMMYYYY, check-in past the end.
      {"short header lines",
       "AB\r\n" + std::string(14, 'y') + "CODICE12345\r\nseguito del testo",
       Layout::Lines,
       {"CODICE12345\r\nseg", "S", "", "", " d/el/ tes", "//", "",
        std::string(14, 'y') + "CODICE12345\r\nseguito del testo"}},
      {"columns count characters, not bytes",
       accented,
       Layout::Lines,
       {"CRTNNA61B54L219X", "L", "90.62.2", "90.62.2 EMOCROMO COMPLETO", "15/03/2024", "  /  /    ",
        "*", "CAFF\tCAFFÈ NEL SANGUE\t*1,5\tµg/l\t0,5 - 1,0"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Fields(Parse(c.piece, c.layout)), c.fields);
  }
  EXPECT_EQ(Parse(text_report, Layout::Inline).Ward, "Ospedale");
}

TEST(ParseReport, LabReportInBothLayouts) {
  const std::string piece = ReportHeader("BNCGLI75L65F205Z") + "\r\n#04#90.62.2 EMOCROMO\r\n" +
                            "Prelievo ore 7:45\r\n" +
                            ValueLine("HB", "EMOGLOBINA", "13.5", "g/dl", "12.0", "16.0") + "\r\n" +
                            "Nota dopo il primo valore\r\n" +
                            ValueLine("90.27.1", "GLUCOSIO", "112", "mg/dl", "70", "110", "H   ") +
                            "\r\n" + ValueLine("URC", "COLORE URINE", "GIALLO", "", "", "") +
                            "\r\n" + "Il direttore del laboratorio\r\n";
  ReportRecord r;
  int values = -1;
  ASSERT_TRUE(ParseReport(piece, Layout::Inline, r, &values));
  EXPECT_EQ(values, 3);
  EXPECT_EQ(
      Fields(r),
      (std::vector<std::string>{
          "BNCGLI75L65F205Z", "L", "90.62.2", "90.62.2 EMOCROMO", "15/03/2024", "14/03/2024", "*",
          "Prelievo ore 7:45, EMOGLOBINA: 13,5 g/dl, GLUCOSIO: *112 mg/dl, COLORE URINE: "
          "GIALLO "}));
  ASSERT_TRUE(ParseReport(piece, Layout::Lines, r));
  EXPECT_EQ(r.Body,
            "Prelievo ore 7:45\r\n"
            "HB\tEMOGLOBINA\t13,5\tg/dl\t12,0 - 16,0\r\n"
            "90.27.1\tGLUCOSIO\t*112\tmg/dl\t70 - 110\r\n"
            "URC\tCOLORE URINE\tGIALLO\t\t - ");
}

TEST(ParseReport, DatesReadAsYyyymmddElseDdmmyyyy) {
  const struct {
    std::string field, want;
  } cases[] = {
      {"20240315", "15/03/2024"},
      {"15032024", "15/03/2024"},  // 1503-20-24 is no date
      {"20240229", "29/02/2024"},
      {"20230229", "20/23/0229"},  // no 29 February in 2023: read as
                                   // DDMMYYYY, unchecked
      {"20241345", "20/24/1345"},
      {"2024 3 1", "20/24/ 3 1"},
      {"        ", "  /  /    "},
      {"00000000", "00/00/0000"},
  };
  for (const auto& c : cases) {
    const ReportRecord r = Parse(ReportHeader("X", c.field, c.field), Layout::Inline);
    EXPECT_EQ(r.ReportDate, c.want) << c.field;
    EXPECT_EQ(r.CheckInDate, c.want) << c.field;
  }
}

TEST(ParseReport, ExamEntriesAlreadyListedAnywhereInTheJoinedText) {
  const struct {
    std::string lines, codes, labels;
  } cases[] = {
      // A code or label inside one listed already; a blank code or label adds nothing.
      {"#04#90.27.1 GLUCOSIO\r\n#04#90.27   GLUCOSIO PLASMATICO\r\n#04#90.16.3 GLUCOSIO\r\n"
       "#04#        SENZA CODICE\r\n#04#ECOADD\r\n#04#...1    TRE PUNTI",
       "90.27.1, 90.16.3, ECOADD, ...1",
       "90.27.1 GLUCOSIO, 90.27 GLUCOSIO PLASMATICO, SENZA CODICE, TRE PUNTI"},
      // A code straddling the ", " between two listed codes, one inside a
      // longer code, one inside a code and the separator.
      {"#04#A       UNO\r\n#04#B       DUE\r\n#04#A, B    TRE\r\n#04#B, C\r\n#04#, B", "A, B, B, C",
       "UNO, DUE, TRE"},
      // A label found across the separator and after the code in front of it.
      {"#04#88.73.5 ECO\r\n#04#X       ECO, 88\r\n#04#Y       5 ECO\r\n#04#Z       ECO, E",
       "88.73.5, X, Y, Z", "88.73.5 ECO, ECO, 88"},
      // A blank label is added to an empty list (with its code in front for
      // a nomenclature code), and never to a list that holds something.
      {"#04#88.73.5\r\n#04#90.27   GLUCOSIO\r\n#04#ECOADD", "88.73.5, 90.27, ECOADD",
       "88.73.5 , 90.27 GLUCOSIO"},
      {"#04#ECOADD\r\n#04#90.27   GLUCOSIO\r\n#04#90.16", "ECOADD, 90.27, 90.16", "90.27 GLUCOSIO"},
      // A blank code at the start adds nothing visible, and the next code
      // comes without a separator.
      {"#04#        SENZA CODICE\r\n#04#90.27   GLUCOSIO", "90.27", "SENZA CODICE, 90.27 GLUCOSIO"},
  };
  for (const auto& c : cases) {
    const ReportRecord r = Parse(ReportHeader("X") + "\r\n" + c.lines, Layout::Inline);
    EXPECT_EQ(r.ExamCodes, c.codes) << c.lines;
    EXPECT_EQ(r.ExamDescriptions, c.labels) << c.lines;
    EXPECT_EQ(r.Kind, "S");
    EXPECT_EQ(r.Body, "");  // exam lines are not text
  }
}

TEST(ParseReport, LabLinesMakeTheKindEvenWhenRejected) {
  const struct {
    std::string line;
    std::string inline_body;
    bool out_of_range;
  } cases[] = {
      {"#05#abc", "", false},                                  // too short for a name: rejected
      {"#05#", "", false},                                     // nothing after the marker
      {ValueLine("HB", "", "13", "g/dl", "", ""), "", false},  // no name
      {ValueLine("HB", "EMOGLOBINA", "", "g/dl", "", ""), "", false},  // no value
      {ValueLine("HB", "EMOGLOBINA", "", "g/dl", "", "", "H"), "EMOGLOBINA: * g/dl", true},
      {ValueLine("HB", "EMOGLOBINA", "*13", "g/dl", "", ""), "EMOGLOBINA: *13 g/dl", true},
      {ValueLine("HB", "EMOGLOBINA", "12.5", "g/dl", "", "", "H"), "EMOGLOBINA: *12,5 g/dl", true},
      {ValueLine("HB", "EMOGLOBINA", "12.5", "g/dl", "", "", "h"), "EMOGLOBINA: 12,5 g/dl", false},
      {ValueLine("HB", "EMOGLOBINA", "12.5", "g/dl", "", "", "L"), "EMOGLOBINA: 12,5 g/dl", false},
      {"#05#" + Padded("PH", 20) + "PH", "PH: * ", true},  // the name's own H ends the line
      {"#05#" + Padded("", 20) + Padded("X", 90) + "  H  ", "X: *H ",
       true},  // H in the value column
      {ValueLine("A.B", "N", "1.000.5", "", "", ""), "N: 1,000,5 ", false},  // every dot a comma
  };
  for (const auto& c : cases) {
    const ReportRecord r = Parse(
        ReportHeader("X") + "\r\ntesto prima\r\n" + c.line + "\r\ntesto dopo", Layout::Inline);
    EXPECT_EQ(r.Kind, "L") << c.line;
    const std::string want =
        c.inline_body.empty() ? "testo prima" : "testo prima, " + c.inline_body;
    EXPECT_EQ(r.Body, want) << c.line;
    EXPECT_EQ(r.OutOfRange, c.out_of_range) << c.line;
  }
  // "#05" is not the marker: a text line.
  const ReportRecord text = Parse(ReportHeader("X") + "\r\n#05\r\n", Layout::Inline);
  EXPECT_EQ(text.Kind, "S");
  EXPECT_EQ(text.Body, "#05");
}

TEST(ParseReport, LineCounterLimit) {
  auto piece_of = [](size_t lines) {
    std::string p = ReportHeader("X");
    for (size_t i = 1; i < lines; ++i) p += "\r\nr";
    return p;
  };
  ReportRecord r;
  ASSERT_TRUE(ParseReport(piece_of(kMaxReportLines), Layout::Lines, r));
  EXPECT_EQ(r.Body.size(), (kMaxReportLines - 1) * 3 - 2);
  EXPECT_FALSE(ParseReport(piece_of(kMaxReportLines + 1), Layout::Lines, r));
  EXPECT_FALSE(ParseReport(piece_of(40000), Layout::Inline, r));
  EXPECT_EQ(r.PatientCode, "");
  EXPECT_EQ(r.Body, "");
  // Lines are cut at CR LF only: lone breaks do not count.
  std::string lone = ReportHeader("X");
  for (int i = 0; i < 40000; ++i) lone += "\nr";
  EXPECT_TRUE(ParseReport(lone, Layout::Inline, r));
}

TEST(ParseReport, BadInputNeverThrowsOrCrashes) {
  ReportRecord r;
  // A long single line, then random NULs, bytes that are no UTF-8, markers and breaks.
  std::string long_line(3 << 20, 'x');
  long_line[25] = '\xe8';
  ASSERT_TRUE(ParseReport(long_line, Layout::Inline, r));
  EXPECT_EQ(r.Body, "");
  EXPECT_EQ(r.PatientCode.size(), 16u);

  std::mt19937 rng(7);
  const std::string alphabet("#045H .\r\n\t\xc3\xa8\x80\xffx\0", 16);
  for (int round = 0; round < 20000; ++round) {
    std::string piece;
    const size_t n = rng() % 400;
    for (size_t i = 0; i < n; ++i) {
      piece.push_back(rng() % 4 == 0 ? static_cast<char>(rng())
                                     : alphabet[rng() % alphabet.size()]);
    }
    if (rng() % 3 == 0) piece.insert(0, "\r\n#05#");
    // Empty and blank pieces, among them, are no report.
    for (Layout layout : {Layout::Inline, Layout::Lines}) {
      ASSERT_EQ(ParseReport(piece, layout, r), !Trim(piece).empty());
    }
  }
}

TEST(IsNomenclatureCode, FirstThreeCharactersWithoutDots) {
  const struct {
    const char* code;
    bool want;
  } cases[] = {
      {"90.27.1", true}, {"88.73.5", true}, {"90.27", true},   {"1234", true},
      {"9.2.3", true},   {"123", false},    {"ECOADD", false}, {"...1", false},
      {"A1.2", false},   {"", false},       {"89.52", true},   {"PNEUVIS", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsNomenclatureCode(c.code), c.want) << c.code;
}

}  // namespace
}  // namespace lirvo::reports
