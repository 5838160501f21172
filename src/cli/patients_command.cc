// `lirvo patients add|import|list [--install DIR]`: the patients of the
// stand-in Clinora's archive (INSTALL/archive.db; DIR defaults to the current
// folder).
//
//   add COGNOME NOME NATO CODICEFISCALE TESSERA   prints the new patient's ID
//   import CSV     header line cognome,nome,data_nascita,codice_fiscale,tessera
//                  (";" or "," separated); reports skipped rows by line number;
//                  exit 0 all added, 3 some rows skipped, 1 the archive failed,
//                  2 the file cannot be read or its header lacks a column
//   list [--json]  one line per patient (control characters made visible,
//                  columns cut to 40 characters), or one JSON object
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <ostream>
#include <string>

#include "base/file_system.h"
#include "base/runtime_error.h"
#include "base/text.h"
#include "cli/archive_access.h"
#include "cli/cli.h"
#include "cli/terminal_text.h"
#include "standin/archive.h"
#include "standin/chart_json.h"
#include "standin/installation.h"
#include "standin/patients_csv.h"

namespace lirvo::cli {
namespace {

using OpenMode = standin::SqliteArchive::OpenMode;

struct PatientsArgs {
  std::string install = ".";
  standin::PatientRecord record;
  std::string csv;
  bool json = false;
};

// Exit status of `patients import` when the file was read but some rows were
// skipped (the others were added).
constexpr int kExitRowsSkipped = 3;

// The widest a column of `patients list` gets, in characters.
constexpr size_t kListColumnWidth = 40;

void RunAdd(const PatientsArgs& a, Context& ctx) {
  if (std::string why = standin::CheckPatientRecord(a.record); !why.empty()) {
    ctx.err << "lirvo patients add: " << Visible(why) << '\n';
    ctx.exit_code = kExitUsage;
    return;
  }
  auto archive = OpenArchive(a.install, "lirvo patients", OpenMode::kMustExist, ctx);
  if (!archive) return;
  try {
    ctx.out << archive->AddPatient(a.record) << '\n';
    ctx.exit_code = kExitOk;
  } catch (const RuntimeError& e) {
    if (e.Number() != kErrDuplicateKey) {
      ReportArchiveFailure("lirvo patients add", e, ctx);
      return;
    }
    ctx.err << "lirvo patients add: a patient with this tessera or codice fiscale exists\n";
    ctx.exit_code = kExitFailure;
  }
}

// Shows how far an import has gone on the terminal's line, rewritten in
// place; silent when standard error is not a terminal.
class ImportProgress {
 public:
  ImportProgress(Context& ctx, const std::string& file)
      : err_(ctx.err), on_(&ctx.err == &std::cerr && ::isatty(STDERR_FILENO) == 1) {
    std::error_code ec;
    if (on_ && std::filesystem::is_regular_file(file, ec)) {
      size_ = std::filesystem::file_size(file, ec);
      if (ec) size_ = 0;
    }
  }
  ~ImportProgress() { EndLine(); }
  ImportProgress(const ImportProgress&) = delete;
  ImportProgress& operator=(const ImportProgress&) = delete;

  void Show(size_t rows, uint64_t bytes) {
    if (!on_) return;
    err_ << "\rlirvo patients import: " << rows << " rows read";
    if (size_ > 0) err_ << " (" << std::min<uint64_t>(100, bytes * 100 / size_) << "%)";
    err_.flush();
    shown_ = true;
  }
  // Ends the progress line before another message.
  void EndLine() {
    if (shown_) err_ << '\n';
    shown_ = false;
  }

