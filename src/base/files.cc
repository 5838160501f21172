#include "base/files.h"

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

#include <atomic>

#include "base/cp1252.h"
#include "base/runtime_error.h"

namespace lirvo {
namespace {

int ProcessId() {
#ifdef _WIN32
  return _getpid();
#else
  return ::getpid();
#endif
}

std::string TemporaryNameFor(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  return path + ".~lirvo" + std::to_string(ProcessId()) + "-" + std::to_string(++counter);
}

enum class Existing { kReplace, kKeep };

// Writes a temporary file beside `path`, then gives it the name `path`.
void WriteThenRename(FileSystem& fs, const std::string& path, std::string_view bytes,
                     Existing existing) {
  const std::string temp = TemporaryNameFor(path);
  try {
    fs.WriteFile(temp, bytes);
    if (existing == Existing::kReplace) {
      fs.RenameFile(temp, path);
    } else {
      fs.RenameNoReplace(temp, path);
    }
  } catch (...) {
    try {
      if (fs.FileExists(temp)) fs.RemoveFile(temp);
    } catch (...) {
      // The temporary file stays behind; the target is intact either way.
    }
    throw;
  }
}

}  // namespace

std::string ReadTextFile(FileSystem& fs, const std::string& path, BusyPointer* screen) {
  PointerGuard hourglass(screen);
  try {
    if (!fs.FileExists(path)) return "";
    return Cp1252ToUtf8(fs.ReadFile(path));
  } catch (...) {
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
    return false;
  }
}

void DeleteFileForced(FileSystem& fs, const std::string& path) {
  try {
    fs.RemoveFile(path);
  } catch (...) {
    // Reports nothing, by design.
  }
}

bool FileExists(FileSystem& fs, const std::string& path) {
  try {
    return fs.FileExists(path);
  } catch (...) {
    return false;
  }
}

bool EnsureFolder(FileSystem& fs, const std::string& path) {
  try {
    if (!fs.DirectoryExists(path)) fs.MakeDirectory(path);
    return fs.DirectoryExists(path);
  } catch (...) {
    return false;
  }
}

void ReplaceFileContent(FileSystem& fs, const std::string& path, std::string_view bytes) {
  WriteThenRename(fs, path, bytes, Existing::kReplace);
}

void CreateNewFile(FileSystem& fs, const std::string& path, std::string_view bytes) {
  // The check spares writing a temporary file in vain; the rename that never
  // replaces is what keeps a file that appears meanwhile.
  if (fs.FileExists(path) || fs.DirectoryExists(path)) throw RuntimeError(kErrFileExists);
  WriteThenRename(fs, path, bytes, Existing::kKeep);
}

}  // namespace lirvo
