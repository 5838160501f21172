// The dispatch of the plug-in's ribbon commands ("execute").
#pragma once

#include <cstdint>

#include "plugin/module_state.h"

namespace lirvo::plugin {

// Runs the command with identifier `id`: maps it to its key through the
// registry of AppConfig and runs that command's action. Has no error handler
// of its own: a runtime error (no AppConfig: 91) ends it and travels to the
// caller. An identifier no command has does nothing.
void RunCommand(ModuleState& state, int32_t id);

}  // namespace lirvo::plugin
