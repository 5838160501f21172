// `lirvo chart PATIENT [--json] [--install DIR]`: prints a patient's chart in
// the stand-in Clinora (exams and visits). PATIENT is the patient's ID, or a
// tessera or codice fiscale as the plug-in looks patients up. Control
// characters of the chart are shown as visible escapes.
#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>
#include <string>

#include "base/runtime_error.h"
#include "base/text.h"
#include "cli/archive_access.h"
#include "cli/cli.h"
#include "cli/terminal_text.h"
#include "standin/archive.h"
#include "standin/chart_json.h"
#include "standin/chart_setup.h"
#include "standin/installation.h"

namespace lirvo::cli {
namespace {

struct ChartArgs {
  std::string patient;
  std::string install = ".";
  bool json = false;
};

// The patient's ID, 0 when nobody matches. Blanks around the key do not
// count, whichever side they are on.
int64_t FindPatient(standin::SqliteArchive& archive, std::string_view key) {
  const std::string trimmed(Trim(key));
  auto p = archive.DaiPazienteRegionale(trimmed, false);
  if (!p) p = archive.DaiPazienteRegionale(trimmed, true);
  return p ? std::get<int64_t>(p->ID()) : 0;
}

void RunChart(const ChartArgs& a, Context& ctx) {
  auto archive =
      OpenArchive(a.install, "lirvo chart", standin::SqliteArchive::OpenMode::kReadOnly, ctx);
  if (!archive) return;
  try {
    const int64_t id = FindPatient(*archive, a.patient);
    if (id == 0) {
      ctx.err << "lirvo chart: no patient " << Visible(a.patient) << '\n';
      ctx.exit_code = kExitFailure;
      return;
    }
    if (a.json) {
      ctx.out << standin::ChartToJson(id, archive->Exams(id), archive->Visits(id)).dump() << '\n';
    } else {
      ctx.out << standin::ChartText(*archive, id, Visible);
    }
    ctx.exit_code = kExitOk;
  } catch (const RuntimeError& e) {
    ReportArchiveFailure("lirvo chart", e, ctx);
  }
}

}  // namespace

void AddChartCommand(CLI::App& app, Context& ctx) {
  auto args = std::make_shared<ChartArgs>();
  CLI::App* cmd = app.add_subcommand("chart", "Print a patient's chart in the stand-in Clinora");
  cmd->add_option("PATIENT", args->patient, "The patient's ID, tessera or codice fiscale")
      ->required();
  cmd->add_flag("--json", args->json, "Print one JSON object");
  cmd->add_option("--install", args->install, "The installation folder (default: the current one)");
  cmd->callback([args, &ctx] { RunChart(*args, ctx); });
}

}  // namespace lirvo::cli
