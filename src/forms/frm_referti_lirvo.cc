#include "forms/frm_referti_lirvo.h"

#include <algorithm>
#include <initializer_list>

#include "base/files.h"
#include "base/product.h"
#include "base/runtime_error.h"
#include "base/text.h"
#include "base/trap.h"
#include "base/utf8.h"
#include "forms/grid_look.h"
#include "forms/report_preview.h"
#include "reports/imported_register.h"

namespace lirvo::forms {
namespace {

using controls::Bounds;
using controls::GridItem;
using controls::GridRecord;
using controls::Rgb;

constexpr int32_t kRightButton = 2;
constexpr char32_t kEnter = 13;
constexpr char32_t kBackspace = 8;

// A hyperlink over the item's whole text.
void LinkWholeText(GridItem& item) {
  item.AddHyperlink(0, static_cast<int32_t>(CharCount(item.Text())));
}

void AddEmptyItems(GridRecord& record, int count) {
  for (int i = 0; i < count; ++i) record.AddItem(std::string());
}

}  // namespace

frmRefertiLirvo::frmRefertiLirvo(std::weak_ptr<WindowContext> context)
    : Window(std::move(context)),
      rcReferti_("rcReferti", Bounds{150, 150, 7140, 4215}),
      Picture1_("Picture1", Bounds{0, kDesignHeight - 765, kDesignWidth, 765}),
      Line1_("Line1", 0, 0, kDesignWidth, 0, Rgb(192, 192, 192)),
      Line2_("Line2", 0, 15, kDesignWidth, 15, Rgb(255, 255, 255)),
      ProgressBar1_("ProgressBar1", Bounds{105, 225, 4140, 315}),
      pbFndPaz_("pbFndPaz", Bounds{75, 75, 4140, 615}),
      Label1_("Label1", Bounds{0, 225, 1110, 195}, "Cerca paziente:"),
      tbPaziente_("tbPaziente", Bounds{1200, 150, 2400, 285}),
      cbFndPaz_("cbFndPaz", Bounds{3600, 150, 390, 270}, "..") {
  using Controls = std::initializer_list<controls::Control*>;
  for (controls::Control* c : Controls{&Line1_, &Line2_, &ProgressBar1_, &pbFndPaz_}) {
    c->SetContainer(&Picture1_);
  }
  for (controls::Control* c : Controls{&Label1_, &tbPaziente_, &cbFndPaz_}) {
    c->SetContainer(&pbFndPaz_);
  }
  ProgressBar1_.SetVisible(false);
  pbFndPaz_.SetVisible(false);
  cbFndPaz_.SetEnabled(false);
  tbPaziente_.SetOnTextChange([this] { tbPaziente_Change(); });
}

void frmRefertiLirvo::Activate() { Form_Activate(); }

void frmRefertiLirvo::Resize(int32_t width_twips, int32_t height_twips) {
  scale_width_ = std::max(width_twips, 0);
  scale_height_ = std::max(height_twips, 0);
  Form_Resize();
}

// ---- Load, activation, layout -------------------------------------------------

void frmRefertiLirvo::Form_Load() { InitGrid(); }

std::string frmRefertiLirvo::Icon() const {
  const auto context = Context();
  return context ? StylesPath(context->PluginFolder(), kIconMain) : std::string();
}

void frmRefertiLirvo::InitGrid() {
  rcReferti_.DeleteAllColumns();
  rcReferti_.Records().DeleteAll();

  controls::GridLook& look = rcReferti_.Look();
  ApplySharedGridLook(look);
  look.group_area_back_color = Rgb(212, 208, 200);
  look.highlight_back_color = Rgb(224, 233, 248);

  rcReferti_.AddColumn(kItemPatientId, "idPaziente", 0, false);
  rcReferti_.AddColumn(kItemPatientName, "Paziente", 700, true);
  rcReferti_.AddColumn(kItemPosition, "idEmail", 0, false);
  rcReferti_.AddColumn(kItemRawText, "body", 0, false);
  rcReferti_.AddColumn(kItemWard, "Reparto", 460, true);
  rcReferti_.AddColumn(kItemCheckIn, "Check In", 310, true);
  rcReferti_.AddColumn(kItemReportDate, "Referto del", 310, true);
  rcReferti_.AddColumn(kItemDescription, "Descrizione", 2000, true);
  rcReferti_.AddColumn(kItemLink, "", 300, true);
  for (int32_t hidden : {kItemPatientId, kItemPosition, kItemRawText}) {
    rcReferti_.SetColumnVisible(hidden, false);
  }
  rcReferti_.SetColumnTree(kItemPatientName, true);
}

void frmRefertiLirvo::Form_Activate() {
  if (const auto context = Context()) {
    try {
      // A summary the user has not read yet shows as soon as the window is
      // active.
      if (FileExists(context->Fs(), context->DocumentsFolder() + kUnreadSummaryFile)) {
        context->ShowLastProcessing(/*asked=*/false);
      }
    } catch (const RuntimeError&) {
      ReportTrap("frmRefertiLirvo.Form_Activate");
    }
  }
  if (rcReferti_.Visible()) SetFocusTo(rcReferti_);
}

void frmRefertiLirvo::Form_Resize() {
  // The bottom panel is docked: it follows the window before the layout runs.
  Picture1_.SetLeft(0);
  Picture1_.SetTop(scale_height_ - Picture1_.Height());
  Picture1_.SetWidth(scale_width_);
  try {
    rcReferti_.SetWidth(scale_width_ - 2 * rcReferti_.Left());
    Line1_.SetX2(scale_width_);
    Line2_.SetX2(scale_width_);
    ProgressBar1_.SetWidth(scale_width_ - 2 * ProgressBar1_.Left());
    rcReferti_.SetHeight(scale_height_ - Picture1_.Height() - 2 * rcReferti_.Top());
  } catch (const RuntimeError&) {
    // A size that would be negative: the window is too small, the rest of
    // the layout waits for a larger one.
    ReportTrap("frmRefertiLirvo.Form_Resize");
  }
}

// ---- Patient search ---------------------------------------------------------------

void frmRefertiLirvo::tbPaziente_Change() {
  cbFndPaz_.SetEnabled(!Trim(tbPaziente_.Text()).empty());
}

char32_t frmRefertiLirvo::tbPaziente_KeyPress(char32_t key_ascii) {
  if (key_ascii == kEnter) {
    cbFndPaz_Click();
    return 0;
  }
  return UpperCodePoint(key_ascii);
}

void frmRefertiLirvo::TypeInSearchBox(std::string_view typed) {
  for (size_t pos = 0; pos < typed.size();) {
    char32_t typed_char = 0;
    const size_t length = DecodeUtf8(typed, pos, typed_char);
    if (length == 0) {  // a malformed byte types nothing
      ++pos;
      continue;
    }
    pos += length;
    const char32_t key = tbPaziente_KeyPress(typed_char);
    if (key == kBackspace) {
      const std::string& text = tbPaziente_.Text();
      tbPaziente_.SetText(std::string(Left(text, std::max<size_t>(CharCount(text), 1) - 1)));
    } else if (key >= 32) {
      tbPaziente_.AppendCharacter(key);
    }
  }
}

void frmRefertiLirvo::cbFndPaz_Click() {
  const auto context = Context();
  if (!context) return;
  const std::string text = tbPaziente_.Text();
  if (Trim(text).empty()) return;
  const int32_t shown_rows = rcReferti_.RowCount();
  const controls::FoundItem found = rcReferti_.FindItemInRange(
      text, kItemPatientName, kItemPatientName, 0, shown_rows, {.match_at_start = true});
  const int32_t row = found ? rcReferti_.RowOf(*found.record) : -1;
  if (row < 0) {
    context->UserInterface().Beep();
    return;
  }
  SetFocusTo(rcReferti_);
  rcReferti_.SetFocusedRow(row);
  rcReferti_.EnsureVisible(row);
}

// ---- Grid events --------------------------------------------------------------------

void frmRefertiLirvo::rcReferti_MouseUp(int32_t button, int32_t shift, int32_t x, int32_t y) {
  (void)shift;
  (void)x;
  (void)y;
  if (button != kRightButton) return;
  const auto context = Context();
  if (!context) return;
  try {
    ShowReportMenu(*context);
  } catch (const RuntimeError&) {
    // A failing host call ends the menu; the window stays as it was.
    ReportTrap("frmRefertiLirvo.rcReferti_MouseUp");
  }
}

GridRecord* frmRefertiLirvo::SelectedReportRow() {
  const auto selected = rcReferti_.SelectedRecords();
  if (selected.size() != 1 || selected.front()->ItemText(kItemLink) != kReportLink) return nullptr;
  return selected.front();
}

void frmRefertiLirvo::ShowReportMenu(WindowContext& context) {
  if (Contains(context.CurrentBundle(), reports::kImportedEnding)) return;
  if (SelectedReportRow() == nullptr) return;
  const int32_t choice = context.HostFramework().Popup({"Importa Singolo", "Rimuovi Singolo"});
  if (choice == 1) ProcessSelectedReport(kModeImport);
  if (choice == 2) ProcessSelectedReport(kModeDiscard);
}

void frmRefertiLirvo::ProcessSelectedReport(int16_t mode) {
  const auto context = Context();
  if (!context) return;
  GridRecord* row = SelectedReportRow();
  if (row == nullptr) return;
  const std::string raw_text = row->ItemText(kItemRawText);
  const reports::RegisterFiles files{context->Fs(), context->GetClock(), &context->UserInterface()};
  bool success = false;
  std::string message;
  int16_t imported = 0;
  if (mode == kModeImport) {
    std::string error;
    if (context->ImportSingleReport(row->ItemText(kItemPatientId), raw_text, imported, error)) {
      success = reports::SplitOffReport(files, context->CurrentBundle(), raw_text,
                                        /*imported=*/true);
    } else {
      message = "Attenzione! Importazione referti non a buon fine!";
      if (!error.empty()) message += "\r\n[" + error + "]";
    }
  } else if (mode == kModeDiscard) {
    success = reports::SplitOffReport(files, context->CurrentBundle(), raw_text,
                                      /*imported=*/false);
  }
  ui::Ui& ui = context->UserInterface();
  if (success) {
    rcReferti_.RemoveRecord(*row);
    if (imported > 0) {
      ui.MsgBox("Impostazione effettuata correttamente! Importati " + std::to_string(imported) +
                    " referti.",
                ui::kInformation, ui::kMsgTitle);
    }
  } else {
    if (message.empty()) message = "Attenzione! Operazione non a buon fine!";
    ui.MsgBox(message, ui::kInformation, ui::kMsgTitle);
  }
}

void frmRefertiLirvo::rcReferti_HyperlinkClick(int32_t row, int32_t item_index,
                                               int32_t hyperlink_index) {
  (void)hyperlink_index;
  const auto context = Context();
  if (!context) return;
  try {
    const GridRecord* record = rcReferti_.RowRecord(row);
    if (record == nullptr) return;
    const std::string link = record->ItemText(item_index);
    if (link == kPatientLink) {
      host::Framework& framework = context->HostFramework();
      framework.SetMainRibbonTab();
      framework.RichiamaPaziente(record->Item(kItemPatientId).Value());
    } else if (link == kReportLink) {
      ShowReportDetail(*context, record->ItemText(kItemRawText));
    }
  } catch (const RuntimeError&) {
    // A failing host call ends the click without a message.
    ReportTrap("frmRefertiLirvo.rcReferti_HyperlinkClick");
  }
}

// ---- Grid rows ------------------------------------------------------------------------

GridRecord& frmRefertiLirvo::AddPatientRow(const host::Patient& patient) {
  const host::Variant id = patient.ID();
  return patient_rows_.AddIndexed(GridItem(id).Text(), [&]() -> GridRecord& {
    GridRecord& row = rcReferti_.Records().Add();
    row.AddItem(id);
    row.AddItem(patient.Cognome() + " " + patient.Nome()).SetBold(true);
    AddEmptyItems(row, 5);
    row.AddItem("Codice fiscale: " + patient.CodiceFiscale() + "\r\n" +
                "Codice regionale: " + patient.Tessera());
    LinkWholeText(row.AddItem(std::string(kPatientLink)));
    AddEmptyItems(row, 1);
    row.SetExpanded(true);
    return row;
  });
}

GridRecord& frmRefertiLirvo::AddReportRow(GridRecord& patient_row, const ReportRowValues& report) {
  GridRecord& row = patient_row.Childs().Add();
  row.AddItem(report.patient_id);
  AddEmptyItems(row, 1);
  row.AddItem(std::to_string(report.position));
  row.AddItem(report.raw_text);
  row.AddItem(report.ward);
  row.AddItem(report.check_in_date);
  row.AddItem(report.report_date);
  GridItem& description = row.AddItem(report.body_inline);
  if (report.out_of_range) {
    description.SetBold(true);
    description.SetForeColor(255);
  }
  LinkWholeText(row.AddItem(std::string(kReportLink)));
  return row;
}

GridRecord* frmRefertiLirvo::FindPatientRow(const host::Variant& patient_id) {
  return patient_rows_.Find(GridItem(patient_id).Text());
}

// ---- The patient row index ----------------------------------------------------------

PatientRowIndex::PatientRowIndex(controls::ReportGrid& grid) : grid_(grid) {
  grid_.AddObserver(this);
  Rebuild();
}

PatientRowIndex::~PatientRowIndex() { grid_.RemoveObserver(this); }

GridRecord* PatientRowIndex::Find(const std::string& patient_id) {
  if (stale_) Rebuild();
  const auto found = rows_.find(patient_id);
  return found == rows_.end() ? nullptr : found->second;
}

void PatientRowIndex::Rebuild() {
  rows_.clear();
  controls::GridRecords& records = grid_.Records();
  for (int32_t i = 0; i < records.Count(); ++i) {
    rows_.try_emplace(records.Record(i).ItemText(kItemPatientId), &records.Record(i));
  }
  stale_ = false;
}

void PatientRowIndex::RowsInserted(const GridRecord* parent, int32_t, int32_t) {
  if (parent == nullptr && !adding_) stale_ = true;
}

void PatientRowIndex::RowsAboutToBeRemoved(const GridRecord* parent, int32_t, int32_t) {
  if (parent == nullptr) stale_ = true;
}

void PatientRowIndex::ItemsChanged(const GridRecord& record, int32_t first_item,
                                   int32_t last_item) {
  if (adding_ || record.Parent() != nullptr) return;
  if (first_item <= kItemPatientId && kItemPatientId <= last_item) stale_ = true;
}

}  // namespace lirvo::forms
