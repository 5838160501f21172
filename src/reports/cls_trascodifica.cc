#include "reports/cls_trascodifica.h"

#include <utility>

#include "base/file_system.h"
#include "base/product.h"
#include "base/runtime_error.h"
#include "base/text.h"
#include "base/trap.h"

namespace lirvo::reports {

namespace {

constexpr int kErrSubscript = 9;
constexpr int kErrObjectNotSet = 91;
constexpr int kErrDuplicateKey = 457;

// The text of child node `index`, as `childNodes.item(index).text` reads it:
// a missing node is Nothing, and reading its text raises 91.
std::string ChildText(const std::vector<std::shared_ptr<host::XmlNode>>& children, size_t index) {
  if (index >= children.size() || children[index] == nullptr) {
    throw RuntimeError(kErrObjectNotSet);
  }
  return children[index]->Text();
}

}  // namespace

const clsItemTrascodifica& TranscodingList::Item(size_t position) const {
  if (position == 0 || position > items_.size()) throw RuntimeError(kErrSubscript);
  return items_[position - 1];
}

const clsItemTrascodifica* TranscodingList::FindKey(const std::string& key) const {
  auto it = by_key_.find(UCase(key));
  return it == by_key_.end() ? nullptr : &items_[it->second];
}

const clsItemTrascodifica* TranscodingList::FindExact(const std::string& code) const {
  auto it = by_exact_.find(code);
  return it == by_exact_.end() ? nullptr : &items_[it->second];
}

void TranscodingList::Add(clsItemTrascodifica item) {
  const size_t position = items_.size();
  if (!by_key_.emplace(UCase(item.codice()), position).second) {
    throw RuntimeError(kErrDuplicateKey);
  }
  // Two codes equal exactly are equal without case too, so the second never
  // gets here: each exact code has one entry, the one a walk meets first.
  by_exact_.emplace(item.codice(), position);
  items_.push_back(std::move(item));
}

clsTrascodifica::clsTrascodifica(host::HostApp& host, std::string plugin_folder)
    : clsTrascodifica([&host] { return host.NewXML(); }, std::move(plugin_folder)) {}

clsTrascodifica::clsTrascodifica(XmlFactory new_xml, std::string plugin_folder)
    : new_xml_(std::move(new_xml)), path_(JoinPath(plugin_folder, kTranscodingFileName)) {}

std::shared_ptr<const TranscodingList> clsTrascodifica::Lista() {
  if (list_ != nullptr) return list_;
  std::shared_ptr<host::XmlDocument> xml = new_xml_();
  if (xml == nullptr) throw RuntimeError(kErrObjectNotSet);
  if (!xml->LoadFileXML(path_)) return nullptr;

  // The table counts as loaded from here on, even when an entry below stops
  // the load: the entries added so far stay.
  list_ = std::make_shared<TranscodingList>();
  for (const auto& node : xml->SelectNodeList(xml->RootNode(), "esame")) {
    if (node == nullptr) throw RuntimeError(kErrObjectNotSet);
    const auto children = node->ChildNodes();
    clsItemTrascodifica item;
    item.Setcodice(ChildText(children, 0));
    item.Setdescrizione(ChildText(children, 1));
    item.SetclnID(ChildText(children, 2));
    item.SetclnDescrizione(ChildText(children, 3));
    list_->Add(std::move(item));
  }
  return list_;
}

std::string clsTrascodifica::DescrizioneEsame(const std::string& sCodice) {
  try {
    const auto list = Lista();
    if (list == nullptr) return "";
    const clsItemTrascodifica* item = list->FindExact(sCodice);
    return item == nullptr ? "" : item->descrizione();
  } catch (...) {
    ReportTrap("clsTrascodifica.DescrizioneEsame");
    return "";
  }
}

bool clsTrascodifica::AllineamentoClinora(const std::string& sCodice, std::string& sRetCLNId,
                                          std::string& sRetCLNDs) {
  sRetCLNId.clear();
  sRetCLNDs.clear();
  try {
    const auto list = Lista();
    const clsItemTrascodifica* item = list == nullptr ? nullptr : list->FindExact(sCodice);
    if (item == nullptr) return false;
    std::string id = item->clnID();
    std::string description = item->clnDescrizione();
    sRetCLNId = std::move(id);
    sRetCLNDs = std::move(description);
    return true;
  } catch (...) {
    ReportTrap("clsTrascodifica.AllineamentoClinora");
    sRetCLNId.clear();
    sRetCLNDs.clear();
    return false;
  }
}

}  // namespace lirvo::reports
