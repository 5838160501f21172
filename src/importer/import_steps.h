// The steps that carry one report into the patient's chart, shared by the
// batch import and the single-report import.
//
// A text report becomes one on-line visit report (RefertiVisite.Salva); a
// laboratory report becomes one automatic exam per value line, between
// ClearEsamiAutomatici and SalvaEsamiAutomatici (RefertiEsami.Salva). An
// item that the patient's chart lists already hold is not saved again: the
// two imports react to it differently, through ImportReactions.
//
// Errors: a host call, a date that does not read, a value line with fewer
// than five fields, or the imported count going past 32767 throw
// RuntimeError; the calling import traps it at its own boundary. What was
// saved before stays saved: an error inside a lab report still closes its
// group of automatic exams, so the values the group took reach the chart.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/clock.h"
#include "base/dates.h"
#include "host/host.h"
#include "reports/bundle_parser.h"
#include "reports/cls_trascodifica.h"

namespace lirvo::importer {

// The kind the plug-in's saves carry (argument 15 of a visit, 25 of an exam).
inline constexpr const char* kOnLineKind = "RefertoOnLine";
// The description of a text report without exam descriptions.
inline constexpr const char* kDefaultDescription = "Esame specialistico";
// A visit reference is always this many characters long.
inline constexpr size_t kVisitReferenceLength = 50;

// Low and high bound of a range "low - high": the text split at " -"; only a
// split into exactly two parts gives bounds ("(" before the low one and ")"
// after the high one dropped, every blank removed); anything else leaves
// both empty.
void ParseReferenceRange(std::string_view range, std::string& low, std::string& high);

// False when a visit of `visits` is dated on the calendar day `day` and its
// idrif4, trimmed, equals `reference` trimmed. An item that cannot be read
// (a date that does not read, a Null reference) ends the walk: True.
bool IsNewVisitReport(const std::vector<host::ChartItem>& visits, std::string_view reference,
                      std::string_view day);

// False when an exam of `exams` is dated on the calendar day `day`, holds
// the value `value` (t1, trimmed) and is the same exam: the same Clinora exam
// ID (idrif1) when `clinora_id` is not empty, else the same authority code
// (idrif4) when `code` is not empty. Comparisons trim both sides; a Null
// never matches. A date that does not read ends the walk: True.
bool IsNewLabValue(const std::vector<host::ChartItem>& exams, std::string_view code,
                   std::string_view clinora_id, std::string_view day, std::string_view value);

// "lrv." and the codes, cut or filled with blanks to exactly 50 characters.
std::string VisitReference(std::string_view codes);

// A text read as a date ("dd/mm/yyyy", a time after it allowed); error 13
// when it does not read.
Date ReadAsDate(std::string_view text);
// The text as "dd/mm/yyyy" when it reads as a date, else unchanged.
std::string FormatDay(std::string_view text);

// One value line of a lab report's body, split at TAB.
struct LabLine {
  std::string code;           // field 0
  std::string name;           // field 1
  std::string value;          // field 2 without the out-of-range mark
  std::string unit;           // field 3
  std::string range;          // field 4
  bool out_of_range = false;  // field 2 began with "*"
};

// The value line `line`: an empty code when field 0 is empty (the line is
// passed over), else error 9 when it has fewer than five fields.
LabLine ReadLabLine(std::string_view line);

// The 15 arguments of the visit save of a text report.
host::VisitSaveArgs VisitArgs(const reports::ReportRecord& report, const std::string& description,
                              const std::string& reference, const Date& today);

// The 26 arguments of the exam save of one value line; `clinora_id` and
// `clinora_description` are those of the transcoding, both empty when the
// code was not transcoded (argument 5 is then Null and argument 6 the
// line's name).
host::ExamSaveArgs ExamArgs(const reports::ReportRecord& report, const LabLine& line,
                            const std::string& group_id, bool transcoded,
                            const std::string& clinora_id, const std::string& clinora_description,
                            const Date& today);

// One more imported item on a 16-bit count: error 6 (overflow) past 32767.
void CountImported(int16_t& count);

// What an import does besides saving. Every member does nothing by default.
class ImportReactions {
 public:
  virtual ~ImportReactions() = default;
  // A text report already in the chart: nothing was saved.
  virtual void VisitPresent(const reports::ReportRecord& report, const std::string& description) {
    (void)report;
    (void)description;
  }
  // A text report saved (the imported count already holds it).
  virtual void VisitSaved(const reports::ReportRecord& report, const std::string& description) {
    (void)report;
    (void)description;
  }
  // A lab value already in the chart: nothing was saved for it. `name` is
  // the Clinora description when its code was transcoded, else the line's
  // name. The report's dates are already cut at their first blank.
  virtual void LabValuePresent(const reports::ReportRecord& report, const LabLine& line,
                               const std::string& name) {
    (void)report;
    (void)line;
    (void)name;
  }
  // A lab report done, after SalvaEsamiAutomatici: the names of the values
  // saved and of those already present, each joined with ", ".
  virtual void LabReportDone(const reports::ReportRecord& report, const std::string& imported_names,
                             const std::string& present_names) {
    (void)report;
    (void)imported_names;
    (void)present_names;
  }
};

// What the steps need from the host and the run, and what they give back.
struct ImportRun {
  host::HostApp& host;
  reports::clsTrascodifica& table;
  const Clock& clock;  // today, read at each save, is the import date
  ImportReactions& reactions;
  int16_t& imported;   // saved items: one per text report, one per lab value
  std::string& error;  // "Salvataggio referto ... non a buon fine" lines, CR LF between
};

// Parses `raw_text` (Lines layout) into `report` and finds its patient in
// the archive. Nothing when the text does not parse (`parsed`, when given,
// says which), the archive has no such patient, or the patient's ID (as
// text) is not `patient_id`.
std::shared_ptr<host::Patient> FindReportPatient(host::Archive& archive, std::string_view raw_text,
                                                 std::string_view patient_id,
                                                 reports::ReportRecord& report,
                                                 bool* parsed = nullptr);

// Takes the patient's exam list and visit list, then saves `report` as a
// text report (Kind "S") or a lab report (any other Kind). A lab report's
// CheckInDate and ReportDate are cut at their first blank on the way.
void ImportReport(ImportRun& run, host::Patient& patient, reports::ReportRecord& report);

// The two halves of ImportReport, on lists already taken.
void ImportTextReport(ImportRun& run, host::Patient& patient, const reports::ReportRecord& report,
                      const std::vector<host::ChartItem>& visits);
void ImportLabReport(ImportRun& run, host::Patient& patient, reports::ReportRecord& report,
                     const std::vector<host::ChartItem>& exams);

// Appends `line` to a text of lines joined by CR LF.
void AppendLine(std::string& text, std::string_view line);

}  // namespace lirvo::importer
