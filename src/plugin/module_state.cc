#include "plugin/module_state.h"

#include "base/runtime_error.h"
#include "plugin/cls_config.h"

namespace lirvo::plugin {
namespace {

template <typename T>
T& Required(T* object) {
  if (object == nullptr) throw RuntimeError(kErrObjectNotSet);
  return *object;
}

}  // namespace

std::shared_ptr<ModuleState> ModuleState::Create(Services services) {
  return std::shared_ptr<ModuleState>(new ModuleState(std::move(services)));
}

ModuleState::ModuleState(Services services) : services_(std::move(services)) {}

ModuleState::~ModuleState() = default;

ui::Ui& ModuleState::UserInterface() const { return Required(services_.ui); }
FileSystem& ModuleState::Fs() const { return Required(services_.fs); }
const Clock& ModuleState::GetClock() const { return Required(services_.clock); }
host::HostApp& ModuleState::Host() const { return Required(host_app_.get()); }
clsConfig& ModuleState::Config() const { return Required(app_config_.get()); }

int32_t ModuleState::IDService(std::string_view key) const { return Config().IDService(key); }

std::string ModuleState::DocumentsFolder() const { return Config().DocumentsFolder(); }

void ModuleState::SetDocumentsFolder(const std::string& folder) {
  Config().SetDocumentsFolder(folder);
}

void ModuleState::Release() noexcept {
  windows_.ReleaseAll();
  app_config_.reset();
  host_app_.reset();
}

}  // namespace lirvo::plugin
