#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/file_system.h"
#include "cli/run_lirvo.h"
#include "standin/archive.h"
#include "standin/chart_setup.h"
#include "standin/installation.h"
#include "support/temp_dir.h"

namespace lirvo::cli {
namespace {

using test_support::Lirvo;
using test_support::RunResult;

class ChartCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    standin::LayOutInstallation(RealFileSystem(), inst_, false);
    auto archive = standin::SqliteArchive::Open(inst_.ArchiveFile());
    id_ =
        archive->AddPatient({0, "ROSSI", "MARIO", "01/02/1950", "RSSMRA50B01H501U", "8000031415"});
    ASSERT_TRUE(archive->SaveExam(
        id_, standin::ExamArgsFor("03/11/2026", std::string("GLI"), "90.27.1", "98")));
    ASSERT_TRUE(archive->SaveExam(
        id_, standin::ExamArgsFor("03/11/2026", host::Null{}, "PCR", "negativo")));
    ASSERT_TRUE(archive->SaveVisit(id_, standin::VisitArgsFor("02/11/2026", "lrv.87.44.1   ")));
  }
  lirvo::test_support::TempDir dir_;
  standin::Installation inst_{dir_.path()};
  int64_t id_ = 0;
};

TEST_F(ChartCommandTest, PrintsExamsAndVisitsForPeople) {
  for (const std::string key : {"1", "8000031415", "rssmra50b01h501u"}) {
    const RunResult r = Lirvo({"chart", key, "--install", dir_.path()});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out,
              "patient 1: ROSSI MARIO, born 01/02/1950, codice fiscale RSSMRA50B01H501U, tessera "
              "8000031415\n"
              "exams: 2\n"
              "  03/11/2026  idrif1=GLI  idrif4=90.27.1  t1=98\n"
              "  03/11/2026  idrif1=null  idrif4=PCR  t1=negativo\n"
              "visits: 1\n"
              "  02/11/2026  idrif4=lrv.87.44.1\n")
        << key;
  }
}

TEST_F(ChartCommandTest, ShowsUnitDescriptionAndGroupOfImportedItems) {
  auto archive = standin::SqliteArchive::Open(inst_.ArchiveFile());
  const int64_t id = archive->AddPatient({0, "VERDI", "ANNA", "05/05/1965", "", "8000000009"});
  auto patient = archive->DaiPazienteRegionale("8000000009", true);
  host::ExamSaveArgs exam = standin::ExamArgsFor("04/11/2026", std::string("GLI"), "90.27.1", "98");
  exam.a6_description = std::string("Glicemia");
  exam.a9_unit = std::string("mg/dl");
  patient->RefertiEsami()->ClearEsamiAutomatici();
  ASSERT_EQ(patient->RefertiEsami()->Salva(exam), host::Variant(true));
  patient->RefertiEsami()->SalvaEsamiAutomatici();
  host::VisitSaveArgs visit = standin::VisitArgsFor("02/11/2026", "lrv.89.52");
  visit.a4_description = std::string("ELETTROCARDIOGRAMMA");
  ASSERT_EQ(patient->RefertiVisite()->Salva(visit), host::Variant(true));

  const RunResult r = Lirvo({"chart", std::to_string(id), "--install", dir_.path()});
  EXPECT_EQ(r.out,
            "patient 2: VERDI ANNA, born 05/05/1965, tessera 8000000009\n"
            "exams: 1\n"
            "  04/11/2026  idrif1=GLI  idrif4=90.27.1  t1=98 mg/dl  Glicemia  [group 1]\n"
            "visits: 1\n"
            "  02/11/2026  idrif4=lrv.89.52  ELETTROCARDIOGRAMMA\n");
}

TEST_F(ChartCommandTest, JsonHoldsEveryArgumentWithNullForNull) {
  const RunResult r = Lirvo({"chart", "1", "--json", "--install", dir_.path()});
  EXPECT_EQ(r.code, 0) << r.err;
  const std::string e = R"("","","","","","","","","")";  // arguments 15 to 23
  EXPECT_EQ(
      r.out,
      R"({"type":"chart","patient":1,"exams":[)"
      R"({"args":["","","03/11/2026","03/11/2026","GLI","",1,"98","","","","",false,false,)" +
          e +
          R"(,"90.27.1","RefertoOnLine",""]},)"
          R"({"args":["","","03/11/2026","03/11/2026",null,"",0,"negativo","","","","",false,)"
          R"(false,)" +
          e +
          R"(,"PCR","RefertoOnLine",""]}],)"
          R"("visits":[{"args":["","","","","02/11/2026","02/11/2026",0,"","","","","","",)"
          R"("lrv.87.44.1   ","RefertoOnLine"]}]})"
          "\n");
}

TEST_F(ChartCommandTest, UnknownPatientOrInstallationFails) {
  RunResult r = Lirvo({"chart", "99", "--install", dir_.path()});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "lirvo chart: no patient 99\n");
  r = Lirvo({"chart", "1", "--install", dir_.File("none")});
  EXPECT_EQ(r.code, 2);
  EXPECT_EQ(r.err, "lirvo chart: no archive at " + dir_.File("none") +
                       "/archive.db (run lirvo init first)\n");
}

}  // namespace
}  // namespace lirvo::cli
