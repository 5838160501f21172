// A console reporter that also keeps, for every benchmark and arguments
// ("BM_Name/10"), the fastest repetition's CPU time and wall-clock time: the
// ones least disturbed by other work on a shared machine. Benchmarks that
// compare sizes derive from it and print their ratios in PrintRatios(),
// after the table.
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
      const std::string name = run.run_name.function_name + "/" + run.run_name.args;
      Keep(fastest_, name, run.GetAdjustedCPUTime());
      Keep(fastest_real_, name, run.GetAdjustedRealTime());
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
  // The same for the wall-clock time.
  double FastestReal(const std::string& name) const {
    auto it = fastest_real_.find(name);
    return it == fastest_real_.end() ? 0 : it->second;
  }

 private:
  static void Keep(std::map<std::string, double>& times, const std::string& name, double t) {
    auto [it, fresh] = times.emplace(name, t);
    if (!fresh && t < it->second) it->second = t;
  }

  std::map<std::string, double> fastest_;
  std::map<std::string, double> fastest_real_;
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
