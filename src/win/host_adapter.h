// The host's object model (host/host.h) over Clinora's own COM objects,
// called late-bound by the member names Clinora gives them. Every failed
// host call raises the runtime error LateBound maps it to; a host answer of
// Nothing (or Empty) where an object may be missing becomes nullptr.
#pragma once

#include <ole2.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "host/host.h"
#include "win/late_bound.h"
#include "win/native_window.h"

namespace lirvo::win {

// The elements of a collection as the host hands it over: an array, an
// object that enumerates (For Each), or one with Count and Item(1..Count).
// Empty, Null and Nothing give no elements.
std::vector<host::Variant> CollectionItems(const host::Variant& collection);

// The COM object inside a value, nullptr for Empty, Null and Nothing;
// anything else raises 13.
IDispatch* DispatchOf(const host::Variant& value);

// A host object that the plug-in passes back to the host as an argument.
class ComHeld {
 public:
  explicit ComHeld(IDispatch* object) : object_(std::make_shared<ComObject>(object)) {}
  host::Variant AsVariant() const { return std::shared_ptr<host::Dispatch>(object_); }

 protected:
  LateBound& Late() const { return object_->Late(); }

 private:
  std::shared_ptr<ComObject> object_;
};

// Archivio.Pazienti.
class ComArchive : public host::Archive {
 public:
  explicit ComArchive(IDispatch* pazienti) : late_(pazienti) {}
  std::shared_ptr<host::Patient> DaiPazienteRegionale(const std::string& code,
                                                      bool regional) override;

 private:
  LateBound late_;
};

class ComPatient : public host::Patient {
 public:
  explicit ComPatient(IDispatch* patient) : late_(patient) {}
  host::Variant ID() const override { return late_.Get("ID"); }
  std::string Cognome() const override { return Text("Cognome"); }
  std::string Nome() const override { return Text("Nome"); }
  std::string DataNascita() const override { return Text("DataNascita"); }
  std::string CodiceFiscale() const override { return Text("CodiceFiscale"); }
  std::string Tessera() const override { return Text("Tessera"); }
  std::shared_ptr<host::ExamReports> RefertiEsami() override;
  std::shared_ptr<host::VisitReports> RefertiVisite() override;

 private:
  // A text property; Null and Empty read as "".
  std::string Text(std::string_view name) const;
  mutable LateBound late_;
};

// RefertiEsami: the exam values of a chart.
class ComExamReports : public host::ExamReports {
 public:
  explicit ComExamReports(IDispatch* reports) : late_(reports) {}
  std::vector<host::ChartItem> Lista() override;
  void ClearEsamiAutomatici() override { late_.Call("ClearEsamiAutomatici"); }
  host::Variant Salva(const host::ExamSaveArgs& args) override;
  void SalvaEsamiAutomatici() override { late_.Call("SalvaEsamiAutomatici"); }

 private:
  LateBound late_;
};

// RefertiVisite: the visit reports of a chart.
class ComVisitReports : public host::VisitReports {
 public:
  explicit ComVisitReports(IDispatch* reports) : late_(reports) {}
  std::vector<host::ChartItem> Lista() override;
  host::Variant Salva(const host::VisitSaveArgs& args) override;

 private:
  LateBound late_;
};

// A DOM node that the host's XML object hands out.
class ComXmlNode : public host::XmlNode, public ComHeld {
 public:
  using ComHeld::ComHeld;
  std::string NodeName() const override;
  std::string Text() const override;
  void SetText(const std::string& text) override;
  std::shared_ptr<host::XmlNode> GetNamedItem(const std::string& name) override;
  std::vector<std::shared_ptr<host::XmlNode>> ChildNodes() override;
};

// The object NewXML gives.
class ComXmlDocument : public host::XmlDocument {
 public:
  explicit ComXmlDocument(IDispatch* xml) : late_(xml) {}
  bool LoadFileXML(const std::string& path) override;
  std::shared_ptr<host::XmlNode> RootNode() override;
  std::vector<std::shared_ptr<host::XmlNode>> SelectNodeList(
      const std::shared_ptr<host::XmlNode>& node, const std::string& path) override;
  std::string GetAttribute(const std::shared_ptr<host::XmlNode>& node,
                           const std::string& name) override;
  void SaveFile(const std::string& path) override { late_.Call("SaveFile", {path}); }

