// The processing summaries: the documents the batch import leaves in the
// documents folder, and the two routines that show them in the detail
// window (frmReferto).
//
//   lastUnReadImport.rtf  what the batch runs imported since it was last
//                         shown, one section per run, oldest first
//   lastReadImport.rtf    the unread summary as it was last shown
//   allReadyImported.rtf  what the last batch run skipped because the chart
//                         already held it
//
// Each file lies at DocumentsFolder followed directly by its name. The
// ribbon shows "Ultima" as the command "last" while no unread summary
// exists, as "lastUNREAD" while one does.
//
// The writers append styled runs at the end of a rich-text box with
// AppendRichText; every run is "Courier New" 8, black, plain unless said.
#pragma once

#include <string>

#include "base/dates.h"
#include "controls/rich_text_box.h"
#include "forms/window_context.h"
#include "host/host.h"
#include "reports/bundle_parser.h"

namespace lirvo::importer {

// The head of the skipped list: "Elenco referti già importati (" with `now`
// as "dd MMMM yyyy HH:NN" and ")" in one run of size 12, bold; a line
// break; "File dat: " and `bundle_path`; a line break.
void WriteSkippedListHead(controls::RichTextBox& box, const DateTime& now,
                          const std::string& bundle_path);

// The start of one batch run's section of the unread summary: a line break
// when the box already holds text, "Data: " bold, then `today` as
// "dd/mm/yyyy" bold and red.
void StartUnreadSection(controls::RichTextBox& box, const Date& today);

// One SummaryBlock: a line break; " - " surname, name and " nato/a il "
// birth date in one bold run; then, each on a line of its own, the labels
// "    Reparto: ", "    Check IN: ", "    Referto del: " and
// "    Refertazione: " (bold, in a field of 20 characters) with the record's
// Ward, CheckInDate (every "H" as ":", every "M" dropped), ReportDate and
// `content`, bold when `content_bold` (a text report's description), plain
// otherwise (the names of a lab report's values).
void WriteSummaryBlock(controls::RichTextBox& box, const host::Patient& patient,
                       const reports::ReportRecord& record, const std::string& content,
                       bool content_bold);

// The path of summary file `name` (kUnreadSummaryFile ...): the documents
// folder followed directly by the name.
std::string SummaryPath(const forms::WindowContext& context, const char* name);

// Shows the ribbon control of "lastUNREAD" and hides that of "last" when
// `unread`, the other way round otherwise. A command whose control the
// framework does not return is left alone. Throws what the context and the
// framework throw.
void ShowSummaryCommand(forms::WindowContext& context, bool unread);

// How a display routine ended.
enum class SummaryOutcome {
  kShown,          // the document was shown and its steps all done
  kNothingToShow,  // no file to show
  kFailed,         // an error ended it (trapped); files not yet saved or deleted stay
};

// Shows the unread summary, else the read one, in frmReferto ("Dettaglio
// elaborazione", "Importazione referti", "Ultima elaborazione effettuata"),
// modally, the caret at the start. An unread summary, once closed, is saved
// as the read summary (replacing it atomically) and deleted. Then the
// ribbon follows the unread file's presence (ShowSummaryCommand). With
// neither file, `asked` (the user ran the command) gives the message
// "Nessuna importazione effettuata!" first; otherwise nothing is said.
// A file that cannot be read, is not RTF, or cannot be saved ends the
// routine (kFailed): the read summary is replaced only by a complete copy,
// and the unread one is deleted only after that.
SummaryOutcome ShowLastProcessing(forms::WindowContext& context, bool asked);

// Shows the skipped list in frmReferto ("Dettaglio elaborazione",
// "Importazione referti", "Ultimi referti tralasciati"), modally, the caret
// at the start, under the default mouse pointer; `warn` first gives the
// message "Attenzione! Trovati referti già importati!". Without the file it
// does nothing. The pointer is restored on every path.
SummaryOutcome ShowSkippedReports(forms::WindowContext& context, bool warn);

}  // namespace lirvo::importer
