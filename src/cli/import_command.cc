// lirvo import: the unattended import. It drives the plug-in as a person
// would (its events, the chooser, "Importa") through the interpreter of
// `lirvo run`, answers every question with its first answer (so printing is
// declined), and says what became of every item of every bundle.
#include <stdlib.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <sstream>

#include "base/clock.h"
#include "base/file_system.h"
#include "base/overlay_file_system.h"
#include "base/product.h"
#include "base/runtime_error.h"
#include "base/text.h"
#include "cli/cli.h"
#include "cli/dry_run_host.h"
#include "cli/import_report.h"
#include "cli/script_runner.h"
#include "controls/ui.h"
#include "importer/item_watch.h"
#include "reports/bundle_parser.h"
#include "reports/bundle_text.h"
#include "reports/imported_register.h"
#include "standin/archive.h"
#include "standin/installation.h"

namespace lirvo::cli {
namespace {

using Json = nlohmann::ordered_json;
using importer::ImportItem;
using importer::ItemOutcome;

struct ImportOptions {
  std::string install = ".";
  std::optional<std::string> bundle;
  bool all = false;
  bool dry_run = false;
  std::optional<std::string> log;
  bool json = false;
};

// The items of the reports that the main window left out (no patient, or
// not readable), and the positions of those it listed.
void AddLeftOut(const std::vector<std::string_view>& pieces, const std::set<int32_t>& listed,
                BundleRun& run) {
  for (size_t i = 0; i < pieces.size(); ++i) {
    const auto position = static_cast<int32_t>(i);
    if (Trim(pieces[i]).empty() || listed.count(position) != 0) continue;
    reports::ReportRecord inline_record;
    if (!reports::ParseReport(pieces[i], reports::Layout::Inline, inline_record)) {
      ImportItem item;
      item.position = position;
      item.outcome = ItemOutcome::kNotParsed;
      run.items.push_back(std::move(item));
      continue;
    }
    run.unmatched.push_back({position, inline_record});
    reports::ReportRecord record;
    std::vector<ImportItem> items;
    if (reports::ParseReport(pieces[i], reports::Layout::Lines, record)) {
      items = importer::ItemsOf(record, position);
    }
    if (items.empty()) {
      items.emplace_back();
      items.back().position = position;
      items.back().patient_code = inline_record.PatientCode;
    }
    for (ImportItem& item : items) {
      item.outcome = ItemOutcome::kNoPatient;
      run.items.push_back(std::move(item));
    }
  }
}

// The items of the listed reports, with what the import told of each; an
// item it never told of was not reached.
void AddListed(const std::vector<std::string_view>& pieces, const std::set<int32_t>& listed,
               const std::vector<ImportItem>& watched, BundleRun& run) {
  std::map<std::pair<int32_t, int32_t>, const ImportItem*> told;
  for (const ImportItem& item : watched) told.emplace(std::pair{item.position, item.line}, &item);
  for (const int32_t position : listed) {
    if (position < 0 || static_cast<size_t>(position) >= pieces.size()) continue;
    reports::ReportRecord record;
    std::vector<ImportItem> items;
    if (reports::ParseReport(pieces[position], reports::Layout::Lines, record)) {
      items = importer::ItemsOf(record, position);
    }
    if (items.empty()) {
      items.emplace_back();
      items.back().position = position;
    }
    for (ImportItem& item : items) {
      auto it = told.find({position, item.line});
      if (it != told.end()) {
        run.items.push_back(*it->second);
        told.erase(it);
      } else {
        item.outcome = ItemOutcome::kNotReached;
        run.items.push_back(std::move(item));
      }
    }
  }
  // Told but not expected: a passed-over report told as one item.
  for (const auto& [key, item] : told) run.items.push_back(*item);
  std::stable_sort(run.items.begin(), run.items.end(), [](const auto& a, const auto& b) {
    return std::pair{a.position, a.line} < std::pair{b.position, b.line};
  });
}

// The bundles of the documents folder not yet imported, by name.
std::vector<std::string> BundlesToImport(const std::string& folder) {
  std::vector<std::string> names;
  for (const DirEntry& e : RealFileSystem().ListDirectory(folder)) {
    if (e.is_directory || !LCase(e.name).ends_with(".dat") || reports::IsImportedName(e.name)) {
      continue;
    }
    names.push_back(e.name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

// A copy of the archive in a temporary folder, for a dry run: reading an
// archive makes files beside it, and a dry run leaves the installation as
// it found it. Removed with the object.
class ArchiveCopy {
 public:
  explicit ArchiveCopy(const std::string& archive) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (!fs::is_regular_file(archive, ec)) return;  // the runner says what is wrong
    std::string folder = (fs::temp_directory_path(ec) / "lirvo-dry-run-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr) {
      throw RuntimeError(kErrPathFileAccess, "no temporary folder for the archive's copy");
    }
    folder_ = folder;
    path_ = folder + "/archive.db";
    fs::copy_file(archive, path_);
    if (fs::exists(archive + "-wal", ec)) fs::copy_file(archive + "-wal", path_ + "-wal");
  }
  ~ArchiveCopy() {
    std::error_code ec;
    if (!folder_.empty()) std::filesystem::remove_all(folder_, ec);
  }
  ArchiveCopy(const ArchiveCopy&) = delete;
  ArchiveCopy& operator=(const ArchiveCopy&) = delete;

  const std::string& Path() const { return path_; }

 private:
  std::string folder_;
  std::string path_;
};

class ImportSession {
 public:
  ImportSession(const ImportOptions& o, Context& ctx) : o_(o), ctx_(ctx) {}

  int Run();

 private:
  void Line(const std::string& line) {
    if (!runner_->RunLine(++line_number_, line)) script_failed_ = true;
  }
  void Take(const Json& j);
  BundleRun ImportBundle(const std::string& folder, const std::string& name);

  const ImportOptions& o_;
  Context& ctx_;
  SystemClock clock_;
  std::unique_ptr<OverlayFileSystem> overlay_;
  std::unique_ptr<ArchiveCopy> archive_copy_;
  std::unique_ptr<ScriptRunner> runner_;
  int line_number_ = 0;
  bool script_failed_ = false;
  bool show_progress_ = false;
  BundleRun* current_ = nullptr;  // the bundle the transcript is about
  Json last_grid_;
  std::string current_bundle_;
};

void ImportSession::Take(const Json& j) {
  const std::string type = j.value("type", "");
  if (type == "grid") {
    last_grid_ = j;
  } else if (type == "progress") {
    if (show_progress_ && j.value("visible", false)) {
      ctx_.err << "\r\x1b[K" << j.value("text", "") << std::flush;
    }
  } else if (current_ != nullptr && type == "msgbox") {
    const std::string text = j.value("text", "");
    std::string message;
    for (std::string_view line : Split(text, "\r\n")) {
      if (Trim(line).empty()) continue;
      if (!message.empty()) message += '\n';
      message += line;
    }
    // Every question gets its first answer: No to printing.
    if (j.value("style", 0) % 8 == ui::kYesNoButtons) {
      message += j.value("answer", 0) == ui::kAnswerYes ? " (answered yes)" : " (answered no)";
    }
    current_->messages.push_back(std::move(message));
  } else if (current_ != nullptr &&
             (type == "trap" || type == "runtime_error" || type == "error")) {
    current_->stopped = true;
    current_->messages.push_back("error " + std::to_string(j.value("number", 0)) + ": " +
                                 j.value("description", j.value("message", "")));
  }
  // "dump config" gives the bundle's name after the import.
  if (j.contains("current_bundle")) current_bundle_ = j["current_bundle"].get<std::string>();
}

BundleRun ImportSession::ImportBundle(const std::string& folder, const std::string& name) {
  BundleRun run;
  run.bundle = name;
  current_ = &run;
  const std::string text = reports::LoadBundleText(RealFileSystem(), JoinPath(folder, name));
  const std::vector<std::string_view> pieces = reports::CutPieces(text);
  for (std::string_view piece : pieces) run.reports += Trim(piece).empty() ? 0 : 1;

  std::vector<ImportItem> watched;
  {
    const importer::ScopedItemWatcher watcher(
        [&watched](const ImportItem& item) { watched.push_back(item); });
    last_grid_ = Json();
    Line("choose \"" + Replace(name, "\"", "\"\"") + "\"");
    Line("event execute " + std::string(kKeyStorico));
    Line("dump grid");
    Line("event execute " + std::string(kKeyImporta));
    Line("dump config");
  }
  std::set<int32_t> listed;
  if (last_grid_.contains("rows")) {
    for (const Json& row : last_grid_["rows"]) {
      for (const Json& child : row.value("children", Json::array())) {
        const std::string position = child["items"].at(2).get<std::string>();
        int32_t p = -1;
        auto [end, ec] = std::from_chars(position.data(), position.data() + position.size(), p);
        if (ec == std::errc() && end == position.data() + position.size()) listed.insert(p);
      }
    }
  }
  AddLeftOut(pieces, listed, run);
  AddListed(pieces, listed, watched, run);
  if (!current_bundle_.empty() && FileNameOf(current_bundle_) != name) {
    run.imported_as = std::string(FileNameOf(current_bundle_));
  }
  if (show_progress_) ctx_.err << "\r\x1b[K" << std::flush;
  current_ = nullptr;
  return run;
}

int ImportSession::Run() {
  RunnerSeams seams;
  seams.transcript = [this](const Json& j) { Take(j); };
  if (o_.dry_run) {
    overlay_ = std::make_unique<OverlayFileSystem>(RealFileSystem(), clock_);
    seams.fs = overlay_.get();
    try {
      archive_copy_ =
          std::make_unique<ArchiveCopy>(standin::Installation(o_.install).ArchiveFile());
    } catch (const std::exception& e) {
      ctx_.err << "lirvo import: cannot copy the archive for the dry run: " << e.what() << '\n';
      return kExitUsage;
    }
    seams.archive_file = archive_copy_->Path();
    seams.read_only_archive = true;
    seams.plugin_host = [](const std::shared_ptr<standin::StandinHost>& standin) {
      return std::make_shared<DryRunHost>(standin);
    };
  }
  show_progress_ = !o_.json && &ctx_.err == &std::cerr && ::isatty(2) == 1;
  std::ostringstream unused;
  try {
    runner_ = std::make_unique<ScriptRunner>(o_.install, clock_.Now(), unused, false, seams);
  } catch (const RuntimeError& e) {
    const auto* archive = dynamic_cast<const standin::ArchiveError*>(&e);
    ctx_.err << "lirvo import: "
             << (archive != nullptr && archive->Problem() != standin::ArchiveProblem::kMissing
                     ? archive->Explain()
                     : o_.install + ": not an installation (" + e.what() +
                           "); make one with lirvo init")
             << '\n';
    return kExitUsage;
  }
  Line("event registrazione x");
  Line("event form.load frmMain");
  Line(std::string("event mainribbonbar.activetab \"") + kTabCaption + "\"");
  const std::string folder = runner_->DocumentsFolder();

  std::vector<std::string> names;
  if (o_.bundle) {
    const std::string name(FileNameOf(*o_.bundle));
    if (!RealFileSystem().FileExists(JoinPath(folder, name))) {
      ctx_.err << "lirvo import: " << JoinPath(folder, name) << ": no such bundle\n";
      return kExitUsage;
    }
    names.push_back(name);
  } else {
    try {
      names = BundlesToImport(folder);
    } catch (const RuntimeError& e) {
      ctx_.err << "lirvo import: " << folder << ": cannot list the documents folder (" << e.what()
               << ")\n";
      return kExitUsage;
    }
  }

  std::vector<BundleRun> runs;
  for (const std::string& name : names) {
    try {
      runs.push_back(ImportBundle(folder, name));
    } catch (const RuntimeError& e) {
      ctx_.err << "lirvo import: " << name << ": " << e.what() << '\n';
      return kExitFailure;
    }
  }
  Line("event fine");

  ImportReport report{.dry_run = o_.dry_run, .runs = std::move(runs)};
  if (script_failed_) report.exit_code = kExitFailure;
  const int code = ExitCodeOf(report);
  if (o_.log && !WriteLog(*o_.log, report, ctx_.err)) return kExitUsage;
  if (o_.json) {
    ctx_.out << SummaryJson(report, code).dump(2) << '\n';
  } else {
    ctx_.out << SummaryText(report, overlay_ ? overlay_->Written() : std::vector<std::string>{},
                            overlay_ ? overlay_->Removed() : std::vector<std::string>{});
  }
  return code;
}

}  // namespace

void AddImportCommand(CLI::App& app, Context& ctx) {
  auto o = std::make_shared<ImportOptions>();
  CLI::App* cmd = app.add_subcommand(
      "import", "Import bundles without a person: the plug-in's \"Importa\", unattended");
  cmd->add_option("--install", o->install,
                  "The installation folder (made by lirvo init); the current folder by default");
  auto* bundle = cmd->add_option("--bundle", o->bundle,
                                 "The bundle to import: a file of the documents folder");
  auto* all = cmd->add_flag("--all", o->all, "Import every bundle not yet imported, by name");
  bundle->excludes(all);
  all->excludes(bundle);
  cmd->add_flag("--dry-run", o->dry_run,
                "Say what the import would do, and change nothing: no file, no chart");
  cmd->add_option("--log", o->log, "Write a JSON Lines record of every item to this file");
  cmd->add_flag("--json", o->json, "Print the summary as JSON instead of text");
  cmd->callback([o, &ctx] {
    if (!o->bundle && !o->all) {
      ctx.err << "lirvo import: say which bundles: --bundle NAME or --all\n";
      ctx.exit_code = kExitUsage;
      return;
    }
    ctx.exit_code = ImportSession(*o, ctx).Run();
  });
}

}  // namespace lirvo::cli
