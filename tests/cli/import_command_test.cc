// `lirvo import`: the unattended import on a demo installation, its dry run,
// its log and its exit status.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <string>

#include "base/file_system.h"
#include "base/text.h"
#include "cli/import_report.h"
#include "cli/run_lirvo.h"
#include "reports/bundle_text.h"
#include "standin/archive.h"
#include "support/temp_dir.h"

namespace lirvo::cli {
namespace {

namespace fs = std::filesystem;
using importer::ItemOutcome;
using Json = nlohmann::json;
using test_support::Lirvo;
using test_support::RunResult;
using ::testing::HasSubstr;

// Every file of the folder with its bytes.
std::map<std::string, std::string> Snapshot(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(folder)) {
    if (e.is_regular_file()) files[e.path().string()] = RealFileSystem().ReadFile(e.path());
  }
  return files;
}

std::vector<Json> ReadLog(const std::string& path) {
  std::vector<Json> lines;
  const std::string text = RealFileSystem().ReadFile(path);
  for (std::string_view line : Split(text, "\n")) {
    if (!line.empty()) lines.push_back(Json::parse(line));
  }
  return lines;
}

class ImportCommandTest : public ::testing::Test {
 protected:
  ImportCommandTest() { EXPECT_EQ(Lirvo({"init", install_, "--demo"}).code, 0); }

  RunResult Import(std::vector<std::string> args) {
    args.insert(args.begin(), {"import", "--install", install_});
    return Lirvo(args);
  }
  std::string Documents() const { return install_ + "/documents/"; }

