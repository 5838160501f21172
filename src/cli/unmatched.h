// The reports of a bundle that the main reports window leaves out because
// the archive holds no patient for them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/file_system.h"
#include "host/host.h"

namespace lirvo::cli {

// One report whose patient the archive does not hold.
struct UnmatchedReport {
  int32_t position;                     // the piece index, as the main window numbers reports
  std::string patient_code;             // header columns 19-34, trimmed ("" when blank)
  std::string report_date;              // dd/mm/yyyy
  std::string check_in_date;            // dd/mm/yyyy
  std::vector<std::string> exam_codes;  // the distinct "#04#" codes, in body order
};

// The reports of the bundle at `bundle_path` whose patient `archive` does not
// find, in file order. Each piece is parsed and its patient looked up exactly
// as the bundle loader does (the grid's layout, DaiPazienteRegionale with the
// patient code and true), so these are the reports a load leaves out.
//
// A blank piece (the text before a leading "#01#", or a piece of blanks) is
// no report. `not_parsed`, when given, receives how many other pieces the
// parser refused; they are not in the result.
//
// Throws the file system's RuntimeError when the bundle cannot be read (53
// when it does not exist), where a load would show an empty grid; and what
// the archive throws when a look-up fails.
std::vector<UnmatchedReport> FindUnmatchedReports(FileSystem& fs, host::Archive& archive,
                                                  const std::string& bundle_path,
                                                  size_t* not_parsed = nullptr);

}  // namespace lirvo::cli
