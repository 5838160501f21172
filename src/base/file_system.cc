#include "base/file_system.h"

#include "base/file_error.h"
#include "base/runtime_error.h"

// The disk file system of POSIX systems; Windows has its own in
// file_system_windows.cc. The fault injector and the path helpers below the
// disk file system are shared.
#ifndef _WIN32
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "base/clock.h"
#include "base/read_whole.h"

namespace lirvo {
namespace {

[[noreturn]] void ThrowErrno(int err, const std::string& path) { ThrowFileError(err, path); }

// The kind of the file `st` describes.
PathKind KindOfMode(mode_t mode) {
  if (S_ISREG(mode)) return PathKind::kFile;
  if (S_ISDIR(mode)) return PathKind::kFolder;
  if (S_ISFIFO(mode)) return PathKind::kFifo;
  if (S_ISCHR(mode) || S_ISBLK(mode)) return PathKind::kDevice;
  if (S_ISSOCK(mode)) return PathKind::kSocket;
  return PathKind::kUnknown;
}

// Throws the FileError that says why a path of kind `kind` is no regular
// file to replace.
[[noreturn]] void ThrowNotReplaceable(PathKind kind, const std::string& path) {
  switch (kind) {
    case PathKind::kFolder:
      throw FileError(kErrPathFileAccess, PathProblem::kIsFolder, path);
    case PathKind::kFifo:
      throw FileError(kErrPathFileAccess, PathProblem::kNotRegular, path, "a FIFO");
    case PathKind::kDevice:
      throw FileError(kErrPathFileAccess, PathProblem::kNotRegular, path, "a device");
    case PathKind::kSocket:
      throw FileError(kErrPathFileAccess, PathProblem::kNotRegular, path, "a socket");
    case PathKind::kDanglingLink:
      throw FileError(kErrPathFileAccess, PathProblem::kDanglingLink, path);
    case PathKind::kUnderAFile:
      throw FileError(kErrPathNotFound, PathProblem::kUnderAFile, path);
    default:
      throw FileError(kErrPathFileAccess, PathProblem::kNotRegular, path, "a symbolic link");
  }
}

// Refuses a path that holds something other than a regular file (symbolic
// links included: the caller resolves them first).
void RequireReplaceable(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0) {
    if (errno == ENOENT) return;
    ThrowErrno(errno, path);
  }
  if (S_ISREG(st.st_mode)) return;
  if (!S_ISLNK(st.st_mode)) ThrowNotReplaceable(KindOfMode(st.st_mode), path);
  struct stat target;
  const bool dangling = ::stat(path.c_str(), &target) != 0 && errno == ENOENT;
  ThrowNotReplaceable(dangling ? PathKind::kDanglingLink : PathKind::kUnknown, path);
}

class DiskFileSystem final : public FileSystem {
 public:
  bool FileExists(const std::string& path) override {
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
  }

  bool DirectoryExists(const std::string& path) override {
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  }

  std::string ReadFile(const std::string& path) override {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) ThrowErrno(errno, path);
    struct stat st;
    if (::fstat(fd, &st) != 0) {
      const int err = errno;
      ::close(fd);
      ThrowErrno(err, path);
    }
    if (S_ISDIR(st.st_mode)) {
      ::close(fd);
      ThrowErrno(EISDIR, path);
    }
    std::string data = ReadWhole(static_cast<size_t>(st.st_size), [&](char* dest, size_t room) {
      while (true) {
        const ssize_t r = ::read(fd, dest, room);
        if (r >= 0) return static_cast<size_t>(r);
        if (errno == EINTR) continue;
        const int err = errno;
        ::close(fd);
        ThrowErrno(err, path);
      }
    });
    ::close(fd);
    return data;
  }

  void WriteFile(const std::string& path, std::string_view data) override {
    int fd = OpenForWriting(path);
    size_t done = 0;
    while (done < data.size()) {
      ssize_t w = ::write(fd, data.data() + done, data.size() - done);
      if (w < 0) {
        if (errno == EINTR) continue;
        int err = errno;
        ::close(fd);
        ThrowErrno(err, path);
      }
      done += static_cast<size_t>(w);
    }
    if (::fsync(fd) != 0) {
      int err = errno;
      ::close(fd);
      ThrowErrno(err, path);
    }
    if (::close(fd) != 0) ThrowErrno(errno, path);
  }

