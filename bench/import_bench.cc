// The cost of "Importa": the batch import of a bundle of 20,000 reports of
// 5,000 patients (four each), half of them text reports and half laboratory
// reports of ten values each (100,000 values), into
//   (a) an in-memory host that keeps its charts in memory and stores
//       nothing the import saves: what is left is the plug-in's own work;
//   (b) the stand-in Clinora on SQLite, every save a durable transaction.
// The plug-in's share, (a) / (b), must be at most 20%, and doubling the
// bundle must at most double either time (within 10%).
//
// An import counts what it saves in a 16-bit number, so one run cannot save
// more than 32,767 items. The charts therefore already hold eight of the ten
// values of every laboratory report (imported beforehand in smaller runs):
// each run saves the 10,000 text reports and 20,000 values, and finds the
// other 80,000 values in charts of about twenty exams each, which it lists
// as skipped. A load stops at 32,768 pieces, so the doubling is measured from
// 10,000 to 20,000 reports. Times are wall-clock (the archive's time is the
// disk's); the ratios are printed at the end.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/clock.h"
#include "base/file_system.h"
#include "base/product.h"
#include "controls/scripted_ui.h"
#include "fastest_reporter.h"
#include "forms/bundle_loader.h"
#include "forms/loaded_forms.h"
#include "forms/window_context.h"
#include "importer/batch_import.h"
#include "standin/framework.h"
#include "standin/installation.h"
#include "standin/standin_host.h"
#include "standin/xml_document.h"

namespace {

namespace fs = std::filesystem;
using lirvo::host::ChartItem;
using lirvo::host::Variant;

constexpr int kReportsPerPatient = 4;
constexpr int kValues = 10;         // per laboratory report
constexpr int kHeldValues = 8;      // of them already in the chart
constexpr int kTranscoded = 5;      // codes L0..L4 are in the table, L5..L9 are not
constexpr int kMaxHeldRun = 24000;  // values per run of the import beforehand

std::string Padded(std::string text, size_t width) {
  text.resize(width, ' ');
  return text;
}

std::string Tessera(int patient) {
  char code[16];
  std::snprintf(code, sizeof code, "08%08d", patient);
  return code;
}

// Report `i` of patient i % patients, dated by its turn so that a patient's
// reports fall on different days: a text report for even i, else a
// laboratory report with values 0 to `values` - 1.
std::string Report(int i, int patients, int values) {
  char date[16];
  std::snprintf(date, sizeof date, "202403%02d", 1 + (i / patients) % 28);
  std::string piece = "#01#" + Padded("LRV" + std::to_string(i), 18) +
                      Padded(Tessera(i % patients), 16) + "0101" + date + "0930RAD001" + date +
                      " REPARTO\r\n";
  if (i % 2 == 0) {
    return piece +
           "#04#87.44.1 RX TORACE\r\nReferto: campi polmonari liberi, seni costofrenici "
           "liberi.\r\nConclusioni: nulla da segnalare.\r\n";
  }
  for (int v = 0; v < values; ++v) {
    const std::string value = std::to_string(90 + (i + v) % 40) + "," + std::to_string(v);
    const std::string n = std::to_string(v);
    piece += "#05#";
    piece += Padded("L" + n, 20);
    piece += Padded("ESAME " + n, 90);
    piece += Padded(value, 30);
    piece += Padded("mg/dl", 15);
    piece += Padded("70", 25);
    piece += Padded("110", 25);
    piece += "\r\n";
  }
  return piece;
}

// ---- (a) the in-memory host --------------------------------------------------

struct MemoryPatient;

class MemoryExams final : public lirvo::host::ExamReports {
 public:
  explicit MemoryExams(MemoryPatient& p) : p_(p) {}
  std::vector<ChartItem> Lista() override;
  void ClearEsamiAutomatici() override {}
  Variant Salva(const lirvo::host::ExamSaveArgs& args) override;
  void SalvaEsamiAutomatici() override {}

