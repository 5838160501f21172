// The import of one report, the one the user picked in the main reports
// window ("Importa Singolo"). It saves the report as the batch import does,
// but every item the chart already holds becomes an error line, and it
// touches nothing else: no progress bar, no summaries, no ribbon, no file.
#pragma once

#include <cstdint>
#include <string>

#include "forms/window_context.h"

namespace lirvo::importer {

// Imports the report `raw_text` of the patient whose ID (as text) is
// `patient_id`. `count` gets the items saved (1 for a text report, one per
// value of a lab report), `error` the failure lines joined by CR LF. True
// when `error` is empty and `count` is above 0. A report that does not
// parse, or whose patient is missing or another one, gives False with an
// empty `error`; any other error ends the call keeping what was saved.
bool ImportSingleReport(forms::WindowContext& context, const std::string& patient_id,
                        const std::string& raw_text, int16_t& count, std::string& error);

}  // namespace lirvo::importer
