#include "standin/patients_csv.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "support/temp_dir.h"

namespace lirvo::standin {
namespace {

std::string Rows(int first, int count) {
  std::string text;
  for (int i = first; i < first + count; ++i) {
    text += "COGNOME;NOME;01/02/1950;;T" + std::to_string(i) + "\n";
  }
  return text;
}

TEST(PatientsCsvTest, AFailingBatchLeavesTheBatchesBeforeItAndNothingOfItself) {
  test_support::TempDir dir;
  auto archive = SqliteArchive::Open(dir.File("archive.db"));
  std::istringstream in("cognome;nome;data_nascita;codice_fiscale;tessera\n" + Rows(0, 3) +
                        "X;Y;99/99/1999;;B\n" + Rows(3, 4));
  CsvImportOptions options;
  options.batch_rows = 4;
  std::vector<std::pair<size_t, std::string>> skipped;
  options.on_skipped = [&](size_t line, const std::string& why) {
    skipped.emplace_back(line, why);
  };
  // The disk turns read-only after the first batch.
  options.on_progress = [&](size_t rows, uint64_t) {
    if (rows == 4) archive->ForTestingReopenReadOnly();
  };
  CsvImportResult result;
  EXPECT_THROW(ImportPatientsCsv(*archive, in, result, options), ArchiveError);
  EXPECT_EQ(result.added, 3u);
  EXPECT_EQ(skipped,
            (std::vector<std::pair<size_t, std::string>>{{5, "invalid birth date: 99/99/1999"}}));
  const auto patients = archive->ListPatients();
  ASSERT_EQ(patients.size(), 3u);
  EXPECT_EQ(patients.back().tessera, "T2");
}

TEST(PatientsCsvTest, LinesAreReadOneAtATimeAndLongOnesSkipped) {
  test_support::TempDir dir;
  auto archive = SqliteArchive::Open(dir.File("archive.db"));
  // Windows-1252 on one line, UTF-8 on another, a byte-order mark in front,
  // a line far beyond the limit, CR LF endings and no final line break.
  std::istringstream in(
      "\xef\xbb\xbf"
      "cognome,nome,data_nascita,codice_fiscale,tessera\r\n"
      "CAF\xc8,A,1/1/2000,,T1\r\n" +
      std::string(kMaxCsvLineBytes * 3, 'x') + "\r\n" + "CAFÈ,B,1/1/2000,,T2");
  std::vector<std::pair<size_t, std::string>> skipped;
  CsvImportOptions options;
  options.on_skipped = [&](size_t line, const std::string& why) {
    skipped.emplace_back(line, why);
  };
  CsvImportResult result;
  ImportPatientsCsv(*archive, in, result, options);
  EXPECT_EQ(result.error, "");
  EXPECT_EQ(result.added, 2u);
  EXPECT_EQ(skipped, (std::vector<std::pair<size_t, std::string>>{{3, "line longer than 64 KiB"}}));
  const auto patients = archive->ListPatients();
  ASSERT_EQ(patients.size(), 2u);
  EXPECT_EQ(patients[0].cognome, "CAFÈ");
  EXPECT_EQ(patients[1].cognome, "CAFÈ");

  std::istringstream huge_header(std::string(kMaxCsvLineBytes + 1, 'c'));
  CsvImportResult refused;
  ImportPatientsCsv(*archive, huge_header, refused);
  EXPECT_EQ(refused.error, "header line longer than 64 KiB");
}

}  // namespace
}  // namespace lirvo::standin
