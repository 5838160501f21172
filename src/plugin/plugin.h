// Plugin: the one object through which the host drives the plug-in. The host
// creates it and tells it everything through Evento.
#pragma once

#include <memory>
#include <string>

#include "base/product.h"
#include "host/host.h"
#include "host/variant.h"
#include "plugin/module_state.h"

namespace lirvo::plugin {

// Event names, as compared after lower-casing.
inline constexpr const char* kEventRegistrazione = "registrazione";
inline constexpr const char* kEventFine = "fine";
inline constexpr const char* kEventFormLoad = "form.load";
inline constexpr const char* kEventChiudiTutto = "chiuditutto";
inline constexpr const char* kEventExecute = "execute";
inline constexpr const char* kEventActiveTab = "mainribbonbar.activetab";

class Plugin {
 public:
  // `services` are what the plug-in runs on; the pointers must outlive it.
  explicit Plugin(Services services);
  // Releases the windows it opened; a host that keeps one of them shows it
  // inert.
  ~Plugin();
  Plugin(const Plugin&) = delete;
  Plugin& operator=(const Plugin&) = delete;

  // One host event. `TipoEvento` is compared after lower-casing (with the
  // runtime's case rules); `clsPlugin` is the host object, read only by
  // "registrazione"; of `Param` only Param(0) is read, and an event that
  // needs it and finds none (unallocated, empty, several dimensions, bounds
  // without 0) does nothing.
  //
  //   registrazione            start-up: keeps the host, loads
  //                            plugin_folder + "/Config.xml"; on failure a
  //                            critical message box and the plug-in stops
  //   fine                     stops for good
  //   form.load                Param(0) the host form (a Dispatch with
  //                            "Name"); only "frmMain" builds the ribbon tab
  //   chiuditutto              nothing
  //   execute                  Param(0) the command identifier (CLng)
  //   mainribbonbar.activetab  Param(0) the tab caption; only "Referti Lirvo"
  //                            opens the main reports window
  //
  // Any other name, and every event once stopped, is ignored. Nothing is
  // ever thrown to the host: an error ends the routine it arose in.
  void Evento(const std::string& TipoEvento, const std::shared_ptr<host::HostApp>& clsPlugin,
              host::ParamArray& Param) noexcept;

  // PluginStopped: true from "fine", or a failed start-up, on; never reset.
  bool Stopped() const { return stopped_; }

  ModuleState& State() { return *state_; }
  const ModuleState& State() const { return *state_; }

 private:
  void Dispatch(const std::string& event, const std::shared_ptr<host::HostApp>& clsPlugin,
                const host::ParamArray& Param);
  void Registration(const std::shared_ptr<host::HostApp>& clsPlugin);
  void Shutdown() noexcept;

  std::shared_ptr<ModuleState> state_;  // shared: the windows hold it weakly
  bool stopped_ = false;
};

}  // namespace lirvo::plugin
