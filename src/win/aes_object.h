// clsAES as an automation object over the core class.
#pragma once

#include <ole2.h>

namespace lirvo::win {

// A new clsAES object with one reference; throws std::bad_alloc.
IDispatch* NewAesObject();

}  // namespace lirvo::win
