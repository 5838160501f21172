// Replays an end-to-end script of `lirvo run` against plgRefertiLirvo.dll:
// a small Clinora in C++ (small_clinora.h) creates plgRefertiLirvo.Plugin by
// its ProgID, sends it the script's events through Evento, plays the person
// at its windows (window_player.h, on the real dialogs) and in the main
// reports window (its list view and search box), and writes what it saw as
// the JSON objects `lirvo run` prints for the same things: "host" calls,
// "msgbox", "popup", "files", "chart", "ribbon" (and "modal" objects, which
// name the windows played).
//
//   replay_host SCRIPT.json PATIENTS CONFIG DOCUMENTS OUT
//
// SCRIPT.json holds the script's lines as JSON arrays of words (split by
// replay_e2e.py), the main window's report and patient rows given as the
// list's row numbers: "select-rows ROW...", "link-row ROW". PATIENTS holds
// the archive's patients, one per line, tab-separated: id, surname, name,
// birth date, fiscal code, regional code. CONFIG is the plug-in's
// Config.xml (commands are named by their keys through clsConfig), DOCUMENTS
// the documents folder, OUT the transcript. Exits 0 when every line ran, 2
// at a line it cannot run (the transcript says which), 1 on a setup failure.
#include <ole2.h>
#include <windows.h>
// (after windows.h, which it needs)
#include <commctrl.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>

#include "base/runtime_error.h"
#include "base/text.h"
#include "host/host.h"
#include "small_clinora.h"
#include "win/host_adapter.h"
#include "win/late_bound.h"
#include "win/wide_text.h"
#include "win_check.h"
#include "window_player.h"

