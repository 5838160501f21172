// A fresh folder under the system's temporary folder, removed with
// everything in it when the object goes. A folder that cannot be made
// throws, which fails the test that asked for it.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

namespace lirvo::test_support {

class TempDir {
 public:
  TempDir() {
    std::string templ = (std::filesystem::temp_directory_path() / "lirvo-test-XXXXXX").string();
    if (::mkdtemp(templ.data()) == nullptr) {
      throw std::runtime_error("cannot make a temporary folder from " + templ);
    }
    path_ = templ;
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // The path of `name` inside the folder.
  std::string File(std::string_view name) const { return path_ + "/" + std::string(name); }

 private:
  std::string path_;
};

}  // namespace lirvo::test_support
