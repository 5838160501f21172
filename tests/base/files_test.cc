#include "base/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>

#include "base/runtime_error.h"
#include "support/temp_dir.h"

namespace lirvo {
namespace {

using testing::TempDir;

std::vector<std::string> Names(FileSystem& fs, const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs.ListDirectory(folder)) names.push_back(e.name);
  std::sort(names.begin(), names.end());
  return names;
}

TEST(FilesTest, TextFilesAreWindows1252OnDiskAndUtf8InMemory) {
  TempDir dir;
  FileSystem& fs = RealFileSystem();
  const std::string path = dir.File("referto.dat");
  ASSERT_TRUE(WriteTextFile(fs, path, "Città: €\r\nfine"));
  EXPECT_EQ(fs.ReadFile(path), "Citt\xE0: \x80\r\nfine");  // no line break added
  EXPECT_EQ(ReadTextFile(fs, path), "Città: €\r\nfine");
}

TEST(FilesTest, ReadingAMissingFileGivesEmptyText) {
  TempDir dir;
  EXPECT_EQ(ReadTextFile(RealFileSystem(), dir.File("nope.dat")), "");
  EXPECT_EQ(ReadTextFile(RealFileSystem(), dir.path()), "");  // a folder is no file
  EXPECT_THROW(RealFileSystem().ReadFile(dir.File("nope.dat")), RuntimeError);
  try {
    RealFileSystem().ReadFile(dir.File("nope.dat"));
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.Number(), kErrFileNotFound);
    EXPECT_EQ(e.Description(), "Impossibile trovare il file");
  }
}

TEST(FilesTest, WriteReplacesReadOnlyFilesAndLeavesNoTemporaryFile) {
  TempDir dir;
  FileSystem& fs = RealFileSystem();
  const std::string path = dir.File("a.dat");
  ASSERT_TRUE(WriteTextFile(fs, path, "old"));
  ::chmod(path.c_str(), 0444);
  ASSERT_TRUE(WriteTextFile(fs, path, "new"));
  EXPECT_EQ(ReadTextFile(fs, path), "new");
  EXPECT_EQ(Names(fs, dir.path()), std::vector<std::string>{"a.dat"});
}

TEST(FilesTest, AFailureAtAnyStepOfAWriteKeepsTheOldContent) {
  TempDir dir;
  const std::string path = dir.File("bundle.dat");
  ASSERT_TRUE(WriteTextFile(RealFileSystem(), path, "precious"));
  for (FsOp op : {FsOp::kWrite, FsOp::kRename}) {
    FaultyFileSystem fs(RealFileSystem());
    fs.FailOn(op, "bundle.dat");
    EXPECT_FALSE(WriteTextFile(fs, path, "replacement"));
    EXPECT_EQ(ReadTextFile(fs, path), "precious");
    EXPECT_EQ(Names(fs, dir.path()), std::vector<std::string>{"bundle.dat"});
  }
}

TEST(FilesTest, AFailedFirstWriteLeavesNoFileBehind) {
  TempDir dir;
  FaultyFileSystem fs(RealFileSystem());
  fs.FailOn(FsOp::kRename, "");
  EXPECT_FALSE(WriteTextFile(fs, dir.File("x.dat"), "data"));
  EXPECT_TRUE(Names(fs, dir.path()).empty());
}

TEST(FilesTest, WriteIntoAMissingFolderFails) {
  TempDir dir;
  EXPECT_FALSE(WriteTextFile(RealFileSystem(), dir.File("no/such/x.dat"), "data"));
}

TEST(FilesTest, CreateNewFileNeverReplaces) {
  TempDir dir;
  FileSystem& fs = RealFileSystem();
  const std::string path = dir.File("imported.dat");
  CreateNewFile(fs, path, "first");
  try {
    CreateNewFile(fs, path, "second");
    FAIL() << "replaced an existing file";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.Number(), kErrFileExists);
  }
  EXPECT_EQ(fs.ReadFile(path), "first");
}

TEST(FilesTest, DeleteFileForcedReportsNothing) {
  TempDir dir;
  FileSystem& fs = RealFileSystem();
  const std::string path = dir.File("trash.tmp");
  ASSERT_TRUE(WriteTextFile(fs, path, "x"));
  ::chmod(path.c_str(), 0444);
  DeleteFileForced(fs, path);
  EXPECT_FALSE(FileExists(fs, path));
  DeleteFileForced(fs, path);  // already gone: still quiet
  FaultyFileSystem faulty(fs);
  ASSERT_TRUE(WriteTextFile(fs, path, "x"));
  faulty.FailOn(FsOp::kDelete, "");
  DeleteFileForced(faulty, path);
  EXPECT_TRUE(FileExists(fs, path));
}

TEST(FilesTest, EnsureFolderCreatesOneLevel) {
  TempDir dir;
  FileSystem& fs = RealFileSystem();
  EXPECT_TRUE(EnsureFolder(fs, dir.File("Vantrel")));
  EXPECT_TRUE(EnsureFolder(fs, dir.File("Vantrel")));  // already there
  EXPECT_FALSE(EnsureFolder(fs, dir.File("a/b")));     // parent missing
  EXPECT_FALSE(FileExists(fs, dir.File("Vantrel")));   // a folder is no file
  FaultyFileSystem faulty(fs);
  faulty.FailOn(FsOp::kCreateDirectory, "", kErrPermissionDenied);
  EXPECT_FALSE(EnsureFolder(faulty, dir.File("Clinora V6")));
}

TEST(FilesTest, FaultRulesSkipAndCount) {
  TempDir dir;
  FaultyFileSystem fs(RealFileSystem());
  fs.FailOn(FsOp::kWrite, "x", kErrPathFileAccess, /*skip=*/1, /*times=*/1);
  EXPECT_NO_THROW(fs.WriteFile(dir.File("x1"), "a"));
  EXPECT_THROW(fs.WriteFile(dir.File("x2"), "a"), RuntimeError);
  EXPECT_NO_THROW(fs.WriteFile(dir.File("x3"), "a"));
  EXPECT_NO_THROW(fs.WriteFile(dir.File("y"), "a"));
  EXPECT_EQ(fs.Calls(FsOp::kWrite), 4);
  EXPECT_EQ(fs.Calls(FsOp::kDelete), 0);
}

TEST(FilesTest, PathHelpers) {
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