namespace {

using lirvo::RuntimeError;
using lirvo::host::ParamArray;
using lirvo::host::Variant;
using lirvo::replay::Json;
using lirvo::win::LateBound;
using Words = std::vector<std::string>;

struct LineError {
  std::string message;
};

int64_t Whole(const std::string& text) {
  char* end = nullptr;
  const long long value = std::strtoll(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0') throw LineError{"not a whole number: " + text};
  return value;
}

class Replay {
 public:
  Replay(std::ostream& out, std::string config, std::wstring documents)
      : out_(out),
        config_path_(std::move(config)),
        documents_(std::move(documents)),
        clinora_([this](const Json& j) { Print(j); }),
        player_([this](const Json& j) { Print(j); }) {}

  void Print(const Json& j) {
    std::lock_guard lock(print_mutex_);
    out_ << j.dump(-1, ' ', false, Json::error_handler_t::replace) << '\n';
    out_.flush();
  }

  bool LoadPatients(const std::string& path);
  void Start();
  void Run(const Words& w);
  void Settle() {
    player_.Settle();
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }

 private:
  void Event(const Words& w);
  void AfterEvent(IDispatch* active_before);
  void Chart(const Words& w);
  void Dump(const Words& w);
  HWND List() const;
  void Notify(HWND list, UINT code, int row, int sub_item);
  void Search(const std::string& text);
  void ReadCommandKeys();
  void RememberKeys();

  std::ostream& out_;
  std::mutex print_mutex_;
  std::string config_path_;
  std::wstring documents_;
  lirvo::replay::SmallClinora clinora_;
  lirvo::replay::WindowPlayer player_;
  std::unique_ptr<LateBound> plugin_;
  std::vector<std::string> command_keys_;
  bool keys_read_ = false;
  std::map<int32_t, std::string> keys_;  // command identifier -> key, as the plug-in issued them
};

bool Replay::LoadPatients(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    std::vector<std::string> f;
    std::stringstream fields(line);
    for (std::string field; std::getline(fields, field, '\t');) f.push_back(field);
    if (f.size() != 6) continue;
    clinora_.AddPatient({std::stoll(f[0]), f[1], f[2], f[3], f[4], f[5]});
  }
  return !in.bad();
}

void Replay::Start() {
  IDispatch* plugin = lirvo::wintest::Create(L"plgRefertiLirvo.Plugin");
  if (plugin == nullptr) throw LineError{"plgRefertiLirvo.Plugin cannot be created"};
  plugin_ = std::make_unique<LateBound>(plugin);
  plugin->Release();
}

// The plug-in's command keys in the order it lists them (clsConfig's
// ListaServices). It asks the host for one identifier per command in that
// order, and every command has its control on the ribbon: the ribbon's
// identifiers, smallest first, tell each key.
void Replay::ReadCommandKeys() {
  IDispatch* config = lirvo::wintest::Create(L"plgRefertiLirvo.clsConfig");
  if (config == nullptr) throw LineError{"plgRefertiLirvo.clsConfig cannot be created"};
  LateBound late(config);
  config->Release();
  try {
    if (!lirvo::host::ToBoolean(late.Call("Init", {config_path_}))) return;  // a broken Config.xml
    for (const Variant& item : lirvo::win::CollectionItems(late.Get("ListaServices"))) {
      command_keys_.push_back(
          lirvo::host::ToText(LateBound(lirvo::win::DispatchOf(item)).Get("Key")));
    }
  } catch (const RuntimeError& e) {
    throw LineError{std::string("clsConfig: ") + e.what()};
  }
}

void Replay::RememberKeys() {
  if (!keys_read_) {
    // Once the plug-in has a host, which the list's identifiers come from.
    keys_read_ = true;
    clinora_.SetOwnIds(true);
    ReadCommandKeys();
    clinora_.SetOwnIds(false);
  }
  std::vector<int32_t> ids = clinora_.ControlIds();
  std::sort(ids.begin(), ids.end());
  ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
  if (ids.size() != command_keys_.size()) return;
  for (size_t i = 0; i < ids.size(); ++i) keys_[ids[i]] = command_keys_[i];
}

void Replay::Run(const Words& w) {
  if (w.empty()) return;
  const std::string& command = w[0];
  if (command == "event") {
    Event(w);
  } else if (command == "answer" && w.size() == 2) {
    player_.QueueAnswer(w[1] == "yes" ? IDYES : w[1] == "no" ? IDNO : IDOK);
  } else if (command == "popup" && w.size() == 2) {
    clinora_.QueuePopup(static_cast<int>(Whole(w[1])));
  } else if (command == "modal" && w.size() >= 3) {
    player_.QueueModal({w[1], Words(w.begin() + 2, w.end())});
  } else if (command == "select-rows" && w.size() >= 2) {
    // A click on the first row, then a control-click on each further one.
    HWND list = List();
    LVITEMW none{};
    none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                   reinterpret_cast<LPARAM>(&none));
    for (size_t i = 1; i < w.size(); ++i) {
      LVITEMW state{};
      state.stateMask = state.state = i == 1 ? LVIS_SELECTED | LVIS_FOCUSED : LVIS_SELECTED;
      ::SendMessageW(list, LVM_SETITEMSTATE, Whole(w[i]), reinterpret_cast<LPARAM>(&state));
    }
  } else if (command == "link-row" && w.size() == 2) {
    HWND list = List();
    const int row = static_cast<int>(Whole(w[1]));
    const int columns = static_cast<int>(::SendMessageW(
        reinterpret_cast<HWND>(::SendMessageW(list, LVM_GETHEADER, 0, 0)), HDM_GETITEMCOUNT, 0, 0));
    for (int sub_item = 0; sub_item < columns; ++sub_item) {
      const std::wstring text = lirvo::replay::CellText(list, row, sub_item);
      if (text == L"dettagli" || text == L"SCHEDA") {
        Notify(list, NM_CLICK, row, sub_item);
        return;
      }
    }
    throw LineError{"row " + w[1] + " of the list has no link"};
  } else if (command == "rightclick") {
    HWND list = List();
    Notify(list, NM_RCLICK,
           static_cast<int>(
               ::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED)),
           0);
  } else if (command == "search" && w.size() == 2) {
    Search(w[1]);
  } else if (command == "chart" || command == "patient") {
    Chart(w);
  } else if (command == "dump" && w.size() >= 2) {
    Dump(w);
  } else {
    throw LineError{"the replay cannot run \"" + command + "\""};
  }
  Settle();
}

