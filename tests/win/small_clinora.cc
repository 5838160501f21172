#include "small_clinora.h"

#include <algorithm>
#include <cmath>
#include <cwctype>

#include "base/dates.h"
#include "base/runtime_error.h"
#include "base/text.h"
#include "host/host.h"
#include "win/late_bound.h"
#include "win/variant_convert.h"
#include "win/wide_text.h"
#include "win_check.h"

namespace lirvo::replay {

using host::Variant;

// ---- Calls --------------------------------------------------------------------

Variant CallArgs::Value(size_t index) const {
  if (index >= Count()) return host::Empty{};
  return win::FromVariant(Raw(index));
}

std::string CallArgs::Text(size_t index) const { return host::ToText(Value(index)); }

IDispatch* CallArgs::Object(size_t index) const {
  if (index >= Count()) return nullptr;
  const VARIANT* v = &Raw(index);
  while (V_VT(v) == (VT_BYREF | VT_VARIANT)) v = V_VARIANTREF(v);
  if (V_VT(v) == VT_DISPATCH) return V_DISPATCH(v);
  if (V_VT(v) == (VT_BYREF | VT_DISPATCH)) return *V_DISPATCHREF(v);
  return nullptr;
}

VARIANT ValueOf(const Variant& value) { return win::ToVariant(value); }

VARIANT ObjectOf(IDispatch* object) {
  VARIANT v;
  ::VariantInit(&v);
  V_VT(&v) = VT_DISPATCH;
  V_DISPATCH(&v) = object;
  if (object != nullptr) object->AddRef();
  return v;
}

namespace {

VARIANT NoValue() {
  VARIANT v;
  ::VariantInit(&v);
  return v;
}

std::wstring Lower(std::wstring text) {
  for (auto& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return text;
}

Json ToJson(const Variant& v) {
  if (std::holds_alternative<host::Empty>(v)) return "";
  if (std::holds_alternative<host::Null>(v)) return nullptr;
  if (const auto* b = std::get_if<bool>(&v)) return *b;
  if (const auto* i = std::get_if<int64_t>(&v)) return *i;
  if (const auto* d = std::get_if<double>(&v)) return std::isfinite(*d) ? Json(*d) : Json("");
  if (const auto* s = std::get_if<std::string>(&v)) return *s;
  return "[object]";
}

}  // namespace

// ---- Objects ------------------------------------------------------------------

HostObject& HostObject::On(const std::wstring& name, Member member) {
  members_.emplace_back(Lower(name), std::move(member));
  return *this;
}

HostObject& HostObject::Field(const std::wstring& name, Variant* value) {
  return On(name, [value](const CallArgs& args, bool put) {
    if (put) {
      *value = args.Value(args.Count() - 1);
      return NoValue();
    }
    return ValueOf(*value);
  });
}

HRESULT HostObject::QueryInterface(REFIID riid, void** object) {
  if (riid == IID_IUnknown || riid == IID_IDispatch) {
    *object = static_cast<IDispatch*>(this);
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

HRESULT HostObject::GetTypeInfoCount(UINT* count) {
  *count = 0;
  return S_OK;
}

HRESULT HostObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  const std::wstring wanted = Lower(names[0]);
  for (size_t i = 0; i < members_.size(); ++i) {
    if (members_[i].first == wanted) {
      ids[0] = static_cast<DISPID>(i + 1);
      return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
    }
  }
  return DISP_E_UNKNOWNNAME;
}

HRESULT HostObject::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                           EXCEPINFO* info, UINT*) {
  if (id < 1 || static_cast<size_t>(id) > members_.size()) return DISP_E_MEMBERNOTFOUND;
  const bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
  try {
    VARIANT answer = members_[id - 1].second(CallArgs(*params), put);
    if (result != nullptr) {
      *result = answer;
    } else {
      ::VariantClear(&answer);
    }
    return S_OK;
  } catch (const RuntimeError& e) {
    if (info != nullptr) {
      *info = EXCEPINFO{};
      info->scode = static_cast<SCODE>(0x800A0000u + static_cast<unsigned>(e.Number()));
      info->bstrDescription = ::SysAllocString(win::Wide(e.Description()).c_str());
    }
    return DISP_E_EXCEPTION;
  } catch (...) {
    return E_FAIL;
  }
}

// ---- The small Clinora ------------------------------------------------------------

struct SmallClinora::Objects {
  struct Control {
    int32_t id = 0;
    std::string caption, tooltip;
    bool flag = false;
    Variant enabled = true, visible = true;
  };
  struct Group {
    std::string caption;
    std::vector<std::unique_ptr<Control>> controls;
  };
  struct Tab {
    std::string caption;
    std::vector<std::unique_ptr<Group>> groups;
  };
  struct Child {
    Variant caption = std::string();
    Variant icon;
    IDispatch* form = nullptr;
  };
  struct Chart {
    std::vector<std::vector<Variant>> exams, visits;
    std::optional<std::vector<std::vector<Variant>>> automatic;  // open between Clear and Salva
  };
  struct Patient {
    PatientRow row;
    HostObject* object = nullptr;
    Chart chart;
  };

