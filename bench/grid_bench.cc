// The cost of the main window's grid under a view: fill it the way the
// bundle loader does (a patient row per patient, under it a report row per
// report, each with its items, styles and links, reports arriving in no
// particular patient order) while a tree view follows the notifications,
// then read every cell of every shown row the way a view paints them.
// 20,000 reports under 5,000 patients against 40,000 under 10,000: doubling
// the rows must at most double the time. The ratios are printed at the end.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "controls/report_grid.h"
#include "fastest_reporter.h"

namespace {

using lirvo::controls::GridItem;
using lirvo::controls::GridObserver;
using lirvo::controls::GridRecord;
using lirvo::controls::ReportGrid;

struct Report {
  int32_t patient;
  std::string raw_text;
  std::string check_in;
  std::string report_date;
  std::string body;
  bool out_of_range;
};

// `reports` reports of `patients` patients, every patient with at least one;
// a patient's reports are scattered over the bundle.
const std::vector<Report>& Reports(int32_t patients, int32_t reports) {
  static std::map<std::pair<int32_t, int32_t>, std::vector<Report>> made;
  auto& list = made[{patients, reports}];
  if (list.empty()) {
    for (int32_t r = 0; r < reports; ++r) {
      const int32_t patient = static_cast<int32_t>((int64_t{r} * 7919) % patients);
      const std::string n = std::to_string(r);
      std::string check_in = "01/03/2024";
      std::string report_date = "11/03/2024";
      check_in[1] = report_date[1] = static_cast<char>('1' + r % 9);
      list.push_back({patient, "#01#" + n + std::string(400, 'x'), check_in, report_date,
                      "Emocromo: GR 4,5 - HB 13,2 - PLT " + n + std::string(60, ' '), r % 7 == 0});
    }
  }
  return list;
}

// What a tree model does with the notifications: it learns each insertion
// and asks where the new record lies.
class TreeViewStandIn : public GridObserver {
 public:
  void RowsInserted(const GridRecord* parent, int32_t first, int32_t last) override {
    notices += last - first + 1;
    if (parent != nullptr) checksum += parent->Childs().Count() + parent->Index();
  }
  void ItemsChanged(const GridRecord& record, int32_t first, int32_t last) override {
    notices += 1;
    checksum += record.Index() + last - first;
  }
  void ExpandedChanged(const GridRecord& record) override { checksum += record.Expanded(); }

