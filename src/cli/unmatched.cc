#include "cli/unmatched.h"

#include <string_view>

#include "base/text.h"
#include "reports/bundle_parser.h"
#include "reports/bundle_text.h"

namespace lirvo::cli {

std::vector<UnmatchedReport> FindUnmatchedReports(FileSystem& fs, host::Archive& archive,
                                                  const std::string& bundle_path,
                                                  size_t* not_parsed) {
  const std::string text = reports::LoadBundleText(fs, bundle_path);
  std::vector<UnmatchedReport> unmatched;
  size_t refused = 0;
  reports::PieceCutter cutter(text);
  std::string_view piece;
  reports::ReportRecord record;
  while (cutter.Next(piece)) {
    if (!reports::ParseReport(piece, reports::Layout::Inline, record)) {
      if (!Trim(piece).empty()) ++refused;
      continue;
    }
    if (archive.DaiPazienteRegionale(record.PatientCode, true) != nullptr) continue;
    UnmatchedReport& report = unmatched.emplace_back();
    report.position = static_cast<int32_t>(cutter.Index());
    report.patient_code = record.PatientCode;
    report.report_date = record.ReportDate;
    report.check_in_date = record.CheckInDate;
    if (!record.ExamCodes.empty()) {
      for (const std::string_view code : Split(record.ExamCodes, ", ")) {
        report.exam_codes.emplace_back(code);
      }
    }
  }
  if (not_parsed != nullptr) *not_parsed = refused;
  return unmatched;
}

}  // namespace lirvo::cli
