#include "cli/script_runner.h"

#include <algorithm>
#include <charconv>
#include <istream>
#include <map>
#include <nlohmann/json.hpp>
#include <ostream>
#include <set>

#include "base/clock.h"
#include "base/file_system.h"
#include "base/runtime_error.h"
#include "base/text.h"
#include "base/trap.h"
#include "base/utf8.h"
#include "cli/main_window_driver.h"
#include "cli/transcript_text.h"
#include "controls/scripted_ui.h"
#include "host/variant.h"
#include "plugin/cls_config.h"
#include "plugin/plugin.h"
#include "standin/chart_json.h"
#include "standin/host_form.h"
#include "standin/standin_host.h"

namespace lirvo::cli {
namespace {

using Json = nlohmann::ordered_json;
using Words = std::vector<std::string>;

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// A line the script cannot run; its message goes into the transcript.
struct ScriptError {
  std::string message;
};

[[noreturn]] void Fail(std::string message) { throw ScriptError{std::move(message)}; }

std::optional<int64_t> ParseWhole(std::string_view s) {
  int64_t value = 0;
  const char* first = s.data();
  const char* last = s.data() + s.size();
  if (!s.empty() && *first == '+') ++first;
  if (first == last) return std::nullopt;
  auto [ptr, ec] = std::from_chars(first, last, value);
  if (ec != std::errc() || ptr != last) return std::nullopt;
  return value;
}

int64_t WholeOrFail(std::string_view s, const char* what) {
  auto v = ParseWhole(s);
  if (!v) Fail(std::string(what) + " must be a whole number: \"" + std::string(s) + "\"");
  return *v;
}

void NeedWords(const Words& w, size_t min, size_t max, const char* usage) {
  if (w.size() < min || w.size() > max) Fail(std::string("usage: ") + usage);
}

// The transcript form of a Ui event: the members a reader looks at first in
// a fixed order, then the rest as recorded.
Json FromUiEvent(const nlohmann::json& event) {
  static const char* const kOrder[] = {"type",    "form",   "caption", "what",   "style",
                                       "flags",   "title",  "labels",  "folder", "landscape",
                                       "columns", "rows",   "dc",      "text",   "items",
                                       "start",   "action", "ok",      "queued"};
  Json j;
  for (const char* key : kOrder) {
    if (event.contains(key)) j[key] = event[key];
  }
  for (const auto& [key, value] : event.items()) {
    if (!j.contains(key)) j[key] = value;
  }
  return j;
}

}  // namespace

std::optional<std::vector<std::string>> SplitScriptLine(std::string_view line, std::string* error) {
  std::vector<std::string> words;
  size_t i = 0;
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (i < line.size() && blank(line[i])) ++i;
  if (i < line.size() && line[i] == '#') return words;
  while (i < line.size()) {
    if (blank(line[i])) {
      ++i;
      continue;
    }
    std::string word;
    while (i < line.size() && !blank(line[i])) {
      if (line[i] != '"') {
        word.push_back(line[i++]);
        continue;
      }
      ++i;  // opening quote: up to the closing one, blanks included
      while (true) {
        if (i >= line.size()) {
          if (error) *error = "unterminated quote";
          return std::nullopt;
        }
        if (line[i] == '"') {
          if (i + 1 < line.size() && line[i + 1] == '"') {
            word.push_back('"');
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        word.push_back(line[i++]);
      }
    }
    words.push_back(std::move(word));
  }
  return words;
}

std::optional<DateTime> ParseClock(std::string_view text) {
  const size_t space = Trim(text).find(' ');
  if (space == std::string_view::npos) return std::nullopt;
  const std::string_view time = Trim(text).substr(space);
  if (std::count(time.begin(), time.end(), ':') != 2) return std::nullopt;
  return ParseDateTime(text);
}

class ScriptRunner::Impl {
 public:
  Impl(const std::string& install_folder, DateTime now, std::ostream& out, bool readable,
       RunnerSeams& seams)
      : out_(out),
        readable_(readable),
        clock_(now),
        ui_([this](const nlohmann::json& event) { Print(FromUiEvent(event)); }),
        fs_(seams.fs ? *seams.fs : RealFileSystem()),
        host_(std::make_shared<standin::StandinHost>(
            install_folder, ui_, fs_,
            seams.read_only_archive ? standin::SqliteArchive::OpenMode::kReadOnly
                                    : standin::SqliteArchive::OpenMode::kMustExist,
            seams.archive_file)),
        plugin_host_(seams.plugin_host ? seams.plugin_host(host_) : host_),
        sink_(std::move(seams.transcript)),
        plugin_(plugin::Services{&ui_, &fs_, &clock_, host_->GetInstallation().PluginFolder()}),
        window_(plugin_.State().Windows()),
        trap_sink_([this](const Trap& trap) {
          Print({{"type", "trap"},
                 {"where", trap.where},
                 {"number", trap.number},
                 {"description", trap.description}});
        }) {
    host_->Framework().SetCallHook(
        [this](const std::string& call, std::vector<host::Variant> args) {
          if (call == "Popup") return;  // the Ui's "popup" line shows it
          Json j;
          try {
            j = standin::HostCallToJson(call, args);
          } catch (...) {
            j = {{"type", "host"}, {"call", call}, {"args", Json::array()}};
            for (const auto& a : args) j["args"].push_back(SanitizeUtf8(host::Describe(a)));
          }
          Print(j);
        });
    window_.SetProgressSink([this](const Json& j) { Print(j); });
  }

  void Print(const Json& j) {
    if (sink_) {
      sink_(j);
    } else if (readable_) {
      out_ << TranscriptText(j);
    } else {
      out_ << j.dump(-1, ' ', false, Json::error_handler_t::replace) << '\n';
    }
    out_.flush();
  }

  bool OutputGood() const { return out_.good(); }

  std::string DocumentsFolder() const;

  void ForTestingBeforeEachChartSave(std::function<void()> hook) {
    host_->Archive().ForTestingBeforeEachChartSave(std::move(hook));
  }

  void Run(const Words& w);

  // Answers queued for questions that never came, so a script's author
  // sees them: {"type":"unused","answers":N,"popups":N,"folders":N,
  // "modal_actions":N,"printers":N}, only when something is left.
  void ReportUnusedAnswers() {
    const size_t answers = ui_.PendingAnswers(), popups = ui_.PendingPopups(),
                 folders = ui_.PendingFolders(), modals = ui_.PendingModalActions(),
                 printers = ui_.PendingPrinters();
    if (answers + popups + folders + modals + printers == 0) return;
    Print({{"type", "unused"},
           {"answers", answers},
           {"popups", popups},
           {"folders", folders},
           {"modal_actions", modals},
           {"printers", printers}});
  }

 private:
  void Event(const Words& w);
  void AfterHostEvent(const std::shared_ptr<standin::StandinChildForm>& active_before);
  void Answer(const Words& w);
  void Patient(const Words& w);
  void Chart(const Words& w);
  void SetClock(const Words& w);
  void Dump(const Words& w);
  Json RibbonJson() const;
  Json FilesJson() const;
  Json ConfigJson() const;
  void RememberKeys();
  void ClickTab(const std::string& caption);

  std::ostream& out_;
  bool readable_;
  FixedClock clock_;
  ui::ScriptedUi ui_;
  FileSystem& fs_;
  std::shared_ptr<standin::StandinHost> host_;
  std::shared_ptr<host::HostApp> plugin_host_;  // what the plug-in's events carry
  std::function<void(const Json&)> sink_;
  plugin::Plugin plugin_;
  MainWindowDriver window_;
  std::map<int32_t, std::string> keys_;  // command identifier -> key, as the plug-in issued them
  ScopedTrapSink trap_sink_;             // every trap becomes a transcript object
};

void ScriptRunner::Impl::Run(const Words& w) {
  const std::string& command = w[0];
  if (command == "event") {
    Event(w);
  } else if (command == "answer") {
    Answer(w);
  } else if (command == "popup") {
    NeedWords(w, 2, 2, "popup N");
    const int64_t n = WholeOrFail(w[1], "the pop-up choice");
    if (n < 0 || n > 1000) Fail("the pop-up choice must be 0 or an item number");
    ui_.QueuePopup(static_cast<int>(n));
  } else if (command == "choose") {
    NeedWords(w, 2, 2, "choose NAME|cancel");
    ui_.QueueModalAction({"frmGetBundle", {w[1] == "cancel" ? "cancel" : "choose " + w[1]}});
  } else if (command == "modal") {
    NeedWords(w, 3, 1000, "modal FORM ACTION [ACTION...]");
    ui_.QueueModalAction({w[1], Words(w.begin() + 2, w.end())});
  } else if (command == "browse") {
    NeedWords(w, 2, 2, "browse FOLDER|cancel");
    ui_.QueueFolder(w[1] == "cancel" ? std::nullopt : std::optional<std::string>(w[1]));
  } else if (command == "select") {
    NeedWords(w, 2, 1000, "select POSITION... | select patient ID");
    if (w[1] == "patient") {
      NeedWords(w, 3, 3, "select patient ID");
      window_.SelectPatient(w[2]);
    } else {
      window_.Select(Words(w.begin() + 1, w.end()));
    }
  } else if (command == "printer") {
    NeedWords(w, 2, 2, "printer ok|cancel");
    if (w[1] != "ok" && w[1] != "cancel") Fail("usage: printer ok|cancel");
    ui_.QueuePrinter(w[1] == "ok");
  } else if (command == "printfail") {
    NeedWords(w, 1, 1, "printfail");
    ui_.QueuePrintFailure();
  } else if (command == "rightclick") {
    NeedWords(w, 1, 1, "rightclick");
    window_.RightClick();
  } else if (command == "link") {
    NeedWords(w, 2, 3, "link POSITION | link patient ID");
    if (w.size() == 3) {
      if (w[1] != "patient") Fail("usage: link POSITION | link patient ID");
      window_.PatientLink(w[2]);
    } else {
      window_.ReportLink(w[1]);
    }
  } else if (command == "search") {
    NeedWords(w, 2, 2, "search TEXT");
    window_.Search(w[1]);
  } else if (command == "patient") {
    Patient(w);
  } else if (command == "chart") {
    Chart(w);
  } else if (command == "clock") {
    SetClock(w);
  } else if (command == "dump") {
    Dump(w);
  } else {
    Fail("unknown command \"" + command + "\"");
  }
  window_.Attach();  // a main window that has just opened starts reporting its progress bar
}

void ScriptRunner::Impl::Event(const Words& w) {
  NeedWords(w, 2, 3, "event NAME [ARG]");
  const std::string name = LCase(w[1]);
  host::ParamArray param = host::ParamArray::Of({});
  if (w.size() == 3) {
    host::Variant arg = w[2];
    if (name == plugin::kEventFormLoad) {
      arg =
          std::shared_ptr<host::Dispatch>(std::make_shared<standin::HostForm>(host::Variant{w[2]}));
    } else if (name == plugin::kEventExecute) {
      if (auto id = ParseWhole(w[2])) {
        arg = *id;
      } else {
        RememberKeys();
        for (const auto& [id_of_key, key] : keys_) {
          if (EqualsText(key, w[2])) arg = int64_t{id_of_key};
        }
      }
    } else if (name == plugin::kEventActiveTab) {
      ClickTab(w[2]);
    }
    param = host::ParamArray::Of({arg});
  }
  auto active_before = host_->Framework().ActiveChild();
  plugin_.Evento(w[1], plugin_host_, param);
  AfterHostEvent(active_before);
}

// What the host does once an event has returned: a child window that has
// just become the active one is told so (its form's activation).
void ScriptRunner::Impl::AfterHostEvent(
    const std::shared_ptr<standin::StandinChildForm>& active_before) {
  RememberKeys();
  auto active = host_->Framework().ActiveChild();
  if (!active || active == active_before || !active->Form()) return;
  window_.Attach();
  try {
    active->Form()->Activate();
  } catch (const RuntimeError& e) {
    Print({{"type", "runtime_error"}, {"number", e.Number()}, {"description", e.Description()}});
  }
}

// The person clicks a ribbon tab before the host tells the plug-in: a tab
// that the ribbon has becomes the active one.
void ScriptRunner::Impl::ClickTab(const std::string& caption) {
  auto& fw = host_->Framework();
  if (caption == standin::kMainTabCaption) {
    fw.ActivateTab(caption);
    return;
  }
  for (const auto& tab : fw.Tabs()) {
    if (tab->Caption() == caption) {
      fw.ActivateTab(caption);
      return;
    }
  }
}

void ScriptRunner::Impl::RememberKeys() {
  const auto& config = plugin_.State().AppConfig();
  if (!config || !config->BuiltServices()) return;
  for (const auto& item : config->BuiltServices()->Items()) {
    if (item && item->ID != 0) keys_[item->ID] = item->Key;
  }
}

void ScriptRunner::Impl::Answer(const Words& w) {
  NeedWords(w, 2, 2, "answer yes|no|ok");
  if (w[1] == "yes") {
    ui_.QueueAnswer(ui::kAnswerYes);
  } else if (w[1] == "no") {
    ui_.QueueAnswer(ui::kAnswerNo);
  } else if (w[1] == "ok") {
    ui_.QueueAnswer(ui::kAnswerOk);
  } else {
    Fail("usage: answer yes|no|ok");
  }
}

void ScriptRunner::Impl::Patient(const Words& w) {
  NeedWords(w, 7, 7, "patient add COGNOME NOME NATO CODICEFISCALE TESSERA");
  if (w[1] != "add") Fail("usage: patient add COGNOME NOME NATO CODICEFISCALE TESSERA");
  standin::PatientRecord p;
  p.cognome = w[2];
  p.nome = w[3];
  p.data_nascita = w[4];
  p.codice_fiscale = w[5];
  p.tessera = w[6];
  const auto outcome = host_->Archive().AddPatients({p}).front();
  if (outcome.kind == standin::AddPatientOutcome::kRefused) Fail(outcome.reason);
  if (outcome.kind == standin::AddPatientOutcome::kDuplicate) {
    Fail("another patient has the same regional code or codice fiscale");
  }
  Print({{"type", "patient"}, {"id", outcome.id}});
}

void ScriptRunner::Impl::Chart(const Words& w) {
  if (w.size() >= 2 && w[1] == "add-exam") {
    NeedWords(w, 7, 7, "chart add-exam ID DATA IDRIF1 IDRIF4 T1");
    host::ExamSaveArgs args;
    args.a3_report_date = w[3];
    args.a5_clinora_id = w[4];
    args.a24_code = w[5];
    args.a8_value = w[6];
    if (!host_->Archive().SaveExam(WholeOrFail(w[2], "the patient ID"), args)) {
      Fail("the archive refused the exam (unknown patient or a date that is not dd/mm/yyyy)");
    }
  } else if (w.size() >= 2 && w[1] == "add-visit") {
    NeedWords(w, 5, 5, "chart add-visit ID DATA IDRIF4");
    host::VisitSaveArgs args;
    args.a5_report_date = w[3];
    args.a14_reference = w[4];
    if (!host_->Archive().SaveVisit(WholeOrFail(w[2], "the patient ID"), args)) {
      Fail("the archive refused the visit (unknown patient or a date that is not dd/mm/yyyy)");
    }
  } else if (w.size() >= 2 && w[1] == "saves") {
    // The next saves' answers, in call order: "ok" saves as usual, "false"
    // and "null" refuse (the host answers False or Null and stores nothing).
    NeedWords(w, 3, 1000, "chart saves ok|false|null ...");
    std::vector<host::Variant> results;
    for (size_t i = 2; i < w.size(); ++i) {
      if (w[i] == "ok") {
        results.emplace_back(host::Empty{});
      } else if (w[i] == "false") {
        results.emplace_back(false);
      } else if (w[i] == "null") {
        results.emplace_back(host::Null{});
      } else {
        Fail("usage: chart saves ok|false|null ...");
      }
    }
    host_->Archive().ForTestingScriptSaveResults(std::move(results));
  } else {
    Fail(
        "usage: chart add-exam ID DATA IDRIF1 IDRIF4 T1 | chart add-visit ID DATA IDRIF4 | chart "
        "saves ok|false|null ...");
  }
}

void ScriptRunner::Impl::SetClock(const Words& w) {
  NeedWords(w, 2, 2, "clock \"dd/mm/yyyy HH:NN:SS\" | clock +SECONDS");
  if (!w[1].empty() && w[1][0] == '+') {
    clock_.Advance(WholeOrFail(w[1], "the seconds"));
    return;
  }
  auto t = ParseClock(w[1]);
  if (!t) Fail("the clock must read \"dd/mm/yyyy HH:NN:SS\" or +SECONDS");
  clock_.Set(*t);
}

void ScriptRunner::Impl::Dump(const Words& w) {
  const char* usage = "dump ribbon|grid|files|config|chart ID";
  NeedWords(w, 2, 3, usage);
  const std::string& what = w[1];
  if (what == "chart") {
    NeedWords(w, 3, 3, usage);
    const int64_t id = WholeOrFail(w[2], "the patient ID");
    auto& archive = host_->Archive();
    if (!archive.FindPatient(id)) Fail("no patient " + std::to_string(id) + " in the archive");
    Print(standin::ChartToJson(id, archive.Exams(id), archive.Visits(id)));
    return;
  }
  NeedWords(w, 2, 2, usage);
  if (what == "ribbon") {
    Print(RibbonJson());
  } else if (what == "grid") {
    Print(window_.GridJson());
  } else if (what == "files") {
    Print(FilesJson());
  } else if (what == "config") {
    Print(ConfigJson());
  } else {
    Fail(std::string("usage: ") + usage);
  }
}

Json ScriptRunner::Impl::RibbonJson() const {
  const auto& fw = host_->Framework();
  Json controls = Json::array();
  for (const auto& tab : fw.Tabs()) {
    for (const auto& group : tab->Groups()) {
      for (const auto& c : group->Controls()) {
        auto key = keys_.find(c->CommandId());
        Json j;
        j["tab"] = tab->Caption();
        j["group"] = group->Caption();
        j["key"] = key == keys_.end() ? "" : key->second;
        j["caption"] = c->Caption();
        j["tooltip"] = c->Tooltip();
        j["icon"] = fw.IconOf(c->CommandId());
        j["flag"] = c->Flag();
        j["enabled"] = c->Enabled();
        j["visible"] = c->Visible();
        controls.push_back(std::move(j));
      }
    }
  }
  return {{"type", "ribbon"}, {"active_tab", fw.ActiveTab()}, {"controls", std::move(controls)}};
}

std::string ScriptRunner::Impl::DocumentsFolder() const {
  const auto& config = plugin_.State().AppConfig();
  if (config && !config->DocumentsFolder().empty()) return config->DocumentsFolder();
  return host_->GetInstallation().DocumentsFolder();
}

Json ScriptRunner::Impl::FilesJson() const {
  const std::string folder = DocumentsFolder();
  std::vector<std::string> names;
  try {
    for (const auto& e : RealFileSystem().ListDirectory(folder)) {
      if (!e.is_directory) names.push_back(e.name);
    }
  } catch (const RuntimeError& e) {
    Fail("cannot list the documents folder " + folder + " (" + e.what() + ")");
  }
  std::sort(names.begin(), names.end());
  Json list = Json::array();
  for (const auto& n : names) list.push_back(SanitizeUtf8(n));
  return {{"type", "files"}, {"folder", SanitizeUtf8(folder)}, {"names", std::move(list)}};
}

Json ScriptRunner::Impl::ConfigJson() const {
  const auto& state = plugin_.State();
  const auto& config = state.AppConfig();
  Json j;
  j["type"] = "config";
  j["stopped"] = plugin_.Stopped();
  j["registered"] = config != nullptr;
  if (config) {
    j["file"] = SanitizeUtf8(config->Filename());
    j["product"] = SanitizeUtf8(config->ProductName());
    j["documents_folder"] = SanitizeUtf8(config->DocumentsFolder());
    j["last_error"] = SanitizeUtf8(config->LastError());
  }
  j["current_bundle"] = SanitizeUtf8(state.CurrentBundle());
  return j;
}

// ---- ScriptRunner -------------------------------------------------------------

ScriptRunner::ScriptRunner(const std::string& install_folder, DateTime now, std::ostream& out,
                           bool readable, RunnerSeams seams)
    : impl_(std::make_unique<Impl>(install_folder, now, out, readable, seams)) {
  if (seams.before_chart_save)
    impl_->ForTestingBeforeEachChartSave(std::move(seams.before_chart_save));
}

ScriptRunner::~ScriptRunner() = default;

std::string ScriptRunner::DocumentsFolder() const { return impl_->DocumentsFolder(); }

bool ScriptRunner::RunLine(int number, std::string_view line) {
  std::string error;
  auto words = SplitScriptLine(line, &error);
  try {
    if (!words) Fail(error);
    if (words->empty()) return true;
    impl_->Run(*words);
    return true;
  } catch (const ScriptError& e) {
    error = e.message;
  } catch (const RuntimeError& e) {
    error = e.what();
  } catch (const std::exception& e) {
    error = e.what();
  }
  impl_->Print({{"type", "error"}, {"line", number}, {"message", SanitizeUtf8(error)}});
  return false;
}

namespace {

enum class LineRead { kLine, kEnd, kTooLong };

// The next line of `in`, without its line break. A read error ends the
// script with badbit set on `in`.
LineRead ReadScriptLine(std::istream& in, std::string& line) {
  line.clear();
  std::streambuf* buf = in.rdbuf();
  try {
    while (true) {
      const int c = buf->sbumpc();
      if (c == std::char_traits<char>::eof()) {
        if (!line.empty()) return LineRead::kLine;
        in.setstate(std::ios::eofbit);
        return LineRead::kEnd;
      }
      if (c == '\n') return LineRead::kLine;
      if (line.size() >= kMaxScriptLine) return LineRead::kTooLong;
      line.push_back(static_cast<char>(c));
    }
  } catch (...) {
    in.setstate(std::ios::badbit);
    return LineRead::kEnd;
  }
}

}  // namespace

int ScriptRunner::Run(std::istream& script) {
  std::string line;
  int number = 0;
  while (true) {
    const LineRead read = ReadScriptLine(script, line);
    if (read == LineRead::kEnd) break;
    ++number;
    if (read == LineRead::kTooLong) {
      impl_->Print(
          {{"type", "error"},
           {"line", number},
           {"message", "the line is longer than " + std::to_string(kMaxScriptLine) + " bytes"}});
      return 2;
    }
    // A byte-order mark, as some editors save UTF-8, is no part of the script.
    if (number == 1 && line.starts_with(kUtf8Bom)) line.erase(0, kUtf8Bom.size());
    if (!RunLine(number, line)) return 2;
    if (!impl_->OutputGood()) return 0;  // nobody reads the transcript: the caller says so
  }
  if (script.bad()) {
    impl_->Print({{"type", "error"}, {"line", number + 1}, {"message", "cannot read the script"}});
    return 2;
  }
  impl_->ReportUnusedAnswers();
  return 0;
}

}  // namespace lirvo::cli
