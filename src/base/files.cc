#include "base/files.h"

#ifdef _WIN32
#include <process.h>
#include <windows.h>
#else
#include <signal.h>
#include <unistd.h>
#endif

#include <atomic>
#include <cerrno>
#include <charconv>
#include <mutex>
#include <optional>
#include <set>

#include "base/cp1252.h"
#include "base/file_error.h"
#include "base/runtime_error.h"
#include "base/trap.h"

namespace lirvo {
namespace {

constexpr std::string_view kTemporaryMark = ".~lirvo";

long ProcessId() {
#ifdef _WIN32
  return _getpid();
#else
  return ::getpid();
#endif
}

// TARGET.~lirvoPID-N: the id of the writing process is in the name, so a
// later process can tell the leftovers of a killed one.
std::string TemporaryNameFor(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  return path + std::string(kTemporaryMark) + std::to_string(ProcessId()) + "-" +
         std::to_string(++counter);
}

void RemoveQuietly(FileSystem& fs, const std::string& path) {
  try {
    if (fs.FileExists(path)) fs.RemoveFile(path);
  } catch (...) {
    // The file stays behind; nothing depends on it.
    ReportTrap("RemoveQuietly");
  }
}

enum class Existing { kReplace, kKeep };

// Writes `bytes` to a temporary file next to `target` (a regular file or
// nothing) and renames it over `target`, or only to where nothing is
// (kKeep). Errors name `shown`, the path the caller asked for, not the
// temporary file.
void WriteThenRename(FileSystem& fs, const std::string& target, const std::string& shown,
                     std::string_view bytes, Existing existing) {
  RemoveStaleTemporaries(fs, std::string(FolderOf(target)));
  const std::string temp = TemporaryNameFor(target);
  try {
    fs.WriteFile(temp, bytes);
    if (existing == Existing::kReplace) {
      fs.RenameFile(temp, target);
    } else {
      fs.RenameNoReplace(temp, target);
    }
  } catch (const FileError& e) {
    RemoveQuietly(fs, temp);
    throw FileError(
        e.Number(), e.Problem(), shown,
        e.Problem() == PathProblem::kNotFound ? "its folder does not exist" : e.Detail());
  } catch (...) {
    RemoveQuietly(fs, temp);
    throw;
  }
}

// Refuses to create `path` when anything is there, a link to nothing
// included (error 58, or 76 under a regular file).
void RequireNothingAt(FileSystem& fs, const std::string& path) {
  switch (fs.KindOf(path)) {
    case PathKind::kAbsent:
    case PathKind::kUnknown:  // the write itself says what is wrong
      return;
    case PathKind::kFile:
      throw FileError(kErrFileExists, PathProblem::kExists, path);
    case PathKind::kFolder:
      throw FileError(kErrFileExists, PathProblem::kIsFolder, path);
    case PathKind::kDanglingLink:
      throw FileError(kErrFileExists, PathProblem::kDanglingLink, path);
    case PathKind::kUnderAFile:
      throw FileError(kErrPathNotFound, PathProblem::kUnderAFile, path);
    case PathKind::kFifo:
    case PathKind::kDevice:
    case PathKind::kSocket:
      throw FileError(kErrFileExists, PathProblem::kNotRegular, path);
  }
}

// True unless the process is known to have ended.
bool ProcessIsAlive(long pid) {
  if (pid <= 0 || pid == ProcessId()) return true;
#ifdef _WIN32
  HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
  if (process == nullptr) return ::GetLastError() != ERROR_INVALID_PARAMETER;  // no such id
  const bool running = ::WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  ::CloseHandle(process);
  return running;
#else
  return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH;
#endif
}

}  // namespace

std::optional<long> TemporaryFileOwner(std::string_view name) {
  const size_t mark = name.rfind(kTemporaryMark);
  if (mark == std::string_view::npos || mark == 0) return std::nullopt;
  const std::string_view rest = name.substr(mark + kTemporaryMark.size());
  const size_t dash = rest.find('-');
  if (dash == std::string_view::npos || dash == 0 || dash + 1 == rest.size()) return std::nullopt;
  long pid = 0;
  auto [end, ec] = std::from_chars(rest.data(), rest.data() + dash, pid);
  if (ec != std::errc() || end != rest.data() + dash) return std::nullopt;
  for (char c : rest.substr(dash + 1)) {
    if (c < '0' || c > '9') return std::nullopt;
  }
  return pid;
}

void RemoveStaleTemporaries(FileSystem& fs, const std::string& folder) {
  static std::mutex mutex;
  static std::set<std::string> swept;
  const std::string where = folder.empty() ? "." : folder;
  {
    std::lock_guard lock(mutex);
    if (!swept.insert(where).second) return;
  }
  try {
    for (const DirEntry& e : fs.ListDirectory(where)) {
      if (e.is_directory) continue;
      const std::optional<long> owner = TemporaryFileOwner(e.name);
      if (owner && !ProcessIsAlive(*owner)) RemoveQuietly(fs, JoinPath(where, e.name));
    }
  } catch (...) {
    // A folder that cannot be listed keeps its leftovers; the write goes on.
    ReportTrap("RemoveStaleTemporaries");
  }
}

bool IsReadableKind(PathKind kind) {
  return kind == PathKind::kFile || kind == PathKind::kFifo || kind == PathKind::kDevice;
}

std::string DescribePathKind(PathKind kind) {
  switch (kind) {
    case PathKind::kAbsent:
      return "file not found";
    case PathKind::kFile:
      return "is a file";
    case PathKind::kFolder:
      return "is a folder";
    case PathKind::kFifo:
      return "is a FIFO";
    case PathKind::kDevice:
      return "is a device";
    case PathKind::kSocket:
      return "is a socket";
    case PathKind::kDanglingLink:
      return "is a symbolic link to nothing";
    case PathKind::kUnderAFile:
      return "a part of the path is a file, not a folder";
    case PathKind::kUnknown:
      break;
  }
  return "cannot be examined (permission denied?)";
}

std::string ReadTextFile(FileSystem& fs, const std::string& path, BusyPointer* screen) {
  PointerGuard hourglass(screen);
  try {
    if (!fs.FileExists(path)) return "";
    return Cp1252ToUtf8(fs.ReadFile(path));
  } catch (...) {
    ReportTrap("ReadTextFile");
    return "";
  }
}

bool WriteTextFile(FileSystem& fs, const std::string& path, std::string_view text,
                   BusyPointer* screen) {
  PointerGuard hourglass(screen);
  try {
    ReplaceFileContent(fs, path, Utf8ToCp1252(text));
    return fs.FileExists(path);
  } catch (...) {
    ReportTrap("WriteTextFile");
    return false;
  }
}

void DeleteFileForced(FileSystem& fs, const std::string& path) {
  try {
    fs.RemoveFile(path);
  } catch (...) {
    // Nothing for the caller, by design.
    ReportTrap("DeleteFileForced");
  }
}

bool FileExists(FileSystem& fs, const std::string& path) {
  try {
    return fs.FileExists(path);
  } catch (...) {
    ReportTrap("FileExists");
    return false;
  }
}

bool EnsureFolder(FileSystem& fs, const std::string& path) {
  try {
    if (!fs.DirectoryExists(path)) fs.MakeDirectory(path);
    return fs.DirectoryExists(path);
  } catch (...) {
    ReportTrap("EnsureFolder");
    return false;
  }
}

void ReplaceFileContent(FileSystem& fs, const std::string& path, std::string_view bytes) {
  WriteThenRename(fs, fs.WriteTarget(path), path, bytes, Existing::kReplace);
}

void CreateNewFile(FileSystem& fs, const std::string& path, std::string_view bytes) {
  // The check spares writing a temporary file in vain and says what is in
  // the way; the rename that never replaces is what keeps a file that
  // appears meanwhile.
  RequireNothingAt(fs, path);
  WriteThenRename(fs, path, path, bytes, Existing::kKeep);
}

}  // namespace lirvo
