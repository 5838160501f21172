// `lirvo unmatched`: the reports of a bundle that the main window leaves out.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "base/cp1252.h"
#include "base/file_system.h"
#include "cli/run_lirvo.h"
#include "standin/archive.h"
#include "support/report_lines.h"
#include "support/temp_dir.h"

namespace lirvo::cli {
namespace {

using lirvo::test_support::Report;
using test_support::Lirvo;
using test_support::RunResult;

// The positions of the report rows of the main window's grid in the
// transcript of `lirvo run`, or with `grid` false, of JSON lines that each
// hold one.
std::set<int> Positions(const std::string& lines, bool grid) {
  std::set<int> out;
  std::istringstream in(lines);
  for (std::string line; std::getline(in, line);) {
    const auto j = nlohmann::json::parse(line);
    if (!grid) out.insert(j["position"].get<int>());
    if (!grid || j["type"] != "grid") continue;
    for (const auto& patient : j["rows"]) {
      for (const auto& report : patient["children"]) {
        out.insert(std::stoi(report["items"][2].get<std::string>()));
      }
    }
  }
  return out;
}

// Every report of a demo bundle is either in the main window after a load or
// listed by `lirvo unmatched`, never both.
TEST(UnmatchedCommandTest, ListsWhatTheMainWindowLeavesOut) {
  lirvo::test_support::TempDir dir;
  ASSERT_EQ(Lirvo({"init", dir.path(), "--demo"}).code, 0);
  size_t unmatched_total = 0;
  for (const std::string bundle :
       {"referti_ottobre.dat", "referti_novembre.dat", "referti_dicembre.dat"}) {
    const std::string script = dir.File("load.lirvo");
    RealFileSystem().WriteFile(script,
                               "event registrazione 0\nevent form.load frmMain\n"
                               "event mainribbonbar.activetab \"Referti Lirvo\"\nchoose " +
                                   bundle +
                                   "\nevent execute RefertiLirvo.referti.storico\n"
                                   "dump grid\n");
    const RunResult load = Lirvo({"run", "--install", dir.path(), script});
    ASSERT_EQ(load.code, 0) << load.err;
    const auto parsed = nlohmann::json::parse(
        Lirvo({"parse", "--json", dir.File("documents/" + bundle)}).out)["reports"];
    const RunResult unmatched = Lirvo({"unmatched", "--json", "--install", dir.path(), bundle});
    ASSERT_EQ(unmatched.code, 0) << unmatched.err;

    std::set<int> reports;
    for (const auto& r : parsed) reports.insert(r["position"].get<int>());
    std::set<int> shown = Positions(load.out, true);
    const std::set<int> left_out = Positions(unmatched.out, false);
    unmatched_total += left_out.size();
    EXPECT_EQ(shown.size() + left_out.size(), reports.size()) << bundle;
    shown.insert(left_out.begin(), left_out.end());
    EXPECT_EQ(shown, reports) << bundle;
  }
  EXPECT_GT(unmatched_total, 0u);
}

class UnmatchedBundleTest : public ::testing::Test {
 protected:
  UnmatchedBundleTest() {
    EXPECT_EQ(Lirvo({"init", root_}).code, 0);
    standin::SqliteArchive::Open(root_ + "/archive.db")
        ->AddPatient({0, "ROSSI", "MARIO", "01/02/1950", "RSSMRA50B01H501U", "080012345"});
  }

  void WriteBundle(const std::string& text) {
    RealFileSystem().WriteFile(root_ + "/documents/referti.dat", Utf8ToCp1252(text));
  }

  RunResult Unmatched(std::vector<std::string> args) {
    args.insert(args.begin(), {"unmatched", "--install", root_});
    return Lirvo(args);
  }

  lirvo::test_support::TempDir dir_;
  const std::string root_ = dir_.File("inst");
};

TEST_F(UnmatchedBundleTest, TableJsonAndPiecesThatDoNotParse) {
  // Piece 5 has more lines than a report may have: it does not parse.
  WriteBundle(Report("080012345", "Testo.\r\n") +
              Report("999999999", "#04#88.72.3 ECO\r\n#04#GLU     GLICEMIA\r\n") +
              Report("rssmra50b01h501u", "Testo.\r\n") + Report("", "Senza codice.\r\n") +
              Report("080012345", std::string(2 * 32767, '\n')));
  EXPECT_EQ(Unmatched({"referti.dat"}),
            (RunResult{0,
                       "POSITION  PATIENT CODE  REPORT      CHECK-IN    EXAMS\n"
                       "2         999999999     15/03/2024  14/03/2024  88.72.3, GLU\n"
                       "4         -             15/03/2024  14/03/2024  -\n"
                       "2 reports of " +
                           root_ +
                           "/documents/referti.dat match no patient of the archive; the main "
                           "window does not list them\n",
                       "lirvo unmatched: 1 piece of " + root_ +
                           "/documents/referti.dat did not parse as a report and is not "
                           "counted\n"}));

  RunResult r = Unmatched({"--json", root_ + "/documents/referti.dat"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out,
            "{\"position\":2,\"patientCode\":\"999999999\",\"reportDate\":\"15/03/2024\","
            "\"checkInDate\":\"14/03/2024\",\"examCodes\":[\"88.72.3\",\"GLU\"]}\n"
            "{\"position\":4,\"patientCode\":\"\",\"reportDate\":\"15/03/2024\","
            "\"checkInDate\":\"14/03/2024\",\"examCodes\":[]}\n");

  WriteBundle(Report("080012345", "Testo.\r\n"));
  EXPECT_EQ(Unmatched({"referti.dat"}),
            (RunResult{0,
                       "every report of " + root_ +
                           "/documents/referti.dat matches a patient of the archive\n",
                       ""}));
  WriteBundle("");
  EXPECT_EQ(Unmatched({"referti.dat"}).out,
            root_ +
                "/documents/referti.dat is empty: the main window refuses it (File referti "
                "inconsistente!)\n");
}

TEST_F(UnmatchedBundleTest, FailuresSayWhy) {
  WriteBundle(Report("080012345", "Testo.\r\n"));
  const std::string docs = root_ + "/documents";
  const struct {
    std::vector<std::string> args;
    std::string err;
  } cases[] = {
      {{"unmatched", "--install", root_, "nessuno.dat"}, docs + "/nessuno.dat: file not found"},
      {{"unmatched", "--install", root_, docs}, docs + ": is a folder"},
      {{"unmatched", "--install", dir_.File("none"), docs + "/referti.dat"},
       "no archive at " + dir_.File("none") + "/archive.db (run lirvo init first)"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Lirvo(c.args), (RunResult{2, "", "lirvo unmatched: " + c.err + "\n"}));
  }
}

}  // namespace
}  // namespace lirvo::cli
