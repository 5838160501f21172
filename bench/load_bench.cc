// The cost of loading a bundle into the main window: 20,000 reports of 5,000
// patients (four each) read from the disk, parsed, matched against the
// stand-in archive on SQLite and added to the grid, against the two parts it
// cannot avoid measured alone: parsing every piece, and the 20,000 archive
// look-ups. The load must cost at most 1.5 times their sum. Doubling the
// bundle must at most double the time (within 10%); a load stops at 32,768
// pieces (its piece counter is a 16-bit number), so the doubling is measured
// from 16,000 to 32,000 reports. The ratios are printed at the end.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/file_system.h"
#include "base/files.h"
#include "controls/scripted_ui.h"
#include "fastest_reporter.h"
#include "forms/bundle_loader.h"
#include "forms/frm_referti_lirvo.h"
#include "plugin/module_state.h"
#include "reports/bundle_parser.h"
#include "reports/bundle_text.h"
#include "standin/standin_host.h"

namespace {

constexpr int kPatients = 5000;

std::string Tessera(int patient) {
  char code[16];
  std::snprintf(code, sizeof code, "08%08d", patient);
  return code;
}

std::string Padded(std::string text, size_t width) {
  text.resize(width, ' ');
  return text;
}

// Report `i`: a text report or a laboratory report with three values, of
// patient i % kPatients, about 400 bytes.
std::string Report(int i) {
  std::string piece = "#01#" + Padded("LRV" + std::to_string(i), 18) +
                      Padded(Tessera(i % kPatients), 16) +
                      "0101202403150930RAD00120240314 REPARTO\r\n";
  if (i % 2 == 0) {
    piece +=
        "#04#87.44.1 RX TORACE\r\nReferto: campi polmonari liberi, seni costofrenici "
        "liberi, ombra cardiaca nei limiti.\r\nConclusioni: nulla da segnalare.\r\n";
  } else {
    for (const char* exam : {"GLUCOSIO", "COLESTEROLO TOTALE", "CREATININA"}) {
      piece += "#05#" + Padded(std::string("L") + exam, 20) + Padded(exam, 90) +
               Padded("98.5", 30) + Padded("mg/dl", 15) + Padded("70", 25) + Padded("110", 25) +
               "\r\n";
    }
  }
  return piece;
}

// An installation with kPatients patients and a bundle of `reports`
// reports, made once per size.
class Setup {
 public:
  explicit Setup(int reports) {
    folder_ = (std::filesystem::temp_directory_path() / "lirvo-bench-load-XXXXXX").string();
    if (::mkdtemp(folder_.data()) == nullptr) throw std::runtime_error("no temporary folder");
    std::filesystem::create_directories(folder_ + "/plugin");
    host_ = std::make_shared<lirvo::standin::StandinHost>(folder_, ui_, lirvo::RealFileSystem(),
                                                          /*create_archive=*/true);
    std::vector<lirvo::standin::PatientRecord> patients;
    for (int p = 0; p < kPatients; ++p) {
      const std::string n = std::to_string(p);
      patients.push_back({0, "COGNOME" + n, "NOME" + n, "01/02/1950", "CF" + n, Tessera(p)});
    }
    host_->Archive().AddPatients(patients);
    std::string text;
    for (int i = 0; i < reports; ++i) text += Report(i);
    bundle_ = folder_ + "/referti.dat";
    lirvo::RealFileSystem().WriteFile(bundle_, text);

    state_ = lirvo::plugin::ModuleState::Create(
        {&ui_, &lirvo::RealFileSystem(), &clock_, folder_ + "/plugin"});
    state_->SetHostApp(host_);
    state_->Windows().OpenMainWindow();
  }
  ~Setup() {
    state_->Release();
    state_.reset();
    host_.reset();
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
  }

  lirvo::plugin::ModuleState& State() { return *state_; }
  lirvo::standin::StandinHost& Host() { return *host_; }
  const std::string& Bundle() const { return bundle_; }

 private:
  std::string folder_;
  std::string bundle_;
  lirvo::ui::ScriptedUi ui_;
  lirvo::FixedClock clock_{{2026, 3, 1, 9, 0, 0}};
  std::shared_ptr<lirvo::standin::StandinHost> host_;
  std::shared_ptr<lirvo::plugin::ModuleState> state_;
};

void BM_Load(benchmark::State& state) {
  Setup setup(static_cast<int>(state.range(0)));
  std::string message;
  for (auto _ : state) {
    if (!lirvo::forms::LoadBundle(setup.State(), setup.State().Windows(), setup.Bundle(),
                                  message)) {
      state.SkipWithError("the load failed");
      return;
    }
  }
  const auto window = setup.State().Windows().MainReportsWindow();
  if (window->rcReferti().Records().Count() != kPatients) state.SkipWithError("patients missing");
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_ParseOnly(benchmark::State& state) {
  Setup setup(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    lirvo::reports::BundleText bundle(lirvo::RealFileSystem(), setup.Bundle());
    int parsed = 0;
    for (std::string_view piece : bundle.Pieces()) {
      lirvo::reports::ReportRecord record;
      parsed += lirvo::reports::ParseReport(piece, lirvo::reports::Layout::Inline, record) ? 1 : 0;
    }
    benchmark::DoNotOptimize(parsed);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_LookupsOnly(benchmark::State& state) {
  Setup setup(static_cast<int>(state.range(0)));
  std::vector<std::string> codes;
  for (int i = 0; i < state.range(0); ++i) codes.push_back(Tessera(i % kPatients));
  lirvo::host::Archive& archive = setup.Host().Archivio();
  for (auto _ : state) {
    int found = 0;
    for (const std::string& code : codes) found += archive.DaiPazienteRegionale(code, true) ? 1 : 0;
    benchmark::DoNotOptimize(found);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK(BM_Load)
    ->Arg(16000)
    ->Arg(20000)
    ->Arg(32000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5);
BENCHMARK(BM_ParseOnly)->Arg(20000)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(BM_LookupsOnly)->Arg(20000)->Unit(benchmark::kMillisecond)->Repetitions(5);

class RatioReporter : public lirvo::bench::FastestReporter {
 protected:
  void PrintRatios() const override {
    const double load = Fastest("BM_Load/20000");
    const double half = Fastest("BM_Load/16000");
    const double twice = Fastest("BM_Load/32000");
    const double parts = Fastest("BM_ParseOnly/20000") + Fastest("BM_LookupsOnly/20000");
    if (load > 0 && parts > 0) {
      std::printf("BM_Load: 20,000 reports / (parse alone + look-ups alone) = %.2f\n",
                  load / parts);
    }
    if (half > 0 && twice > 0) {
      std::printf("BM_Load: 32,000 reports / 16,000 reports = %.2f\n", twice / half);
    }
  }
};

}  // namespace

int main(int argc, char** argv) {
  RatioReporter reporter;
  return lirvo::bench::RunBenchmarks(argc, argv, reporter);
}
