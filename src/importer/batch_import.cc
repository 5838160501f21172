#include "importer/batch_import.h"

#include <charconv>
#include <memory>

#include "base/busy_pointer.h"
#include "base/files.h"
#include "base/product.h"
#include "base/text.h"
#include "base/trap.h"
#include "forms/frm_referti_lirvo.h"
#include "forms/frm_referto.h"
#include "importer/import_steps.h"
#include "importer/item_watch.h"
#include "importer/summaries.h"
#include "reports/cls_trascodifica.h"
#include "reports/imported_register.h"

namespace lirvo::importer {
namespace {

using controls::RichTextBox;

// The batch import's reactions: saved items go into the unread summary,
// items already present into the skipped list, one block per report.
class SummaryReactions final : public ImportReactions {
 public:
  SummaryReactions(RichTextBox& unread, RichTextBox& skipped, int32_t& skipped_count)
      : unread_(unread), skipped_(skipped), skipped_count_(skipped_count) {}

  void SetPatient(const host::Patient& patient) { patient_ = &patient; }

  void VisitPresent(const reports::ReportRecord& report, const std::string& description) override {
    ++skipped_count_;
    WriteSummaryBlock(skipped_, *patient_, report, description, /*content_bold=*/true);
  }
  void VisitSaved(const reports::ReportRecord& report, const std::string& description) override {
    WriteSummaryBlock(unread_, *patient_, report, description, /*content_bold=*/true);
  }
  void LabValuePresent(const reports::ReportRecord&, const LabLine&, const std::string&) override {
    ++skipped_count_;
  }
  void LabReportDone(const reports::ReportRecord& report, const std::string& imported_names,
                     const std::string& present_names) override {
    if (!imported_names.empty())
      WriteSummaryBlock(unread_, *patient_, report, imported_names, false);
    if (!present_names.empty())
      WriteSummaryBlock(skipped_, *patient_, report, present_names, false);
  }

 private:
  RichTextBox& unread_;
  RichTextBox& skipped_;
  int32_t& skipped_count_;
  const host::Patient* patient_ = nullptr;
};

void CaretToStart(RichTextBox& box) {
  box.SetSelStart(0);
  box.SetSelLength(0);
}

void SetCommandVisible(forms::WindowContext& context, std::string_view key, bool visible) {
  const auto control = context.HostFramework().FindRibbonControl(context.IDService(key));
  if (control) control->SetVisible(visible);
}

// The position of a report row (item 2), -1 when it does not read.
int32_t ParsePosition(const std::string& text) {
  int32_t position = -1;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), position);
  return ec == std::errc() && end == text.data() + text.size() ? position : -1;
}

// A report that the import passes over: it does not read, or its patient is
// not the row's. Told item by item, as an import would have met them.
void TellPassedOver(const reports::ReportRecord& report, bool parsed) {
  if (!parsed) {
    ImportItem item;
    item.outcome = ItemOutcome::kNotParsed;
    TellItem(std::move(item));
    return;
  }
  for (ImportItem item : ItemsOf(report, -1)) {
    item.outcome = ItemOutcome::kNoPatient;
    TellItem(std::move(item));
  }
}

