#include "plugin/module_state.h"

#include <algorithm>

#include "base/runtime_error.h"

namespace lirvo::plugin {
namespace {

template <typename T>
T& Required(T* object) {
  if (object == nullptr) throw RuntimeError(kErrObjectNotSet);
  return *object;
}

}  // namespace

std::shared_ptr<host::EmbeddedForm> ModuleState::FindLoadedForm(const std::string& name) const {
  for (const auto& form : loaded_forms) {
    if (form && form->Name() == name) return form;
  }
  return nullptr;
}

void ModuleState::Unload(const host::EmbeddedForm* form) {
  std::erase_if(loaded_forms, [form](const auto& f) { return f.get() == form; });
}

ui::Ui& ModuleState::UserInterface() const { return Required(services.ui); }
FileSystem& ModuleState::Fs() const { return Required(services.fs); }
const lirvo::Clock& ModuleState::GetClock() const { return Required(services.clock); }
host::HostApp& ModuleState::Host() const { return Required(HostApp.get()); }
host::Framework& ModuleState::HostFramework() const { return Host().GetFramework(); }
clsConfig& ModuleState::Config() const { return Required(AppConfig.get()); }

}  // namespace lirvo::plugin
