// The native window of a form that the plug-in hands to Clinora: the
// window layer makes it, the host adapter hands it over.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

#include "host/host.h"

namespace lirvo::win {

class NativeWindow {
 public:
  virtual ~NativeWindow() = default;
  virtual HWND Window() const = 0;
};

// Makes the native window of `form`; nullptr when the form has none.
using NativeWindowMaker = std::function<std::unique_ptr<NativeWindow>(host::EmbeddedForm& form)>;

}  // namespace lirvo::win
