// The host adapter under Wine, against a small Clinora played by objects of
// this test: the archive finds a patient, the chart lists come back as
// items, the saves pass their arguments in order with the types Clinora
// declares, a host error surfaces as its number; the XML side over the
// replay's small Clinora, whose XML object stands on Wine's MSXML.
#include "win/host_adapter.h"

#include <ole2.h>
#include <windows.h>

#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "small_clinora.h"
#include "win/variant_convert.h"
#include "win/wide_text.h"
#include "win_check.h"

namespace {

using lirvo::RuntimeError;
using lirvo::host::Empty;
using lirvo::host::Null;
using lirvo::host::ParamArray;
using lirvo::host::Variant;
using lirvo::wintest::Check;
using lirvo::wintest::ErrorOf;
using Answer = std::variant<Variant, ParamArray>;

// One call a fake object received: the argument types and values, first
// to last (references read through; arrays by their type alone).
struct Call {
  std::wstring member;
  std::vector<VARTYPE> types;
  std::vector<Variant> values;
};

// A host object of the test that records its calls: named members answering
// a value or an array; a member that throws RuntimeError fails as the host's
// runtime does.
class FakeObject : public lirvo::replay::HostObject {
 public:
  using Member = std::function<Answer(const std::vector<Variant>&)>;
  std::vector<Call> calls;

