#include "base/file_error.h"

#include <cerrno>
#include <cstring>
#include <utility>

namespace lirvo {

FileError::FileError(int number, PathProblem problem, std::string path, std::string detail)
    : RuntimeError(number), problem_(problem), path_(std::move(path)), detail_(std::move(detail)) {}

std::string FileError::Explanation() const {
  switch (problem_) {
    case PathProblem::kNotFound:
      return detail_.empty() ? "file not found" : detail_;
    case PathProblem::kIsFolder:
      return "is a folder";
    case PathProblem::kNotRegular:
      return "is not a regular file" + (detail_.empty() ? "" : " (" + detail_ + ")");
    case PathProblem::kDanglingLink:
      return "is a symbolic link to nothing";
    case PathProblem::kUnderAFile:
      return "a part of the path is a file, not a folder";
    case PathProblem::kNotAFolder:
      return "is not a folder";
    case PathProblem::kReadOnly:
      return "read-only file system";
    case PathProblem::kDiskFull:
      return "no space left on the device";
    case PathProblem::kNoPermission:
      return "permission denied";
    case PathProblem::kExists:
      return "file exists";
    case PathProblem::kTooLarge:
      return detail_.empty() ? "file too large" : detail_;
    case PathProblem::kOther:
      break;
  }
  return detail_.empty() ? Description() : detail_;
}

void ThrowFileError(int err, const std::string& path) {
  switch (err) {
    case ENOENT:
      throw FileError(kErrFileNotFound, PathProblem::kNotFound, path);
    case ENOTDIR:
      throw FileError(kErrPathNotFound, PathProblem::kUnderAFile, path);
    case EACCES:
    case EPERM:
      throw FileError(kErrPermissionDenied, PathProblem::kNoPermission, path);
    case EROFS:
      throw FileError(kErrPermissionDenied, PathProblem::kReadOnly, path);
    case EEXIST:
      throw FileError(kErrFileExists, PathProblem::kExists, path);
    case EISDIR:
      throw FileError(kErrPathFileAccess, PathProblem::kIsFolder, path);
    case ENOSPC:
    case EDQUOT:
      throw FileError(kErrPathFileAccess, PathProblem::kDiskFull, path);
    case EFBIG:
      throw FileError(kErrPathFileAccess, PathProblem::kTooLarge, path);
    case ELOOP:
      throw FileError(kErrPathFileAccess, PathProblem::kOther, path, "too many symbolic links");
    default:
      throw FileError(kErrPathFileAccess, PathProblem::kOther, path, std::strerror(err));
  }
}

std::string DescribeFileFailure(const std::exception& e, const std::string& path) {
  if (const auto* f = dynamic_cast<const FileError*>(&e)) {
    return (f->Path().empty() ? path : f->Path()) + ": " + f->Explanation();
  }
  if (const auto* r = dynamic_cast<const RuntimeError*>(&e)) {
    return path + ": " + std::to_string(r->Number()) + " - " + r->Description();
  }
  return path + ": " + e.what();
}

}  // namespace lirvo
