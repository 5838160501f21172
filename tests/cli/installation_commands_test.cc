// `lirvo init`, `patients` and `chart`: the commands that make and read an installation.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <utility>
#include <vector>

#include "base/file_system.h"
#include "cli/run_lirvo.h"
#include "demo/demo_data.h"
#include "standin/archive.h"
#include "standin/chart_setup.h"
#include "standin/installation.h"
#include "support/temp_dir.h"

namespace lirvo::cli {
namespace {

using test_support::Lirvo;
using test_support::RunResult;

TEST(InitCommandTest, LaysOutAnInstallationAndRefusesASecondOneWithoutForce) {
  lirvo::test_support::TempDir dir;
  const std::string root = dir.File("inst");
  EXPECT_EQ(Lirvo({"init", root}), (RunResult{0, "installation laid out in " + root + "\n", ""}));
  EXPECT_TRUE(standin::InstallationExists(RealFileSystem(), standin::Installation(root)));
  EXPECT_TRUE(RealFileSystem().FileExists(root + "/plugin/Styles/REFLastDouble.png"));

  standin::SqliteArchive::Open(root + "/archive.db")
      ->AddPatient({0, "ROSSI", "MARIO", "01/02/1950", "", "1"});
  EXPECT_EQ(Lirvo({"init", root, "--demo"}),
            (RunResult{1, "",
                       "lirvo init: " + root +
                           " already holds an installation (archive.db or plugin/Config.xml); "
                           "use --force to replace them\n"}));
  EXPECT_EQ(standin::SqliteArchive::Open(root + "/archive.db")->ListPatients().size(), 1u);

  EXPECT_EQ(Lirvo({"init", root, "--force"}).code, 0);
  EXPECT_TRUE(standin::SqliteArchive::Open(root + "/archive.db")->ListPatients().empty());
}

TEST(InitCommandTest, DemoAddsPatientsBundlesAndTranscodings) {
  lirvo::test_support::TempDir dir;
  ASSERT_EQ(Lirvo({"init", dir.path(), "--demo"}),
            (RunResult{0,
                       "installation laid out in " + dir.path() + "\n" +
                           std::to_string(demo::DemoPatients().size()) +
                           " demo patients, 4 demo bundles in " + dir.path() +
                           "/documents/, 32 transcoding entries\n",
                       ""}));
  EXPECT_EQ(standin::SqliteArchive::Open(dir.File("archive.db"))->ListPatients().size(),
            demo::DemoPatients().size());
  // What the bundles hold is the demo generator's; here, that they reach the
  // disk in Windows-1252 with CR LF.
  FileSystem& fs = RealFileSystem();
  const std::string bundle = fs.ReadFile(dir.File("documents/referti_novembre.dat"));
  EXPECT_TRUE(bundle.starts_with("#01#"));
  EXPECT_NE(bundle.find("\r\n"), std::string::npos);
  EXPECT_EQ(bundle.find("\xc3"), std::string::npos);  // single-byte, not UTF-8
}

class PatientsCommandTest : public ::testing::Test {
 protected:
  void SetUp() override { standin::LayOutInstallation(RealFileSystem(), inst_, false); }
  lirvo::test_support::TempDir dir_;
  standin::Installation inst_{dir_.path()};
};

TEST_F(PatientsCommandTest, AddPrintsTheNewIdAndListShowsThePatients) {
  EXPECT_EQ(Lirvo({"patients", "add", "ROSSI", "MARIO", "01/02/1950", "RSSMRA50B01H501U",
                   "8000031415", "--install", dir_.path()}),
            (RunResult{0, "1\n", ""}));
  EXPECT_EQ(Lirvo({"patients", "add", "D'ANGELO", "NICCOLÒ", "3/4/1999", "", "8000039334",
                   "--install", dir_.path()}),
            (RunResult{0, "2\n", ""}));
  EXPECT_EQ(Lirvo({"patients", "list", "--install", dir_.path()}),
            (RunResult{0,
                       "ID  COGNOME   NOME     NATO        CODICE FISCALE    TESSERA\n"
                       "1   ROSSI     MARIO    01/02/1950  RSSMRA50B01H501U  8000031415\n"
                       "2   D'ANGELO  NICCOLÒ  03/04/1999                    8000039334\n",
                       ""}));
  const RunResult r = Lirvo({"patients", "list", "--json", "--install", dir_.path()});
  EXPECT_EQ(r.out, R"({"type":"patients","patients":[{"id":1,"cognome":"ROSSI","nome":"MARIO",)"
                   R"("data_nascita":"01/02/1950","codice_fiscale":"RSSMRA50B01H501U",)"
                   R"("tessera":"8000031415"},{"id":2,"cognome":"D'ANGELO","nome":"NICCOLÒ",)"
                   R"("data_nascita":"03/04/1999","codice_fiscale":"","tessera":"8000039334"}]})"
                   "\n");
}

// A patient the archive refuses or holds already: hostile_archive_test; no
// archive at all: unmatched_command_test (every command opens it alike).
TEST_F(PatientsCommandTest, ImportReportsSkippedRowsByLine) {
  RealFileSystem().WriteFile(dir_.File("p.csv"),
                             "Cognome;Nome;Data_Nascita;Codice_Fiscale;Tessera\r\n"
                             "ROSSI;MARIO;01/02/1950;RSSMRA50B01H501U;8000031415\r\n"
                             "\r\n"
                             "\"DE LUCA; JR\";ANNA;12/12/1960;;8000000002\r\n"
                             "BIANCHI;LUCIA;31/06/1982;;8000000003\r\n"
                             "VERDI;GINO\r\n"
                             "ROSSI;MARIA;01/02/1951;rssmra50b01h501u;8000000004\r\n"
                             "CAF\xc8;CARLO;01/01/1970;;8000000005\r\n");
  const std::string csv = dir_.File("p.csv");
  EXPECT_EQ(Lirvo({"patients", "import", csv, "--install", dir_.path()}),
            (RunResult{3, "3 patients imported, 3 rows skipped\n",
                       csv + ":5: skipped: invalid birth date: 31/06/1982\n" + csv +
                           ":6: skipped: 5 fields expected, 2 found\n" + csv +
                           ":7: skipped: a patient with this tessera or codice fiscale exists\n"}));
  const RunResult list = Lirvo({"patients", "list", "--install", dir_.path()});
  EXPECT_NE(list.out.find("DE LUCA; JR"), std::string::npos);
  EXPECT_NE(list.out.find("CAFÈ"), std::string::npos);  // Windows-1252 read as such
}

TEST_F(PatientsCommandTest, ImportNeedsAReadableFileWithTheColumns) {
  RealFileSystem().WriteFile(dir_.File("p.csv"), "cognome,nome,tessera\nA,B,1\n");
  EXPECT_EQ(Lirvo({"patients", "import", dir_.File("p.csv"), "--install", dir_.path()}),
            (RunResult{2, "",
                       "lirvo patients import: " + dir_.File("p.csv") +
                           ": the header has no column data_nascita\n"}));
  EXPECT_EQ(Lirvo({"patients", "import", dir_.File("none.csv"), "--install", dir_.path()}).code, 2);
  RealFileSystem().WriteFile(dir_.File("ok.csv"),
                             "tessera,cognome,nome,data_nascita,codice_fiscale\n1,A,B,1/1/2000,\n");
  EXPECT_EQ(Lirvo({"patients", "import", dir_.File("ok.csv"), "--install", dir_.path()}),
            (RunResult{0, "1 patient imported, 0 rows skipped\n", ""}));
}

// ROSSI with two exams and a visit; VERDI with an imported group and a
// described visit.
class ChartCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    standin::LayOutInstallation(RealFileSystem(), inst_, false);
    auto archive = standin::SqliteArchive::Open(inst_.ArchiveFile());
    const int64_t id =
        archive->AddPatient({0, "ROSSI", "MARIO", "01/02/1950", "RSSMRA50B01H501U", "8000031415"});
    ASSERT_TRUE(archive->SaveExam(
        id, standin::ExamArgsFor("03/11/2026", std::string("GLI"), "90.27.1", "98")));
    ASSERT_TRUE(
        archive->SaveExam(id, standin::ExamArgsFor("03/11/2026", host::Null{}, "PCR", "negativo")));
    ASSERT_TRUE(archive->SaveVisit(id, standin::VisitArgsFor("02/11/2026", "lrv.87.44.1   ")));

