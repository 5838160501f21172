// The folder browser that the bundle chooser and the configuration dialog
// share: the Ui's folder browser titled "Cartella referti", opening on the
// folder the dialog shows.
#pragma once

#include <string>
#include <string_view>

#include "controls/ui.h"

namespace lirvo::forms {

inline constexpr const char* kBrowseTitle = "Cartella referti";

// The folder the user chose, as the browser gives it (no separator added),
// or "" when the user cancelled or the choice has no file-system path.
std::string BrowseForFolder(ui::Ui& ui, const std::string& start_folder);

// The "..." button of both dialogs: the browser opens on `shown` (the
// folder the dialog shows, blanks around it dropped); the choice, blanks
// around it dropped and a separator added when it has none, when it differs
// from `shown` without regard to letter case. "" when the user cancelled or
// chose the folder shown.
std::string BrowseForNewFolder(ui::Ui& ui, std::string_view shown);

}  // namespace lirvo::forms
