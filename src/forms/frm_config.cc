#include "forms/frm_config.h"

#include <nlohmann/json.hpp>
#include <utility>

#include "base/runtime_error.h"
#include "base/text.h"
#include "base/trap.h"
#include "base/utf8.h"
#include "forms/dialog_look.h"
#include "forms/folder_browser.h"

namespace lirvo::forms {
namespace {

using controls::Bounds;

constexpr int32_t kWidth = 7710;
constexpr const char* kFolderRequired = "Cartella di salvataggio dei documenti obbigliatoria!";

// Drops the dialog's context when the guard goes: the dialog is unloaded on
// every exit path.
class ReleaseGuard {
 public:
  explicit ReleaseGuard(Window& window) : window_(window) {}
  ~ReleaseGuard() { window_.Release(); }
  ReleaseGuard(const ReleaseGuard&) = delete;
  ReleaseGuard& operator=(const ReleaseGuard&) = delete;

 private:
  Window& window_;
};

}  // namespace

frmConfig::frmConfig(std::weak_ptr<WindowContext> context)
    : ModalWindow(std::move(context)),
      picTop_("picTop", Bounds{0, 0, kWidth, 795}),
      laTitoli_{
          controls::Label("laTitoli(0)", Bounds{120, 60, 1155, 195}, "Procedura"),
          controls::Label("laTitoli(1)", Bounds{360, 360, 5685, 390}, "Configurazione procedura")},
      Label4_("Label4", Bounds{120, 900, 3000, 195}, "Cartelle di lavoro"),
      Label5_("Label5", Bounds{360, 1260, 1000, 195}, "Referti"),
      Picture1_("Picture1", Bounds{1440, 1170, 6150, 420}),
      laPath_("laPath", Bounds{75, 60, 5600, 300}, ""),
      Command1_("Command1", Bounds{5730, 60, 315, 285}, "..."),
      Line3_("Line3", 0, 1815, kWidth, 1815, kWhite),
      Line4_("Line4", 0, 1800, kWidth, 1800, kSilver),
      Label13_("Label13", Bounds{120, 2040, 4800, 195},
               "(Le informazioni contraddistinte in rosso sono obbligatorie)"),
      cmdButton_{controls::Button("cmdButton(0)", Bounds{6405, 1950, 1155, 375}, "Chiudi"),
                 controls::Button("cmdButton(1)", Bounds{5145, 1950, 1155, 375}, "Applica")} {
  for (controls::Label& title : laTitoli_) title.SetContainer(&picTop_);
  laPath_.SetContainer(&Picture1_);
  Command1_.SetContainer(&Picture1_);
  cmdButton_[1].SetEnabled(false);
  ApplyHeaderBandLook(picTop_, laTitoli_[0], laTitoli_[1]);
  ApplyFolderPanelLook(Picture1_, laPath_, std::nullopt);
}

controls::Label& frmConfig::laTitoli(int32_t index) { return Indexed(laTitoli_, index); }
controls::Button& frmConfig::cmdButton(int32_t index) { return Indexed(cmdButton_, index); }

void frmConfig::Form_Load() {
  Unhide();
  apply_data_ = false;
  cmdButton_[1].SetEnabled(false);
}

bool frmConfig::ValidateFolder(bool warn) {
  if (!Trim(laPath_.Caption()).empty()) return true;
  if (warn) {
    if (const auto context = Context()) {
      context->UserInterface().MsgBox(kFolderRequired, ui::kExclamation, ui::kMsgTitle);
    }
    if (Command1_.Visible()) active_control_ = &Command1_;
  }
  return false;
}

void frmConfig::Command1_Click() {
  const auto context = Context();
  if (!context) return;
  try {
    const std::string chosen = BrowseForNewFolder(context->UserInterface(), laPath_.Caption());
    if (chosen.empty()) return;
    laPath_.SetCaption(chosen);
    cmdButton_[1].SetEnabled(ValidateFolder(false));
  } catch (...) {
    ReportTrap("frmConfig.Command1_Click");
  }
}

void frmConfig::Apply(WindowContext& context) {
  if (!ValidateFolder(true)) return;
  context.SetDocumentsFolder(std::string(Trim(laPath_.Caption())));
  apply_data_ = true;
  cmdButton_[1].SetEnabled(false);
}

void frmConfig::cmdButton_Click(int32_t index) {
  const auto context = Context();
  if (!context) return;
  if (index == 0) Hide();
  if (index != 1) return;
  try {
    Apply(*context);
  } catch (...) {
    ReportTrap("frmConfig.cmdButton_Click");
  }
}

void frmConfig::Close() { Hide(); }

bool frmConfig::Perform(const std::string& action) {
  if (!Loaded()) return false;
  if (action == "Command1") {
    Command1_Click();
    return true;
  }
  int32_t index = -1;
  if (action == "Chiudi" || action == "cmdButton 0") index = 0;
  if (action == "Applica" || action == "cmdButton 1") index = 1;
  if (index < 0 || !cmdButton_[static_cast<size_t>(index)].Enabled()) return false;
  cmdButton_Click(index);
  return true;
}

nlohmann::json frmConfig::Describe() const {
  return {{"folder", SanitizeUtf8(laPath_.Caption())}, {"apply_enabled", cmdButton_[1].Enabled()}};
}

bool ShowConfigDialog(WindowContext& context) {
  bool applied = false;
  try {
    std::weak_ptr<WindowContext> weak = context.weak_from_this();
    if (weak.expired()) throw RuntimeError(kErrObjectNotSet);  // a context nobody owns
    auto form = std::make_shared<frmConfig>(std::move(weak));
    ReleaseGuard unload(*form);
    form->Form_Load();
    form->SetCaption(ui::kMsgTitle);
    form->laPath().SetCaption(context.DocumentsFolder());
    context.UserInterface().ShowModal(*form);
    applied = form->bApplyData();
  } catch (...) {
    ReportTrap("ShowConfigDialog");
  }
  return applied;
}

}  // namespace lirvo::forms
