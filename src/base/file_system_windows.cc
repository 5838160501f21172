// The disk file system of Windows, on the wide-character Win32 calls: paths
// are UTF-8 inside the program and UTF-16 for the system, so every name the
// person can type reaches the disk unchanged.
#include <windows.h>

#include <limits>

#include "base/clock.h"
#include "base/file_error.h"
#include "base/file_system.h"
#include "base/read_whole.h"
#include "base/runtime_error.h"

namespace lirvo {
namespace {

// The FileError for the system's error `err` on `path`, with the numbers
// the runtime gives on Windows.
[[noreturn]] void ThrowWin32(DWORD err, const std::string& path) {
  switch (err) {
    case ERROR_FILE_NOT_FOUND:
      throw FileError(kErrFileNotFound, PathProblem::kNotFound, path);
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
      throw FileError(kErrPathNotFound, PathProblem::kNotFound, path);
    case ERROR_DIRECTORY:
      throw FileError(kErrPathNotFound, PathProblem::kNotAFolder, path);
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
      throw FileError(kErrBadFileName, PathProblem::kOther, path, "not a valid file name");
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      throw FileError(kErrPermissionDenied, PathProblem::kNoPermission, path);
    case ERROR_WRITE_PROTECT:
      throw FileError(kErrPermissionDenied, PathProblem::kReadOnly, path);
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      throw FileError(kErrFileExists, PathProblem::kExists, path);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      throw FileError(kErrPathFileAccess, PathProblem::kDiskFull, path);
    case ERROR_FILE_TOO_LARGE:
      throw FileError(kErrPathFileAccess, PathProblem::kTooLarge, path);
    default:
      throw FileError(kErrPathFileAccess, PathProblem::kOther, path,
                      "system error " + std::to_string(err));
  }
}

[[noreturn]] void ThrowLastError(const std::string& path) { ThrowWin32(::GetLastError(), path); }

// UTF-8 to UTF-16; a name that is not UTF-8 is a bad file name.
std::wstring Wide(const std::string& path) {
  if (path.empty()) return {};
  if (path.size() > static_cast<size_t>(std::numeric_limits<int>::max())) {
    ThrowWin32(ERROR_INVALID_NAME, path);
  }
  const int size = static_cast<int>(path.size());
  const int n = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(), size, nullptr, 0);
  if (n <= 0) ThrowWin32(ERROR_INVALID_NAME, path);
  std::wstring out(static_cast<size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(), size, out.data(), n);
  return out;
}

std::string Narrow(const wchar_t* name) {
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, name, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return {};
  std::string out(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, name, -1, out.data(), n, nullptr, nullptr);
  out.pop_back();  // the terminating NUL
  return out;
}

// The attributes of `path`, or INVALID_FILE_ATTRIBUTES.
DWORD Attributes(const std::string& path) {
  if (path.empty()) return INVALID_FILE_ATTRIBUTES;
  try {
    return ::GetFileAttributesW(Wide(path).c_str());
  } catch (const RuntimeError&) {
    return INVALID_FILE_ATTRIBUTES;
  }
}

bool IsFolder(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsFile(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
}

// Clears the read-only bit, so a replace or a delete works whatever the
// file's permission bits, as on the other systems.
void MakeWritable(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    ::SetFileAttributesW(path.c_str(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
  }
}

uint64_t SizeOf(DWORD high, DWORD low) { return (static_cast<uint64_t>(high) << 32) | low; }

// A file time (100-nanosecond steps since 1601, UTC) as local time.
DateTime LocalTimeOf(const FILETIME& t) {
  constexpr int64_t kTicksPerSecond = 10'000'000;
  constexpr int64_t kSecondsFrom1601To1970 = 11'644'473'600;
  const auto ticks = static_cast<int64_t>(SizeOf(t.dwHighDateTime, t.dwLowDateTime));
  return LocalTimeAt(ticks / kTicksPerSecond - kSecondsFrom1601To1970);
}

// Closes a handle on every path.
class Handle {
 public:
  explicit Handle(HANDLE h) : h_(h) {}
  ~Handle() {
    if (h_ != INVALID_HANDLE_VALUE) ::CloseHandle(h_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return h_; }
  // Closes now, reporting whether the system accepted it.
  bool Close() {
    const bool ok = ::CloseHandle(h_) != 0;
    h_ = INVALID_HANDLE_VALUE;
    return ok;
  }

 private:
  HANDLE h_;
};

// Largest single read or write: the calls take a 32-bit count.
constexpr DWORD kChunk = 1u << 30;

class DiskFileSystem final : public FileSystem {
 public:
  bool FileExists(const std::string& path) override { return IsFile(Attributes(path)); }

  bool DirectoryExists(const std::string& path) override { return IsFolder(Attributes(path)); }

  std::string ReadFile(const std::string& path) override {
    Handle file(::CreateFileW(Wide(path).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
      const DWORD err = ::GetLastError();
      // A folder cannot be opened as a file: the same error as elsewhere.
      if (IsFolder(Attributes(path))) {
        throw FileError(kErrPathFileAccess, PathProblem::kIsFolder, path);
      }
      ThrowWin32(err, path);
    }
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(file.get(), &size)) ThrowLastError(path);
    return ReadWhole(static_cast<size_t>(size.QuadPart), [&](char* dest, size_t room) {
      DWORD read = 0;
      if (!::ReadFile(file.get(), dest, room < kChunk ? static_cast<DWORD>(room) : kChunk, &read,
                      nullptr)) {
        ThrowLastError(path);
      }
      return static_cast<size_t>(read);
    });
  }

  void WriteFile(const std::string& path, std::string_view data) override {
    Handle file(::CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) ThrowLastError(path);
    size_t done = 0;
    while (done < data.size()) {
      const size_t left = data.size() - done;
      DWORD written = 0;
      if (!::WriteFile(file.get(), data.data() + done,
                       left < kChunk ? static_cast<DWORD>(left) : kChunk, &written, nullptr)) {
        ThrowLastError(path);
      }
      done += written;
    }
    if (!::FlushFileBuffers(file.get())) ThrowLastError(path);
    if (!file.Close()) ThrowLastError(path);
  }

  void RenameFile(const std::string& from, const std::string& to) override {
    const std::wstring target = Wide(to);
    MakeWritable(target);
    if (!::MoveFileExW(Wide(from).c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      ThrowLastError(to);
    }
  }

  void RenameNoReplace(const std::string& from, const std::string& to) override {
    // Without MOVEFILE_REPLACE_EXISTING the move fails when `to` exists, in
    // the same step that would have created it.
    if (!::MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_WRITE_THROUGH)) {
      ThrowLastError(to);
    }
  }

  void RemoveFile(const std::string& path) override {
    const std::wstring name = Wide(path);
    if (IsFolder(::GetFileAttributesW(name.c_str()))) {
      throw FileError(kErrPathFileAccess, PathProblem::kIsFolder, path);
    }
    MakeWritable(name);
    if (!::DeleteFileW(name.c_str())) ThrowLastError(path);
  }

  void MakeDirectory(const std::string& path) override {
    if (!::CreateDirectoryW(Wide(path).c_str(), nullptr)) ThrowLastError(path);
  }

  std::vector<DirEntry> ListDirectory(const std::string& path) override {
    WIN32_FIND_DATAW found;
    HANDLE find = ::FindFirstFileExW(Wide(JoinPath(path, "*")).c_str(), FindExInfoBasic, &found,
                                     FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) ThrowLastError(path);
    std::vector<DirEntry> entries;
    do {
      const std::string name = Narrow(found.cFileName);
      if (name.empty() || name == "." || name == "..") continue;
      entries.push_back({name, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                         SizeOf(found.nFileSizeHigh, found.nFileSizeLow),
                         LocalTimeOf(found.ftLastWriteTime)});
    } while (::FindNextFileW(find, &found));
    ::FindClose(find);
    return entries;
  }

  std::optional<uint64_t> FileSize(const std::string& path) override {
    if (path.empty()) return std::nullopt;
    WIN32_FILE_ATTRIBUTE_DATA data;
    try {
      if (!::GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &data)) {
        return std::nullopt;
      }
    } catch (const RuntimeError&) {
      return std::nullopt;
    }
    if (!IsFile(data.dwFileAttributes)) return std::nullopt;
    return SizeOf(data.nFileSizeHigh, data.nFileSizeLow);
  }
};

}  // namespace

FileSystem& RealFileSystem() {
  static DiskFileSystem fs;
  return fs;
}

}  // namespace lirvo
