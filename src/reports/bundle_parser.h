// The report parser: one piece of a bundle (the text after a "#01#" marker up
// to the next one) into a ReportRecord.
//
// Columns count characters, not bytes (an "à" is one column), from 1 at the
// first character after the marker. The header's fields are taken from the
// piece as a whole, so a short header lets a field reach into the next line:
//
//   columns 19-34  patient code          (trimmed)
//   columns 39-46  report date           YYYYMMDD, else read as DDMMYYYY
//   columns 57-64  check-in date         the same
//
// Body lines (the lines after the header, cut at CR LF) are "#04#" exam
// lines, "#05#" laboratory value lines and text lines (anything else, other
// markers such as "#03#" included).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace lirvo::reports {

// How ParseReport writes Body.
enum class Layout {
  // For the grid: text lines joined by a blank; lab values as
  // "name: value unit", preceded by ", " when something comes before.
  Inline,
  // For the import and the preview: one entry per line, joined by CR LF; a
  // lab value as code TAB name TAB value TAB unit TAB "low - high".
  Lines,
};

// One report of a bundle. ParseReport fills the fields from PatientCode to
// Body; RawText, Position, Ward and PatientId belong to the callers.
struct ReportRecord {
  std::string RawText;  // the piece, without its "#01#" marker
  int16_t Position =
      0;  // index of the piece in the cut (piece 0 is the text before the first marker)
  std::string PatientCode;       // header columns 19-34, trimmed
  std::string Kind;              // "S" text report, "L" laboratory report
  std::string ExamCodes;         // distinct "#04#" codes, joined with ", "
  std::string ExamDescriptions;  // distinct "#04#" labels (with code for nomenclature codes)
  std::string ReportDate;        // dd/mm/yyyy
  std::string CheckInDate;       // dd/mm/yyyy
  bool OutOfRange = false;       // some accepted lab value is marked "*"
  std::string Body;              // in the layout the caller asked for
  std::string Ward = "Ospedale";
  std::string PatientId;  // the host patient's ID, set by the bundle loader
};

// A report has at most this many lines (header included): the line counter
// is a 16-bit signed number.
inline constexpr size_t kMaxReportLines = 32767;

// Parses `piece` into the fields PatientCode..Body of `record`.
// True on success. False, with those fields emptied (OutOfRange false), when
// the piece is empty or only blanks, when it has more than kMaxReportLines
// lines, or when anything unexpected stops the parse; never throws.
// `lab_values`, when given, receives the number of accepted lab values.
bool ParseReport(std::string_view piece, Layout layout, ReportRecord& record,
                 int* lab_values = nullptr);

// One laboratory value as ParseLabLine reads it.
struct LabValue {
  std::string code;
  std::string name;
  std::string value;  // decimal comma; "*" in front when marked "H"
  std::string unit;
  std::string range;  // "low - high" with decimal commas; " - " when both are blank
};

// Reads the rest of a "#05#" line after its marker. Fixed columns counted
// from 1 there: code 1-20, name 21-110, value 111-140, unit 141-155, low bound
// 156-180, high bound 181-205; each trimmed, every "." of value and bounds
// becomes ",". When the rest, trimmed, ends with "H" the value gets a "*" in
// front. True when name and value are both non-empty (`value` is filled
// either way).
bool ParseLabLine(std::string_view rest, LabValue& value);

// True when the code is longer than 3 characters and its first three
// characters, with every "." removed, read as a number ("90.27.1" -> "90").
bool IsNomenclatureCode(std::string_view code);

}  // namespace lirvo::reports
