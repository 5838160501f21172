// `lirvo preview`: a report of a bundle as the detail window shows it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "base/cp1252.h"
#include "base/file_system.h"
#include "cli/run_lirvo.h"
#include "controls/rtf.h"
#include "standin/archive.h"
#include "support/report_lines.h"
#include "support/temp_dir.h"

namespace lirvo::cli {
namespace {

using lirvo::test_support::Lab;
using lirvo::test_support::Report;
using test_support::Lirvo;
using test_support::RunResult;

class PreviewCommandTest : public ::testing::Test {
 protected:
  PreviewCommandTest() {
    EXPECT_EQ(Lirvo({"init", root_}).code, 0);
    standin::SqliteArchive::Open(root_ + "/archive.db")
        ->AddPatient({0, "D'ANGELO", "NICCOLÒ", "01/02/1950", "", "080012345"});
    RealFileSystem().WriteFile(
        bundle_, Utf8ToCp1252(Report("080012345",
                                     "#04#88.72.3 ECOGRAFIA\r\nEsito: nella norma, così "
                                     "com'è.\r\n") +
                              Report("080012345", Lab("GLU", "GLUCOSIO", "130", "70", "110", true) +
                                                      Lab("GLU", "UREA", "30")) +
                              Report("999999999", "Testo.\r\n") +
                              Report("080012345", "Nota\r\n" + Lab("GLU", "UREA", "30"))));
  }

  RunResult Preview(std::vector<std::string> args) {
    args.insert(args.begin(), "preview");
    args.insert(args.end(), {"--install", root_});
    return Lirvo(args);
  }

  lirvo::test_support::TempDir dir_;
  const std::string root_ = dir_.File("inst");
  const std::string bundle_ = root_ + "/documents/referti.dat";
};

TEST_F(PreviewCommandTest, TextReportForPeople) {
  const RunResult r = Preview({"referti.dat", "1"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out,
            "D'ANGELO NICCOLÒ\n\n"
            "Reparto:            Ospedale\n"
            "Check IN:           14/03/2024\n"
            "Referto del:        15/03/2024\n\n"
            "Refertazione: 88.72.3 ECOGRAFIA\n\n"
            "Esito: nella norma, così com'è.\n");
  EXPECT_EQ(r.err, "");
}

TEST_F(PreviewCommandTest, ValuesInBoldAndRedOnATerminal) {
  const RunResult r = Preview({bundle_, "2", "--color", "always"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_THAT(r.out,
              testing::HasSubstr("\x1b[1mEsami:\x1b[0m\n\n"
                                 "\x1b[1mGLUCOSIO.......................................... \x1b[0m"
                                 "\x1b[1m\x1b[31m*130 mg/dl           \x1b[0m70 - 110\n"
                                 "\x1b[1mUREA.............................................. \x1b[0m"
                                 "30 mg/dl             70 - 110\n"));
}

TEST_F(PreviewCommandTest, WritesTheSheetAsRtf) {
  const std::string out = dir_.File("sheet.rtf");
  const RunResult r = Preview({"referti.dat", "2", "--rtf", out});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "");
  const controls::StyledText runs = controls::ReadRtf(RealFileSystem().ReadFile(out));
  ASSERT_GT(runs.size(), 9u);
  EXPECT_EQ(runs[9], (controls::StyledRun{"*130 mg/dl           ", {"Courier New", 8, 255, true}}));
}

TEST_F(PreviewCommandTest, FailuresSayWhy) {
  struct Case {
    std::vector<std::string> args;
    int code;
    std::string err;
  };
  const std::string folder = dir_.File("inst/documents");
  const Case cases[] = {
      {{"referti.dat", "9"}, 2, "no report at position 9 of " + bundle_ + " (it has 5 pieces)"},
      {{"referti.dat", "3"},
       2,
       "the patient 999999999 of the report at position 3 is not in the archive"},
      {{"nessuno.dat", "1"}, 2, root_ + "/documents/nessuno.dat: file not found"},
      {{"referti.dat", "4"},
       1,
       "the report at position 4 has a value line with fewer than five fields; it has no sheet"},
      {{"referti.dat", "1", "--rtf", folder}, 1, folder + ": "},
  };
  for (const Case& c : cases) {
    const RunResult r = Preview(c.args);
    EXPECT_EQ(r.code, c.code) << c.err;
    EXPECT_THAT(r.err, testing::StartsWith("lirvo preview: " + c.err)) << r.err;
    EXPECT_EQ(r.out, "");
  }
  // A readable report whose installation has no archive to find its patient in.
  const RunResult no_archive = Lirvo({"preview", bundle_, "1", "--install", dir_.File("none")});
  EXPECT_EQ(no_archive.code, 2);
  EXPECT_THAT(no_archive.err,
              testing::StartsWith("lirvo preview: no archive at " + dir_.File("none")));
}

}  // namespace
}  // namespace lirvo::cli
