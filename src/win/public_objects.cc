#include "win/public_objects.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/runtime_error.h"
#include "plugin/cls_config.h"
#include "reports/cls_trascodifica.h"
#include "win/collection_object.h"
#include "win/com_ids.h"
#include "win/dispatch.h"
#include "win/plugin_object.h"

namespace lirvo::win {
namespace {

using Args = const Arguments&;

// Hands a new collection of `items` (each with its key) to the caller,
// giving up the references the list holds.
void SetCollection(Result& result, std::vector<std::pair<std::string, IDispatch*>>& items) {
  IDispatch* collection = nullptr;
  try {
    collection = NewCollectionObject(items);
  } catch (...) {
    for (auto& item : items) item.second->Release();
    throw;
  }
  for (auto& item : items) item.second->Release();
  result.SetObject(collection);
}

// ---- clsItemTrascodifica ------------------------------------------------------

struct ItemObject : DispatchObject<ItemObject> {
  explicit ItemObject(reports::clsItemTrascodifica value = {});
  reports::clsItemTrascodifica item;
};

// A text property of the entry: its getter and setter on the core item.
template <const std::string& (reports::clsItemTrascodifica::*Get)() const,
          void (reports::clsItemTrascodifica::*Set)(std::string)>
constexpr DispatchObject<ItemObject>::Member TextProperty(const wchar_t* name) {
  return {name, 0, [](ItemObject& o, Args, Result& r) { r.SetText((o.item.*Get)()); },
          [](ItemObject& o, const host::Variant& v) { (o.item.*Set)(host::ToText(v)); }};
}

// In the order of the dispinterface _clsItemTrascodifica.
constexpr DispatchObject<ItemObject>::Member kItemMembers[] = {
    TextProperty<&reports::clsItemTrascodifica::codice, &reports::clsItemTrascodifica::Setcodice>(
        L"codice"),
    TextProperty<&reports::clsItemTrascodifica::descrizione,
                 &reports::clsItemTrascodifica::Setdescrizione>(L"descrizione"),
    TextProperty<&reports::clsItemTrascodifica::clnID, &reports::clsItemTrascodifica::SetclnID>(
        L"clnID"),
    TextProperty<&reports::clsItemTrascodifica::clnDescrizione,
                 &reports::clsItemTrascodifica::SetclnDescrizione>(L"clnDescrizione"),
};

ItemObject::ItemObject(reports::clsItemTrascodifica value)
    : DispatchObject(kDiidItemTrascodifica, kProgIdItemTrascodifica, kItemMembers),
      item(std::move(value)) {}

// ---- clsTrascodifica -----------------------------------------------------------

struct TrascodificaObject : DispatchObject<TrascodificaObject> {
  TrascodificaObject();

