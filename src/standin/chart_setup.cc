#include "standin/chart_setup.h"

#include "base/text.h"

namespace lirvo::standin {
namespace {

const std::string kEmpty;

// A value as the chart text shows it: "null" for Null, trailing blanks cut.
std::string Show(const host::Variant& v) { return std::string(RTrim(host::Describe(v))); }

}  // namespace

host::ExamSaveArgs ExamArgsFor(const std::string& data, const host::Variant& idrif1,
                               const std::string& idrif4, const std::string& t1) {
  host::ExamSaveArgs a;
  a.a1_empty = kEmpty;
  a.a2_group_id = kEmpty;
  a.a3_report_date = data;
  a.a4_today = data;
  a.a5_clinora_id = idrif1;
  a.a6_description = kEmpty;
  a.a7_numeric = int64_t{IsNumeric(t1) ? 1 : 0};
  a.a8_value = t1;
  a.a9_unit = kEmpty;
  a.a10_interval = kEmpty;
  a.a11_low = kEmpty;
  a.a12_high = kEmpty;
  a.a13_out_of_range = false;
  a.a14_false = false;
  for (auto& e : a.a15_to_23) e = kEmpty;
  a.a24_code = idrif4;
  a.a25_kind = std::string("RefertoOnLine");
  a.a26_empty = kEmpty;
  return a;
}

host::VisitSaveArgs VisitArgsFor(const std::string& data, const std::string& idrif4) {
  host::VisitSaveArgs a;
  for (auto& e : a.a1_to_3) e = kEmpty;
  a.a4_description = kEmpty;
  a.a5_report_date = data;
  a.a6_today = data;
  a.a7_zero = int64_t{0};
  a.a8_body = kEmpty;
  a.a9_body = kEmpty;
  for (auto& e : a.a10_to_13) e = kEmpty;
  a.a14_reference = idrif4;
  a.a15_kind = std::string("RefertoOnLine");
  return a;
}

std::string ChartText(SqliteArchive& archive, int64_t patient_id, const FieldFilter& shown) {
  const auto p = archive.FindPatient(patient_id);
  if (!p) return "";
  const auto f = [&](std::string_view field) { return shown ? shown(field) : std::string(field); };
  const auto show = [&](const host::Variant& v) { return f(Show(v)); };
  std::string text = "patient " + std::to_string(p->id) + ": " + f(p->cognome) + " " + f(p->nome) +
                     ", born " + f(p->data_nascita);
  if (!p->codice_fiscale.empty()) text += ", codice fiscale " + f(p->codice_fiscale);
  text += ", tessera " + f(p->tessera) + "\n";
  const auto exams = archive.Exams(patient_id);
  text += "exams: " + std::to_string(exams.size()) + "\n";
  for (const auto& e : exams) {
    // Data, idrif1, idrif4, t1, unit, description.
    text.append("  ").append(show(e.args[host::kExamArgReportDate]));
    text.append("  idrif1=").append(show(e.args[host::kExamArgClinoraId]));
    text.append("  idrif4=").append(show(e.args[host::kExamArgCode]));
    text.append("  t1=").append(show(e.args[host::kExamArgValue]));
    if (const std::string unit = show(e.args[host::kExamArgUnit]); !unit.empty())
      text.append(" ").append(unit);
    if (const std::string d = show(e.args[host::kExamArgDescription]); !d.empty())
      text.append("  ").append(d);
    if (e.automatic) text += "  [group " + std::to_string(e.group) + "]";
    text += "\n";
  }
  const auto visits = archive.Visits(patient_id);
  text += "visits: " + std::to_string(visits.size()) + "\n";
  for (const auto& v : visits) {
    // Data, idrif4, description.
    text.append("  ").append(show(v.args[host::kVisitArgReportDate]));
    text.append("  idrif4=").append(show(v.args[host::kVisitArgReference]));
    if (const std::string d = show(v.args[host::kVisitArgDescription]); !d.empty())
      text.append("  ").append(d);
    text += "\n";
  }
  return text;
}

}  // namespace lirvo::standin
