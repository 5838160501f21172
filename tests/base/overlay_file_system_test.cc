// The dry run's file system: every change stays in memory, the disk keeps
// its bytes, and the run sees its own changes.
#include "base/overlay_file_system.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

#include "support/runtime_error_matchers.h"
#include "support/temp_dir.h"

namespace lirvo {
namespace {

using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

class OverlayFileSystemTest : public ::testing::Test {
 protected:
  OverlayFileSystemTest() {
    disk_.WriteFile(dir_.File("bundle.dat"), "report");
    disk_.WriteFile(dir_.File("old.rtf"), "{\\rtf1 old}");
  }
  std::vector<std::string> Listed() {
    std::vector<std::string> names;
    for (const DirEntry& e : overlay_.ListDirectory(dir_.path())) {
      names.push_back(e.name + ":" + std::to_string(e.size));
    }
    return names;
  }

  test_support::TempDir dir_;
  FileSystem& disk_ = RealFileSystem();
  FixedClock clock_{{2026, 3, 1, 9, 0, 0}};
  OverlayFileSystem overlay_{disk_, clock_};
};

TEST_F(OverlayFileSystemTest, ChangesAreSeenByTheRunAndNeverReachTheDisk) {
  overlay_.WriteFile(dir_.File("old.rtf"), "{\\rtf1 new}");
  overlay_.WriteFile(dir_.File("summary.rtf"), "{\\rtf1 s}");
  overlay_.RenameNoReplace(dir_.File("bundle.dat"), dir_.File("bundle_Imported.dat"));
  overlay_.RemoveFile(dir_.File("summary.rtf"));

  EXPECT_EQ(overlay_.ReadFile(dir_.File("old.rtf")), "{\\rtf1 new}");
  EXPECT_EQ(overlay_.ReadFile(dir_.File("bundle_Imported.dat")), "report");
  EXPECT_FALSE(overlay_.FileExists(dir_.File("bundle.dat")));
  EXPECT_EQ(overlay_.KindOf(dir_.File("summary.rtf")), PathKind::kAbsent);
  EXPECT_THAT([&] { overlay_.ReadFile(dir_.File("bundle.dat")); },
              test_support::ThrowsRuntimeError(kErrFileNotFound));
  EXPECT_THAT(Listed(), UnorderedElementsAre("old.rtf:11", "bundle_Imported.dat:6"));
  EXPECT_THAT(overlay_.Written(),
              ElementsAre(dir_.File("bundle_Imported.dat"), dir_.File("old.rtf")));
  EXPECT_THAT(overlay_.Removed(), ElementsAre(dir_.File("bundle.dat")));

  // The disk is as it was.
  EXPECT_EQ(disk_.ReadFile(dir_.File("old.rtf")), "{\\rtf1 old}");
  EXPECT_EQ(disk_.ReadFile(dir_.File("bundle.dat")), "report");
  EXPECT_FALSE(disk_.FileExists(dir_.File("bundle_Imported.dat")));
  EXPECT_FALSE(disk_.FileExists(dir_.File("summary.rtf")));
}

TEST_F(OverlayFileSystemTest, RefusesWhatTheDiskWouldRefuse) {
  const struct {
    const char* what;
    std::function<void()> call;
    int number;
  } cases[] = {
      {"rename onto a file",
       [&] { overlay_.RenameNoReplace(dir_.File("bundle.dat"), dir_.File("old.rtf")); }, 58},
      {"remove a missing file", [&] { overlay_.RemoveFile(dir_.File("none")); }, 53},
      {"write into a missing folder", [&] { overlay_.WriteFile(dir_.File("no/x"), "x"); }, 76},
      {"write over a folder", [&] { overlay_.WriteFile(dir_.path(), "x"); }, 75},
  };
  for (const auto& c : cases) {
    EXPECT_THAT(c.call, test_support::ThrowsRuntimeError(c.number)) << c.what;
  }
  EXPECT_TRUE(overlay_.Written().empty());
}

}  // namespace
}  // namespace lirvo
