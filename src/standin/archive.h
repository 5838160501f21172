// The stand-in Clinora's archive of patients and their charts, kept in one
// SQLite file (archive.db).
//
// Durability: the database runs in WAL mode with synchronous=FULL, so every
// commit has reached the disk when the call that made it returns; each save
// is one transaction, so a process killed at any instant leaves the archive
// as it was before or after that save, never in between.
//
// Errors: data the archive cannot take (an unknown patient, an argument that
// is an object, a date that is not dd/mm/yyyy) makes a save answer False; a
// database that cannot be read or written (missing or read-only file, disk
// error, corrupt file, locked by another process) throws ArchiveError, a
// RuntimeError numbered 53 when the file is missing, 70 when it is read-only
// and 75 for anything else, that also says what went wrong and where.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/runtime_error.h"
#include "host/host.h"

struct sqlite3;

namespace lirvo::standin {

// One patient as the archive keeps it.
struct PatientRecord {
  int64_t id = 0;  // given by the archive; ignored by AddPatient
  std::string cognome;
  std::string nome;
  std::string data_nascita;  // dd/mm/yyyy
  std::string codice_fiscale;
  std::string tessera;  // the regional code
};

// One saved exam or visit with all the arguments of its save, in order (26
// for an exam, 15 for a visit). Empty arguments come back as empty text.
struct ChartEntry {
  int64_t id = 0;
  std::vector<host::Variant> args;
  bool automatic = false;  // exams: saved inside a group of automatic exams
  int64_t group = 0;       // exams: the number of that group, 0 when none
};

// What went wrong with the archive's file.
enum class ArchiveProblem {
  kMissing,   // no file (or no folder) at the path
  kReadOnly,  // the file, its folder or the whole file system cannot be written
  kCorrupt,   // not a database, or a damaged one
  kLocked,    // another process held the database longer than the busy timeout
  kDiskFull,
  kOther,
};

// A failure of the archive's database, with the path of the file.
class ArchiveError : public RuntimeError {
 public:
  ArchiveError(ArchiveProblem problem, std::string path, std::string detail);

  ArchiveProblem Problem() const noexcept { return problem_; }
  const std::string& Path() const noexcept { return path_; }
  // For people: "PATH: the archive is read-only (...)". Never suggests a
  // command that would replace the file.
  std::string Explain() const;

 private:
  ArchiveProblem problem_;
  std::string path_;
  std::string detail_;
};

// How long a call waits for another process that holds the database: 5000
// ms, unless a test set another wait.
int ArchiveBusyTimeoutMs();
// Test hook: the wait of every archive opened from now on.
void ForTestingSetArchiveBusyTimeout(int ms);

// The longest surname, name, codice fiscale or tessera the archive takes, in
// characters.
inline constexpr size_t kMaxPatientField = 100;

// The record as the archive keeps it: every field without leading and
// trailing blanks (spaces, tabs, line breaks). Every way into the archive
// goes through this, so " X1 " and "X1" are the same regional code.
PatientRecord NormalisePatientRecord(PatientRecord p);

// Why a patient record cannot go into the archive, or "" when it can, judged
// on the normalised record: the surname, the name and the regional code must
// not be blank, no field may be longer than kMaxPatientField characters and
// the birth date must be a real dd/mm/yyyy date.
std::string CheckPatientRecord(const PatientRecord& p);

// What became of one record given to SqliteArchive::AddPatients.
struct AddPatientOutcome {
  enum Kind { kAdded, kRefused, kDuplicate } kind = kAdded;
  int64_t id = 0;      // kAdded: the new patient's ID
  std::string reason;  // kRefused: what CheckPatientRecord said
};

class SqliteArchive : public host::Archive, public std::enable_shared_from_this<SqliteArchive> {
 public:
  enum class OpenMode {
    kCreate,     // creates the file and the tables when missing
    kMustExist,  // the file must exist (error 53 otherwise)
    kReadOnly,   // the file must exist; opened for reading only, so every
                 // write fails with error 70 (reading works on a read-only
                 // file system too)
  };

  // Opens (or creates) the archive at `path`. Throws ArchiveError.
  static std::shared_ptr<SqliteArchive> Open(const std::string& path,
                                             OpenMode mode = OpenMode::kCreate);

  // Makes the archive at `path` empty, or creates it when there is no file.
  // An existing file is emptied in place inside an exclusive transaction of
  // the database itself, never deleted or swapped, and no -wal/-shm file is
  // touched: another process that has the archive open keeps a working
  // database and sees it empty. Throws ArchiveError kLocked while another
  // process is writing (after the busy timeout), kCorrupt when the file is no
  // archive (it is then left as it is), and the other problems as Open.
  static void Reset(const std::string& path);
  ~SqliteArchive() override;
  SqliteArchive(const SqliteArchive&) = delete;
  SqliteArchive& operator=(const SqliteArchive&) = delete;

  const std::string& Path() const { return path_; }

  // ---- the host's view ------------------------------------------------------

