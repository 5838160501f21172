#include "plugin/cls_config.h"

#include <exception>
#include <utility>

#include "base/files.h"
#include "base/runtime_error.h"
#include "base/text.h"
#include "plugin/special_folders.h"

namespace lirvo::plugin {
namespace {

constexpr const char* kConfigNotLoaded = "Non è stato possibile caricare il file di configurazione";
constexpr const char* kParametersPath = "parameters/parameter";
constexpr const char* kDocumentsFolderName = "documentsfolder";

// Dereferences a host object the way a late-bound call does: Nothing raises
// error 91.
template <typename T>
T& Obj(const std::shared_ptr<T>& object) {
  if (!object) throw RuntimeError(kErrObjectNotSet);
  return *object;
}

}  // namespace

std::string CurrentErrorText() {
  try {
    throw;
  } catch (const RuntimeError& e) {
    return std::to_string(e.Number()) + " - " + e.Description();
  } catch (const std::bad_alloc&) {
    return "7 - Memoria esaurita";
  } catch (...) {
    return "51 - Errore interno";
  }
}

// ---- ServiceCollection ------------------------------------------------------

void ServiceCollection::Add(std::shared_ptr<clsItemService> item, const std::string& key) {
  std::string upper = UCase(key);
  for (const auto& k : keys_) {
    if (k == upper) throw RuntimeError(kErrDuplicateKey);
  }
  keys_.push_back(std::move(upper));
  items_.push_back(std::move(item));
}

std::shared_ptr<clsItemService> ServiceCollection::Item(std::string_view key) const {
  const std::string upper = UCase(key);
  for (size_t i = 0; i < keys_.size(); ++i) {
    if (keys_[i] == upper) return items_[i];
  }
  throw RuntimeError(kErrInvalidCall);
}

// ---- Configuration ----------------------------------------------------------

std::vector<std::shared_ptr<host::XmlNode>> clsConfig::ParameterNodes() const {
  auto& doc = Obj(document_);
  return doc.SelectNodeList(doc.RootNode(), kParametersPath);
}

std::string clsConfig::NameOf(host::XmlNode& parameter) {
  return Obj(parameter.GetNamedItem("name")).Text();
}

bool clsConfig::Init(std::string Filename) {
  try {
    document_ = state_.Host().NewXML();
    if (!Obj(document_).LoadFileXML(Filename)) {
      last_error_ = kConfigNotLoaded;
      return false;
    }
    filename_ = std::move(Filename);
    for (const auto& node : ParameterNodes()) {
      if (!node) continue;
      if (NameOf(*node) != kDocumentsFolderName) continue;
      documents_folder_ = node->Text();
      if (documents_folder_.empty()) documents_folder_ = UserDataFolder(state_.Fs());
      if (documents_folder_.empty()) documents_folder_ = state_.services.plugin_folder;
      if (documents_folder_.empty() || documents_folder_.back() != kPathSeparator) {
        documents_folder_ += kPathSeparator;
      }
    }
    return true;
  } catch (...) {
    last_error_ = CurrentErrorText();
    return false;
  }
}

std::string clsConfig::ProductName() const {
  try {
    if (!document_) return "";
    return document_->GetAttribute(document_->RootNode(), "name");
  } catch (...) {
    return "";
  }
}

void clsConfig::SetDocumentsFolder(const std::string& sValue) {
  try {
    if (!document_) return;
    for (const auto& node : ParameterNodes()) {
      if (!node || NameOf(*node) != kDocumentsFolderName) continue;
      node->SetText(sValue);
      document_->SaveFile(filename_);
      documents_folder_ = sValue;
      return;
    }
  } catch (...) {
    // The property keeps its old value.
  }
}

// ---- Command registry -------------------------------------------------------

const ServiceCollection& clsConfig::ListaServices() {
  if (services_) return *services_;
  services_ = std::make_unique<ServiceCollection>();
  for (std::string_view key : kCommandKeys) {
    auto item = std::make_shared<clsItemService>();
    item->Key = std::string(key);
    item->Endpoint.clear();
    item->Biblio.clear();
    item->Usable = true;
    item->Patient = false;
    try {
      item->ID = state_.HostFramework().GetNewID();
    } catch (...) {
      // The command keeps identifier 0: it never reaches the ribbon.
    }
    try {
      services_->Add(item, item->Key);
    } catch (...) {
      // A key already there is skipped; the registry goes on.
    }
  }
  return *services_;
}

std::string clsConfig::KeyService(int32_t ID) {
  for (const auto& item : ListaServices().Items()) {
    if (item && item->ID == ID) return item->Key;
  }
  return "";
}

int32_t clsConfig::IDService(std::string_view Key) {
  try {
    return ListaServices().Item(Key)->ID;
  } catch (...) {
    return 0;
  }
}

// ---- Ribbon -----------------------------------------------------------------

std::string clsConfig::IconPath(const std::string& file) const {
  return state_.services.plugin_folder + "/Styles/" + file;
}

bool clsConfig::DocumentExists(const char* name) const {
  if (state_.services.fs == nullptr) return false;
  return FileExists(*state_.services.fs, documents_folder_ + name);
}

void clsConfig::AddButton(host::Framework& fw, host::RibbonGroup& group, const Button& b) {
  const int32_t id = IDService(b.key);
  if (id == 0) return;
  fw.AddFileBitmap(IconPath(b.icon), id);
  auto control = fw.InsertGroupButton(group, b.caption, id, 4, b.flag, b.tooltip);
  Obj(control).SetEnabled(b.enabled);
  switch (b.visibility) {
    case Visibility::kHostDefault:
      break;
    case Visibility::kWithoutUnreadSummary:
      control->SetVisible(!DocumentExists(kUnreadSummaryFile));
      break;
    case Visibility::kWithUnreadSummary:
      control->SetVisible(DocumentExists(kUnreadSummaryFile));
      break;
    case Visibility::kWithSkippedSummary:
      control->SetVisible(DocumentExists(kSkippedSummaryFile));
      break;
  }
}

void clsConfig::InitGUI(const host::Variant& frm) {
  (void)frm;  // the host form that loaded; the tab does not depend on it
  using V = Visibility;
  static const Button kReferti[] = {
      {kKeyStorico, "Storico", "Controllo storico referti scaricati", "REFRecived.png", false, true,
       V::kHostDefault},
      {kKeyImporta, "Importa", "Importa i referti in elenco", "REFImport.png", true, false,
       V::kHostDefault},
      {kKeyRinuncia, "Rinuncia", "Forza ad importati i referti in elenco", "REFClear.png", false,
       false, V::kHostDefault},
      {kKeyStampa, "Stampa", "Stampa un rapportino dei referti in elenco", "REFPrint.png", true,
       false, V::kHostDefault},
  };
  static const Button kStrumenti[] = {
      {kKeyLast, "Ultima", "Ultima elaborazione", "REFLast.png", true, true,
       V::kWithoutUnreadSummary},
      {kKeyLastUnread, "Ultima", "Verifica ultima elaborazione", "REFLastUnRead.png", true, true,
       V::kWithUnreadSummary},
      {kKeyLastDouble, "Doppi", "Ultimi referti tralascitati perchè già inseriti",
       "REFLastDouble.png", true, true, V::kWithSkippedSummary},
      {kKeySetup, "Opzioni", "Configurazione della procedura", "REFConfig.png", true, true,
       V::kHostDefault},
  };
  try {
    auto& fw = state_.HostFramework();
    auto tab = fw.InsertRibbonTab(kTabCaption);
    auto first_group = Obj(tab).AddGroup(kTabCaption, 1);
    const int32_t main_id = IDService(kKeyMain);
    if (main_id != 0) {
      fw.AddFileBitmap(IconPath("RefertiLirvo.png"), main_id);
      fw.InsertGroupControl(Obj(first_group), main_id);
    }
    auto referti = fw.InsertTabGroup(*tab, "Referti");
    for (const auto& b : kReferti) AddButton(fw, Obj(referti), b);
    auto strumenti = fw.InsertTabGroup(*tab, "Strumenti");
    for (const auto& b : kStrumenti) AddButton(fw, Obj(strumenti), b);
  } catch (...) {
    // The construction ends here; the controls made so far stay.
  }
}

}  // namespace lirvo::plugin
