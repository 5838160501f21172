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

namespace lirvo::win {

// The elements of a collection as the host hands it over: an array, an
// object that enumerates (For Each), or one with Count and Item(1..Count).
// Empty, Null and Nothing give no elements.
std::vector<host::Variant> CollectionItems(const host::Variant& collection);

// The COM object inside a value, nullptr for Empty, Null and Nothing;
// anything else raises 13.
IDispatch* DispatchOf(const host::Variant& value);

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
class ComXmlNode : public host::XmlNode {
 public:
  explicit ComXmlNode(IDispatch* node) : object_(std::make_shared<ComObject>(node)) {}
  std::string NodeName() const override;
  std::string Text() const override;
  void SetText(const std::string& text) override;
  std::shared_ptr<host::XmlNode> GetNamedItem(const std::string& name) override;
  std::vector<std::shared_ptr<host::XmlNode>> ChildNodes() override;
  // The node as an argument of a host call.
  host::Variant AsVariant() const { return std::shared_ptr<host::Dispatch>(object_); }

 private:
  std::shared_ptr<ComObject> object_;
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

}  // namespace lirvo::win