 private:
  MemoryPatient& p_;
};

class MemoryVisits final : public lirvo::host::VisitReports {
 public:
  explicit MemoryVisits(MemoryPatient& p) : p_(p) {}
  std::vector<ChartItem> Lista() override;
  Variant Salva(const lirvo::host::VisitSaveArgs& args) override;

 private:
  MemoryPatient& p_;
};

struct MemoryPatient final : lirvo::host::Patient {
  MemoryPatient(int64_t id, std::string tessera, const bool& storing)
      : id_(id), tessera_(std::move(tessera)), storing_(storing) {}
  Variant ID() const override { return id_; }
  std::string Cognome() const override { return "COGNOME" + std::to_string(id_); }
  std::string Nome() const override { return "NOME"; }
  std::string DataNascita() const override { return "01/02/1950"; }
  std::string CodiceFiscale() const override { return ""; }
  std::string Tessera() const override { return tessera_; }
  std::shared_ptr<lirvo::host::ExamReports> RefertiEsami() override {
    return std::make_shared<MemoryExams>(*this);
  }
  std::shared_ptr<lirvo::host::VisitReports> RefertiVisite() override {
    return std::make_shared<MemoryVisits>(*this);
  }

  int64_t id_;
  std::string tessera_;
  const bool& storing_;
  std::vector<ChartItem> exams_, visits_;
};

std::vector<ChartItem> MemoryExams::Lista() { return p_.exams_; }
Variant MemoryExams::Salva(const lirvo::host::ExamSaveArgs& a) {
  if (p_.storing_) p_.exams_.push_back(lirvo::host::ChartItemOf(a));
  return true;
}
std::vector<ChartItem> MemoryVisits::Lista() { return p_.visits_; }
Variant MemoryVisits::Salva(const lirvo::host::VisitSaveArgs& a) {
  if (p_.storing_) p_.visits_.push_back(lirvo::host::ChartItemOf(a));
  return true;
}

// Keeps what is saved while `storing`, else only answers True.
class MemoryHost final : public lirvo::host::HostApp, public lirvo::host::Archive {
 public:
  MemoryHost(lirvo::ui::Ui& ui, int patients) : framework_(ui) {
    for (int p = 0; p < patients; ++p) {
      patients_.emplace(Tessera(p), std::make_shared<MemoryPatient>(p + 1, Tessera(p), storing));
    }
  }
  lirvo::host::Framework& GetFramework() override { return framework_; }
  std::shared_ptr<lirvo::host::XmlDocument> NewXML() override {
    return std::make_shared<lirvo::standin::PugiXmlDocument>(lirvo::RealFileSystem());
  }
  lirvo::host::Archive& Archivio() override { return *this; }
  std::shared_ptr<lirvo::host::Patient> DaiPazienteRegionale(const std::string& code,
                                                             bool) override {
    auto it = patients_.find(code);
    return it == patients_.end() ? nullptr : it->second;
  }

  bool storing = true;

 private:
  lirvo::standin::StandinFramework framework_;
  std::unordered_map<std::string, std::shared_ptr<MemoryPatient>> patients_;
};

// ---- the plug-in's surroundings -------------------------------------------------

class BenchContext final : public lirvo::forms::WindowContext {
 public:
  BenchContext(lirvo::ui::Ui& ui, std::string folder) : ui_(ui), folder_(std::move(folder)) {}
  lirvo::ui::Ui& UserInterface() const override { return ui_; }
  lirvo::FileSystem& Fs() const override { return lirvo::RealFileSystem(); }
  const lirvo::Clock& GetClock() const override { return clock_; }
  lirvo::host::HostApp& Host() const override { return *host_; }
  const std::string& PluginFolder() const override { return plugin_folder_; }
  std::string DocumentsFolder() const override { return folder_ + "/documents/"; }
  void SetDocumentsFolder(const std::string&) override {}
  int32_t IDService(std::string_view) const override { return 0; }
  void ShowLastProcessing(bool) override {}
  bool ImportSingleReport(const std::string&, const std::string&, int16_t&, std::string&) override {
    return false;
  }
  const std::string& CurrentBundle() const override { return bundle_; }
  void SetCurrentBundle(std::string path) override { bundle_ = std::move(path); }

