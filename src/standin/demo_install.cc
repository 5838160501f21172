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
};

}  // namespace

const std::vector<TranscodingEntry>& DemoTranscoding() {
  static const std::vector<TranscodingEntry> entries = {
      {"HB", "EMOGLOBINA", "HGB", "Emoglobina"},
      {"90.27.1", "GLUCOSIO", "GLI", "Glicemia"},
      {"90.16.3", "CREATININA", "CREA", "Creatinina"},
      {"90.14.3", "COLESTEROLO TOTALE", "COL", "Colesterolo totale"},
      {"90.14.1", "COLESTEROLO HDL", "HDL", "Colesterolo HDL"},
      {"90.43.2", "TRIGLICERIDI", "TRIG", "Trigliceridi"},
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
    ReplaceFile(fs, path, Utf8ToCp1252(demo::MakeDemoBundle(options)));
    done.bundles.push_back(b.name);
  }
  return done;
}

}  // namespace lirvo::standin
