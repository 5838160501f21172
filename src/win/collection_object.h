// A read-only collection of objects as scripts know it: Count, Item (the
// default member) by 1-based position or by key without regard to letter
// case, and For Each (_NewEnum).
#pragma once

#include <ole2.h>

#include <string>
#include <utility>
#include <vector>

namespace lirvo::win {

// A new collection with one reference, holding a reference to each item;
// `items` pairs each object with its key (UTF-8, "" for none). Throws
// std::bad_alloc.
IDispatch* NewCollectionObject(const std::vector<std::pair<std::string, IDispatch*>>& items);

}  // namespace lirvo::win