  lirvo::host::HostApp* host_ = nullptr;

 private:
  lirvo::ui::Ui& ui_;
  std::string folder_;
  std::string plugin_folder_ = folder_ + "/plugin";
  std::string bundle_;
  lirvo::FixedClock clock_{{2026, 3, 1, 9, 0, 0}};
};

enum class HostKind { kMemory, kSqlite };

// An installation with `reports` reports in referti.dat, their patients in
// the host, the charts already holding kHeldValues values of every
// laboratory report, and the bundle loaded into the main window.
class Setup {
 public:
  Setup(HostKind kind, int reports) : patients_(reports / kReportsPerPatient) {
    fs::create_directories(folder_ + "/plugin");
    fs::create_directories(folder_ + "/documents");
    std::vector<lirvo::standin::TranscodingEntry> table;
    for (int v = 0; v < kTranscoded; ++v) {
      const std::string n = std::to_string(v);
      table.push_back({"L" + n, "ESAME " + n, "CLN" + n, "Esame Clinora " + n});
    }
    Write(folder_ + "/plugin/" + lirvo::kTranscodingFileName,
          lirvo::standin::TranscodingXmlText(table));

    if (kind == HostKind::kMemory) {
      memory_ = std::make_unique<MemoryHost>(ui_, patients_);
      context_->host_ = memory_.get();
    } else {
      OpenSqlite(/*create=*/true);
      std::vector<lirvo::standin::PatientRecord> records;
      for (int p = 0; p < patients_; ++p) {
        const std::string n = std::to_string(p);
        records.push_back({0, "COGNOME" + n, "NOME" + n, "01/02/1950", "CF" + n, Tessera(p)});
      }
      sqlite_->Archive().AddPatients(records);
    }
    windows_.OpenMainWindow();

    // What the charts hold already: the laboratory reports with their first
    // kHeldValues values, imported in runs small enough for the count.
    const int per_run = kMaxHeldRun / kHeldValues * 2;
    for (int first = 0; first < reports; first += per_run) {
      std::string text;
      for (int i = first; i < std::min(reports, first + per_run); ++i) {
        if (i % 2 == 1) text += Report(i, patients_, kHeldValues);
      }
      Write(folder_ + "/documents/held.dat", text);
      LoadAndImport(folder_ + "/documents/held.dat");
    }
    if (memory_) memory_->storing = false;
    if (sqlite_) {
      sqlite_.reset();
      fs::copy_file(Archive(), Archive() + ".held");
    }

    std::string text;
    for (int i = 0; i < reports; ++i) text += Report(i, patients_, kValues);
    bundle_ = folder_ + "/documents/referti.dat";
    Write(bundle_, text);
    if (kind == HostKind::kSqlite) OpenSqlite(false);
    std::string message;
    if (!lirvo::forms::LoadBundle(*context_, windows_, bundle_, message)) {
      throw std::runtime_error("the bundle did not load: " + message);
    }
  }
  ~Setup() {
    windows_.ReleaseAll();
    sqlite_.reset();
    std::error_code ec;
    fs::remove_all(folder_, ec);
  }

  // Puts back what the last import changed: the bundle's name, the unread
  // summary, the archive.
  void Reset() {
    if (context_->CurrentBundle() != bundle_) {
      fs::rename(context_->CurrentBundle(), bundle_);
      context_->SetCurrentBundle(bundle_);
    }
    fs::remove(folder_ + "/documents/" + lirvo::kUnreadSummaryFile);
    if (sqlite_) {
      sqlite_.reset();
      for (const char* extra : {"-wal", "-shm"}) fs::remove(Archive() + extra);
      fs::copy_file(Archive() + ".held", Archive(), fs::copy_options::overwrite_existing);
      OpenSqlite(false);
    }
  }

