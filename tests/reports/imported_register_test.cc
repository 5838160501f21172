#include "reports/imported_register.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/file_system.h"
#include "base/runtime_error.h"
#include "support/disk_files.h"
#include "support/temp_dir.h"
#include "support/trap_recorder.h"

namespace lirvo::reports {
namespace {

using test_support::Bytes;
using test_support::Put;
using test_support::SortedNames;
using test_support::TempDir;

// The names with their stamp and counter are pinned below and by the
// end-to-end scripts.
TEST(ImportedRegisterTest, TheLastDotOfThePathAndTheImportedEnding) {
  EXPECT_EQ(BaseName("/d.v/referti"), "/d");
  EXPECT_EQ(BaseName("referti"), "referti");
  EXPECT_TRUE(IsImportedName("/d/x_Imported.dat"));
  EXPECT_TRUE(IsImportedName("/Imported/x.dat"));
  EXPECT_FALSE(IsImportedName("x_imported.dat"));
}

class RegisterTest : public ::testing::Test {
 protected:
  std::string Bundle() const { return dir_.File("referti.dat"); }
  RegisterFiles Files() { return {fs_, clock_}; }

  TempDir dir_;
  FaultyFileSystem fs_{RealFileSystem()};
  FixedClock clock_{{2024, 3, 15, 14, 30, 5}};
  test_support::TrapRecorder traps_;
};

TEST_F(RegisterTest, MarkBundleImportedRenamesOnceAndNeverReplaces) {
  Put(Bundle(), "#01#A\r\n");
  // A file of this second's name is already there: the bundle takes the next.
  Put(dir_.File("referti_20240315143005_Imported.dat"), "#01#other\r\n");
  std::string current = Bundle();
  ASSERT_TRUE(MarkBundleImported(Files(), current));
  EXPECT_EQ(current, dir_.File("referti_20240315143005_2_Imported.dat"));
  EXPECT_EQ(Bytes(current), "#01#A\r\n");
  EXPECT_EQ(Bytes(dir_.File("referti_20240315143005_Imported.dat")), "#01#other\r\n");
  EXPECT_FALSE(std::filesystem::exists(Bundle()));

  // Already imported: nothing is touched.
  const std::string imported = current;
  EXPECT_TRUE(MarkBundleImported(Files(), current));
  EXPECT_EQ(current, imported);
  EXPECT_EQ(SortedNames(dir_.path()).size(), 2u);

  // A rename that fails leaves the bundle and its name as they were.
  Put(Bundle(), "#01#B\r\n");
  current = Bundle();
  fs_.FailOn(FsOp::kRename, "referti");
  EXPECT_FALSE(MarkBundleImported(Files(), current));
  EXPECT_EQ(current, Bundle());
  EXPECT_EQ(Bytes(Bundle()), "#01#B\r\n");
  EXPECT_EQ(traps_.traps.size(), 1u);
}

TEST_F(RegisterTest, SplitOffTakesEveryCopyOutAndKeepsTheRestByteForByte) {
  Put(Bundle(), "intro\r\n#01#A 1\r\n#01#B \xE0\r\n#01#A 1\r\n#01#C\r\n");
  ASSERT_TRUE(SplitOffReport(Files(), Bundle(), "A 1\r\n", /*imported=*/false));
  EXPECT_EQ(Bytes(Bundle()), "intro\r\n#01#B \xE0\r\n#01#C\r\n");
  EXPECT_EQ(Bytes(dir_.File("referti_20240315143005_Trash.tmp")), "#01#A 1\r\n");

  // The marker is not doubled; a second split-off in the same second gets
  // its own name; an accented report is written as single-byte text.
  ASSERT_TRUE(SplitOffReport(Files(), Bundle(), "#01#B à\r\n", /*imported=*/true));
  ASSERT_TRUE(SplitOffReport(Files(), Bundle(), "C\r\n", /*imported=*/true));
  EXPECT_EQ(Bytes(dir_.File("referti_20240315143005_Imported.dat")), "#01#B \xE0\r\n");
  EXPECT_EQ(Bytes(dir_.File("referti_20240315143005_2_Imported.dat")), "#01#C\r\n");
  EXPECT_EQ(Bytes(Bundle()), "intro\r\n");
}

TEST_F(RegisterTest, SplitOffRefusesWhatTheBundleDoesNotHoldOrCannotRewrite) {
  // Line feeds alone on disk: the normalised text of the grid is not there.
  Put(Bundle(), "#01#A\n#01#B\n");
  for (const char* report : {"A\r\n", "#01#", ""}) {
    EXPECT_FALSE(SplitOffReport(Files(), Bundle(), report, false)) << report;
  }
  EXPECT_FALSE(SplitOffReport(Files(), dir_.File("gone.dat"), "A\n", false));
  EXPECT_EQ(Bytes(Bundle()), "#01#A\n#01#B\n");
  // The rename over the bundle fails: the report stays, no report file.
  Put(Bundle(), "#01#A\r\n#01#B\r\n");
  fs_.FailOn(FsOp::kRename, "/referti.dat");
  EXPECT_FALSE(SplitOffReport(Files(), Bundle(), "A\r\n", true));
  EXPECT_EQ(Bytes(Bundle()), "#01#A\r\n#01#B\r\n");
  EXPECT_EQ(SortedNames(dir_.path()), std::vector<std::string>{"referti.dat"});
}

TEST_F(RegisterTest, AReportFileThatCannotBeWrittenDoesNotChangeTheOutcome) {
  Put(Bundle(), "#01#A\r\n#01#B\r\n");
  fs_.FailOn(FsOp::kWrite, "_Trash.tmp");
  EXPECT_TRUE(SplitOffReport(Files(), Bundle(), "A\r\n", false));
  EXPECT_EQ(Bytes(Bundle()), "#01#B\r\n");
  EXPECT_EQ(traps_.traps.size(), 1u);
}

}  // namespace
}  // namespace lirvo::reports
