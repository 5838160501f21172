// A failed file operation: the runtime's error number that the plug-in traps
// (53, 58, 70, 75, 76), plus what is wrong with the path, so the command line
// can say "no space left on the device" where the runtime only has "Errore di
// accesso al percorso/file".
#pragma once

#include <exception>
#include <string>

#include "base/runtime_error.h"

namespace lirvo {

enum class PathProblem {
  kOther,         // anything below
  kNotFound,      // the file or a folder above it does not exist
  kIsFolder,      // a folder where a file was expected
  kNotRegular,    // a FIFO, a device or a socket where a regular file was expected
  kDanglingLink,  // a symbolic link that leads nowhere
  kUnderAFile,    // a part of the path is a regular file, not a folder
  kNotAFolder,    // a file (or a FIFO ...) where a folder was expected
  kReadOnly,      // the file system is mounted read-only
  kDiskFull,      // no space left on the device (or the quota is used up)
  kNoPermission,  // the permission bits refuse the access
  kExists,        // the file exists and must not be replaced
  kTooLarge,      // larger than the file system or the format can hold
};

class FileError : public RuntimeError {
 public:
  FileError(int number, PathProblem problem, std::string path, std::string detail = "");

  PathProblem Problem() const noexcept { return problem_; }
  const std::string& Path() const noexcept { return path_; }
  // What is wrong with the path, in words: "is a folder", "no space left on
  // the device" ...
  std::string Explanation() const;
  const std::string& Detail() const noexcept { return detail_; }

 private:
  PathProblem problem_;
  std::string path_;
  std::string detail_;  // e.g. the kind of a special file ("a FIFO")
};

// The FileError for the operating system's error `err` on `path`, with the
// runtime number the plug-in has always seen for it: ENOENT 53, ENOTDIR 76,
// EACCES/EPERM/EROFS 70, EEXIST 58, anything else 75.
[[noreturn]] void ThrowFileError(int err, const std::string& path);

// "PATH: what is wrong" for an exception out of a file operation on `path`:
// the explanation of a FileError (with its own path), else the runtime's
// number and description, else the exception's text.
std::string DescribeFileFailure(const std::exception& e, const std::string& path);

}  // namespace lirvo
