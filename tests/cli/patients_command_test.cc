#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/file_system.h"
#include "cli/run_lirvo.h"
#include "standin/installation.h"
#include "support/temp_dir.h"

namespace lirvo::cli {
namespace {

using test_support::Lirvo;
using test_support::RunResult;

class PatientsCommandTest : public ::testing::Test {
 protected:
  void SetUp() override { standin::LayOutInstallation(RealFileSystem(), inst_, false); }
  lirvo::test_support::TempDir dir_;
  standin::Installation inst_{dir_.path()};
};

TEST_F(PatientsCommandTest, AddPrintsTheNewIdAndListShowsThePatients) {
  RunResult r = Lirvo({"patients", "add", "ROSSI", "MARIO", "01/02/1950", "RSSMRA50B01H501U",
                       "8000031415", "--install", dir_.path()});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "1\n");
  r = Lirvo({"patients", "add", "D'ANGELO", "NICCOLÒ", "3/4/1999", "", "8000039334", "--install",
             dir_.path()});
  EXPECT_EQ(r.out, "2\n");

  r = Lirvo({"patients", "list", "--install", dir_.path()});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out,
            "ID  COGNOME   NOME     NATO        CODICE FISCALE    TESSERA\n"
            "1   ROSSI     MARIO    01/02/1950  RSSMRA50B01H501U  8000031415\n"
            "2   D'ANGELO  NICCOLÒ  03/04/1999                    8000039334\n");
  r = Lirvo({"patients", "list", "--json", "--install", dir_.path()});
  EXPECT_EQ(r.out, R"({"type":"patients","patients":[{"id":1,"cognome":"ROSSI","nome":"MARIO",)"
                   R"("data_nascita":"01/02/1950","codice_fiscale":"RSSMRA50B01H501U",)"
                   R"("tessera":"8000031415"},{"id":2,"cognome":"D'ANGELO","nome":"NICCOLÒ",)"
                   R"("data_nascita":"03/04/1999","codice_fiscale":"","tessera":"8000039334"}]})"
                   "\n");
}

TEST_F(PatientsCommandTest, AddRefusesBadDatesDuplicatesAndMissingArchives) {
  const std::vector<std::string> rossi = {"patients",   "add",        "ROSSI",
                                          "MARIO",      "01/02/1950", "RSSMRA50B01H501U",
                                          "8000031415", "--install",  dir_.path()};
  ASSERT_EQ(Lirvo(rossi).code, 0);
  RunResult r = Lirvo(rossi);
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "lirvo patients add: a patient with this tessera or codice fiscale exists\n");

  r = Lirvo({"patients", "add", "ROSSI", "MARIO", "30/02/1950", "", "1", "--install", dir_.path()});
  EXPECT_EQ(r.code, 2);
  EXPECT_EQ(r.err, "lirvo patients add: invalid birth date: 30/02/1950\n");

  r = Lirvo({"patients", "list", "--install", dir_.File("elsewhere")});
  EXPECT_EQ(r.code, 2);
  EXPECT_EQ(r.err, "lirvo patients: no archive at " + dir_.File("elsewhere") +
                       "/archive.db (run lirvo init first)\n");
}

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
  const RunResult r = Lirvo({"patients", "import", dir_.File("p.csv"), "--install", dir_.path()});
  EXPECT_EQ(r.code, 3);
  EXPECT_EQ(r.out, "3 patients imported, 3 rows skipped\n");
  const std::string csv = dir_.File("p.csv");
  EXPECT_EQ(r.err, csv + ":5: skipped: invalid birth date: 31/06/1982\n" + csv +
                       ":6: skipped: 5 fields expected, 2 found\n" + csv +
                       ":7: skipped: a patient with this tessera or codice fiscale exists\n");
  const RunResult list = Lirvo({"patients", "list", "--install", dir_.path()});
  EXPECT_NE(list.out.find("DE LUCA; JR"), std::string::npos);
  EXPECT_NE(list.out.find("CAFÈ"), std::string::npos);  // Windows-1252 read as such
}

TEST_F(PatientsCommandTest, ImportNeedsAReadableFileWithTheColumns) {
  RealFileSystem().WriteFile(dir_.File("p.csv"), "cognome,nome,tessera\nA,B,1\n");
  RunResult r = Lirvo({"patients", "import", dir_.File("p.csv"), "--install", dir_.path()});
  EXPECT_EQ(r.code, 2);
  EXPECT_EQ(r.err, "lirvo patients import: " + dir_.File("p.csv") +
                       ": the header has no column data_nascita\n");
  r = Lirvo({"patients", "import", dir_.File("none.csv"), "--install", dir_.path()});
  EXPECT_EQ(r.code, 2);
  RealFileSystem().WriteFile(dir_.File("ok.csv"),
                             "tessera,cognome,nome,data_nascita,codice_fiscale\n1,A,B,1/1/2000,\n");
  r = Lirvo({"patients", "import", dir_.File("ok.csv"), "--install", dir_.path()});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "1 patient imported, 0 rows skipped\n");
}

}  // namespace
}  // namespace lirvo::cli
