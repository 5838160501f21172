#include "plugin/plugin.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "forms/frm_referti_lirvo.h"
#include "plugin/cls_config.h"
#include "plugin/plugin_fixture.h"
#include "standin/host_form.h"
#include "support/runtime_error_matchers.h"
#include "support/trap_recorder.h"

namespace lirvo::plugin {
namespace {

using host::ParamArray;
using host::Variant;
using standin::HostForm;
using test_support::CallsOf;

class PluginTest : public test_support::PluginFixture {
 protected:
  void Send(const std::string& event, ParamArray param) { plugin_.Evento(event, host_, param); }
  void Send(const std::string& event, Variant param0) { Send(event, ParamArray::Of({param0})); }
  static Variant Form(const std::string& name) { return std::make_shared<HostForm>(Variant{name}); }
  void Start() {
    WriteConfig(Documents());
    Send("registrazione", Variant{});
    ASSERT_TRUE(plugin_.State().AppConfig());
  }

  Plugin plugin_{MakeServices()};
};

TEST_F(PluginTest, RegistrationKeepsTheHostAndLoadsTheConfiguration) {
  // The event name compares without case; a trailing blank is another event,
  // and Param(0) must exist.
  struct Case {
    const char* name;
    ParamArray param;
    bool registers;
  } cases[] = {{"REGISTRAZIONE", ParamArray::Of({Variant{int64_t{0}}}), true},
               {"registrazione ", ParamArray::Of({Variant{}}), false},
               {"registrazione", ParamArray::Unallocated(), false},
               {"registrazione", ParamArray::Of({}), false},
               {"registrazione", ParamArray::Of({Variant{}}, 1), false},
               {"registrazione", ParamArray::TwoDimensional(1, 1), false}};
  WriteConfig("/referti");
  for (auto& c : cases) {
    Plugin plugin(MakeServices());
    plugin.Evento(c.name, host_, c.param);
    EXPECT_EQ(!!plugin.State().AppConfig(), c.registers) << c.name;
    EXPECT_EQ(plugin.State().HostApp(), c.registers ? host_ : nullptr) << c.name;
    if (c.registers) {
      EXPECT_EQ(plugin.State().DocumentsFolder(), "/referti/");
    }
  }
  EXPECT_TRUE(CallsOf(ui_, "msgbox").empty());

  // A second registration replaces the configuration. ("chiuditutto" stops
  // nothing: the start_and_open script.)
  Start();
  auto first = plugin_.State().AppConfig();
  WriteConfig("/altra");
  Send("registrazione", Variant{});
  EXPECT_NE(plugin_.State().AppConfig(), first);
  EXPECT_EQ(plugin_.State().DocumentsFolder(), "/altra/");
}

TEST_F(PluginTest, EventsActOnlyOnTheMainFormTheExactCaptionAndAWholeIdentifier) {
  Start();
  // A malformed identifier ends "execute" before the registry is asked.
  for (Variant bad : {Variant{"abc"}, Variant{host::Null{}}, Variant{1e20}, Form("x")}) {
    Send("execute", bad);
  }
  Send("execute", ParamArray::Unallocated());
  EXPECT_EQ(plugin_.State().AppConfig()->BuiltServices(), nullptr);
  Send("EXECUTE", Variant{"1006"});
  EXPECT_NE(plugin_.State().AppConfig()->BuiltServices(), nullptr);

  for (Variant param : {Form("frmMain "), Form("FRMMAIN"), Form("frmMainX"), Variant{"frmMain"},
                        Variant{}, Variant{host::Null{}}}) {
    Send("form.load", param);
  }
  Send("form.load", std::make_shared<HostForm>(Variant{host::Null{}}));
  EXPECT_EQ(host_->framework.Inner().Tabs().size(), 0u);
  Send("Form.Load", Form("frmMain"));
  EXPECT_EQ(host_->framework.Inner().Tabs().size(), 1u);

  for (Variant caption :
       {Variant{"referti lirvo"}, Variant{"Referti Lirvo "}, Variant{int64_t{1}}, Variant{}}) {
    Send("mainribbonbar.activetab", caption);
  }
  EXPECT_TRUE(host_->framework.Inner().Children().empty());
}

// The host keeps the child window, and with it the plug-in's window, after
// "fine" and after the plug-in itself is gone. Whatever the person then does
// in it reaches nothing of the plug-in (under the sanitizers, a window that
// still pointed at the released state would fail here).
TEST_F(PluginTest, AWindowTheHostKeepsAfterFineIsInert) {
  auto rossi = host_->AddPatient("ROSSI", "MARIO", "080012345");
  std::shared_ptr<forms::frmRefertiLirvo> window;
  {
    Plugin plugin(MakeServices());
    WriteConfig(Documents());
    ParamArray p = ParamArray::Of({Variant{}});
    plugin.Evento("registrazione", host_, p);
    p = ParamArray::Of({Variant{"Referti Lirvo"}});
    plugin.Evento("mainribbonbar.activetab", host_, p);
    window = plugin.State().Windows().MainReportsWindow();
    ASSERT_TRUE(window);
    auto& row = window->AddPatientRow(*rossi);
    window->AddReportRow(row, forms::ReportRowValues{});
    window->rcReferti().Populate();
    window->rcReferti().SelectRow(1);
    window->rcReferti_MouseUp(2, 0, 0, 0);  // the context menu, while the plug-in runs
    EXPECT_EQ(host_->framework.calls.back(), "Popup(Importa Singolo, Rimuovi Singolo)");
    p = ParamArray::Unallocated();
    plugin.Evento("fine", host_, p);
    EXPECT_FALSE(window->Loaded());
    EXPECT_EQ(plugin.State().Windows().Count(), 0u);
    EXPECT_FALSE(plugin.State().Windows().MainChildForm());
  }
  ASSERT_EQ(host_->framework.Inner().Children().size(), 1u);
  EXPECT_EQ(host_->framework.Inner().Children()[0]->Form(), window);
  host_->framework.calls.clear();

  window->Activate();
  window->Resize(5000, 4000);
  window->rcReferti_HyperlinkClick(0, forms::kItemLink, 0);  // "SCHEDA"
  window->rcReferti_MouseUp(2, 0, 0, 0);
  window->TypeInSearchBox("NESSUNO\r");
  EXPECT_EQ(window->Icon(), "");
  EXPECT_TRUE(host_->framework.calls.empty());
  EXPECT_TRUE(CallsOf(ui_, "beep").empty());
}

TEST(ModuleStateTest, WhatIsMissingRaisesObjectNotSet) {
  using test_support::ThrowsRuntimeError;
  auto state = ModuleState::Create(Services{});
  EXPECT_THAT([&] { state->UserInterface(); }, ThrowsRuntimeError(kErrObjectNotSet));
  EXPECT_THAT([&] { state->Fs(); }, ThrowsRuntimeError(kErrObjectNotSet));
  EXPECT_THAT([&] { state->GetClock(); }, ThrowsRuntimeError(kErrObjectNotSet));
  EXPECT_THAT([&] { state->HostFramework(); }, ThrowsRuntimeError(kErrObjectNotSet));
  EXPECT_THAT([&] { state->DocumentsFolder(); }, ThrowsRuntimeError(kErrObjectNotSet));
  EXPECT_THAT([&] { state->SetDocumentsFolder("/x/"); }, ThrowsRuntimeError(kErrObjectNotSet));
}

// A host whose every member fails, with something other than a runtime error.
class BrokenHost : public host::HostApp {
 public:
  host::Framework& GetFramework() override { throw std::logic_error("framework"); }
  std::shared_ptr<host::XmlDocument> NewXML() override { throw 42; }
  host::Archive& Archivio() override { throw std::bad_alloc(); }
};

TEST_F(PluginTest, NoEventEverThrowsWhateverItIsGiven) {
  const std::vector<std::string> events = {
      "registrazione", "form.load", "chiuditutto", "execute", "mainribbonbar.activetab",
      "sconosciuto",   "",          "fine"};
  std::vector<ParamArray> params = {ParamArray::Unallocated(),
                                    ParamArray::Of({}),
                                    ParamArray::Of({Variant{}}, 1),
                                    ParamArray::TwoDimensional(2, 2),
                                    ParamArray::Of({Variant{host::Null{}}}),
                                    ParamArray::Of({Variant{"Referti Lirvo"}}),
                                    ParamArray::Of({Form("frmMain")}),
                                    ParamArray::Of({Variant{int64_t{1003}}}),
                                    ParamArray::Of({Variant{-1e300}}),
                                    ParamArray::Of({Variant{std::shared_ptr<host::Dispatch>()}})};
  std::vector<std::shared_ptr<host::HostApp>> hosts = {host_, nullptr,
                                                       std::make_shared<BrokenHost>()};
  WriteConfig(Documents());
  test_support::TrapRecorder recorder;  // the broken host's faults are trapped, and reported
  for (auto& host : hosts) {
    Plugin plugin(MakeServices());
    for (const auto& event : events) {
      for (auto param : params) {
        plugin.Evento(event, host, param);  // noexcept: a throw would end the test program
        // Only a host that cannot load the configuration stops the plug-in there.
        if (event == "registrazione" && plugin.Stopped()) {
          EXPECT_NE(host, host_);
        }
      }
    }
    EXPECT_TRUE(plugin.Stopped());
  }
  EXPECT_TRUE(std::any_of(recorder.traps.begin(), recorder.traps.end(), [&](const Trap& t) {
    return t.where == "clsConfig.Init" && t.number == kErrInternal && !t.runtime_error;
  }));  // NewXML threw 42
  // Services missing altogether: the failure message cannot be shown, the
  // event still returns.
  Plugin bare(plugin::Services{});
  ParamArray p = ParamArray::Of({Variant{}});
  bare.Evento("registrazione", nullptr, p);
  EXPECT_FALSE(bare.Stopped());  // registration ended at the missing Ui
}

}  // namespace
}  // namespace lirvo::plugin