void Replay::Event(const Words& w) {
  if (w.size() < 2 || w.size() > 3) throw LineError{"usage: event NAME [ARG]"};
  const std::string name = lirvo::LCase(w[1]);
  ParamArray param = ParamArray::Of({});
  if (w.size() == 3) {
    Variant arg = w[2];
    if (name == "form.load") {
      arg = lirvo::wintest::ObjectValue(clinora_.NewForm(w[2]));
    } else if (name == "execute") {
      char* end = nullptr;
      const long long id = std::strtoll(w[2].c_str(), &end, 10);
      if (!w[2].empty() && *end == '\0') {
        arg = int64_t{id};
      } else {
        RememberKeys();
        for (const auto& [id_of_key, key] : keys_) {
          if (lirvo::EqualsText(key, w[2])) arg = int64_t{id_of_key};
        }
      }
    } else if (name == "mainribbonbar.activetab") {
      clinora_.ClickTab(w[2]);
    }
    param = ParamArray::Of({arg});
  }
  IDispatch* active_before = clinora_.ActiveForm();
  try {
    plugin_->Call("Evento", {w[1], lirvo::wintest::ObjectValue(clinora_.Application()), param});
  } catch (const RuntimeError& e) {
    Print({{"type", "runtime_error"}, {"number", e.Number()}, {"description", e.Description()}});
  }
  Settle();
  AfterEvent(active_before);
}

// A child window that has just become the active one is told so.
void Replay::AfterEvent(IDispatch* active_before) {
  RememberKeys();
  IDispatch* active = clinora_.ActiveForm();
  if (active == nullptr || active == active_before) return;
  try {
    LateBound(active).Call("Activate");
  } catch (const RuntimeError& e) {
    Print({{"type", "runtime_error"}, {"number", e.Number()}, {"description", e.Description()}});
  }
  Settle();
}

HWND Replay::List() const {
  HWND window = clinora_.ReportsWindow();
  HWND list =
      window != nullptr ? ::FindWindowExW(window, nullptr, L"SysListView32", nullptr) : nullptr;
  if (list == nullptr) throw LineError{"the main reports window is not open"};
  return list;
}

// A click of the mouse on a row of the list, as the list tells its window.
void Replay::Notify(HWND list, UINT code, int row, int sub_item) {
  NMITEMACTIVATE click{};
  click.hdr.hwndFrom = list;
  click.hdr.idFrom = static_cast<UINT_PTR>(::GetDlgCtrlID(list));
  click.hdr.code = code;
  click.iItem = row;
  click.iSubItem = sub_item;
  ::SendMessageW(::GetParent(list), WM_NOTIFY, click.hdr.idFrom, reinterpret_cast<LPARAM>(&click));
}

// Empties the search box, types `text` and presses Enter.
void Replay::Search(const std::string& text) {
  HWND window = clinora_.ReportsWindow();
  HWND box = window != nullptr ? ::FindWindowExW(window, nullptr, L"Edit", nullptr) : nullptr;
  if (box == nullptr) throw LineError{"the main reports window is not open"};
  ::SetWindowTextW(box, L"");
  for (wchar_t c : lirvo::win::Wide(text)) ::SendMessageW(box, WM_CHAR, c, 0);
  ::SendMessageW(box, WM_CHAR, VK_RETURN, 0);
}

