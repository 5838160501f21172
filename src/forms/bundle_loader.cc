#include "forms/bundle_loader.h"

#include <optional>

#include "base/runtime_error.h"
#include "base/trap.h"
#include "forms/frm_referti_lirvo.h"
#include "reports/bundle_parser.h"
#include "reports/bundle_text.h"

namespace lirvo::forms {
namespace {

// The bundle's pieces into `bundle`, left empty when the file cannot be
// read: a missing or unreadable file loads like an empty one.
void ReadBundle(FileSystem& fs, const std::string& path,
                std::optional<reports::BundleText>& bundle) {
  try {
    bundle.emplace(fs, path);
  } catch (const RuntimeError&) {
    bundle.reset();
  }
}

void AddReports(WindowContext& context, frmRefertiLirvo& window,
                const std::vector<std::string_view>& pieces) {
  host::Archive& archive = context.Host().Archivio();
  for (size_t i = 0; i < pieces.size(); ++i) {
    if (i == kMaxLoadedPieces) throw RuntimeError(kErrOverflow);
    reports::ReportRecord record;
    if (!reports::ParseReport(pieces[i], reports::Layout::Inline, record)) continue;
    const std::shared_ptr<host::Patient> patient =
        archive.DaiPazienteRegionale(record.PatientCode, true);
    if (!patient) continue;
    const host::Variant id = patient->ID();
    controls::GridRecord* patient_row = window.FindPatientRow(id);
    if (patient_row == nullptr) patient_row = &window.AddPatientRow(*patient);
    window.AddReportRow(*patient_row, {.patient_id = id,
                                       .position = static_cast<int32_t>(i),
                                       .raw_text = std::string(pieces[i]),
                                       .ward = record.Ward,
                                       .check_in_date = record.CheckInDate,
                                       .report_date = record.ReportDate,
                                       .body_inline = record.Body,
                                       .out_of_range = record.OutOfRange});
  }
}

}  // namespace

bool LoadBundle(WindowContext& context, const LoadedForms& windows, const std::string& path,
                std::string& message) {
  message.clear();
  const PointerGuard hourglass(context.UserInterface());
  const std::shared_ptr<frmRefertiLirvo> window = windows.MainReportsWindow();
  if (!window) return false;
  try {
    controls::ReportGrid& grid = window->rcReferti();
    grid.Records().DeleteAll();
    window->pbFndPaz().SetVisible(false);
    context.SetCurrentBundle("");

    bool result = false;
    std::optional<reports::BundleText> bundle;
    ReadBundle(context.Fs(), path, bundle);
    if (!bundle || bundle->Pieces().empty()) {
      message = "File referti inconsistente!";
    } else {
      context.SetCurrentBundle(path);
      AddReports(context, *window, bundle->Pieces());
      result = true;
    }
    grid.Populate();
    grid.Redraw();
    window->pbFndPaz().SetVisible(grid.Records().Count() > 0);
    return result;
  } catch (const RuntimeError&) {
    ReportTrap("LoadBundle");
    return false;
  }
}

}  // namespace lirvo::forms
