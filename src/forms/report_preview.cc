#include "forms/report_preview.h"

#include <vector>

#include "base/text.h"
#include "base/trap.h"
#include "controls/control.h"
#include "forms/frm_referto.h"

namespace lirvo::forms {
namespace {

using controls::RichTextBox;

constexpr int32_t kBlack = 0;
constexpr int32_t kRed = controls::Rgb(255, 0, 0);

void Append(RichTextBox& box, const std::string& text, bool bold = false, int32_t color = kBlack) {
  controls::AppendRichText(box, kSheetFont, kSheetFontSize, color, bold, text);
}

void LineBreak(RichTextBox& box) { Append(box, "\r\n"); }

void LabelAndValue(RichTextBox& box, std::string_view label, const std::string& value) {
  Append(box, FixedWidth(label, kLabelWidth), true);
  Append(box, value);
}

// One "#05#" value: the dotted name, the value with its unit (bold red when
// out of range) and the range. False when the line lacks fields.
bool ValueLine(RichTextBox& box, std::string_view line) {
  const std::vector<std::string_view> fields = Split(line, "\t");
  if (fields.size() < 5) return false;
  LineBreak(box);
  Append(box, Replace(FixedWidth(fields[1], kNameWidth), " ", ".") + " ", true);
  const std::string value =
      FixedWidth(std::string(fields[2]) + " " + std::string(fields[3]), kLabelWidth);
  if (value.starts_with("*")) {
    Append(box, value + " ", true, kRed);
  } else {
    Append(box, value + " ");
  }
  Append(box, std::string(fields[4]));
  return true;
}

}  // namespace

bool BuildReportSheet(const reports::ReportRecord& report, RichTextBox& box) {
  box.SetText("");
  LabelAndValue(box, "Reparto:", report.Ward);
  LineBreak(box);
  LabelAndValue(box, "Check IN:", Replace(Replace(report.CheckInDate, "H", ":"), "M", ""));
  LineBreak(box);
  LabelAndValue(box, "Referto del:", report.ReportDate);
  LineBreak(box);
  LineBreak(box);
  if (report.Kind == "S") {
    Append(box, "Refertazione: " + report.ExamDescriptions, true);
    LineBreak(box);
    LineBreak(box);
    Append(box, report.Body);
  } else {
    Append(box, "Esami:", true);
    LineBreak(box);
    for (const std::string_view line : Split(report.Body, "\r\n")) {
      if (line.empty()) continue;
      if (!ValueLine(box, line)) {
        box.SetText("");
        return false;
      }
    }
  }
  box.SetSelStart(0);
  return true;
}

std::string ReportSubtitle(const host::Patient& patient) {
  return patient.Cognome() + " " + patient.Nome();
}

void ShowReportDetail(WindowContext& context, const std::string& raw_text) {
  try {
    reports::ReportRecord report;
    if (!reports::ParseReport(raw_text, reports::Layout::Lines, report)) return;
    report.Ward = "Ospedale";
    const auto patient = context.Host().Archivio().DaiPazienteRegionale(report.PatientCode, true);
    if (!patient) return;
    frmReferto form(context.weak_from_this());
    if (!BuildReportSheet(report, form.RichTextBox1())) return;
    form.laTitoli(3).SetCaption(ReportSubtitle(*patient));
    form.ShowModal();
  } catch (...) {
    // The preview is abandoned: nothing shown, no message.
    ReportTrap("frmRefertiLirvo.ShowReportDetail");
  }
}

}  // namespace lirvo::forms
