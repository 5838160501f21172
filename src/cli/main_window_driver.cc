#include "cli/main_window_driver.h"

#include <set>
#include <stdexcept>

#include "base/runtime_error.h"
#include "base/utf8.h"
#include "forms/frm_referti_lirvo.h"
#include "forms/loaded_forms.h"

namespace lirvo::cli {
namespace {

using Json = nlohmann::ordered_json;

using forms::kItemLink;
using forms::kItemPatientId;
using forms::kItemPosition;
using forms::kReportLink;

Json RecordJson(const controls::ReportGrid& grid, const controls::GridRecord& record,
                const std::set<const controls::GridRecord*>& selected) {
  Json items = Json::array();
  Json bold = Json::array();
  Json colors = Json::object();
  Json links = Json::array();
  for (int32_t i = 0; i < record.ItemCount(); ++i) {
    const controls::GridItem& item = record.Item(i);
    items.push_back(SanitizeUtf8(item.Text()));
    if (item.Bold()) bold.push_back(i);
    if (item.ForeColor()) colors[std::to_string(i)] = *item.ForeColor();
    if (!item.Hyperlinks().empty()) links.push_back(i);
  }
  Json j;
  j["items"] = std::move(items);
  j["bold"] = std::move(bold);
  j["colors"] = std::move(colors);
  j["links"] = std::move(links);
  j["selected"] = selected.count(&record) > 0;
  const int32_t row = grid.RowOf(record);
  j["focused"] = row >= 0 && row == grid.FocusedRow();
  Json children = Json::array();
  for (int32_t i = 0; i < record.Childs().Count(); ++i) {
    children.push_back(RecordJson(grid, record.Childs().Record(i), selected));
  }
  if (!children.empty()) {
    j["expanded"] = record.Expanded();
    j["children"] = std::move(children);
  }
  return j;
}

}  // namespace

MainWindowDriver::~MainWindowDriver() { Detach(); }

std::shared_ptr<forms::frmRefertiLirvo> MainWindowDriver::Window() const {
  auto window = windows_.MainReportsWindow();
  if (!window) throw std::invalid_argument("the main reports window is not open");
  return window;
}

void MainWindowDriver::Detach() {
  if (auto old = attached_.lock()) old->ProgressBar1().RemoveListener(listener_);
  attached_.reset();
}

void MainWindowDriver::Attach() {
  auto window = windows_.MainReportsWindow();
  if (!window || window == attached_.lock()) return;
  Detach();
  attached_ = window;
  last_progress_.clear();
  listener_ = window->ProgressBar1().AddListener([this](const controls::Control& control) {
    const auto& bar = static_cast<const controls::ProgressBar&>(control);
    const nlohmann::json described = bar.Describe();
    Json j;
    j["type"] = "progress";
    for (const char* key : {"text", "value", "max", "visible"}) j[key] = described[key];
    std::string line = j.dump(-1, ' ', false, Json::error_handler_t::replace);
    if (line == last_progress_) return;  // nothing a person would see changed
    last_progress_ = std::move(line);
    if (sink_) sink_(j);
  });
}

void MainWindowDriver::Handle(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const RuntimeError& e) {
    if (sink_) {
      sink_({{"type", "runtime_error"}, {"number", e.Number()}, {"description", e.Description()}});
    }
  }
}

int32_t MainWindowDriver::ReportRow(forms::frmRefertiLirvo& window,
                                    const std::string& position) const {
  const controls::ReportGrid& grid = window.rcReferti();
  for (int32_t row = 0; row < grid.RowCount(); ++row) {
    const controls::GridRecord& record = *grid.RowRecord(row);
    if (record.ItemText(kItemLink) == kReportLink && record.ItemText(kItemPosition) == position) {
      return row;
    }
  }
  throw std::invalid_argument("no report row with position " + position);
}

int32_t MainWindowDriver::PatientRow(forms::frmRefertiLirvo& window,
                                     const std::string& patient_id) const {
  const controls::ReportGrid& grid = window.rcReferti();
  const controls::GridRecords& records = grid.Records();
  for (int32_t i = 0; i < records.Count(); ++i) {
    const controls::GridRecord& record = records.Record(i);
    if (record.ItemText(kItemPatientId) == patient_id) return grid.RowOf(record);
  }
  throw std::invalid_argument("no patient row with ID " + patient_id);
}

void MainWindowDriver::Select(const std::vector<std::string>& positions) {
  auto window = Window();
  std::vector<int32_t> rows;
  for (const std::string& position : positions) rows.push_back(ReportRow(*window, position));
  Handle([&] {
    controls::ReportGrid& grid = window->rcReferti();
    grid.SetFocusedRow(rows.front());
    for (size_t i = 1; i < rows.size(); ++i) grid.SelectRow(rows[i], /*add=*/true);
  });
}

void MainWindowDriver::SelectPatient(const std::string& patient_id) {
  auto window = Window();
  const int32_t row = PatientRow(*window, patient_id);
  Handle([&] { window->rcReferti().SetFocusedRow(row); });
}

void MainWindowDriver::RightClick() {
  auto window = Window();
  Handle([&] { window->rcReferti_MouseUp(2, 0, 0, 0); });
}

void MainWindowDriver::ReportLink(const std::string& position) {
  auto window = Window();
  const int32_t row = ReportRow(*window, position);
  Handle([&] { window->rcReferti_HyperlinkClick(row, kItemLink, 0); });
}

void MainWindowDriver::PatientLink(const std::string& patient_id) {
  auto window = Window();
  const int32_t row = PatientRow(*window, patient_id);
  Handle([&] { window->rcReferti_HyperlinkClick(row, kItemLink, 0); });
}

void MainWindowDriver::Search(const std::string& text) {
  auto window = Window();
  if (!window->tbPaziente().IsShown()) throw std::invalid_argument("the search box is not shown");
  Handle([&] {
    window->tbPaziente().SetText("");
    window->TypeInSearchBox(text);
    window->TypeInSearchBox("\r");
  });
}

Json MainWindowDriver::GridJson() const {
  Json j;
  j["type"] = "grid";
  auto window = windows_.MainReportsWindow();
  j["open"] = window != nullptr;
  Json rows = Json::array();
  if (window) {
    const controls::ReportGrid& grid = window->rcReferti();
    const auto selected_list = grid.SelectedRecords();
    const std::set<const controls::GridRecord*> selected(selected_list.begin(),
                                                         selected_list.end());
    for (int32_t i = 0; i < grid.Records().Count(); ++i) {
      rows.push_back(RecordJson(grid, grid.Records().Record(i), selected));
    }
  }
  j["rows"] = std::move(rows);
  return j;
}

}  // namespace lirvo::cli
