// Runs `lirvo` in-process and keeps what it printed, for the command tests.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"

namespace lirvo::cli::test_support {

struct RunResult {
  int code;
  std::string out;
  std::string err;

  bool operator==(const RunResult&) const = default;
  friend void PrintTo(const RunResult& r, std::ostream* os) {
    *os << "exit " << r.code << ", out " << ::testing::PrintToString(r.out) << ", err "
        << ::testing::PrintToString(r.err);
  }
};

inline RunResult Lirvo(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int code = RunLirvo(args, out, err);
  return {code, out.str(), err.str()};
}

}  // namespace lirvo::cli::test_support
