// What `lirvo import` says of a run: the summary for a person or as JSON,
// the JSON Lines log of every item, and the exit status.
#pragma once

#include <iosfwd>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "importer/item_watch.h"
#include "reports/bundle_parser.h"

namespace lirvo::cli {

// A report that the main window left out because no patient has its code.
struct UnlistedReport {
  int32_t position;
  reports::ReportRecord record;  // as the bundle loading read it
};

// One bundle's import.
struct BundleRun {
  std::string bundle;                       // its file name when chosen
  std::optional<std::string> imported_as;   // its name afterwards, when it changed
  size_t reports = 0;                       // the reports of the bundle
  std::vector<importer::ImportItem> items;  // every item, in bundle order
  std::vector<UnlistedReport> unmatched;
  std::vector<std::string> messages;  // what the plug-in said, in order
  bool stopped = false;               // an error stopped the import
};

struct ImportReport {
  bool dry_run = false;
  std::vector<BundleRun> runs;
  int exit_code = 0;  // set above 0 when the run itself failed
};

// How many items of `run` had `outcome`.
size_t CountOf(const BundleRun& run, importer::ItemOutcome outcome);

// 0 when every item listed by the main window was saved or already in the
// chart; 3 when some saves failed and others succeeded; 1 when the import
// stopped on an error, left items unreached or saved nothing of what it
// tried (or `report.exit_code` says so).
int ExitCodeOf(const ImportReport& report);

// One JSON object per item, then one with the totals.
nlohmann::ordered_json ItemJson(const std::string& bundle, const importer::ImportItem& item);
nlohmann::ordered_json TotalsJson(const ImportReport& report);

// Writes the log to `path`; false, with the reason on `err`, when it
// cannot be written.
bool WriteLog(const std::string& path, const ImportReport& report, std::ostream& err);

nlohmann::ordered_json SummaryJson(const ImportReport& report, int exit_code);

// The summary for a person; a dry run's lists what it would save and skip,
// the values not transcoded, the reports of no patient, and the files it
// would have written and removed.
std::string SummaryText(const ImportReport& report, const std::vector<std::string>& written,
                        const std::vector<std::string>& removed);

}  // namespace lirvo::cli