 private:
  LateBound late_;
};

// ---- Ribbon and framework ------------------------------------------------------

class ComRibbonControl : public host::RibbonControl, public ComHeld {
 public:
  using ComHeld::ComHeld;
  bool Enabled() const override { return host::ToBoolean(Late().Get("Enabled")); }
  void SetEnabled(bool enabled) override { Late().Put("Enabled", enabled); }
  bool Visible() const override { return host::ToBoolean(Late().Get("Visible")); }
  void SetVisible(bool visible) override { Late().Put("Visible", visible); }
};

class ComRibbonGroup : public host::RibbonGroup, public ComHeld {
 public:
  using ComHeld::ComHeld;
  std::string Caption() const override;
};

class ComRibbonTab : public host::RibbonTab, public ComHeld {
 public:
  using ComHeld::ComHeld;
  std::string Caption() const override;
  std::shared_ptr<host::RibbonGroup> AddGroup(const std::string& caption, int32_t style) override;
};

// The host's Framework. CreateChildForm hands the host the form as an
// automation object (form_object.h).
class ComFramework : public host::Framework {
 public:
  // `make_window` makes the native window of a form handed to Clinora.
  explicit ComFramework(IDispatch* framework, NativeWindowMaker make_window = {})
      : late_(framework), make_window_(std::move(make_window)) {}
  int32_t GetNewID() override { return host::ToLong(late_.Call("GetNewID")); }
  std::shared_ptr<host::RibbonTab> InsertRibbonTab(const std::string& caption) override;
  std::shared_ptr<host::RibbonGroup> InsertTabGroup(host::RibbonTab& tab,
                                                    const std::string& caption) override;
  std::shared_ptr<host::RibbonControl> InsertGroupControl(host::RibbonGroup& group,
                                                          int32_t command_id) override;
  std::shared_ptr<host::RibbonControl> InsertGroupButton(host::RibbonGroup& group,
                                                         const std::string& caption,
                                                         int32_t command_id, int32_t style,
                                                         bool flag,
                                                         const std::string& tooltip) override;
  void AddFileBitmap(const std::string& image_path, int32_t command_id) override;
  std::shared_ptr<host::RibbonControl> FindRibbonControl(int32_t command_id) override;
  void SetMainRibbonTab() override { late_.Call("SetMainRibbonTab"); }
  bool OpenChild(const std::string& form_name, bool modal, const std::string& caption) override;
  std::shared_ptr<host::ChildForm> CreateChildForm(
      std::shared_ptr<host::EmbeddedForm> form) override;
  void RichiamaPaziente(const host::Variant& patient_id) override;
  // The captions go as one array of texts from index 0.
  int32_t Popup(const std::vector<std::string>& items) override;

 private:
  LateBound late_;
  NativeWindowMaker make_window_;
};

// The host object (clsPlugin) the plug-in receives at registration. Its
// framework and archive are fetched on first use and kept.
class ComHostApp : public host::HostApp {
 public:
  explicit ComHostApp(IDispatch* host, NativeWindowMaker make_window = {})
      : late_(host), make_window_(std::move(make_window)) {}
  host::Framework& GetFramework() override;
  std::shared_ptr<host::XmlDocument> NewXML() override;
  host::Archive& Archivio() override;

 private:
  LateBound late_;
  NativeWindowMaker make_window_;
  std::unique_ptr<ComFramework> framework_;
  std::unique_ptr<ComArchive> archive_;
};

}  // namespace lirvo::win
