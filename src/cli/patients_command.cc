// `lirvo patients add|import|list [--install DIR]`: the patients of the
// stand-in Clinora's archive (INSTALL/archive.db; DIR defaults to the current
// folder).
//
//   add COGNOME NOME NATO CODICEFISCALE TESSERA   prints the new patient's ID
//   import CSV     header line cognome,nome,data_nascita,codice_fiscale,tessera
//                  (";" or "," separated); reports skipped rows by line number
//   list [--json]  one line per patient, or one JSON object
#include <CLI/CLI.hpp>
#include <algorithm>
#include <memory>
#include <ostream>
#include <string>

#include "base/file_system.h"
#include "base/runtime_error.h"
#include "base/text.h"
#include "cli/cli.h"
#include "standin/archive.h"
#include "standin/chart_json.h"
#include "standin/installation.h"
#include "standin/patients_csv.h"

namespace lirvo::cli {
namespace {

struct PatientsArgs {
  std::string install = ".";
  standin::PatientRecord record;
  std::string csv;
  bool json = false;
};

// Opens the archive of the installation, or says why not (exit 2 when there
// is none).
std::shared_ptr<standin::SqliteArchive> OpenArchive(const std::string& install, Context& ctx) {
  const standin::Installation inst(install);
  try {
    return standin::SqliteArchive::Open(inst.ArchiveFile(),
                                        standin::SqliteArchive::OpenMode::kMustExist);
  } catch (const RuntimeError& e) {
    if (e.Number() == kErrFileNotFound) {
      ctx.err << "lirvo patients: no archive at " << inst.ArchiveFile()
              << " (run lirvo init first)\n";
    } else {
      ctx.err << "lirvo patients: " << inst.ArchiveFile() << ": " << e.Number() << " - "
              << e.Description() << '\n';
    }
    ctx.exit_code = e.Number() == kErrFileNotFound ? kExitUsage : kExitFailure;
    return nullptr;
  }
}

void RunAdd(const PatientsArgs& a, Context& ctx) {
  if (std::string why = standin::CheckPatientRecord(a.record); !why.empty()) {
    ctx.err << "lirvo patients add: " << why << '\n';
    ctx.exit_code = kExitUsage;
    return;
  }
  auto archive = OpenArchive(a.install, ctx);
  if (!archive) return;
  try {
    ctx.out << archive->AddPatient(a.record) << '\n';
    ctx.exit_code = kExitOk;
  } catch (const RuntimeError& e) {
    ctx.err << "lirvo patients add: "
            << (e.Number() == kErrDuplicateKey
                    ? "a patient with this tessera or codice fiscale exists"
                    : e.Description())
            << '\n';
    ctx.exit_code = kExitFailure;
  }
}

void RunImport(const PatientsArgs& a, Context& ctx) {
  std::string text;
  try {
    text = RealFileSystem().ReadFile(a.csv);
  } catch (const RuntimeError& e) {
    ctx.err << "lirvo patients import: " << a.csv << ": " << e.Description() << '\n';
    ctx.exit_code = kExitUsage;
    return;
  }
  auto archive = OpenArchive(a.install, ctx);
  if (!archive) return;
  try {
    const auto result = standin::ImportPatientsCsv(*archive, text);
    if (!result.error.empty()) {
      ctx.err << "lirvo patients import: " << a.csv << ": " << result.error << '\n';
      ctx.exit_code = kExitUsage;
      return;
    }
    for (const auto& s : result.skipped) {
      ctx.err << a.csv << ":" << s.line << ": skipped: " << s.reason << '\n';
    }
    ctx.out << result.added.size() << (result.added.size() == 1 ? " patient" : " patients")
            << " imported, " << result.skipped.size()
            << (result.skipped.size() == 1 ? " row" : " rows") << " skipped\n";
    ctx.exit_code = result.skipped.empty() ? kExitOk : kExitFailure;
  } catch (const RuntimeError& e) {
    ctx.err << "lirvo patients import: " << e.Description() << '\n';
    ctx.exit_code = kExitFailure;
  }
}

// Pads `s` with blanks to `width` characters.
std::string Pad(const std::string& s, size_t width) {
  const size_t n = CharCount(s);
  return n >= width ? s : s + std::string(width - n, ' ');
}

void RunList(const PatientsArgs& a, Context& ctx) {
  auto archive = OpenArchive(a.install, ctx);
  if (!archive) return;
  std::vector<standin::PatientRecord> patients;
  try {
    patients = archive->ListPatients();
  } catch (const RuntimeError& e) {
    ctx.err << "lirvo patients list: " << e.Description() << '\n';
    ctx.exit_code = kExitFailure;
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
    rows.push_back(
        {std::to_string(p.id), p.cognome, p.nome, p.data_nascita, p.codice_fiscale, p.tessera});
  }
  std::vector<size_t> width(head.size(), 0);
  for (const auto& r : rows) {
    for (size_t i = 0; i < r.size(); ++i) width[i] = std::max(width[i], CharCount(r[i]));
  }
  for (const auto& r : rows) {
    std::string line;
    for (size_t i = 0; i < r.size(); ++i) line += (i ? "  " : "") + Pad(r[i], width[i]);
    ctx.out << RTrim(line) << '\n';
  }
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
