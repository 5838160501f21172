// The imported-report register: the documents folder's file names say which
// bundles and which single reports were imported or discarded. A bundle dealt
// with as a whole gets an imported name; a report dealt with on its own is
// cut out of its bundle into a file of its own.
//
// Names, for a bundle path P: base(P) is P up to its last "." (P itself
// without a "."; the dot is searched in the whole path, folders included),
// and the stamp is the local time "yyyymmddHHNNSS":
//   imported name   base(P) + "_" + stamp + "_Imported.dat"
//   discarded name  base(P) + "_" + stamp + "_Trash.tmp"
#pragma once

#include <string>
#include <string_view>

namespace lirvo::reports {

// True when `name` (a file name or a whole path) contains "Imported",
// letter case counting.
bool IsImportedName(std::string_view name);

}  // namespace lirvo::reports
