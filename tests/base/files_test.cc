#include "base/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>

#include "base/runtime_error.h"
#include "support/temp_dir.h"

namespace lirvo {
namespace {

class FilesTest : public ::testing::Test {
 protected:
  std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (const auto& e : fs_.ListDirectory(dir_.path())) names.push_back(e.name);
    std::sort(names.begin(), names.end());
    return names;
  }

  test_support::TempDir dir_;
  FileSystem& fs_ = RealFileSystem();
};

TEST_F(FilesTest, TextFilesAreWindows1252OnDiskAndUtf8InMemory) {
  const std::string path = dir_.File("referto.dat");
  ASSERT_TRUE(WriteTextFile(fs_, path, "Città: €\r\nfine"));
  EXPECT_EQ(fs_.ReadFile(path), "Citt\xE0: \x80\r\nfine");  // no line break added
  EXPECT_EQ(ReadTextFile(fs_, path), "Città: €\r\nfine");
}

TEST_F(FilesTest, ReadingAMissingFileGivesEmptyText) {
  EXPECT_EQ(ReadTextFile(fs_, dir_.File("nope.dat")), "");
  EXPECT_EQ(ReadTextFile(fs_, dir_.path()), "");  // a folder is no file
  try {
    fs_.ReadFile(dir_.File("nope.dat"));
    ADD_FAILURE() << "no error for a missing file";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.Number(), kErrFileNotFound);
    EXPECT_EQ(e.Description(), "Impossibile trovare il file");
  }
}

TEST_F(FilesTest, WriteReplacesReadOnlyFilesAndLeavesNoTemporaryFile) {
  const std::string path = dir_.File("a.dat");
  ASSERT_TRUE(WriteTextFile(fs_, path, "old"));
  ::chmod(path.c_str(), 0444);
  ASSERT_TRUE(WriteTextFile(fs_, path, "new"));
  EXPECT_EQ(ReadTextFile(fs_, path), "new");
  EXPECT_EQ(Names(), std::vector<std::string>{"a.dat"});
  EXPECT_FALSE(WriteTextFile(fs_, dir_.File("no/such/x.dat"), "data"));  // missing folder
}

TEST_F(FilesTest, AFailureAtAnyStepOfAWriteKeepsTheOldContentOrLeavesNoFile) {
  FaultyFileSystem first(fs_);
  first.FailOn(FsOp::kRename, "");
  EXPECT_FALSE(WriteTextFile(first, dir_.File("x.dat"), "data"));
  EXPECT_TRUE(Names().empty());

  const std::string path = dir_.File("bundle.dat");
  ASSERT_TRUE(WriteTextFile(fs_, path, "precious"));
  for (FsOp op : {FsOp::kWrite, FsOp::kRename}) {
    FaultyFileSystem faulty(fs_);
    faulty.FailOn(op, "bundle.dat");
    EXPECT_FALSE(WriteTextFile(faulty, path, "replacement"));
    EXPECT_EQ(ReadTextFile(fs_, path), "precious");
    EXPECT_EQ(Names(), std::vector<std::string>{"bundle.dat"});
  }
}

TEST_F(FilesTest, CreateNewFileNeverReplaces) {
  const std::string path = dir_.File("imported.dat");
  CreateNewFile(fs_, path, "first");
  try {
    CreateNewFile(fs_, path, "second");
    ADD_FAILURE() << "replaced an existing file";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.Number(), kErrFileExists);
  }
  EXPECT_EQ(fs_.ReadFile(path), "first");
}

TEST_F(FilesTest, DeleteFileForcedReportsNothing) {
  const std::string path = dir_.File("trash.tmp");
  ASSERT_TRUE(WriteTextFile(fs_, path, "x"));
  ::chmod(path.c_str(), 0444);
  DeleteFileForced(fs_, path);
  EXPECT_FALSE(FileExists(fs_, path));
  DeleteFileForced(fs_, path);  // already gone: still quiet
  FaultyFileSystem faulty(fs_);
  ASSERT_TRUE(WriteTextFile(fs_, path, "x"));
  faulty.FailOn(FsOp::kDelete, "");
  DeleteFileForced(faulty, path);
  EXPECT_TRUE(FileExists(fs_, path));
}

TEST_F(FilesTest, EnsureFolderCreatesOneLevel) {
  EXPECT_TRUE(EnsureFolder(fs_, dir_.File("Vantrel")));
  EXPECT_TRUE(EnsureFolder(fs_, dir_.File("Vantrel")));  // already there
  EXPECT_FALSE(EnsureFolder(fs_, dir_.File("a/b")));     // parent missing
  EXPECT_FALSE(FileExists(fs_, dir_.File("Vantrel")));   // a folder is no file
  FaultyFileSystem faulty(fs_);
  faulty.FailOn(FsOp::kMakeDirectory, "", kErrPermissionDenied);
  EXPECT_FALSE(EnsureFolder(faulty, dir_.File("Clinora V6")));
}

TEST_F(FilesTest, FaultRulesSkipAndCount) {
  FaultyFileSystem fs(fs_);
  fs.FailOn(FsOp::kWrite, "x", kErrPathFileAccess, /*skip=*/1, /*times=*/1);
  EXPECT_NO_THROW(fs.WriteFile(dir_.File("x1"), "a"));
  EXPECT_THROW(fs.WriteFile(dir_.File("x2"), "a"), RuntimeError);
  EXPECT_NO_THROW(fs.WriteFile(dir_.File("x3"), "a"));
  EXPECT_NO_THROW(fs.WriteFile(dir_.File("y"), "a"));
  EXPECT_EQ(fs.Calls(FsOp::kWrite), 4);
  EXPECT_EQ(fs.Calls(FsOp::kDelete), 0);
}

TEST(PathHelpers, JoinFileNameAndFolder) {
  EXPECT_EQ(JoinPath("/a/b", "c.dat"), "/a/b/c.dat");
  EXPECT_EQ(JoinPath("/a/b/", "c.dat"), "/a/b/c.dat");
  EXPECT_EQ(FileNameOf("/a/b/c.dat"), "c.dat");
  EXPECT_EQ(FileNameOf("c.dat"), "c.dat");
  EXPECT_EQ(FolderOf("/a/b/c.dat"), "/a/b");
  EXPECT_EQ(FolderOf("/c.dat"), "/");
  EXPECT_EQ(FolderOf("c.dat"), "");
}

}  // namespace
}  // namespace lirvo
