// The native views of the plug-in's modal dialogs, registered with the
// Windows Ui by form name.
#pragma once

#include "win/win_ui.h"

namespace lirvo::win {

// Registers the views of frmGetBundle (and of each dialog that has one) with
// `ui`.
void SetFormViews(WinUi& ui);

}  // namespace lirvo::win