  std::vector<std::unique_ptr<HostObject>> pool;
  HostObject* application = nullptr;
  HostObject* framework = nullptr;
  std::vector<std::unique_ptr<Tab>> tabs;
  std::map<int32_t, std::string> icons;
  std::vector<std::unique_ptr<Tab>> replaced_tabs;
  std::map<const Control*, HostObject*> object_of;
  std::map<const HostObject*, Tab*> tab_of;
  std::map<const HostObject*, Group*> group_of;
  std::vector<std::unique_ptr<Child>> children;
  Child* active_child = nullptr;
  std::string active_tab = "Clinora";
  int32_t next_id = 1001;           // as the stand-in Clinora numbers them
  int32_t next_own_id = 1'000'000;  // for the replay's own objects
  std::map<int64_t, Patient> patients;
};

SmallClinora::SmallClinora(Sink sink)
    : sink_(std::move(sink)), objects_(std::make_unique<Objects>()) {
  BuildFramework();
}

SmallClinora::~SmallClinora() = default;

IDispatch* SmallClinora::Application() { return objects_->application; }

IDispatch* SmallClinora::NewForm(const std::string& name) {
  HostObject& form = NewObject();
  form.On(L"Name", [name](const CallArgs&, bool) { return ValueOf(name); });
  return &form;
}

HostObject& SmallClinora::NewObject() {
  objects_->pool.push_back(std::make_unique<HostObject>());
  return *objects_->pool.back();
}

void SmallClinora::Report(const std::string& call, const std::vector<Variant>& args) {
  Json list = Json::array();
  for (const auto& a : args) list.push_back(ToJson(a));
  sink_({{"type", "host"}, {"call", call}, {"args", std::move(list)}});
}

void SmallClinora::BuildFramework() {
  Objects& o = *objects_;
  HostObject& fw = NewObject();
  o.framework = &fw;

  // A group added to a tab, through the tab's Groups or the framework.
  auto add_group = [this](Objects::Tab& tab, std::string caption) {
    tab.groups.push_back(std::make_unique<Objects::Group>());
    Objects::Group& group = *tab.groups.back();
    group.caption = std::move(caption);
    HostObject& g = NewObject();
    g.On(L"Caption", [&group](const CallArgs&, bool) { return ValueOf(group.caption); });
    objects_->group_of[&g] = &group;
    return ObjectOf(&g);
  };
  auto tab_object = [this, add_group](Objects::Tab& tab) -> HostObject& {
    HostObject& t = NewObject();
    HostObject& groups = NewObject();
    groups.On(L"AddGroup",
              [&tab, add_group](const CallArgs& a, bool) { return add_group(tab, a.Text(0)); });
    t.On(L"Caption", [&tab](const CallArgs&, bool) { return ValueOf(tab.caption); });
    t.On(L"Groups", [&groups](const CallArgs&, bool) { return ObjectOf(&groups); });
    objects_->tab_of[&t] = &tab;
    return t;
  };
  auto group_of = [this](const CallArgs& a) -> Objects::Group& {
    auto it = objects_->group_of.find(static_cast<HostObject*>(a.Object(0)));
    if (it == objects_->group_of.end()) throw RuntimeError(13);
    return *it->second;
  };
  auto add_control = [this](Objects::Group& group, int32_t id, std::string caption,
                            std::string tooltip, bool flag) {
    group.controls.push_back(std::make_unique<Objects::Control>());
    Objects::Control& c = *group.controls.back();
    c.id = id;
    c.caption = std::move(caption);
    c.tooltip = std::move(tooltip);
    c.flag = flag;
    HostObject& object = NewObject();
    object.Field(L"Enabled", &c.enabled).Field(L"Visible", &c.visible);
    object.On(L"Caption", [&c](const CallArgs&, bool) { return ValueOf(c.caption); });
    object.On(L"Id", [&c](const CallArgs&, bool) { return ValueOf(int64_t{c.id}); });
    objects_->object_of[&c] = &object;
    return ObjectOf(&object);
  };

  fw.On(L"GetNewID", [this](const CallArgs&, bool) {
    if (own_ids_) return ValueOf(int64_t{objects_->next_own_id++});
    return ValueOf(int64_t{objects_->next_id++});
  });
  fw.On(L"InsertRibbonTab", [this, tab_object](const CallArgs& a, bool) {
    auto tab = std::make_unique<Objects::Tab>();
    tab->caption = a.Text(0);
    HostObject& object = tab_object(*tab);
    auto& tabs = objects_->tabs;
    auto same = std::find_if(tabs.begin(), tabs.end(),
                             [&](const auto& t) { return t->caption == tab->caption; });
    if (same != tabs.end()) {
      objects_->replaced_tabs.push_back(std::move(*same));  // its object may still be called
      *same = std::move(tab);
    } else {
      tabs.push_back(std::move(tab));
    }
    return ObjectOf(&object);
  });
  fw.On(L"InsertTabGroup", [this, add_group](const CallArgs& a, bool) {
    auto it = objects_->tab_of.find(static_cast<HostObject*>(a.Object(0)));
    if (it == objects_->tab_of.end()) throw RuntimeError(13);
    return add_group(*it->second, a.Text(1));
  });
  fw.On(L"InsertGroupControl", [add_control, group_of](const CallArgs& a, bool) {
    Objects::Group& group = group_of(a);
    return add_control(group, host::ToLong(a.Value(1)), group.caption, "", false);
  });
  fw.On(L"InsertGroupButton", [add_control, group_of](const CallArgs& a, bool) {
    return add_control(group_of(a), host::ToLong(a.Value(2)), a.Text(1), a.Text(5),
                       host::ToBoolean(a.Value(4)));
  });
  fw.On(L"AddFileBitmap", [this](const CallArgs& a, bool) {
    objects_->icons[host::ToLong(a.Value(1))] = a.Text(0);
    return NoValue();
  });
  fw.On(L"FindRibbonControl", [this](const CallArgs& a, bool) {
    const int32_t id = host::ToLong(a.Value(0));
    for (const auto& tab : objects_->tabs) {
      for (const auto& group : tab->groups) {
        for (const auto& c : group->controls) {
          if (c->id == id) return ObjectOf(objects_->object_of.at(c.get()));
        }
      }
    }
    return Nothing();
  });
  fw.On(L"SetMainRibbonTab", [this](const CallArgs&, bool) {
    objects_->active_tab = "Clinora";
    Report("SetMainRibbonTab", {});
    return NoValue();
  });
  fw.On(L"OpenChild", [this](const CallArgs& a, bool) {
    // OpenChild(name, modal, [unused], caption)
    const std::string caption = a.Text(3);
    Report("OpenChild", {a.Text(0), host::ToBoolean(a.Value(1)), caption});
    for (const auto& child : objects_->children) {
      if (host::ToText(child->caption) == caption) {
        objects_->active_child = child.get();
        return ValueOf(true);
      }
    }
    return ValueOf(false);
  });
  fw.On(L"CreateChildForm", [this](const CallArgs& a, bool) {
    IDispatch* form = a.Object(0);
    if (form == nullptr) throw RuntimeError(91);
    form->AddRef();  // kept as long as the child window
    win::LateBound late(form);
    Report("CreateChildForm", {late.Get("Name")});
    // The host adopts the form's window: reading hWnd makes it.
    const Variant window = late.Get("hWnd");
    if (const auto* handle = std::get_if<int64_t>(&window)) {
      reports_window_ = reinterpret_cast<HWND>(static_cast<intptr_t>(*handle));
    }
    objects_->children.push_back(std::make_unique<Objects::Child>());
    Objects::Child& child = *objects_->children.back();
    child.form = form;
    objects_->active_child = &child;
    HostObject& object = NewObject();
    object.Field(L"Caption", &child.caption).Field(L"Icon", &child.icon);
    object.On(L"Show", [](const CallArgs&, bool) { return NoValue(); });
    object.On(L"Form", [&child](const CallArgs&, bool) { return ObjectOf(child.form); });
    return ObjectOf(&object);
  });
  fw.On(L"RichiamaPaziente", [this](const CallArgs& a, bool) {
    Report("RichiamaPaziente", {a.Value(0)});
    return NoValue();
  });
  fw.On(L"Popup", [this](const CallArgs& a, bool) { return Popup(a); });

  HostObject& patients = NewObject();
  patients.On(L"DaiPazienteRegionale", [this](const CallArgs& a, bool) {
    const std::string code = a.Text(0);
    if (code.empty()) return Nothing();
    const Objects::Patient* found = nullptr;
    if (host::ToBoolean(a.Value(1))) {
      for (const auto& [id, p] : objects_->patients) {
        if (p.row.tessera == code) return ObjectOf(p.object);  // the card number first
        if (found == nullptr && EqualsText(p.row.codice_fiscale, code)) found = &p;
      }
    } else {
      const std::string digits(Trim(code));
      if (!digits.empty() && digits.size() <= 18 &&
          digits.find_first_not_of("0123456789") == std::string::npos) {
        auto it = objects_->patients.find(std::strtoll(digits.c_str(), nullptr, 10));
        if (it != objects_->patients.end()) found = &it->second;
      }
    }
    return found != nullptr ? ObjectOf(found->object) : Nothing();
  });
  HostObject& archive = NewObject();
  archive.On(L"Pazienti", [&patients](const CallArgs&, bool) { return ObjectOf(&patients); });

  HostObject& app = NewObject();
  app.On(L"Framework", [&fw](const CallArgs&, bool) { return ObjectOf(&fw); });
  app.On(L"Archivio", [&archive](const CallArgs&, bool) { return ObjectOf(&archive); });
  app.On(L"NewXML", [this](const CallArgs&, bool) {
    // The XML object over Wine's MSXML.
    IDispatch* document = wintest::Create(L"Msxml2.DOMDocument.3.0");
    if (document == nullptr) {
      throw RuntimeError(429, "Il componente ActiveX non può creare l'oggetto");
    }
    auto doc = std::make_shared<win::LateBound>(document);
    document->Release();
    doc->Put("async", false);
    HostObject& xml = NewObject();
    xml.On(L"LoadFileXML",
           [doc](const CallArgs& a, bool) { return ValueOf(doc->Call("load", {a.Text(0)})); });
    xml.On(L"RootNode",
           [doc](const CallArgs&, bool) { return win::ToVariant(doc->Get("documentElement")); });
    xml.On(L"SelectNodeList", [](const CallArgs& a, bool) {
      win::LateBound node(a.Object(0));
      return win::ToVariant(node.Call("selectNodes", {a.Text(1)}));
    });
    xml.On(L"getAttribute", [](const CallArgs& a, bool) {
      win::LateBound node(a.Object(0));
      return win::ToVariant(node.Call("getAttribute", {a.Text(1)}));
    });
    xml.On(L"SaveFile", [doc](const CallArgs& a, bool) {
      doc->Call("save", {a.Text(0)});
      return NoValue();
    });
    return ObjectOf(&xml);
  });
  o.application = &app;
}

VARIANT SmallClinora::Popup(const CallArgs& args) {
  Json items = Json::array();
  const host::ParamArray list = win::ReadArray(args.Raw(0));
  for (const auto& item : list.items) items.push_back(host::ToText(item));
  int answer = 0;
  if (!popups_.empty()) {
    answer = popups_.front();
    popups_.pop_front();
    if (answer < 0 || static_cast<size_t>(answer) > items.size()) answer = 0;
  }
  sink_({{"type", "popup"}, {"items", items}, {"answer", answer}});
  return ValueOf(int64_t{answer});
}

// ---- Archive -------------------------------------------------------------------

HostObject& SmallClinora::NewChart(int64_t patient, bool exams) {
  HostObject& chart = NewObject();
  chart.On(L"Lista", [this, patient, exams](const CallArgs&, bool) {
    const auto& c = objects_->patients.at(patient).chart;
    const auto& rows = exams ? c.exams : c.visits;
    std::vector<Variant> items;
    for (const auto& row : rows) {
      HostObject& item = NewObject();
      const Variant data = row[exams ? host::kExamArgReportDate : host::kVisitArgReportDate];
      const Variant idrif1 = exams ? row[host::kExamArgClinoraId] : Variant();
      const Variant idrif4 = row[exams ? host::kExamArgCode : host::kVisitArgReference];
      const Variant t1 = exams ? row[host::kExamArgValue] : Variant();
      item.On(L"Data", [data](const CallArgs&, bool) { return ValueOf(data); });
      item.On(L"idrif1", [idrif1](const CallArgs&, bool) { return ValueOf(idrif1); });
      item.On(L"idrif4", [idrif4](const CallArgs&, bool) { return ValueOf(idrif4); });
      item.On(L"t1", [t1](const CallArgs&, bool) { return ValueOf(t1); });
      items.push_back(wintest::ObjectValue(&item));
    }
    VARIANT v;
    ::VariantInit(&v);
    V_VT(&v) = VT_ARRAY | VT_VARIANT;
    V_ARRAY(&v) = win::NewArray(host::ParamArray::Of(std::move(items)));
    return v;
  });
  chart.On(L"Salva",
           [this, patient, exams](const CallArgs& a, bool) { return Save(patient, exams, a); });
  if (exams) {
    chart.On(L"ClearEsamiAutomatici", [this, patient](const CallArgs&, bool) {
      objects_->patients.at(patient).chart.automatic.emplace();
      return NoValue();
    });
    chart.On(L"SalvaEsamiAutomatici", [this, patient](const CallArgs&, bool) {
      auto& c = objects_->patients.at(patient).chart;
      if (c.automatic) {
        for (auto& row : *c.automatic) c.exams.push_back(std::move(row));
        c.automatic.reset();
      }
      return NoValue();
    });
  }
  return chart;
}

HostObject& SmallClinora::NewPatient(const PatientRow& row) {
  HostObject& p = NewObject();
  HostObject& exams = NewChart(row.id, true);
  HostObject& visits = NewChart(row.id, false);
  const int64_t id = row.id;
  p.On(L"ID", [id](const CallArgs&, bool) { return ValueOf(id); });
  const std::pair<const wchar_t*, std::string> texts[] = {{L"Cognome", row.cognome},
                                                          {L"Nome", row.nome},
                                                          {L"DataNascita", row.data_nascita},
                                                          {L"CodiceFiscale", row.codice_fiscale},
                                                          {L"Tessera", row.tessera}};
  for (const auto& [name, text] : texts) {
    p.On(name, [text](const CallArgs&, bool) { return ValueOf(text); });
  }
  p.On(L"RefertiEsami", [&exams](const CallArgs&, bool) { return ObjectOf(&exams); });
  p.On(L"RefertiVisite", [&visits](const CallArgs&, bool) { return ObjectOf(&visits); });
  return p;
}

std::optional<int64_t> SmallClinora::AddPatient(PatientRow patient) {
  for (const auto& [id, p] : objects_->patients) {
    if ((!patient.tessera.empty() && p.row.tessera == patient.tessera) ||
        (!patient.codice_fiscale.empty() &&
         EqualsText(p.row.codice_fiscale, patient.codice_fiscale))) {
      return std::nullopt;
    }
  }
  if (patient.id == 0) {
    patient.id = objects_->patients.empty() ? 1 : objects_->patients.rbegin()->first + 1;
  }
  Objects::Patient& p = objects_->patients[patient.id];
  p.row = patient;
  p.object = &NewPatient(patient);
  return patient.id;
}

bool SmallClinora::KnowsPatient(int64_t patient) const {
  return objects_->patients.count(patient) != 0;
}

namespace {

// A save the archive takes: every value plain (no object, a finite number)
// and the date dd/mm/yyyy.
bool Usable(const std::vector<Variant>& args, size_t date_index) {
  for (const auto& a : args) {
    if (std::holds_alternative<std::shared_ptr<host::Dispatch>>(a)) return false;
    if (const auto* d = std::get_if<double>(&a); d != nullptr && !std::isfinite(*d)) return false;
  }
  const auto* date = std::get_if<std::string>(&args[date_index]);
  return date != nullptr && ParseDate(*date).has_value();
}

}  // namespace

bool SmallClinora::SaveExam(int64_t patient, std::vector<Variant> args) {
  args.resize(host::kExamArgCount, std::string());
  auto it = objects_->patients.find(patient);
  if (it == objects_->patients.end() || !Usable(args, host::kExamArgReportDate)) return false;
  auto& chart = it->second.chart;
  (chart.automatic ? *chart.automatic : chart.exams).push_back(std::move(args));
  return true;
}

bool SmallClinora::SaveVisit(int64_t patient, std::vector<Variant> args) {
  args.resize(host::kVisitArgCount, std::string());
  auto it = objects_->patients.find(patient);
  if (it == objects_->patients.end() || !Usable(args, host::kVisitArgReportDate)) return false;
  it->second.chart.visits.push_back(std::move(args));
  return true;
}

void SmallClinora::ScriptSaveResults(std::vector<Variant> results) {
  save_results_.assign(results.begin(), results.end());
}

VARIANT SmallClinora::Save(int64_t patient, bool exams, const CallArgs& a) {
  if (!save_results_.empty()) {
    Variant scripted = save_results_.front();
    save_results_.pop_front();
    if (!std::holds_alternative<host::Empty>(scripted)) return ValueOf(scripted);
  }
  std::vector<Variant> args;
  for (size_t i = 0; i < a.Count(); ++i) args.push_back(a.Value(i));
  return ValueOf(exams ? SaveExam(patient, std::move(args)) : SaveVisit(patient, std::move(args)));
}

Json SmallClinora::ChartJson(int64_t patient) const {
  auto entries = [](const std::vector<std::vector<Variant>>& rows) {
    Json list = Json::array();
    for (const auto& row : rows) {
      Json args = Json::array();
      for (const auto& v : row) args.push_back(ToJson(v));
      list.push_back({{"args", std::move(args)}});
    }
    return list;
  };
  const auto& chart = objects_->patients.at(patient).chart;
  return {{"type", "chart"},
          {"patient", patient},
          {"exams", entries(chart.exams)},
          {"visits", entries(chart.visits)}};
}

// ---- Ribbon and windows -------------------------------------------------------------

Json SmallClinora::RibbonJson(const std::function<std::string(int32_t)>& key_of) const {
  Json controls = Json::array();
  for (const auto& tab : objects_->tabs) {
    for (const auto& group : tab->groups) {
      for (const auto& c : group->controls) {
        auto icon = objects_->icons.find(c->id);
        controls.push_back({{"tab", tab->caption},
                            {"group", group->caption},
                            {"key", key_of(c->id)},
                            {"caption", c->caption},
                            {"tooltip", c->tooltip},
                            {"icon", icon == objects_->icons.end() ? "" : icon->second},
                            {"flag", c->flag},
                            {"enabled", host::ToBoolean(c->enabled)},
                            {"visible", host::ToBoolean(c->visible)}});
      }
    }
  }
  return {{"type", "ribbon"}, {"active_tab", objects_->active_tab}, {"controls", controls}};
}

std::vector<int32_t> SmallClinora::ControlIds() const {
  std::vector<int32_t> ids;
  for (const auto& tab : objects_->tabs) {
    for (const auto& group : tab->groups) {
      for (const auto& c : group->controls) ids.push_back(c->id);
    }
  }
  return ids;
}

void SmallClinora::ClickTab(const std::string& caption) {
  if (caption == "Clinora") {
    objects_->active_tab = caption;
    return;
  }
  for (const auto& tab : objects_->tabs) {
    if (tab->caption == caption) objects_->active_tab = caption;
  }
}

IDispatch* SmallClinora::ActiveForm() const {
  return objects_->active_child != nullptr ? objects_->active_child->form : nullptr;
}

}  // namespace lirvo::replay
