// Plugin as an automation object: the class Clinora creates, and Evento, the
// one member it calls; and the plug-in of the calling thread, which the
// other public classes reach too.
#pragma once

#include <ole2.h>

#include <memory>

#include "base/clock.h"
#include "plugin/plugin.h"
#include "win/win_ui.h"

namespace lirvo::win {

// The plug-in's state (the host, the configuration, the current bundle, the
// open windows, the stopped flag) belongs to the thread, as a module's state
// does in the host's runtime: every object of the DLL that a thread creates
// shares it while any of them lives. It runs on the Windows Ui, the real
// file system and the system clock, with the DLL's folder as its own.
class ThreadPlugin {
 public:
  ThreadPlugin();
  ThreadPlugin(const ThreadPlugin&) = delete;
  ThreadPlugin& operator=(const ThreadPlugin&) = delete;

  plugin::Plugin& Get() { return plugin_; }
  plugin::ModuleState& State() { return plugin_.State(); }
  const std::string& Folder() const { return folder_; }

  // The calling thread's plug-in, made when the thread has none alive.
  static std::shared_ptr<ThreadPlugin> ForThisThread();

 private:
  WinUi ui_;
  SystemClock clock_;
  std::string folder_;
  plugin::Plugin plugin_;  // last: it uses the members above
};

// A new Plugin object with one reference; throws std::bad_alloc.
IDispatch* NewPluginObject();

}  // namespace lirvo::win
