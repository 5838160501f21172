// The registry of the plug-in's ribbon commands: the nine fixed keys of
// base/product.h (kCommandKeys), each with an identifier the host issues at
// run time. Part of clsConfig's public face (ListaServices, KeyService,
// IDService).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/product.h"

namespace lirvo::plugin {

class ModuleState;

// One ribbon command (private to the registry), fields in their order.
struct clsItemService {
  int32_t ID = 0;
  std::string Key;
  std::string Endpoint;
  std::string Biblio;
  bool Usable = true;
  bool Patient = false;
};

// A collection of commands keyed by Key without regard to letter case, in
// insertion order, like the runtime's Collection.
class ServiceCollection {
 public:
  // Adds `item` under `key`; RuntimeError 457 when the key is already there.
  void Add(std::shared_ptr<clsItemService> item, const std::string& key);
  // The item with `key` (any letter case), or nullptr.
  std::shared_ptr<clsItemService> Find(std::string_view key) const;
  size_t Count() const { return items_.size(); }
  const std::vector<std::shared_ptr<clsItemService>>& Items() const { return items_; }

 private:
  std::vector<std::string> keys_;  // upper-cased, parallel to items_
  std::vector<std::shared_ptr<clsItemService>> items_;
};

class CommandRegistry {
 public:
  // `state` gives the host framework that issues the identifiers; it must
  // outlive the registry.
  explicit CommandRegistry(ModuleState& state) : state_(state) {}

  // The registry, built on first use (one GetNewID per command, in key
  // order); the same object on every call. A GetNewID that fails leaves
  // that command with identifier 0 (trapped): it never reaches the ribbon
  // and can never be dispatched.
  const ServiceCollection& ListaServices();
  // The registry when it has been built, nullptr before; never builds it.
  const ServiceCollection* Built() const { return services_.get(); }
  // The key of the first command whose identifier is `ID`; "" when none.
  std::string KeyService(int32_t ID);
  // The identifier of the command with `Key` (any letter case); 0 when
  // there is none.
  int32_t IDService(std::string_view Key);

 private:
  ModuleState& state_;
  std::unique_ptr<ServiceCollection> services_;
};

}  // namespace lirvo::plugin
