// The class factory that DllGetClassObject hands out for each public class.
#pragma once

#include <ole2.h>

#include "win/classes.h"

namespace lirvo::win {

// A new factory of `co_class` with one reference; throws std::bad_alloc.
IClassFactory* NewClassFactory(const CoClass& co_class);

}  // namespace lirvo::win
