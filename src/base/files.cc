#include "base/files.h"

#include <unistd.h>

#include <atomic>

#include "base/cp1252.h"
#include "base/runtime_error.h"
#include "base/trap.h"

namespace lirvo {
namespace {

std::string TemporaryNameFor(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  return path + ".~lirvo" + std::to_string(::getpid()) + "-" + std::to_string(++counter);
}

void WriteThenRename(FileSystem& fs, const std::string& path, std::string_view bytes) {
  const std::string temp = TemporaryNameFor(path);
  try {
    fs.WriteFile(temp, bytes);
    fs.RenameFile(temp, path);
  } catch (...) {
    try {
      if (fs.FileExists(temp)) fs.RemoveFile(temp);
    } catch (...) {
      // The temporary file stays behind; the target is intact either way.
      ReportTrap("ReplaceFile");
    }
    throw;
  }
}

}  // namespace

std::string ReadTextFile(FileSystem& fs, const std::string& path) {
  try {
    if (!fs.FileExists(path)) return "";
    return Cp1252ToUtf8(fs.ReadFile(path));
  } catch (...) {
    ReportTrap("ReadTextFile");
    return "";
  }
}

bool WriteTextFile(FileSystem& fs, const std::string& path, std::string_view text) {
  try {
    ReplaceFile(fs, path, Utf8ToCp1252(text));
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

void ReplaceFile(FileSystem& fs, const std::string& path, std::string_view bytes) {
  WriteThenRename(fs, path, bytes);
}

void CreateNewFile(FileSystem& fs, const std::string& path, std::string_view bytes) {
  if (fs.FileExists(path) || fs.DirectoryExists(path)) throw RuntimeError(kErrFileExists);
  WriteThenRename(fs, path, bytes);
}

}  // namespace lirvo
