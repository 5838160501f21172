// Patients read from a CSV file into the archive.
#pragma once

#include <cstdint>
#include <functional>
#include <istream>
#include <string>
#include <string_view>

#include "standin/archive.h"

namespace lirvo::standin {

// The longest line the import reads, in bytes; a longer one is skipped
// without being kept in memory.
inline constexpr size_t kMaxCsvLineBytes = 64 * 1024;

struct CsvImportOptions {
  // Rows added per transaction. A batch reaches the archive whole or not at
  // all; the batches before a failing one stay.
  size_t batch_rows = 1000;
  // Called for every skipped row: its 1-based line number and why.
  std::function<void(size_t line, const std::string& reason)> on_skipped;
  // Called after every committed batch with the rows read so far and the
  // bytes read so far.
  std::function<void(size_t rows, uint64_t bytes)> on_progress;
};

struct CsvImportResult {
  // Empty when the file could be read; otherwise why not (no header, a
  // header without the five columns, a header line that is too long), and
  // nothing was imported.
  std::string error;
  size_t added = 0;    // patients committed to the archive
  size_t skipped = 0;  // rows passed to on_skipped
};

// Imports the CSV text read from `in`, a line at a time: a header line naming
// the columns cognome, nome, data_nascita, codice_fiscale and tessera (in any
// order, any letter case; other columns are ignored), then one patient per
// line. Fields are separated by ";" when the header holds one, else by ",";
// a field may be quoted with double quotes ("" inside for a quote). Each line
// is read as UTF-8 (a byte-order mark at the start of the file is dropped)
// or, when it is not UTF-8, as Windows-1252. Blank lines are passed over; a
// line longer than kMaxCsvLineBytes, a row with the wrong number of fields, a
// record CheckPatientRecord refuses or a patient already in the archive (or
// earlier in the file) is skipped with its reason. Every record goes through
// SqliteArchive::AddPatients, in batches of options.batch_rows.
//
// Throws ArchiveError when the database fails; `result` then counts what was
// committed before the failing batch, of which nothing was kept.
void ImportPatientsCsv(SqliteArchive& archive, std::istream& in, CsvImportResult& result,
                       const CsvImportOptions& options = {});

}  // namespace lirvo::standin
