// The main reports window: a two-level grid of the loaded bundle (one row per
// patient, under it one row per report), the patient search under the grid,
// and the progress bar of the batch import in the same place.
//
// A presenter over control models. The view (Qt, or a script) shows the
// controls and calls the handlers below for what the user does; other
// routines (the bundle loader, the batch import, printing) find the window by
// its name among the loaded forms and work on its controls through the
// accessors.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "controls/report_grid.h"
#include "controls/simple_controls.h"
#include "forms/window_context.h"
#include "host/host.h"

namespace lirvo::forms {

// The items (cells) of the grid records, by index: the data contract between
// the bundle loader, the imports, the printing and the window. A patient row
// has items 0 to 9, a report row 0 to 8; item 8 tells them apart.
inline constexpr int32_t kItemPatientId = 0;    // the host patient's ID, on both rows
inline constexpr int32_t kItemPatientName = 1;  // patient: surname and name, bold
inline constexpr int32_t kItemPosition = 2;     // report: its position in the bundle
inline constexpr int32_t kItemRawText = 3;      // report: its text exactly as in the bundle
inline constexpr int32_t kItemWard = 4;         // report: the ward
inline constexpr int32_t kItemCheckIn = 5;      // report: the check-in date
inline constexpr int32_t kItemReportDate = 6;   // report: the report's date
inline constexpr int32_t kItemDescription = 7;  // patient: the codes; report: the body
inline constexpr int32_t kItemLink = 8;         // the hyperlink below
inline constexpr int32_t kItemSpare = 9;        // patient: empty
// The texts of item 8: a patient row's link to the chart, a report row's
// link to the preview.
inline constexpr const char* kPatientLink = "SCHEDA";
inline constexpr const char* kReportLink = "dettagli";

// The values of one report row (the fields of the parsed report that the
// grid shows).
struct ReportRowValues {
  host::Variant patient_id;  // PatientId: the host patient's ID
  int32_t position = 0;      // Position of the report in the bundle
  std::string raw_text;      // RawText, exactly as in the bundle
  std::string ward;
  std::string check_in_date;
  std::string report_date;
  std::string body_inline;  // Body in the Inline layout
  bool out_of_range = false;
};

// The first top-level row of each patient ID, so that a load of n reports
// finds patient rows in constant time instead of scanning the grid. The
// rows that AddPatientRow adds keep it up to date; any other change of the
// top level (a removal, an item 0 changed, a row added another way) makes
// it rebuild once on its next look-up.
class PatientRowIndex : public controls::GridObserver {
 public:
  explicit PatientRowIndex(controls::ReportGrid& grid);
  ~PatientRowIndex() override;
  PatientRowIndex(const PatientRowIndex&) = delete;
  PatientRowIndex& operator=(const PatientRowIndex&) = delete;

  controls::GridRecord* Find(const std::string& patient_id);
  // Adds a row through `add` without making the index stale, and indexes it
  // under `patient_id` unless an earlier row has that ID.
  template <typename Add>
  controls::GridRecord& AddIndexed(const std::string& patient_id, Add add) {
    adding_ = true;
    controls::GridRecord* row = nullptr;
    try {
      row = &add();
    } catch (...) {
      adding_ = false;
      stale_ = true;
      throw;
    }
    adding_ = false;
    if (!stale_) rows_.try_emplace(patient_id, row);
    return *row;
  }

  // ---- controls::GridObserver
  void RowsInserted(const controls::GridRecord* parent, int32_t first, int32_t last) override;
  void RowsAboutToBeRemoved(const controls::GridRecord* parent, int32_t first,
                            int32_t last) override;
  void ItemsChanged(const controls::GridRecord& record, int32_t first_item,
                    int32_t last_item) override;

 private:
  void Rebuild();

  controls::ReportGrid& grid_;
  std::unordered_map<std::string, controls::GridRecord*> rows_;
  bool stale_ = false;
  bool adding_ = false;
};

class frmRefertiLirvo : public Window {
 public:
  static constexpr const char* kFormName = "frmRefertiLirvo";
  // The window's inner size at design, in twips.
  static constexpr int32_t kDesignWidth = 7440;
  static constexpr int32_t kDesignHeight = 5280;

  // The controls at their design positions; the grid has no columns until
  // Form_Load. Once `context` is gone or the window released, the handlers
  // do nothing.
  explicit frmRefertiLirvo(std::weak_ptr<WindowContext> context);

  // ---- host::EmbeddedForm
  std::string Name() const override { return kFormName; }
  // Form_Activate.
  void Activate() override;
  // Takes the new inner size (negative counts as 0), then Form_Resize.
  void Resize(int32_t width_twips, int32_t height_twips) override;

