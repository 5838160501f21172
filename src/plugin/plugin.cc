#include "plugin/plugin.h"

#include <utility>

#include "base/file_system.h"
#include "base/runtime_error.h"
#include "base/text.h"
#include "base/trap.h"
#include "plugin/cls_config.h"
#include "plugin/command_dispatcher.h"

namespace lirvo::plugin {
namespace {

constexpr const char* kMainFormName = "frmMain";

}  // namespace

Plugin::Plugin(Services services) : state_(ModuleState::Create(std::move(services))) {}

Plugin::~Plugin() { state_->Release(); }

void Plugin::Evento(const std::string& TipoEvento, const std::shared_ptr<host::HostApp>& clsPlugin,
                    host::ParamArray& Param) noexcept {
  try {
    if (stopped_) return;
    Dispatch(LCase(TipoEvento), clsPlugin, Param);
  } catch (...) {
    // Resume next: the routine that failed has ended; the host never sees it.
    ReportTrap("Plugin.Evento");
  }
}

void Plugin::Dispatch(const std::string& event, const std::shared_ptr<host::HostApp>& clsPlugin,
                      const host::ParamArray& Param) {
  const host::Variant* param0 = Param.Element0();
  if (event == kEventRegistrazione) {
    if (param0 != nullptr) Registration(clsPlugin);
  } else if (event == kEventFine) {
    Shutdown();
  } else if (event == kEventFormLoad) {
    if (param0 == nullptr) return;
    if (host::ToText(host::ToObject(*param0)->Get("Name")) != kMainFormName) return;
    std::shared_ptr<clsConfig> config = state_->AppConfig();  // alive for the whole call
    if (!config) throw RuntimeError(kErrObjectNotSet);
    config->InitGUI(*param0);
  } else if (event == kEventChiudiTutto) {
    // Accepted and ignored.
  } else if (event == kEventExecute) {
    if (param0 == nullptr) return;
    const int32_t id = host::ToLong(*param0);
    // The configuration stays alive until the command ends, even when an
    // event that arrives while a dialog is open drops it.
    const std::shared_ptr<clsConfig> keep_alive = state_->AppConfig();
    RunCommand(*state_, id);
  } else if (event == kEventActiveTab) {
    if (param0 == nullptr) return;
    if (host::ToText(*param0) != kTabCaption) return;
    std::shared_ptr<clsConfig> config = state_->AppConfig();
    if (!config) throw RuntimeError(kErrObjectNotSet);
    config->MainMDITab();
  }
}

void Plugin::Registration(const std::shared_ptr<host::HostApp>& clsPlugin) {
  state_->SetHostApp(clsPlugin);
  auto config = std::make_shared<clsConfig>(*state_);
  state_->SetAppConfig(config);
  if (config->Init(JoinPath(state_->PluginFolder(), kConfigFileName))) return;
  state_->UserInterface().MsgBox(config->LastError(), ui::kCritical, config->ProductName());
  Shutdown();
}

void Plugin::Shutdown() noexcept {
  state_->Release();
  stopped_ = true;
}

}  // namespace lirvo::plugin
