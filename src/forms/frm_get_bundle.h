// The bundle chooser: a modal dialog listing the bundle files (".dat") of the
// documents folder with their dates and whether each was imported; the user
// picks one, or changes the documents folder.
//
// Its caller loads it, lists, shows it and reads the choice:
//
//   auto form = std::make_shared<frmGetBundle>(context.weak_from_this());
//   form->Form_Load();
//   form->plbBundlesList(context.CurrentBundle());
//   context.UserInterface().ShowModal(*form);
//   const std::string chosen = form->plbGetBundleFile();  // "" = nothing chosen
//
// A presenter over control models, like the main reports window. Once its
// context is gone or the window released, the handlers do nothing.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <nlohmann/json_fwd.hpp>
#include <string>

#include "base/dates.h"
#include "controls/report_grid.h"
#include "controls/simple_controls.h"
#include "forms/modal_window.h"

namespace lirvo::forms {

// The items of the chooser's grid records.
inline constexpr int32_t kBundleItemPath = 0;      // documents folder + name (hidden column)
inline constexpr int32_t kBundleItemName = 1;      // the file name
inline constexpr int32_t kBundleItemDate = 2;      // its last-modified date and time
inline constexpr int32_t kBundleItemImported = 3;  // "Importato!" for an imported name

class frmGetBundle final : public ModalWindow {
 public:
  static constexpr const char* kFormName = "frmGetBundle";
  // The window's inner size, in twips (a fixed dialog border).
  static constexpr int32_t kDesignWidth = 7710;
  static constexpr int32_t kDesignHeight = 5835;

  explicit frmGetBundle(std::weak_ptr<WindowContext> context);

  // ---- host::EmbeddedForm and ui::ModalForm
  std::string Name() const override { return kFormName; }
  // The dialog has no title text.
  std::string Caption() const override { return ""; }
  // The close box: nothing chosen, the window hides.
  void Close() override;
  // {"folder": laPath's caption, "rows": [{"items":[4 texts]}, ...]}, a row
  // adding "bold":[item indexes], "colors":{"index":RGB} and
  // "selected":true only where they apply.
  nlohmann::json Describe() const override;
  // The person's actions, by their words:
  //   "choose NAME"     selects the row of the file NAME, then confirms
  //   "select NAME"     selects the row of the file NAME
  //   "dblclick NAME"   double-clicks the row of the file NAME
  //   "cmdButton 0", "Conferma"             confirm
  //   "cmdButton 1", "Annulla", "cancel"    cancel
  //   "Command1"        changes the folder (the folder browser answers)
  // False for anything else, when no row shows the file NAME (exact name,
  // letter case counting), and once the window is released.
  bool Perform(const std::string& action) override;

  // ---- Public routines
  // Fills the grid with the ".dat" files of the documents folder, sorted by
  // name (without regard to letter case, then byte by byte); no row is
  // selected afterwards. `sDefault` (the bundle now loaded) is not used.
  //
  // A name matches when it ends with ".dat" in any letter case, as the
  // Windows file system matches "*.dat"; folders are skipped. Each record
  // holds the full path (the folder joined with the name), the name, the
  // file's date (BundleFileDate) and "Importato!" in bold red when the name
  // is an imported one. An error while listing (a folder that vanished)
  // ends the listing silently, keeping the rows made so far.
  void plbBundlesList(const std::string& sDefault);
  // The path the user confirmed; "" at load, after cancelling or closing.
  std::string plbGetBundleFile() const { return chosen_bundle_file_; }

  // ---- Event handlers
  // Starts a fresh load: nothing chosen, laPath shows the documents folder,
  // the grid's columns and look. Throws like the context (91 without a
  // configuration).
  void Form_Load();
  // 0 confirms, 1 cancels; any other index does nothing.
  void cmdButton_Click(int32_t index);
  // The row under a double-click becomes the selected one (the first click
  // of the double-click selects it), then confirm. A row that is not there
  // confirms the selection as it is.
  void rcBundle_RowDblClick(int32_t row);
  // Changes the documents folder: the folder browser opens on laPath's
  // folder; a new choice (a separator added when missing, compared without
  // regard to letter case) is shown, stored as the documents folder and
  // listed. Cancelling or choosing the same folder changes nothing. Errors
  // end it silently (trapped).
  void Command1_Click();

  // The path (item 0) of the first selected row that has one, top to
  // bottom; "" when none.
  std::string SelectedBundleFile() const;
  // A file's last-modified time as a local date and time text,
  // "dd/mm/yyyy HH:NN:SS"; "" for a time that cannot be a real one (the
  // listing could not read it).
  static std::string BundleFileDate(const DateTime& modified);

  // ---- Controls
  controls::Panel& picTop() { return picTop_; }
  controls::Label& Label3() { return Label3_; }
  controls::Label& laTitoloScelta() { return laTitoloScelta_; }
  controls::ReportGrid& rcBundle() { return rcBundle_; }
  const controls::ReportGrid& rcBundle() const { return rcBundle_; }
  controls::Line& Line1() { return Line1_; }
  controls::Line& Line2() { return Line2_; }
  controls::Panel& Picture1() { return Picture1_; }
  controls::Label& laPath() { return laPath_; }
  const controls::Label& laPath() const { return laPath_; }
  controls::Button& Command1() { return Command1_; }
  controls::Line& Line3() { return Line3_; }
  controls::Line& Line4() { return Line4_; }
  // Index 0 "&Conferma", 1 "Annulla"; RuntimeError 9 for another index.
  controls::Button& cmdButton(int32_t index);

 private:
  void InitGrid();
  void Confirm(WindowContext& context);
  void Cancel();
  void ListInto(WindowContext& context);
  // The row that shows the file `name`, or -1.
  int32_t RowOfFile(std::string_view name) const;

  std::string chosen_bundle_file_;

  controls::Panel picTop_;
  controls::Label Label3_;
  controls::Label laTitoloScelta_;
  controls::ReportGrid rcBundle_;
  controls::Line Line1_;
  controls::Line Line2_;
  controls::Panel Picture1_;
  controls::Label laPath_;
  controls::Button Command1_;
  controls::Line Line4_;
  controls::Line Line3_;
  std::array<controls::Button, 2> cmdButton_;
};

}  // namespace lirvo::forms
