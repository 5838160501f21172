// The plug-in's ribbon tab: the tab "Referti Lirvo", its first group with the
// group control of "RefertiLirvo.main", and the groups "Referti" and
// "Strumenti" with four buttons each. clsConfig::InitGUI builds it.
#pragma once

#include <string>

#include "host/host.h"

namespace lirvo::plugin {

class CommandRegistry;
class ModuleState;

class RibbonBuilder {
 public:
  // Both must outlive the builder.
  RibbonBuilder(ModuleState& state, CommandRegistry& registry)
      : state_(state), registry_(registry) {}

  // Builds the tab. A command whose identifier is 0 is left off. The three
  // summary buttons show according to the summaries in `documents_folder`.
  // Throws at the first error like the host, keeping what it built.
  void Build(const std::string& documents_folder);

 private:
  struct Button;
  void AddButton(host::Framework& fw, host::RibbonGroup& group, const Button& b,
                 const std::string& documents_folder);
  std::string IconPath(const char* icon) const;

  ModuleState& state_;
  CommandRegistry& registry_;
};

}  // namespace lirvo::plugin
