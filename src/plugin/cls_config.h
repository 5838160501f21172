// clsConfig: the plug-in's configuration (Config.xml beside the component
// file, read and written through the host's XML object), the registry of its
// ribbon commands and the ribbon tab itself, and the opening of the main
// reports window. There is one instance, ModuleState::AppConfig.
//
// Each member handles its errors in its own way: Init traps every
// error into LastError; the DocumentsFolder setter, InitGUI and MainMDITab end
// silently at the first error (InitGUI keeps the controls built so far); the
// registry runs each step on its own, so a failing GetNewID leaves that
// command with identifier 0. No member throws.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/host.h"
#include "plugin/module_state.h"

namespace lirvo::plugin {

// One ribbon command (private to the registry), fields in their order.
struct clsItemService {
  int32_t ID = 0;
  std::string Key;
  std::string Endpoint;
  std::string Biblio;
  bool Usable = true;
  bool Patient = false;
};

// A collection of commands keyed by Key without regard to letter case, in
// insertion order, like the runtime's Collection.
class ServiceCollection {
 public:
  // Adds `item` under `key`; RuntimeError 457 when the key is already there.
  void Add(std::shared_ptr<clsItemService> item, const std::string& key);
  // The item with `key` (any letter case); RuntimeError 5 when there is none.
  std::shared_ptr<clsItemService> Item(std::string_view key) const;
  size_t Count() const { return items_.size(); }
  const std::vector<std::shared_ptr<clsItemService>>& Items() const { return items_; }

 private:
  std::vector<std::string> keys_;  // upper-cased, parallel to items_
  std::vector<std::shared_ptr<clsItemService>> items_;
};

// The nine command keys, in registry order.
inline constexpr std::string_view kKeyMain = "RefertiLirvo.main";
inline constexpr std::string_view kKeySetup = "RefertiLirvo.main.setup";
inline constexpr std::string_view kKeyStorico = "RefertiLirvo.referti.storico";
inline constexpr std::string_view kKeyImporta = "RefertiLirvo.referti.importa";
inline constexpr std::string_view kKeyRinuncia = "RefertiLirvo.referti.rinuncia";
inline constexpr std::string_view kKeyStampa = "RefertiLirvo.referti.stampa";
inline constexpr std::string_view kKeyLast = "RefertiLirvo.referti.last";
inline constexpr std::string_view kKeyLastUnread = "RefertiLirvo.referti.lastUNREAD";
inline constexpr std::string_view kKeyLastDouble = "RefertiLirvo.referti.lastDOUBLE";
inline constexpr std::string_view kCommandKeys[] = {kKeyMain,    kKeySetup,      kKeyStorico,
                                                    kKeyImporta, kKeyRinuncia,   kKeyStampa,
                                                    kKeyLast,    kKeyLastUnread, kKeyLastDouble};

// The caption of the plug-in's ribbon tab and of its child window.
inline constexpr const char* kTabCaption = "Referti Lirvo";
// The summaries whose presence decides which summary buttons show.
inline constexpr const char* kUnreadSummaryFile = "lastUnReadImport.rtf";
inline constexpr const char* kSkippedSummaryFile = "allReadyImported.rtf";

class clsConfig {
 public:
  // `state` must outlive the instance (it owns it).
  explicit clsConfig(ModuleState& state) : state_(state) {}

  // ---- Configuration ----

  // Loads `Filename` through a new host XML object and reads its settings.
  // True on success. False with LastError "Non è stato possibile caricare il
  // file di configurazione" when the file does not load, or "<number> -
  // <text>" when a runtime error arises while reading it (a "parameter"
  // without "name" gives 91). A "documentsfolder" parameter sets the
  // documents folder (the last one wins); an empty one falls back to
  // UserDataFolder, then to the plug-in folder; a trailing '/' is added.
  bool Init(std::string Filename);

  const std::string& LastError() const { return last_error_; }
  // The "name" attribute of the loaded document's root; "" when no document
  // is loaded.
  std::string ProductName() const;
  // The file given to the last successful load (set before the settings are
  // read); "" before.
  const std::string& Filename() const { return filename_; }

  const std::string& DocumentsFolder() const { return documents_folder_; }
  // Writes `sValue` unchanged into the "documentsfolder" parameter, saves the
  // document to Filename, and only then takes it as the documents folder.
  // Without a document or such a parameter, or when the save fails, nothing
  // changes (no parameter is added).
  void SetDocumentsFolder(const std::string& sValue);

  // ---- Command registry ----

  // The registry, built on first use (one GetNewID per command); the same
  // object on every call.
  const ServiceCollection& ListaServices();
  // The registry when it has been built, nullptr before; never builds it (for
  // hosts and tools that show the commands without issuing identifiers).
  const ServiceCollection* BuiltServices() const { return services_.get(); }
  // The key of the first command whose identifier is `ID`; "" when none.
  std::string KeyService(int32_t ID);
  // The identifier of the command with `Key` (any letter case); 0 when
  // there is none.
  int32_t IDService(std::string_view Key);

  // ---- Ribbon and main window ----

  // Builds the "Referti Lirvo" ribbon tab; `frm` (the host form that loaded)
  // is not used. Stops at the first error keeping what it built.
  void InitGUI(const host::Variant& frm);
  // Opens the main reports window as a host child window unless one
  // captioned "Referti Lirvo" exists. Ends silently on any error.
  void MainMDITab();

 private:
  // The "parameters/parameter" nodes of the document; throws like the host.
  std::vector<std::shared_ptr<host::XmlNode>> ParameterNodes() const;
  static std::string NameOf(host::XmlNode& parameter);  // 91 without "name"
  enum class Visibility {
    kHostDefault,
    kWithoutUnreadSummary,
    kWithUnreadSummary,
    kWithSkippedSummary,
  };
  struct Button {
    std::string_view key;
    const char* caption;
    const char* tooltip;
    const char* icon;  // file in Styles/
    bool flag;         // the fifth argument of InsertGroupButton
    bool enabled;
    Visibility visibility;
  };
  void AddButton(host::Framework& fw, host::RibbonGroup& group, const Button& b);
  bool DocumentExists(const char* name) const;  // false on any error
  std::string IconPath(const std::string& file) const;

  ModuleState& state_;
  std::shared_ptr<host::XmlDocument> document_;
  std::string documents_folder_;
  std::string filename_;
  std::string last_error_;
  std::unique_ptr<ServiceCollection> services_;
};

// "<number> - <description>" of the exception being handled, in the form the
// runtime gives Err.Number and Err.Description. Call only inside a catch.
std::string CurrentErrorText();

}  // namespace lirvo::plugin