  // With `regional` True: the patient whose regional code (Tessera) equals
  // `code` exactly, else the one whose codice fiscale equals it without regard
  // to letter case; the lowest ID wins among several. With `regional` False
  // the code is read as the patient's ID: decimal digits, with blanks around
  // them allowed on either side. An empty code finds nobody.
  std::shared_ptr<host::Patient> DaiPazienteRegionale(const std::string& code,
                                                      bool regional) override;

  // ---- direct access (CLI, scripts, tests, views) ---------------------------

  // Adds a patient and returns the new ID. The record is normalised
  // (NormalisePatientRecord) and the birth date is stored as dd/mm/yyyy with
  // two-digit day and month. Throws RuntimeError 5 for a record that
  // CheckPatientRecord refuses, 457 when another patient already has the same
  // regional code or codice fiscale (compared without case), ArchiveError when
  // the database fails.
  int64_t AddPatient(const PatientRecord& p);
  // Adds the patients in one transaction, each as AddPatient would (a
  // duplicate of an earlier record of the same batch is a duplicate too), and
  // says what became of each, in order. When the database fails, nothing of
  // the batch is kept and ArchiveError is thrown.
  std::vector<AddPatientOutcome> AddPatients(const std::vector<PatientRecord>& batch);
  std::vector<PatientRecord> ListPatients();
  std::optional<PatientRecord> FindPatient(int64_t id);

  // Saves an exam or a visit of a patient as the chart's Salva does: true when
  // saved (durably), false for an unknown patient or broken arguments. Throws
  // RuntimeError when the database fails.
  bool SaveExam(int64_t patient_id, const host::ExamSaveArgs& args);
  bool SaveVisit(int64_t patient_id, const host::VisitSaveArgs& args);

  // Whether SaveExam, SaveExamInGroup or SaveVisit would take these
  // arguments for the patient: what a dry run answers. Throws as they do
  // when the database fails.
  bool AcceptsExam(int64_t patient_id, const host::ExamSaveArgs& args);
  bool AcceptsVisit(int64_t patient_id, const host::VisitSaveArgs& args);

  std::vector<ChartEntry> Exams(int64_t patient_id);
  std::vector<ChartEntry> Visits(int64_t patient_id);

  // The chart lists as the host hands them out.
  std::vector<host::ChartItem> ExamList(int64_t patient_id);
  std::vector<host::ChartItem> VisitList(int64_t patient_id);

  // ---- groups of automatic exams --------------------------------------------
  //
  // ClearEsamiAutomatici opens a group for the patient (dropping any group
  // still open for that patient, unsaved); every Salva until
  // SalvaEsamiAutomatici is checked at once (True or False as ever) but kept
  // in memory; SalvaEsamiAutomatici writes the whole group in one transaction.
  // So a group reaches the chart whole or not at all; a group that is never
  // committed (the process dies, the archive closes) leaves no trace.
  void BeginAutomaticGroup(int64_t patient_id);
  // True while a group is open for the patient.
  bool AutomaticGroupOpen(int64_t patient_id) const;
  // Saves the open group (nothing when none is open). Throws RuntimeError when
  // the database fails; the group is then dropped.
  void CommitAutomaticGroup(int64_t patient_id);
  // Exam saves of the open group: true when taken into the group, false as
  // SaveExam.
  bool SaveExamInGroup(int64_t patient_id, const host::ExamSaveArgs& args);

  // ---- test hooks -------------------------------------------------------------

  // Scripts the results of the next chart saves (exams and visits, in call
  // order): an Empty entry lets that save run normally, any other value (Null,
  // False ...) is returned as is and nothing is saved.
  void ForTestingScriptSaveResults(std::vector<host::Variant> results);

  // Closes the database and opens it again read-only: from then on every
  // write (a save, a group, a new patient) throws RuntimeError 70 while
  // reading goes on working, as with a file made read-only under the host.
  void ForTestingReopenReadOnly();

  // Calls `hook` at the start of every save of a chart (the host's
  // ClearEsamiAutomatici, Salva and SalvaEsamiAutomatici), before anything is
  // written; a hook that ends the process there stops the host at that save.
  void ForTestingBeforeEachChartSave(std::function<void()> hook) { before_save_ = std::move(hook); }

  // Exposed for the chart objects.
  std::optional<host::Variant> TakeScriptedResult();
  void BeforeChartSave() {
    if (before_save_) before_save_();
  }

 private:
  SqliteArchive(std::string path, sqlite3* db);
  // Read-only access to an archive on a read-only file system.
  static std::shared_ptr<SqliteArchive> OpenImmutable(const std::string& path);

  struct PendingExam {
    std::vector<host::Variant> args;
  };

  bool PatientExists(int64_t id);
  void InsertExams(int64_t patient_id, const std::vector<std::vector<host::Variant>>& rows,
                   bool automatic);
  std::vector<ChartEntry> Entries(const char* sql, int64_t patient_id, bool exams);

  std::string path_;
  sqlite3* db_;
  std::map<int64_t, std::vector<PendingExam>> groups_;  // open groups, by patient
  std::deque<host::Variant> scripted_results_;
  std::function<void()> before_save_;
};

}  // namespace lirvo::standin