  int64_t notices = 0;
  int64_t checksum = 0;
};

void InitColumns(ReportGrid& grid) {
  const std::vector<std::pair<const char*, int32_t>> columns = {
      {"idPaziente", 0}, {"Paziente", 700},    {"idEmail", 0},        {"body", 0}, {"Reparto", 460},
      {"Check In", 310}, {"Referto del", 310}, {"Descrizione", 2000}, {"", 300}};
  for (int32_t i = 0; i < static_cast<int32_t>(columns.size()); ++i) {
    grid.AddColumn(i, columns[i].first, columns[i].second, columns[i].second > 0);
  }
  for (int32_t hidden : {0, 2, 3}) grid.SetColumnVisible(hidden, false);
  grid.SetColumnTree(1, true);
}

void Link(GridItem& item, int32_t length) { item.AddHyperlink(0, length); }

void Fill(ReportGrid& grid, int32_t patients, const std::vector<Report>& reports) {
  std::vector<GridRecord*> patient_rows(static_cast<size_t>(patients), nullptr);
  for (const Report& report : reports) {
    GridRecord*& patient = patient_rows[static_cast<size_t>(report.patient)];
    if (patient == nullptr) {
      patient = &grid.Records().Add();
      patient->AddItem(int64_t{report.patient});
      patient->AddItem("ROSSI MARIO " + std::to_string(report.patient)).SetBold(true);
      for (int i = 0; i < 5; ++i) patient->AddItem(std::string());
      patient->AddItem(std::string("Codice fiscale: RSSMRA80A01H501U\r\nCodice regionale: 123456"));
      Link(patient->AddItem(std::string("SCHEDA")), 6);
      patient->AddItem(std::string());
      patient->SetExpanded(true);
    }
    GridRecord& row = patient->Childs().Add();
    row.AddItem(int64_t{report.patient});
    row.AddItem(std::string());
    row.AddItem(std::to_string(patient->Childs().Count()));
    row.AddItem(report.raw_text);
    row.AddItem(std::string("Ospedale"));
    row.AddItem(report.check_in);
    row.AddItem(report.report_date);
    GridItem& description = row.AddItem(report.body);
    if (report.out_of_range) {
      description.SetBold(true);
      description.SetForeColor(255);
    }
    Link(row.AddItem(std::string("dettagli")), 8);
  }
  grid.Populate();
}

// Every visible cell of every shown row, with what a view draws beside it.
int64_t ReadAll(const ReportGrid& grid) {
  int64_t seen = 0;
  const int32_t rows = grid.RowCount();
  for (int32_t row = 0; row < rows; ++row) {
    const GridRecord& record = *grid.RowRecord(row);
    seen += record.Depth() + record.Expanded() + record.Selected() + record.Focused();
    seen += grid.RowOf(record) == row;
    for (int32_t c = 0; c < grid.ColumnCount(); ++c) {
      const auto& column = grid.Column(c);
      if (!column.visible || column.item_index >= record.ItemCount()) continue;
      const GridItem& item = record.Item(column.item_index);
      seen += static_cast<int64_t>(item.Text().size()) + item.Bold() +
              item.ForeColor().value_or(0) + static_cast<int64_t>(item.Hyperlinks().size());
    }
  }
  return seen;
}

void BM_FillAndRead(benchmark::State& state) {
  const auto patients = static_cast<int32_t>(state.range(0));
  const auto& reports = Reports(patients, static_cast<int32_t>(state.range(1)));
  TreeViewStandIn view;
  for (auto _ : state) {
    auto grid = std::make_unique<ReportGrid>("rcReferti", lirvo::controls::Bounds{});
    grid->AddObserver(&view);
    InitColumns(*grid);
    Fill(*grid, patients, reports);
    benchmark::DoNotOptimize(ReadAll(*grid));
    grid->RemoveObserver(&view);
    // Handing the grid's memory back is the allocator's work, not the
    // view's, and it grows with what the allocator has cached: untimed.
    state.PauseTiming();
    grid.reset();
    state.ResumeTiming();
  }
  benchmark::DoNotOptimize(view.checksum);
  state.counters["notices"] =
      static_cast<double>(view.notices) / static_cast<double>(state.iterations());
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(reports.size()));
}

void BM_Read(benchmark::State& state) {
  const auto patients = static_cast<int32_t>(state.range(0));
  ReportGrid grid("rcReferti", {});
  InitColumns(grid);
  Fill(grid, patients, Reports(patients, static_cast<int32_t>(state.range(1))));
  for (auto _ : state) benchmark::DoNotOptimize(ReadAll(grid));
  state.counters["rows"] = grid.RowCount();
}

BENCHMARK(BM_FillAndRead)
    ->Args({5000, 20000})
    ->Args({10000, 40000})
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5);
BENCHMARK(BM_Read)
    ->Args({5000, 20000})
    ->Args({10000, 40000})
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5);

// Prints the table, then each benchmark's time at 40,000 reports over its
// time at 20,000 (2.00 = linear), from the fastest repetitions.
class RatioReporter : public lirvo::bench::FastestReporter {
 public:
  void PrintRatios() const override {
    for (const char* name : {"BM_FillAndRead", "BM_Read"}) {
      const double small = Fastest(std::string(name) + "/5000/20000");
      const double large = Fastest(std::string(name) + "/10000/40000");
      if (small > 0 && large > 0) {
        std::printf("%s: time for 40,000 reports / for 20,000 = %.2f\n", name, large / small);
      }
    }
  }
};

}  // namespace

int main(int argc, char** argv) {
  RatioReporter reporter;
  return lirvo::bench::RunBenchmarks(argc, argv, reporter);
}
