#include "plugin/special_folders.h"

#include <cstdlib>

#include "base/file_system.h"
#include "base/files.h"

namespace lirvo::plugin {
namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

std::string WithoutTrailingSeparator(std::string path) {
  while (path.size() > 1 && IsPathSeparator(path.back())) path.pop_back();
  return path;
}

}  // namespace

std::string SpecialFolderPath(int32_t folder) {
  if (folder != kFolderAppData) return "";
  std::string data_home = Env("XDG_DATA_HOME");
  if (!data_home.empty()) return WithoutTrailingSeparator(data_home);
  const std::string home = Env("HOME");
  if (home.empty()) return "";
  return WithoutTrailingSeparator(home) + "/.local/share";
}

std::string UserDataFolder(FileSystem& fs) {
  std::string path = SpecialFolderPath(kFolderAppData);
  if (path.empty()) return "";
  if (!IsPathSeparator(path.back())) path += kPathSeparator;
  for (const char* level : {"Vantrel/", "Clinora V6/", "RefertiLirvo/"}) {
    path += level;
    if (!EnsureFolder(fs, path)) return "";
  }
  return path;
}

}  // namespace lirvo::plugin
