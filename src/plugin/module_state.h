// The plug-in's module-level state: one object per Plugin instance, so two
// plug-ins in one process share nothing. It owns the host reference, the
// configuration, the current bundle and the loaded windows, and it is the
// context the windows get (forms::WindowContext).
//
// Who changes what: registration sets the host and the configuration and
// shutdown releases them (Plugin); the bundle loader, the register and the
// batch import set the current bundle; the windows are opened and released
// through Windows().
#pragma once

#include <memory>
#include <string>
#include <utility>

#include "base/clock.h"
#include "base/file_system.h"
#include "controls/ui.h"
#include "forms/loaded_forms.h"
#include "forms/window_context.h"
#include "host/host.h"

namespace lirvo::plugin {

class clsConfig;

// The services the plug-in runs on, supplied by whoever creates it (the
// stand-in host, the tests). The pointers must outlive the plug-in.
struct Services {
  ui::Ui* ui = nullptr;
  FileSystem* fs = nullptr;
  Clock* clock = nullptr;
  // The folder that holds the plug-in's own files (Config.xml, Styles/,
  // TrascodificaLirvo.xml): the folder of its component file. No trailing
  // separator.
  std::string plugin_folder;
};

class ModuleState final : public forms::WindowContext {
 public:
  // Always owned by a shared_ptr: the windows hold it weakly.
  static std::shared_ptr<ModuleState> Create(Services services);
  ~ModuleState() override;
  ModuleState(const ModuleState&) = delete;
  ModuleState& operator=(const ModuleState&) = delete;

  // ---- forms::WindowContext
  ui::Ui& UserInterface() const override;
  FileSystem& Fs() const override;
  const Clock& GetClock() const override;
  host::HostApp& Host() const override;
  const std::string& PluginFolder() const override { return services_.plugin_folder; }
  std::string DocumentsFolder() const override;
  void SetDocumentsFolder(const std::string& folder) override;
  int32_t IDService(std::string_view key) const override;
  void ShowLastProcessing(bool asked) override;
  bool ImportSingleReport(const std::string& patient_id, const std::string& raw_text,
                          int16_t& count, std::string& error) override;
  const std::string& CurrentBundle() const override { return current_bundle_; }
  void SetCurrentBundle(std::string path) override { current_bundle_ = std::move(path); }

  // The file system, or nullptr when the plug-in was given none.
  FileSystem* FileSystemIfAny() const { return services_.fs; }

  // The configuration; RuntimeError 91 when there is none.
  clsConfig& Config() const;

  // HostApp and AppConfig: held by the caller across a call that may see
  // them dropped by a nested event.
  const std::shared_ptr<host::HostApp>& HostApp() const { return host_app_; }
  const std::shared_ptr<clsConfig>& AppConfig() const { return app_config_; }
  void SetHostApp(std::shared_ptr<host::HostApp> host) { host_app_ = std::move(host); }
  void SetAppConfig(std::shared_ptr<clsConfig> config) { app_config_ = std::move(config); }

  forms::LoadedForms& Windows() { return windows_; }
  const forms::LoadedForms& Windows() const { return windows_; }

  // Shutdown: releases every window, then drops the configuration and the
  // host.
  void Release() noexcept;

 private:
  explicit ModuleState(Services services);

  Services services_;
  std::shared_ptr<host::HostApp> host_app_;
  std::shared_ptr<clsConfig> app_config_;
  std::string current_bundle_;
  forms::LoadedForms windows_{*this};
};

}  // namespace lirvo::plugin
