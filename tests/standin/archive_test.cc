#include "standin/archive.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <sstream>

#include "base/file_system.h"
#include "base/runtime_error.h"
#include "standin/chart_setup.h"
#include "standin/patients_csv.h"
#include "support/other_connection.h"
#include "support/runtime_error_matchers.h"
#include "support/temp_dir.h"

namespace lirvo::standin {
namespace {

using host::Null;
using host::Variant;
using test_support::OtherConnection;
using test_support::ThrowsRuntimeError;

PatientRecord Rossi() {
  return {0, "ROSSI", "MARIO", "01/02/1950", "RSSMRA50B01H501U", "8000031415"};
}
PatientRecord Bianchi() {
  return {0, "BIANCHI", "LUCIA", "15/07/1982", "BNCLCU82L55F205Z", "8000039334"};
}

// Exam and visit saves holding the fields the chart lists read.
constexpr auto* Exam = &ExamArgsFor;
constexpr auto* Visit = &VisitArgsFor;

class ArchiveTest : public ::testing::Test {
 protected:
  std::shared_ptr<SqliteArchive> Open() { return SqliteArchive::Open(dir_.File("archive.db")); }
  // Opens `archive` with Rossi in it, and gives Rossi as the host finds him.
  std::shared_ptr<host::Patient> OpenWithRossi() {
    archive = Open();
    archive->AddPatient(Rossi());
    return archive->DaiPazienteRegionale("8000031415", true);
  }

