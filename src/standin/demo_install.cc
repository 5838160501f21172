#include "standin/demo_install.h"

#include "base/cp1252.h"
#include "base/files.h"
#include "base/runtime_error.h"
#include "demo/demo_data.h"

namespace lirvo::standin {
namespace {

struct DemoBundleFile {
  const char* name;
  uint32_t seed;
  size_t reports;
};

constexpr DemoBundleFile kBundles[] = {
    {"referti_ottobre.dat", 1, 12},
    {"referti_novembre.dat", 2, 20},
    {"referti_dicembre.dat", 3, 8},
    // Delivered again with four more reports: its first eight are December's,
    // so importing it after December skips what is already in the charts.
    {"referti_dicembre_bis.dat", 3, 12},
};

}  // namespace

const std::vector<TranscodingEntry>& DemoTranscoding() {
  // The laboratory's codes as the demo bundles carry them (blood count by
  // parameter, chemistry by nomenclature code), and common exams of a family
  // doctor's practice that the demo bundles do not use. The qualitative urine
  // colour ("URC") is left out on purpose: its values go into the chart
  // untranscoded.
  static const std::vector<TranscodingEntry> entries = {
      {"HB", "EMOGLOBINA", "HGB", "Emoglobina"},
      {"GR", "GLOBULI ROSSI", "RBC", "Eritrociti"},
      {"GB", "GLOBULI BIANCHI", "WBC", "Leucociti"},
      {"PLT", "PIASTRINE", "PLT", "Piastrine"},
      {"HCT", "EMATOCRITO", "HCT", "Ematocrito"},
      {"MCV", "VOLUME CORPUSCOLARE MEDIO", "MCV", "Volume globulare medio"},
      {"90.27.1", "GLUCOSIO", "GLI", "Glicemia"},
      {"90.28.1", "EMOGLOBINA GLICATA (HbA1c)", "HBA1C", "Emoglobina glicata"},
      {"90.16.3", "CREATININA", "CREA", "Creatinina"},
      {"90.44.1", "UREA", "AZO", "Azotemia"},
      {"90.43.5", "ACIDO URICO", "URIC", "Uricemia"},
      {"90.14.3", "COLESTEROLO TOTALE", "COL", "Colesterolo totale"},
      {"90.14.1", "COLESTEROLO HDL", "HDL", "Colesterolo HDL"},
      {"90.14.2", "COLESTEROLO LDL", "LDL", "Colesterolo LDL"},
      {"90.43.2", "TRIGLICERIDI", "TRIG", "Trigliceridi"},
      {"90.09.2", "AST (GOT)", "GOT", "Transaminasi GOT"},
      {"90.04.5", "ALT (GPT)", "GPT", "Transaminasi GPT"},
      {"90.25.5", "GAMMA GT", "GGT", "Gamma GT"},
      {"90.10.4", "BILIRUBINA TOTALE", "BILT", "Bilirubina totale"},
      {"90.05.1", "ALBUMINA", "ALB", "Albumina"},
      {"90.40.4", "SODIO", "NA", "Sodiemia"},
      {"90.37.4", "POTASSIO", "K", "Potassiemia"},
      {"90.11.4", "CALCIO TOTALE", "CA", "Calcemia"},
      {"90.22.3", "FERRO", "FE", "Sideremia"},
      {"90.22.5", "FERRITINA", "FERR", "Ferritina"},
      {"90.42.1", "TSH REFLEX", "TSH", "Tireotropina (TSH)"},
      {"90.42.3", "FT4", "FT4", "Tiroxina libera"},
      {"90.56.5", "PSA TOTALE", "PSA", "Antigene prostatico specifico"},
      {"90.75.4", "INR", "INR", "Tempo di protrombina (INR)"},
      {"90.82.5", "VES", "VES", "Velocità di eritrosedimentazione"},
      {"PCR", "PROTEINA C REATTIVA", "PCR", "Proteina C reattiva"},
      {"90.43.3", "VITAMINA D (25-OH)", "VITD", "Vitamina D 25-OH"},
  };
  return entries;
}

std::vector<std::string> DemoBundleFiles(const Installation& inst) {
  std::vector<std::string> paths;
  for (const auto& b : kBundles) paths.push_back(inst.DocumentsFolder() + b.name);
  return paths;
}

DemoContent InstallDemoContent(FileSystem& fs, const Installation& inst, SqliteArchive& archive,
                               bool replace) {
  DemoContent done;
  for (const auto& d : demo::DemoPatients()) {
    try {
      archive.AddPatient({0, d.surname, d.name, d.birth_date, d.codice_fiscale, d.tessera});
      ++done.patients;
    } catch (const RuntimeError& e) {
      if (e.Number() != kErrDuplicateKey) throw;  // already there from an earlier run
    }
  }
  for (const auto& b : kBundles) {
    const std::string path = inst.DocumentsFolder() + b.name;
    if (!replace && fs.FileExists(path)) continue;
    demo::DemoBundleOptions options;
    options.seed = b.seed;
    options.reports = b.reports;
    ReplaceFileContent(fs, path, Utf8ToCp1252(demo::MakeDemoBundle(options)));
    done.bundles.push_back(b.name);
  }
  return done;
}

}  // namespace lirvo::standin
