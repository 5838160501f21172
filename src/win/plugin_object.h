// Plugin as an automation object: the class Clinora creates, and Evento, the
// one member it calls.
#pragma once

#include <ole2.h>

namespace lirvo::win {

// A new Plugin object with one reference; throws std::bad_alloc.
//
// The plug-in's state (the host, the configuration, the current bundle, the
// open windows, the stopped flag) belongs to the thread, as a module's state
// does in the host's runtime: every Plugin object that a thread creates
// shares it while any of them lives.
IDispatch* NewPluginObject();

}  // namespace lirvo::win
