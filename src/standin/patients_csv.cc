#include "standin/patients_csv.h"

#include <array>
#include <utility>
#include <vector>

#include "base/cp1252.h"
#include "base/text.h"
#include "base/utf8.h"

namespace lirvo::standin {
namespace {

constexpr std::array<const char*, 5> kColumns = {"cognome", "nome", "data_nascita",
                                                 "codice_fiscale", "tessera"};

// The fields of one line; quotes group a field and "" stands for a quote.
std::vector<std::string> SplitCsvLine(std::string_view line, char separator) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted) {
      if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
        fields.back().push_back('"');
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        fields.back().push_back(c);
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == separator) {
      fields.emplace_back();
    } else {
      fields.back().push_back(c);
    }
  }
  for (auto& f : fields) f = std::string(Trim(f));
  return fields;
}

// Reads the lines of a stream, each at most kMaxCsvLineBytes long in memory.
class LineReader {
 public:
  explicit LineReader(std::istream& in) : buf_(*in.rdbuf()) {}

  // The next line without its end (LF or CR LF), decoded to UTF-8; false at
  // the end of the stream. `too_long` tells that the line was longer than
  // the limit (`line` then holds nothing useful).
  bool Next(std::string& line, bool& too_long) {
    line.clear();
    too_long = false;
    int c = buf_.sbumpc();
    if (c == std::char_traits<char>::eof()) return false;
    for (; c != std::char_traits<char>::eof() && c != '\n'; c = buf_.sbumpc()) {
      ++bytes_;
      if (line.size() < kMaxCsvLineBytes) {
        line.push_back(static_cast<char>(c));
      } else {
        too_long = true;
      }
    }
    if (c == '\n') ++bytes_;
    ++number_;
    if (too_long) {
      line.clear();
      return true;
    }
    if (line.ends_with('\r')) line.pop_back();
    if (number_ == 1 && line.starts_with("\xef\xbb\xbf")) line.erase(0, 3);
    if (!IsValidUtf8(line)) line = Cp1252ToUtf8(line);
    return true;
  }
  size_t Number() const { return number_; }
  uint64_t Bytes() const { return bytes_; }

 private:
  std::streambuf& buf_;
  size_t number_ = 0;
  uint64_t bytes_ = 0;
};

}  // namespace

void ImportPatientsCsv(SqliteArchive& archive, std::istream& in, CsvImportResult& result,
                       const CsvImportOptions& options) {
  const auto skip = [&](size_t line, const std::string& reason) {
    ++result.skipped;
    if (options.on_skipped) options.on_skipped(line, reason);
  };
  const std::string too_long =
      "line longer than " + std::to_string(kMaxCsvLineBytes / 1024) + " KiB";
  LineReader reader(in);
  std::string line;
  bool long_line = false;
  while (reader.Next(line, long_line) && !long_line && Trim(line).empty()) {
  }
  if (long_line) {
    result.error = "header " + too_long;
    return;
  }
  if (Trim(line).empty()) {
    result.error = "no header line";
    return;
  }
  const char separator = line.find(';') != std::string::npos ? ';' : ',';
  const auto names = SplitCsvLine(line, separator);
  std::array<size_t, kColumns.size()> column{};
  for (size_t k = 0; k < kColumns.size(); ++k) {
    column[k] = names.size();
    for (size_t i = 0; i < names.size(); ++i) {
      if (EqualsText(names[i], kColumns[k])) column[k] = i;
    }
    if (column[k] == names.size()) {
      result.error = std::string("the header has no column ") + kColumns[k];
      return;
    }
  }

  // The rows of the batch in line order: a reason for a row already refused,
  // "" for one of `records`, so the skipped rows are told in file order.
  std::vector<std::pair<size_t, std::string>> rows_of_batch;
  std::vector<PatientRecord> records;
  size_t rows = 0;
  const auto commit = [&] {
    const auto outcomes = archive.AddPatients(records);
    size_t next = 0;
    for (const auto& [line_no, reason] : rows_of_batch) {
      if (!reason.empty()) {
        skip(line_no, reason);
        continue;
      }
      const AddPatientOutcome& outcome = outcomes[next++];
      if (outcome.kind == AddPatientOutcome::kAdded) {
        ++result.added;
      } else {
        skip(line_no, outcome.kind == AddPatientOutcome::kRefused
                          ? outcome.reason
                          : "a patient with this tessera or codice fiscale exists");
      }
    }
    rows_of_batch.clear();
    records.clear();
    if (options.on_progress) options.on_progress(rows, reader.Bytes());
  };
  while (reader.Next(line, long_line)) {
    if (!long_line && Trim(line).empty()) continue;
    ++rows;
    const auto fields = long_line ? std::vector<std::string>{} : SplitCsvLine(line, separator);
    if (long_line) {
      rows_of_batch.emplace_back(reader.Number(), too_long);
    } else if (fields.size() != names.size()) {
      rows_of_batch.emplace_back(reader.Number(), std::to_string(names.size()) +
                                                      " fields expected, " +
                                                      std::to_string(fields.size()) + " found");
    } else {
      PatientRecord p;
      p.cognome = fields[column[0]];
      p.nome = fields[column[1]];
      p.data_nascita = fields[column[2]];
      p.codice_fiscale = fields[column[3]];
      p.tessera = fields[column[4]];
      records.push_back(std::move(p));
      rows_of_batch.emplace_back(reader.Number(), "");
    }
    if (rows_of_batch.size() >= options.batch_rows) commit();
  }
  if (!rows_of_batch.empty()) commit();
}

}  // namespace lirvo::standin
