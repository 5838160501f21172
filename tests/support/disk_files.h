// Whole files on the disk, for the tests that set a folder up and look at
// what is left in it.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "base/file_system.h"

namespace lirvo::test_support {

// The bytes of the file at `path`.
inline std::string Bytes(const std::string& path) { return RealFileSystem().ReadFile(path); }

// Writes `bytes` into the file at `path` and gives the path back.
inline std::string Put(const std::string& path, std::string_view bytes) {
  RealFileSystem().WriteFile(path, bytes);
  return path;
}

// The names of what is in `folder`, sorted.
inline std::vector<std::string> SortedNames(const std::string& folder) {
  std::vector<std::string> names;
  for (const DirEntry& e : RealFileSystem().ListDirectory(folder)) names.push_back(e.name);
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace lirvo::test_support
