// Records the traps reported while it lives, instead of the test program's
// sink (which fails a test on any trap but a RuntimeError).
#pragma once

#include <vector>

#include "base/trap.h"

namespace lirvo::test_support {

class TrapRecorder {
 public:
  std::vector<Trap> traps;

 private:
  ScopedTrapSink sink_{[this](const Trap& trap) { traps.push_back(trap); }};
};

}  // namespace lirvo::test_support