  void RenameFile(const std::string& from, const std::string& to) override {
    RequireReplaceable(to);
    if (::rename(from.c_str(), to.c_str()) != 0) ThrowErrno(errno, to);
    SyncFolder(std::string(FolderOf(to)));
  }

  void RenameNoReplace(const std::string& from, const std::string& to) override {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) != 0) {
      if (errno != EINVAL && errno != ENOSYS) ThrowErrno(errno, to);
      // The file system cannot rename without replacing: a hard link fails
      // just as atomically when the name is taken, and the old name goes
      // after. Where hard links are not possible either, the link's error
      // stands and nothing was moved.
      if (::link(from.c_str(), to.c_str()) != 0) ThrowErrno(errno, to);
      ::unlink(from.c_str());
    }
    SyncFolder(std::string(FolderOf(to)));
  }

  void RemoveFile(const std::string& path) override {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) ThrowErrno(errno, path);
    if (S_ISDIR(st.st_mode)) ThrowErrno(EISDIR, path);
    if (::unlink(path.c_str()) != 0) ThrowErrno(errno, path);
  }

  void MakeDirectory(const std::string& path) override {
    if (::mkdir(path.c_str(), 0755) != 0) ThrowErrno(errno, path);
  }

  std::vector<DirEntry> ListDirectory(const std::string& path) override {
    DIR* dir = ::opendir(path.c_str());
    if (dir == nullptr) ThrowErrno(errno, path);
    std::vector<DirEntry> entries;
    while (struct dirent* e = ::readdir(dir)) {
      std::string name = e->d_name;
      if (name == "." || name == "..") continue;
      struct stat st;
      if (::stat(JoinPath(path, name).c_str(), &st) != 0) continue;  // vanished meanwhile
      entries.push_back(
          {name, S_ISDIR(st.st_mode), static_cast<uint64_t>(st.st_size), LocalTimeAt(st.st_mtime)});
    }
    ::closedir(dir);
    return entries;
  }

  std::optional<uint64_t> FileSize(const std::string& path) override {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return static_cast<uint64_t>(st.st_size);
  }

  PathKind KindOf(const std::string& path) override {
    struct stat st;
    if (!path.empty() && ::stat(path.c_str(), &st) == 0) return KindOfMode(st.st_mode);
    const int err = path.empty() ? ENOENT : errno;
    if (err == ENOTDIR) return PathKind::kUnderAFile;
    if (err != ENOENT) return PathKind::kUnknown;
    return ::lstat(path.c_str(), &st) == 0 ? PathKind::kDanglingLink : PathKind::kAbsent;
  }

  std::string WriteTarget(const std::string& path) override {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) {
      if (errno == ENOENT) return path;
      ThrowErrno(errno, path);
    }
    if (S_ISREG(st.st_mode)) return path;
    if (!S_ISLNK(st.st_mode)) ThrowNotReplaceable(KindOfMode(st.st_mode), path);
    // A link: the file it leads to is replaced, in that file's own folder.
    const PathKind kind = KindOf(path);
    if (kind != PathKind::kFile) ThrowNotReplaceable(kind, path);
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) == nullptr) ThrowErrno(errno, path);
    return resolved;
  }

 private:
  // Opens `path` to be written from its start: created when absent, emptied
  // when a regular file, refused when anything else (a symbolic link is not
  // followed; a FIFO without a reader does not block the open).
  static int OpenForWriting(const std::string& path) {
    RequireReplaceable(path);
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
    if (fd < 0) {
      if (errno == ELOOP) ThrowNotReplaceable(PathKind::kUnknown, path);
      if (errno == ENXIO) ThrowNotReplaceable(PathKind::kFifo, path);
      ThrowErrno(errno, path);
    }
    struct stat st;
    if (::fstat(fd, &st) != 0) {
      const int err = errno;
      ::close(fd);
      ThrowErrno(err, path);
    }
    if (!S_ISREG(st.st_mode)) {
      ::close(fd);
      ThrowNotReplaceable(KindOfMode(st.st_mode), path);
    }
    if (::ftruncate(fd, 0) != 0) {
      const int err = errno;
      ::close(fd);
      ThrowErrno(err, path);
    }
    // Writes to a regular file never return EAGAIN; back to blocking anyway.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
  }

  // Makes a rename durable: the folder entry must reach the disk too.
  static void SyncFolder(const std::string& folder) {
    int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
  }
};

}  // namespace

