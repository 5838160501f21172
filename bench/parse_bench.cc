// The cost of reading a bundle: normalisation, cut and ParseReport of every
// piece, in each layout, against a baseline that only counts the "#01#"
// markers of the same text. Bundles of 1, 10 and 100 MB of demo reports
// (CR LF) show that the cost grows linearly; the ratios to the baseline are
// printed at the end.
//
// A single long report of distinct "#04#" exam lines is weighed against a
// report of the same size made of text lines: the test "is this code or label
// already listed" must not make the exam lines cost more than a few times the
// text.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "demo/demo_data.h"
#include "fastest_reporter.h"
#include "reports/bundle_parser.h"
#include "reports/bundle_text.h"

namespace {

using lirvo::reports::Layout;

const std::string& Bundle(int64_t megabytes) {
  static std::map<int64_t, std::string> bundles;
  auto it = bundles.find(megabytes);
  if (it == bundles.end()) {
    lirvo::demo::DemoBundleOptions options;
    options.seed = 2024;
    options.target_bytes = static_cast<size_t>(megabytes) << 20;
    it = bundles.emplace(megabytes, lirvo::demo::MakeDemoBundle(options)).first;
  }
  return it->second;
}

void ParseAll(benchmark::State& state, Layout layout) {
  const std::string& text = Bundle(state.range(0));
  std::string work;
  size_t reports = 0;
  for (auto _ : state) {
    state.PauseTiming();
    work.assign(text);  // the decoded file, as the loader hands it over
    state.ResumeTiming();
    work = lirvo::reports::NormaliseLineBreaks(std::move(work));
    lirvo::reports::PieceCutter cutter(work);
    std::string_view piece;
    lirvo::reports::ReportRecord record;
    reports = 0;
    while (cutter.Next(piece)) {
      if (lirvo::reports::ParseReport(piece, layout, record)) ++reports;
    }
    benchmark::DoNotOptimize(reports);
  }
  state.counters["reports"] = static_cast<double>(reports);
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}

void BM_ParseInline(benchmark::State& state) { ParseAll(state, Layout::Inline); }
void BM_ParseLines(benchmark::State& state) { ParseAll(state, Layout::Lines); }

// One report: a header, then `lines` body lines, each the same length. Exam
// lines carry distinct codes and labels; with `exams` false the same lines
// carry the "#03#" marker instead, which makes them text lines.
std::string LongReport(int64_t lines, bool exams) {
  std::string piece(64, ' ');
  char line[96];
  for (int64_t i = 0; i < lines; ++i) {
    std::snprintf(line, sizeof line, "\r\n%sC%07lld ESAME DI LABORATORIO NUMERO %07lld",
                  exams ? "#04#" : "#03#", static_cast<long long>(i), static_cast<long long>(i));
    piece += line;
  }
  return piece;
}

void ParseLongReport(benchmark::State& state, bool exams) {
  const std::string piece = LongReport(state.range(0), exams);
  lirvo::reports::ReportRecord record;
  for (auto _ : state) {
    const bool ok = lirvo::reports::ParseReport(piece, Layout::Inline, record);
    benchmark::DoNotOptimize(ok);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(piece.size()));
}

void BM_ExamLines(benchmark::State& state) { ParseLongReport(state, true); }
void BM_TextLines(benchmark::State& state) { ParseLongReport(state, false); }

void BM_CountMarkers(benchmark::State& state) {
  const std::string& text = Bundle(state.range(0));
  const std::string_view view = text;
  for (auto _ : state) {
    size_t markers = 0;
    size_t pos = 0;
    while ((pos = view.find("#01#", pos)) != std::string_view::npos) {
      ++markers;
      pos += 4;
    }
    benchmark::DoNotOptimize(markers);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}

BENCHMARK(BM_ParseInline)->Arg(1)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(BM_ParseLines)->Arg(1)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(BM_CountMarkers)
    ->Arg(1)
    ->Arg(10)
    ->Arg(100)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5);
BENCHMARK(BM_ExamLines)
    ->Arg(8000)
    ->Arg(16000)
    ->Arg(32000)
    ->Arg(32765)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5);
BENCHMARK(BM_TextLines)->Arg(32000)->Unit(benchmark::kMillisecond)->Repetitions(5);

// Prints the usual table, then each parse's time over the baseline's at the
// same size, and each parse's cost per byte at 100 MB against 10 MB. Both use
// the fastest of the repetitions in CPU time, steadier than wall time on a
// shared machine. Last, the long report of exam lines over the one of text
// lines.
class RatioReporter : public lirvo::bench::FastestReporter {
 public:
  void PrintRatios() const override {
    for (const char* size : {"1", "10", "100"}) {
      const double base = Fastest(std::string("BM_CountMarkers/") + size);
      if (base <= 0) continue;
      std::printf("%4s MB: inline/baseline %.2f, lines/baseline %.2f\n", size,
                  Fastest(std::string("BM_ParseInline/") + size) / base,
                  Fastest(std::string("BM_ParseLines/") + size) / base);
    }
    for (const char* name : {"BM_ParseInline", "BM_ParseLines", "BM_CountMarkers"}) {
      const double t10 = Fastest(std::string(name) + "/10");
      const double t100 = Fastest(std::string(name) + "/100");
      if (t10 > 0 && t100 > 0) {
        // Time per byte at 100 MB over time per byte at 10 MB (1.00 = linear).
        const double bytes10 = static_cast<double>(Bundle(10).size());
        const double bytes100 = static_cast<double>(Bundle(100).size());
        std::printf("%s: cost per byte at 100 MB / at 10 MB = %.2f\n", name,
                    (t100 / bytes100) / (t10 / bytes10));
      }
    }
    const double text = Fastest("BM_TextLines/32000");
    if (text > 0) {
      std::printf("32000 lines: exam lines/text lines %.2f\n",
                  Fastest("BM_ExamLines/32000") / text);
    }
  }
};

}  // namespace

int main(int argc, char** argv) {
  RatioReporter reporter;
  return lirvo::bench::RunBenchmarks(argc, argv, reporter);
}
