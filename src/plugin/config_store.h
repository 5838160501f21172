// The configuration store: Config.xml beside the plug-in's component file,
// read and written through the host's XML object. Part of clsConfig's public
// face (Init, LastError, ProductName, Filename, DocumentsFolder).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/host.h"

namespace lirvo::plugin {

class ModuleState;

class ConfigStore {
 public:
  // `state` gives the host, the file system and the plug-in's folder; it
  // must outlive the store.
  explicit ConfigStore(ModuleState& state) : state_(state) {}

  // Loads `Filename` through a new host XML object and reads its settings.
  // True on success. False with LastError "Non è stato possibile caricare il
  // file di configurazione" when the file does not load, or "<number> -
  // <text>" when a runtime error arises while reading it (a "parameter"
  // without "name" gives 91; trapped). A "documentsfolder" parameter sets
  // the documents folder (the last one wins); an empty one falls back to
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
  // Without a document or such a parameter, or when the save fails
  // (trapped), nothing changes (no parameter is added).
  void SetDocumentsFolder(const std::string& sValue);

 private:
  // The "parameters/parameter" nodes of the document; throws like the host.
  std::vector<std::shared_ptr<host::XmlNode>> ParameterNodes() const;

  ModuleState& state_;
  std::shared_ptr<host::XmlDocument> document_;
  std::string documents_folder_;
  std::string filename_;
  std::string last_error_;
};

}  // namespace lirvo::plugin
