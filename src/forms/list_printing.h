// The report list on paper: whether the main reports window has something to
// print, and the print itself. Both find the window among the loaded windows
// by its name ("frmRefertiLirvo") and do nothing without it.
#pragma once

#include "controls/ui.h"
#include "forms/loaded_forms.h"

namespace lirvo::forms {

// True when the main reports window is loaded and its grid holds at least
// one top-level record (a patient row); false otherwise and on any error.
bool HasReports(const LoadedForms& forms);

// Prints the main window's grid as a list in landscape, without the
// hyperlink column (item 8, "SCHEDA" / "dettagli"), which shows again
// afterwards on every path. The landscape setting stays on the grid. A
// failing print ends it without a message (trapped).
void PrintReportList(LoadedForms& forms, ui::Ui& ui);

}  // namespace lirvo::forms
