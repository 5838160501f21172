#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/file_system.h"
#include "run_lirvo.h"
#include "support/temp_dir.h"

namespace lirvo::cli {
namespace {

using test_support::Lirvo;
using test_support::RunResult;

// Two reports in Windows-1252 with LF line breaks, after a line of junk.
// Header columns: 1-18 request, 19-34 patient code, 39-46 and 57-64 dates.
const std::string kBundle =
    "junk\n"
    "#01#REF202400000000001RSSMRA48C12H501C010120240315093"
    "0RAD00120240314 RADIOLOGIA\n"
    "#04#88.73.5 ECOGRAFIA MAMMARIA\n"
    "Nessuna lesione \"focale\" \xe8 visibile.\n"
    "#01#REF202400000000002BNCGLI75L65F205Z0101150320240800LAB00320240312\r\n"
    "#05#HB                  EMOGLOBINA" +
    std::string(80, ' ') + "17.1                          g/dl           12.0" +
    std::string(21, ' ') + "16.0                     H\r\n";
// The lab piece as it stands in the bundle, from "#05#" to the last value.
const std::string kLabLine =
    kBundle.substr(kBundle.rfind("#05#"), kBundle.size() - 2 - kBundle.rfind("#05#"));

class ParseCommandTest : public ::testing::Test {
 protected:
  void SetUp() override { RealFileSystem().WriteFile(path_, kBundle); }
  lirvo::test_support::TempDir dir_;
  std::string path_ = dir_.File("referti.dat");
};

TEST_F(ParseCommandTest, JsonListsEveryAcceptedPieceInOrder) {
  const RunResult r = Lirvo({"parse", "--json", path_});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(
      r.out,
      "{\"pieces\":3,\"reports\":[\n"
      "{\"position\":0,\"patientCode\":\"\",\"kind\":\"S\",\"examCodes\":\"\",\"examDescriptions\":"
      "\"\",\"reportDate\":\"//\",\"checkInDate\":\"//\",\"outOfRange\":false,\"body\":\"\","
      "\"rawText\":\"junk\\r\\n\"},\n"
      "{\"position\":1,\"patientCode\":\"RSSMRA48C12H501C\",\"kind\":\"S\",\"examCodes\":"
      "\"88.73.5\",\"examDescriptions\":\"88.73.5 ECOGRAFIA MAMMARIA\",\"reportDate\":"
      "\"15/03/2024\",\"checkInDate\":\"14/03/2024\",\"outOfRange\":false,\"body\":\"Nessuna "
      "lesione \\\"focale\\\" \xc3\xa8 visibile.\",\"rawText\":\"REF202400000000001RSSMRA48C12H501C"
      "0101202403150930RAD00120240314 RADIOLOGIA\\r\\n#04#88.73.5 ECOGRAFIA MAMMARIA\\r\\nNessuna "
      "lesione \\\"focale\\\" \xc3\xa8 visibile.\\r\\n\"},\n"
      "{\"position\":2,\"patientCode\":\"BNCGLI75L65F205Z\",\"kind\":\"L\",\"examCodes\":\"\","
      "\"examDescriptions\":\"\",\"reportDate\":\"15/03/2024\",\"checkInDate\":\"12/03/2024\","
      "\"outOfRange\":true,\"body\":\"HB\\tEMOGLOBINA\\t*17,1\\tg/dl\\t12,0 - 16,0\",\"rawText\":"
      "\"REF202400000000002BNCGLI75L65F205Z0101150320240800LAB00320240312\\r\\n" +
          kLabLine + "\\r\\n\"}\n]}\n");

  const RunResult in = Lirvo({"parse", "--json", "--layout", "inline", path_});
  EXPECT_EQ(in.code, 0);
  EXPECT_NE(in.out.find("\"body\":\"EMOGLOBINA: *17,1 g/dl\""), std::string::npos) << in.out;
}

// The counts, the listing for people, and JSON of a file without reports.
TEST_F(ParseCommandTest, StatsListingAndAFileWithoutReports) {
  const struct {
    std::string bundle;
    const char* option;
    std::string out;
  } cases[] = {
      {kBundle, "--stats",
       "pieces: 3\n"
       "reports: 3\n"
       "text reports: 2\n"
       "laboratory reports: 1\n"
       "lab values: 1\n"
       "out of range: 1\n"},
      {kBundle, nullptr,
       "#0  -  text  report //  check-in //\n"
       "    \n"
       "#1  RSSMRA48C12H501C  text  report 15/03/2024  check-in 14/03/2024  exams 88.73.5\n"
       "    Nessuna lesione \"focale\" \xc3\xa8 visibile.\n"
       "#2  BNCGLI75L65F205Z  laboratory  report 15/03/2024  check-in 12/03/2024  OUT OF RANGE\n"
       "    EMOGLOBINA: *17,1 g/dl\n"
       "3 reports in 3 pieces\n"},
      {"#01#   #01#", "--json", "{\"pieces\":3,\"reports\":[]}\n"},
  };
  for (const auto& c : cases) {
    RealFileSystem().WriteFile(path_, c.bundle);
    std::vector<std::string> args = {"parse", path_};
    if (c.option != nullptr) args.insert(args.begin() + 1, c.option);
    EXPECT_EQ(Lirvo(args), (RunResult{0, c.out, ""}));
  }
}

TEST_F(ParseCommandTest, MissingUnreadableOrBadArgumentsAreUsageErrors) {
  EXPECT_EQ(Lirvo({"parse", "--stats", dir_.File("nope.dat")}),
            (RunResult{2, "", "lirvo parse: " + dir_.File("nope.dat") + ": file not found\n"}));
  EXPECT_EQ(Lirvo({"parse", "--json", "--layout", "wide", path_}).code, 2);
  EXPECT_EQ(Lirvo({"parse", "--json", "--stats", path_}).code, 2);
  EXPECT_EQ(Lirvo({"parse"}).code, 2);
}

TEST(DemoBundleCommand, WritesAWindows1252BundleThatParses) {
  lirvo::test_support::TempDir dir;
  const std::string path = dir.File("demo.dat");
  const RunResult w = Lirvo({"demo-bundle", path, "--reports", "7", "--seed", "3"});
  EXPECT_EQ(w.code, 0);
  EXPECT_EQ(w.out, path + ": 7 reports\n");
  const std::string bytes = RealFileSystem().ReadFile(path);
  EXPECT_EQ(bytes.rfind("#01#", 0), 0u);
  EXPECT_EQ(bytes.find("\xc3"), std::string::npos);  // no UTF-8 on disk

  const RunResult s = Lirvo({"parse", "--stats", path});
  EXPECT_EQ(s.out.substr(0, s.out.find("text")), "pieces: 8\nreports: 7\n");

  EXPECT_EQ(Lirvo({"demo-bundle", dir.File("no/such/folder.dat")}).code, 1);
}

}  // namespace
}  // namespace lirvo::cli
