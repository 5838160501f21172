// clsConfig: the one configuration instance (AppConfig) as the host and the
// windows see it. Behind its public face three units do the work: the
// configuration store (Config.xml), the command registry, and the ribbon
// builder; the main reports window opens through the loaded windows of the
// module state.
//
// Each member handles its errors in its own way: Init traps every error into
// LastError; the DocumentsFolder setter, InitGUI and MainMDITab end silently
// at the first error (InitGUI keeps the controls built so far); the registry
// runs each step on its own, so a failing GetNewID leaves that command with
// identifier 0. No member throws; every trapped error goes to ReportTrap.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "host/variant.h"
#include "plugin/command_registry.h"
#include "plugin/config_store.h"
#include "plugin/ribbon_builder.h"

namespace lirvo::plugin {

class ModuleState;

class clsConfig {
 public:
  // `state` must outlive the instance (it owns it).
  explicit clsConfig(ModuleState& state)
      : state_(state), store_(state), registry_(state), ribbon_(state, registry_) {}

  // ---- Configuration (ConfigStore)
  bool Init(std::string Filename) { return store_.Init(std::move(Filename)); }
  const std::string& LastError() const { return store_.LastError(); }
  std::string ProductName() const { return store_.ProductName(); }
  const std::string& Filename() const { return store_.Filename(); }
  const std::string& DocumentsFolder() const { return store_.DocumentsFolder(); }
  void SetDocumentsFolder(const std::string& sValue) { store_.SetDocumentsFolder(sValue); }

  // ---- Command registry (CommandRegistry)
  const ServiceCollection& ListaServices() { return registry_.ListaServices(); }
  // The registry when it has been built, nullptr before; never builds it
  // (for hosts and tools that show the commands without issuing
  // identifiers).
  const ServiceCollection* BuiltServices() const { return registry_.Built(); }
  std::string KeyService(int32_t ID) { return registry_.KeyService(ID); }
  int32_t IDService(std::string_view Key) { return registry_.IDService(Key); }

  // ---- Ribbon and main window
  // Builds the "Referti Lirvo" ribbon tab; `frm` (the host form that loaded)
  // is not used. Stops at the first error keeping what it built.
  void InitGUI(const host::Variant& frm);
  // Opens the main reports window as a host child window unless one
  // captioned "Referti Lirvo" exists. Ends silently on any error.
  void MainMDITab();

 private:
  ModuleState& state_;
  ConfigStore store_;
  CommandRegistry registry_;
  RibbonBuilder ribbon_;
};

}  // namespace lirvo::plugin
