#include "standin/patients_csv.h"

#include <array>

#include "base/cp1252.h"
#include "base/runtime_error.h"
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

}  // namespace

CsvImportResult ImportPatientsCsv(SqliteArchive& archive, std::string_view raw) {
  CsvImportResult result;
  std::string text = IsValidUtf8(raw) ? std::string(raw) : Cp1252ToUtf8(raw);
  if (text.starts_with("\xef\xbb\xbf")) text.erase(0, 3);

  std::vector<std::string> lines;
  for (std::string_view piece : Split(text, "\n")) {
    if (piece.ends_with('\r')) piece.remove_suffix(1);
    lines.emplace_back(piece);
  }

  size_t header = 0;
  while (header < lines.size() && Trim(lines[header]).empty()) ++header;
  if (header == lines.size()) {
    result.error = "no header line";
    return result;
  }
  const char separator = lines[header].find(';') != std::string::npos ? ';' : ',';
  const auto names = SplitCsvLine(lines[header], separator);
  std::array<size_t, kColumns.size()> column{};
  for (size_t k = 0; k < kColumns.size(); ++k) {
    column[k] = names.size();
    for (size_t i = 0; i < names.size(); ++i) {
      if (EqualsText(names[i], kColumns[k])) column[k] = i;
    }
    if (column[k] == names.size()) {
      result.error = std::string("the header has no column ") + kColumns[k];
      return result;
    }
  }

  for (size_t i = header + 1; i < lines.size(); ++i) {
    if (Trim(lines[i]).empty()) continue;
    const size_t line_no = i + 1;
    const auto fields = SplitCsvLine(lines[i], separator);
    if (fields.size() != names.size()) {
      result.skipped.push_back({line_no, std::to_string(names.size()) + " fields expected, " +
                                             std::to_string(fields.size()) + " found"});
      continue;
    }
    PatientRecord p;
    p.cognome = fields[column[0]];
    p.nome = fields[column[1]];
    p.data_nascita = fields[column[2]];
    p.codice_fiscale = fields[column[3]];
    p.tessera = fields[column[4]];
    if (std::string why = CheckPatientRecord(p); !why.empty()) {
      result.skipped.push_back({line_no, why});
      continue;
    }
    try {
      result.added.push_back(archive.AddPatient(p));
    } catch (const RuntimeError& e) {
      if (e.Number() != kErrDuplicateKey) throw;
      result.skipped.push_back({line_no, "a patient with this tessera or codice fiscale exists"});
    }
  }
  return result;
}

}  // namespace lirvo::standin
