// Replays every file of the folders (or files) named on the command line
// through the fuzz target, so the committed corpus runs as a regression test
// in builds without libFuzzer. Exits 1 when there is nothing to replay.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
  std::vector<std::filesystem::path> files;
  for (int i = 1; i < argc; ++i) {
    std::filesystem::path p = argv[i];
    if (std::filesystem::is_directory(p)) {
      for (const auto& e : std::filesystem::directory_iterator(p)) {
        if (e.is_regular_file()) files.push_back(e.path());
      }
    } else if (std::filesystem::is_regular_file(p)) {
      files.push_back(p);
    }
  }
  if (files.empty()) {
    std::cerr << "no corpus files to replay\n";
    return 1;
  }
  for (const auto& f : files) {
    std::ifstream in(f, std::ios::binary);
    std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(data.data()), data.size());
  }
  std::cout << "replayed " << files.size() << " inputs\n";
  return 0;
}
