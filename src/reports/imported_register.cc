#include "reports/imported_register.h"

#include <string>

#include "base/cp1252.h"
#include "base/dates.h"
#include "base/file_error.h"
#include "base/files.h"
#include "base/runtime_error.h"
#include "base/text.h"
#include "base/trap.h"
#include "reports/bundle_text.h"

namespace lirvo::reports {
namespace {

// How many names of one second a register operation tries before it gives
// up: far more than a person can make in a second.
constexpr int kMaxNamesPerSecond = 1000;

// Runs `write` with the names of `path` for the current second, counter 1
// first, until one is free; returns the name written. Throws what `write`
// throws for anything but an existing name, and 58 when every name is taken.
template <typename Write>
std::string WriteUnderFreeName(const RegisterFiles& files, const std::string& path,
                               std::string_view ending, Write write) {
  const DateTime now = files.clock.Now();
  for (int counter = 1; counter <= kMaxNamesPerSecond; ++counter) {
    const std::string name = RegisterName(path, now, ending, counter);
    try {
      write(name);
      return name;
    } catch (const RuntimeError& e) {
      if (e.Number() != kErrFileExists) throw;
    }
  }
  throw RuntimeError(kErrFileExists);
}

}  // namespace

bool IsImportedName(std::string_view name) {
  return name.find("Imported") != std::string_view::npos;
}

std::string BaseName(std::string_view path) {
  const size_t dot = path.rfind('.');
  return std::string(dot == std::string_view::npos ? path : path.substr(0, dot));
}

std::string RegisterName(std::string_view path, const DateTime& when, std::string_view ending,
                         int counter) {
  std::string name = BaseName(path) + "_" + FormatStamp(when);
  if (counter > 1) {
    name += '_';
    name += std::to_string(counter);
  }
  name += ending;
  return name;
}

bool MarkBundleImported(const RegisterFiles& files, std::string& current_bundle) {
  if (Contains(current_bundle, kImportedEnding)) return true;
  try {
    // One rename: the bundle is under its old name or under its new one,
    // never under both or neither, and no existing file is replaced.
    current_bundle = WriteUnderFreeName(
        files, current_bundle, kImportedEnding,
        [&](const std::string& name) { files.fs.RenameNoReplace(current_bundle, name); });
    return true;
  } catch (const RuntimeError&) {
    ReportTrap("MarkBundleImported");
    return false;
  }
}

bool SplitOffReport(const RegisterFiles& files, const std::string& current_bundle,
                    std::string_view raw_text, bool imported) {
  try {
    const std::string content = ReadTextFile(files.fs, current_bundle, files.screen);
    std::string record(raw_text);
    if (!record.starts_with(kRecordMarker)) record.insert(0, kRecordMarker);
    // A record of the marker alone would take every marker out of the bundle.
    if (record.size() == kRecordMarker.size() || !Contains(content, record)) return false;
    const std::string rest = Replace(content, record, "");

    // The report's own file first, so that the report is on the disk before
    // it leaves the bundle.
    std::string report_file;
    try {
      const std::string bytes = Utf8ToCp1252(record);
      report_file = WriteUnderFreeName(
          files, current_bundle, imported ? kImportedEnding : kDiscardedEnding,
          [&](const std::string& name) { CreateNewFile(files.fs, name, bytes); });
    } catch (const RuntimeError&) {
      ReportTrap("SplitOffReport");
    }
    if (!WriteTextFile(files.fs, current_bundle, rest, files.screen)) {
      if (!report_file.empty()) DeleteFileForced(files.fs, report_file);
      return false;
    }
    return true;
  } catch (const RuntimeError&) {
    ReportTrap("SplitOffReport");
    return false;
  }
}

}  // namespace lirvo::reports
