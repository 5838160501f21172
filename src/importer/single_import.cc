#include "importer/single_import.h"

#include <memory>

#include "base/busy_pointer.h"
#include "base/trap.h"
#include "importer/import_steps.h"
#include "reports/bundle_parser.h"
#include "reports/cls_trascodifica.h"

namespace lirvo::importer {

namespace {

// Items already in the chart become error lines.
class PresentAsErrors final : public ImportReactions {
 public:
  explicit PresentAsErrors(std::string& error) : error_(error) {}

  void VisitPresent(const reports::ReportRecord& report, const std::string& description) override {
    AppendLine(error_, "Referto " + description + " del " + CheckIn(report) + " già importato!");
  }
  void LabValuePresent(const reports::ReportRecord& report, const LabLine& line,
                       const std::string&) override {
    AppendLine(error_, "Referto " + line.name + " del " + CheckIn(report) + " e valore " +
                           line.value + " già importato!");
  }

 private:
  static std::string CheckIn(const reports::ReportRecord& report) {
    return FormatDate(ReadAsDate(report.CheckInDate));
  }

  std::string& error_;
};

}  // namespace

bool ImportSingleReport(forms::WindowContext& context, const std::string& patient_id,
                        const std::string& raw_text, int16_t& count, std::string& error) {
  count = 0;
  error.clear();
  try {
    const PointerGuard hourglass(context.UserInterface());
    host::HostApp& host = context.Host();
    reports::clsTrascodifica table(host, context.PluginFolder());
    reports::ReportRecord report;
    const std::shared_ptr<host::Patient> patient =
        FindReportPatient(host.Archivio(), raw_text, patient_id, report);
    if (patient) {
      PresentAsErrors reactions(error);
      ImportRun run{.host = host,
                    .table = table,
                    .clock = context.GetClock(),
                    .reactions = reactions,
                    .imported = count,
                    .error = error};
      ImportReport(run, *patient, report);
    }
  } catch (...) {  // the call ends here; what was saved stays saved
    ReportTrap("ImportSingleReport");
  }
  return error.empty() && count > 0;
}

}  // namespace lirvo::importer
