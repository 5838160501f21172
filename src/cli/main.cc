#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  std::vector<std::string> args(argv + 1, argv + argc);
  int code = lirvo::cli::RunLirvo(args, std::cout, std::cerr);
  // The last bytes reach the file only when standard output is closed: a
  // failure there (a full disk) is a write error too.
  if (std::fclose(stdout) != 0 && errno != EBADF) {
    const std::string reason = std::strerror(errno);
    std::cerr << "lirvo: write error: " << reason << '\n';
    if (code == lirvo::cli::kExitOk) code = lirvo::cli::kExitFailure;
  }
  return code;
}
