// `lirvo init DIR [--demo] [--force]`: lays out an installation of the
// stand-in Clinora with the plug-in (plugin/Config.xml, the transcoding table,
// the ribbon icons, documents/, archive.db). `--demo` adds the demo patients,
// a few report bundles and a transcoding table for part of their laboratory
// codes.
#include <CLI/CLI.hpp>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "base/file_error.h"
#include "base/file_system.h"
#include "base/runtime_error.h"
#include "cli/cli.h"
#include "standin/archive.h"
#include "standin/demo_install.h"
#include "standin/installation.h"

namespace lirvo::cli {
namespace {

struct InitArgs {
  std::string dir;
  bool demo = false;
  bool force = false;
};

void RunInit(const InitArgs& a, Context& ctx) {
  FileSystem& fs = RealFileSystem();
  const standin::Installation inst(a.dir);
  if (!a.force && standin::InstallationExists(fs, inst)) {
    ctx.err << "lirvo init: " << inst.Root()
            << " already holds an installation (archive.db or plugin/Config.xml); "
               "use --force to replace them\n";
    ctx.exit_code = kExitFailure;
    return;
  }
  // A failure half-way (a full disk, a read-only folder) removes what this run
  // made, so a second try is not refused as an existing installation.
  standin::LayoutRollback rollback(
      fs, inst, a.demo ? standin::DemoBundleFiles(inst) : std::vector<std::string>{});
  try {
    standin::LayOutInstallation(
        fs, inst, a.force,
        a.demo ? standin::DemoTranscoding() : std::vector<standin::TranscodingEntry>{});
    std::optional<standin::DemoContent> demo;
    if (a.demo) {
      auto archive = standin::SqliteArchive::Open(inst.ArchiveFile(),
                                                  standin::SqliteArchive::OpenMode::kMustExist);
      demo = standin::InstallDemoContent(fs, inst, *archive, a.force);
    }
    ctx.out << "installation laid out in " << inst.Root() << '\n';
    if (demo) {
      ctx.out << demo->patients << " demo patients, " << demo->bundles.size() << " demo bundles in "
              << inst.DocumentsFolder() << ", " << standin::DemoTranscoding().size()
              << " transcoding entries\n";
    }
    ctx.exit_code = kExitOk;
  } catch (const std::exception& e) {
    rollback.Undo();
    ctx.err << "lirvo init: " << DescribeFileFailure(e, inst.Root()) << '\n';
    ctx.exit_code = kExitFailure;
  }
}

}  // namespace

void AddInitCommand(CLI::App& app, Context& ctx) {
  auto args = std::make_shared<InitArgs>();
  CLI::App* cmd = app.add_subcommand("init", "Lay out an installation of the stand-in Clinora");
  cmd->add_option("DIR", args->dir, "The installation folder (made when missing)")->required();
  cmd->add_flag("--demo", args->demo, "Add demo patients, bundles and transcoding entries");
  cmd->add_flag("--force", args->force,
                "Replace an existing Config.xml, transcoding table and archive");
  cmd->callback([args, &ctx] { RunInit(*args, ctx); });
}

}  // namespace lirvo::cli
