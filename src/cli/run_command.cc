// lirvo run: a stand-in Clinora without a screen, driven by a script.
#include <sys/stat.h>

#include <CLI/CLI.hpp>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>

#include "base/clock.h"
#include "base/dates.h"
#include "base/file_system.h"
#include "base/files.h"
#include "base/runtime_error.h"
#include "cli/cli.h"
#include "cli/script_runner.h"
#include "standin/archive.h"

namespace lirvo::cli {
namespace {

struct RunOptions {
  std::string install = ".";
  std::optional<std::string> clock;
  std::string script;
  bool text = false;
};

// Why the script cannot be read, "" when it can be tried.
std::string ScriptProblem(const std::string& script) {
  if (script == "-") {
    struct stat st;
    if (::fstat(0, &st) != 0) return "the standard input is closed";
    return S_ISDIR(st.st_mode) ? "the standard input is a folder" : "";
  }
  const PathKind kind = RealFileSystem().KindOf(script);
  return IsReadableKind(kind) ? "" : script + ": " + DescribePathKind(kind);
}

void RunScript(const RunOptions& o, Context& ctx) {
  DateTime now = SystemClock().Now();
  if (o.clock) {
    auto t = ParseClock(*o.clock);
    if (!t) {
      ctx.err << "lirvo run: --clock must read \"dd/mm/yyyy HH:NN:SS\", not \"" << *o.clock
              << "\"\n";
      ctx.exit_code = kExitUsage;
      return;
    }
    now = *t;
  }
  if (const std::string problem = ScriptProblem(o.script); !problem.empty()) {
    ctx.err << "lirvo run: cannot read the script: " << problem << '\n';
    ctx.exit_code = kExitUsage;
    return;
  }
  std::ifstream file;
  std::istream* script = &std::cin;
  if (o.script != "-") {
    file.open(o.script, std::ios::binary);
    if (!file) {
      ctx.err << "lirvo run: cannot read the script: " << o.script << '\n';
      ctx.exit_code = kExitUsage;
      return;
    }
    script = &file;
  }
  std::unique_ptr<ScriptRunner> runner;
  try {
    runner = std::make_unique<ScriptRunner>(o.install, now, ctx.out, o.text);
  } catch (const RuntimeError& e) {
    // A damaged, read-only or locked archive is no reason to lay out a new one.
    const auto* archive = dynamic_cast<const standin::ArchiveError*>(&e);
    if (archive != nullptr && archive->Problem() != standin::ArchiveProblem::kMissing) {
      ctx.err << "lirvo run: " << archive->Explain() << '\n';
      ctx.exit_code = kExitFailure;
      return;
    }
    ctx.err << "lirvo run: " << o.install << ": not an installation (" << e.what()
            << "); make one with lirvo init\n";
    ctx.exit_code = kExitUsage;
    return;
  }
  ctx.exit_code = runner->Run(*script) == 0 ? kExitOk : kExitUsage;
  if (script->bad()) {
    ctx.err << "lirvo run: " << (o.script == "-" ? "the standard input" : o.script)
            << ": cannot read the script (read error)\n";
  }
}

}  // namespace

void AddRunCommand(CLI::App& app, Context& ctx) {
  auto options = std::make_shared<RunOptions>();
  CLI::App* cmd = app.add_subcommand(
      "run", "Drive the plug-in from a script, printing a JSON Lines transcript");
  cmd->add_option("--install", options->install,
                  "The installation folder (made by lirvo init); the current folder by default");
  cmd->add_option("--clock", options->clock,
                  "The plug-in's clock at start, \"dd/mm/yyyy HH:NN:SS\"; the system's by default");
  cmd->add_flag("--text", options->text,
                "Write the transcript for a person to read instead of as JSON Lines");
  cmd->add_option("SCRIPT", options->script, "The script file, or - for the standard input")
      ->required();
  cmd->callback([options, &ctx] { RunScript(*options, ctx); });
}

}  // namespace lirvo::cli
