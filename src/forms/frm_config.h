// The configuration dialog ("Opzioni"): the user picks the documents folder
// with the folder browser and applies it; applying writes it into the
// configuration at once (WindowContext::SetDocumentsFolder). The dialog stays
// open until "Chiudi" or its close box.
//
// ShowConfigDialog loads, shows and unloads it. A presenter over control
// models; once its context is gone or the window released, the handlers do
// nothing.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <nlohmann/json_fwd.hpp>
#include <string>

#include "controls/simple_controls.h"
#include "forms/modal_window.h"

namespace lirvo::forms {

class frmConfig final : public ModalWindow {
 public:
  static constexpr const char* kFormName = "frmConfig";

  explicit frmConfig(std::weak_ptr<WindowContext> context);

  // ---- host::EmbeddedForm and ui::ModalForm
  std::string Name() const override { return kFormName; }
  std::string Caption() const override { return caption_; }
  void SetCaption(const std::string& caption) { caption_ = caption; }
  // The close box: as "Chiudi".
  void Close() override;
  // {"folder": laPath's caption, "apply_enabled": B}
  nlohmann::json Describe() const override;
  // "Command1" (the folder browser answers), "Applica" or "cmdButton 1",
  // "Chiudi" or "cmdButton 0". False for anything else, for a button that
  // is disabled (a person cannot click it), and once the window is
  // released.
  bool Perform(const std::string& action) override;

  // True once a folder was applied during this load.
  bool bApplyData() const { return apply_data_; }

  // ---- Event handlers
  // A fresh load: nothing applied, "Applica" disabled, shown.
  void Form_Load();
  // 0 "Chiudi" hides the dialog, saving nothing. 1 "Applica": when the
  // folder is valid, stores laPath's folder (trimmed) as the documents
  // folder, marks the data applied and disables itself; a configuration
  // that cannot be written keeps its old folder (the context's concern),
  // the dialog still marks the folder applied. Errors end it silently.
  void cmdButton_Click(int32_t index);
  // Changes the folder shown: the browser opens on laPath's folder; a new
  // choice (a separator added when missing, compared without regard to
  // letter case) is shown and "Applica" enabled when it is valid.
  // Cancelling or choosing the folder shown, in any letter case, changes
  // nothing. Errors end it silently (trapped).
  void Command1_Click();

  // Whether laPath names a folder (not blank); when not and `warn`, says so
  // ("Cartella di salvataggio dei documenti obbigliatoria!", code 48) and
  // puts the focus on Command1 when it is visible.
  bool ValidateFolder(bool warn);

  // The control with the keyboard focus, or nullptr.
  const controls::Control* ActiveControl() const { return active_control_; }

  // ---- Controls
  controls::Panel& picTop() { return picTop_; }
  // Index 0 "Procedura", 1 "Configurazione procedura"; RuntimeError 9 for
  // another index.
  controls::Label& laTitoli(int32_t index);
  controls::Panel& Picture1() { return Picture1_; }
  controls::Button& Command1() { return Command1_; }
  controls::Label& laPath() { return laPath_; }
  const controls::Label& laPath() const { return laPath_; }
  // Index 0 "Chiudi", 1 "Applica"; RuntimeError 9 for another index.
  controls::Button& cmdButton(int32_t index);
  controls::Label& Label4() { return Label4_; }
  controls::Label& Label5() { return Label5_; }
  controls::Label& Label13() { return Label13_; }
  controls::Line& Line3() { return Line3_; }
  controls::Line& Line4() { return Line4_; }

 private:
  void Apply(WindowContext& context);

  std::string caption_;
  bool apply_data_ = false;
  const controls::Control* active_control_ = nullptr;

  controls::Panel picTop_;
  std::array<controls::Label, 2> laTitoli_;
  controls::Label Label4_;
  controls::Label Label5_;
  controls::Panel Picture1_;
  controls::Label laPath_;
  controls::Button Command1_;
  controls::Line Line3_;
  controls::Line Line4_;
  controls::Label Label13_;
  std::array<controls::Button, 2> cmdButton_;
};

// Opens the configuration dialog on `context`'s documents folder, captioned
// "Clinora - Referti Lirvo", shows it modally and unloads it; true when the
// user applied a folder. Any error ends it with the result so far (false
// until the dialog has been shown), trapped.
bool ShowConfigDialog(WindowContext& context);

}  // namespace lirvo::forms