  // The window's own icon: the plug-in's ribbon icon; "" once released.
  std::string Icon() const;

  int32_t ScaleWidth() const { return scale_width_; }
  int32_t ScaleHeight() const { return scale_height_; }

  // ---- Event handlers
  // Runs once per load (whoever loads the window calls it): builds the
  // grid's columns and look.
  void Form_Load();
  // Shows the unread summary when there is one, then gives the grid the
  // keyboard focus when it is visible.
  void Form_Activate();
  // Lays the controls out for the inner size; on a window too small for the
  // controls the steps from the first impossible size on are skipped,
  // never an error.
  void Form_Resize();
  // The search button is enabled exactly when the search text is not blank.
  void tbPaziente_Change();
  // A character typed into the search box: Enter (13) runs the search and
  // gives 0 (nothing to insert); any other character comes back in upper
  // case, to be inserted.
  char32_t tbPaziente_KeyPress(char32_t key_ascii);
  // The patient search: focuses the first patient row whose name begins
  // with the search text (without regard to case), or beeps.
  void cbFndPaz_Click();
  // A mouse button released over the grid; button 2 (right) opens the
  // report context menu when exactly one report row is selected and the
  // loaded bundle is not a register file.
  void rcReferti_MouseUp(int32_t button, int32_t shift, int32_t x, int32_t y);
  // A hyperlink of the grid clicked: "SCHEDA" opens the patient's chart in
  // the host, "dettagli" the report's preview in the detail window.
  void rcReferti_HyperlinkClick(int32_t row, int32_t item_index, int32_t hyperlink_index);

  // The report menu's actions on the one selected report row.
  static constexpr int16_t kModeImport = 0;   // "Importa Singolo"
  static constexpr int16_t kModeDiscard = 1;  // "Rimuovi Singolo"
  // The report menu's action on the selected report row (nothing unless
  // exactly one report row is selected). Mode 0 imports the report into its
  // patient's chart and then moves it out of the bundle into an imported
  // file of its own: the row goes and the count is shown; a failed import
  // says "Attenzione! Importazione referti non a buon fine!" with the
  // import's error text. Mode 1 moves it into a discarded file: the row
  // goes without a message. When the register refuses (the bundle changed
  // on the disk ...): "Attenzione! Operazione non a buon fine!", the row
  // stays.
  void ProcessSelectedReport(int16_t mode);

  // The user types `typed` into the search box: each character goes through
  // tbPaziente_KeyPress and, when it comes back, into the box; "\b" deletes
  // the last character.
  void TypeInSearchBox(std::string_view typed);

  // The control with the keyboard focus, or nullptr.
  const controls::Control* ActiveControl() const { return active_control_; }

  // ---- Controls
  controls::ReportGrid& rcReferti() { return rcReferti_; }
  controls::Panel& Picture1() { return Picture1_; }
  controls::Line& Line1() { return Line1_; }
  controls::Line& Line2() { return Line2_; }
  controls::ProgressBar& ProgressBar1() { return ProgressBar1_; }
  controls::Panel& pbFndPaz() { return pbFndPaz_; }
  controls::Label& Label1() { return Label1_; }
  controls::TextBox& tbPaziente() { return tbPaziente_; }
  controls::Button& cbFndPaz() { return cbFndPaz_; }

  // ---- Grid rows
  // A patient row at the end of the grid, expanded, with the patient's items.
  controls::GridRecord& AddPatientRow(const host::Patient& patient);
  // A report row at the end of `patient_row`'s children.
  controls::GridRecord& AddReportRow(controls::GridRecord& patient_row,
                                     const ReportRowValues& report);
  // The first top-level row whose item 0 shows `patient_id`, or nullptr;
  // constant time (see PatientRowIndex).
  controls::GridRecord* FindPatientRow(const host::Variant& patient_id);

 private:
  void InitGrid();
  void ShowReportMenu(WindowContext& context);
  // The selected record when exactly one row is selected and it is a report
  // row; nullptr otherwise.
  controls::GridRecord* SelectedReportRow();
  void SetFocusTo(controls::Control& control) { active_control_ = &control; }

  int32_t scale_width_ = kDesignWidth;
  int32_t scale_height_ = kDesignHeight;
  const controls::Control* active_control_ = nullptr;

  controls::ReportGrid rcReferti_;
  controls::Panel Picture1_;
  controls::Line Line1_;
  controls::Line Line2_;
  controls::ProgressBar ProgressBar1_;
  controls::Panel pbFndPaz_;
  controls::Label Label1_;
  controls::TextBox tbPaziente_;
  controls::Button cbFndPaz_;

  PatientRowIndex patient_rows_{rcReferti_};
};

}  // namespace lirvo::forms
