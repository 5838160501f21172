// The import tests' surroundings: the window fixture's stand-in host with one
// patient, a transcoding table of one code in the plug-in's folder, and
// report pieces written the way a bundle carries them.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "base/file_system.h"
#include "base/product.h"
#include "base/text.h"
#include "forms/window_fixture.h"

namespace lirvo::test_support {

inline std::string Padded(std::string_view s, size_t width) {
  std::string out(s);
  out.append(width - std::min(width, CharCount(s)), ' ');
  return out;
}

// A report piece of the patient `code`: report date 15/03/2024, check-in
// date 14/03/2024, then the body lines.
inline std::string Piece(std::string_view code, const std::string& body) {
  return std::string(18, 'X') + Padded(code, 16) + "0101" + "20240315" + "0930RAD001" + "20240314" +
         " RADIOLOGIA\r\n" + body;
}

inline std::string TextPiece(std::string_view code) {
  return Piece(code, "#04#88.73.5 ECOGRAFIA MAMMARIA\r\nNessuna lesione focale.\r\n");
}

// A "#05#" line; `high_mark` ends it with "H" (the value gets the "*" mark).
inline std::string Lab(std::string_view code, std::string_view name, std::string_view value,
                       std::string_view low = "70", std::string_view high = "110",
                       bool high_mark = false) {
  return "#05#" + Padded(code, 20) + Padded(name, 90) + Padded(value, 30) + Padded("mg/dl", 15) +
         Padded(low, 25) + Padded(high, 25) + (high_mark ? "H" : "") + "\r\n";
}

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
