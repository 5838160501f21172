// `lirvo trascodifica check`: the transcoding table as the plug-in reads it,
// and the laboratory codes of bundles that it lacks.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "base/cp1252.h"
#include "base/file_system.h"
#include "cli/run_lirvo.h"
#include "support/report_lines.h"
#include "support/temp_dir.h"

namespace lirvo::cli {
namespace {

using lirvo::test_support::Lab;
using lirvo::test_support::Report;
using test_support::Lirvo;
using test_support::RunResult;

// An "esame" element with these values, one child element each.
std::string Entry(const std::vector<std::string>& values) {
  std::string xml = "<esame>";
  for (const std::string& v : values) xml += "<v>" + v + "</v>";
  return xml + "</esame>\n";
}

class TrascodificaCheckTest : public ::testing::Test {
 protected:
  TrascodificaCheckTest() { EXPECT_EQ(Lirvo({"init", root_}).code, 0); }

  void WriteTable(const std::string& text) { RealFileSystem().WriteFile(table_, text); }

  RunResult Check(std::vector<std::string> args) {
    args.insert(args.begin(), {"trascodifica", "check", "--install", root_});
    return Lirvo(args);
  }

  lirvo::test_support::TempDir dir_;
  const std::string root_ = dir_.File("inst");
  const std::string table_ = root_ + "/plugin/TrascodificaLirvo.xml";
};

TEST_F(TrascodificaCheckTest, EveryProblemOfTheTableAndTheCodesItLacks) {
  WriteTable("<t>\n" + Entry({"GLU", "GLUCOSIO", "GLI", "Glicemia"}) +
             Entry({" AST", "AST", "GOT", "Transaminasi"}) + Entry({"", "VUOTO", "V", "Vuoto"}) +
             Entry({"CREA", "CREATININA", "", "Creatinina"}) +
             Entry({"glu", "GLUCOSIO", "GLI", "Glicemia"}) + Entry({"K", "POTASSIO", "K"}) +
             Entry({"NA", "SODIO", "NA", "Sodio"}) + "</t>\n");
  RealFileSystem().WriteFile(
      root_ + "/documents/referti.dat",
      Utf8ToCp1252(Report("1", Lab("GLU", "GLUCOSIO", "90") + Lab("NA", "SODIO", "140") +
                                   Lab("AST", "AST", "20") + Lab("", "SENZA", "1")) +
                   Report("2", Lab("GLU", "GLUCOSIO", "95") + Lab("NA", "SODIO", "141") +
                                   Lab("ZZZ", "IGNOTO", "3") + Lab("NA", "SODIO", "") +
                                   Lab("NA", "SODIO", "139"))));
  RunResult r = Check({"referti.dat"});
  EXPECT_EQ(r.code, 1) << r.err;
  EXPECT_EQ(r.out,
            "table " + table_ +
                ": 7 entries, the plug-in reads the first 4\n"
                "entry 2 \" AST\": blanks around the code: only a value coded with the same "
                "blanks finds it\n"
                "entry 3 \"\": empty code\n"
                "entry 4 \"CREA\": empty Clinora identifier: its values are saved under no "
                "Clinora exam\n"
                "entry 5 \"glu\": repeats the code \"GLU\" of entry 1 in another letter case\n"
                "  the plug-in stops reading the table here (error 457): entries 5 to 7 are "
                "never read: \"glu\", \"K\", \"NA\"\n"
                "  and the look-up that reads the table finds nothing: the first laboratory "
                "value of every import is not translated\n"
                "entry 6 \"K\": 3 values, 4 expected\n"
                "3 laboratory codes of the bundles not in the table (of 4 codes, 7 "
                "values):\n"
                "CODE  VALUES  NOTE\n"
                "NA    3       entry 7 has \"NA\", never read\n"
                "AST   1       entry 2 has \" AST\"\n"
                "ZZZ   1\n");

  r = Check({"--json", "referti.dat"});
  EXPECT_EQ(r.code, 1);
  const auto j = nlohmann::json::parse(r.out);
  EXPECT_EQ(j["stop"]["neverRead"][0], (nlohmann::json{{"entry", 5}, {"code", "glu"}}));
  std::vector<std::string> problems;
  for (const auto& p : j["problems"]) problems.push_back(p["problem"]);
  EXPECT_THAT(problems, testing::ElementsAre("blanks-around-code", "empty-code", "empty-clinora-id",
                                             "repeated-code", "too-few-values"));
  EXPECT_EQ(
      j["missing"][0],
      (nlohmann::json{{"code", "NA"}, {"values", 3}, {"similar", {{"entry", 7}, {"code", "NA"}}}}));
}

// A table the plug-in reads whole or not at all, as JSON: the error, how far
// the reading gets and where it stops.
TEST_F(TrascodificaCheckTest, WhatStopsOrPreventsTheReading) {
  const std::string good = Entry({"GLU", "GLUCOSIO", "GLI", "Glicemia"});
  const struct {
    std::string table;  // "" removes the file
    std::string error;
    int read, stop, stop_error;
  } cases[] = {
      {"", "file not found", 0, 0, 0},
      {"<t>" + good, "not well-formed XML with one root element", 0, 0, 0},
      {"  \n", "the file is empty", 0, 0, 0},
      {"<t>" + good + Entry({"HB", "EMOGLOBINA", "HGB"}) + good + "</t>", "", 1, 2, 91},
      {"<t>" + good + good + "</t>", "", 1, 2, 457},
  };
  for (const auto& c : cases) {
    if (c.table.empty()) {
      RealFileSystem().RemoveFile(table_);
    } else {
      WriteTable(c.table);
    }
    const RunResult r = Check({"--json"});
    EXPECT_EQ(r.code, 1) << c.table;
    const auto j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j["error"], c.error.empty() ? nlohmann::json() : nlohmann::json(c.error)) << c.table;
    EXPECT_EQ(j["read"], c.read) << c.table;
    EXPECT_EQ(j["stop"].is_null(), c.stop == 0) << c.table;
    if (c.stop != 0) {
      EXPECT_EQ(j["stop"]["entry"], c.stop);
      EXPECT_EQ(j["stop"]["error"], c.stop_error);
    }
  }
}

TEST(TrascodificaCheckCommandTest, CleanTableAndFailures) {
  lirvo::test_support::TempDir dir;
  ASSERT_EQ(Lirvo({"init", dir.path(), "--demo"}).code, 0);
  EXPECT_EQ(Lirvo({"trascodifica", "check", "--install", dir.path()}),
            (RunResult{0,
                       "table " + dir.File("plugin/TrascodificaLirvo.xml") +
                           ": 32 entries\nnothing to report\n",
                       ""}));
  EXPECT_EQ(Lirvo({"trascodifica", "check", "--install", dir.path(), "nessuno.dat"}),
            (RunResult{2, "",
                       "lirvo trascodifica check: " + dir.File("documents/nessuno.dat") +
                           ": file not found\n"}));
  EXPECT_EQ(Lirvo({"trascodifica", "check", "--install", dir.File("none")}),
            (RunResult{2, "",
                       "lirvo trascodifica check: no installation in " + dir.File("none") +
                           " (run lirvo init first)\n"}));
}

}  // namespace
}  // namespace lirvo::cli
