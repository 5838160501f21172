// The report preview: a report of the bundle as a short formatted sheet in
// the detail window (frmReferto). The ward, the check-in date and the report
// date as a labelled header, then the report's text or the table of its
// laboratory values, out-of-range values in bold red; every piece in
// "Courier New" 8, so labels and values line up in columns.
#pragma once

#include <string>

#include "controls/rich_text_box.h"
#include "forms/window_context.h"
#include "host/host.h"
#include "reports/bundle_parser.h"

namespace lirvo::forms {

inline constexpr const char* kSheetFont = "Courier New";
inline constexpr float kSheetFontSize = 8;
// The widths of the two fixed-width buffers that shape the columns.
inline constexpr size_t kLabelWidth = 20;
inline constexpr size_t kNameWidth = 50;

// Clears `box` and writes the sheet of `report` (parsed in the Lines layout)
// into it, the caret left at the start with nothing selected. False, with
// the box cleared, when a value line of a laboratory report has fewer than
// five tab-separated fields: such a report has no sheet.
bool BuildReportSheet(const reports::ReportRecord& report, controls::RichTextBox& box);

// The subtitle of the detail window: the patient's surname, a blank and the
// first name.
std::string ReportSubtitle(const host::Patient& patient);

// The "dettagli" link of a report row: parses `raw_text` (Lines layout),
// finds its patient in the host archive (DaiPazienteRegionale, regional)
// and shows the sheet in a fresh frmReferto, modally, with the patient as
// its subtitle. A report that does not parse, a patient the archive does not
// hold, a report without a sheet or any error while building it shows
// nothing and says nothing.
void ShowReportDetail(WindowContext& context, const std::string& raw_text);

}  // namespace lirvo::forms
