#include "plugin/command_registry.h"

#include <utility>

#include "base/runtime_error.h"
#include "base/text.h"
#include "base/trap.h"
#include "plugin/module_state.h"

namespace lirvo::plugin {

void ServiceCollection::Add(std::shared_ptr<clsItemService> item, const std::string& key) {
  std::string upper = UCase(key);
  for (const auto& k : keys_) {
    if (k == upper) throw RuntimeError(kErrDuplicateKey);
  }
  keys_.push_back(std::move(upper));
  items_.push_back(std::move(item));
}

std::shared_ptr<clsItemService> ServiceCollection::Find(std::string_view key) const {
  const std::string upper = UCase(key);
  for (size_t i = 0; i < keys_.size(); ++i) {
    if (keys_[i] == upper) return items_[i];
  }
  return nullptr;
}

const ServiceCollection& CommandRegistry::ListaServices() {
  if (services_) return *services_;
  services_ = std::make_unique<ServiceCollection>();
  for (std::string_view key : kCommandKeys) {
    auto item = std::make_shared<clsItemService>();
    item->Key = std::string(key);
    try {
      item->ID = state_.HostFramework().GetNewID();
    } catch (...) {
      // The command keeps identifier 0: it never reaches the ribbon.
      ReportTrap("clsConfig.ListaServices");
    }
    services_->Add(item, item->Key);  // the nine keys differ
  }
  return *services_;
}

std::string CommandRegistry::KeyService(int32_t ID) {
  for (const auto& item : ListaServices().Items()) {
    if (item->ID == ID) return item->Key;
  }
  return "";
}

int32_t CommandRegistry::IDService(std::string_view Key) {
  const auto item = ListaServices().Find(Key);
  return item ? item->ID : 0;
}

}  // namespace lirvo::plugin
