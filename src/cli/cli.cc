#include "cli/cli.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <ostream>

#include "base/trap.h"

namespace lirvo::cli {

int RunLirvo(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  Context ctx{out, err};
  // A routine that trapped an error says so on the error stream; `lirvo run`
  // puts its traps in the transcript instead.
  ScopedTrapSink traps([&err](const Trap& trap) { err << "lirvo: " << TrapLine(trap) << '\n'; });
  CLI::App app{"lirvo: medical report bundles for Clinora, from the command line", "lirvo"};
  app.require_subcommand(1);
  app.set_version_flag("--version", "lirvo 0.1.0");

  AddParseCommand(app, ctx);
  AddRunCommand(app, ctx);
  AddDemoBundleCommand(app, ctx);
  AddCryptoCommand(app, ctx);
  AddInitCommand(app, ctx);
  AddPatientsCommand(app, ctx);
  AddChartCommand(app, ctx);

  // CLI11 wants the arguments last to first.
  std::vector<std::string> reversed(args.rbegin(), args.rend());
  int code = kExitOk;
  try {
    app.parse(reversed);
    code = ctx.exit_code;
  } catch (const CLI::ParseError& e) {
    code = app.exit(e, out, err) == 0 ? kExitOk : kExitUsage;
  }
  return CheckOutput(out, err, code);
}

int CheckOutput(std::ostream& out, std::ostream& err, int code) {
  out.flush();
  if (out.good()) return code;
  err << "lirvo: write error\n";
  err.flush();
  return code == kExitOk ? kExitFailure : code;
}

}  // namespace lirvo::cli
