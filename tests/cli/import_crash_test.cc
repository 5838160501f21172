// The import keeps its promise when the process dies. A realistic import
// (the demo's two overlapping bundles, imported one after the other through
// the plug-in's events) is stopped at every step in turn, in a child process
// that ends on the spot as a killed one would; then the same import runs
// again to its end. Afterwards every item is in the charts exactly once,
// every report is still in a file of the documents folder and every summary
// left there is readable rich text.
//
// A step is a chart save of the host (the archive's FsOp::kList stands for
// it below) or a file operation that changes the disk; between two of them
// nothing changes, so stopping at a query or a read leaves the same state as
// stopping at the next change. A write is also
// torn: half of it reaches the disk and then the process dies.
#include <gtest/gtest.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <utility>

#include "base/file_system.h"
#include "cli/run_lirvo.h"
#include "cli/script_runner.h"
#include "controls/rtf.h"
#include "reports/bundle_text.h"
#include "standin/archive.h"
#include "support/temp_dir.h"

namespace lirvo::cli {
namespace {

namespace fs = std::filesystem;

constexpr int kDied = 86;  // the exit status of a child stopped at its step
const DateTime kNow{2026, 3, 1, 9, 0, 0};
const std::vector<std::string> kBundles = {"referti_dicembre.dat", "referti_dicembre_bis.dat"};

// Forwards every call and calls `step` before each one that changes the
// disk, with the bytes of a write.
class SteppingFileSystem final : public FileSystem {
 public:
  using Step = std::function<void(FsOp op, const std::string& path, std::string_view data)>;
  SteppingFileSystem(FileSystem& target, Step step) : target_(target), step_(std::move(step)) {}

  bool FileExists(const std::string& p) override { return target_.FileExists(p); }
  bool DirectoryExists(const std::string& p) override { return target_.DirectoryExists(p); }
  std::string ReadFile(const std::string& p) override { return target_.ReadFile(p); }
  void WriteFile(const std::string& p, std::string_view data) override {
    step_(FsOp::kWrite, p, data);
    target_.WriteFile(p, data);
  }
  void RenameFile(const std::string& from, const std::string& to) override {
    step_(FsOp::kRename, from, {});
    target_.RenameFile(from, to);
  }
  void RenameNoReplace(const std::string& from, const std::string& to) override {
    step_(FsOp::kRename, from, {});
    target_.RenameNoReplace(from, to);
  }
  void RemoveFile(const std::string& p) override {
    step_(FsOp::kDelete, p, {});
    target_.RemoveFile(p);
  }
  void MakeDirectory(const std::string& p) override {
    step_(FsOp::kMakeDirectory, p, {});
    target_.MakeDirectory(p);
  }
  std::vector<DirEntry> ListDirectory(const std::string& p) override {
    return target_.ListDirectory(p);
  }
  std::optional<uint64_t> FileSize(const std::string& p) override { return target_.FileSize(p); }
  PathKind KindOf(const std::string& p) override { return target_.KindOf(p); }
  std::string WriteTarget(const std::string& p) override { return target_.WriteTarget(p); }

