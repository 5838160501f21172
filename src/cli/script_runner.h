// The interpreter of `lirvo run`: a stand-in Clinora without a screen that
// creates the plug-in, sends it the events a script names, plays the person
// in front of the screen through the scripted Ui, and prints a transcript of
// everything a person would have seen as JSON Lines. The language and the
// transcript are documented in docs/script.md.
#pragma once

#include <functional>
#include <iosfwd>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/dates.h"
#include "base/file_system.h"
#include "host/host.h"

namespace lirvo::standin {
class StandinHost;
}

namespace lirvo::cli {

// The words of one script line: separated by blanks (spaces and tabs),
// double quotes group words (a doubled quote inside quotes is one quote).
// An empty result for a blank or comment ("#") line. Nothing, with `error`
// set, for an unterminated quote.
std::optional<std::vector<std::string>> SplitScriptLine(std::string_view line, std::string* error);

// A clock setting, "dd/mm/yyyy HH:NN:SS" (blanks around it allowed); nothing
// for anything else, a date without its time included.
std::optional<DateTime> ParseClock(std::string_view text);

// The longest script line read (a longer one is an error: a script that is
// not text, such as /dev/zero, does not fill the memory).
inline constexpr size_t kMaxScriptLine = 1 << 20;

// What a caller can put under a runner in place of the real thing.
struct RunnerSeams {
  FileSystem* fs = nullptr;  // the disk when null
  // Called at the start of every save of a chart, before the archive writes.
  std::function<void()> before_chart_save;
  // Gets every transcript object instead of the output stream.
  std::function<void(const nlohmann::ordered_json&)> transcript;
  // The archive opened for reading only: every write of it fails.
  bool read_only_archive = false;
  // The archive to open instead of the installation's (a copy), when set.
  std::string archive_file;
  // The host the plug-in is given in its events, made from the stand-in
  // host (which keeps serving the script's own commands); the stand-in host
  // itself when null.
  std::function<std::shared_ptr<host::HostApp>(const std::shared_ptr<standin::StandinHost>&)>
      plugin_host;
};

class ScriptRunner {
 public:
  // Opens the installation at `install_folder` (its archive must exist) with
  // the plug-in's clock at `now`; the transcript goes to `out`. Throws
  // RuntimeError when the installation cannot be opened.
  // With `readable`, the transcript is written for a person
  // (TranscriptText) instead of as JSON Lines.
  ScriptRunner(const std::string& install_folder, DateTime now, std::ostream& out,
               bool readable = false, RunnerSeams seams = {});
  ~ScriptRunner();
  ScriptRunner(const ScriptRunner&) = delete;
  ScriptRunner& operator=(const ScriptRunner&) = delete;

  // Runs every line of `script` (a UTF-8 byte-order mark at its start is
  // skipped). Stops at the first line it cannot run, at a line longer than
  // kMaxScriptLine or at a read error, after printing
  // {"type":"error","line":N,"message":...}; stops quietly when the
  // transcript can no longer be written. Returns the exit status: 0, or 2
  // after an error line.
  int Run(std::istream& script);

  // Runs one line (numbered `number` in the transcript). False when the line
  // could not run; its error has been printed.
  bool RunLine(int number, std::string_view line);

  // The documents folder the plug-in works in: its configuration's, else the
  // installation's.
  std::string DocumentsFolder() const;

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace lirvo::cli
