#include "plugin/module_state.h"

#include <algorithm>

namespace lirvo::plugin {

std::shared_ptr<host::EmbeddedForm> ModuleState::FindLoadedForm(const std::string& name) const {
  for (const auto& form : loaded_forms) {
    if (form && form->Name() == name) return form;
  }
  return nullptr;
}

void ModuleState::Unload(const host::EmbeddedForm* form) {
  std::erase_if(loaded_forms, [form](const auto& f) { return f.get() == form; });
}

}  // namespace lirvo::plugin
