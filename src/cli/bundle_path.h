// Where a command finds the bundle a person names on its command line.
#pragma once

#include <string>

#include "base/file_system.h"

namespace lirvo::cli {

// The bundle's path: `file` as given when something is there or when it
// names a folder, else the file of that name in the installation's
// documents folder (`install`/documents/).
std::string BundlePath(FileSystem& fs, const std::string& install, const std::string& file);

}  // namespace lirvo::cli
