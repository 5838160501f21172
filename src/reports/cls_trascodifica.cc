#include "reports/cls_trascodifica.h"

#include <functional>
#include <string_view>
#include <utility>

#include "base/file_system.h"
#include "base/product.h"
#include "base/runtime_error.h"
#include "base/text.h"
#include "base/trap.h"

namespace lirvo::reports {

namespace {

// The text of child node `index`, as `childNodes.item(index).text` reads it:
// a missing node is Nothing, and reading its text raises 91.
std::string ChildText(const std::vector<std::shared_ptr<host::XmlNode>>& children, size_t index) {
  if (index >= children.size() || children[index] == nullptr) {
    throw RuntimeError(kErrObjectNotSet);
  }
  return children[index]->Text();
}

uint64_t HashOf(std::string_view code) { return std::hash<std::string_view>{}(code); }

// The slot a probe for `hash` starts at, and the tag it looks for.
size_t HomeSlot(uint64_t hash, size_t slot_count) {
  return static_cast<size_t>(hash) & (slot_count - 1);
}
uint32_t TagOf(uint64_t hash) { return static_cast<uint32_t>(hash >> 32); }

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
  if (slots_.empty()) return nullptr;
  const uint64_t hash = HashOf(code);
  const uint32_t tag = TagOf(hash);
  const size_t mask = slots_.size() - 1;
  for (size_t i = HomeSlot(hash, slots_.size());; i = (i + 1) & mask) {
    const Slot& slot = slots_[i];
    if (slot.position == 0) return nullptr;
    if (slot.tag == tag && items_[slot.position - 1].codice() == code) {
      return &items_[slot.position - 1];
    }
  }
}

void TranscodingList::IndexExact(size_t position) {
  const uint64_t hash = HashOf(items_[position].codice());
  const size_t mask = slots_.size() - 1;
  size_t i = HomeSlot(hash, slots_.size());
  while (slots_[i].position != 0) i = (i + 1) & mask;
  slots_[i] = Slot{TagOf(hash), static_cast<uint32_t>(position + 1)};
}

void TranscodingList::Add(clsItemTrascodifica item) {
  const size_t position = items_.size();
  std::string key = UCase(item.codice());
  if (by_key_.find(key) != by_key_.end()) throw RuntimeError(kErrDuplicateKey);
  // Two codes equal exactly are equal without case too, so the second never
  // gets here: each exact code has one entry, the one a walk meets first,
  // and the index needs no order among equal codes.

  // Everything that allocates comes first, so a failure leaves the list as
  // it was.
  if (items_.size() == items_.capacity()) items_.reserve(items_.empty() ? 16 : 2 * items_.size());
  std::vector<Slot> grown;
  if (2 * (position + 1) > slots_.size()) grown.assign(slots_.empty() ? 32 : 2 * slots_.size(), {});
  by_key_.emplace(std::move(key), position);
  items_.push_back(std::move(item));
  if (grown.empty()) {
    IndexExact(position);
  } else {
    slots_.swap(grown);
    for (size_t i = 0; i < items_.size(); ++i) IndexExact(i);
  }
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

const TranscodingList* clsTrascodifica::Loaded() {
  if (list_ == nullptr) Lista();
  return list_.get();
}

std::string clsTrascodifica::DescrizioneEsame(const std::string& sCodice) {
  try {
    const TranscodingList* list = Loaded();
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
    const TranscodingList* list = Loaded();
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
