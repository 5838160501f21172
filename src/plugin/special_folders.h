// The per-user special folders (modSpecialFolders).
//
// On Windows the shell gives the folders; elsewhere the roaming
// application-data folder (shell folder number 26) is $XDG_DATA_HOME, or
// $HOME/.local/share when that is not set. Paths use the platform's
// separator (kPathSeparator).
#pragma once

#include <cstdint>
#include <string>

#include "base/file_system.h"

namespace lirvo::plugin {

// Shell folder number of the user's roaming application-data folder.
inline constexpr int32_t kFolderAppData = 26;

// The path of a shell special folder, without a trailing separator; "" for a
// folder number this platform does not know or whose environment is unset.
std::string SpecialFolderPath(int32_t folder);

// The per-user data folder: the application-data folder followed by
// "Vantrel", "Clinora V6" and "RefertiLirvo", each level created when
// missing. Always ends with the separator; "" when the folder cannot be had (no
// application-data folder, or a level that cannot be created).
std::string UserDataFolder(FileSystem& fs);

}  // namespace lirvo::plugin
