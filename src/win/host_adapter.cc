#include "win/host_adapter.h"

#include <oleauto.h>

#include <array>
#include <utility>

#include "base/runtime_error.h"
#include "win/form_object.h"
#include "win/variant_convert.h"

namespace lirvo::win {
namespace {

using host::Variant;

// Null and Empty read as "", anything else as the runtime's CStr.
std::string TextOf(const Variant& v) {
  if (std::holds_alternative<host::Empty>(v) || std::holds_alternative<host::Null>(v)) return {};
  return host::ToText(v);
}

// The most items a host's list may give: a chart holds far fewer, and an
// enumerator that never ends must not hang the plug-in (error 6 past it).
constexpr size_t kMaxCollectionItems = size_t{1} << 20;

// For Each over the object: false when it does not enumerate.
bool Enumerate(IDispatch* object, std::vector<Variant>& out) {
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  VARIANT result;
  ::VariantInit(&result);
  if (FAILED(object->Invoke(DISPID_NEWENUM, IID_NULL, LOCALE_USER_DEFAULT,
                            DISPATCH_METHOD | DISPATCH_PROPERTYGET, &none, &result, nullptr,
                            nullptr))) {
    return false;
  }
  IEnumVARIANT* items = nullptr;
  if ((V_VT(&result) == VT_UNKNOWN || V_VT(&result) == VT_DISPATCH) &&
      V_UNKNOWN(&result) != nullptr) {
    V_UNKNOWN(&result)->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(&items));
  }
  ::VariantClear(&result);
  if (items == nullptr) return false;
  for (;;) {
    VARIANT item;
    ::VariantInit(&item);
    ULONG fetched = 0;
    if (items->Next(1, &item, &fetched) != S_OK || fetched == 0) {
      ::VariantClear(&item);
      break;
    }
    if (out.size() == kMaxCollectionItems) {
      ::VariantClear(&item);
      items->Release();
      throw RuntimeError(kErrOverflow);
    }
    try {
      out.push_back(FromVariant(item));
    } catch (...) {
      ::VariantClear(&item);
      items->Release();
      throw;
    }
    ::VariantClear(&item);
  }
  items->Release();
  return true;
}

std::vector<Variant> ListOf(std::variant<Variant, host::ParamArray> answer) {
  if (auto* array = std::get_if<host::ParamArray>(&answer)) return std::move(array->items);
  return CollectionItems(std::get<Variant>(answer));
}

std::vector<host::ChartItem> ChartItems(LateBound& list_owner) {
  std::vector<host::ChartItem> items;
  for (const Variant& element : ListOf(list_owner.CallValueOrArray("Lista"))) {
    IDispatch* object = DispatchOf(element);
    if (object == nullptr) continue;
    LateBound item(object);
    items.push_back({item.Get("Data"), item.Get("idrif1"), item.Get("idrif4"), item.Get("t1")});
  }
  return items;
}

// The arguments of a save, the ones at `by_reference` (0-based) passed as
// variables of their value's own type, as the host declares them.
template <size_t N>
Variant Save(LateBound& reports, std::vector<Variant> values,
             const std::array<size_t, N>& by_reference) {
  Args args(values.begin(), values.end());
  for (size_t position : by_reference) {
    Variant& value = values[position];
    VARTYPE type = VT_VARIANT;
    if (std::holds_alternative<std::string>(value)) {
      type = VT_BSTR;
    } else if (std::holds_alternative<bool>(value)) {
      type = VT_BOOL;
    } else if (const auto* number = std::get_if<int64_t>(&value)) {
      type = *number >= -32768 && *number <= 32767 ? VT_I2 : VT_I4;
    } else if (std::holds_alternative<double>(value)) {
      type = VT_R8;
    }
    args[position] = Arg::ByRef(value, type);
  }
  return reports.Call("Salva", args);
}

std::vector<std::shared_ptr<host::XmlNode>> Nodes(const Variant& list) {
  std::vector<std::shared_ptr<host::XmlNode>> nodes;
  for (const Variant& element : CollectionItems(list)) {
    if (IDispatch* node = DispatchOf(element)) nodes.push_back(std::make_shared<ComXmlNode>(node));
  }
  return nodes;
}

// An object of this adapter as an argument of a host call.
template <class Held, class Base>
Variant HeldArgument(Base& object) {
  const auto* held = dynamic_cast<const Held*>(&object);
  if (held == nullptr) throw RuntimeError(13);
  return held->AsVariant();
}

// The host's answer as an object of type T, nullptr for Nothing.
template <class T>
std::shared_ptr<T> ObjectOrNothing(const Variant& answer) {
  IDispatch* object = DispatchOf(answer);
  return object != nullptr ? std::make_shared<T>(object) : nullptr;
}

// The same where the host must give an object: Nothing raises 91.
template <class T>
std::shared_ptr<T> ObjectOf(const Variant& answer) {
  auto object = ObjectOrNothing<T>(answer);
  if (object == nullptr) throw RuntimeError(91);
  return object;
}

Variant NodeArgument(const std::shared_ptr<host::XmlNode>& node) {
  if (node == nullptr) throw RuntimeError(91);
  return HeldArgument<ComXmlNode>(*node);
}

}  // namespace

