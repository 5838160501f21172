// The one seam through which the program touches files and folders. The real
// implementation works on the disk; FaultyFileSystem wraps another one and
// fails chosen operations on chosen paths, so tests can break a write, a
// rename or a delete at a named step and check that no data was lost.
//
// Failures are thrown as FileError (a RuntimeError) with the runtime's
// numbers: 53 file not found, 76 path not found, 70 permission denied, 75
// path/file access error, 58 file already exists; the FileError also says
// what is wrong with the path (disk full, read-only, a folder ...).
//
// The disk's WriteFile and RenameFile replace only regular files: a target
// that is a folder, a FIFO, a device, a socket or a symbolic link is refused,
// never turned into a regular file and never followed.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/dates.h"

namespace lirvo {

// One separator rule for every path the program builds or takes apart. New
// paths are joined with kPathSeparator; on Windows a folder name ends at a
// backslash or a slash, as the system itself reads them, elsewhere only at a
// slash.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif
constexpr bool IsPathSeparator(char c) { return c == kPathSeparator || c == '/'; }

struct DirEntry {
  std::string name;  // file name without the folder
  bool is_directory = false;
  uint64_t size = 0;
  DateTime modified;  // local time
};

// What a path names, symbolic links followed.
enum class PathKind {
  kAbsent,        // nothing there (its folder may be missing too)
  kFile,          // a regular file
  kFolder,        // a folder
  kFifo,          // a FIFO or a pipe
  kDevice,        // a character or block device
  kSocket,        // a socket
  kDanglingLink,  // a symbolic link that leads nowhere
  kUnderAFile,    // a part of the path is a regular file
  kUnknown,       // cannot be told (no permission to look)
};

enum class FsOp {
  kRead,
  kWrite,
  kRename,
  kDelete,
  kMakeDirectory,
  kList,
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // True when `path` names an existing regular file (not a folder).
  virtual bool FileExists(const std::string& path) = 0;
  virtual bool DirectoryExists(const std::string& path) = 0;

  // The whole content of a file, as bytes.
  virtual std::string ReadFile(const std::string& path) = 0;

  // Creates `path`, or empties it when it exists, writes `data` and flushes it
  // to the disk before returning.
  virtual void WriteFile(const std::string& path, std::string_view data) = 0;

  // Renames `from` to `to`, replacing `to` when it exists, whatever its
  // permission bits.
  virtual void RenameFile(const std::string& from, const std::string& to) = 0;

  // Renames `from` to `to` only when nothing is at `to`, failing with 58
  // otherwise. Check and rename are one step: a file that appears at `to`
  // meanwhile is never replaced.
  virtual void RenameNoReplace(const std::string& from, const std::string& to) = 0;

  // Deletes a file whatever its permission bits.
  virtual void RemoveFile(const std::string& path) = 0;

  // Creates one folder level; its parent must exist.
  virtual void MakeDirectory(const std::string& path) = 0;

  // The entries of a folder, in no particular order.
  virtual std::vector<DirEntry> ListDirectory(const std::string& path) = 0;

  // Size of a file, nothing when it cannot be read.
  virtual std::optional<uint64_t> FileSize(const std::string& path) = 0;

  // What `path` names. This default knows only files and folders.
  virtual PathKind KindOf(const std::string& path);

  // The regular file that a write replacing `path` must replace: `path`
  // itself when nothing is there or when it is a regular file, the regular
  // file a symbolic link leads to (the link stays a link). Throws FileError
  // for anything else: a folder, a FIFO, a device, a socket, a link to
  // nothing or to one of those. This default returns `path`.
  virtual std::string WriteTarget(const std::string& path);
};

// The process's file system on the disk.
FileSystem& RealFileSystem();

// Forwards every call to another file system, failing those that a rule
// matches. A rule names an operation, a piece of the path (empty matches every
// path) and the error number to throw; it fails every matching call.
class FaultyFileSystem final : public FileSystem {
 public:
  explicit FaultyFileSystem(FileSystem& target) : target_(target) {}

  void FailOn(FsOp op, std::string path_part, int error_number = 75);
  // As FailOn, but fails as the disk does on the operating system's error
  // `os_error` (ENOSPC, EROFS ...): a FileError naming the path.
  void FailWithOsError(FsOp op, std::string path_part, int os_error);
  void ClearFaults() { rules_.clear(); }

  bool FileExists(const std::string& path) override;
  bool DirectoryExists(const std::string& path) override;
  std::string ReadFile(const std::string& path) override;
  void WriteFile(const std::string& path, std::string_view data) override;
  void RenameFile(const std::string& from, const std::string& to) override;
  void RenameNoReplace(const std::string& from, const std::string& to) override;
  void RemoveFile(const std::string& path) override;
  void MakeDirectory(const std::string& path) override;
  std::vector<DirEntry> ListDirectory(const std::string& path) override;
  std::optional<uint64_t> FileSize(const std::string& path) override;
  PathKind KindOf(const std::string& path) override;
  std::string WriteTarget(const std::string& path) override;

 private:
  struct Rule {
    FsOp op;
    std::string path_part;
    int error_number;
    int os_error = 0;
  };
  void Check(FsOp op, const std::string& path);

  FileSystem& target_;
  std::vector<Rule> rules_;
};

// Path helpers following the separator rule above.
std::string JoinPath(std::string_view folder, std::string_view name);
std::string_view FileNameOf(std::string_view path);
std::string_view FolderOf(std::string_view path);  // without the trailing separator

}  // namespace lirvo