  FakeObject& On(const std::wstring& name, Member member) {
    HostObject::On(name, [this, name, member](const lirvo::replay::CallArgs& args, bool) {
      Call call{name, {}, {}};
      for (size_t i = 0; i < args.Count(); ++i) {
        call.types.push_back(V_VT(&args.Raw(i)));
        call.values.push_back((call.types.back() & VT_ARRAY) != 0 ? Variant() : args.Value(i));
      }
      calls.push_back(call);
      const Answer answer = member(call.values);
      if (const auto* array = std::get_if<ParamArray>(&answer)) {
        VARIANT v;
        V_VT(&v) = VT_ARRAY | VT_VARIANT;
        V_ARRAY(&v) = lirvo::win::NewArray(*array);
        return v;
      }
      return lirvo::win::ToVariant(std::get<Variant>(answer));
    });
    return *this;
  }
  FakeObject& Property(const std::wstring& name, Variant value) {
    return On(name, [value](const std::vector<Variant>&) { return Answer(value); });
  }
  Variant AsValue() { return lirvo::wintest::ObjectValue(this); }
};

Variant Text(const char* text) { return std::string(text); }

// A chart item of the fake host.
FakeObject& Item(std::vector<std::unique_ptr<FakeObject>>& pool, Variant data, Variant idrif1,
                 Variant idrif4, Variant t1) {
  pool.push_back(std::make_unique<FakeObject>());
  return pool.back()
      ->Property(L"Data", std::move(data))
      .Property(L"idrif1", std::move(idrif1))
      .Property(L"idrif4", std::move(idrif4))
      .Property(L"t1", std::move(t1));
}

void CheckArchive() {
  std::vector<std::unique_ptr<FakeObject>> pool;
  Item(pool, Text("01/02/2024"), Text("GLU"), Text("0101"), Text("98"));
  Item(pool, Text("02/02/2024"), Null{}, Text("0202"), Text("positivo"));
  Item(pool, Text("03/02/2024"), Empty{}, Text("lrv.0303"), Empty{});
  FakeObject exam_list;
  exam_list.Property(L"Count", int64_t{2}).On(L"Item", [&](const std::vector<Variant>& a) {
    return Answer(pool.at(static_cast<size_t>(std::get<int64_t>(a.at(0)) - 1))->AsValue());
  });
  FakeObject exams;
  exams.Property(L"Lista", exam_list.AsValue())
      .Property(L"Salva", true)
      .On(L"ClearEsamiAutomatici", [](const std::vector<Variant>&) -> Answer {
        throw RuntimeError(3021, "Nessun record corrente");
      });
  FakeObject visits;
  visits
      .On(L"Lista",
          [&](const std::vector<Variant>&) { return Answer(ParamArray::Of({pool[2]->AsValue()})); })
      .Property(L"Salva", Null{});
  FakeObject patient;
  VARIANT born;
  ::VariantInit(&born);
  V_VT(&born) = VT_DATE;
  V_DATE(&born) = 29221.0;  // 01/01/1980
  patient.Property(L"ID", int64_t{1234})
      .Property(L"Cognome", Text("Rossi"))
      .Property(L"Nome", Text("Niccolò"))
      .Property(L"DataNascita", lirvo::win::FromVariant(born))
      .Property(L"CodiceFiscale", Null{})
      .Property(L"Tessera", Text("0001234"))
      .Property(L"RefertiEsami", exams.AsValue())
      .Property(L"RefertiVisite", visits.AsValue());
  FakeObject archive;
  archive.On(L"DaiPazienteRegionale", [&](const std::vector<Variant>& a) {
    const std::string code = std::get<std::string>(a.at(0));
    if (code == "0001234") return Answer(patient.AsValue());
    if (code == "vuoto") return Answer(Variant(Empty{}));
    return Answer(Variant(std::shared_ptr<lirvo::host::Dispatch>()));
  });

  lirvo::win::ComArchive archivio(&archive);
  for (const char* missing : {"9999", "vuoto"}) {
    Check(archivio.DaiPazienteRegionale(missing, true) == nullptr,
          std::string("no patient for ") + missing);
  }
  const auto found = archivio.DaiPazienteRegionale("0001234", true);
  Check(archive.calls.back().types == std::vector<VARTYPE>{VT_BSTR, VT_BOOL} &&
            archive.calls.back().values == std::vector<Variant>{Text("0001234"), true},
        "the archive gets the code and True");
  Check(found != nullptr, "the archive finds the patient by code");
  if (found == nullptr) return;
  Check(found->ID() == Variant(int64_t{1234}) && found->Cognome() == "Rossi" &&
            found->Nome() == "Niccolò" && found->DataNascita() == "01/01/1980" &&
            found->CodiceFiscale().empty() && found->Tessera() == "0001234",
        "the patient's data");

  const auto exam_items = found->RefertiEsami()->Lista();
  Check(exam_items.size() == 2 && exam_items[0].Data == Text("01/02/2024") &&
            exam_items[0].idrif1 == Text("GLU") && exam_items[0].t1 == Text("98") &&
            exam_items[1].idrif1 == Variant(Null{}) && exam_items[1].idrif4 == Text("0202"),
        "the exam list as a collection with Count and Item");
  const auto visit_items = found->RefertiVisite()->Lista();
  Check(visit_items.size() == 1 && visit_items[0].idrif4 == Text("lrv.0303") &&
            visit_items[0].t1 == Variant(Empty{}),
        "the visit list as an array");

  lirvo::host::ExamSaveArgs exam;
  for (Variant* v : {&exam.a1_empty, &exam.a10_interval, &exam.a26_empty}) *v = Text("");
  for (Variant& v : exam.a15_to_23) v = Text("");
  exam.a2_group_id = Text("17");
  exam.a3_report_date = exam.a4_today = Text("01/02/2024");
  exam.a5_clinora_id = Null{};
  exam.a6_description = exam.a8_value = exam.a9_unit = exam.a11_low = exam.a12_high = Text("x");
  exam.a7_numeric = int64_t{1};
  exam.a13_out_of_range = true;
  exam.a14_false = false;
  exam.a24_code = Text("0101");
  exam.a25_kind = Text("RefertoOnLine");
  Check(found->RefertiEsami()->Salva(exam) == Variant(true), "the exam save answers True");
  const Call& saved = exams.calls.back();
  constexpr VARTYPE kRef = VT_BYREF;
  std::vector<VARTYPE> expected = {
      VT_BSTR,        kRef | VT_BSTR, VT_BSTR,        VT_BSTR,        kRef | VT_VARIANT,
      kRef | VT_BSTR, kRef | VT_I2,   kRef | VT_BSTR, kRef | VT_BSTR, VT_BSTR,
      kRef | VT_BSTR, kRef | VT_BSTR, kRef | VT_BOOL, VT_BOOL};
  expected.resize(26, VT_BSTR);
  Check(saved.types == expected, "the exam save's 26 argument types in order");
  Check(saved.values == exam.ToVector(), "the exam save's 26 values in order");

  lirvo::host::VisitSaveArgs visit;
  for (Variant& v : visit.a1_to_3) v = Text("");
  for (Variant& v : visit.a10_to_13) v = Text("");
  visit.a4_description = visit.a5_report_date = visit.a6_today = Text("d");
  visit.a7_zero = int64_t{0};
  visit.a8_body = visit.a9_body = Text("testo");
  visit.a14_reference = Text("lrv.0303");
  visit.a15_kind = Text("RefertoOnLine");
  Check(found->RefertiVisite()->Salva(visit) == Variant(Null{}), "the visit save answers Null");
  const Call& visit_saved = visits.calls.back();
  expected = {VT_BSTR, VT_BSTR, VT_BSTR,        kRef | VT_BSTR, VT_BSTR,
              VT_BSTR, VT_I2,   kRef | VT_BSTR, kRef | VT_BSTR};
  expected.resize(13, VT_BSTR);
  expected.push_back(kRef | VT_BSTR);
  expected.push_back(VT_BSTR);
  Check(visit_saved.types == expected && visit_saved.values == visit.ToVector(),
        "the visit save's 15 arguments in order");

  std::string description;
  Check(ErrorOf([&] { found->RefertiEsami()->ClearEsamiAutomatici(); }, &description) == 3021 &&
            description == "Nessun record corrente",
        "a host error surfaces with its number and description: " + description);
  Check(ErrorOf([&] { found->RefertiEsami()->SalvaEsamiAutomatici(); }) == 438,
        "a member the host lacks raises 438");
}

// The framework's ribbon and windows: the argument types Clinora declares,
// which the replay (reading values) cannot see; a host without an XML
// object. What the calls do is the replay's.
void CheckFramework() {
  FakeObject control, group, groups, tab, framework, host;
  groups.Property(L"AddGroup", group.AsValue());
  tab.Property(L"Groups", groups.AsValue());
  framework.Property(L"InsertRibbonTab", tab.AsValue())
      .Property(L"InsertTabGroup", group.AsValue())
      .Property(L"InsertGroupButton", control.AsValue())
      .Property(L"OpenChild", true)
      .Property(L"Popup", int64_t{2});
  host.Property(L"Framework", framework.AsValue())
      .Property(L"NewXML", std::shared_ptr<lirvo::host::Dispatch>());

  lirvo::win::ComHostApp app(&host);
  lirvo::host::Framework& ribbon = app.GetFramework();
  const auto new_tab = ribbon.InsertRibbonTab("Referti Lirvo");
  new_tab->AddGroup("Gruppo", 1);
  Check(groups.calls.back().types == std::vector<VARTYPE>{VT_BSTR, VT_I2},
        "a group added to a tab's groups");
  const auto new_group = ribbon.InsertTabGroup(*new_tab, "Lirvo");
  ribbon.InsertGroupButton(*new_group, "Importa", 7, 4, true, "Importa i referti");
  Check(framework.calls.back().types ==
            std::vector<VARTYPE>{VT_DISPATCH, VT_BSTR, VT_I2, VT_I2, VT_BOOL, VT_BSTR},
        "a button's six arguments");
  ribbon.OpenChild("frmMDI", false, "Referti");
  Check(framework.calls.back().types == std::vector<VARTYPE>{VT_BSTR, VT_BOOL, VT_ERROR, VT_BSTR},
        "OpenChild with its third argument left out");
  ribbon.Popup({"Apri", "Importa"});
  Check(framework.calls.back().types == std::vector<VARTYPE>{VT_ARRAY | VT_VARIANT},
        "a pop-up menu of an array of captions");
  Check(ErrorOf([&] { app.NewXML(); }) == 91, "no XML object raises 91");
}

// The host's XML object as the small Clinora makes it, over Wine's MSXML.
void CheckXml() {
  lirvo::replay::SmallClinora clinora([](const lirvo::replay::Json&) {});
  lirvo::win::ComHostApp app(clinora.Application());
  const auto made = app.NewXML();
  lirvo::host::XmlDocument& document = *made;
  wchar_t folder[MAX_PATH];
  ::GetTempPathW(MAX_PATH, folder);
  const std::string path = lirvo::win::Utf8(std::wstring(folder) + L"lirvo_adapter.xml");
  const std::string missing = lirvo::win::Utf8(std::wstring(folder) + L"lirvo_nessuno.xml");
  std::ofstream(path) << "<Trascodifica name='t'><parameters><parameter name='a'>uno</parameter>"
                         "<parameter>due</parameter></parameters></Trascodifica>";

  Check(!document.LoadFileXML(missing), "a missing file is not loaded");
  Check(document.LoadFileXML(path), "the file is loaded");
  const auto root = document.RootNode();
  Check(root != nullptr && root->NodeName() == "Trascodifica", "the root element");
  if (root == nullptr) return;
  Check(
      document.GetAttribute(root, "name") == "t" && document.GetAttribute(root, "nessuno").empty(),
      "an attribute and a missing one");
  const auto parameters = document.SelectNodeList(root, "parameters/parameter");
  Check(parameters.size() == 2, "the selected elements");
  if (parameters.size() != 2) return;
  const auto name = parameters[0]->GetNamedItem("name");
  Check(name != nullptr && name->Text() == "a" && parameters[1]->GetNamedItem("name") == nullptr,
        "a named attribute node and a missing one");
  Check(root->ChildNodes().size() == 1 && root->ChildNodes()[0]->NodeName() == "parameters",
        "the child nodes");
  parameters[1]->SetText("tre è");
  document.SaveFile(path);
  Check(document.LoadFileXML(path) &&
            document.SelectNodeList(document.RootNode(), "parameters/parameter")[1]->Text() ==
                "tre è",
        "a text set, saved and read back");
  Check(ErrorOf([&] { document.GetAttribute(nullptr, "name"); }) == 91 &&
            ErrorOf([&] { document.SelectNodeList(nullptr, "x"); }) == 91,
        "a null node raises 91");
  ::DeleteFileW(lirvo::win::Wide(path).c_str());
}

}  // namespace

int wmain() {
  ::CoInitialize(nullptr);
  for (const auto& [name, check] :
       {std::pair{"archive", &CheckArchive}, {"framework", &CheckFramework}, {"XML", &CheckXml}}) {
    try {
      check();
    } catch (const std::exception& e) {
      Check(false, std::string(name) + ": unexpected exception: " + e.what());
    }
  }
  ::CoUninitialize();
  std::printf("host adapter checks done: %d failed\n", lirvo::wintest::g_failures);
  return lirvo::wintest::g_failures == 0 ? 0 : 1;
}