  lirvo::test_support::TempDir dir_;
  std::string install_ = dir_.File("inst");
};

TEST_F(ImportCommandTest, ADryRunChangesNothingAndDecidesAsTheRealRun) {
  const auto before = Snapshot(install_);
  const std::string dry_log = dir_.File("dry.jsonl"), real_log = dir_.File("real.jsonl");
  const RunResult dry = Import({"--all", "--dry-run", "--log", dry_log});
  ASSERT_EQ(dry.code, 0) << dry.err;
  EXPECT_EQ(Snapshot(install_), before);  // the archive included
  EXPECT_THAT(dry.out, HasSubstr("Dry run: nothing was saved"));
  EXPECT_THAT(dry.out, HasSubstr("would be renamed referti_dicembre_"));
  EXPECT_THAT(dry.out, HasSubstr("no patient (1 report):\n    #1  NREMRA85T52F205X  report "
                                 "12/07/2024  check-in 04/07/2024  exams 90.27.1"));

  const RunResult real = Import({"--all", "--log", real_log});
  ASSERT_EQ(real.code, 0) << real.err;
  std::vector<Json> dry_items = ReadLog(dry_log), real_items = ReadLog(real_log);
  ASSERT_EQ(dry_items.size(), real_items.size());
  dry_items.back()["totals"].erase("dryRun");
  real_items.back()["totals"].erase("dryRun");
  for (size_t i = 0; i < dry_items.size(); ++i) EXPECT_EQ(dry_items[i], real_items[i]) << i;

  // The overlapping bundle skipped what December's saved; a second real run
  // finds nothing left to import.
  EXPECT_GT(real_items.back()["totals"]["already_present"].get<int>(), 0);
  const RunResult again = Import({"--all"});
  EXPECT_EQ(again.code, 0);
  EXPECT_THAT(again.out, HasSubstr("No bundle to import."));
}

TEST_F(ImportCommandTest, TheLogAccountsForEveryReportAndValueOnce) {
  // Each report of the bundle appears, and each value line of a laboratory
  // report (a "#05#" line) is one item.
  const std::string text =
      reports::LoadBundleText(RealFileSystem(), Documents() + "referti_novembre.dat");
  const std::vector<std::string_view> pieces = reports::CutPieces(text);
  const std::string log = dir_.File("log.jsonl");
  ASSERT_EQ(Import({"--bundle", "referti_novembre.dat", "--log", log}).code, 0);
  const std::vector<Json> lines = ReadLog(log);
  const Json totals = lines.back()["totals"];

  std::set<int> positions;
  std::map<std::string, int> outcomes;
  for (size_t i = 0; i + 1 < lines.size(); ++i) {
    positions.insert(lines[i]["position"].get<int>());
    ++outcomes[lines[i]["outcome"].get<std::string>()];
    EXPECT_EQ(lines[i]["bundle"], "referti_novembre.dat");
  }
  size_t reports = 0, values = 0;
  for (size_t i = 0; i < pieces.size(); ++i) {
    if (Trim(pieces[i]).empty()) continue;
    ++reports;
    EXPECT_EQ(positions.count(static_cast<int>(i)), 1u) << "report " << i << " missing";
    size_t lab_lines = 0;
    for (size_t at = pieces[i].find("#05#"); at != std::string_view::npos;
         at = pieces[i].find("#05#", at + 1)) {
      ++lab_lines;
    }
    values += lab_lines == 0 ? 1 : lab_lines;
  }
  EXPECT_EQ(totals["reports"], reports);
  EXPECT_EQ(totals["items"], values);
  EXPECT_EQ(lines.size() - 1, values);
  for (const auto& [outcome, n] : outcomes) EXPECT_EQ(totals[outcome], n) << outcome;
  EXPECT_GT(outcomes["saved"], 0);
  EXPECT_GT(outcomes["no_patient"], 0);
  EXPECT_FALSE(fs::exists(Documents() + "referti_novembre.dat"));  // marked imported
}

TEST_F(ImportCommandTest, AnImportThatStopsOnAnErrorFailsAndKeepsTheBundle) {
  // The unread summary cannot be written where a folder stands.
  fs::create_directory(Documents() + "lastUnReadImport.rtf");
  const RunResult r = Import({"--bundle", "referti_ottobre.dat", "--json"});
  EXPECT_EQ(r.code, 1) << r.out;
  const Json summary = Json::parse(r.out);
  EXPECT_EQ(summary["exitCode"], 1);
  EXPECT_TRUE(summary["bundles"][0]["stopped"].get<bool>());
  EXPECT_GT(summary["totals"]["saved"].get<int>(), 0);  // what was saved stays saved
  EXPECT_TRUE(fs::exists(Documents() + "referti_ottobre.dat"));
}

TEST_F(ImportCommandTest, UsageAndInstallationErrorsExitWithTwo) {
  EXPECT_EQ(Import({}).code, 2);
  EXPECT_EQ(Import({"--bundle", "x.dat", "--all"}).code, 2);
  const RunResult missing = Import({"--bundle", "nessuno.dat"});
  EXPECT_EQ(missing.code, 2);
  EXPECT_THAT(missing.err, HasSubstr("nessuno.dat: no such bundle"));
  const RunResult nowhere = Lirvo({"import", "--install", dir_.File("nowhere"), "--all"});
  EXPECT_EQ(nowhere.code, 2);
  EXPECT_THAT(nowhere.err, HasSubstr("not an installation"));
  EXPECT_EQ(Import({"--all", "--log", dir_.File("no/such/folder/log")}).code, 2);
}

// The exit status from what became of the items.
TEST(ImportExitCode, FollowsTheOutcomes) {
  const auto run = [](std::vector<ItemOutcome> outcomes, bool stopped = false) {
    BundleRun r;
    for (ItemOutcome o : outcomes) {
      r.items.emplace_back();
      r.items.back().outcome = o;
    }
    r.stopped = stopped;
    return r;
  };
  using O = ItemOutcome;
  const struct {
    std::vector<BundleRun> runs;
    int code;
  } cases[] = {
      {{run({O::kSaved, O::kAlreadyPresent, O::kNoPatient, O::kNotParsed})}, 0},
      {{run({O::kAlreadyPresent})}, 0},
      {{run({O::kSaved, O::kSaveFailed})}, 3},
      {{run({O::kSaveFailed})}, 1},
      {{run({O::kSaved, O::kNotReached})}, 1},
      {{run({O::kSaved}, /*stopped=*/true)}, 1},
      {{run({O::kSaved, O::kSaveFailed}), run({O::kSaved}, true)}, 1},
      {{run({O::kSaved}), run({O::kSaved, O::kSaveFailed})}, 3},
      {{}, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ExitCodeOf({.dry_run = false, .runs = c.runs, .exit_code = 0}), c.code);
  }
}

}  // namespace
}  // namespace lirvo::cli