  test_support::TempDir dir_;
  std::shared_ptr<SqliteArchive> archive;
};

TEST_F(ArchiveTest, RegionalLookupMatchesTesseraExactlyOrCodiceFiscaleWithoutCase) {
  auto archive = Open();
  const int64_t rossi = archive->AddPatient(Rossi());
  const int64_t bianchi = archive->AddPatient(Bianchi());
  EXPECT_NE(rossi, bianchi);
  // A tessera equal to another patient's codice fiscale in another case.
  const int64_t odd = archive->AddPatient({0, "VERDI", "GINO", "01/01/1960", "X1", "T1"});
  const int64_t other = archive->AddPatient({0, "NERI", "ADA", "01/01/1961", "", "x1"});

  struct Case {
    std::string code;
    int64_t expected;  // 0 = nobody
  } cases[] = {
      {"8000031415", rossi},
      {"RSSMRA50B01H501U", rossi},
      {"rssmra50b01h501u", rossi},
      {"bncLCU82L55F205Z", bianchi},
      {"x1", other},
      {"X1", odd},
      {" 8000031415", 0},  // no trimming
      {"800003141", 0},
      {"", 0},
      {"ROSSI", 0},
  };
  for (const auto& c : cases) {
    auto p = archive->DaiPazienteRegionale(c.code, true);
    if (c.expected == 0) {
      EXPECT_EQ(p, nullptr) << c.code;
    } else {
      ASSERT_NE(p, nullptr) << c.code;
      EXPECT_EQ(p->ID(), Variant(c.expected)) << c.code;
    }
  }
}

TEST_F(ArchiveTest, SavesShowInTheListsWithTheFieldsTheDuplicateChecksRead) {
  auto patient = OpenWithRossi();
  auto exams = patient->RefertiEsami();
  auto visits = patient->RefertiVisite();
  EXPECT_EQ(exams, patient->RefertiEsami());  // the same object each time

  host::ExamSaveArgs first = Exam("03/11/2026", std::string("GLU"), "0101", "98");
  first.a15_to_23[0] = host::Empty{};
  EXPECT_EQ(exams->Salva(first), Variant(true));
  EXPECT_EQ(exams->Salva(Exam("03/11/2026", Null{}, "0202", "4,5")), Variant(true));
  EXPECT_EQ(visits->Salva(Visit("02/11/2026", "lrv.RX01")), Variant(true));
  // The fields of the listed items are what the import's duplicate checks
  // read: importer's suites and the import transcript (tests/e2e) pin them.
  EXPECT_EQ(exams->Lista().size(), 2u);
  EXPECT_EQ(visits->Lista().size(), 1u);

  // Every argument is kept, types included: `lirvo chart --json` prints them
  // (installation_commands_test).
  const auto stored = archive->Exams(1);
  ASSERT_EQ(stored.size(), 2u);
  EXPECT_EQ(stored[0].args[14], Variant(std::string()));  // Empty is kept as empty text
}

TEST_F(ArchiveTest, BrokenArgumentsAndUnknownPatientsAreRefusedWithFalse) {
  auto archive = Open();
  const int64_t id = archive->AddPatient(Rossi());
  host::ExamSaveArgs not_a_text_date = Exam("01/01/2026", Null{}, "1", "2");
  not_a_text_date.a3_report_date = int64_t{20260101};
  host::ExamSaveArgs with_object = Exam("01/01/2026", Null{}, "1", "2");
  with_object.a9_unit = std::shared_ptr<host::Dispatch>();
  for (const auto& exam : {Exam("31/11/2026", Null{}, "1", "2"), Exam("", Null{}, "1", "2"),
                           not_a_text_date, with_object}) {
    EXPECT_FALSE(archive->SaveExam(id, exam));
  }
  EXPECT_FALSE(archive->SaveVisit(id, Visit("1/13/2026", "lrv.X")));
  EXPECT_FALSE(archive->SaveExam(id + 1, Exam("01/01/2026", Null{}, "1", "2")));
  EXPECT_FALSE(archive->SaveVisit(id + 1, Visit("01/01/2026", "lrv.X")));
  EXPECT_TRUE(archive->Exams(id).empty());
  EXPECT_TRUE(archive->Visits(id).empty());
}

TEST_F(ArchiveTest, AutomaticExamsReachTheChartOnlyWhenTheGroupIsSaved) {
  auto exams = OpenWithRossi()->RefertiEsami();

  exams->ClearEsamiAutomatici();
  EXPECT_EQ(exams->Salva(Exam("03/11/2026", Null{}, "A", "1")), Variant(true));
  EXPECT_EQ(exams->Salva(Exam("bad", Null{}, "B", "2")), Variant(false));
  EXPECT_TRUE(exams->Lista().empty());  // still buffered
  // A second patient object of the same patient shares the open group.
  auto again = archive->DaiPazienteRegionale("8000031415", true)->RefertiEsami();
  EXPECT_EQ(again->Salva(Exam("03/11/2026", Null{}, "C", "3")), Variant(true));
  exams->SalvaEsamiAutomatici();
  auto stored = archive->Exams(1);
  ASSERT_EQ(stored.size(), 2u);
  EXPECT_TRUE(stored[0].automatic && stored[1].automatic);
  EXPECT_EQ(stored[0].group, stored[1].group);

  // Clear drops what an earlier group left unsaved; a new group gets a new number.
  exams->ClearEsamiAutomatici();
  exams->Salva(Exam("04/11/2026", Null{}, "D", "4"));
  exams->ClearEsamiAutomatici();
  exams->Salva(Exam("04/11/2026", Null{}, "E", "5"));
  exams->SalvaEsamiAutomatici();
  exams->SalvaEsamiAutomatici();  // nothing open: nothing happens
  stored = archive->Exams(1);
  ASSERT_EQ(stored.size(), 3u);
  EXPECT_EQ(stored[2].args[23], Variant(std::string("E")));
  EXPECT_GT(stored[2].group, stored[0].group);

  // Outside a group a save is immediate.
  exams->Salva(Exam("05/11/2026", Null{}, "F", "6"));
  EXPECT_EQ(archive->Exams(1).size(), 4u);
  EXPECT_FALSE(archive->Exams(1).back().automatic);

  // A group never saved leaves no trace once the archive is closed.
  exams->ClearEsamiAutomatici();
  exams->Salva(Exam("06/11/2026", Null{}, "G", "7"));
  exams.reset();
  again.reset();
  archive.reset();
  EXPECT_EQ(Open()->Exams(1).size(), 4u);
}

TEST_F(ArchiveTest, FailingDatabaseThrowsInsteadOfAnsweringFalse) {
  auto p = OpenWithRossi();
  archive->ForTestingReopenReadOnly();
  ASSERT_NE(p, nullptr);
  EXPECT_TRUE(p->RefertiVisite()->Lista().empty());  // reading still works
  EXPECT_THAT([&] { p->RefertiVisite()->Salva(Visit("02/11/2026", "lrv.1")); },
              ThrowsRuntimeError(kErrPermissionDenied));
  p->RefertiEsami()->ClearEsamiAutomatici();
  EXPECT_EQ(p->RefertiEsami()->Salva(Exam("03/11/2026", Null{}, "A", "1")), Variant(true));
  EXPECT_THROW(p->RefertiEsami()->SalvaEsamiAutomatici(), RuntimeError);

  auto read_only = SqliteArchive::Open(dir_.File("archive.db"), SqliteArchive::OpenMode::kReadOnly);
  EXPECT_EQ(read_only->ListPatients().size(), 1u);
  EXPECT_THROW(read_only->SaveVisit(1, Visit("02/11/2026", "lrv.1")), RuntimeError);
}

TEST_F(ArchiveTest, EveryNewPatientIsNormalisedAndCheckedOneWay) {
  auto archive = Open();
  archive->AddPatient(Rossi());
  const std::string long_name(kMaxPatientField + 1, 'A');
  using Kind = AddPatientOutcome::Kind;
  const struct Case {
    PatientRecord record;
    Kind kind;
    const char* reason;
  } cases[] = {
      {{0, "X", "Y", "01/01/1990", "", " 8000031415 "}, Kind::kDuplicate, ""},
      {{0, "X", "Y", "01/01/1990", "\trssmra50b01h501u ", "T1"}, Kind::kDuplicate, ""},
      {{0, "X", "Y", "01/01/1990", "", "   "}, Kind::kRefused, "empty tessera"},
      {{0, "X", "Y", "31/02/1980", "", "T0"}, Kind::kRefused, "invalid birth date: 31/02/1980"},
      {{0, " ", "Y", "01/01/1990", "", "T2"}, Kind::kRefused, "empty cognome"},
      {{0, long_name, "Y", "01/01/1990", "", "T3"},
       Kind::kRefused,
       "cognome longer than 100 characters"},
      {{0, "X", "Y", "01/01/1990", long_name, "T4"},
       Kind::kRefused,
       "codice fiscale longer than 100 characters"},
      {{0, "  VERDI ", " GINO", " 5/6/1990 ", " VRDGNI ", " T5 "}, Kind::kAdded, ""},
      {{0, "NERI", "ADA", "01/01/1961", "", "T5"}, Kind::kDuplicate, ""},  // same batch
      {{0, "NERI", "ADA", "01/01/1961", "", "T6"}, Kind::kAdded, ""},
  };
  std::vector<PatientRecord> batch;
  for (const auto& c : cases) batch.push_back(c.record);
  const auto outcomes = archive->AddPatients(batch);
  ASSERT_EQ(outcomes.size(), std::size(cases));
  for (size_t i = 0; i < outcomes.size(); ++i) {
    EXPECT_EQ(outcomes[i].kind, cases[i].kind) << i;
    EXPECT_EQ(outcomes[i].reason, cases[i].reason) << i;
    EXPECT_EQ(CheckPatientRecord(cases[i].record),
              cases[i].kind == Kind::kRefused ? cases[i].reason : "")
        << i;
  }
  const auto patients = archive->ListPatients();
  ASSERT_EQ(patients.size(), 3u);
  EXPECT_EQ(patients[1].cognome + "|" + patients[1].nome + "|" + patients[1].data_nascita + "|" +
                patients[1].codice_fiscale + "|" + patients[1].tessera,
            "VERDI|GINO|05/06/1990|VRDGNI|T5");
  EXPECT_THAT(
      [&] {
        archive->AddPatient({0, "X", "Y", "01/01/1990", "", "8000031415 "});
      },
      ThrowsRuntimeError(kErrDuplicateKey));
  for (const auto& refused : {cases[2].record, cases[3].record}) {
    EXPECT_THAT([&] { archive->AddPatient(refused); }, ThrowsRuntimeError(kErrInvalidCall));
  }
  // Not regional, the code is the ID, with blanks allowed on both sides as with any code.
  for (const char* key : {"1", " 1", "1 ", " 1 "}) {
    EXPECT_NE(archive->DaiPazienteRegionale(key, false), nullptr) << '"' << key << '"';
  }
  for (const char* key : {"1x", "+1", "-1", "", " ", "8000031415"}) {
    EXPECT_EQ(archive->DaiPazienteRegionale(key, false), nullptr) << '"' << key << '"';
  }
}

// The archive's file in the states a user meets it: each failure says what is
// wrong, with the path, and never sends the user to a command that would
// replace the file.
TEST_F(ArchiveTest, HostileArchivesSayWhatIsWrong) {
  ForTestingSetArchiveBusyTimeout(50);
  const std::string path = dir_.File("archive.db");
  const struct Case {
    const char* name;
    std::function<void()> prepare;  // makes the archive's file as the case needs
    ArchiveProblem problem;
    int number;
  } cases[] = {
      {"missing", [] {}, ArchiveProblem::kMissing, kErrFileNotFound},
      {"not a database", [&] { RealFileSystem().WriteFile(path, std::string(8192, 'x')); },
       ArchiveProblem::kCorrupt, kErrPathFileAccess},
      {"damaged pages",
       [&] {
         {
           auto a = Open();
           for (int i = 0; i < 200; ++i) {
             a->AddPatient({0, "ROSSI", "MARIO", "01/02/1950", "", "T" + std::to_string(i)});
           }
         }
         std::string bytes = RealFileSystem().ReadFile(path);
         for (size_t i = 4096; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
         RealFileSystem().WriteFile(path, bytes);
       },
       ArchiveProblem::kCorrupt, kErrPathFileAccess},
      {"read-only", [&] { Open(); }, ArchiveProblem::kReadOnly, kErrPermissionDenied},
      {"locked by a writer", [&] { Open(); }, ArchiveProblem::kLocked, kErrPathFileAccess},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(path);
    c.prepare();
    std::optional<OtherConnection> writer;
    if (c.problem == ArchiveProblem::kLocked) {
      writer.emplace(path);
      ASSERT_EQ(writer->BeginWriting("W1"), 0);
    }
    try {
      auto archive = SqliteArchive::Open(path, SqliteArchive::OpenMode::kMustExist);
      if (c.problem == ArchiveProblem::kReadOnly) archive->ForTestingReopenReadOnly();
      archive->ListPatients();
      archive->AddPatient(Rossi());
      ADD_FAILURE() << "no error";
    } catch (const ArchiveError& e) {
      EXPECT_EQ(e.Problem(), c.problem) << e.Explain();
      EXPECT_EQ(e.Number(), c.number);
      EXPECT_EQ(e.Explain().rfind(path + ": ", 0), 0u) << e.Explain();
      EXPECT_EQ(e.Explain().find("init"), std::string::npos) << e.Explain();
    }
  }
  EXPECT_THROW(SqliteArchive::Open(dir_.File("no/such/folder/a.db")), RuntimeError);
  ForTestingSetArchiveBusyTimeout(5000);
}

// init --force empties the archive through Reset, never by swapping the file
// under a process that has it open (a live writer and a junk file: cli's
// hostile_archive_test).
TEST_F(ArchiveTest, ResetEmptiesTheFileInPlace) {
  const std::string path = dir_.File("archive.db");
  Open()->AddPatient(Rossi());
  OtherConnection idle(path);  // open, but in no transaction
  ASSERT_EQ(idle.Exec("SELECT count(*) FROM patients"), 0);
  SqliteArchive::Reset(path);
  EXPECT_TRUE(Open()->ListPatients().empty());
  // What the other process writes next lands in the same file, with IDs
  // starting again from 1.
  ASSERT_EQ(idle.AddPatient("W2"), 0);
  const auto patients = Open()->ListPatients();
  ASSERT_EQ(patients.size(), 1u);
  EXPECT_EQ(patients[0].id, 1);
  EXPECT_EQ(patients[0].tessera, "W2");
}

using Skipped = std::vector<std::pair<size_t, std::string>>;

// Import options that note every skipped row in `skipped`.
CsvImportOptions NotingSkipped(Skipped& skipped) {
  CsvImportOptions options;
  options.on_skipped = [&](size_t line, const std::string& why) {
    skipped.emplace_back(line, why);
  };
  return options;
}

std::string CsvRows(int first, int count) {
  std::string text;
  for (int i = first; i < first + count; ++i) {
    text += "COGNOME;NOME;01/02/1950;;T" + std::to_string(i) + "\n";
  }
  return text;
}

TEST_F(ArchiveTest, AFailingCsvBatchLeavesTheBatchesBeforeItAndNothingOfItself) {
  auto archive = Open();
  std::istringstream in("cognome;nome;data_nascita;codice_fiscale;tessera\n" + CsvRows(0, 3) +
                        "X;Y;99/99/1999;;B\n" + CsvRows(3, 4));
  Skipped skipped;
  CsvImportOptions options = NotingSkipped(skipped);
  options.batch_rows = 4;
  // The disk turns read-only after the first batch.
  options.on_progress = [&](size_t rows, uint64_t) {
    if (rows == 4) archive->ForTestingReopenReadOnly();
  };
  CsvImportResult result;
  EXPECT_THROW(ImportPatientsCsv(*archive, in, result, options), ArchiveError);
  EXPECT_EQ(result.added, 3u);
  EXPECT_EQ(skipped, (Skipped{{5, "invalid birth date: 99/99/1999"}}));
  const auto patients = archive->ListPatients();
  ASSERT_EQ(patients.size(), 3u);
  EXPECT_EQ(patients.back().tessera, "T2");
}

TEST_F(ArchiveTest, CsvLinesAreReadOneAtATimeAndLongOnesSkipped) {
  auto archive = Open();
  // Windows-1252 on one line, UTF-8 on another, a byte-order mark in front,
  // a line far beyond the limit, CR LF endings and no final line break.
  std::istringstream in(
      "\xef\xbb\xbf"
      "cognome,nome,data_nascita,codice_fiscale,tessera\r\n"
      "CAF\xc8,A,1/1/2000,,T1\r\n" +
      std::string(kMaxCsvLineBytes * 3, 'x') + "\r\n" + "CAFÈ,B,1/1/2000,,T2");
  Skipped skipped;
  CsvImportResult result;
  ImportPatientsCsv(*archive, in, result, NotingSkipped(skipped));
  EXPECT_EQ(result.error, "");
  EXPECT_EQ(result.added, 2u);
  EXPECT_EQ(skipped, (Skipped{{3, "line longer than 64 KiB"}}));
  const auto patients = archive->ListPatients();
  ASSERT_EQ(patients.size(), 2u);
  EXPECT_EQ(patients[0].cognome, "CAFÈ");
  EXPECT_EQ(patients[1].cognome, "CAFÈ");

  std::istringstream huge_header(std::string(kMaxCsvLineBytes + 1, 'c'));
  CsvImportResult refused;
  ImportPatientsCsv(*archive, huge_header, refused);
  EXPECT_EQ(refused.error, "header line longer than 64 KiB");
}

TEST_F(ArchiveTest, KillDuringSavesLosesNoConfirmedSave) {
  int64_t id = 0;
  {
    auto archive = Open();
    id = archive->AddPatient(Rossi());
  }
  int pipe_fds[2];
  ASSERT_EQ(::pipe(pipe_fds), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // Saves visits and groups of exams for ever, telling the parent after
    // each save that returned. Never returns into the test framework.
    ::close(pipe_fds[0]);
    try {
      auto archive = Open();
      auto p = archive->DaiPazienteRegionale("8000031415", true);
      for (int i = 0;; ++i) {
        p->RefertiVisite()->Salva(Visit("02/11/2026", "lrv." + std::to_string(i)));
        p->RefertiEsami()->ClearEsamiAutomatici();
        for (int k = 0; k < 3; ++k) {
          p->RefertiEsami()->Salva(Exam("03/11/2026", Null{}, "A", "1"));
        }
        p->RefertiEsami()->SalvaEsamiAutomatici();
        char done = 1;
        if (::write(pipe_fds[1], &done, 1) != 1) break;
      }
    } catch (...) {
    }
    ::_exit(1);
  }
  ::close(pipe_fds[1]);
  int confirmed = 0;
  char c;
  while (confirmed < 25 && ::read(pipe_fds[0], &c, 1) == 1) ++confirmed;
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
  while (::read(pipe_fds[0], &c, 1) == 1) ++confirmed;  // saves reported before the kill
  ::close(pipe_fds[0]);

  ASSERT_GE(confirmed, 25);  // the writer really ran
  auto archive = Open();
  const size_t visits = archive->Visits(id).size();
  const size_t exams = archive->Exams(id).size();
  EXPECT_GE(visits, static_cast<size_t>(confirmed));
  // Groups are whole: three exams per group, never a part of one.
  EXPECT_EQ(exams % 3, 0u);
  EXPECT_GE(exams, 3u * confirmed);
  EXPECT_LE(exams, 3u * visits);
}

}  // namespace
}  // namespace lirvo::standin
