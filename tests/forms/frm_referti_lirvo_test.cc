#include "forms/frm_referti_lirvo.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "forms/window_fixture.h"

namespace lirvo::forms {
namespace {

using controls::Bounds;
using test_support::CallsOf;

constexpr const char* kMenuCall = "Popup(Importa Singolo, Rimuovi Singolo)";
const std::vector<std::string> kChartOfRossini = {"SetMainRibbonTab()", "RichiamaPaziente(2)"};

using MainWindowTest = test_support::MainWindowFixture;

TEST_F(MainWindowTest, ASecondLoadStartsFromNothing) {
  LoadSample();
  form.Form_Load();
  EXPECT_EQ(form.rcReferti().ColumnCount(), 9);
  EXPECT_EQ(form.rcReferti().Records().Count(), 0);
  EXPECT_FALSE(form.pbFndPaz().Visible());
  EXPECT_FALSE(form.ProgressBar1().Visible());
  EXPECT_FALSE(form.cbFndPaz().Enabled());
}

// The rows' texts, bold and red items and link columns are compared whole by
// the end-to-end scripts' grid dumps; here what a dump does not show.
TEST_F(MainWindowTest, RowsCarryTheLinkRangesAndTheNumericPatientId) {
  LoadSample();
  const controls::GridRecord& patient = *form.rcReferti().RowRecord(0);
  EXPECT_EQ(patient.Item(0).Value(), host::Variant(int64_t{1}));
  EXPECT_EQ(patient.Item(8).Hyperlinks(), (std::vector<controls::Hyperlink>{{0, 6}}));
  EXPECT_EQ(form.rcReferti().RowRecord(1)->Item(8).Hyperlinks(),
            (std::vector<controls::Hyperlink>{{0, 8}}));
  // The patient index (followed through changes in the loader's tests) takes
  // a text ID too.
  EXPECT_EQ(form.FindPatientRow(std::string("2")), form.rcReferti().RowRecord(3));
}

TEST_F(MainWindowTest, LayoutKeepsTheDesignMarginsAndSurvivesTinyWindows) {
  struct Case {
    int32_t width, height;
    Bounds grid, picture, bar;
    int32_t lines_x2;
  } cases[] = {
      {7440, 5280, {150, 150, 7140, 4215}, {0, 4515, 7440, 765}, {105, 225, 7230, 315}, 7440},
      {12000, 9000, {150, 150, 11700, 7935}, {0, 8235, 12000, 765}, {105, 225, 11790, 315}, 12000},
      // Too short: everything up to the grid's height follows.
      {1000, 1000, {150, 150, 700, 7935}, {0, 235, 1000, 765}, {105, 225, 790, 315}, 1000},
      // Too narrow for the grid: only the docked bottom panel follows.
      {250, 6000, {150, 150, 700, 7935}, {0, 5235, 250, 765}, {105, 225, 790, 315}, 1000},
      // Just wide enough for the grid.
      {300, 6000, {150, 150, 0, 4935}, {0, 5235, 300, 765}, {105, 225, 90, 315}, 300},
  };
  for (const Case& c : cases) {
    form.Resize(c.width, c.height);
    EXPECT_EQ(form.rcReferti().GetBounds(), c.grid) << c.width;
    EXPECT_EQ(form.Picture1().GetBounds(), c.picture) << c.width;
    EXPECT_EQ(form.ProgressBar1().GetBounds(), c.bar) << c.width;
    EXPECT_EQ(form.Line1().X2(), c.lines_x2) << c.width;
    EXPECT_EQ(form.Line2().X2(), c.lines_x2) << c.width;
  }
  EXPECT_NO_THROW(form.Resize(0, 0));
  EXPECT_NO_THROW(form.Resize(-5, -5));
  EXPECT_EQ(form.ScaleWidth(), 0);
}

// A patient found (focused and selected) and a plain miss are compared by the
// end-to-end scripts (choose_and_load).
TEST_F(MainWindowTest, SearchFocusesTheFirstPatientWhoseNameStartsWithTheText) {
  frmRefertiLirvo shown(context_);
  shown.Form_Load();
  shown.Form_Activate();
  EXPECT_EQ(shown.ActiveControl(), &shown.rcReferti());

  LoadSample();
  form.rcReferti().SetFocusedRow(4);
  form.rcReferti().SetVisible(false);  // activation focuses the grid only when visible
  form.Activate();
  form.rcReferti().SetVisible(true);
  // Blank text: the button stays off and Enter changes nothing.
  form.TypeInSearchBox("   \r");
  EXPECT_FALSE(form.cbFndPaz().Enabled());
  EXPECT_EQ(form.rcReferti().FocusedRow(), 4);
  EXPECT_EQ(form.ActiveControl(), nullptr);

  // Typing is upper case; Enter focuses the grid on the first match.
  form.tbPaziente().SetText("");
  form.TypeInSearchBox("rossè\b");
  EXPECT_EQ(form.tbPaziente().Text(), "ROSS");
  EXPECT_TRUE(form.cbFndPaz().Enabled());
  form.TypeInSearchBox("\r");
  EXPECT_EQ(form.tbPaziente().Text(), "ROSS");
  EXPECT_EQ(form.ActiveControl(), &form.rcReferti());
  EXPECT_EQ(form.rcReferti().FocusedRow(), 0);  // ROSSI before ROSSINI

  // Collapsed patients are searched too.
  for (int32_t i = 0; i < form.rcReferti().Records().Count(); ++i) {
    form.rcReferti().Records().Record(i).SetExpanded(false);
  }
  form.tbPaziente().SetText("BIA");
  form.cbFndPaz_Click();
  EXPECT_EQ(form.rcReferti().FocusedRow(), 2);

  // The text is used as typed: a leading blank matches no name, nor does a
  // part after the start. No match beeps.
  for (const char* text : {" ROSSI", "MARIO"}) {
    const size_t beeps = CallsOf(ui_, "beep").size();
    form.tbPaziente().SetText(text);
    form.cbFndPaz_Click();
    EXPECT_EQ(CallsOf(ui_, "beep").size(), beeps + 1) << text;
    EXPECT_EQ(form.rcReferti().FocusedRow(), 2) << text;
  }
}

// The menu on one report, and none on two reports, on a patient or in a
// register file, are compared by the end-to-end scripts; here the rest.
TEST_F(MainWindowTest, ContextMenuOnlyOnOneReportRowOfAnOrdinaryBundle) {
  LoadSample();
  const std::string ordinary = "/docs/referti.dat";
  struct Case {
    const char* name;
    std::string bundle;
    std::vector<int32_t> rows;
    int32_t button;
    bool menu;
  } cases[] = {
      {"left button", ordinary, {2}, 1, false},
      {"marker is case-sensitive", "/docs/referti_imported.dat", {2}, 2, true},
      {"nothing selected", ordinary, {}, 2, false},
  };
  controls::ReportGrid& grid = form.rcReferti();
  for (const Case& c : cases) {
    Fw().calls.clear();
    context_->current_bundle = c.bundle;
    grid.ClearSelection();
    for (int32_t row : c.rows) grid.SelectRow(row, /*add=*/true);
    form.rcReferti_MouseUp(c.button, 0, 100, 100);
    EXPECT_EQ(Fw().calls, c.menu ? std::vector<std::string>{kMenuCall} : std::vector<std::string>{})
        << c.name;
  }
  // A register file's links still open the chart.
  context_->current_bundle = "/docs/referti_20240304101500_Imported.dat";
  form.rcReferti_HyperlinkClick(3, 8, 0);
  EXPECT_EQ(Fw().calls, kChartOfRossini);
}

TEST_F(MainWindowTest, HyperlinksOpenTheChartOnlyFromSchedaLinks) {
  LoadSample();
  form.rcReferti_HyperlinkClick(1, 8, 0);   // "dettagli"
  form.rcReferti_HyperlinkClick(0, 7, 0);   // not a link text
  form.rcReferti_HyperlinkClick(99, 8, 0);  // no such row
  form.rcReferti_HyperlinkClick(0, 42, 0);  // no such item
  EXPECT_TRUE(Fw().calls.empty());

  // Failing or missing hosts raise nothing out of the handlers.
  host_->framework_fails = true;
  form.rcReferti().SelectRow(1);
  EXPECT_NO_THROW(form.rcReferti_HyperlinkClick(0, 8, 0));
  EXPECT_NO_THROW(form.rcReferti_MouseUp(2, 0, 0, 0));
  context_->host = nullptr;
  EXPECT_NO_THROW(form.rcReferti_HyperlinkClick(0, 8, 0));
  EXPECT_NO_THROW(form.rcReferti_MouseUp(2, 0, 0, 0));
  EXPECT_TRUE(Fw().calls.empty());
}

}  // namespace
}  // namespace lirvo::forms
