// What the person does in the main reports window during `lirvo run`: clicks
// on report rows, the right button, the hyperlinks, the patient search; and
// what the transcript shows of it (the grid, the progress bar).
#pragma once

#include <functional>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "forms/loaded_forms.h"

namespace lirvo::forms {
class frmRefertiLirvo;
}

namespace lirvo::cli {

class MainWindowDriver {
 public:
  using Sink = std::function<void(const nlohmann::ordered_json&)>;

  // `windows` (the plug-in's loaded windows) must outlive the driver.
  explicit MainWindowDriver(const forms::LoadedForms& windows) : windows_(windows) {}
  ~MainWindowDriver();
  MainWindowDriver(const MainWindowDriver&) = delete;
  MainWindowDriver& operator=(const MainWindowDriver&) = delete;

  // Where progress-bar changes and runtime errors of the window's handlers
  // go, as transcript objects.
  void SetProgressSink(Sink sink) { sink_ = std::move(sink); }
  // Starts reporting the progress bar of the loaded main window when it is
  // not yet reported (a window that has just opened).
  void Attach();

  // The actions. Each throws std::invalid_argument when it cannot be done:
  // the window is not loaded, or no row matches.
  // Clicks the report row whose item 2 is `positions[0]`: it becomes the
  // focused and only selected row; the rows of the further positions are
  // added to the selection, as a control-click does.
  void Select(const std::vector<std::string>& positions);
  // Clicks the patient row whose item 0 is `patient_id`.
  void SelectPatient(const std::string& patient_id);
  // The right mouse button released over the grid.
  void RightClick();
  // The hyperlink ("dettagli") of the report row whose item 2 is `position`.
  void ReportLink(const std::string& position);
  // The hyperlink ("SCHEDA") of the patient row whose item 0 is `patient_id`.
  void PatientLink(const std::string& patient_id);
  // Empties the search box, types `text` into it and presses Enter; the box
  // must be shown.
  void Search(const std::string& text);

  // {"type":"grid","open":B,"rows":[{"items":[...],"bold":[...],
  //  "colors":{...},"links":[...],"selected":B,"focused":B,"children":[...]}]}
  nlohmann::ordered_json GridJson() const;

 private:
  std::shared_ptr<forms::frmRefertiLirvo> Window() const;  // throws when not loaded
  int32_t ReportRow(forms::frmRefertiLirvo& window, const std::string& position) const;
  int32_t PatientRow(forms::frmRefertiLirvo& window, const std::string& patient_id) const;
  // Runs a handler of the window; a runtime error that escapes it is
  // reported, not thrown.
  void Handle(const std::function<void()>& handler);
  void Detach();

  const forms::LoadedForms& windows_;
  Sink sink_;
  std::weak_ptr<forms::frmRefertiLirvo> attached_;
  int listener_ = 0;
  std::string last_progress_;
};

}  // namespace lirvo::cli
