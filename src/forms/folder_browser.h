// The folder browser that the bundle chooser and the configuration dialog
// share: the Ui's folder browser titled "Cartella referti", opening on the
// folder the dialog shows.
#pragma once

#include <string>

#include "controls/ui.h"

namespace lirvo::forms {

inline constexpr const char* kBrowseTitle = "Cartella referti";

// The folder the user chose, as the browser gives it (no separator added),
// or "" when the user cancelled or the choice has no file-system path.
std::string BrowseForFolder(ui::Ui& ui, const std::string& start_folder);

}  // namespace lirvo::forms
