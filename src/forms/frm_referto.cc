#include "forms/frm_referto.h"

#include <charconv>
#include <nlohmann/json.hpp>
#include <string_view>
#include <utility>

#include "base/runtime_error.h"
#include "base/trap.h"
#include "base/utf8.h"
#include "controls/scripted_ui.h"
#include "forms/dialog_look.h"

namespace lirvo::forms {
namespace {

using controls::Bounds;

// A whole decimal number, or false.
bool ReadNumber(std::string_view text, int32_t& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

}  // namespace

frmReferto::frmReferto(std::weak_ptr<WindowContext> context)
    : Window(std::move(context)),
      FramePlus1_("FramePlus1", Bounds{0, 0, 11220, 735}),
      laTitoli2_("laTitoli", Bounds{120, 60, 750, 195}, "Paziente"),
      laTitoli3_("laTitoli", Bounds{360, 360, 6090, 315}, "Patient summary"),
      Shape1_("Shape1", Bounds{75, 825, 11040, 6240}),
      RichTextBox1_("RichTextBox1", Bounds{90, 840, 11015, 6210}),
      cbStampa_("cbStampa", Bounds{150, 7275, 1140, 390}, "Stampa"),
      cbChiudi_("cbChiudi", Bounds{9900, 7275, 1140, 390}, "Chiudi"),
      RichTextBox2_("RichTextBox2", Bounds{3075, 7350, 4110, 360}) {
  laTitoli2_.SetContainer(&FramePlus1_);
  laTitoli3_.SetContainer(&FramePlus1_);
  RichTextBox2_.SetVisible(false);
  ApplyHeaderBandLook(FramePlus1_, laTitoli2_, laTitoli3_);
  Shape1_.SetBorderColor(kSilver);
}

controls::Label& frmReferto::laTitoli(int index) {
  return const_cast<controls::Label&>(std::as_const(*this).laTitoli(index));
}

const controls::Label& frmReferto::laTitoli(int index) const {
  if (index == 2) return laTitoli2_;
  if (index == 3) return laTitoli3_;
  throw RuntimeError(
      kErrNoControlArrayElement,
      "L'elemento " + std::to_string(index) + " della matrice di controlli 'laTitoli' non esiste");
}

nlohmann::json frmReferto::Describe() const {
  return {{"labels",
           {{"2", SanitizeUtf8(laTitoli2_.Caption())}, {"3", SanitizeUtf8(laTitoli3_.Caption())}}},
          {"text", SanitizeUtf8(RichTextBox1_.Text())},
          {"runs", ui::ScriptedUi::RunsToJson(RichTextBox1_.Runs())}};
}

bool frmReferto::Perform(const std::string& action) {
  std::string_view words = action;
  if (words.starts_with("click ")) words.remove_prefix(6);
  if (words == "cbStampa") {
    cbStampa_Click();
    return true;
  }
  if (words == "cbChiudi") {
    cbChiudi_Click();
    return true;
  }
  if (!words.starts_with("select ")) return false;
  words.remove_prefix(7);
  const size_t blank = words.find(' ');
  int32_t start = 0, length = 0;
  if (blank == std::string_view::npos || !ReadNumber(words.substr(0, blank), start) ||
      !ReadNumber(words.substr(blank + 1), length) || start < 0 || length < 0) {
    return false;
  }
  RichTextBox1_.SetSelStart(start);
  RichTextBox1_.SetSelLength(length);
  return true;
}

void frmReferto::ShowModal() {
  const auto context = Context();
  if (!context) return;
  open_ = true;
  context->UserInterface().ShowModal(*this);
  open_ = false;
}

void frmReferto::cbChiudi_Click() { open_ = false; }

void frmReferto::cbStampa_Click() {
  const auto context = Context();
  if (!context) return;
  try {
    const bool selection = RichTextBox1_.SelLength() > 0;
    int flags = ui::kPrinterReturnDc | ui::kPrinterNoPageNums;
    if (selection) flags |= ui::kPrinterSelection;
    ui::Ui& ui = context->UserInterface();
    const ui::PrinterDc dc = ui.ShowPrinter(flags);
    ui.PrintText(selection ? RichTextBox1_.SelectedRuns() : RichTextBox1_.Runs(), dc);
  } catch (const RuntimeError& e) {
    // Cancelled or failed: nothing printed, no message, the window stays. A
    // cancel is the person's choice, not a fault: it is not recorded.
    if (e.Number() != ui::kErrCancel) ReportTrap("frmReferto.cbStampa_Click");
  } catch (...) {
    ReportTrap("frmReferto.cbStampa_Click");
  }
}

}  // namespace lirvo::forms
