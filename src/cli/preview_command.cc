// `lirvo preview FILE POSITION [--install DIR] [--rtf OUT] [--color WHEN]`:
// the report at POSITION of the bundle FILE as the detail window shows it:
// the patient (the window's subtitle) and the formatted sheet, bold and red
// through ANSI escapes on a terminal; with --rtf the sheet is written as an
// RTF file instead. FILE is a path, or the name of a bundle in the
// installation's documents folder.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <exception>
#include <iostream>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>

#include "base/file_error.h"
#include "base/file_system.h"
#include "base/files.h"
#include "base/runtime_error.h"
#include "base/text.h"
#include "cli/archive_access.h"
#include "cli/bundle_path.h"
#include "cli/cli.h"
#include "cli/terminal_text.h"
#include "controls/rich_text_box.h"
#include "forms/report_preview.h"
#include "reports/bundle_parser.h"
#include "reports/bundle_text.h"

namespace lirvo::cli {
namespace {

constexpr const char* kCommand = "lirvo preview";

struct PreviewArgs {
  std::string file;
  size_t position = 0;
  std::string install = ".";
  std::string rtf;
  std::string color = "auto";
};

// The piece at `position`, parsed; false when there is none or it is no
// report.
bool FindReport(std::string_view text, size_t position, reports::ReportRecord& report) {
  reports::PieceCutter cutter(text);
  std::string_view piece;
  while (cutter.Next(piece)) {
    if (cutter.Index() != position) continue;
    return reports::ParseReport(piece, reports::Layout::Lines, report);
  }
  return false;
}

// The sheet's runs on the terminal: CR LF as a line break, control
// characters made visible, bold and red as ANSI escapes when `ansi`.
void WriteSheet(std::ostream& out, const controls::StyledText& runs, bool ansi) {
  for (const controls::StyledRun& run : runs) {
    const bool red = run.style.color == controls::Rgb(255, 0, 0);
    const std::string on = std::string(run.style.bold ? "\x1b[1m" : "") + (red ? "\x1b[31m" : "");
    const std::vector<std::string_view> lines = Split(run.text, "\r\n");
    for (size_t i = 0; i < lines.size(); ++i) {
      if (i > 0) out << '\n';
      if (lines[i].empty()) continue;
      if (ansi && !on.empty()) {
        out << on << Visible(lines[i]) << "\x1b[0m";
      } else {
        out << Visible(lines[i]);
      }
    }
  }
  out << '\n';
}

bool UseAnsi(const PreviewArgs& a, const Context& ctx) {
  if (a.color == "always") return true;
  if (a.color == "never") return false;
  return &ctx.out == &std::cout && ::isatty(STDOUT_FILENO) == 1;
}

void Fail(Context& ctx, int code, const std::string& message) {
  ctx.err << kCommand << ": " << message << '\n';
  ctx.exit_code = code;
}

void RunPreview(const PreviewArgs& a, Context& ctx) {
  const std::string path = BundlePath(RealFileSystem(), a.install, a.file);
  std::string text;
  try {
    text = reports::LoadBundleText(RealFileSystem(), path);
  } catch (const std::exception& e) {
    return Fail(ctx, kExitUsage, DescribeFileFailure(e, path));
  }
  reports::ReportRecord report;
  if (!FindReport(text, a.position, report)) {
    return Fail(ctx, kExitUsage,
                "no report at position " + std::to_string(a.position) + " of " + Visible(path) +
                    " (it has " + std::to_string(reports::CountPieces(text)) + " pieces)");
  }
  auto archive = OpenArchive(a.install, kCommand, standin::SqliteArchive::OpenMode::kReadOnly, ctx);
  if (!archive) return;
  controls::RichTextBox box("RichTextBox1", {});
  std::string subtitle;
  try {
    const auto patient = archive->DaiPazienteRegionale(report.PatientCode, true);
    if (!patient) {
      return Fail(ctx, kExitUsage,
                  "the patient " + Visible(report.PatientCode) + " of the report at position " +
                      std::to_string(a.position) + " is not in the archive");
    }
    subtitle = forms::ReportSubtitle(*patient);
  } catch (const RuntimeError& e) {
    return ReportArchiveFailure(kCommand, e, ctx);
  }
  if (!forms::BuildReportSheet(report, box)) {
    return Fail(ctx, kExitFailure,
                "the report at position " + std::to_string(a.position) +
                    " has a value line with fewer than five fields; it has no sheet");
  }
  if (!a.rtf.empty()) {
    try {
      box.SaveFile(RealFileSystem(), a.rtf);
    } catch (const std::exception& e) {
      return Fail(ctx, kExitFailure, DescribeFileFailure(e, a.rtf));
    }
    ctx.exit_code = kExitOk;
    return;
  }
  ctx.out << Visible(subtitle) << "\n\n";
  WriteSheet(ctx.out, box.Runs(), UseAnsi(a, ctx));
  ctx.exit_code = kExitOk;
}

}  // namespace

void AddPreviewCommand(CLI::App& app, Context& ctx) {
  auto args = std::make_shared<PreviewArgs>();
  CLI::App* cmd =
      app.add_subcommand("preview", "Show a report of a bundle as the detail window shows it");
  cmd->add_option("FILE", args->file, "The bundle: a path, or a file name in the documents folder")
      ->required();
  cmd->add_option("POSITION", args->position,
                  "The report's position in the bundle (as lirvo parse numbers it)")
      ->required();
  cmd->add_option("--install", args->install, "The installation folder (default: the current one)");
  cmd->add_option("--rtf", args->rtf, "Write the sheet to this RTF file instead");
  cmd->add_option("--color", args->color, "Bold and red on the terminal: auto, always or never")
      ->check(CLI::IsMember({"auto", "always", "never"}));
  cmd->callback([args, &ctx] { RunPreview(*args, ctx); });
}

}  // namespace lirvo::cli
