#include "importer/summaries.h"

#include <cstdint>
#include <string_view>

#include "base/files.h"
#include "base/product.h"
#include "base/runtime_error.h"
#include "base/text.h"
#include "base/trap.h"
#include "controls/control.h"
#include "controls/ui.h"
#include "forms/frm_referto.h"
#include "forms/report_preview.h"

namespace lirvo::importer {
namespace {

using controls::RichTextBox;

constexpr int32_t kBlack = 0;
constexpr int32_t kRed = controls::Rgb(255, 0, 0);
constexpr float kHeadFontSize = 12;

constexpr const char* kDetailCaption = "Dettaglio elaborazione";
constexpr const char* kDetailTitle = "Importazione referti";

void Append(RichTextBox& box, const std::string& text, bool bold = false, int32_t color = kBlack,
            float size = forms::kSheetFontSize) {
  controls::AppendRichText(box, forms::kSheetFont, size, color, bold, text);
}

void LineBreak(RichTextBox& box) { Append(box, "\r\n"); }

// A line break, the label bold in its field, the value.
void LabelledLine(RichTextBox& box, std::string_view label, const std::string& value,
                  bool bold_value = false) {
  LineBreak(box);
  Append(box, FixedWidth(label, forms::kLabelWidth), true);
  Append(box, value, bold_value);
}

// Fills a fresh detail window with `path`, caret at the start. Throws what
// the file system and the RTF reader throw, and 91 when the context is not
// shared (the window could not be shown, so nothing may count as read).
void LoadDetail(forms::frmReferto& form, forms::WindowContext& context, const std::string& path,
                const char* subtitle) {
  if (!form.Loaded()) throw RuntimeError(kErrObjectNotSet);
  form.SetCaption(kDetailCaption);
  form.laTitoli(2).SetCaption(kDetailTitle);
  form.laTitoli(3).SetCaption(subtitle);
  form.RichTextBox1().LoadFile(context.Fs(), path);
  form.RichTextBox1().SetSelStart(0);
}

void SetCommandVisible(forms::WindowContext& context, std::string_view key, bool visible) {
  const auto control = context.HostFramework().FindRibbonControl(context.IDService(key));
  if (control) control->SetVisible(visible);
}

}  // namespace

void WriteSkippedListHead(RichTextBox& box, const DateTime& now, const std::string& bundle_path) {
  Append(box, "Elenco referti già importati (" + FormatLongItalian(now) + ")", true, kBlack,
         kHeadFontSize);
  LineBreak(box);
  Append(box, "File dat: " + bundle_path);
  LineBreak(box);
}

void StartUnreadSection(RichTextBox& box, const Date& today) {
  if (box.TextLength() > 0) LineBreak(box);
  Append(box, "Data: ", true);
  Append(box, FormatDate(today), true, kRed);
}

void WriteSummaryBlock(RichTextBox& box, const host::Patient& patient,
                       const reports::ReportRecord& record, const std::string& content,
                       bool content_bold) {
  LineBreak(box);
  Append(box,
         " - " + patient.Cognome() + " " + patient.Nome() + " nato/a il " + patient.DataNascita(),
         true);
  LabelledLine(box, "    Reparto: ", record.Ward);
  LabelledLine(box, "    Check IN: ", Replace(Replace(record.CheckInDate, "H", ":"), "M", ""));
  LabelledLine(box, "    Referto del: ", record.ReportDate);
  LabelledLine(box, "    Refertazione: ", content, content_bold);
}

std::string SummaryPath(const forms::WindowContext& context, const char* name) {
  return context.DocumentsFolder() + name;
}

void ShowSummaryCommand(forms::WindowContext& context, bool unread) {
  SetCommandVisible(context, kKeyLast, !unread);
  SetCommandVisible(context, kKeyLastUnread, unread);
}

SummaryOutcome ShowLastProcessing(forms::WindowContext& context, bool asked) {
  try {
    FileSystem& fs = context.Fs();
    const std::string unread = SummaryPath(context, kUnreadSummaryFile);
    const std::string read = SummaryPath(context, kReadSummaryFile);
    const bool from_unread = FileExists(fs, unread);
    SummaryOutcome outcome = SummaryOutcome::kShown;
    if (from_unread || FileExists(fs, read)) {
      forms::frmReferto form(context.weak_from_this());
      LoadDetail(form, context, from_unread ? unread : read, "Ultima elaborazione effettuata");
      form.ShowModal();
      if (from_unread) {
        // The read summary is replaced whole or not at all; only then does
        // the unread one go.
        form.RichTextBox1().SaveFile(fs, read);
        DeleteFileForced(fs, unread);
      }
    } else {
      outcome = SummaryOutcome::kNothingToShow;
      if (asked) {
        context.UserInterface().MsgBox("Nessuna importazione effettuata!", ui::kExclamation,
                                       ui::kMsgTitle);
      }
    }
    ShowSummaryCommand(context, FileExists(fs, unread));
    return outcome;
  } catch (...) {
    ReportTrap("ShowLastProcessing");
    return SummaryOutcome::kFailed;
  }
}

SummaryOutcome ShowSkippedReports(forms::WindowContext& context, bool warn) {
  try {
    const std::string skipped = SummaryPath(context, kSkippedSummaryFile);
    if (!FileExists(context.Fs(), skipped)) return SummaryOutcome::kNothingToShow;
    ui::Ui& ui = context.UserInterface();
    const PointerGuard pointer(ui, kPointerDefault);
    if (warn) {
      ui.MsgBox("Attenzione! Trovati referti già importati!", ui::kExclamation, ui::kMsgTitle);
    }
    forms::frmReferto form(context.weak_from_this());
    LoadDetail(form, context, skipped, "Ultimi referti tralasciati");
    form.ShowModal();
    return SummaryOutcome::kShown;
  } catch (...) {
    ReportTrap("ShowSkippedReports");
    return SummaryOutcome::kFailed;
  }
}

}  // namespace lirvo::importer
