// The main of every test program. A routine that traps an exception other
// than the runtime's own error (RuntimeError) hides a fault of the program,
// so such a trap fails the test that was running; a test that provokes one
// on purpose records it with a TrapRecorder instead.
#include <gtest/gtest.h>

#include "base/trap.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  lirvo::SetTrapSink([](const lirvo::Trap& trap) {
    if (!trap.runtime_error) ADD_FAILURE() << "unexpected " << lirvo::TrapLine(trap);
  });
  return RUN_ALL_TESTS();
}
