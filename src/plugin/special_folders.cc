#include "plugin/special_folders.h"

#include <cstdlib>

#ifdef _WIN32
#include <shlobj.h>
#include <windows.h>
#endif

#include "base/file_system.h"
#include "base/files.h"

namespace lirvo::plugin {
namespace {

#ifndef _WIN32
std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}
#endif

std::string WithoutTrailingSeparator(std::string path) {
  while (path.size() > 1 && IsPathSeparator(path.back())) path.pop_back();
  return path;
}

}  // namespace

#ifdef _WIN32
std::string SpecialFolderPath(int32_t folder) {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(::SHGetFolderPathW(nullptr, folder, nullptr, SHGFP_TYPE_CURRENT, path))) return "";
  const int wide_length = static_cast<int>(wcslen(path));
  const int length =
      ::WideCharToMultiByte(CP_UTF8, 0, path, wide_length, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(length), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, path, wide_length, utf8.data(), length, nullptr, nullptr);
  return WithoutTrailingSeparator(utf8);
}
#else
std::string SpecialFolderPath(int32_t folder) {
  if (folder != kFolderAppData) return "";
  std::string data_home = Env("XDG_DATA_HOME");
  if (!data_home.empty()) return WithoutTrailingSeparator(data_home);
  const std::string home = Env("HOME");
  if (home.empty()) return "";
  return WithoutTrailingSeparator(home) + "/.local/share";
}
#endif

std::string UserDataFolder(FileSystem& fs) {
  std::string path = SpecialFolderPath(kFolderAppData);
  if (path.empty()) return "";
  if (!IsPathSeparator(path.back())) path += kPathSeparator;
  for (const char* level : {"Vantrel", "Clinora V6", "RefertiLirvo"}) {
    path += level;
    path += kPathSeparator;
    if (!EnsureFolder(fs, path)) return "";
  }
  return path;
}

}  // namespace lirvo::plugin
