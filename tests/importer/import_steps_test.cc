#include "importer/import_steps.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "importer/import_fixture.h"
#include "support/runtime_error_matchers.h"

namespace lirvo::importer {
namespace {

using host::ChartItem;
using host::Null;
using host::Variant;
using test_support::Lab;
using test_support::Piece;
using test_support::ThrowsRuntimeError;

TEST(ImportSteps, ParseReferenceRange) {
  struct Case {
    std::string range, low, high;
  } cases[] = {
      {"10 - 20", "10", "20"},
      {"(3,5 - 5,0)", "3,5", "5,0"},
      {" ( 1 , 5  -  2 ) ", "1,5", "2"},
      {"((1 - 2))", "(1", "2)"},  // one bracket each side only
      {" - ", "", ""},
      {"10-20", "", ""},
      {"< 5", "", ""},
      {"1 - 2 - 3", "", ""},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    std::string low = "old";
    std::string high = "old";
    ParseReferenceRange(c.range, low, high);
    EXPECT_EQ(low, c.low) << c.range;
    EXPECT_EQ(high, c.high) << c.range;
  }
}

TEST(ImportSteps, VisitReferenceIsFiftyCharacters) {
  const std::string long_codes(60, '9');
  EXPECT_EQ(VisitReference(""), "lrv." + std::string(46, ' '));
  EXPECT_EQ(VisitReference("88.73.5, ECOADD"), "lrv.88.73.5, ECOADD" + std::string(31, ' '));
  EXPECT_EQ(VisitReference(long_codes), "lrv." + long_codes.substr(0, 46));
  const std::string accented = VisitReference("ecografìa");
  EXPECT_EQ(CharCount(accented), kVisitReferenceLength);
  EXPECT_EQ(accented.size(), kVisitReferenceLength + 1);  // "ì" is two bytes, one character
}

TEST(ImportSteps, IsNewVisitReport) {
  const std::string ref = VisitReference("88.73.5");
  struct Case {
    std::vector<ChartItem> visits;
    std::string reference, day;
    bool is_new;
  } cases[] = {
      {{}, ref, "15/03/2024", true},
      {{{"15/03/2024", {}, ref, {}}}, ref, "15/03/2024", false},
      {{{"15/03/2024 18:40:00", {}, " lrv.88.73.5", {}}}, "lrv.88.73.5 ", "15/3/2024", false},
      {{{"16/03/2024", {}, ref, {}}}, ref, "15/03/2024", true},
      {{{"15/03/2024", {}, VisitReference("88.73.6"), {}}}, ref, "15/03/2024", true},
      // An item that does not read ends the walk before the match.
      {{{"ieri", {}, ref, {}}, {"15/03/2024", {}, ref, {}}}, ref, "15/03/2024", true},
      {{{"15/03/2024", {}, Null{}, {}}, {"15/03/2024", {}, ref, {}}}, ref, "15/03/2024", true},
      {{{"15/03/2024", {}, ref, {}}}, ref, "non è una data", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsNewVisitReport(c.visits, c.reference, c.day), c.is_new)
        << c.day << " " << c.visits.size();
  }
}

TEST(ImportSteps, IsNewLabValue) {
  // Data, idrif1 (Clinora ID), idrif4 (code), t1 (value)
  const ChartItem transcoded{"15/03/2024 08:10", "GLI", "GLU", "112"};
  const ChartItem untranscoded{"15/03/2024", Null{}, "URC", " GIALLO "};
  const std::vector<ChartItem> chart = {untranscoded, transcoded};
  struct Case {
    std::string code, id, day, value;
    bool is_new;
  } cases[] = {
      {"", "GLI", "15/03/2024", "112", false},     {"", " GLI ", "15/03/2024", " 112", false},
      {"", "GLI", "15/03/2024", "113", true},      {"", "GLI", "14/03/2024", "112", true},
      {"XYZ", "GLI", "15/03/2024", "112", false},  // the ID decides when there is one
      {"GLU", "OTHER", "15/03/2024", "112", true}, {"URC", "", "15/03/2024", "GIALLO", false},
      {"GLU", "", "15/03/2024", "112", false},     {"URC", "", "15/03/2024", "ROSSO", true},
      {"", "", "15/03/2024", "112", true},  // neither ID nor code: never present
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsNewLabValue(chart, c.code, c.id, c.day, c.value), c.is_new)
        << c.code << "|" << c.id << "|" << c.value;
  }
}

TEST(ImportSteps, ImportedCountOverflowsPast32767) {
  int16_t count = 32766;
  CountImported(count);
  EXPECT_EQ(count, 32767);
  EXPECT_THAT([&] { CountImported(count); }, ThrowsRuntimeError(kErrOverflow));
  EXPECT_EQ(count, 32767);
}

// The batch's reactions as a record of what the steps told.
class Recorder final : public ImportReactions {
 public:
  void VisitPresent(const reports::ReportRecord&, const std::string& d) override {
    told.push_back("present " + d);
  }
  void VisitSaved(const reports::ReportRecord&, const std::string& d) override {
    told.push_back("saved " + d);
  }
  void LabValuePresent(const reports::ReportRecord& r, const LabLine& line,
                       const std::string& name) override {
    told.push_back("value present " + name + " " + line.value + " " + r.ReportDate);
  }
  void LabReportDone(const reports::ReportRecord&, const std::string& imported,
                     const std::string& present) override {
    told.push_back("done [" + imported + "] [" + present + "]");
  }
  std::vector<std::string> told;
};

class ImportStepsHost : public test_support::ImportFixture {
 protected:
  // Imports `piece` through the shared steps; false when it is passed over.
  bool Import(const std::string& piece) {
    reports::ReportRecord report;
    const auto patient = FindReportPatient(host_->Archivio(), piece, PatientIdText(), report);
    if (!patient) return false;
    ImportReport(run_, *patient, report);
    return true;
  }

