#include "plugin/command_dispatcher.h"

#include <string>

#include "plugin/cls_config.h"

namespace lirvo::plugin {

void RunCommand(ModuleState& state, int32_t id) {
  const std::string key = state.Config().KeyService(id);
  // The commands' actions are dispatched on `key` here as they are added.
  (void)key;
}

}  // namespace lirvo::plugin
