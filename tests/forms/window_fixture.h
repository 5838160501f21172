// The windows' surroundings for tests: a context of their own (the plug-in's
// is above this layer), over the one fake host of the tests.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/clock.h"
#include "base/file_system.h"
#include "base/runtime_error.h"
#include "forms/frm_referti_lirvo.h"
#include "forms/window_context.h"
#include "support/fake_host.h"
#include "support/temp_dir.h"

namespace lirvo::test_support {

class FakeContext final : public forms::WindowContext {
 public:
  FakeContext(ui::Ui& ui, FileSystem& fs, std::shared_ptr<host::HostApp> host)
      : host(std::move(host)), ui_(ui), fs_(fs) {}

  ui::Ui& UserInterface() const override { return ui_; }
  FileSystem& Fs() const override { return fs_; }
  const Clock& GetClock() const override { return clock_; }
  host::HostApp& Host() const override {
    if (!host) throw RuntimeError(kErrObjectNotSet);
    return *host;
  }
  const std::string& PluginFolder() const override { return plugin_folder; }
  std::string DocumentsFolder() const override { return documents_folder; }
  void SetDocumentsFolder(const std::string& folder) override { documents_folder = folder; }
  int32_t IDService(std::string_view key) const override {
    const auto found = command_ids.find(std::string(key));
    return found == command_ids.end() ? 0 : found->second;
  }
  void ShowLastProcessing(bool) override {}
  bool ImportSingleReport(const std::string& patient_id, const std::string& raw_text,
                          int16_t& count, std::string& error) override {
    single_imports.push_back({patient_id, raw_text});
    count = 1;
    error = single_import_error;
    return error.empty();
  }
  const std::string& CurrentBundle() const override { return current_bundle; }
  void SetCurrentBundle(std::string path) override { current_bundle = std::move(path); }

  std::shared_ptr<host::HostApp> host;  // nullptr: no host
  std::string plugin_folder = "/inst/plugin";
  std::string documents_folder = "/inst/documents/";
  std::string current_bundle = "/inst/documents/referti.dat";
  std::map<std::string, int32_t> command_ids;  // IDService's answers; 0 for others
  // ImportSingleReport's calls (patient ID, raw text) and the error it
  // answers (one report imported when there is none).
  std::vector<std::pair<std::string, std::string>> single_imports;
  std::string single_import_error;

 private:
  ui::Ui& ui_;
  FileSystem& fs_;
  FixedClock clock_{DateTime{2026, 3, 1, 9, 30, 0}};
};

// A report row of patient `patient_id` at `position` in the bundle.
inline forms::ReportRowValues SampleReport(int64_t patient_id, int32_t position,
                                           bool out_of_range = false) {
  return {patient_id,          position,     "#01#raw " + std::to_string(position),
          "Ospedale",          "02/03/2024", "04/03/2024",
          "GLICEMIA 98 mg/dl", out_of_range};
}

class WindowFixture : public ::testing::Test {
 protected:
  LoggingFramework& Fw() { return host_->framework; }

  TempDir dir_;
  RecordingUi ui_;
  FaultyFileSystem fs_{RealFileSystem()};
  std::shared_ptr<FakeHost> host_ = std::make_shared<FakeHost>(dir_.path(), ui_, fs_);
  std::shared_ptr<FakeContext> context_ = std::make_shared<FakeContext>(ui_, fs_, host_);
};

// The main reports window, loaded.
class MainWindowFixture : public WindowFixture {
 protected:
  MainWindowFixture() { form.Form_Load(); }

  // The main window's sample rows: 0 ROSSI MARIO (ID 1), 1-2 its reports
  // (the second out of range), 3 ROSSINI LUCA (ID 2), 4 its report, 5
  // BIANCHI ANNA (ID 3, no reports).
  void LoadSample() {
    auto& rossi = form.AddPatientRow(*host_->AddPatient("ROSSI", "MARIO", "080012345"));
    form.AddReportRow(rossi, SampleReport(1, 1));
    form.AddReportRow(rossi, SampleReport(1, 2, true));
    auto& rossini = form.AddPatientRow(*host_->AddPatient("ROSSINI", "LUCA", "080012346"));
    form.AddReportRow(rossini, SampleReport(2, 3));
    form.AddPatientRow(*host_->AddPatient("BIANCHI", "ANNA", "080012347"));
    form.rcReferti().Populate();
  }

  forms::frmRefertiLirvo form{context_};
};

}  // namespace lirvo::test_support
