// Patients read from a CSV file into the archive.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "standin/archive.h"

namespace lirvo::standin {

struct CsvSkippedRow {
  size_t line = 0;  // 1-based line number in the file
  std::string reason;
};

struct CsvImportResult {
  // Empty when the file could be read; otherwise why not (no header, a
  // header without the five columns), and nothing was imported.
  std::string error;
  std::vector<int64_t> added;  // IDs of the new patients, in file order
  std::vector<CsvSkippedRow> skipped;
};

// Imports `text`: a header line naming the columns cognome, nome,
// data_nascita, codice_fiscale and tessera (in any order, any letter case;
// other columns are ignored), then one patient per line. Fields are separated
// by ";" when the header holds one, else by ","; a field may be quoted with
// double quotes ("" inside for a quote); blanks around fields are dropped.
// UTF-8 (with or without a byte-order mark) or, failing that, Windows-1252.
// Blank lines are passed over; a row with the wrong number of fields, a
// record CheckPatientRecord refuses or a patient already in the archive is
// skipped with its reason. Throws RuntimeError when the database fails.
CsvImportResult ImportPatientsCsv(SqliteArchive& archive, std::string_view text);

}  // namespace lirvo::standin
