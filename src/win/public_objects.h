// The public classes clsConfig, clsTrascodifica and clsItemTrascodifica as
// automation objects. clsConfig and clsTrascodifica work through the host
// of the calling thread's plug-in (plugin_object.h): its XML object reads
// the files, its framework issues the command identifiers. Without a host
// (no "registrazione" yet) a member that needs one fails as the core says
// (Init answers False, Lista Nothing).
#pragma once

#include <ole2.h>

namespace lirvo::win {

// New objects with one reference; each throws std::bad_alloc.
IDispatch* NewConfigObject();
IDispatch* NewTrascodificaObject();
IDispatch* NewItemTrascodificaObject();

}  // namespace lirvo::win
