#include "base/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <functional>

#include "base/runtime_error.h"
#include "support/runtime_error_matchers.h"
#include "support/temp_dir.h"

namespace lirvo {
namespace {

using test_support::ThrowsRuntimeError;

// Records every pointer it is given.
class RecordingPointer final : public BusyPointer {
 public:
  explicit RecordingPointer(int pointer) : pointer_(pointer) {}
  int MousePointer() const override { return pointer_; }
  void SetMousePointer(int pointer) override {
    pointer_ = pointer;
    set.push_back(pointer);
  }
  std::vector<int> set;

 private:
  int pointer_;
};

// The disk, where a file appears at `path` just after the first write of a
// file whose name starts with `path` (a temporary file beside it): another
// program creating the same file while ours writes.
class RacingFileSystem final : public FileSystem {
 public:
  explicit RacingFileSystem(std::string path) : path_(std::move(path)) {}
  bool FileExists(const std::string& p) override { return disk_.FileExists(p); }
  bool DirectoryExists(const std::string& p) override { return disk_.DirectoryExists(p); }
  std::string ReadFile(const std::string& p) override { return disk_.ReadFile(p); }
  void WriteFile(const std::string& p, std::string_view data) override {
    disk_.WriteFile(p, data);
    if (p != path_ && p.starts_with(path_) && !raced_) {
      raced_ = true;
      disk_.WriteFile(path_, "theirs");
    }
  }
  void RenameFile(const std::string& from, const std::string& to) override {
    disk_.RenameFile(from, to);
  }
  void RenameNoReplace(const std::string& from, const std::string& to) override {
    disk_.RenameNoReplace(from, to);
  }
  void RemoveFile(const std::string& p) override { disk_.RemoveFile(p); }
  void MakeDirectory(const std::string& p) override { disk_.MakeDirectory(p); }
  std::vector<DirEntry> ListDirectory(const std::string& p) override {
    return disk_.ListDirectory(p);
  }
  std::optional<uint64_t> FileSize(const std::string& p) override { return disk_.FileSize(p); }

 private:
  FileSystem& disk_ = RealFileSystem();
  std::string path_;
  bool raced_ = false;
};

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
}

TEST_F(FilesTest, TextRoutinesShowTheHourglassAndRestoreThePointerOnEveryPath) {
  const std::string path = dir_.File("referto.dat");
  FaultyFileSystem broken(fs_);
  broken.FailOn(FsOp::kWrite, "");
  broken.FailOn(FsOp::kRead, "");
  const struct {
    const char* what;
    std::function<bool(BusyPointer*)> run;  // true when the routine did its work
    bool works;
  } routines[] = {
      {"write", [&](BusyPointer* p) { return WriteTextFile(fs_, path, "testo", p); }, true},
      {"read", [&](BusyPointer* p) { return ReadTextFile(fs_, path, p) == "testo"; }, true},
      {"failed write", [&](BusyPointer* p) { return WriteTextFile(broken, path, "x", p); }, false},
      {"failed read", [&](BusyPointer* p) { return ReadTextFile(broken, path, p) == "testo"; },
       false},
  };
  const int callers_pointer = 3;
  for (const auto& r : routines) {
    SCOPED_TRACE(r.what);
    RecordingPointer pointer(callers_pointer);
    EXPECT_EQ(r.run(&pointer), r.works);
    EXPECT_EQ(pointer.set, (std::vector<int>{kPointerHourglass, callers_pointer}));
    EXPECT_EQ(r.run(nullptr), r.works);  // no screen, same work
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
  EXPECT_THAT([&] { CreateNewFile(fs_, path, "second"); }, ThrowsRuntimeError(kErrFileExists));
  EXPECT_EQ(fs_.ReadFile(path), "first");

  // Nor a file that appears while it writes.
  fs_.RemoveFile(path);
  RacingFileSystem racing(path);
  EXPECT_THAT([&] { CreateNewFile(racing, path, "ours"); }, ThrowsRuntimeError(kErrFileExists));
  EXPECT_EQ(fs_.ReadFile(path), "theirs");
  EXPECT_EQ(Names(), std::vector<std::string>{"imported.dat"});  // no temporary left

  // The same rule one level down, for a folder too.
  fs_.WriteFile(dir_.File("new.tmp"), "x");
  fs_.MakeDirectory(dir_.File("sub"));
  for (const char* taken : {"imported.dat", "sub"}) {
    EXPECT_THAT([&] { fs_.RenameNoReplace(dir_.File("new.tmp"), dir_.File(taken)); },
                ThrowsRuntimeError(kErrFileExists))
        << taken;
  }
  fs_.RenameNoReplace(dir_.File("new.tmp"), dir_.File("free.dat"));
  EXPECT_EQ(Names(), (std::vector<std::string>{"free.dat", "imported.dat", "sub"}));
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
