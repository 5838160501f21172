#include "forms/frm_get_bundle.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <utility>
#include <vector>

#include "base/file_system.h"
#include "base/text.h"
#include "base/trap.h"
#include "base/utf8.h"
#include "forms/dialog_look.h"
#include "forms/folder_browser.h"
#include "forms/grid_look.h"
#include "reports/imported_register.h"

namespace lirvo::forms {
namespace {

using controls::Bounds;

constexpr int32_t kRed = 255;
constexpr const char* kBundleExtension = ".dat";
constexpr const char* kImportedMark = "Importato!";
constexpr const char* kChooseValidDocument = "Selezionare un documento valido dall'elenco!";

// A file name the chooser lists: it ends with ".dat", letter case aside.
bool IsBundleName(std::string_view name) {
  const std::string_view ext = kBundleExtension;
  return name.size() >= ext.size() && EqualsText(name.substr(name.size() - ext.size()), ext);
}

bool IsRealTime(const DateTime& t) {
  return IsValidDate(t.year, t.month, t.day) && t.hour >= 0 && t.hour < 24 && t.minute >= 0 &&
         t.minute < 60 && t.second >= 0 && t.second < 60;
}

// The bundle files of a listing, sorted by name: without regard to letter
// case first, then byte by byte, so the order never depends on the file
// system's and equal names in different case keep a fixed order.
std::vector<DirEntry> SortedBundles(std::vector<DirEntry> entries) {
  struct Keyed {
    std::string key;
    DirEntry entry;
  };
  std::vector<Keyed> bundles;
  bundles.reserve(entries.size());
  for (DirEntry& entry : entries) {
    if (entry.is_directory || !IsBundleName(entry.name)) continue;
    std::string key = LCase(entry.name);
    bundles.push_back({std::move(key), std::move(entry)});
  }
  std::sort(bundles.begin(), bundles.end(), [](const Keyed& a, const Keyed& b) {
    return a.key != b.key ? a.key < b.key : a.entry.name < b.entry.name;
  });
  std::vector<DirEntry> sorted;
  sorted.reserve(bundles.size());
  for (Keyed& bundle : bundles) sorted.push_back(std::move(bundle.entry));
  return sorted;
}

}  // namespace

frmGetBundle::frmGetBundle(std::weak_ptr<WindowContext> context)
    : ModalWindow(std::move(context)),
      picTop_("picTop", Bounds{0, 0, kDesignWidth, 795}),
      Label3_("Label3", Bounds{120, 60, 1155, 195}, "Elenco referti"),
      laTitoloScelta_("laTitoloScelta", Bounds{360, 360, 5685, 390},
                      "Selezionare il corretto documento"),
      rcBundle_("rcBundle", Bounds{0, 825, 7665, 3660}),
      Line1_("Line1", 0, 4500, 7665, 4500, kSilver),
      Line2_("Line2", 0, 4515, 7665, 4515, kWhite),
      Picture1_("Picture1", Bounds{0, 4545, 7665, 540}),
      laPath_("laPath", Bounds{75, 0, 7035, 510}, ""),
      Command1_("Command1", Bounds{7245, 135, 315, 285}, "..."),
      Line4_("Line4", 0, 5100, kDesignWidth, 5100, kSilver),
      Line3_("Line3", 0, 5115, kDesignWidth, 5115, kWhite),
      cmdButton_{controls::Button("cmdButton(0)", Bounds{5145, 5310, 1155, 375}, "&Conferma"),
                 controls::Button("cmdButton(1)", Bounds{6405, 5310, 1155, 375}, "Annulla")} {
  Label3_.SetContainer(&picTop_);
  laTitoloScelta_.SetContainer(&picTop_);
  laPath_.SetContainer(&Picture1_);
  Command1_.SetContainer(&Picture1_);
  ApplyHeaderBandLook(picTop_, Label3_, laTitoloScelta_);
  ApplyFolderPanelLook(Picture1_, laPath_, kDarkGrey);
}

controls::Button& frmGetBundle::cmdButton(int32_t index) { return Indexed(cmdButton_, index); }

// ---- Load and grid ------------------------------------------------------------------

void frmGetBundle::Form_Load() {
  const auto context = Context();
  if (!context) return;
  Unhide();
  chosen_bundle_file_.clear();
  laPath_.SetCaption(context->DocumentsFolder());
  InitGrid();
}

void frmGetBundle::InitGrid() {
  Line1_.SetX2(kDesignWidth);
  Line2_.SetX2(kDesignWidth);
  rcBundle_.DeleteAllColumns();
  rcBundle_.Records().DeleteAll();

  controls::GridLook& look = rcBundle_.Look();
  ApplySharedGridLook(look);
  look.group_area_back_color = kWhite;

  rcBundle_.AddColumn(kBundleItemPath, "file", 0, false);
  rcBundle_.AddColumn(kBundleItemName, "Documento", 2500, true);
  rcBundle_.AddColumn(kBundleItemDate, "Scaricato il", 1500, true);
  rcBundle_.AddColumn(kBundleItemImported, "Importato", 800, true);
  rcBundle_.SetColumnVisible(kBundleItemPath, false);
}

std::string frmGetBundle::BundleFileDate(const DateTime& modified) {
  return IsRealTime(modified) ? FormatDateTime(modified) : std::string();
}

void frmGetBundle::plbBundlesList(const std::string& sDefault) {
  (void)sDefault;  // the list never preselects the bundle now loaded
  const auto context = Context();
  if (!context) return;
  rcBundle_.Records().DeleteAll();
  try {
    ListInto(*context);
  } catch (...) {
    // The listing ends here; the rows made so far stay.
    ReportTrap("frmGetBundle.plbBundlesList");
  }
  rcBundle_.Populate();
  rcBundle_.Redraw();
  const std::vector<int32_t> selected = rcBundle_.SelectedRows();
  if (!selected.empty()) rcBundle_.UnselectRow(selected.front());
}

void frmGetBundle::ListInto(WindowContext& context) {
  const std::string folder = context.DocumentsFolder();
  for (const DirEntry& bundle : SortedBundles(context.Fs().ListDirectory(folder))) {
    controls::GridRecord& record = rcBundle_.Records().Add();
    record.AddItem(JoinPath(folder, bundle.name));
    record.AddItem(bundle.name);
    record.AddItem(BundleFileDate(bundle.modified));
    if (reports::IsImportedName(bundle.name)) {
      controls::GridItem& mark = record.AddItem(std::string(kImportedMark));
      mark.SetBold(true);
      mark.SetForeColor(kRed);
    } else {
      record.AddItem(std::string());
    }
  }
}

// ---- Choice -----------------------------------------------------------------------------

std::string frmGetBundle::SelectedBundleFile() const {
  for (const controls::GridRecord* record : rcBundle_.SelectedRecords()) {
    std::string path = record->ItemText(kBundleItemPath);
    if (!path.empty()) return path;
  }
  return "";
}

void frmGetBundle::Confirm(WindowContext& context) {
  chosen_bundle_file_ = SelectedBundleFile();
  if (!chosen_bundle_file_.empty()) {
    Hide();
    return;
  }
  context.UserInterface().MsgBox(kChooseValidDocument, ui::kExclamation, ui::kMsgTitle);
}

void frmGetBundle::Cancel() {
  chosen_bundle_file_.clear();
  Hide();
}

void frmGetBundle::Close() { Cancel(); }

void frmGetBundle::cmdButton_Click(int32_t index) {
  const auto context = Context();
  if (!context) return;
  if (index == 0) Confirm(*context);
  if (index == 1) Cancel();
}

void frmGetBundle::rcBundle_RowDblClick(int32_t row) {
  const auto context = Context();
  if (!context) return;
  if (rcBundle_.RowRecord(row) != nullptr) rcBundle_.SetFocusedRow(row);
  Confirm(*context);
}

// ---- Folder ---------------------------------------------------------------------------

void frmGetBundle::Command1_Click() {
  const auto context = Context();
  if (!context) return;
  try {
    const std::string new_folder = BrowseForNewFolder(context->UserInterface(), laPath_.Caption());
    if (new_folder.empty()) return;
    laPath_.SetCaption(new_folder);
    context->SetDocumentsFolder(new_folder);
    plbBundlesList("");
  } catch (...) {
    ReportTrap("frmGetBundle.Command1_Click");
  }
}

// ---- Scripted actions ---------------------------------------------------------------

int32_t frmGetBundle::RowOfFile(std::string_view name) const {
  const controls::GridRecords& records = rcBundle_.Records();
  for (int32_t i = 0; i < records.Count(); ++i) {
    if (records.Record(i).ItemText(kBundleItemName) == name) {
      return rcBundle_.RowOf(records.Record(i));
    }
  }
  return -1;
}

bool frmGetBundle::Perform(const std::string& action) {
  if (!Loaded()) return false;
  const auto [verb, argument] = SplitAction(action);
  if (verb == "choose" || verb == "select" || verb == "dblclick") {
    const int32_t row = RowOfFile(argument);
    if (row < 0) return false;
    if (verb == "dblclick") {
      rcBundle_RowDblClick(row);
      return true;
    }
    rcBundle_.SetFocusedRow(row);
    if (verb == "choose") cmdButton_Click(0);
    return true;
  }
  if (action == "cmdButton 0" || action == "Conferma") {
    cmdButton_Click(0);
  } else if (action == "cmdButton 1" || action == "Annulla" || action == "cancel") {
    cmdButton_Click(1);
  } else if (action == "Command1") {
    Command1_Click();
  } else {
    return false;
  }
  return true;
}

nlohmann::json frmGetBundle::Describe() const {
  nlohmann::json rows = nlohmann::json::array();
  const controls::GridRecords& records = rcBundle_.Records();
  for (int32_t i = 0; i < records.Count(); ++i) {
    const controls::GridRecord& record = records.Record(i);
    nlohmann::json items = nlohmann::json::array();
    nlohmann::json row = nlohmann::json::object();
    for (int32_t item = 0; item < record.ItemCount(); ++item) {
      items.push_back(SanitizeUtf8(record.ItemText(item)));
      if (record.Item(item).Bold()) row["bold"].push_back(item);
      if (const auto color = record.Item(item).ForeColor()) {
        row["colors"][std::to_string(item)] = *color;
      }
    }
    row["items"] = std::move(items);
    if (record.Selected()) row["selected"] = true;
    rows.push_back(std::move(row));
  }
  return {{"folder", SanitizeUtf8(laPath_.Caption())}, {"rows", std::move(rows)}};
}

}  // namespace lirvo::forms
