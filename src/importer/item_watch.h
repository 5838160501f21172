// What became of every item an import met, for whoever watches an import
// from outside (the unattended import and its log). An item is a text
// report, or one value line of a laboratory report. The imports tell a
// watcher and go on exactly as they would without one: a watcher that fails
// is reported as a trap and ignored.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/variant.h"
#include "reports/bundle_parser.h"

namespace lirvo::importer {

enum class ItemOutcome {
  kSaved,           // the chart took it
  kAlreadyPresent,  // the chart already held it: not saved again
  kSaveFailed,      // the chart refused it
  kNoPatient,       // its report names no patient of the archive
  kNotParsed,       // its report does not read
  kNotReached,      // the import stopped on an error before it
};

// "saved", "already_present", "save_failed", "no_patient", "not_parsed",
// "not_reached".
std::string_view OutcomeName(ItemOutcome outcome);

struct ImportItem {
  int32_t position = -1;             // the report's piece in the bundle; -1 unknown
  int32_t line = -1;                 // lab values: 0 for the report's first value line
  bool lab = false;                  // false for a text report
  std::string patient_code;          // as the report gives it
  host::Variant patient_id;          // the archive's patient, Empty when none
  std::string exam_code;             // text: the report's codes; lab: the line's code
  std::optional<bool> transcoded;    // lab values: whether the table knew the code
  std::string transcoded_id;         // the Clinora exam ID when transcoded
  std::optional<std::string> value;  // lab values: the value without "*"
  ItemOutcome outcome = ItemOutcome::kNotReached;
};

using ItemWatcher = std::function<void(const ImportItem&)>;

// Sets the process's watcher for its lifetime (the previous one comes back
// after it).
class ScopedItemWatcher {
 public:
  explicit ScopedItemWatcher(ItemWatcher watcher);
  ~ScopedItemWatcher();
  ScopedItemWatcher(const ScopedItemWatcher&) = delete;
  ScopedItemWatcher& operator=(const ScopedItemWatcher&) = delete;

 private:
  ItemWatcher previous_;
};

// The import of the report at `position` (item 2 of its row) while it lives:
// the items told meanwhile carry that position.
class WatchedReport {
 public:
  explicit WatchedReport(int32_t position);
  ~WatchedReport();
  WatchedReport(const WatchedReport&) = delete;
  WatchedReport& operator=(const WatchedReport&) = delete;

 private:
  int32_t previous_;
};

// Tells the watcher, if any, with the current report's position.
void TellItem(ImportItem item) noexcept;

// The items of a report as an import meets them, without outcomes: one for
// a text report, one per value line of a laboratory report (a blank line or
// one with an empty code is not a value); the enumeration stops at a value
// line that does not read, where an import stops too.
std::vector<ImportItem> ItemsOf(const reports::ReportRecord& report, int32_t position);

}  // namespace lirvo::importer
