// What the writes and reads of the FileSystem seam do with paths that are not
// plain files: each hostile path is refused with a FileError that says what
// it is, and is left exactly as it was.
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
#include "base/files.h"
#include "support/temp_dir.h"

namespace lirvo {
namespace {

namespace fsys = std::filesystem;

class HostilePathsTest : public ::testing::Test {
 protected:
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
    const std::string path = dir_.File(name);
    RealFileSystem().WriteFile(path, content);
    return path;
  }

  test_support::TempDir dir_;
  FileSystem& fs_ = RealFileSystem();
};

TEST_F(HostilePathsTest, WritesRefuseWhatIsNotARegularFileAndLeaveItAsItWas) {
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
             [&] { ReplaceFile(fs_, path, "data"); },
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

TEST_F(HostilePathsTest, ALinkToARegularFileHasThatFileReplacedAndStaysALink) {
  fsys::create_directory(dir_.File("real"));
  const std::string target = dir_.File("real/config.xml");
  RealFileSystem().WriteFile(target, "old");
  const std::string link = Link("config.xml", target);
  ReplaceFile(fs_, link, "new");
  EXPECT_TRUE(fsys::is_symlink(link));
  EXPECT_EQ(fs_.ReadFile(target), "new");
  EXPECT_EQ(std::distance(fsys::directory_iterator(dir_.File("real")), {}), 1);  // no temporary
}

TEST_F(HostilePathsTest, EachOperatingSystemErrorKeepsItsRuntimeNumberAndSaysWhatIsWrong) {
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

TEST_F(HostilePathsTest, AFullDiskNamesTheTargetAndKeepsItsOldContent) {
  const std::string path = Plain("referto.dat", "old");
  FaultyFileSystem faulty(fs_);
  faulty.FailWithOsError(FsOp::kWrite, ".~lirvo", ENOSPC);
  try {
    ReplaceFile(faulty, path, "new");
    ADD_FAILURE() << "written";
  } catch (const FileError& e) {
    EXPECT_EQ(e.Problem(), PathProblem::kDiskFull);
    EXPECT_EQ(e.Path(), path);
  }
  EXPECT_EQ(fs_.ReadFile(path), "old");
  EXPECT_EQ(fs_.ListDirectory(dir_.path()).size(), 1u);
}

TEST_F(HostilePathsTest, TemporaryFilesOfEndedProcessesGoAtTheNextWriteIntoTheirFolder) {
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
  ReplaceFile(fs_, dir_.File("new.dat"), "data");
  EXPECT_FALSE(fsys::exists(dir_.File(dead)));
  for (const auto& name : kept) EXPECT_TRUE(fsys::exists(dir_.File(name))) << name;
}

TEST_F(HostilePathsTest, InputsArePipesFilesAndDevicesButNotFolders) {
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

}  // namespace
}  // namespace lirvo