FileSystem& RealFileSystem() {
  static DiskFileSystem fs;
  return fs;
}

}  // namespace lirvo
#endif  // _WIN32

namespace lirvo {

void FaultyFileSystem::FailOn(FsOp op, std::string path_part, int error_number) {
  rules_.push_back({op, std::move(path_part), error_number});
}

void FaultyFileSystem::FailWithOsError(FsOp op, std::string path_part, int os_error) {
  rules_.push_back({op, std::move(path_part), kErrPathFileAccess, os_error});
}

void FaultyFileSystem::Check(FsOp op, const std::string& path) {
  for (const auto& rule : rules_) {
    if (rule.op != op || path.find(rule.path_part) == std::string::npos) continue;
    if (rule.os_error != 0) ThrowFileError(rule.os_error, path);
    throw RuntimeError(rule.error_number);
  }
}

bool FaultyFileSystem::FileExists(const std::string& path) { return target_.FileExists(path); }

bool FaultyFileSystem::DirectoryExists(const std::string& path) {
  return target_.DirectoryExists(path);
}

std::string FaultyFileSystem::ReadFile(const std::string& path) {
  Check(FsOp::kRead, path);
  return target_.ReadFile(path);
}

void FaultyFileSystem::WriteFile(const std::string& path, std::string_view data) {
  Check(FsOp::kWrite, path);
  target_.WriteFile(path, data);
}

void FaultyFileSystem::RenameFile(const std::string& from, const std::string& to) {
  Check(FsOp::kRename, to);
  target_.RenameFile(from, to);
}

void FaultyFileSystem::RenameNoReplace(const std::string& from, const std::string& to) {
  Check(FsOp::kRename, to);
  target_.RenameNoReplace(from, to);
}

void FaultyFileSystem::RemoveFile(const std::string& path) {
  Check(FsOp::kDelete, path);
  target_.RemoveFile(path);
}

void FaultyFileSystem::MakeDirectory(const std::string& path) {
  Check(FsOp::kMakeDirectory, path);
  target_.MakeDirectory(path);
}

std::vector<DirEntry> FaultyFileSystem::ListDirectory(const std::string& path) {
  Check(FsOp::kList, path);
  return target_.ListDirectory(path);
}

std::optional<uint64_t> FaultyFileSystem::FileSize(const std::string& path) {
  return target_.FileSize(path);
}

PathKind FaultyFileSystem::KindOf(const std::string& path) { return target_.KindOf(path); }

std::string FaultyFileSystem::WriteTarget(const std::string& path) {
  return target_.WriteTarget(path);
}

PathKind FileSystem::KindOf(const std::string& path) {
  if (FileExists(path)) return PathKind::kFile;
  return DirectoryExists(path) ? PathKind::kFolder : PathKind::kAbsent;
}

std::string FileSystem::WriteTarget(const std::string& path) { return path; }

namespace {

size_t LastSeparator(std::string_view path) {
  for (size_t i = path.size(); i > 0; --i) {
    if (IsPathSeparator(path[i - 1])) return i - 1;
  }
  return std::string_view::npos;
}

}  // namespace

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string out(folder);
  if (!out.empty() && !IsPathSeparator(out.back())) out.push_back(kPathSeparator);
  out.append(name);
  return out;
}

std::string_view FileNameOf(std::string_view path) {
  size_t slash = LastSeparator(path);
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string_view FolderOf(std::string_view path) {
  size_t slash = LastSeparator(path);
  if (slash == std::string_view::npos) return {};
  // A root keeps its separator: "/", and "C:\" on Windows.
  size_t root = 1;
#ifdef _WIN32
  if (path.size() > 2 && path[1] == ':') root = 3;
#endif
  if (slash < root) return path.substr(0, root);
  return path.substr(0, slash);
}

}  // namespace lirvo
