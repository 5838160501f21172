// `lirvo parse FILE`: reads a bundle file and shows its reports, as a listing
// for people, as JSON for other tools (--json) or as counts (--stats).
#include <CLI/CLI.hpp>
#include <exception>
#include <ostream>
#include <string>
#include <string_view>

#include "base/file_error.h"
#include "base/file_system.h"
#include "base/runtime_error.h"
#include "base/text.h"
#include "cli/cli.h"
#include "reports/bundle_parser.h"
#include "reports/bundle_text.h"

namespace lirvo::cli {
namespace {

using reports::Layout;
using reports::ReportRecord;

struct ParseOptions {
  std::string file;
  bool json = false;
  bool stats = false;
  std::string layout = "lines";
};

// Writes `s` as a JSON string, quotes included. The text is UTF-8 decoded
// from Windows-1252, so only quotes, backslashes and control characters need
// escaping.
void WriteJsonString(std::ostream& out, std::string_view s) {
  static constexpr char kHex[] = "0123456789abcdef";
  out.put('"');
  size_t run = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c >= 0x20 && c != '"' && c != '\\') continue;
    out.write(s.data() + run, static_cast<std::streamsize>(i - run));
    run = i + 1;
    switch (c) {
      case '"':
        out << "\\\"";
        break;
      case '\\':
        out << "\\\\";
        break;
      case '\n':
        out << "\\n";
        break;
      case '\r':
        out << "\\r";
        break;
      case '\t':
        out << "\\t";
        break;
      case '\b':
        out << "\\b";
        break;
      case '\f':
        out << "\\f";
        break;
      default:
        out << "\\u00" << kHex[c >> 4] << kHex[c & 15];
        break;
    }
  }
  out.write(s.data() + run, static_cast<std::streamsize>(s.size() - run));
  out.put('"');
}

void WriteJsonReport(std::ostream& out, size_t position, std::string_view raw,
                     const ReportRecord& r) {
  out << "{\"position\":" << position << ",\"patientCode\":";
  WriteJsonString(out, r.PatientCode);
  out << ",\"kind\":";
  WriteJsonString(out, r.Kind);
  out << ",\"examCodes\":";
  WriteJsonString(out, r.ExamCodes);
  out << ",\"examDescriptions\":";
  WriteJsonString(out, r.ExamDescriptions);
  out << ",\"reportDate\":";
  WriteJsonString(out, r.ReportDate);
  out << ",\"checkInDate\":";
  WriteJsonString(out, r.CheckInDate);
  out << ",\"outOfRange\":" << (r.OutOfRange ? "true" : "false") << ",\"body\":";
  WriteJsonString(out, r.Body);
  out << ",\"rawText\":";
  WriteJsonString(out, raw);
  out << '}';
}

void WriteJson(std::ostream& out, std::string_view text, Layout layout) {
  out << "{\"pieces\":" << reports::CountPieces(text) << ",\"reports\":[";
  reports::PieceCutter cutter(text);
  std::string_view piece;
  ReportRecord record;
  bool first = true;
  while (cutter.Next(piece)) {
    if (!reports::ParseReport(piece, layout, record)) continue;
    out << (first ? "\n" : ",\n");
    first = false;
    WriteJsonReport(out, cutter.Index(), piece, record);
  }
  out << (first ? "]}\n" : "\n]}\n");
}

void WriteStats(std::ostream& out, std::string_view text) {
  size_t pieces = 0, reports = 0, text_reports = 0, lab_reports = 0, values = 0, out_of_range = 0;
  reports::PieceCutter cutter(text);
  std::string_view piece;
  ReportRecord record;
  while (cutter.Next(piece)) {
    ++pieces;
    int lab_values = 0;
    if (!reports::ParseReport(piece, Layout::Lines, record, &lab_values)) continue;
    ++reports;
    (record.Kind == "L" ? lab_reports : text_reports) += 1;
    values += static_cast<size_t>(lab_values);
    if (record.OutOfRange) ++out_of_range;
  }
  out << "pieces: " << pieces << '\n'
      << "reports: " << reports << '\n'
      << "text reports: " << text_reports << '\n'
      << "laboratory reports: " << lab_reports << '\n'
      << "lab values: " << values << '\n'
      << "out of range: " << out_of_range << '\n';
}

// `s` cut to `width` characters, with "..." when it was longer.
std::string Shorten(std::string_view s, size_t width) {
  if (CharCount(s) <= width) return std::string(s);
  return std::string(Left(s, width - 3)) + "...";
}

void WriteListing(std::ostream& out, std::string_view text) {
  const size_t pieces = reports::CountPieces(text);
  size_t count = 0;
  reports::PieceCutter cutter(text);
  std::string_view piece;
  ReportRecord record;
  while (cutter.Next(piece)) {
    if (!reports::ParseReport(piece, Layout::Inline, record)) continue;
    ++count;
    out << '#' << cutter.Index() << "  " << (record.PatientCode.empty() ? "-" : record.PatientCode)
        << "  " << (record.Kind == "L" ? "laboratory" : "text") << "  report " << record.ReportDate
        << "  check-in " << record.CheckInDate;
    if (!record.ExamCodes.empty()) out << "  exams " << record.ExamCodes;
    if (record.OutOfRange) out << "  OUT OF RANGE";
    out << "\n    " << Shorten(record.Body, 72) << '\n';
  }
  out << count << (count == 1 ? " report" : " reports") << " in " << pieces
      << (pieces == 1 ? " piece" : " pieces") << '\n';
}

void RunParse(const ParseOptions& o, Context& ctx) {
  std::string text;
  try {
    text = reports::LoadBundleText(RealFileSystem(), o.file);
  } catch (const RuntimeError& e) {
    ctx.err << "lirvo parse: " << DescribeFileFailure(e, o.file) << '\n';
    ctx.exit_code = kExitUsage;
    return;
  } catch (const std::exception& e) {  // a file too large for the memory
    ctx.err << "lirvo parse: " << o.file << ": " << e.what() << '\n';
    ctx.exit_code = kExitFailure;
    return;
  }
  if (o.stats) {
    WriteStats(ctx.out, text);
  } else if (o.json) {
    WriteJson(ctx.out, text, o.layout == "inline" ? Layout::Inline : Layout::Lines);
  } else {
    WriteListing(ctx.out, text);
  }
  ctx.out.flush();
  ctx.exit_code = kExitOk;
}

}  // namespace

void AddParseCommand(CLI::App& app, Context& ctx) {
  auto options = std::make_shared<ParseOptions>();
  CLI::App* cmd = app.add_subcommand("parse", "Read a report bundle (.dat) and show its reports");
  cmd->add_option("FILE", options->file, "The bundle file (Windows-1252)")->required();
  CLI::Option* json = cmd->add_flag("--json", options->json, "Print the reports as JSON");
  cmd->add_flag("--stats", options->stats, "Print only counts")->excludes(json);
  cmd->add_option("--layout", options->layout, "Body layout of the JSON: lines (default) or inline")
      ->check(CLI::IsMember({"inline", "lines"}));
  cmd->callback([options, &ctx] { RunParse(*options, ctx); });
}

}  // namespace lirvo::cli