IDispatch* DispatchOf(const Variant& value) {
  if (std::holds_alternative<host::Empty>(value) || std::holds_alternative<host::Null>(value)) {
    return nullptr;
  }
  const auto* object = std::get_if<std::shared_ptr<host::Dispatch>>(&value);
  if (object == nullptr) throw RuntimeError(13);
  if (*object == nullptr) return nullptr;
  auto* com = dynamic_cast<ComObject*>(object->get());
  if (com == nullptr) throw RuntimeError(13);
  return com->Late().Object();
}

std::vector<Variant> CollectionItems(const Variant& collection) {
  std::vector<Variant> items;
  IDispatch* object = DispatchOf(collection);
  if (object == nullptr || Enumerate(object, items)) return items;
  LateBound late(object);
  const int32_t count = host::ToLong(late.Get("Count"));
  if (count > 0 && static_cast<size_t>(count) > kMaxCollectionItems) {
    throw RuntimeError(kErrOverflow);
  }
  for (int32_t i = 1; i <= count; ++i) items.push_back(late.Call("Item", {int64_t{i}}));
  return items;
}

// ---- Archive and charts -------------------------------------------------------

std::shared_ptr<host::Patient> ComArchive::DaiPazienteRegionale(const std::string& code,
                                                                bool regional) {
  return ObjectOrNothing<ComPatient>(late_.Call("DaiPazienteRegionale", {code, regional}));
}

std::string ComPatient::Text(std::string_view name) const { return TextOf(late_.Get(name)); }

std::shared_ptr<host::ExamReports> ComPatient::RefertiEsami() {
  return ObjectOf<ComExamReports>(late_.Get("RefertiEsami"));
}

std::shared_ptr<host::VisitReports> ComPatient::RefertiVisite() {
  return ObjectOf<ComVisitReports>(late_.Get("RefertiVisite"));
}

std::vector<host::ChartItem> ComExamReports::Lista() { return ChartItems(late_); }

Variant ComExamReports::Salva(const host::ExamSaveArgs& args) {
  // Group id, Clinora id, description, numeric flag, value, unit, bounds and
  // the out-of-range flag go by reference.
  return Save(late_, args.ToVector(), std::array<size_t, 9>{1, 4, 5, 6, 7, 8, 10, 11, 12});
}

std::vector<host::ChartItem> ComVisitReports::Lista() { return ChartItems(late_); }

Variant ComVisitReports::Salva(const host::VisitSaveArgs& args) {
  // The description, the body twice and the reference go by reference.
  return Save(late_, args.ToVector(), std::array<size_t, 4>{3, 7, 8, 13});
}

// ---- XML object ---------------------------------------------------------------

std::string ComXmlNode::NodeName() const { return TextOf(Late().Get("nodeName")); }

std::string ComXmlNode::Text() const { return TextOf(Late().Get("text")); }

void ComXmlNode::SetText(const std::string& text) { Late().Put("text", text); }

std::shared_ptr<host::XmlNode> ComXmlNode::GetNamedItem(const std::string& name) {
  const Variant attributes = Late().Get("attributes");
  IDispatch* map = DispatchOf(attributes);
  if (map == nullptr) return nullptr;
  return ObjectOrNothing<ComXmlNode>(LateBound(map).Call("getNamedItem", {name}));
}

std::vector<std::shared_ptr<host::XmlNode>> ComXmlNode::ChildNodes() {
  return Nodes(Late().Get("childNodes"));
}

bool ComXmlDocument::LoadFileXML(const std::string& path) {
  return host::ToBoolean(late_.Call("LoadFileXML", {path}));
}

std::shared_ptr<host::XmlNode> ComXmlDocument::RootNode() {
  return ObjectOrNothing<ComXmlNode>(late_.Get("RootNode"));
}

std::vector<std::shared_ptr<host::XmlNode>> ComXmlDocument::SelectNodeList(
    const std::shared_ptr<host::XmlNode>& node, const std::string& path) {
  return Nodes(late_.Call("SelectNodeList", {NodeArgument(node), path}));
}

