#include "forms/frm_referti_lirvo.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/runtime_error.h"
#include "controls/scripted_ui.h"

namespace lirvo::forms {
namespace {

using controls::Bounds;
using ::testing::_;
using ::testing::ElementsAre;
using ::testing::InSequence;
using ::testing::Return;

class MockFramework : public host::Framework {
 public:
  MOCK_METHOD(int32_t, GetNewID, (), (override));
  MOCK_METHOD(std::shared_ptr<host::RibbonTab>, InsertRibbonTab, (const std::string&), (override));
  MOCK_METHOD(std::shared_ptr<host::RibbonGroup>, InsertTabGroup,
              (host::RibbonTab&, const std::string&), (override));
  MOCK_METHOD(std::shared_ptr<host::RibbonControl>, InsertGroupControl,
              (host::RibbonGroup&, int32_t), (override));
  MOCK_METHOD(std::shared_ptr<host::RibbonControl>, InsertGroupButton,
              (host::RibbonGroup&, const std::string&, int32_t, int32_t, bool, const std::string&),
              (override));
  MOCK_METHOD(void, AddFileBitmap, (const std::string&, int32_t), (override));
  MOCK_METHOD(std::shared_ptr<host::RibbonControl>, FindRibbonControl, (int32_t), (override));
  MOCK_METHOD(void, SetMainRibbonTab, (), (override));
  MOCK_METHOD(bool, OpenChild, (const std::string&, bool, const std::string&), (override));
  MOCK_METHOD(std::shared_ptr<host::ChildForm>, CreateChildForm,
              (std::shared_ptr<host::EmbeddedForm>), (override));
  MOCK_METHOD(void, RichiamaPaziente, (const host::Variant&), (override));
  MOCK_METHOD(int32_t, Popup, (const std::vector<std::string>&), (override));
};

class FakeHost : public host::HostApp {
 public:
  host::Framework& GetFramework() override { return framework; }
  std::shared_ptr<host::XmlDocument> NewXML() override { return nullptr; }
  host::Archive& Archivio() override { throw RuntimeError(kErrObjectNotSet); }
  ::testing::StrictMock<MockFramework> framework;
};

class FakePatient : public host::Patient {
 public:
  FakePatient(int64_t id, std::string cognome, std::string nome)
      : id_(id), cognome_(std::move(cognome)), nome_(std::move(nome)) {}
  host::Variant ID() const override { return id_; }
  std::string Cognome() const override { return cognome_; }
  std::string Nome() const override { return nome_; }
  std::string DataNascita() const override { return "01/02/1950"; }
  std::string CodiceFiscale() const override { return "RSSMRA50B01H501X"; }
  std::string Tessera() const override { return "080012345"; }
  std::shared_ptr<host::ExamReports> RefertiEsami() override { return nullptr; }
  std::shared_ptr<host::VisitReports> RefertiVisite() override { return nullptr; }

 private:
  int64_t id_;
  std::string cognome_, nome_;
};

ReportRowValues Report(int64_t patient_id, int32_t position, bool out_of_range = false) {
  ReportRowValues r;
  r.patient_id = patient_id;
  r.position = position;
  r.raw_text = "#01#raw " + std::to_string(position);
  r.ward = "Ospedale";
  r.check_in_date = "02/03/2024";
  r.report_date = "04/03/2024";
  r.body_inline = "GLICEMIA 98 mg/dl";
  r.out_of_range = out_of_range;
  return r;
}

class MainWindowTest : public ::testing::Test {
 protected:
  MainWindowTest() : state(plugin::Services{&ui, nullptr, nullptr, ""}), form(state) {
    state.HostApp = host;
    state.CurrentBundle = "/docs/referti.dat";
    form.Form_Load();
  }

  // Rows: 0 ROSSI MARIO, 1-2 its reports, 3 ROSSINI LUCA, 4 its report,
  // 5 BIANCHI ANNA (no reports).
  void LoadSample() {
    auto& rossi = form.AddPatientRow(FakePatient(7, "ROSSI", "MARIO"));
    form.AddReportRow(rossi, Report(7, 1));
    form.AddReportRow(rossi, Report(7, 2, true));
    auto& rossini = form.AddPatientRow(FakePatient(8, "ROSSINI", "LUCA"));
    form.AddReportRow(rossini, Report(8, 3));
    form.AddPatientRow(FakePatient(9, "BIANCHI", "ANNA"));
    form.rcReferti().Populate();
  }

