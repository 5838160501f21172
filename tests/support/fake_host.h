// The one host double of the unit tests: the stand-in Clinora of a temporary
// installation, behind a framework that logs every call and fails or answers
// Nothing on request, and a Ui that records message boxes and beeps.
#pragma once

#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "base/runtime_error.h"
#include "controls/scripted_ui.h"
#include "host/host.h"
#include "standin/standin_host.h"

namespace lirvo::test_support {

class LoggingFramework : public host::Framework {
 public:
  explicit LoggingFramework(standin::StandinFramework& inner) : inner_(inner) {}

  // Every call, as "Name(arg, ...)", in order ("GetNewID#n" for the n-th).
  std::vector<std::string> calls;
  // Calls whose log text starts with one of these raise error 5.
  std::set<std::string> failing;
  // Calls whose log text starts with one of these answer Nothing.
  std::set<std::string> returning_nothing;

  standin::StandinFramework& Inner() { return inner_; }
  // The controls of the last ribbon tab built, in ribbon order.
  std::vector<std::shared_ptr<standin::StandinRibbonControl>> Controls() const {
    std::vector<std::shared_ptr<standin::StandinRibbonControl>> all;
    if (inner_.Tabs().empty()) return all;
    for (const auto& g : inner_.Tabs().back()->Groups()) {
      all.insert(all.end(), g->Controls().begin(), g->Controls().end());
    }
    return all;
  }
  const standin::StandinRibbonControl* ButtonWithTooltip(const std::string& tooltip) const {
    for (const auto& c : Controls()) {
      if (c->Tooltip() == tooltip) return c.get();
    }
    return nullptr;
  }

  int32_t GetNewID() override {
    Log("GetNewID#" + std::to_string(++new_ids_));
    return inner_.GetNewID();
  }
  std::shared_ptr<host::RibbonTab> InsertRibbonTab(const std::string& caption) override {
    return Log("InsertRibbonTab(" + caption + ")") ? inner_.InsertRibbonTab(caption) : nullptr;
  }
  std::shared_ptr<host::RibbonGroup> InsertTabGroup(host::RibbonTab& tab,
                                                    const std::string& caption) override {
    return Log("InsertTabGroup(" + tab.Caption() + ", " + caption + ")")
               ? inner_.InsertTabGroup(tab, caption)
               : nullptr;
  }
  std::shared_ptr<host::RibbonControl> InsertGroupControl(host::RibbonGroup& group,
                                                          int32_t id) override {
    return Log("InsertGroupControl(" + group.Caption() + ", " + std::to_string(id) + ")")
               ? inner_.InsertGroupControl(group, id)
               : nullptr;
  }
  std::shared_ptr<host::RibbonControl> InsertGroupButton(host::RibbonGroup& group,
                                                         const std::string& caption, int32_t id,
                                                         int32_t style, bool flag,
                                                         const std::string& tooltip) override {
    return Log("InsertGroupButton(" + group.Caption() + ", " + caption + ", " + std::to_string(id) +
               ", " + std::to_string(style) + ", " + (flag ? "True" : "False") + ", " + tooltip +
               ")")
               ? inner_.InsertGroupButton(group, caption, id, style, flag, tooltip)
               : nullptr;
  }
  void AddFileBitmap(const std::string& path, int32_t id) override {
    Log("AddFileBitmap(" + path + ", " + std::to_string(id) + ")");
    inner_.AddFileBitmap(path, id);
  }
  std::shared_ptr<host::RibbonControl> FindRibbonControl(int32_t id) override {
    return Log("FindRibbonControl(" + std::to_string(id) + ")") ? inner_.FindRibbonControl(id)
                                                                : nullptr;
  }
  void SetMainRibbonTab() override {
    Log("SetMainRibbonTab()");
    inner_.SetMainRibbonTab();
  }
  bool OpenChild(const std::string& form, bool modal, const std::string& caption) override {
    Log("OpenChild(" + form + ", " + (modal ? "True" : "False") + ", , " + caption + ")");
    return inner_.OpenChild(form, modal, caption);
  }
  std::shared_ptr<host::ChildForm> CreateChildForm(
      std::shared_ptr<host::EmbeddedForm> form) override {
    return Log("CreateChildForm(" + (form ? form->Name() : std::string("Nothing")) + ")")
               ? inner_.CreateChildForm(std::move(form))
               : nullptr;
  }
  void RichiamaPaziente(const host::Variant& patient_id) override {
    Log("RichiamaPaziente(" + host::Describe(patient_id) + ")");
    inner_.RichiamaPaziente(patient_id);
  }
  int32_t Popup(const std::vector<std::string>& items) override {
    std::string call = "Popup(";
    for (const auto& item : items) call += (&item == &items.front() ? "" : ", ") + item;
    Log(call + ")");
    return inner_.Popup(items);
  }

 private:
  static bool Starts(const std::set<std::string>& prefixes, const std::string& call) {
    for (const auto& p : prefixes) {
      if (call.rfind(p, 0) == 0) return true;
    }
    return false;
  }
  // Logs `call`; throws when it must fail; false when it must answer Nothing.
  bool Log(const std::string& call) {
    calls.push_back(call);
    if (Starts(failing, call)) throw RuntimeError(kErrInvalidCall);
    return !Starts(returning_nothing, call);
  }

  standin::StandinFramework& inner_;
  int new_ids_ = 0;
};

// The stand-in host of the installation at `folder` (archive created), its
// framework logged; the framework and the XML object fail on request.
class FakeHost : public host::HostApp {
 public:
  FakeHost(const std::string& folder, ui::Ui& ui, FileSystem& fs) : standin(folder, ui, fs, true) {}

  standin::StandinHost standin;
  LoggingFramework framework{standin.Framework()};
  bool new_xml_fails = false;
  bool framework_fails = false;  // GetFramework raises 91

  host::Framework& GetFramework() override {
    if (framework_fails) throw RuntimeError(kErrObjectNotSet);
    return framework;
  }
  std::shared_ptr<host::XmlDocument> NewXML() override {
    if (new_xml_fails) throw RuntimeError(429, "Il componente ActiveX non può creare l'oggetto");
    return standin.NewXML();
  }
  host::Archive& Archivio() override { return standin.Archivio(); }

  // A patient added to the archive (born 01/02/1950), as the archive gives it back.
  std::shared_ptr<host::Patient> AddPatient(const std::string& cognome, const std::string& nome,
                                            const std::string& tessera) {
    standin.Archive().AddPatient({0, cognome, nome, "01/02/1950", "CF" + tessera, tessera});
    return standin.Archivio().DaiPazienteRegionale(tessera, true);
  }
};

// The user for window and plug-in tests: the scripted one, with nothing
// queued, so every question gets its default answer.
using RecordingUi = ui::ScriptedUi;

// The events of `type` ("msgbox", "beep" ...) that `ui` recorded.
inline std::vector<nlohmann::json> CallsOf(const ui::ScriptedUi& ui, const std::string& type) {
  std::vector<nlohmann::json> found;
  for (const nlohmann::json& call : ui.Calls()) {
    if (call["type"] == type) found.push_back(call);
  }
  return found;
}

}  // namespace lirvo::test_support