  // The import; the number of items it saved, -1 when it failed.
  int Import() {
    int16_t count = 0;
    std::string error;
    if (!lirvo::importer::ImportAllReports(*context_, windows_, count, error)) return -1;
    return count;
  }

 private:
  std::string Archive() const { return folder_ + "/archive.db"; }
  static void Write(const std::string& path, const std::string& text) {
    lirvo::RealFileSystem().WriteFile(path, text);
  }
  void OpenSqlite(bool create) {
    sqlite_ = std::make_shared<lirvo::standin::StandinHost>(folder_, ui_, lirvo::RealFileSystem(),
                                                            create);
    context_->host_ = sqlite_.get();
  }
  void LoadAndImport(const std::string& path) {
    std::string message;
    if (!lirvo::forms::LoadBundle(*context_, windows_, path, message)) {
      throw std::runtime_error("the held values did not load: " + message);
    }
    context_->SetCurrentBundle(path);
    if (Import() <= 0) throw std::runtime_error("the held values were not imported");
    fs::remove(context_->CurrentBundle());
  }

  static std::string MakeFolder() {
    std::string folder = (fs::temp_directory_path() / "lirvo-bench-import-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr) throw std::runtime_error("no temporary folder");
    return folder;
  }

  int patients_;
  std::string folder_ = MakeFolder();
  std::string bundle_;
  lirvo::ui::ScriptedUi ui_;
  std::shared_ptr<BenchContext> context_ =
      std::make_shared<BenchContext>(ui_, folder_);  // the windows hold it weakly
  lirvo::forms::LoadedForms windows_{*context_};
  std::unique_ptr<MemoryHost> memory_;
  std::shared_ptr<lirvo::standin::StandinHost> sqlite_;
};

void BM_Import(benchmark::State& state, HostKind kind) {
  const int reports = static_cast<int>(state.range(0));
  Setup setup(kind, reports);
  const int expected = reports / 2 + reports / 2 * (kValues - kHeldValues);
  for (auto _ : state) {
    state.PauseTiming();
    setup.Reset();
    state.ResumeTiming();
    if (setup.Import() != expected) {
      state.SkipWithError("the import did not save what it should");
      return;
    }
  }
  state.SetItemsProcessed(state.iterations() * reports);
}

BENCHMARK_CAPTURE(BM_Import, memory, HostKind::kMemory)
    ->Arg(10000)
    ->Arg(20000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(3);
BENCHMARK_CAPTURE(BM_Import, sqlite, HostKind::kSqlite)
    ->Arg(10000)
    ->Arg(20000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(3);

class RatioReporter : public lirvo::bench::FastestReporter {
 protected:
  void PrintRatios() const override {
    const double memory = FastestReal("BM_Import/memory/20000");
    const double sqlite = FastestReal("BM_Import/sqlite/20000");
    const double memory_half = FastestReal("BM_Import/memory/10000");
    const double sqlite_half = FastestReal("BM_Import/sqlite/10000");
    if (memory > 0 && sqlite > 0) {
      std::printf("BM_Import: 20,000 reports, in-memory host / SQLite host = %.2f\n",
                  memory / sqlite);
    }
    if (memory > 0 && memory_half > 0) {
      std::printf("BM_Import: in-memory host, 20,000 reports / 10,000 reports = %.2f\n",
                  memory / memory_half);
    }
    if (sqlite > 0 && sqlite_half > 0) {
      std::printf("BM_Import: SQLite host, 20,000 reports / 10,000 reports = %.2f\n",
                  sqlite / sqlite_half);
    }
  }
};

}  // namespace

int main(int argc, char** argv) {
  RatioReporter reporter;
  return lirvo::bench::RunBenchmarks(argc, argv, reporter);
}
