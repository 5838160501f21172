// The `lirvo` command, runnable in-process: tests call RunLirvo with string
// streams and assert on what it printed.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace lirvo::cli {

// Where a command writes, and the exit status it leaves.
struct Context {
  std::ostream& out;
  std::ostream& err;
  int exit_code = 0;
};

// Exit statuses shared by all commands.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;  // the operation reported failure
inline constexpr int kExitUsage = 2;    // bad arguments, missing or unreadable input

// Runs `lirvo` with `args` (without the program name). Output that could not
// be written (a full disk, /dev/full, a closed pipe) is an error: "lirvo:
// write error" on `err`, and exit status 1 unless the command had failed
// already.
int RunLirvo(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// Flushes `out` and gives `code`, or reports a write error as RunLirvo does.
int CheckOutput(std::ostream& out, std::ostream& err, int code);

// Parses `args` with `app` and runs the chosen command: the exit status it
// left, 2 for bad arguments, 1 when the command let an exception out (out of
// memory included: "lirvo: out of memory"), so the program never ends on an
// uncaught exception.
int RunApp(CLI::App& app, const std::vector<std::string>& args, Context& ctx);

// Each subcommand adds itself to the application.
void AddParseCommand(CLI::App& app, Context& ctx);
void AddRunCommand(CLI::App& app, Context& ctx);
void AddDemoBundleCommand(CLI::App& app, Context& ctx);
void AddCryptoCommand(CLI::App& app, Context& ctx);
void AddInitCommand(CLI::App& app, Context& ctx);
void AddPatientsCommand(CLI::App& app, Context& ctx);
void AddChartCommand(CLI::App& app, Context& ctx);
void AddPreviewCommand(CLI::App& app, Context& ctx);
void AddImportCommand(CLI::App& app, Context& ctx);
void AddUnmatchedCommand(CLI::App& app, Context& ctx);
void AddTrascodificaCommand(CLI::App& app, Context& ctx);

}  // namespace lirvo::cli
