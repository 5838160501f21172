// The plug-in's module-level state: one object per Plugin instance, handed to
// the subsystems explicitly, so two plug-ins in one process share nothing.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/clock.h"
#include "base/file_system.h"
#include "controls/ui.h"
#include "host/host.h"

namespace lirvo::plugin {

class clsConfig;

// The services the plug-in runs on, supplied by whoever creates it (the
// stand-in host, the tests).
struct Services {
  ui::Ui* ui = nullptr;
  FileSystem* fs = nullptr;
  Clock* clock = nullptr;
  // The folder that holds the plug-in's own files (Config.xml, Styles/,
  // TrascodificaLirvo.xml): the folder of its component file. No trailing
  // separator.
  std::string plugin_folder;
};

struct ModuleState {
  explicit ModuleState(Services s) : services(std::move(s)) {}

  Services services;

  std::shared_ptr<host::HostApp> HostApp;  // set by registration, dropped at shutdown
  std::shared_ptr<clsConfig> AppConfig;    // created by registration, dropped at shutdown
  bool PluginStopped = false;              // never reset
  std::string CurrentBundle;               // path of the bundle shown in the main window
  std::shared_ptr<host::ChildForm> MainChildForm;

  // The plug-in's loaded windows, found by name ("frmRefertiLirvo").
  std::vector<std::shared_ptr<host::EmbeddedForm>> loaded_forms;
  std::shared_ptr<host::EmbeddedForm> FindLoadedForm(const std::string& name) const;
  void Unload(const host::EmbeddedForm* form);

  // The services and the host as the routines use them. Each throws
  // RuntimeError 91 (object not set) when the object is missing, the way a
  // call on an unset object variable fails.
  ui::Ui& UserInterface() const;
  FileSystem& Fs() const;
  const lirvo::Clock& GetClock() const;
  host::HostApp& Host() const;
  host::Framework& HostFramework() const;
  clsConfig& Config() const;
};

}  // namespace lirvo::plugin
