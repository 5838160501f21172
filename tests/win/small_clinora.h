// A small Clinora in C++ for the replay host: the objects the plug-in reaches
// by late binding (the application with Framework, Archivio and NewXML; the
// ribbon, child windows, patients and their charts; an XML object over
// Wine's MSXML), with the stand-in's rules: the same tab caption replaces a
// tab, a child window is found again by its caption, a save needs a known
// patient and a dd/mm/yyyy date, the automatic exams of a chart are stored
// when the plug-in says so. Its archive lives in memory and shows as the
// same JSON objects `lirvo run` prints ("host" calls, "popup", "chart",
// "ribbon").
#pragma once

#include <ole2.h>
#include <windows.h>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "host/variant.h"

namespace lirvo::replay {

using Json = nlohmann::ordered_json;

// The arguments of one call, first to last.
class CallArgs {
 public:
  explicit CallArgs(const DISPPARAMS& params) : params_(params) {}
  size_t Count() const { return params_.cArgs; }
  const VARIANT& Raw(size_t index) const { return params_.rgvarg[params_.cArgs - 1 - index]; }
  // The value at `index` (Empty when left out), by the DLL's conversions.
  host::Variant Value(size_t index) const;
  std::string Text(size_t index) const;
  // The object at `index`, followed through references; null when none.
  IDispatch* Object(size_t index) const;

 private:
  const DISPPARAMS& params_;
};

// An object of the small Clinora: named members, found without regard to
// letter case, each answering a call (or a property put, the value last).
// The objects live as long as the program: the plug-in's references to them
// need no counting.
class HostObject : public IDispatch {
 public:
  using Member = std::function<VARIANT(const CallArgs& args, bool put)>;

  HostObject& On(const std::wstring& name, Member member);
  // A property read and written as `value`.
  HostObject& Field(const std::wstring& name, host::Variant* value);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* info, UINT*) override;

 private:
  std::vector<std::pair<std::wstring, Member>> members_;
};

// VARIANTs a member answers.
VARIANT ValueOf(const host::Variant& value);
VARIANT ObjectOf(IDispatch* object);  // Nothing for null
inline VARIANT Nothing() { return ObjectOf(nullptr); }

// A patient as the archive lists them.
struct PatientRow {
  int64_t id = 0;
  std::string cognome, nome, data_nascita, codice_fiscale, tessera;
};

class SmallClinora {
 public:
  using Sink = std::function<void(const Json&)>;
  explicit SmallClinora(Sink sink);
  ~SmallClinora();
  SmallClinora(const SmallClinora&) = delete;
  SmallClinora& operator=(const SmallClinora&) = delete;

  // The application object the plug-in's events carry.
  IDispatch* Application();
  // One of the host's own forms, as "form.load" carries it.
  IDispatch* NewForm(const std::string& name);

  // The archive. AddPatient gives the new patient's ID, nothing when one
  // has the same regional code or fiscal code.
  std::optional<int64_t> AddPatient(PatientRow patient);
  // A chart entry saved as the host saves one; false for an unknown patient
  // or a date that is not dd/mm/yyyy.
  bool SaveExam(int64_t patient, std::vector<host::Variant> args);
  bool SaveVisit(int64_t patient, std::vector<host::Variant> args);
  // The answers of the next saves, in order: Empty saves as usual, anything
  // else is answered and nothing is stored.
  void ScriptSaveResults(std::vector<host::Variant> results);
  bool KnowsPatient(int64_t patient) const;
  Json ChartJson(int64_t patient) const;

  // The ribbon: every control with its tab, group, key (from `key_of`),
  // caption, tooltip, icon, flag and state; the active tab.
  Json RibbonJson(const std::function<std::string(int32_t)>& key_of) const;
  // While set, GetNewID answers the replay's own objects from a range of
  // their own, which the plug-in's identifiers never meet.
  void SetOwnIds(bool own) { own_ids_ = own; }
  // The command identifiers of the ribbon's controls.
  std::vector<int32_t> ControlIds() const;
  // A tab click: a tab the ribbon has (or the host's own) becomes active.
  void ClickTab(const std::string& caption);

  // The answers of the next pop-up menus (0 closes the menu).
  void QueuePopup(int answer) { popups_.push_back(answer); }

  // The form object of the active child window (null when none) and the
  // main reports window the host adopted.
  IDispatch* ActiveForm() const;
  HWND ReportsWindow() const { return reports_window_; }

 private:
  struct Objects;
  HostObject& NewObject();
  HostObject& NewPatient(const PatientRow& row);
  HostObject& NewChart(int64_t patient, bool exams);
  VARIANT Save(int64_t patient, bool exams, const CallArgs& args);
  VARIANT Popup(const CallArgs& args);
  void Report(const std::string& call, const std::vector<host::Variant>& args);
  void BuildFramework();

  Sink sink_;
  std::unique_ptr<Objects> objects_;
  std::deque<host::Variant> save_results_;
  std::deque<int> popups_;
  HWND reports_window_ = nullptr;
  bool own_ids_ = false;
};

}  // namespace lirvo::replay
