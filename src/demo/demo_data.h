// Demo data for trying the program without real patients: about twenty
// invented Italian patients and report bundles written for them.
//
//   for (const auto& p : lirvo::demo::DemoPatients()) archive.Add(p...);
//   std::string text = lirvo::demo::MakeDemoBundle({.seed = 7, .reports = 40});
//   WriteTextFile(fs, path, text);  // Windows-1252 on disk
//
// Everything is deterministic: the same options give the same text on every
// machine.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lirvo::demo {

// One invented patient. The codice fiscale is well formed (check letter
// included) and computed from the other fields.
struct DemoPatient {
  std::string surname;         // Cognome
  std::string name;            // Nome
  char sex = 'M';              // 'M' or 'F'
  std::string birth_date;      // dd/mm/yyyy
  std::string birth_place;     // the comune of birth
  std::string codice_fiscale;  // 16 characters
  std::string tessera;         // the regional code (codice regionale), 10 digits
};

// The demo patients, always the same ones in the same order.
const std::vector<DemoPatient>& DemoPatients();

struct DemoBundleOptions {
  uint32_t seed = 1;
  // Number of reports, used when target_bytes is 0.
  size_t reports = 40;
  // When not 0, reports are added until the text holds at least this many
  // bytes (the benchmark builds ~100 MB this way).
  size_t target_bytes = 0;
  // Line break written between lines.
  std::string line_break = "\r\n";
};

// A bundle text (UTF-8; every character fits Windows-1252) beginning with
// "#01#": a mix of text reports (radiology, cardiology, ...) with "#04#" exam
// lines and laboratory reports with "#05#" value lines, some of them out of
// range. Most reports carry the codice fiscale of a demo patient in header
// columns 19-34, some the tessera, and about one in twelve a code no demo
// patient has.
std::string MakeDemoBundle(const DemoBundleOptions& options);

}  // namespace lirvo::demo