  std::shared_ptr<ThreadPlugin> plugin = ThreadPlugin::ForThisThread();
  reports::clsTrascodifica table;
};

void Lista(TrascodificaObject& o, Args, Result& r) {
  const std::shared_ptr<const reports::TranscodingList> list = o.table.Lista();
  if (list == nullptr) {
    r.SetValue(std::shared_ptr<host::Dispatch>());  // Nothing
    return;
  }
  std::vector<std::pair<std::string, IDispatch*>> items;
  try {
    for (size_t i = 1; i <= list->Count(); ++i) {
      items.emplace_back(list->Item(i).codice(), new ItemObject(list->Item(i)));
    }
  } catch (...) {
    for (auto& item : items) item.second->Release();
    throw;
  }
  SetCollection(r, items);
}

// In the order of the dispinterface _clsTrascodifica.
constexpr DispatchObject<TrascodificaObject>::Member kTrascodificaMembers[] = {
    {L"DescrizioneEsame", 1,
     [](TrascodificaObject& o, Args a, Result& r) {
       r.SetText(o.table.DescrizioneEsame(a.Text(0)));
     }},
    {L"AllineamentoClinora", 3,
     [](TrascodificaObject& o, Args a, Result& r) {
       std::string id, description;
       const bool found = o.table.AllineamentoClinora(a.Text(0), id, description);
       a.SetOut(1, id);
       a.SetOut(2, description);
       r.SetBoolean(found);
     }},
    {L"Lista", 0, &Lista},
    {L"Refresh", 0, [](TrascodificaObject& o, Args, Result&) { o.table.Refresh(); }},
};

TrascodificaObject::TrascodificaObject()
    : DispatchObject(kDiidTrascodifica, kProgIdTrascodifica, kTrascodificaMembers),
      table(
          [plugin = plugin]() {
            const std::shared_ptr<host::HostApp> host = plugin->State().HostApp();
            if (host == nullptr) throw RuntimeError(kErrObjectNotSet);
            return host->NewXML();
          },
          plugin->Folder()) {}

// ---- clsConfig -------------------------------------------------------------------

// One command of ListaServices, read-only.
struct ServiceObject : DispatchObject<ServiceObject> {
  explicit ServiceObject(plugin::clsItemService value);
  plugin::clsItemService service;
};

constexpr DispatchObject<ServiceObject>::Member kServiceMembers[] = {
    {L"ID", 0, [](ServiceObject& o, Args, Result& r) { r.SetValue(int64_t{o.service.ID}); }},
    {L"Key", 0, [](ServiceObject& o, Args, Result& r) { r.SetText(o.service.Key); }},
    {L"Endpoint", 0, [](ServiceObject& o, Args, Result& r) { r.SetText(o.service.Endpoint); }},
    {L"Biblio", 0, [](ServiceObject& o, Args, Result& r) { r.SetText(o.service.Biblio); }},
    {L"Usable", 0, [](ServiceObject& o, Args, Result& r) { r.SetBoolean(o.service.Usable); }},
    {L"Patient", 0, [](ServiceObject& o, Args, Result& r) { r.SetBoolean(o.service.Patient); }},
};

ServiceObject::ServiceObject(plugin::clsItemService value)
    : DispatchObject(IID_IDispatch, L"plgRefertiLirvo.clsItemService", kServiceMembers),
      service(std::move(value)) {}

struct ConfigObject : DispatchObject<ConfigObject> {
  ConfigObject();

  std::shared_ptr<ThreadPlugin> plugin = ThreadPlugin::ForThisThread();
  plugin::clsConfig config{plugin->State()};
};

void ListaServices(ConfigObject& o, Args, Result& r) {
  std::vector<std::pair<std::string, IDispatch*>> items;
  try {
    for (const auto& service : o.config.ListaServices().Items()) {
      items.emplace_back(service->Key, new ServiceObject(*service));
    }
  } catch (...) {
    for (auto& item : items) item.second->Release();
    throw;
  }
  SetCollection(r, items);
}

// In the order of the dispinterface _clsConfig.
constexpr DispatchObject<ConfigObject>::Member kConfigMembers[] = {
    {L"Init", 1,
     [](ConfigObject& o, Args a, Result& r) { r.SetBoolean(o.config.Init(a.Text(0))); }},
    {L"LastError", 0, [](ConfigObject& o, Args, Result& r) { r.SetText(o.config.LastError()); }},
    {L"ProductName", 0,
     [](ConfigObject& o, Args, Result& r) { r.SetText(o.config.ProductName()); }},
    {L"Filename", 0, [](ConfigObject& o, Args, Result& r) { r.SetText(o.config.Filename()); }},
    {L"DocumentsFolder", 0,
     [](ConfigObject& o, Args, Result& r) { r.SetText(o.config.DocumentsFolder()); },
     [](ConfigObject& o, const host::Variant& v) { o.config.SetDocumentsFolder(host::ToText(v)); }},
    {L"ListaServices", 0, &ListaServices},
    {L"KeyService", 1,
     [](ConfigObject& o, Args a, Result& r) {
       r.SetText(o.config.KeyService(host::ToLong(a.Value(0))));
     }},
    {L"IDService", 1,
     [](ConfigObject& o, Args a, Result& r) {
       r.SetValue(int64_t{o.config.IDService(a.Text(0))});
     }},
    {L"InitGUI", 1, [](ConfigObject& o, Args a, Result&) { o.config.InitGUI(a.Value(0)); }},
    {L"MainMDITab", 0, [](ConfigObject& o, Args, Result&) { o.config.MainMDITab(); }},
};

ConfigObject::ConfigObject() : DispatchObject(kDiidConfig, kProgIdConfig, kConfigMembers) {}

}  // namespace

IDispatch* NewConfigObject() { return new ConfigObject(); }
IDispatch* NewTrascodificaObject() { return new TrascodificaObject(); }
IDispatch* NewItemTrascodificaObject() { return new ItemObject(); }

}  // namespace lirvo::win