std::string ComXmlDocument::GetAttribute(const std::shared_ptr<host::XmlNode>& node,
                                         const std::string& name) {
  return TextOf(late_.Call("getAttribute", {NodeArgument(node), name}));
}

// ---- Ribbon and framework ------------------------------------------------------

std::string ComRibbonGroup::Caption() const { return TextOf(Late().Get("Caption")); }

std::string ComRibbonTab::Caption() const { return TextOf(Late().Get("Caption")); }

std::shared_ptr<host::RibbonGroup> ComRibbonTab::AddGroup(const std::string& caption,
                                                          int32_t style) {
  const Variant groups = Late().Get("Groups");
  LateBound list(DispatchOf(groups));
  return ObjectOf<ComRibbonGroup>(list.Call("AddGroup", {caption, int64_t{style}}));
}

std::shared_ptr<host::RibbonTab> ComFramework::InsertRibbonTab(const std::string& caption) {
  return ObjectOf<ComRibbonTab>(late_.Call("InsertRibbonTab", {caption}));
}

std::shared_ptr<host::RibbonGroup> ComFramework::InsertTabGroup(host::RibbonTab& tab,
                                                                const std::string& caption) {
  return ObjectOf<ComRibbonGroup>(
      late_.Call("InsertTabGroup", {HeldArgument<ComRibbonTab>(tab), caption}));
}

std::shared_ptr<host::RibbonControl> ComFramework::InsertGroupControl(host::RibbonGroup& group,
                                                                      int32_t command_id) {
  return ObjectOf<ComRibbonControl>(
      late_.Call("InsertGroupControl", {HeldArgument<ComRibbonGroup>(group), int64_t{command_id}}));
}

std::shared_ptr<host::RibbonControl> ComFramework::InsertGroupButton(host::RibbonGroup& group,
                                                                     const std::string& caption,
                                                                     int32_t command_id,
                                                                     int32_t style, bool flag,
                                                                     const std::string& tooltip) {
  return ObjectOf<ComRibbonControl>(
      late_.Call("InsertGroupButton", {HeldArgument<ComRibbonGroup>(group), caption,
                                       int64_t{command_id}, int64_t{style}, flag, tooltip}));
}

void ComFramework::AddFileBitmap(const std::string& image_path, int32_t command_id) {
  late_.Call("AddFileBitmap", {image_path, int64_t{command_id}});
}

std::shared_ptr<host::RibbonControl> ComFramework::FindRibbonControl(int32_t command_id) {
  return ObjectOrNothing<ComRibbonControl>(late_.Call("FindRibbonControl", {int64_t{command_id}}));
}

bool ComFramework::OpenChild(const std::string& form_name, bool modal, const std::string& caption) {
  return host::ToBoolean(late_.Call("OpenChild", {form_name, modal, Arg::Missing(), caption}));
}

std::shared_ptr<host::ChildForm> ComFramework::CreateChildForm(
    std::shared_ptr<host::EmbeddedForm> form) {
  IDispatch* object = NewFormObject(form, make_window_);
  const Variant argument = std::shared_ptr<host::Dispatch>(std::make_shared<ComObject>(object));
  object->Release();  // the argument holds its own reference
  IDispatch* child = DispatchOf(late_.Call("CreateChildForm", {argument}));
  if (child == nullptr) return nullptr;
  return std::make_shared<ComChildForm>(child, std::move(form));
}

void ComFramework::RichiamaPaziente(const Variant& patient_id) {
  late_.Call("RichiamaPaziente", {patient_id});
}

int32_t ComFramework::Popup(const std::vector<std::string>& items) {
  return host::ToLong(late_.Call("Popup", {host::ParamArray::Of({items.begin(), items.end()})}));
}

// ---- Host application ---------------------------------------------------------

host::Framework& ComHostApp::GetFramework() {
  if (framework_ == nullptr) {
    const Variant framework = late_.Get("Framework");
    framework_ = std::make_unique<ComFramework>(DispatchOf(framework), make_window_);
  }
  return *framework_;
}

std::shared_ptr<host::XmlDocument> ComHostApp::NewXML() {
  return ObjectOf<ComXmlDocument>(late_.Call("NewXML"));
}

host::Archive& ComHostApp::Archivio() {
  if (archive_ == nullptr) {
    const Variant archivio = late_.Get("Archivio");
    LateBound holder(DispatchOf(archivio));
    const Variant pazienti = holder.Get("Pazienti");
    archive_ = std::make_unique<ComArchive>(DispatchOf(pazienti));
  }
  return *archive_;
}

}  // namespace lirvo::win
