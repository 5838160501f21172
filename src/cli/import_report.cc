#include "cli/import_report.h"

#include <fstream>
#include <functional>
#include <sstream>

#include "base/file_system.h"
#include "base/text.h"
#include "host/variant.h"

namespace lirvo::cli {
namespace {

using Json = nlohmann::ordered_json;
using importer::ImportItem;
using importer::ItemOutcome;

constexpr ItemOutcome kOutcomes[] = {ItemOutcome::kSaved,      ItemOutcome::kAlreadyPresent,
                                     ItemOutcome::kSaveFailed, ItemOutcome::kNoPatient,
                                     ItemOutcome::kNotParsed,  ItemOutcome::kNotReached};

int BundleExitCode(const BundleRun& run) {
  if (run.stopped || CountOf(run, ItemOutcome::kNotReached) > 0) return 1;
  if (CountOf(run, ItemOutcome::kSaveFailed) > 0) {
    return CountOf(run, ItemOutcome::kSaved) > 0 ? 3 : 1;
  }
  return 0;
}

Json Totals(const std::vector<const BundleRun*>& runs) {
  Json j;
  size_t reports = 0, items = 0;
  for (const BundleRun* run : runs) {
    reports += run->reports;
    items += run->items.size();
  }
  j["reports"] = reports;
  j["items"] = items;
  for (const ItemOutcome outcome : kOutcomes) {
    size_t n = 0;
    for (const BundleRun* run : runs) n += CountOf(*run, outcome);
    j[std::string(importer::OutcomeName(outcome))] = n;
  }
  return j;
}

std::vector<const BundleRun*> All(const ImportReport& report) {
  std::vector<const BundleRun*> runs;
  for (const BundleRun& run : report.runs) runs.push_back(&run);
  return runs;
}

// "#3  RSSMRA48C12H501C  lab GLU = 98 (GLI)".
std::string ItemLine(const ImportItem& item) {
  std::string line = "    #" + std::to_string(item.position) + "  " + item.patient_code + "  ";
  if (!item.lab) return line + "text " + item.exam_code;
  line += "lab " + item.exam_code + " = " + item.value.value_or("");
  if (item.transcoded.value_or(false)) line += " (" + item.transcoded_id + ")";
  return line;
}

void ListItems(std::ostringstream& out, const BundleRun& run, const std::string& title,
               const std::function<bool(const ImportItem&)>& which) {
  std::vector<const ImportItem*> chosen;
  for (const ImportItem& item : run.items) {
    if (which(item)) chosen.push_back(&item);
  }
  if (chosen.empty()) return;
  out << "  " << title << " (" << chosen.size() << "):\n";
  for (const ImportItem* item : chosen) out << ItemLine(*item) << '\n';
}

}  // namespace

size_t CountOf(const BundleRun& run, ItemOutcome outcome) {
  size_t n = 0;
  for (const ImportItem& item : run.items) n += item.outcome == outcome ? 1 : 0;
  return n;
}

int ExitCodeOf(const ImportReport& report) {
  int code = report.exit_code;
  for (const BundleRun& run : report.runs) {
    const int c = BundleExitCode(run);
    if (c == 1 || code == 1) {
      code = 1;
    } else if (c == 3) {
      code = 3;
    }
  }
  return code;
}

Json ItemJson(const std::string& bundle, const ImportItem& item) {
  Json j;
  j["bundle"] = bundle;
  j["position"] = item.position;
  j["patientCode"] = item.patient_code;
  if (const auto* id = std::get_if<int64_t>(&item.patient_id)) {
    j["patientId"] = *id;
  } else if (std::holds_alternative<host::Empty>(item.patient_id)) {
    j["patientId"] = nullptr;
  } else {
    j["patientId"] = host::ToText(item.patient_id);
  }
  const bool parsed = item.outcome != ItemOutcome::kNotParsed;
  j["kind"] = parsed ? Json(item.lab ? "lab" : "text") : Json();
  j["examCode"] = parsed ? Json(item.exam_code) : Json();
  j["transcoded"] = item.transcoded ? Json(*item.transcoded) : Json();
  j["transcodedId"] = item.transcoded.value_or(false) ? Json(item.transcoded_id) : Json();
  j["value"] = item.value ? Json(*item.value) : Json();
  j["outcome"] = importer::OutcomeName(item.outcome);
  return j;
}

Json TotalsJson(const ImportReport& report) {
  Json totals = Totals(All(report));
  Json bundles = Json::array();
  for (const BundleRun& run : report.runs) bundles.push_back(run.bundle);
  totals["bundles"] = bundles;
  totals["dryRun"] = report.dry_run;
  return {{"totals", totals}};
}

bool WriteLog(const std::string& path, const ImportReport& report, std::ostream& err) {
  std::ofstream log(path, std::ios::binary | std::ios::trunc);
  for (const BundleRun& run : report.runs) {
    for (const ImportItem& item : run.items) {
      log << ItemJson(run.bundle, item).dump(-1, ' ', false, Json::error_handler_t::replace)
          << '\n';
    }
  }
  log << TotalsJson(report).dump() << '\n';
  log.flush();
  if (!log) {
    err << "lirvo import: cannot write the log " << path << '\n';
    return false;
  }
  return true;
}

Json SummaryJson(const ImportReport& report, int exit_code) {
  Json bundles = Json::array();
  for (const BundleRun& run : report.runs) {
    Json b;
    b["bundle"] = run.bundle;
    b["importedAs"] = run.imported_as ? Json(*run.imported_as) : Json();
    b["totals"] = Totals({&run});
    b["messages"] = run.messages;
    b["stopped"] = run.stopped;
    Json unmatched = Json::array();
    for (const UnlistedReport& u : run.unmatched) {
      unmatched.push_back({{"position", u.position},
                           {"patientCode", u.record.PatientCode},
                           {"reportDate", u.record.ReportDate},
                           {"checkInDate", u.record.CheckInDate},
                           {"examCodes", u.record.ExamCodes}});
    }
    b["noPatient"] = unmatched;
    bundles.push_back(b);
  }
  return {{"dryRun", report.dry_run},
          {"bundles", bundles},
          {"totals", Totals(All(report))},
          {"exitCode", exit_code}};
}

std::string SummaryText(const ImportReport& report, const std::vector<std::string>& written,
                        const std::vector<std::string>& removed) {
  std::ostringstream out;
  if (report.dry_run) out << "Dry run: nothing was saved and no file was changed.\n";
  if (report.runs.empty()) out << "No bundle to import.\n";
  for (const BundleRun& run : report.runs) {
    out << run.bundle << ": " << run.reports << " reports, " << run.items.size() << " items\n";
    out << "  " << CountOf(run, ItemOutcome::kSaved) << (report.dry_run ? " to save, " : " saved, ")
        << CountOf(run, ItemOutcome::kAlreadyPresent) << " already in the chart, "
        << CountOf(run, ItemOutcome::kSaveFailed) << " save failed, "
        << CountOf(run, ItemOutcome::kNoPatient) << " of no patient, "
        << CountOf(run, ItemOutcome::kNotParsed) << " not readable";
    if (const size_t n = CountOf(run, ItemOutcome::kNotReached)) out << ", " << n << " not reached";
    out << '\n';
    for (const std::string& message : run.messages) {
      out << "  Lirvo: " << Replace(message, "\n", "\n         ") << '\n';
    }
    if (run.stopped) out << "  The import stopped on an error.\n";
    if (run.imported_as) {
      out << (report.dry_run ? "  would be renamed " : "  renamed ") << *run.imported_as << '\n';
    }
    if (!report.dry_run) continue;
    ListItems(out, run, "would save",
              [](const ImportItem& i) { return i.outcome == ItemOutcome::kSaved; });
    ListItems(out, run, "already in the chart",
              [](const ImportItem& i) { return i.outcome == ItemOutcome::kAlreadyPresent; });
    ListItems(out, run, "not in the transcoding table, saved with the authority's code",
              [](const ImportItem& i) {
                return i.outcome == ItemOutcome::kSaved && i.transcoded == false;
              });
    if (!run.unmatched.empty()) {
      out << "  no patient (" << run.unmatched.size()
          << (run.unmatched.size() == 1 ? " report):\n" : " reports):\n");
      for (const UnlistedReport& u : run.unmatched) {
        out << "    #" << u.position << "  " << u.record.PatientCode << "  report "
            << u.record.ReportDate << "  check-in " << u.record.CheckInDate << "  exams "
            << u.record.ExamCodes << '\n';
      }
    }
  }
  const auto list = [&out](const char* title, const std::vector<std::string>& paths) {
    if (paths.empty()) return;
    out << title;
    for (const std::string& path : paths) out << ' ' << FileNameOf(path);
    out << '\n';
  };
  if (report.dry_run) {
    list("Files it would write:", written);
    list("Files it would remove or rename:", removed);
  }
  return out.str();
}

}  // namespace lirvo::cli
