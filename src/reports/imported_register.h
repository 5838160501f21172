// The imported-report register: the documents folder's file names say which
// bundles and which single reports were imported or discarded. A bundle dealt
// with as a whole gets an imported name; a report dealt with on its own is
// cut out of its bundle into a file of its own.
//
// Names, for a bundle path P: base(P) is P up to its last "." (P itself
// without a "."; the dot is searched in the whole path, folders included),
// and the stamp is the local time "yyyymmddHHNNSS":
//   imported name   base(P) + "_" + stamp + "_Imported.dat"
//   discarded name  base(P) + "_" + stamp + "_Trash.tmp"
//
// The stamp has a resolution of one second, so two operations on one bundle
// within a second would form the same name. No operation replaces a file: the
// second name carries a counter before its ending ("_2", "_3" ...), so
// "referti_20240315143005_2_Imported.dat" still contains "Imported" and
// "referti_20240315143005_2_Trash.tmp" still ends in "_Trash.tmp".
//
// Crash safety: a split-off report is written (and flushed) to its own new
// file before the bundle is rewritten, and the rewrite goes through a
// temporary file renamed over the bundle, so at any instant every report is
// in at least one file. Marking a bundle imported is one rename.
#pragma once

#include <string>
#include <string_view>

#include "base/busy_pointer.h"
#include "base/clock.h"
#include "base/file_system.h"

namespace lirvo::reports {

inline constexpr std::string_view kImportedEnding = "_Imported.dat";
inline constexpr std::string_view kDiscardedEnding = "_Trash.tmp";

// True when `name` (a file name or a whole path) contains "Imported",
// letter case counting.
bool IsImportedName(std::string_view name);

// base(P): the path up to, not including, its last "."; the path itself when
// it holds none.
std::string BaseName(std::string_view path);

// base(P) + "_" + stamp + `ending`, with "_" + `counter` before the ending
// when `counter` is above 1.
std::string RegisterName(std::string_view path, const DateTime& when, std::string_view ending,
                         int counter = 1);

// What the register works on: the files, the clock for the stamp, the
// bundle shown in the main window (CurrentBundle) and, when there is a
// screen, the pointer that shows the hourglass while files are read and
// written.
struct RegisterFiles {
  FileSystem& fs;
  const Clock& clock;
  BusyPointer* screen = nullptr;
};

// Gives the bundle `current_bundle` its imported name and moves
// `current_bundle` to it. A bundle whose name already contains
// "_Imported.dat" is left as it is. True on success; on any failure false,
// with the file and `current_bundle` as they were.
bool MarkBundleImported(const RegisterFiles& files, std::string& current_bundle);

// Cuts the report `raw_text` out of the bundle `current_bundle` into a file
// of its own: the imported name when `imported`, else the discarded name.
// The record is "#01#" + the text (the marker is not doubled); every
// occurrence of it leaves the bundle, the rest of the bundle stays byte for
// byte; the new file holds the record once.
//
// False, with every file as it was, when the bundle cannot be read, when it
// does not hold the record (a bundle with other line breaks than CR LF, or
// one changed since it was loaded), or when the bundle cannot be rewritten.
// A report file that cannot be written does not change the result: the
// report leaves the bundle all the same, as when it is written.
bool SplitOffReport(const RegisterFiles& files, const std::string& current_bundle,
                    std::string_view raw_text, bool imported);

}  // namespace lirvo::reports
