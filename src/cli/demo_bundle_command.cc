// `lirvo demo-bundle OUT [--reports N] [--seed S]`: writes a demo bundle
// (Windows-1252, CR LF) for the demo patients, to try `lirvo parse` on.
#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>
#include <string>

#include "base/cp1252.h"
#include "base/file_error.h"
#include "base/file_system.h"
#include "base/files.h"
#include "cli/cli.h"
#include "demo/demo_data.h"

namespace lirvo::cli {
namespace {

struct DemoBundleArgs {
  std::string out;
  size_t reports = 40;
  uint32_t seed = 1;
};

void RunDemoBundle(const DemoBundleArgs& a, Context& ctx) {
  demo::DemoBundleOptions options;
  options.reports = a.reports;
  options.seed = a.seed;
  try {
    ReplaceFile(RealFileSystem(), a.out, Utf8ToCp1252(demo::MakeDemoBundle(options)));
  } catch (const std::exception& e) {
    ctx.err << "lirvo demo-bundle: " << DescribeFileFailure(e, a.out) << '\n';
    ctx.exit_code = kExitFailure;
    return;
  }
  ctx.out << a.out << ": " << a.reports << (a.reports == 1 ? " report" : " reports") << '\n';
  ctx.exit_code = kExitOk;
}

}  // namespace

void AddDemoBundleCommand(CLI::App& app, Context& ctx) {
  auto args = std::make_shared<DemoBundleArgs>();
  CLI::App* cmd =
      app.add_subcommand("demo-bundle", "Write a demo report bundle for the demo patients");
  cmd->add_option("OUT", args->out,
                  "The bundle file to write (a regular file, replaced when it exists)")
      ->required();
  cmd->add_option("--reports", args->reports, "Number of reports (default 40)")
      ->check(CLI::Range(size_t{1}, size_t{1000000}));
  cmd->add_option("--seed", args->seed, "Seed of the generator (default 1)");
  cmd->callback([args, &ctx] { RunDemoBundle(*args, ctx); });
}

}  // namespace lirvo::cli