  std::vector<nlohmann::json> events;
  ui::ScriptedUi ui{[this](const nlohmann::json& e) { events.push_back(e); }};
  std::shared_ptr<FakeHost> host = std::make_shared<FakeHost>();
  plugin::ModuleState state;
  frmRefertiLirvo form;
};

TEST_F(MainWindowTest, LoadBuildsTheColumnsAndLook) {
  controls::ReportGrid& grid = form.rcReferti();
  ASSERT_EQ(grid.ColumnCount(), 9);
  const std::vector<std::tuple<std::string, int32_t, bool, bool>> expected = {
      {"idPaziente", 0, false, false},
      {"Paziente", 700, true, true},
      {"idEmail", 0, false, false},
      {"body", 0, false, false},
      {"Reparto", 460, true, true},
      {"Check In", 310, true, true},
      {"Referto del", 310, true, true},
      {"Descrizione", 2000, true, true},
      {"", 300, true, true}};
  for (int32_t i = 0; i < 9; ++i) {
    const auto& c = grid.Column(i);
    EXPECT_EQ(c.item_index, i);
    EXPECT_EQ(std::tie(c.caption, c.width, c.resizable, c.visible),
              std::tie(std::get<0>(expected[i]), std::get<1>(expected[i]), std::get<2>(expected[i]),
                       std::get<3>(expected[i])))
        << i;
    EXPECT_EQ(c.tree_column, i == 1);
  }
  EXPECT_EQ(grid.Look().font_name, "Courier New");
  EXPECT_EQ(grid.Look().group_by_prompt, "Trascinare qui il titolo di una colonna per raggruppare");
  EXPECT_EQ(grid.Look().sort_prefix, "Ordina per ");
  EXPECT_EQ(grid.Look().highlight_back_color, 16312800);

  LoadSample();
  form.Form_Load();  // a second load starts from nothing
  EXPECT_EQ(grid.ColumnCount(), 9);
  EXPECT_EQ(grid.Records().Count(), 0);
  EXPECT_FALSE(form.pbFndPaz().Visible());
  EXPECT_FALSE(form.ProgressBar1().Visible());
  EXPECT_FALSE(form.cbFndPaz().Enabled());
}

TEST_F(MainWindowTest, RowsCarryTheItemsOtherRoutinesRead) {
  LoadSample();
  const controls::GridRecord& patient = *form.rcReferti().RowRecord(0);
  EXPECT_EQ(patient.ItemCount(), 10);
  EXPECT_EQ(patient.Item(0).Value(), host::Variant(int64_t{7}));
  EXPECT_EQ(patient.ItemText(1), "ROSSI MARIO");
  EXPECT_TRUE(patient.Item(1).Bold());
  EXPECT_EQ(patient.ItemText(7), "Codice fiscale: RSSMRA50B01H501X\r\nCodice regionale: 080012345");
  EXPECT_EQ(patient.Item(8).Hyperlinks(), (std::vector<controls::Hyperlink>{{0, 6}}));

  const controls::GridRecord& report = *form.rcReferti().RowRecord(1);
  EXPECT_EQ(report.ItemCount(), 9);
  const std::vector<std::string> texts = {
      "7",       "", "1", "#01#raw 1", "Ospedale", "02/03/2024", "04/03/2024", "GLICEMIA 98 mg/dl",
      "dettagli"};
  for (int32_t i = 0; i < 9; ++i) EXPECT_EQ(report.ItemText(i), texts[i]) << i;
  EXPECT_EQ(report.Item(8).Hyperlinks(), (std::vector<controls::Hyperlink>{{0, 8}}));

  // The description is bold red only when a value is out of range.
  EXPECT_FALSE(report.Item(7).Bold());
  EXPECT_FALSE(report.Item(7).ForeColor());
  const controls::GridRecord& flagged = *form.rcReferti().RowRecord(2);
  EXPECT_TRUE(flagged.Item(7).Bold());
  EXPECT_EQ(flagged.Item(7).ForeColor(), 255);

  EXPECT_EQ(form.FindPatientRow(int64_t{8}), form.rcReferti().RowRecord(3));
  EXPECT_EQ(form.FindPatientRow(std::string("8")), form.rcReferti().RowRecord(3));
  EXPECT_EQ(form.FindPatientRow(int64_t{10}), nullptr);
}

TEST_F(MainWindowTest, LayoutKeepsTheDesignMarginsAndSurvivesTinyWindows) {
  form.Resize(frmRefertiLirvo::kDesignWidth, frmRefertiLirvo::kDesignHeight);
  EXPECT_EQ(form.rcReferti().GetBounds(), (Bounds{150, 150, 7140, 4215}));
  EXPECT_EQ(form.Picture1().GetBounds(), (Bounds{0, 4515, 7440, 765}));
  EXPECT_EQ(form.ProgressBar1().GetBounds(), (Bounds{105, 225, 7230, 315}));
  EXPECT_EQ(form.Line1().X2(), 7440);
  EXPECT_EQ(form.Line2().X2(), 7440);

  form.Resize(12000, 9000);
  EXPECT_EQ(form.rcReferti().GetBounds(), (Bounds{150, 150, 11700, 7935}));
  EXPECT_EQ(form.ProgressBar1().Width(), 11790);

  // Too short: everything up to the grid's height follows.
  form.Resize(1000, 1000);
  EXPECT_EQ(form.rcReferti().GetBounds(), (Bounds{150, 150, 700, 7935}));
  EXPECT_EQ(form.ProgressBar1().Width(), 790);
  EXPECT_EQ(form.Line2().X2(), 1000);
  EXPECT_EQ(form.Picture1().GetBounds(), (Bounds{0, 235, 1000, 765}));

  // Too narrow for the grid: nothing of the layout moves.
  form.Resize(250, 6000);
  EXPECT_EQ(form.rcReferti().Width(), 700);
  EXPECT_EQ(form.Line1().X2(), 1000);

  // Just wide enough for the grid.
  form.Resize(300, 6000);
  EXPECT_EQ(form.rcReferti().GetBounds(), (Bounds{150, 150, 0, 4935}));
  EXPECT_EQ(form.Line1().X2(), 300);
  EXPECT_EQ(form.ProgressBar1().Width(), 90);

  EXPECT_NO_THROW(form.Resize(0, 0));
  EXPECT_NO_THROW(form.Resize(-5, -5));
  EXPECT_EQ(form.ScaleWidth(), 0);
}

TEST_F(MainWindowTest, TypingIsUpperCaseAndEnterFocusesTheFirstMatchingPatient) {
  LoadSample();
  form.rcReferti().SetFocusedRow(5);
  form.TypeInSearchBox("rossè\b");
  EXPECT_EQ(form.tbPaziente().Text(), "ROSS");
  EXPECT_TRUE(form.cbFndPaz().Enabled());
  EXPECT_EQ(form.ActiveControl(), nullptr);

  form.TypeInSearchBox("\r");
  EXPECT_EQ(form.tbPaziente().Text(), "ROSS");
  EXPECT_EQ(form.ActiveControl(), &form.rcReferti());
  EXPECT_EQ(form.rcReferti().FocusedRow(), 0);  // ROSSI before ROSSINI
  EXPECT_TRUE(events.empty());

  form.tbPaziente().SetText("");
  form.TypeInSearchBox("rossin\r");
  EXPECT_EQ(form.rcReferti().FocusedRow(), 3);
  EXPECT_EQ(form.rcReferti().SelectedRows(), (std::vector<int32_t>{3}));

  form.tbPaziente().SetText("BIANCHI");
  form.cbFndPaz_Click();
  EXPECT_EQ(form.rcReferti().FocusedRow(), 5);
}

TEST_F(MainWindowTest, SearchScansPatientsEvenWhenTheyAreCollapsed) {
  LoadSample();
  for (int32_t i = 0; i < form.rcReferti().Records().Count(); ++i) {
    form.rcReferti().Records().Record(i).SetExpanded(false);
  }
  form.tbPaziente().SetText("BIA");
  form.cbFndPaz_Click();
  EXPECT_EQ(form.rcReferti().FocusedRow(), 2);
  EXPECT_TRUE(events.empty());
}

TEST_F(MainWindowTest, BlankOrUnmatchedSearchChangesNothing) {
  LoadSample();
  form.rcReferti().SetFocusedRow(4);
  form.Form_Activate();
  ASSERT_EQ(form.ActiveControl(), &form.rcReferti());

  form.TypeInSearchBox("   ");
  EXPECT_FALSE(form.cbFndPaz().Enabled());
  form.TypeInSearchBox("\r");
  EXPECT_TRUE(events.empty());
  EXPECT_EQ(form.rcReferti().FocusedRow(), 4);

  // The text is used as typed: a leading blank matches no name.
  for (const char* text : {" ROSSI", "VERDI", "MARIO"}) {
    events.clear();
    form.tbPaziente().SetText(text);
    form.cbFndPaz_Click();
    EXPECT_EQ(events, (std::vector<nlohmann::json>{{{"type", "beep"}}})) << text;
    EXPECT_EQ(form.rcReferti().FocusedRow(), 4) << text;
  }
}

TEST_F(MainWindowTest, ActivationFocusesTheGridOnlyWhenVisible) {
  form.rcReferti().SetVisible(false);
  form.Activate();
  EXPECT_EQ(form.ActiveControl(), nullptr);
  form.rcReferti().SetVisible(true);
  form.Activate();
  EXPECT_EQ(form.ActiveControl(), &form.rcReferti());
}

TEST_F(MainWindowTest, ContextMenuOnOneReportRowOfAnOrdinaryBundle) {
  LoadSample();
  EXPECT_CALL(host->framework, Popup(ElementsAre("Importa Singolo", "Rimuovi Singolo")))
      .Times(2)
      .WillRepeatedly(Return(0));
  form.rcReferti().SelectRow(2);
  form.rcReferti_MouseUp(2, 0, 100, 100);
  form.rcReferti_MouseUp(1, 0, 100, 100);  // left button: no menu

  state.CurrentBundle = "/docs/referti_imported.dat";  // the marker is case-sensitive
  form.rcReferti_MouseUp(2, 0, 100, 100);
}

TEST_F(MainWindowTest, NoContextMenuOffASingleReportRow) {
  LoadSample();
  controls::ReportGrid& grid = form.rcReferti();
  grid.SelectRow(0);  // a patient row
  form.rcReferti_MouseUp(2, 0, 0, 0);
  grid.SelectRow(1);
  grid.SelectRow(2, /*add=*/true);  // two reports
  form.rcReferti_MouseUp(2, 0, 0, 0);
  grid.ClearSelection();
  form.rcReferti_MouseUp(2, 0, 0, 0);

  // A register file: no menu, but its links still open the chart.
  state.CurrentBundle = "/docs/referti_20240304101500_Imported.dat";
  grid.SelectRow(1);
  form.rcReferti_MouseUp(2, 0, 0, 0);
  {
    InSequence in_order;
    EXPECT_CALL(host->framework, SetMainRibbonTab());
    EXPECT_CALL(host->framework, RichiamaPaziente(host::Variant(int64_t{8})));
  }
  form.rcReferti_HyperlinkClick(3, 8, 0);
}

TEST_F(MainWindowTest, HyperlinksOpenTheChartOnlyFromSchedaLinks) {
  LoadSample();
  form.rcReferti_HyperlinkClick(1, 8, 0);   // "dettagli"
  form.rcReferti_HyperlinkClick(0, 7, 0);   // not a link text
  form.rcReferti_HyperlinkClick(99, 8, 0);  // no such row
  form.rcReferti_HyperlinkClick(0, 42, 0);  // no such item

  EXPECT_CALL(host->framework, SetMainRibbonTab()).WillOnce([] {
    throw RuntimeError(kErrObjectNotSet);
  });
  EXPECT_NO_THROW(form.rcReferti_HyperlinkClick(0, 8, 0));

  state.HostApp.reset();
  form.rcReferti().SelectRow(1);
  EXPECT_NO_THROW(form.rcReferti_HyperlinkClick(0, 8, 0));
  EXPECT_NO_THROW(form.rcReferti_MouseUp(2, 0, 0, 0));
}

TEST_F(MainWindowTest, TheWindowIsFoundByNameAmongTheLoadedForms) {
  EXPECT_EQ(FindMainReportsWindow(state), nullptr);
  auto window = std::make_shared<frmRefertiLirvo>(state);
  state.loaded_forms.push_back(window);
  EXPECT_EQ(FindMainReportsWindow(state), window);
  EXPECT_EQ(window->Name(), "frmRefertiLirvo");
}

}  // namespace
}  // namespace lirvo::forms
