// Runs `lirvo` in-process and keeps what it printed, for the command tests.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"

namespace lirvo::cli::test_support {

struct RunResult {
  int code;
  std::string out;
  std::string err;
};

inline RunResult Lirvo(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int code = RunLirvo(args, out, err);
  return {code, out.str(), err.str()};
}

}  // namespace lirvo::cli::test_support
