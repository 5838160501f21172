#include "plugin/config_store.h"

#include <utility>

#include "base/file_system.h"
#include "base/runtime_error.h"
#include "base/trap.h"
#include "plugin/module_state.h"
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

// The text of a parameter's "name" attribute; 91 without one.
std::string NameOf(host::XmlNode& parameter) { return Obj(parameter.GetNamedItem("name")).Text(); }

}  // namespace

std::vector<std::shared_ptr<host::XmlNode>> ConfigStore::ParameterNodes() const {
  auto& doc = Obj(document_);
  return doc.SelectNodeList(doc.RootNode(), kParametersPath);
}

bool ConfigStore::Init(std::string Filename) {
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
      if (documents_folder_.empty()) documents_folder_ = state_.PluginFolder();
      if (documents_folder_.empty() || !IsPathSeparator(documents_folder_.back())) {
        documents_folder_ += kPathSeparator;
      }
    }
    return true;
  } catch (...) {
    last_error_ = CurrentErrorText();
    ReportTrap("clsConfig.Init");
    return false;
  }
}

std::string ConfigStore::ProductName() const {
  try {
    if (!document_) return "";
    auto root = document_->RootNode();
    if (!root) return "";  // nothing loaded: no name to give
    return document_->GetAttribute(root, "name");
  } catch (...) {
    ReportTrap("clsConfig.ProductName");
    return "";
  }
}

void ConfigStore::SetDocumentsFolder(const std::string& sValue) {
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
    ReportTrap("clsConfig.DocumentsFolder");
  }
}

}  // namespace lirvo::plugin
