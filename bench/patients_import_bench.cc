// The cost of `lirvo patients import`: 100,000 CSV rows into a fresh archive
// on the disk (durable commits, as the command runs). The archive lives in a
// folder under $TMPDIR (else /tmp), made afresh for every iteration.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <sstream>
#include <string>

#include "standin/archive.h"
#include "standin/patients_csv.h"

namespace {

std::string Csv(int64_t rows) {
  std::string text = "cognome;nome;data_nascita;codice_fiscale;tessera\n";
  for (int64_t i = 0; i < rows; ++i) {
    const std::string n = std::to_string(i);
    text += "COGNOME" + n + ";NOME" + n + ";01/02/1950;CF" + n + ";T" + n + "\n";
  }
  return text;
}

void ImportRows(benchmark::State& state) {
  const std::string csv = Csv(state.range(0));
  const char* tmp = ::getenv("TMPDIR");
  const std::filesystem::path root = tmp != nullptr && *tmp != '\0' ? tmp : "/tmp";
  for (auto _ : state) {
    state.PauseTiming();
    std::string folder = (root / "lirvo-bench-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr) {
      state.SkipWithError("cannot make a temporary folder");
      return;
    }
    state.ResumeTiming();
    {
      auto archive = lirvo::standin::SqliteArchive::Open(folder + "/archive.db");
      std::istringstream in(csv);
      lirvo::standin::CsvImportResult result;
      lirvo::standin::ImportPatientsCsv(*archive, in, result);
      if (result.added != static_cast<size_t>(state.range(0))) {
        state.SkipWithError("not every row was imported");
      }
    }
    state.PauseTiming();
    std::filesystem::remove_all(folder);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(ImportRows)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
