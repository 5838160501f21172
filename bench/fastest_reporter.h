// A console reporter that also keeps, for every benchmark and arguments
// ("BM_Name/10"), the fastest repetition's CPU time: the one least disturbed
// by other work on a shared machine. Benchmarks that compare sizes derive
// from it and print their ratios in PrintRatios(), after the table.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace lirvo::bench {

class FastestReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
      const double t = run.GetAdjustedCPUTime();
      auto [it, fresh] = fastest_.emplace(run.run_name.function_name + "/" + run.run_name.args, t);
      if (!fresh && t < it->second) it->second = t;
    }
    ConsoleReporter::ReportRuns(runs);
  }

  void Finalize() final {
    ConsoleReporter::Finalize();
    PrintRatios();
  }

 protected:
  virtual void PrintRatios() const = 0;
  // The fastest CPU time of `name` ("BM_Name/args"), 0 when it did not run.
  double Fastest(const std::string& name) const {
    auto it = fastest_.find(name);
    return it == fastest_.end() ? 0 : it->second;
  }

 private:
  std::map<std::string, double> fastest_;
};

// The body of a benchmark program's main: runs the benchmarks that the
// command line selects, reporting to `reporter`.
inline int RunBenchmarks(int argc, char** argv, benchmark::BenchmarkReporter& reporter) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}

}  // namespace lirvo::bench
