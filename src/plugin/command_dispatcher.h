// The dispatch of the plug-in's ribbon commands ("execute").
#pragma once

#include <cstdint>

#include "plugin/module_state.h"

namespace lirvo::plugin {

// Runs the command with identifier `id`: the configuration dialog when `id`
// is the setup command's; otherwise maps it to its key through the registry
// of AppConfig and runs that command's action: the history (the chooser,
// then the load, with "Attenzione! Sincronizzazione referti non a buon
// fine!" and the reason when the load fails with one), the import (the
// count, and the offer to print the list; or "Attenzione! Importazione
// referti non a buon fine!" with the reasons), the renunciation (asked
// first; the bundle gets its imported name), the printing of the list, the
// last processing's summary ("last", "lastUNREAD") and the skipped list
// ("lastDOUBLE"). After the history, the import and the renunciation the
// ribbon's "Importa", "Rinuncia" and "Stampa" follow the loaded bundle. Has no error handler of
// its own: a runtime error (no AppConfig: 91) ends it and travels to the
// caller. An identifier no command has does nothing.
void RunCommand(ModuleState& state, int32_t id);

}  // namespace lirvo::plugin
