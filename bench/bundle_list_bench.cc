// The bundle chooser's listing of a crowded documents folder: 10,000 and
// 20,000 entries (one in five a folder or not a bundle) arriving in no
// particular order, filtered, sorted by name and put into the grid; then the
// scripted choice of the last name. Doubling the files must about double the
// time (the sort adds a logarithm). The ratios are printed at the end.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/file_system.h"
#include "base/runtime_error.h"
#include "controls/scripted_ui.h"
#include "fastest_reporter.h"
#include "forms/frm_get_bundle.h"

namespace {

using lirvo::DirEntry;

// One folder holding the given entries; nothing else exists.
class Listing final : public lirvo::FileSystem {
 public:
  explicit Listing(std::vector<DirEntry> entries) : entries_(std::move(entries)) {}
  bool FileExists(const std::string&) override { return false; }
  bool DirectoryExists(const std::string&) override { return true; }
  std::string ReadFile(const std::string&) override { throw Refused(); }
  void WriteFile(const std::string&, std::string_view) override { throw Refused(); }
  void RenameFile(const std::string&, const std::string&) override { throw Refused(); }
  void RenameNoReplace(const std::string&, const std::string&) override { throw Refused(); }
  void RemoveFile(const std::string&) override { throw Refused(); }
  void MakeDirectory(const std::string&) override { throw Refused(); }
  std::vector<DirEntry> ListDirectory(const std::string&) override { return entries_; }
  std::optional<uint64_t> FileSize(const std::string&) override { return std::nullopt; }

 private:
  static lirvo::RuntimeError Refused() { return lirvo::RuntimeError(lirvo::kErrPathFileAccess); }
  std::vector<DirEntry> entries_;
};

class Context final : public lirvo::forms::WindowContext {
 public:
  explicit Context(lirvo::FileSystem& fs) : fs_(fs) {}
  lirvo::ui::Ui& UserInterface() const override { return ui_; }
  lirvo::FileSystem& Fs() const override { return fs_; }
  const lirvo::Clock& GetClock() const override { return clock_; }
  lirvo::host::HostApp& Host() const override {
    throw lirvo::RuntimeError(lirvo::kErrObjectNotSet);
  }
  const std::string& PluginFolder() const override { return folder_; }
  std::string DocumentsFolder() const override { return folder_; }
  void SetDocumentsFolder(const std::string& folder) override { folder_ = folder; }
  const std::string& CurrentBundle() const override { return bundle_; }
  void SetCurrentBundle(std::string path) override { bundle_ = std::move(path); }

 private:
  mutable lirvo::ui::ScriptedUi ui_;
  lirvo::FileSystem& fs_;
  lirvo::FixedClock clock_{lirvo::DateTime{2026, 3, 1, 9, 0, 0}};
  std::string folder_ = "/dati/documenti/";
  std::string bundle_;
};

// `count` entries: bundles, imported bundles, split-off files, folders and
// other files, their names scattered over the alphabet.
std::vector<DirEntry> Entries(int64_t count) {
  std::vector<DirEntry> entries;
  for (int64_t i = 0; i < count; ++i) {
    const std::string n = std::to_string((i * 7919) % count);
    std::string name = (i % 2 ? "Referti_" : "referti_") + n;
    if (i % 3 == 0) name += "_20260301093000_Imported";
    name += i % 5 == 0 ? ".tmp" : ".dat";
    entries.push_back({name, i % 11 == 0, 4096, lirvo::DateTime{2026, 3, 1, 9, 30, 0}});
  }
  return entries;
}

void BM_ListAndChoose(benchmark::State& state) {
  Listing fs(Entries(state.range(0)));
  auto context = std::make_shared<Context>(fs);
  for (auto _ : state) {
    auto form = std::make_shared<lirvo::forms::frmGetBundle>(context);
    form->Form_Load();
    form->plbBundlesList("");
    const auto& records = form->rcBundle().Records();
    const std::string last = records.Record(records.Count() - 1).ItemText(1);
    benchmark::DoNotOptimize(form->Perform("choose " + last));
    benchmark::DoNotOptimize(form->plbGetBundleFile());
    state.counters["rows"] = records.Count();
  }
}

BENCHMARK(BM_ListAndChoose)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond)->Repetitions(5);

class RatioReporter : public lirvo::bench::FastestReporter {
 public:
  void PrintRatios() const override {
    const double small = Fastest("BM_ListAndChoose/10000");
    const double large = Fastest("BM_ListAndChoose/20000");
    if (small > 0 && large > 0) {
      std::printf("BM_ListAndChoose: time for 20,000 files / for 10,000 = %.2f\n", large / small);
    }
  }
};

}  // namespace

int main(int argc, char** argv) {
  RatioReporter reporter;
  return lirvo::bench::RunBenchmarks(argc, argv, reporter);
}
