// The one matcher for "this call fails with runtime error N".
#pragma once

#include <gmock/gmock.h>

#include "base/runtime_error.h"

namespace lirvo::test_support {

// Matches a callable that throws a RuntimeError whose Number() is `number`:
//   EXPECT_THAT([&] { grid.SelectRow(9); }, ThrowsRuntimeError(kErrSubscript));
inline auto ThrowsRuntimeError(int number) {
  return ::testing::Throws<RuntimeError>(::testing::Property(&RuntimeError::Number, number));
}

}  // namespace lirvo::test_support