// The main loop: every report row of every patient row, the progress bar
// counting the patient rows.
void ImportRows(forms::WindowContext& context, forms::frmRefertiLirvo& window, ImportRun& run,
                SummaryReactions& reactions) {
  controls::ReportGrid& grid = window.rcReferti();
  controls::ProgressBar& bar = window.ProgressBar1();
  host::Archive& archive = context.Host().Archivio();
  const int32_t rows = grid.Records().Count();
  for (int32_t i = 0; i < rows && i < grid.Records().Count(); ++i) {
    const std::string step = std::to_string(i + 1) + " di " + std::to_string(rows);
    bar.SetText(step);
    if (bar.Value() < bar.Max()) bar.SetValue(bar.Value() + 1);
    const controls::GridRecords& reports = grid.Records().Record(i).Childs();
    for (int32_t j = 0; j < reports.Count(); ++j) {
      const controls::GridRecord& row = reports.Record(j);
      const WatchedReport watched(ParsePosition(row.ItemText(forms::kItemPosition)));
      reports::ReportRecord report;
      bool parsed = false;
      const std::shared_ptr<host::Patient> patient =
          FindReportPatient(archive, row.ItemText(forms::kItemRawText),
                            row.ItemText(forms::kItemPatientId), report, &parsed);
      if (!patient) {
        TellPassedOver(report, parsed);
        continue;
      }
      bar.SetText(step + " [" + patient->Cognome() + " " + patient->Nome() + "]");
      reactions.SetPatient(*patient);
      ImportReport(run, *patient, report);
    }
  }
}

}  // namespace

bool ImportAllReports(forms::WindowContext& context, const forms::LoadedForms& windows,
                      int16_t& count, std::string& error) {
  count = 0;
  error.clear();
  const PointerGuard hourglass(context.UserInterface());
  const auto detail = std::make_shared<forms::frmReferto>(context.weak_from_this());
  std::shared_ptr<forms::frmRefertiLirvo> window;
  try {
    FileSystem& fs = context.Fs();
    RichTextBox& unread = detail->RichTextBox1();
    RichTextBox& skipped = detail->RichTextBox2();
    const std::string unread_path = SummaryPath(context, kUnreadSummaryFile);
    const std::string skipped_path = SummaryPath(context, kSkippedSummaryFile);
    if (FileExists(fs, unread_path)) {
      unread.LoadFile(fs, unread_path);
    } else {
      unread.SetText("");
    }
    CaretToStart(unread);
    skipped.SetText("");
    CaretToStart(skipped);
    int32_t skipped_count = 0;
    if (FileExists(fs, skipped_path)) DeleteFileForced(fs, skipped_path);
    WriteSkippedListHead(skipped, context.GetClock().Now(), context.CurrentBundle());

    if (!reports::IsImportedName(context.CurrentBundle())) window = windows.MainReportsWindow();
    if (window) {
      window->pbFndPaz().SetVisible(false);
      controls::ProgressBar& bar = window->ProgressBar1();
      bar.SetText("");
      bar.SetMax(window->rcReferti().Records().Count());
      bar.SetVisible(true);
      StartUnreadSection(unread, context.GetClock().Now().date());
      reports::clsTrascodifica table(context.Host(), context.PluginFolder());
      SummaryReactions reactions(unread, skipped, skipped_count);
      ImportRun run{.host = context.Host(),
                    .table = table,
                    .clock = context.GetClock(),
                    .reactions = reactions,
                    .imported = count,
                    .error = error};
      ImportRows(context, *window, run, reactions);
      window->ProgressBar1().SetVisible(false);
      window->pbFndPaz().SetVisible(true);
    }

    if (count > 0) {
      unread.SaveFile(fs, unread_path);
      ShowSummaryCommand(context, /*unread=*/true);
      std::string bundle = context.CurrentBundle();
      if (reports::MarkBundleImported({fs, context.GetClock(), &context.UserInterface()}, bundle)) {
        context.SetCurrentBundle(bundle);
      }
    }
    if (skipped_count > 0) {
      skipped.SaveFile(fs, skipped_path);
      ShowSkippedReports(context, /*warn=*/true);
    }
    SetCommandVisible(context, kKeyLastDouble, skipped_count > 0);
  } catch (...) {
    // The run ends here; what was saved stays saved.
    ReportTrap("ImportAllReports");
  }
  if (window) {
    try {
      window->ProgressBar1().SetVisible(false);
      window->pbFndPaz().SetVisible(true);
    } catch (...) {
      ReportTrap("ImportAllReports");
    }
  }
  detail->Release();
  return error.empty() && count > 0;
}

}  // namespace lirvo::importer