void Replay::Chart(const Words& w) {
  if (w[0] == "patient") {
    if (w.size() != 7 || w[1] != "add") throw LineError{"usage: patient add ..."};
    const auto id = clinora_.AddPatient({0, w[2], w[3], w[4], w[5], w[6]});
    if (!id) throw LineError{"another patient has the same regional code or codice fiscale"};
    Print({{"type", "patient"}, {"id", *id}});
    return;
  }
  if (w.size() == 7 && w[1] == "add-exam") {
    std::vector<Variant> args(lirvo::host::kExamArgCount, std::string());
    args[lirvo::host::kExamArgReportDate] = w[3];
    args[lirvo::host::kExamArgClinoraId] = w[4];
    args[lirvo::host::kExamArgCode] = w[5];
    args[lirvo::host::kExamArgValue] = w[6];
    if (!clinora_.SaveExam(Whole(w[2]), args)) throw LineError{"the archive refused the exam"};
  } else if (w.size() == 5 && w[1] == "add-visit") {
    std::vector<Variant> args(lirvo::host::kVisitArgCount, std::string());
    args[lirvo::host::kVisitArgReportDate] = w[3];
    args[lirvo::host::kVisitArgReference] = w[4];
    if (!clinora_.SaveVisit(Whole(w[2]), args)) throw LineError{"the archive refused the visit"};
  } else if (w.size() >= 3 && w[1] == "saves") {
    std::vector<Variant> results;
    for (size_t i = 2; i < w.size(); ++i) {
      if (w[i] == "ok") {
        results.emplace_back(lirvo::host::Empty{});
      } else if (w[i] == "false") {
        results.emplace_back(false);
      } else {
        results.emplace_back(lirvo::host::Null{});
      }
    }
    clinora_.ScriptSaveResults(std::move(results));
  } else {
    throw LineError{"usage: chart add-exam|add-visit|saves ..."};
  }
}

void Replay::Dump(const Words& w) {
  if (w[1] == "chart" && w.size() == 3) {
    const int64_t id = Whole(w[2]);
    if (!clinora_.KnowsPatient(id)) throw LineError{"no patient " + w[2] + " in the archive"};
    Print(clinora_.ChartJson(id));
  } else if (w[1] == "ribbon") {
    Print(clinora_.RibbonJson([this](int32_t id) {
      auto key = keys_.find(id);
      return key == keys_.end() ? std::string() : key->second;
    }));
  } else if (w[1] == "files") {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW((documents_ + L"*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
          names.push_back(lirvo::win::Utf8(std::wstring_view(found.cFileName)));
        }
      } while (::FindNextFileW(search, &found));
      ::FindClose(search);
    }
    std::sort(names.begin(), names.end());
    Print({{"type", "files"}, {"folder", lirvo::win::Utf8(documents_)}, {"names", names}});
  } else {
    throw LineError{"the replay cannot dump \"" + w[1] + "\""};
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 6) {
    std::fwprintf(stderr, L"usage: replay_host SCRIPT.json PATIENTS CONFIG DOCUMENTS OUT\n");
    return 1;
  }
  ::CoInitialize(nullptr);
  INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_LISTVIEW_CLASSES};
  ::InitCommonControlsEx(&classes);
  std::ofstream out(argv[5], std::ios::binary);
  std::ifstream script(argv[1], std::ios::binary);
  int status = 0;
  {
    Replay replay(out, lirvo::win::Utf8(std::wstring_view(argv[3])), argv[4]);
    if (!out || !script || !replay.LoadPatients(lirvo::win::Utf8(std::wstring_view(argv[2])))) {
      std::fwprintf(stderr, L"replay_host: cannot open the files\n");
      return 1;
    }
    std::string line;
    int number = 0;
    try {
      replay.Start();
      while (std::getline(script, line)) {
        ++number;
        const Json words = Json::parse(line);
        try {
          replay.Run(words.get<Words>());
        } catch (const LineError& e) {
          replay.Print({{"type", "error"}, {"line", number}, {"message", e.message}});
          status = 2;
          break;
        } catch (const RuntimeError& e) {
          replay.Print({{"type", "error"}, {"line", number}, {"message", e.what()}});
          status = 2;
          break;
        }
      }
    } catch (const LineError& e) {
      std::fprintf(stderr, "replay_host: %s\n", e.message.c_str());
      status = 1;
    }
  }
  ::CoUninitialize();
  return status;
}
