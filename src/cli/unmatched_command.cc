// `lirvo unmatched [--install DIR] [--json] BUNDLE`: the reports of BUNDLE
// whose patient matches no patient of the archive, which the main reports
// window leaves out without a word. BUNDLE is a path, or the name of a
// bundle in the installation's documents folder. A table for people, or one
// JSON object per report with --json; how many pieces did not parse goes to
// the error stream.
#include <CLI/CLI.hpp>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "base/file_error.h"
#include "base/file_system.h"
#include "base/runtime_error.h"
#include "base/text.h"
#include "cli/archive_access.h"
#include "cli/bundle_path.h"
#include "cli/cli.h"
#include "cli/terminal_text.h"
#include "cli/unmatched.h"

namespace lirvo::cli {
namespace {

constexpr const char* kCommand = "lirvo unmatched";

struct UnmatchedArgs {
  std::string bundle;
  std::string install = ".";
  bool json = false;
};

std::string Plural(size_t n, const std::string& one, const std::string& many) {
  return std::to_string(n) + ' ' + (n == 1 ? one : many);
}

void WriteJson(std::ostream& out, const std::vector<UnmatchedReport>& reports) {
  for (const UnmatchedReport& r : reports) {
    const nlohmann::ordered_json j = {{"position", r.position},
                                      {"patientCode", r.patient_code},
                                      {"reportDate", r.report_date},
                                      {"checkInDate", r.check_in_date},
                                      {"examCodes", r.exam_codes}};
    out << j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
  }
}

// `size` is the bundle file's, so an empty one can be told apart.
void WriteTable(std::ostream& out, const std::string& path, std::optional<uint64_t> size,
                const std::vector<UnmatchedReport>& reports) {
  if (reports.empty() && size == 0) {
    out << Visible(path) << " is empty: the main window refuses it (File referti inconsistente!)\n";
    return;
  }
  if (reports.empty()) {
    out << "every report of " << Visible(path) << " matches a patient of the archive\n";
    return;
  }
  std::vector<std::vector<std::string>> rows = {
      {"POSITION", "PATIENT CODE", "REPORT", "CHECK-IN", "EXAMS"}};
  for (const UnmatchedReport& r : reports) {
    std::string exams;
    for (const std::string& code : r.exam_codes) exams += (exams.empty() ? "" : ", ") + code;
    rows.push_back({std::to_string(r.position),
                    r.patient_code.empty() ? "-" : Visible(r.patient_code), Visible(r.report_date),
                    Visible(r.check_in_date), exams.empty() ? "-" : Visible(exams)});
  }
  WriteColumns(out, rows);
  out << Plural(reports.size(), "report", "reports") << " of " << Visible(path)
      << (reports.size() == 1 ? " matches" : " match")
      << " no patient of the archive; the main window does not list "
      << (reports.size() == 1 ? "it" : "them") << '\n';
}

void RunUnmatched(const UnmatchedArgs& a, Context& ctx) {
  FileSystem& fs = RealFileSystem();
  const std::string path = BundlePath(fs, a.install, a.bundle);
  if (fs.KindOf(path) == PathKind::kAbsent) {
    ctx.err << kCommand << ": " << Visible(path) << ": file not found\n";
    ctx.exit_code = kExitUsage;
    return;
  }
  auto archive = OpenArchive(a.install, kCommand, standin::SqliteArchive::OpenMode::kReadOnly, ctx);
  if (!archive) return;
  std::vector<UnmatchedReport> reports;
  size_t not_parsed = 0;
  try {
    reports = FindUnmatchedReports(fs, *archive, path, &not_parsed);
  } catch (const standin::ArchiveError& e) {
    return ReportArchiveFailure(kCommand, e, ctx);
  } catch (const RuntimeError& e) {
    ctx.err << kCommand << ": " << Visible(DescribeFileFailure(e, path)) << '\n';
    ctx.exit_code = kExitUsage;
    return;
  }
  if (a.json) {
    WriteJson(ctx.out, reports);
  } else {
    WriteTable(ctx.out, path, fs.FileSize(path), reports);
  }
  if (not_parsed > 0) {
    ctx.err << kCommand << ": " << Plural(not_parsed, "piece", "pieces") << " of " << Visible(path)
            << " did not parse as a report and " << (not_parsed == 1 ? "is" : "are")
            << " not counted\n";
  }
  ctx.exit_code = kExitOk;
}

}  // namespace

void AddUnmatchedCommand(CLI::App& app, Context& ctx) {
  auto args = std::make_shared<UnmatchedArgs>();
  CLI::App* cmd = app.add_subcommand(
      "unmatched", "List the reports of a bundle whose patient is not in the archive");
  cmd->add_option("BUNDLE", args->bundle,
                  "The bundle: a path, or a file name in the documents folder")
      ->required();
  cmd->add_option("--install", args->install, "The installation folder (default: the current one)");
  cmd->add_flag("--json", args->json, "Print one JSON object per report");
  cmd->callback([args, &ctx] { RunUnmatched(*args, ctx); });
}

}  // namespace lirvo::cli
