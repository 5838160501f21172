// `lirvo trascodifica check [--install DIR] [--json] [BUNDLE...]`: what in
// the installation's transcoding table (plugin/TrascodificaLirvo.xml) will
// surprise the people who use it, and which laboratory codes of the given
// bundles it does not translate. Exit 0 when nothing was found, 1 when
// something was, 2 for bad arguments, no installation or a bundle that
// cannot be read.
#include <CLI/CLI.hpp>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <vector>

#include "base/file_error.h"
#include "base/file_system.h"
#include "base/runtime_error.h"
#include "cli/bundle_path.h"
#include "cli/cli.h"
#include "cli/terminal_text.h"
#include "cli/transcoding_check.h"
#include "reports/bundle_text.h"
#include "standin/installation.h"

namespace lirvo::cli {
namespace {

constexpr const char* kCommand = "lirvo trascodifica check";

using Json = nlohmann::ordered_json;
using LabCodes = std::map<std::string, size_t>;

struct CheckArgs {
  std::string install = ".";
  std::vector<std::string> bundles;
  bool json = false;
};

std::string Quoted(const std::string& s) { return '"' + Visible(s) + '"'; }

std::string Count(size_t n, const std::string& one, const std::string& many) {
  return std::to_string(n) + ' ' + (n == 1 ? one : many);
}

const char* ProblemName(TableProblem::Kind kind) {
  switch (kind) {
    case TableProblem::Kind::kRepeatedCode:
      return "repeated-code";
    case TableProblem::Kind::kTooFewValues:
      return "too-few-values";
    case TableProblem::Kind::kEmptyCode:
      return "empty-code";
    case TableProblem::Kind::kBlanksAroundCode:
      return "blanks-around-code";
    case TableProblem::Kind::kEmptyClinoraId:
      return "empty-clinora-id";
  }
  return "";
}

std::string ProblemText(const TableProblem& p) {
  switch (p.kind) {
    case TableProblem::Kind::kRepeatedCode:
      return "repeats the code " + Quoted(p.first_code) + " of entry " +
             std::to_string(p.first_entry) +
             (p.code == p.first_code ? "" : " in another letter case");
    case TableProblem::Kind::kTooFewValues:
      return Count(p.values, "value", "values") + ", 4 expected";
    case TableProblem::Kind::kEmptyCode:
      return "empty code";
    case TableProblem::Kind::kBlanksAroundCode:
      return "blanks around the code: only a value coded with the same blanks finds it";
    case TableProblem::Kind::kEmptyClinoraId:
      return "empty Clinora identifier: its values are saved under no Clinora exam";
  }
  return "";
}

void WriteStop(std::ostream& out, const TranscodingCheck& c) {
  out << "  the plug-in stops reading the table here (error " << c.stop_error << "): ";
  if (c.never_read.size() == 1) {
    out << "entry " << c.stop_entry << " is never read\n";
  } else {
    out << "entries " << c.stop_entry << " to " << c.never_read.back().entry << " are never read:";
    for (size_t i = 0; i < c.never_read.size(); ++i) {
      out << (i == 0 ? " " : ", ") << Quoted(c.never_read[i].code);
    }
    out << '\n';
  }
  out << "  and the look-up that reads the table finds nothing: the first laboratory value of "
         "every import is not translated\n";
}

void WriteMissing(std::ostream& out, const TranscodingCheck& c, const LabCodes& codes) {
  size_t values = 0;
  for (const auto& [code, n] : codes) values += n;
  const std::string all =
      Count(codes.size(), "code", "codes") + ", " + Count(values, "value", "values");
  if (c.missing.empty()) {
    out << "every laboratory code of the bundles is in the table (" << all << ")\n";
    return;
  }
  out << Count(c.missing.size(), "laboratory code", "laboratory codes")
      << " of the bundles not in the table (of " << all << "):\n";
  std::vector<std::vector<std::string>> rows = {{"CODE", "VALUES", "NOTE"}};
  for (const MissingCode& m : c.missing) {
    std::string note;
    if (m.similar_entry != 0) {
      note = "entry " + std::to_string(m.similar_entry) + " has " + Quoted(m.similar_code);
      if (c.stop_entry != 0 && m.similar_entry >= c.stop_entry) note += ", never read";
    }
    rows.push_back({m.code.empty() ? "\"\"" : Visible(m.code), std::to_string(m.values), note});
  }
  WriteColumns(out, rows);
}

void WriteText(std::ostream& out, const TranscodingCheck& c, const LabCodes& codes,
               bool with_bundles) {
  out << "table " << Visible(c.path) << ": ";
  if (!c.unreadable.empty()) {
    out << "cannot be read (" << Visible(c.unreadable) << "); the plug-in translates no code\n";
  } else if (c.stop_entry != 0) {
    out << Count(c.entries, "entry", "entries") << ", the plug-in reads "
        << (c.read == 0 ? "none" : "the first " + std::to_string(c.read)) << '\n';
  } else {
    out << Count(c.entries, "entry", "entries") << '\n';
  }
  for (const TableProblem& p : c.problems) {
    out << "entry " << p.entry << ' ' << Quoted(p.code) << ": " << ProblemText(p) << '\n';
    // The stop follows the first line of its entry: the reason it stops.
    const bool first_of_entry = &p == &c.problems.front() || (&p - 1)->entry != p.entry;
    if (p.entry == c.stop_entry && first_of_entry) WriteStop(out, c);
  }
  if (with_bundles) WriteMissing(out, c, codes);
  if (!c.FoundSomething()) out << "nothing to report\n";
}

Json EntryJson(size_t entry, const std::string& code) { return {{"entry", entry}, {"code", code}}; }

void WriteJson(std::ostream& out, const TranscodingCheck& c) {
  Json j = {{"table", c.path},
            {"error", c.unreadable.empty() ? Json() : Json(c.unreadable)},
            {"entries", c.entries},
            {"read", c.read}};
  if (c.stop_entry == 0) {
    j["stop"] = nullptr;
  } else {
    Json never = Json::array();
    for (const TableEntryCode& e : c.never_read) never.push_back(EntryJson(e.entry, e.code));
    j["stop"] = {{"entry", c.stop_entry}, {"error", c.stop_error}, {"neverRead", never}};
  }
  Json problems = Json::array();
  for (const TableProblem& p : c.problems) {
    Json o = {{"entry", p.entry}, {"code", p.code}, {"problem", ProblemName(p.kind)}};
    if (p.kind == TableProblem::Kind::kRepeatedCode) {
      o["repeats"] = EntryJson(p.first_entry, p.first_code);
    }
    if (p.kind == TableProblem::Kind::kTooFewValues) o["values"] = p.values;
    problems.push_back(std::move(o));
  }
  j["problems"] = std::move(problems);
  Json missing = Json::array();
  for (const MissingCode& m : c.missing) {
    missing.push_back(
        {{"code", m.code},
         {"values", m.values},
         {"similar", m.similar_entry == 0 ? Json() : EntryJson(m.similar_entry, m.similar_code)}});
  }
  j["missing"] = std::move(missing);
  out << j.dump(-1, ' ', false, Json::error_handler_t::replace) << '\n';
}

void RunCheck(const CheckArgs& a, Context& ctx) {
  FileSystem& fs = RealFileSystem();
  const standin::Installation inst(a.install);
  if (!standin::InstallationExists(fs, inst)) {
    ctx.err << kCommand << ": no installation in " << Visible(inst.Root())
            << " (run lirvo init first)\n";
    ctx.exit_code = kExitUsage;
    return;
  }
  LabCodes codes;
  for (const std::string& bundle : a.bundles) {
    const std::string path = BundlePath(fs, a.install, bundle);
    try {
      CountLabCodes(reports::LoadBundleText(fs, path), codes);
    } catch (const RuntimeError& e) {
      ctx.err << kCommand << ": " << Visible(DescribeFileFailure(e, path)) << '\n';
      ctx.exit_code = kExitUsage;
      return;
    }
  }
  const TranscodingCheck check = CheckTranscodingTable(fs, inst.PluginFolder(), codes);
  if (a.json) {
    WriteJson(ctx.out, check);
  } else {
    WriteText(ctx.out, check, codes, !a.bundles.empty());
  }
  ctx.exit_code = check.FoundSomething() ? kExitFailure : kExitOk;
}

}  // namespace

void AddTrascodificaCommand(CLI::App& app, Context& ctx) {
  auto args = std::make_shared<CheckArgs>();
  CLI::App* cmd = app.add_subcommand("trascodifica", "The exam-code transcoding table");
  cmd->require_subcommand(1);
  CLI::App* check =
      cmd->add_subcommand("check", "Find what in the transcoding table will surprise its users");
  check->add_option("BUNDLE", args->bundles,
                    "Bundles whose laboratory codes the table should translate: paths, or file "
                    "names in the documents folder");
  check->add_option("--install", args->install,
                    "The installation folder (default: the current one)");
  check->add_flag("--json", args->json, "Print one JSON object");
  check->callback([args, &ctx] { RunCheck(*args, ctx); });
}

}  // namespace lirvo::cli
