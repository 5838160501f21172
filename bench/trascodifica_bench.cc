// The cost of the exam-code look-ups of an import: 100,000 calls of
// AllineamentoClinora on a table loaded once (outside the timed loop), half
// of them for codes in the table and half for codes that are not, in a
// 10,000-entry table against a 10-entry one. A look-up goes through the
// exact-code index, so the larger table must cost at most 2 times the
// smaller. The ratio is printed at the end.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "base/file_system.h"
#include "base/product.h"
#include "fastest_reporter.h"
#include "reports/cls_trascodifica.h"
#include "standin/xml_document.h"

namespace {

constexpr int kLookups = 100000;

std::string Code(int i) {
  char code[16];
  std::snprintf(code, sizeof code, "L%07d", i);
  return code;
}

// A plug-in folder holding a table of `entries` entries.
std::string TableFolder(int entries) {
  std::string folder =
      (std::filesystem::temp_directory_path() / "lirvo-bench-trascodifica-XXXXXX").string();
  if (::mkdtemp(folder.data()) == nullptr) return folder;
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<trascodifica>\n";
  for (int i = 0; i < entries; ++i) {
    const std::string n = std::to_string(i);
    xml += "  <esame><codice>" + Code(i) + "</codice><descrizione>Esame " + n +
           "</descrizione><clnID>" + std::to_string(1000 + i) +
           "</clnID><clnDescrizione>Esame Clinora " + n + "</clnDescrizione></esame>\n";
  }
  xml += "</trascodifica>\n";
  lirvo::RealFileSystem().WriteFile(lirvo::JoinPath(folder, lirvo::kTranscodingFileName), xml);
  return folder;
}

void BM_Lookups(benchmark::State& state) {
  const int entries = static_cast<int>(state.range(0));
  const std::string folder = TableFolder(entries);
  lirvo::reports::clsTrascodifica table(
      [] { return std::make_shared<lirvo::standin::PugiXmlDocument>(lirvo::RealFileSystem()); },
      folder);
  const auto list = table.Lista();
  if (list == nullptr || list->Count() != static_cast<size_t>(entries)) {
    state.SkipWithError("the table did not load");
    return;
  }
  // Hits spread over the whole table, misses just past its end.
  std::vector<std::string> codes;
  for (int i = 0; i < kLookups; ++i) {
    codes.push_back(i % 2 == 0 ? Code(static_cast<int>((i * 7919LL) % entries))
                               : Code(entries + i % 1000));
  }
  std::string id, ds;
  for (auto _ : state) {
    int found = 0;
    for (const auto& code : codes) found += table.AllineamentoClinora(code, id, ds) ? 1 : 0;
    benchmark::DoNotOptimize(found);
  }
  state.SetItemsProcessed(state.iterations() * kLookups);
  std::error_code ec;
  std::filesystem::remove_all(folder, ec);
}

BENCHMARK(BM_Lookups)->Arg(10)->Arg(10000)->Unit(benchmark::kMillisecond)->Repetitions(5);

class RatioReporter : public lirvo::bench::FastestReporter {
 protected:
  void PrintRatios() const override {
    const double small = Fastest("BM_Lookups/10");
    const double large = Fastest("BM_Lookups/10000");
    if (small > 0 && large > 0) {
      std::printf("BM_Lookups: time for 100,000 look-ups in 10,000 entries / in 10 = %.2f\n",
                  large / small);
    }
  }
};

}  // namespace

int main(int argc, char** argv) {
  RatioReporter reporter;
  return lirvo::bench::RunBenchmarks(argc, argv, reporter);
}