 private:
  FileSystem& target_;
  Step step_;
};

std::string Documents(const std::string& install) { return install + "/documents/"; }

// The person's part. With `single`, report 6 of the first bundle is imported
// on its own first ("Importa Singolo": it moves to a file of its own). Then
// each bundle still under its own name is chosen through "Storico" and
// imported. Every message gets its first answer: OK, or No to the offer to
// print.
std::string ImportScript(const std::string& install, bool single) {
  std::string s =
      "event registrazione x\n"
      "event form.load frmMain\n"
      "event mainribbonbar.activetab \"Referti Lirvo\"\n";
  for (const std::string& bundle : kBundles) {
    if (!fs::exists(Documents(install) + bundle)) continue;
    s += "choose " + bundle + "\nevent execute RefertiLirvo.referti.storico\n";
    if (std::exchange(single, false)) s += "select 6\npopup 1\nrightclick\n";
    s += "event execute RefertiLirvo.referti.importa\n";
  }
  return s + "event execute RefertiLirvo.referti.lastUNREAD\nevent fine\n";
}

RunnerSeams Seams(FileSystem* fs, std::function<void()> before_chart_save = {}) {
  RunnerSeams seams;
  seams.fs = fs;
  seams.before_chart_save = std::move(before_chart_save);
  return seams;
}

// Runs the import on the installation; the script's exit status.
int RunImport(const std::string& install, bool single, RunnerSeams seams = {}) {
  std::ostringstream transcript;
  std::istringstream script(ImportScript(install, single));
  ScriptRunner runner(install, kNow, transcript, false, std::move(seams));
  return runner.Run(script);
}

// Every chart item of every patient, one line each, without the group number
// of the automatic exams (a new one is drawn on every run).
std::multiset<std::string> Charts(const std::string& install) {
  auto archive = standin::SqliteArchive::Open(install + "/archive.db",
                                              standin::SqliteArchive::OpenMode::kMustExist);
  std::multiset<std::string> items;
  for (const standin::PatientRecord& p : archive->ListPatients()) {
    auto add = [&](const char* kind, const std::vector<standin::ChartEntry>& entries) {
      for (const standin::ChartEntry& e : entries) {
        std::string line = kind + std::to_string(p.id);
        for (size_t i = 0; i < e.args.size(); ++i) {
          if (e.automatic && i == 1) continue;
          line += "|" + host::Describe(e.args[i]);
        }
        items.insert(line);
      }
    };
    add("exam ", archive->Exams(p.id));
    add("visit ", archive->Visits(p.id));
  }
  return items;
}

// The reports of the demo bundles, as the cut gives them.
std::vector<std::string> Reports(const std::string& install) {
  std::vector<std::string> reports;
  for (const std::string& bundle : kBundles) {
    const std::string text = reports::LoadBundleText(RealFileSystem(), Documents(install) + bundle);
    for (std::string_view piece : reports::CutPieces(text)) {
      if (piece.find_first_not_of(" \r\n") != std::string_view::npos) {
        reports.emplace_back(piece);
      }
    }
  }
  return reports;
}

// A whole rich-text document: "{\\rtf" at the start and the group it opens
// closed by the last character, with every group inside it closed. The
// reader takes a cut document too, as the rich-text control does, so it
// cannot tell a torn file.
bool IsWholeRtf(std::string_view rtf) {
  while (!rtf.empty() && (rtf.back() == '\r' || rtf.back() == '\n')) rtf.remove_suffix(1);
  if (!rtf.starts_with("{\\rtf")) return false;
  int depth = 0;
  for (size_t i = 0; i < rtf.size(); ++i) {
    if (rtf[i] == '\\') {
      ++i;  // an escaped brace or backslash is text
    } else if (rtf[i] == '{') {
      ++depth;
    } else if (rtf[i] == '}' && --depth == 0) {
      return i + 1 == rtf.size();
    }
  }
  return false;
}

class ImportCrashTest : public ::testing::Test {
 protected:
  // A fresh demo installation.
  std::string FreshInstall() {
    const std::string install = work_.File("inst" + std::to_string(++installs_));
    const auto init = test_support::Lirvo({"init", install, "--demo"});
    if (init.code != 0) throw std::runtime_error("lirvo init: " + init.err);
    return install;
  }

