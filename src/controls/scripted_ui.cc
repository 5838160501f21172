#include "controls/scripted_ui.h"

#include <algorithm>
#include <functional>

#include "base/runtime_error.h"
#include "base/utf8.h"
#include "controls/report_grid.h"

namespace lirvo::ui {
namespace {

// The device context the scripted printer dialog hands back.
constexpr PrinterDc kScriptedDc = 1;

template <typename T>
std::optional<T> PopFront(std::deque<T>& queue) {
  if (queue.empty()) return std::nullopt;
  T front = std::move(queue.front());
  queue.pop_front();
  return front;
}

// The queued answer when `accept` takes it, else `fallback`; a queued answer
// the window cannot give is used up and shown in the event as "queued".
int TakeAnswer(std::deque<int>& queue, int fallback, nlohmann::json& event,
               const std::function<bool(int)>& accept) {
  const std::optional<int> queued = PopFront(queue);
  if (!queued) return fallback;
  if (accept(*queued)) return *queued;
  event["queued"] = *queued;
  return fallback;
}

}  // namespace

void ScriptedUi::Emit(nlohmann::json event, bool to_sink) {
  calls_.push_back(event);
  if (to_sink && sink_) sink_(event);
}

int ScriptedUi::MsgBox(const std::string& text, int style, const std::string& title) {
  const std::vector<int> possible = MsgBoxButtons(style);
  nlohmann::json event = {{"type", "msgbox"},
                          {"style", style},
                          {"title", SanitizeUtf8(title)},
                          {"text", SanitizeUtf8(text)}};
  const int answer = TakeAnswer(answers_, UnansweredMsgBox(style), event, [&](int a) {
    return std::find(possible.begin(), possible.end(), a) != possible.end();
  });
  event["answer"] = answer;
  Emit(std::move(event));
  return answer;
}

void ScriptedUi::SetMousePointer(int pointer) {
  pointer_ = pointer;
  Emit({{"type", "pointer"}, {"pointer", pointer}}, record_pointer_);
}

void ScriptedUi::Beep() { Emit({{"type", "beep"}}); }

std::optional<std::string> ScriptedUi::BrowseForFolder(const std::string& title,
                                                       const std::string& start_folder) {
  std::optional<std::string> answer = PopFront(folders_).value_or(std::nullopt);
  Emit({{"type", "browse"},
        {"title", SanitizeUtf8(title)},
        {"start", SanitizeUtf8(start_folder)},
        {"answer", answer ? nlohmann::json(SanitizeUtf8(*answer)) : nlohmann::json(nullptr)}});
  return answer;
}

int ScriptedUi::PopupMenu(const std::vector<std::string>& items) {
  nlohmann::json names = nlohmann::json::array();
  for (const auto& item : items) names.push_back(SanitizeUtf8(item));
  nlohmann::json event = {{"type", "popup"}, {"items", std::move(names)}};
  const int answer = TakeAnswer(
      popups_, 0, event, [&](int a) { return a >= 0 && static_cast<size_t>(a) <= items.size(); });
  event["answer"] = answer;
  Emit(std::move(event));
  return answer;
}

void ScriptedUi::ShowModal(ModalForm& form) {
  const std::string name = form.Name();
  nlohmann::json event = {
      {"type", "modal"}, {"form", SanitizeUtf8(name)}, {"caption", SanitizeUtf8(form.Caption())}};
  nlohmann::json described = form.Describe();
  if (described.is_object()) {
    for (auto& [key, value] : described.items()) {
      if (!event.contains(key)) event[key] = value;
    }
  }
  Emit(std::move(event));

  std::vector<std::string> steps;
  if (!modal_actions_.empty() &&
      (modal_actions_.front().form.empty() || modal_actions_.front().form == name)) {
    steps = std::move(modal_actions_.front().steps);
    modal_actions_.pop_front();
  }
  for (const auto& step : steps) {
    if (!form.IsOpen()) break;
    const bool ok = form.Perform(step);
    Emit({{"type", "modal_action"},
          {"form", SanitizeUtf8(name)},
          {"action", SanitizeUtf8(step)},
          {"ok", ok}});
  }
  if (form.IsOpen()) {
    Emit({{"type", "modal_close"}, {"form", SanitizeUtf8(name)}});
    form.Close();
  }
}

}  // namespace lirvo::ui

namespace lirvo::ui {

nlohmann::json ScriptedUi::RunsToJson(const controls::StyledText& text) {
  nlohmann::json runs = nlohmann::json::array();
  for (const controls::StyledRun& run : text) {
    runs.push_back({{"text", SanitizeUtf8(run.text)},
                    {"font", SanitizeUtf8(run.style.font_name)},
                    {"size", run.style.size},
                    {"color", run.style.color},
                    {"bold", run.style.bold}});
  }
  return runs;
}

void ScriptedUi::FailPrintIfQueued(const char* what) {
  if (print_failures_ == 0) return;
  --print_failures_;
  Emit({{"type", "print_failed"}, {"what", what}});
  throw RuntimeError(kErrPrinter);
}

PrinterDc ScriptedUi::ShowPrinter(int flags) {
  const bool ok = PopFront(printers_).value_or(false);
  Emit({{"type", "printer"}, {"flags", flags}, {"answer", ok ? "ok" : "cancel"}});
  if (!ok) throw RuntimeError(kErrCancel);
  return kScriptedDc;
}

void ScriptedUi::PrintGrid(const controls::ReportGrid& grid) {
  FailPrintIfQueued("list");
  std::vector<int32_t> items;
  nlohmann::json columns = nlohmann::json::array();
  for (int32_t i = 0; i < grid.ColumnCount(); ++i) {
    const controls::GridColumn& column = grid.Column(i);
    if (!column.visible) continue;
    items.push_back(column.item_index);
    columns.push_back(SanitizeUtf8(column.caption));
  }
  nlohmann::json rows = nlohmann::json::array();
  for (int32_t row = 0; row < grid.RowCount(); ++row) {
    const controls::GridRecord* record = grid.RowRecord(row);
    nlohmann::json cells = nlohmann::json::array();
    for (int32_t item : items) cells.push_back(SanitizeUtf8(record->ItemText(item)));
    rows.push_back({{"level", record->Depth()}, {"cells", std::move(cells)}});
  }
  Emit({{"type", "print"},
        {"what", "list"},
        {"landscape", grid.PrintOptions().landscape},
        {"columns", std::move(columns)},
        {"rows", std::move(rows)}});
}

void ScriptedUi::PrintText(const controls::StyledText& text, PrinterDc dc) {
  FailPrintIfQueued("text");
  std::string plain;
  for (const controls::StyledRun& run : text) plain += run.text;
  Emit({{"type", "print"},
        {"what", "text"},
        {"dc", dc},
        {"text", SanitizeUtf8(plain)},
        {"runs", RunsToJson(text)}});
}

}  // namespace lirvo::ui
