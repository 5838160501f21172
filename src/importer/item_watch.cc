#include "importer/item_watch.h"

#include "base/runtime_error.h"
#include "base/text.h"
#include "base/trap.h"
#include "importer/import_steps.h"

namespace lirvo::importer {
namespace {

constexpr std::string_view kCrLf = "\r\n";

// The import runs on one thread; so do its watchers.
ItemWatcher& Watcher() {
  static ItemWatcher watcher;
  return watcher;
}
int32_t current_position = -1;

}  // namespace

std::string_view OutcomeName(ItemOutcome outcome) {
  switch (outcome) {
    case ItemOutcome::kSaved:
      return "saved";
    case ItemOutcome::kAlreadyPresent:
      return "already_present";
    case ItemOutcome::kSaveFailed:
      return "save_failed";
    case ItemOutcome::kNoPatient:
      return "no_patient";
    case ItemOutcome::kNotParsed:
      return "not_parsed";
    case ItemOutcome::kNotReached:
      break;
  }
  return "not_reached";
}

ScopedItemWatcher::ScopedItemWatcher(ItemWatcher watcher)
    : previous_(std::exchange(Watcher(), std::move(watcher))) {}
ScopedItemWatcher::~ScopedItemWatcher() { Watcher() = std::move(previous_); }

WatchedReport::WatchedReport(int32_t position)
    : previous_(std::exchange(current_position, position)) {}
WatchedReport::~WatchedReport() { current_position = previous_; }

void TellItem(ImportItem item) noexcept {
  if (!Watcher()) return;
  try {
    item.position = current_position;
    Watcher()(item);
  } catch (...) {
    ReportTrap("TellItem");
  }
}

std::vector<ImportItem> ItemsOf(const reports::ReportRecord& report, int32_t position) {
  ImportItem base;
  base.position = position;
  base.patient_code = report.PatientCode;
  if (report.Kind == "S") {
    base.exam_code = report.ExamCodes;
    return {base};
  }
  std::vector<ImportItem> items;
  base.lab = true;
  for (const std::string_view text : Split(report.Body, kCrLf)) {
    if (Trim(text).empty()) continue;
    LabLine line;
    try {
      line = ReadLabLine(text);
    } catch (const RuntimeError&) {
      break;  // the import stops at this line
    }
    if (line.code.empty()) continue;
    ImportItem item = base;
    item.line = static_cast<int32_t>(items.size());
    item.exam_code = line.code;
    item.value = line.value;
    items.push_back(std::move(item));
  }
  return items;
}

}  // namespace lirvo::importer