    archive->AddPatient({0, "VERDI", "ANNA", "05/05/1965", "", "8000000009"});
    auto patient = archive->DaiPazienteRegionale("8000000009", true);
    host::ExamSaveArgs exam =
        standin::ExamArgsFor("04/11/2026", std::string("GLI"), "90.27.1", "98");
    exam.a6_description = std::string("Glicemia");
    exam.a9_unit = std::string("mg/dl");
    patient->RefertiEsami()->ClearEsamiAutomatici();
    ASSERT_EQ(patient->RefertiEsami()->Salva(exam), host::Variant(true));
    patient->RefertiEsami()->SalvaEsamiAutomatici();
    host::VisitSaveArgs visit = standin::VisitArgsFor("02/11/2026", "lrv.89.52");
    visit.a4_description = std::string("ELETTROCARDIOGRAMMA");
    ASSERT_EQ(patient->RefertiVisite()->Salva(visit), host::Variant(true));
  }
  lirvo::test_support::TempDir dir_;
  standin::Installation inst_{dir_.path()};
};

TEST_F(ChartCommandTest, PrintsExamsAndVisitsForPeople) {
  const std::string rossi =
      "patient 1: ROSSI MARIO, born 01/02/1950, codice fiscale RSSMRA50B01H501U, tessera "
      "8000031415\n"
      "exams: 2\n"
      "  03/11/2026  idrif1=GLI  idrif4=90.27.1  t1=98\n"
      "  03/11/2026  idrif1=null  idrif4=PCR  t1=negativo\n"
      "visits: 1\n"
      "  02/11/2026  idrif4=lrv.87.44.1\n";
  const std::string verdi =
      "patient 2: VERDI ANNA, born 05/05/1965, tessera 8000000009\n"
      "exams: 1\n"
      "  04/11/2026  idrif1=GLI  idrif4=90.27.1  t1=98 mg/dl  Glicemia  [group 1]\n"
      "visits: 1\n"
      "  02/11/2026  idrif4=lrv.89.52  ELETTROCARDIOGRAMMA\n";
  for (const auto& [key, out] : std::vector<std::pair<std::string, std::string>>{
           {"1", rossi}, {"8000031415", rossi}, {"rssmra50b01h501u", rossi}, {"2", verdi}}) {
    EXPECT_EQ(Lirvo({"chart", key, "--install", dir_.path()}), (RunResult{0, out, ""})) << key;
  }
  EXPECT_EQ(Lirvo({"chart", "99", "--install", dir_.path()}),
            (RunResult{1, "", "lirvo chart: no patient 99\n"}));
}

// Where each argument goes is the end-to-end scripts' ("dump chart").
TEST_F(ChartCommandTest, JsonHoldsEveryArgumentWithNullForNull) {
  const RunResult r = Lirvo({"chart", "1", "--json", "--install", dir_.path()});
  ASSERT_EQ(r.code, 0) << r.err;
  const auto chart = nlohmann::json::parse(r.out);
  EXPECT_EQ(chart["patient"], 1);
  ASSERT_EQ(chart["exams"].size(), 2u);
  EXPECT_EQ(chart["exams"][0]["args"][4], "GLI");
  EXPECT_EQ(chart["exams"][1]["args"][4], nullptr);
  EXPECT_EQ(chart["visits"][0]["args"][13], "lrv.87.44.1   ");  // as saved, blanks and all
}

}  // namespace
}  // namespace lirvo::cli
