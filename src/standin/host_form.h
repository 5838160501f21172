// One of the host's own forms as the plug-in sees it in "form.load": a
// late-bound object whose only member is its Name.
#pragma once

#include <string_view>
#include <utility>

#include "base/runtime_error.h"
#include "host/variant.h"

namespace lirvo::standin {

class HostForm final : public host::Dispatch {
 public:
  explicit HostForm(host::Variant name) : name_(std::move(name)) {}
  host::Variant Get(std::string_view member) override {
    if (member == "Name") return name_;
    throw RuntimeError(kErrNoSuchMember);
  }

 private:
  host::Variant name_;
};

}  // namespace lirvo::standin
