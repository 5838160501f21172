#include "base/trap.h"

#include <iostream>
#include <utility>

#include "base/runtime_error.h"

namespace lirvo {
namespace {

TrapSink& CurrentSink() {
  static TrapSink sink;
  return sink;
}

}  // namespace

TrapSink SetTrapSink(TrapSink sink) { return std::exchange(CurrentSink(), std::move(sink)); }

std::string TrapLine(const Trap& trap) {
  return "trap in " + trap.where + ": " + std::to_string(trap.number) + " - " + trap.description;
}

void ReportTrap(std::string_view where, std::exception_ptr error) noexcept {
  const RuntimeError as_runtime = RuntimeErrorOf(error);
  Trap trap{std::string(where), as_runtime.Number(), as_runtime.Description(),
            IsRuntimeError(error)};
  if (const TrapSink& sink = CurrentSink()) {
    sink(trap);
  } else {
    std::cerr << "lirvo: " << TrapLine(trap) << '\n';
  }
}

}  // namespace lirvo