 private:
  std::ostream& err_;
  bool on_;
  bool shown_ = false;
  uint64_t size_ = 0;
};

void RunImport(const PatientsArgs& a, Context& ctx) {
  std::error_code ec;
  if (std::filesystem::is_directory(a.csv, ec)) {
    ctx.err << "lirvo patients import: " << a.csv << ": is a folder, not a file\n";
    ctx.exit_code = kExitUsage;
    return;
  }
  std::ifstream in(a.csv, std::ios::binary);
  if (!in) {
    ctx.err << "lirvo patients import: " << a.csv << ": " << std::strerror(errno) << '\n';
    ctx.exit_code = kExitUsage;
    return;
  }
  auto archive = OpenArchive(a.install, "lirvo patients", OpenMode::kMustExist, ctx);
  if (!archive) return;
  ImportProgress progress(ctx, a.csv);
  standin::CsvImportOptions options;
  options.on_skipped = [&](size_t line, const std::string& reason) {
    progress.EndLine();
    ctx.err << a.csv << ":" << line << ": skipped: " << Visible(reason) << '\n';
  };
  options.on_progress = [&](size_t rows, uint64_t bytes) { progress.Show(rows, bytes); };
  standin::CsvImportResult result;
  try {
    standin::ImportPatientsCsv(*archive, in, result, options);
  } catch (const RuntimeError& e) {
    progress.EndLine();
    ReportArchiveFailure("lirvo patients import", e, ctx);
    ctx.err << "lirvo patients import: " << result.added
            << (result.added == 1 ? " patient" : " patients")
            << " imported before the failure; the rows being written were not kept, and "
               "importing the file again adds the rest\n";
    return;
  }
  progress.EndLine();
  if (!result.error.empty()) {
    ctx.err << "lirvo patients import: " << a.csv << ": " << result.error << '\n';
    ctx.exit_code = kExitUsage;
    return;
  }
  ctx.out << result.added << (result.added == 1 ? " patient" : " patients") << " imported, "
          << result.skipped << (result.skipped == 1 ? " row" : " rows") << " skipped\n";
  ctx.exit_code = result.skipped == 0 ? kExitOk : kExitRowsSkipped;
}

void RunList(const PatientsArgs& a, Context& ctx) {
  auto archive = OpenArchive(a.install, "lirvo patients", OpenMode::kReadOnly, ctx);
  if (!archive) return;
  std::vector<standin::PatientRecord> patients;
  try {
    patients = archive->ListPatients();
  } catch (const RuntimeError& e) {
    ReportArchiveFailure("lirvo patients list", e, ctx);
    return;
  }
  if (a.json) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const auto& p : patients) list.push_back(standin::PatientToJson(p));
    nlohmann::ordered_json j;
    j["type"] = "patients";
    j["patients"] = std::move(list);
    ctx.out << j.dump() << '\n';
    ctx.exit_code = kExitOk;
    return;
  }
  const std::vector<std::string> head = {"ID",   "COGNOME",        "NOME",
                                         "NATO", "CODICE FISCALE", "TESSERA"};
  std::vector<std::vector<std::string>> rows = {head};
  for (const auto& p : patients) {
    std::vector<std::string> row;
    for (const std::string* field :
         {&p.cognome, &p.nome, &p.data_nascita, &p.codice_fiscale, &p.tessera}) {
      row.push_back(VisibleShortened(*field, kListColumnWidth));
    }
    row.insert(row.begin(), std::to_string(p.id));
    rows.push_back(std::move(row));
  }
  WriteColumns(ctx.out, rows);
  ctx.exit_code = kExitOk;
}

void AddInstallOption(CLI::App* cmd, std::string& install) {
  cmd->add_option("--install", install, "The installation folder (default: the current one)");
}

}  // namespace

void AddPatientsCommand(CLI::App& app, Context& ctx) {
  auto args = std::make_shared<PatientsArgs>();
  CLI::App* cmd = app.add_subcommand("patients", "The patients of the stand-in Clinora");
  cmd->require_subcommand(1);

  CLI::App* add = cmd->add_subcommand("add", "Add a patient and print the new ID");
  add->add_option("COGNOME", args->record.cognome, "Surname")->required();
  add->add_option("NOME", args->record.nome, "Name")->required();
  add->add_option("NATO", args->record.data_nascita, "Birth date, dd/mm/yyyy")->required();
  add->add_option("CODICEFISCALE", args->record.codice_fiscale, "Codice fiscale")->required();
  add->add_option("TESSERA", args->record.tessera, "Regional code")->required();
  AddInstallOption(add, args->install);
  add->callback([args, &ctx] { RunAdd(*args, ctx); });

  CLI::App* import = cmd->add_subcommand("import", "Add the patients of a CSV file");
  import->add_option("CSV", args->csv, "The CSV file")->required();
  AddInstallOption(import, args->install);
  import->callback([args, &ctx] { RunImport(*args, ctx);
});

CLI::App* list = cmd->add_subcommand("list", "List the patients");
list->add_flag("--json", args->json, "Print one JSON object");
AddInstallOption(list, args->install);
list->callback([args, &ctx] { RunList(*args, ctx); });
}  // namespace lirvo::cli

}  // namespace lirvo::cli
