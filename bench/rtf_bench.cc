// The cost of the rich-text files: ReadRtf of a 5 MB and a 50 MB document
// (runs of alternating styles with accented letters, as a summary holds
// them), and of 5 MB and 50 MB of groups nested far past the kept depth;
// AppendRichText of 2,000 and 20,000 runs into one box. Each must grow
// linearly: the ratios printed at the end should stay near 10.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "controls/rich_text_box.h"
#include "controls/rtf.h"
#include "fastest_reporter.h"

namespace {

using lirvo::controls::StyledText;
using lirvo::controls::TextStyle;

const TextStyle kPlain{"Courier New", 8, 0, false};
const TextStyle kRed{"Courier New", 8, 255, true};

std::string Document(size_t megabytes) {
  const StyledText pair = {{"    Referto del:    15/03/2024 città perché\r\n", kPlain},
                           {"*130 mg/dl €", kRed}};
  const size_t pair_bytes = lirvo::controls::WriteRtf(StyledText(pair.begin(), pair.end()))
                                .size();  // an upper bound: the header counts too
  StyledText runs;
  for (size_t bytes = 0; bytes < megabytes << 20; bytes += pair_bytes / 4) {
    runs.insert(runs.end(), pair.begin(), pair.end());
  }
  return lirvo::controls::WriteRtf(runs);
}

std::string DeepGroups(size_t megabytes) {
  const size_t half = (megabytes << 20) / 2;
  return "{\\rtf1 " + std::string(half, '{') + "x" + std::string(half, '}');
}

void BM_ReadRtf(benchmark::State& state) {
  const std::string rtf = Document(static_cast<size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(lirvo::controls::ReadRtf(rtf));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(rtf.size()));
}

void BM_ReadDeepGroups(benchmark::State& state) {
  const std::string rtf = DeepGroups(static_cast<size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(lirvo::controls::ReadRtf(rtf));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(rtf.size()));
}

void BM_AppendRichText(benchmark::State& state) {
  const int64_t runs = state.range(0);
  for (auto _ : state) {
    lirvo::controls::RichTextBox box("RichTextBox1", {});
    for (int64_t i = 0; i < runs; ++i) {
      // The pattern of a summary block: labels bold, values plain, line
      // breaks plain, now and then a red value.
      lirvo::controls::AppendRichText(box, "Courier New", 8, i % 7 == 0 ? 255 : 0, i % 3 == 0,
                                      i % 4 == 0 ? "\r\n" : "    Check IN:       ");
    }
    benchmark::DoNotOptimize(box.TextLength());
  }
  state.SetItemsProcessed(state.iterations() * runs);
}

BENCHMARK(BM_ReadRtf)->Arg(5)->Arg(50)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(BM_ReadDeepGroups)->Arg(5)->Arg(50)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(BM_AppendRichText)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond)->Repetitions(3);

class RatioReporter : public lirvo::bench::FastestReporter {
 protected:
  void PrintRatios() const override {
    const struct {
      const char* name;
      const char* small;
      const char* large;
    } ratios[] = {
        {"BM_ReadRtf: 50 MB / 5 MB", "BM_ReadRtf/5", "BM_ReadRtf/50"},
        {"BM_ReadDeepGroups: 50 MB / 5 MB", "BM_ReadDeepGroups/5", "BM_ReadDeepGroups/50"},
        {"BM_AppendRichText: 20,000 runs / 2,000", "BM_AppendRichText/2000",
         "BM_AppendRichText/20000"},
    };
    for (const auto& r : ratios) {
      const double small = Fastest(r.small);
      const double large = Fastest(r.large);
      if (small > 0 && large > 0) std::printf("%s = %.2f\n", r.name, large / small);
    }
  }
};

}  // namespace

int main(int argc, char** argv) {
  RatioReporter reporter;
  return lirvo::bench::RunBenchmarks(argc, argv, reporter);
}
