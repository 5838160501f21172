#include "plugin/command_dispatcher.h"

#include <string>

#include "base/text.h"
#include "forms/bundle_loader.h"
#include "forms/frm_config.h"
#include "forms/list_printing.h"
#include "importer/batch_import.h"
#include "importer/summaries.h"
#include "plugin/cls_config.h"
#include "plugin/command_registry.h"
#include "reports/imported_register.h"

namespace lirvo::plugin {
namespace {

constexpr const char* kCrLf = "\r\n";

// Sets the enabled state of the ribbon control of `key`, when the ribbon has
// one.
void EnableCommand(ModuleState& state, std::string_view key, bool enabled) {
  const auto control = state.HostFramework().FindRibbonControl(state.Config().IDService(key));
  if (control) control->SetEnabled(enabled);
}

// "Importa" and "Rinuncia" follow the loaded bundle (there is one and it is
// not marked imported), "Stampa" the list.
void RefreshBundleCommands(ModuleState& state) {
  const std::string& bundle = state.CurrentBundle();
  const bool importable = !bundle.empty() && !reports::IsImportedName(bundle);
  EnableCommand(state, kKeyImporta, importable);
  EnableCommand(state, kKeyRinuncia, importable);
  EnableCommand(state, kKeyStampa, forms::HasReports(state.Windows()));
}

void History(ModuleState& state) {
  std::string message;
  const bool loaded = forms::ChooseAndLoadBundle(state, state.Windows(), message);
  RefreshBundleCommands(state);
  if (loaded || message.empty()) return;
  state.UserInterface().MsgBox(
      std::string("Attenzione! Sincronizzazione referti non a buon fine!") + kCrLf + "[" + message +
          "]",
      ui::kInformation, ui::kMsgTitle);
}

void Import(ModuleState& state) {
  int16_t count = 0;
  std::string message;
  const bool imported = importer::ImportAllReports(state, state.Windows(), count, message);
  RefreshBundleCommands(state);
  ui::Ui& ui = state.UserInterface();
  if (imported) {
    const std::string text = "Impostazione effettuata correttamente! Importati " +
                             std::to_string(count) + " referti." + kCrLf + kCrLf +
                             "Vuoi stampare l'elenco dei referti importati?";
    if (ui.MsgBox(text, ui::kQuestionYesNo, ui::kMsgTitle) == ui::kAnswerYes) {
      forms::PrintReportList(state.Windows(), ui);
    }
    return;
  }
  std::string text = "Attenzione! Importazione referti non a buon fine!";
  if (!message.empty()) text += std::string(kCrLf) + "[" + message + "]";
  ui.MsgBox(text, ui::kInformation, ui::kMsgTitle);
}

void Renunciation(ModuleState& state) {
  ui::Ui& ui = state.UserInterface();
  if (ui.MsgBox("Vuoi marcare come già importati i referti in elenco?", ui::kQuestionYesNo,
                ui::kMsgTitle) != ui::kAnswerYes) {
    return;
  }
  std::string bundle = state.CurrentBundle();
  const bool marked =
      reports::MarkBundleImported({state.Fs(), state.GetClock(), &state.UserInterface()}, bundle);
  state.SetCurrentBundle(bundle);
  if (!marked) {
    ui.MsgBox("Attenzione! Operazione non a buon fine!", ui::kInformation, ui::kMsgTitle);
  }
  RefreshBundleCommands(state);
}

}  // namespace

void RunCommand(ModuleState& state, int32_t id) {
  clsConfig& config = state.Config();
  if (id == config.IDService(kKeySetup)) {
    forms::ShowConfigDialog(state);
    return;
  }
  const std::string key = config.KeyService(id);
  if (key == kKeyStorico) {
    History(state);
  } else if (key == kKeyImporta) {
    Import(state);
  } else if (key == kKeyRinuncia) {
    Renunciation(state);
  } else if (key == kKeyStampa) {
    forms::PrintReportList(state.Windows(), state.UserInterface());
  } else if (key == kKeyLast || key == kKeyLastUnread) {
    importer::ShowLastProcessing(state, /*asked=*/true);
  } else if (key == kKeyLastDouble) {
    importer::ShowSkippedReports(state, /*warn=*/false);
  }
  // "RefertiLirvo.main" and unknown keys do nothing.
}

}  // namespace lirvo::plugin
