#include "base/files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <thread>

#include "base/file_error.h"
#include "base/runtime_error.h"
#include "support/disk_files.h"
#include "support/runtime_error_matchers.h"
#include "support/temp_dir.h"

namespace lirvo {
namespace {

namespace fsys = std::filesystem;
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
  std::vector<std::string> Names() { return test_support::SortedNames(dir_.path()); }
  std::string Fifo(const std::string& name) {
    const std::string path = dir_.File(name);
    EXPECT_EQ(::mkfifo(path.c_str(), 0644), 0);
    return path;
  }
  std::string Link(const std::string& name, const std::string& to) {
    const std::string path = dir_.File(name);
    fsys::create_symlink(to, path);
    return path;
  }
  std::string Plain(const std::string& name, const std::string& content) {
    return test_support::Put(dir_.File(name), content);
  }

  test_support::TempDir dir_;
  FileSystem& fs_ = RealFileSystem();
};

TEST_F(FilesTest, TextFilesAreWindows1252OnDiskAndUtf8InMemoryAndMissingOnesEmpty) {
  const std::string path = dir_.File("referto.dat");
  ASSERT_TRUE(WriteTextFile(fs_, path, "Città: €\r\nfine"));
  EXPECT_EQ(fs_.ReadFile(path), "Citt\xE0: \x80\r\nfine");  // no line break added
  EXPECT_EQ(ReadTextFile(fs_, path), "Città: €\r\nfine");
  // What cannot be read gives empty text.
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

// Hostile paths: the writes and reads of the FileSystem seam refuse a path
// that is not a plain file with a FileError that says what it is, and leave
// it exactly as it was.
TEST_F(FilesTest, WritesRefuseWhatIsNotARegularFileAndLeaveItAsItWas) {
  const struct {
    const char* name;
    std::function<std::string()> make;  // gives the path
    PathKind kind;                      // what KindOf says, before and after
    PathProblem problem;                // why a replacing write is refused
  } cases[] = {
      {"fifo", [&] { return Fifo("out.fifo"); }, PathKind::kFifo, PathProblem::kNotRegular},
      {"device", [] { return std::string("/dev/null"); }, PathKind::kDevice,
       PathProblem::kNotRegular},
      {"dangling link", [&] { return Link("dangling", dir_.File("nowhere")); },
       PathKind::kDanglingLink, PathProblem::kDanglingLink},
      {"link to a fifo", [&] { return Link("to-fifo", Fifo("f2")); }, PathKind::kFifo,
       PathProblem::kNotRegular},
      {"link to a device", [&] { return Link("to-null", "/dev/null"); }, PathKind::kDevice,
       PathProblem::kNotRegular},
      {"folder", [&] { return dir_.path(); }, PathKind::kFolder, PathProblem::kIsFolder},
      {"under a regular file", [&] { return Plain("plain", "x") + "/out"; }, PathKind::kUnderAFile,
       PathProblem::kUnderAFile},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = c.make();
    ASSERT_EQ(fs_.KindOf(path), c.kind);
    for (const auto& write : std::vector<std::function<void()>>{
             [&] { ReplaceFileContent(fs_, path, "data"); },
             [&] { fs_.WriteFile(path, "data"); },
             [&] { fs_.RenameFile(Plain("src", "data"), path); },
             [&] { CreateNewFile(fs_, path, "data"); },
         }) {
      try {
        write();
        ADD_FAILURE() << "written";
      } catch (const FileError& e) {
        EXPECT_EQ(e.Problem(), c.problem) << e.Explanation();
        EXPECT_EQ(e.Path(), path);
      }
      EXPECT_EQ(fs_.KindOf(path), c.kind);
    }
  }
  EXPECT_FALSE(fsys::exists(dir_.File("nowhere")));  // the dangling link was not followed
}

TEST_F(FilesTest, ALinkToARegularFileHasThatFileReplacedAndStaysALink) {
  fsys::create_directory(dir_.File("real"));
  const std::string target = dir_.File("real/config.xml");
  RealFileSystem().WriteFile(target, "old");
  const std::string link = Link("config.xml", target);
  ReplaceFileContent(fs_, link, "new");
  EXPECT_TRUE(fsys::is_symlink(link));
  EXPECT_EQ(fs_.ReadFile(target), "new");
  EXPECT_EQ(std::distance(fsys::directory_iterator(dir_.File("real")), {}), 1);  // no temporary
}

TEST_F(FilesTest, EachOperatingSystemErrorKeepsItsRuntimeNumberAndSaysWhatIsWrong) {
  const struct {
    int os_error;
    int number;
    PathProblem problem;
    const char* explanation;
  } cases[] = {
      {ENOENT, kErrFileNotFound, PathProblem::kNotFound, "file not found"},
      {ENOTDIR, kErrPathNotFound, PathProblem::kUnderAFile,
       "a part of the path is a file, not a folder"},
      {EACCES, kErrPermissionDenied, PathProblem::kNoPermission, "permission denied"},
      {EROFS, kErrPermissionDenied, PathProblem::kReadOnly, "read-only file system"},
      {EEXIST, kErrFileExists, PathProblem::kExists, "file exists"},
      {EISDIR, kErrPathFileAccess, PathProblem::kIsFolder, "is a folder"},
      {ENOSPC, kErrPathFileAccess, PathProblem::kDiskFull, "no space left on the device"},
      {EDQUOT, kErrPathFileAccess, PathProblem::kDiskFull, "no space left on the device"},
      {EFBIG, kErrPathFileAccess, PathProblem::kTooLarge, "file too large"},
  };
  for (const auto& c : cases) {
    try {
      ThrowFileError(c.os_error, "/x/y");
    } catch (const FileError& e) {
      EXPECT_EQ(e.Number(), c.number) << c.explanation;
      EXPECT_EQ(e.Problem(), c.problem) << c.explanation;
      EXPECT_EQ(DescribeFileFailure(e, "/other"), std::string("/x/y: ") + c.explanation);
    }
  }
  EXPECT_EQ(DescribeFileFailure(RuntimeError(kErrPathFileAccess), "/p"),
            "/p: 75 - Errore di accesso al percorso/file");
}

TEST_F(FilesTest, AFullDiskNamesTheTargetAndKeepsItsOldContent) {
  const std::string path = Plain("referto.dat", "old");
  FaultyFileSystem faulty(fs_);
  faulty.FailWithOsError(FsOp::kWrite, ".~lirvo", ENOSPC);
  try {
    ReplaceFileContent(faulty, path, "new");
    ADD_FAILURE() << "written";
  } catch (const FileError& e) {
    EXPECT_EQ(e.Problem(), PathProblem::kDiskFull);
    EXPECT_EQ(e.Path(), path);
  }
  EXPECT_EQ(fs_.ReadFile(path), "old");
  EXPECT_EQ(Names(), std::vector<std::string>{"referto.dat"});
}

TEST_F(FilesTest, TemporaryFilesOfEndedProcessesGoAtTheNextWriteIntoTheirFolder) {
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) ::_exit(0);
  ASSERT_EQ(::waitpid(child, nullptr, 0), child);  // its id now names no process
  const std::string dead = "big.dat.~lirvo" + std::to_string(child) + "-1";
  const std::vector<std::string> kept = {
      "a.dat.~lirvo" + std::to_string(::getpid()) + "-7",  // this process: maybe in flight
      "b.dat.~lirvo1-2",                                   // a live process
      "c.dat.~lirvo" + std::to_string(child) + "-x",       // not one of ours
      "d.dat.~lirvo-3",
      "e.dat.~lirvo" + std::to_string(child) + "-",
      "f.dat",
  };
  EXPECT_EQ(TemporaryFileOwner(dead), child);
  for (const auto& name : kept) Plain(name, "x");
  Plain(dead, "620 MB, once");
  ReplaceFileContent(fs_, dir_.File("new.dat"), "data");
  EXPECT_FALSE(fsys::exists(dir_.File(dead)));
  for (const auto& name : kept) EXPECT_TRUE(fsys::exists(dir_.File(name))) << name;
}

TEST_F(FilesTest, InputsArePipesFilesAndDevicesButNotFolders) {
  const std::string fifo = Fifo("in.fifo");
  std::thread writer([&] {
    const int fd = ::open(fifo.c_str(), O_WRONLY);
    EXPECT_EQ(::write(fd, "through a pipe", 14), 14);
    ::close(fd);
  });
  const PathKind kind = fs_.KindOf(fifo);
  EXPECT_TRUE(IsReadableKind(kind));
  EXPECT_EQ(fs_.ReadFile(fifo), "through a pipe");
  writer.join();
  EXPECT_TRUE(IsReadableKind(fs_.KindOf("/dev/null")));
  EXPECT_FALSE(IsReadableKind(fs_.KindOf(dir_.path())));
  EXPECT_EQ(DescribePathKind(fs_.KindOf(dir_.path())), "is a folder");
  EXPECT_EQ(DescribePathKind(fs_.KindOf(Link("l", dir_.File("gone")))),
            "is a symbolic link to nothing");
  try {
    fs_.ReadFile(dir_.path());
    ADD_FAILURE() << "a folder read";
  } catch (const FileError& e) {
    EXPECT_EQ(e.Problem(), PathProblem::kIsFolder);
  }
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
