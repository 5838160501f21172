// The batch import: every report the main reports window lists goes into the
// chart of its patient (the shared steps of import_steps.h). What it saves
// is added to the unread summary, what the chart already held is listed in
// the skipped list, and a run that saved something gives the bundle its
// imported name.
#pragma once

#include <cstdint>
#include <string>

#include "forms/loaded_forms.h"
#include "forms/window_context.h"

namespace lirvo::importer {

// Imports the reports of the main window's grid. `count` gets the number of
// items saved (one per text report, one per lab value; a 16-bit number) and
// `error` one "Salvataggio referto ... non a buon fine" line per failed save.
// True when something was saved and no save failed.
//
// Along the way: the progress bar of the main window counts the patient rows
// ("3 di 12 [ROSSI MARIO]") in place of the patient search; the skipped list
// (allReadyImported.rtf) is written anew, or deleted when nothing was
// skipped, and then shown with a warning; the unread summary
// (lastUnReadImport.rtf) gets this run's section when something was saved.
// The ribbon shows "lastUNREAD" instead of "last" after a run that saved
// something, and "lastDOUBLE" exactly when the run skipped something.
//
// A bundle already marked imported, or a main window that is not open,
// imports nothing (False). Any other error ends the run where it is: what
// was saved stays saved, the summaries are not written and the bundle keeps
// its name.
bool ImportAllReports(forms::WindowContext& context, const forms::LoadedForms& windows,
                      int16_t& count, std::string& error);

}  // namespace lirvo::importer
