#include "cli/cli.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <exception>
#include <new>
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
  AddPreviewCommand(app, ctx);
  AddImportCommand(app, ctx);
  AddUnmatchedCommand(app, ctx);
  AddTrascodificaCommand(app, ctx);

  return CheckOutput(out, err, RunApp(app, args, ctx));
}

int RunApp(CLI::App& app, const std::vector<std::string>& args, Context& ctx) {
  try {
    // CLI11 wants the arguments last to first.
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    app.parse(reversed);
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e, ctx.out, ctx.err);
    return code == 0 ? kExitOk : kExitUsage;
  } catch (const std::bad_alloc&) {
    ctx.err << app.get_name() << ": out of memory\n";
    return kExitFailure;
  } catch (const std::exception& e) {
    ctx.err << app.get_name() << ": unexpected error: " << e.what() << '\n';
    return kExitFailure;
  }
  return ctx.exit_code;
}

int CheckOutput(std::ostream& out, std::ostream& err, int code) {
  out.flush();
  if (out.good()) return code;
  err << "lirvo: write error\n";
  err.flush();
  return code == kExitOk ? kExitFailure : code;
}

}  // namespace lirvo::cli
