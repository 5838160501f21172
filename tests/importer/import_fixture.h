// The import tests' surroundings: the window fixture's stand-in host with one
// patient and a transcoding table of one code in the plug-in's folder.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "base/file_system.h"
#include "base/product.h"
#include "base/text.h"
#include "forms/window_fixture.h"
#include "support/report_lines.h"

namespace lirvo::test_support {

class ImportFixture : public WindowFixture {
 protected:
  static constexpr const char* kCode = "RSSMRA48C12H501C";

  ImportFixture() {
    context_->plugin_folder = host_->standin.GetInstallation().PluginFolder();
    std::filesystem::create_directories(context_->plugin_folder);
    RealFileSystem().WriteFile(context_->plugin_folder + "/" + kTranscodingFileName,
                               "<trascodifica><esame><codice>GLU</codice><descrizione>GLUCOSIO"
                               "</descrizione><clnID>GLI</clnID><clnDescrizione>Glicemia"
                               "</clnDescrizione></esame></trascodifica>");
  }

  int64_t PatientId() const { return std::get<int64_t>(patient_->ID()); }
  std::string PatientIdText() const { return host::ToText(patient_->ID()); }
  std::vector<standin::ChartEntry> SavedExams() {
    return host_->standin.Archive().Exams(PatientId());
  }
  std::vector<standin::ChartEntry> SavedVisits() {
    return host_->standin.Archive().Visits(PatientId());
  }
  // The next chart saves answer these (Empty: saved normally).
  void ScriptSaves(std::vector<host::Variant> results) {
    host_->standin.Archive().ForTestingScriptSaveResults(std::move(results));
  }

  std::shared_ptr<host::Patient> patient_ = host_->AddPatient("ROSSI", "MARIO", kCode);
};

}  // namespace lirvo::test_support
