#include "importer/import_steps.h"

#include <limits>
#include <optional>

#include "base/runtime_error.h"
#include "base/text.h"
#include "base/trap.h"
#include "importer/item_watch.h"

namespace lirvo::importer {

namespace {

constexpr std::string_view kCrLf = "\r\n";

std::optional<Date> DateOf(std::string_view text) {
  if (auto d = ParseDate(text)) return d;
  if (auto t = ParseDateTime(text)) return t->date();
  return std::nullopt;
}

// A chart value as trimmed text; nothing for Null.
std::optional<std::string> TrimmedValue(const host::Variant& v) {
  if (std::holds_alternative<host::Null>(v)) return std::nullopt;
  return std::string(Trim(host::ToText(v)));
}

bool SameTrimmed(const host::Variant& item_value, std::string_view wanted) {
  const std::optional<std::string> text = TrimmedValue(item_value);
  return text && *text == Trim(wanted);
}

// The calendar day of a chart item; error 13 when its date does not read.
Date DayOfItem(const host::ChartItem& item) { return ReadAsDate(host::ToText(item.Data)); }

// Walks `items` until `same` finds one of them: false then. An item that
// cannot be read ends the walk with what it found so far (nothing).
template <typename Same>
bool NoneMatches(std::string_view where, const std::vector<host::ChartItem>& items,
                 std::string_view day, Same same) {
  try {
    if (items.empty()) return true;
    const Date wanted = ReadAsDate(day);
    for (const host::ChartItem& item : items) {
      if (DayOfItem(item) == wanted && same(item)) return false;
    }
  } catch (const RuntimeError&) {  // the walk stops at the first item it cannot read
    ReportTrap(where);
  }
  return true;
}

void AppendName(std::string& names, const std::string& name) {
  if (!names.empty()) names += ", ";
  names += name;
}

// Keeps what stands before the first blank, trimmed.
void CutAtBlank(std::string& date) {
  const size_t blank = date.find(' ');
  if (blank != std::string::npos) date = std::string(Trim(std::string_view(date).substr(0, blank)));
}

Date Today(const ImportRun& run) { return run.clock.Now().date(); }

bool Saved(const host::Variant& answer) { return host::ToBoolean(answer); }

void SaveFailed(ImportRun& run, const std::string& what) {
  AppendLine(run.error, "Salvataggio referto " + what + " non a buon fine");
}

}  // namespace

void ParseReferenceRange(std::string_view range, std::string& low, std::string& high) {
  low.clear();
  high.clear();
  const std::vector<std::string_view> parts = Split(range, " -");
  if (parts.size() != 2) return;
  std::string l = Replace(Trim(parts[0]), " ", "");
  if (!l.empty() && l.front() == '(') l.erase(0, 1);
  std::string h = Replace(Trim(parts[1]), " ", "");
  if (!h.empty() && h.back() == ')') h.pop_back();
  low = std::string(Trim(l));
  high = std::string(Trim(h));
}

bool IsNewVisitReport(const std::vector<host::ChartItem>& visits, std::string_view reference,
                      std::string_view day) {
  return NoneMatches("IsNewVisitReport", visits, day, [&](const host::ChartItem& item) {
    return std::string_view(Trim(host::ToText(item.idrif4))) == Trim(reference);
  });
}

bool IsNewLabValue(const std::vector<host::ChartItem>& exams, std::string_view code,
                   std::string_view clinora_id, std::string_view day, std::string_view value) {
  return NoneMatches("IsNewLabValue", exams, day, [&](const host::ChartItem& item) {
    if (!clinora_id.empty())
      return SameTrimmed(item.idrif1, clinora_id) && SameTrimmed(item.t1, value);
    if (!code.empty()) return SameTrimmed(item.idrif4, code) && SameTrimmed(item.t1, value);
    return false;
  });
}

std::string VisitReference(std::string_view codes) {
  std::string reference(Left("lrv." + std::string(codes), kVisitReferenceLength));
  reference.append(kVisitReferenceLength - CharCount(reference), ' ');
  return reference;
}

Date ReadAsDate(std::string_view text) {
  if (auto d = DateOf(text)) return *d;
  throw RuntimeError(kErrTypeMismatch);
}

std::string FormatDay(std::string_view text) {
  if (auto d = DateOf(text)) return FormatDate(*d);
  return std::string(text);
}

LabLine ReadLabLine(std::string_view text) {
  const std::vector<std::string_view> fields = Split(text, "\t");
  if (fields.front().empty()) return {};
  if (fields.size() < 5) throw RuntimeError(kErrSubscript);
  LabLine line{.code = std::string(fields[0]),
               .name = std::string(fields[1]),
               .value = std::string(fields[2]),
               .unit = std::string(fields[3]),
               .range = std::string(fields[4])};
  if (line.value.starts_with('*')) {
    line.value.erase(0, 1);
    line.out_of_range = true;
  }
  return line;
}

host::VisitSaveArgs VisitArgs(const reports::ReportRecord& report, const std::string& description,
                              const std::string& reference, const Date& today) {
  host::VisitSaveArgs a;
  for (auto& e : a.a1_to_3) e = std::string();
  a.a4_description = description;
  a.a5_report_date = FormatDate(ReadAsDate(report.ReportDate));
  a.a6_today = FormatDate(today);
  a.a7_zero = int64_t{0};
  a.a8_body = report.Body;
  a.a9_body = report.Body;
  for (auto& e : a.a10_to_13) e = std::string();
  a.a14_reference = reference;
  a.a15_kind = std::string(kOnLineKind);
  return a;
}

host::ExamSaveArgs ExamArgs(const reports::ReportRecord& report, const LabLine& line,
                            const std::string& group_id, bool transcoded,
                            const std::string& clinora_id, const std::string& clinora_description,
                            const Date& today) {
  std::string low;
  std::string high;
  ParseReferenceRange(line.range, low, high);
  host::ExamSaveArgs a;
  a.a1_empty = std::string();
  a.a2_group_id = group_id;
  a.a3_report_date = FormatDate(ReadAsDate(report.ReportDate));
  a.a4_today = FormatDate(today);
  a.a5_clinora_id = transcoded ? host::Variant(clinora_id) : host::Variant(host::Null{});
  a.a6_description = transcoded ? clinora_description : line.name;
  a.a7_numeric = int64_t{IsNumeric(line.value) ? 1 : 0};
  a.a8_value = line.value;
  a.a9_unit = line.unit;
  a.a10_interval = low.empty() ? "Intervallo: " + line.range : std::string();
  a.a11_low = low;
  a.a12_high = high;
  a.a13_out_of_range = line.out_of_range;
  a.a14_false = false;
  for (auto& e : a.a15_to_23) e = std::string();
  a.a24_code = line.code;
  a.a25_kind = std::string(kOnLineKind);
  a.a26_empty = std::string();
  return a;
}

void CountImported(int16_t& count) {
  if (count == std::numeric_limits<int16_t>::max()) throw RuntimeError(kErrOverflow);
  ++count;
}

void AppendLine(std::string& text, std::string_view line) {
  if (!text.empty()) text += kCrLf;
  text += line;
}

std::shared_ptr<host::Patient> FindReportPatient(host::Archive& archive, std::string_view raw_text,
                                                 std::string_view patient_id,
                                                 reports::ReportRecord& report, bool* parsed) {
  const bool ok = reports::ParseReport(raw_text, reports::Layout::Lines, report);
  if (parsed != nullptr) *parsed = ok;
  if (!ok) return nullptr;
  std::shared_ptr<host::Patient> patient = archive.DaiPazienteRegionale(report.PatientCode, true);
  if (!patient || host::ToText(patient->ID()) != patient_id) return nullptr;
  return patient;
}

void ImportReport(ImportRun& run, host::Patient& patient, reports::ReportRecord& report) {
  const std::vector<host::ChartItem> exams = patient.RefertiEsami()->Lista();
  const std::vector<host::ChartItem> visits = patient.RefertiVisite()->Lista();
  if (report.Kind == "S") {
    ImportTextReport(run, patient, report, visits);
  } else {
    ImportLabReport(run, patient, report, exams);
  }
}

namespace {

// Tells the watcher what became of the text report.
void TellVisit(const host::Patient& patient, const reports::ReportRecord& report,
               ItemOutcome outcome) {
  ImportItem item;
  item.patient_code = report.PatientCode;
  item.patient_id = patient.ID();
  item.exam_code = report.ExamCodes;
  item.outcome = outcome;
  TellItem(std::move(item));
}

// Tells the watcher what became of value line `ordinal` of a lab report.
void TellValue(const host::Patient& patient, const reports::ReportRecord& report,
               const LabLine& line, int32_t ordinal, bool transcoded, const std::string& clinora_id,
               ItemOutcome outcome) {
  ImportItem item;
  item.line = ordinal;
  item.lab = true;
  item.patient_code = report.PatientCode;
  item.patient_id = patient.ID();
  item.exam_code = line.code;
  item.transcoded = transcoded;
  item.transcoded_id = clinora_id;
  item.value = line.value;
  item.outcome = outcome;
  TellItem(std::move(item));
}

}  // namespace

void ImportTextReport(ImportRun& run, host::Patient& patient, const reports::ReportRecord& report,
                      const std::vector<host::ChartItem>& visits) {
  const std::string description =
      report.ExamDescriptions.empty() ? kDefaultDescription : report.ExamDescriptions;
  const std::string reference =
      VisitReference(report.ExamCodes.empty() ? description : report.ExamCodes);
  if (!IsNewVisitReport(visits, reference, FormatDay(report.ReportDate))) {
    TellVisit(patient, report, ItemOutcome::kAlreadyPresent);
    run.reactions.VisitPresent(report, description);
    return;
  }
  if (Saved(
          patient.RefertiVisite()->Salva(VisitArgs(report, description, reference, Today(run))))) {
    TellVisit(patient, report, ItemOutcome::kSaved);
    CountImported(run.imported);
    run.reactions.VisitSaved(report, description);
  } else {
    TellVisit(patient, report, ItemOutcome::kSaveFailed);
    SaveFailed(run, description);
  }
}

namespace {

// One lab report on its way: its two group ids and the names lists.
struct LabReportRun {
  std::string transcoded_group;  // the values whose code was transcoded
  std::string other_group;       // the others
  std::string imported_names;
  std::string present_names;
};

void SaveLabValues(ImportRun& run, const host::Patient& patient, host::ExamReports& chart,
                   reports::ReportRecord& report, const std::vector<host::ChartItem>& exams,
                   LabReportRun& lab) {
  int32_t ordinal = -1;
  for (const std::string_view text : Split(report.Body, kCrLf)) {
    if (Trim(text).empty()) continue;
    const LabLine line = ReadLabLine(text);
    if (line.code.empty()) continue;
    ++ordinal;
    CutAtBlank(report.CheckInDate);
    CutAtBlank(report.ReportDate);
    std::string clinora_id;
    std::string clinora_description;
    const bool transcoded =
        run.table.AllineamentoClinora(line.code, clinora_id, clinora_description);
    const std::string& name = transcoded ? clinora_description : line.name;
    const std::string day = FormatDay(report.ReportDate);
    const bool is_new = transcoded ? IsNewLabValue(exams, "", clinora_id, day, line.value)
                                   : IsNewLabValue(exams, line.code, "", day, line.value);
    const auto tell = [&](ItemOutcome outcome) {
      TellValue(patient, report, line, ordinal, transcoded, clinora_id, outcome);
    };
    if (!is_new) {
      tell(ItemOutcome::kAlreadyPresent);
      AppendName(lab.present_names, name);
      run.reactions.LabValuePresent(report, line, name);
      continue;
    }
    const host::ExamSaveArgs args =
        ExamArgs(report, line, transcoded ? lab.transcoded_group : lab.other_group, transcoded,
                 clinora_id, clinora_description, Today(run));
    if (Saved(chart.Salva(args))) {
      tell(ItemOutcome::kSaved);
      CountImported(run.imported);
      AppendName(lab.imported_names, name);
    } else {
      tell(ItemOutcome::kSaveFailed);
      SaveFailed(run, line.name);
    }
  }
}

// Closes the group of a lab report that an error stopped, so the values it
// took reach the chart; a failure of its own is reported and left there.
void KeepGroup(host::ExamReports& chart) noexcept {
  try {
    chart.SalvaEsamiAutomatici();
  } catch (...) {
    ReportTrap("ImportLabReport");
  }
}

}  // namespace

void ImportLabReport(ImportRun& run, host::Patient& patient, reports::ReportRecord& report,
                     const std::vector<host::ChartItem>& exams) {
  host::Framework& framework = run.host.GetFramework();
  LabReportRun lab;
  lab.transcoded_group = "refLirvo." + std::to_string(framework.GetNewID());
  lab.other_group = "refLirvo." + std::to_string(framework.GetNewID());
  const std::shared_ptr<host::ExamReports> chart = patient.RefertiEsami();
  chart->ClearEsamiAutomatici();
  try {
    SaveLabValues(run, patient, *chart, report, exams, lab);
  } catch (...) {  // the values taken so far reach the chart; the error goes on
    KeepGroup(*chart);
    throw;
  }
  chart->SalvaEsamiAutomatici();
  run.reactions.LabReportDone(report, lab.imported_names, lab.present_names);
}

}  // namespace lirvo::importer