  reports::clsTrascodifica table_{*host_, context_->plugin_folder};
  Recorder reactions_;
  int16_t imported_ = 0;
  std::string error_;
  ImportRun run_{*host_, table_, context_->GetClock(), reactions_, imported_, error_};
};

TEST_F(ImportStepsHost, TextReportArgumentsAndSecondImport) {
  ASSERT_TRUE(Import(test_support::TextPiece(kCode)));
  ASSERT_TRUE(Import(test_support::TextPiece(kCode)));
  const auto visits = SavedVisits();
  ASSERT_EQ(visits.size(), 1u);
  const std::string e;
  const std::string description = "88.73.5 ECOGRAFIA MAMMARIA";
  const std::string body = "Nessuna lesione focale.";
  // clang-format off
  const std::vector<Variant> expected = {e, e, e, description, "15/03/2024", "01/03/2026",
      int64_t{0}, body, body, e, e, e, e, VisitReference("88.73.5"), "RefertoOnLine"};
  // clang-format on
  EXPECT_EQ(visits[0].args, expected);
  EXPECT_EQ(imported_, 1);
  EXPECT_EQ(error_, "");
  EXPECT_THAT(reactions_.told,
              testing::ElementsAre("saved " + description, "present " + description));
  // Without exams the description and the reference fall back to the default.
  ASSERT_TRUE(Import(Piece(kCode, "Solo testo.\r\n")));
  EXPECT_EQ(SavedVisits().back().args[host::kVisitArgReference],
            Variant(VisitReference("Esame specialistico")));
}

// A transcoded value's arguments show whole in the import transcripts' chart
// dumps (tests/e2e); here a value without transcoding and without a range.
TEST_F(ImportStepsHost, LabReportArgumentsPositionByPosition) {
  ASSERT_TRUE(Import(Piece(kCode, "#04#90.27.1 GLUCOSIO\r\n" +
                                      Lab("GLU", "GLUCOSIO", "112", "70", "110", true) +
                                      Lab("URC", "COLORE URINE", "GIALLO", "", ""))));
  const auto exams = SavedExams();
  ASSERT_EQ(exams.size(), 2u);
  EXPECT_TRUE(exams[0].automatic);
  const std::string e;
  const std::string second_group = "refLirvo." + std::to_string(standin::kFirstNewID + 1);
  // No transcoding for URC: no Clinora ID, its name as description, no range.
  // clang-format off
  const std::vector<Variant> urine = {e, second_group, "15/03/2024", "01/03/2026", Null{},
      "COLORE URINE", int64_t{0}, "GIALLO", "mg/dl", "Intervallo:  - ", e, e, false, false,
      e, e, e, e, e, e, e, e, e, "URC", "RefertoOnLine", e};
  // clang-format on
  EXPECT_EQ(exams[1].args, urine);
  EXPECT_EQ(imported_, 2);
}

TEST_F(ImportStepsHost, LabValuesAlreadyPresentAreToldAndTheGroupStillCloses) {
  ASSERT_TRUE(Import(Piece(kCode, Lab("GLU", "GLUCOSIO", "98"))));
  ASSERT_TRUE(Import(Piece(kCode, Lab("GLU", "GLUCOSIO", "98") + Lab("URC", "COLORE", "GIALLO") +
                                      Lab("", "SENZA CODICE", "1") + "   \r\n")));
  ASSERT_TRUE(Import(Piece(kCode, Lab("GLU", "GLUCOSIO", "98") + Lab("URC", "COLORE", "GIALLO"))));
  EXPECT_EQ(imported_, 2);
  EXPECT_EQ(SavedExams().size(), 2u);
  EXPECT_FALSE(host_->standin.Archive().AutomaticGroupOpen(PatientId()));
  EXPECT_THAT(
      reactions_.told,
      testing::ElementsAre("done [Glicemia] []", "value present Glicemia 98 15/03/2024",
                           "done [COLORE] [Glicemia]", "value present Glicemia 98 15/03/2024",
                           "value present COLORE GIALLO 15/03/2024", "done [] [Glicemia, COLORE]"));
}

TEST_F(ImportStepsHost, LabDatesAreCutAndALineOfTooFewFieldsStopsTheReport) {
  reports::ReportRecord report;
  report.Kind = "L";
  report.ReportDate = "15/03/2024 08:00";
  report.CheckInDate = "14/03/2024 07:45";
  report.Body = "GLU\tGLUCOSIO\t98\tmg/dl\t70 - 110\r\nPrelievo ore 7:45";
  EXPECT_THAT([&] { ImportLabReport(run_, *patient_, report, {}); },
              ThrowsRuntimeError(kErrSubscript));
  EXPECT_EQ(report.ReportDate, "15/03/2024");
  EXPECT_EQ(report.CheckInDate, "14/03/2024");
  // The group still closes: the value saved before the error is in the chart.
  EXPECT_FALSE(host_->standin.Archive().AutomaticGroupOpen(PatientId()));
  ASSERT_EQ(SavedExams().size(), 1u);
  EXPECT_EQ(SavedExams()[0].args[host::kExamArgReportDate], Variant("15/03/2024"));
}

}  // namespace
}  // namespace lirvo::importer