  // Runs the import in a child process that dies at step `stop` (torn: in
  // the middle of that step's write); the child's exit status.
  static int RunAndDie(const std::string& install, int stop, bool torn) {
    const pid_t pid = ::fork();
    if (pid == 0) {
      int step = 0;
      auto at = [&](FsOp op, const std::string& path, std::string_view data) {
        if (++step != stop) return;
        if (torn && op == FsOp::kWrite) {
          RealFileSystem().WriteFile(path, data.substr(0, data.size() / 2));
        }
        ::_exit(kDied);
      };
      SteppingFileSystem stepping(RealFileSystem(), at);
      int status = 3;
      try {
        status = RunImport(install, true, Seams(&stepping, [&] { at(FsOp::kList, "", {}); }));
      } catch (...) {
      }
      ::_exit(status);
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
  }

  // Every report is still in a file of the documents folder, and every
  // summary there is whole.
  void ExpectFilesKept(const std::string& install) {
    std::vector<std::string> texts;
    for (const auto& entry : fs::directory_iterator(Documents(install))) {
      const std::string path = entry.path().string();
      texts.push_back(reports::LoadBundleText(RealFileSystem(), path));
      if (entry.path().extension() == ".rtf") {
        const std::string rtf = RealFileSystem().ReadFile(path);
        EXPECT_TRUE(IsWholeRtf(rtf)) << path;
        EXPECT_NO_THROW(controls::ReadRtf(rtf)) << path;
      }
    }
    for (const std::string& report : reports_) {
      EXPECT_TRUE(std::any_of(texts.begin(), texts.end(),
                              [&](const std::string& t) { return t.find(report) != t.npos; }))
          << "lost: " << report.substr(0, 60);
    }
  }

  void SetUp() override {
    // The import without a fault: its charts are what every run must reach.
    const std::string install = FreshInstall();
    reports_ = Reports(install);
    SteppingFileSystem counting(RealFileSystem(),
                                [&](FsOp op, const std::string&, std::string_view) {
                                  write_steps_.push_back(op == FsOp::kWrite);
                                });
    ASSERT_EQ(RunImport(install, true, Seams(&counting, [&] { write_steps_.push_back(false); })),
              0);
    reference_charts_ = Charts(install);
    // Every item once, or "nothing twice" below would prove nothing. (The
    // imported names the bundles get: the end-to-end script import_and_summaries.)
    ASSERT_FALSE(reference_charts_.empty());
    const std::set<std::string> distinct(reference_charts_.begin(), reference_charts_.end());
    ASSERT_EQ(distinct.size(), reference_charts_.size());
  }

  lirvo::test_support::TempDir work_;
  int installs_ = 0;
  std::vector<bool> write_steps_;  // per step: whether it writes a file
  std::vector<std::string> reports_;
  std::multiset<std::string> reference_charts_;
};

TEST_F(ImportCrashTest, AProcessKilledAtAnyStepLosesNothingAndSavesNothingTwice) {
  for (int stop = 1; stop <= static_cast<int>(write_steps_.size()); ++stop) {
    for (bool torn : {false, true}) {
      if (torn && !write_steps_[stop - 1]) continue;
      SCOPED_TRACE("stopped at step " + std::to_string(stop) + (torn ? ", torn" : ""));
      const std::string install = FreshInstall();
      const int died = RunAndDie(install, stop, torn);
      ASSERT_EQ(died, kDied);
      ASSERT_EQ(RunImport(install, false), 0);
      EXPECT_EQ(Charts(install), reference_charts_);
      ExpectFilesKept(install);
      fs::remove_all(install);
    }
  }
}

// The faults an import meets without dying: each ends the way the plug-in
// promises, and a second run without the fault leaves nothing lost. (A save
// the host refuses: the end-to-end script failing_saves.)
TEST_F(ImportCrashTest, ASummaryOrARenameThatFailsEndsTheRunAndKeepsTheBundle) {
  // The skipped list is written after the bundle is marked imported; the
  // unread summary before.
  const struct {
    FsOp op;
    const char* path_part;
    bool bundles_keep_names;
  } faults[] = {
      {FsOp::kWrite, "lastUnReadImport.rtf", true},
      {FsOp::kWrite, "allReadyImported.rtf", false},
      {FsOp::kRename, "referti_dicembre", true},
  };
  for (const auto& fault : faults) {
    SCOPED_TRACE(fault.path_part);
    const std::string install = FreshInstall();
    FaultyFileSystem faulty(RealFileSystem());
    faulty.FailOn(fault.op, fault.path_part, 70);
    ASSERT_EQ(RunImport(install, true, Seams(&faulty)), 0);
    for (const std::string& bundle : kBundles) {
      EXPECT_EQ(fs::exists(Documents(install) + bundle), fault.bundles_keep_names) << bundle;
    }
    EXPECT_EQ(Charts(install), reference_charts_);  // what was saved stays saved
    ASSERT_EQ(RunImport(install, false), 0);
    EXPECT_EQ(Charts(install), reference_charts_);
    ExpectFilesKept(install);
  }
}

}  // namespace
}  // namespace lirvo::cli
