#include "standin/archive.h"

#include <sqlite3.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <utility>

#include "base/dates.h"
#include "base/runtime_error.h"
#include "base/text.h"
#include "standin/chart_json.h"

namespace lirvo::standin {
namespace {

// The arguments that the chart lists show (positions in host/host.h).
using host::kExamArgCount;
using host::kVisitArgCount;
constexpr size_t kExamData = host::kExamArgReportDate;
constexpr size_t kExamIdrif1 = host::kExamArgClinoraId;
constexpr size_t kExamT1 = host::kExamArgValue;
constexpr size_t kExamIdrif4 = host::kExamArgCode;
constexpr size_t kVisitData = host::kVisitArgReportDate;
constexpr size_t kVisitIdrif4 = host::kVisitArgReference;

constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS patients(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  cognome TEXT NOT NULL,
  nome TEXT NOT NULL,
  data_nascita TEXT NOT NULL,
  codice_fiscale TEXT NOT NULL,
  tessera TEXT NOT NULL);
CREATE INDEX IF NOT EXISTS patients_tessera ON patients(tessera);
CREATE INDEX IF NOT EXISTS patients_codice_fiscale ON patients(codice_fiscale COLLATE NOCASE);
CREATE TABLE IF NOT EXISTS exams(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  patient_id INTEGER NOT NULL REFERENCES patients(id),
  data TEXT, idrif1 TEXT, idrif4 TEXT, t1 TEXT,
  args TEXT NOT NULL,
  automatic INTEGER NOT NULL DEFAULT 0,
  group_no INTEGER NOT NULL DEFAULT 0);
CREATE INDEX IF NOT EXISTS exams_patient ON exams(patient_id);
CREATE INDEX IF NOT EXISTS exams_group ON exams(group_no);
CREATE TABLE IF NOT EXISTS visits(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  patient_id INTEGER NOT NULL REFERENCES patients(id),
  data TEXT, idrif4 TEXT,
  args TEXT NOT NULL);
CREATE INDEX IF NOT EXISTS visits_patient ON visits(patient_id);
)sql";

// Why the file at `path` (or its folder) cannot be written, "" when it can.
std::string WhyNotWritable(const std::string& path) {
  const auto why = [](int error, const char* what) -> std::string {
    return error == EROFS ? "read-only file system" : what;
  };
  if (::access(path.c_str(), W_OK) != 0 && errno != ENOENT) {
    return why(errno, "the file cannot be written");
  }
  const std::string folder = std::filesystem::path(path).parent_path().string();
  if (::access(folder.empty() ? "." : folder.c_str(), W_OK) != 0) {
    return why(errno, "its folder cannot be written");
  }
  return "";
}

[[noreturn]] void ThrowSqlite(const std::string& path, int code) {
  const std::string detail = sqlite3_errstr(code);
  switch (code & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      throw ArchiveError(ArchiveProblem::kLocked, path, detail);
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
      throw ArchiveError(ArchiveProblem::kCorrupt, path, detail);
    case SQLITE_FULL:
      throw ArchiveError(ArchiveProblem::kDiskFull, path, detail);
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH: {
      const std::string why = WhyNotWritable(path);
      throw ArchiveError(ArchiveProblem::kReadOnly, path, why.empty() ? detail : why);
    }
    default:
      break;
  }
  if ((code & 0xff) == SQLITE_CANTOPEN || (code & 0xff) == SQLITE_IOERR) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
      throw ArchiveError(ArchiveProblem::kMissing, path, "no such file");
    }
    // A database on a read-only file system cannot be opened for writing (the
    // -shm file cannot be made): say so rather than "cannot open".
    if (std::string why = WhyNotWritable(path); !why.empty()) {
      throw ArchiveError(ArchiveProblem::kReadOnly, path, why);
    }
  }
  throw ArchiveError(ArchiveProblem::kOther, path, detail);
}

[[noreturn]] void ThrowSqlite(sqlite3* db, int code) {
  const char* name = sqlite3_db_filename(db, "main");
  ThrowSqlite(name == nullptr ? std::string() : std::string(name), code);
}

void Check(sqlite3* db, int rc) {
  if (rc != SQLITE_OK && rc != SQLITE_ROW && rc != SQLITE_DONE) ThrowSqlite(db, rc);
}

void Exec(sqlite3* db, const char* sql) {
  Check(db, sqlite3_exec(db, sql, nullptr, nullptr, nullptr));
}

// A prepared statement, finalised on every exit path.
class Statement {
 public:
  Statement(sqlite3* db, const char* sql) : db_(db) {
    Check(db_, sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr));
  }
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  Statement& Bind(int index, int64_t value) {
    Check(db_, sqlite3_bind_int64(stmt_, index, value));
    return *this;
  }
  Statement& Bind(int index, const std::string& value) {
    Check(db_, sqlite3_bind_text(stmt_, index, value.data(), static_cast<int>(value.size()),
                                 SQLITE_TRANSIENT));
    return *this;
  }
  // A list field: NULL for Null, its text otherwise.
  Statement& BindField(int index, const host::Variant& value) {
    if (std::holds_alternative<host::Null>(value)) {
      Check(db_, sqlite3_bind_null(stmt_, index));
      return *this;
    }
    return Bind(index, host::Describe(value));
  }
  // True while there is a row.
  bool Step() {
    const int rc = sqlite3_step(stmt_);
    Check(db_, rc);
    return rc == SQLITE_ROW;
  }
  // Ready to run again with new values.
  void Reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
  }
  int64_t Int(int column) { return sqlite3_column_int64(stmt_, column); }
  std::string Text(int column) {
    const auto* p = sqlite3_column_text(stmt_, column);
    return p == nullptr ? std::string()
                        : std::string(reinterpret_cast<const char*>(p),
                                      static_cast<size_t>(sqlite3_column_bytes(stmt_, column)));
  }

 private:
  sqlite3* db_;
  sqlite3_stmt* stmt_ = nullptr;
};

// BEGIN IMMEDIATE ... COMMIT, rolled back when left without Commit.
class Transaction {
 public:
  enum Begun { kAlreadyBegun };
  explicit Transaction(sqlite3* db) : db_(db) { Exec(db_, "BEGIN IMMEDIATE"); }
  // Takes over a transaction the caller began.
  Transaction(sqlite3* db, Begun) : db_(db) {}
  ~Transaction() {
    if (!done_) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  }
  void Commit() {
    Exec(db_, "COMMIT");
    done_ = true;
  }

 private:
  sqlite3* db_;
  bool done_ = false;
};

// Arguments the archive can store: no objects, finite numbers, and the item's
// date a real dd/mm/yyyy date.
bool UsableArgs(const std::vector<host::Variant>& args, size_t date_index) {
  for (const auto& a : args) {
    if (std::holds_alternative<std::shared_ptr<host::Dispatch>>(a)) return false;
    if (auto d = std::get_if<double>(&a); d != nullptr && !std::isfinite(*d)) return false;
  }
  auto date = std::get_if<std::string>(&args[date_index]);
  return date != nullptr && ParseDate(*date).has_value();
}

std::string ArgsToJson(const std::vector<host::Variant>& args) {
  nlohmann::ordered_json j = nlohmann::ordered_json::array();
  for (const auto& a : args) j.push_back(VariantToJson(a));
  return j.dump();
}

std::vector<host::Variant> ArgsFromJson(const std::string& text, size_t count) {
  std::vector<host::Variant> args;
  const auto j = nlohmann::ordered_json::parse(text, nullptr, /*allow_exceptions=*/false);
  if (j.is_array()) {
    for (const auto& e : j) args.push_back(VariantFromJson(e));
  }
  args.resize(count, std::string());
  return args;
}

PatientRecord ReadPatient(Statement& s) {
  return {s.Int(0), s.Text(1), s.Text(2), s.Text(3), s.Text(4), s.Text(5)};
}

// ---- the chart objects --------------------------------------------------------

class StandinExamReports final : public host::ExamReports {
 public:
  StandinExamReports(std::shared_ptr<SqliteArchive> archive, int64_t patient_id)
      : archive_(std::move(archive)), patient_id_(patient_id) {}

  std::vector<host::ChartItem> Lista() override { return archive_->ExamList(patient_id_); }
  void ClearEsamiAutomatici() override {
    archive_->BeforeChartSave();
    archive_->BeginAutomaticGroup(patient_id_);
  }
  host::Variant Salva(const host::ExamSaveArgs& args) override {
    archive_->BeforeChartSave();
    if (auto scripted = archive_->TakeScriptedResult()) return *scripted;
    if (archive_->AutomaticGroupOpen(patient_id_)) {
      return archive_->SaveExamInGroup(patient_id_, args);
    }
    return archive_->SaveExam(patient_id_, args);
  }
  void SalvaEsamiAutomatici() override {
    archive_->BeforeChartSave();
    archive_->CommitAutomaticGroup(patient_id_);
  }

 private:
  std::shared_ptr<SqliteArchive> archive_;
  int64_t patient_id_;
};

class StandinVisitReports final : public host::VisitReports {
 public:
  StandinVisitReports(std::shared_ptr<SqliteArchive> archive, int64_t patient_id)
      : archive_(std::move(archive)), patient_id_(patient_id) {}

  std::vector<host::ChartItem> Lista() override { return archive_->VisitList(patient_id_); }
  host::Variant Salva(const host::VisitSaveArgs& args) override {
    archive_->BeforeChartSave();
    if (auto scripted = archive_->TakeScriptedResult()) return *scripted;
    return archive_->SaveVisit(patient_id_, args);
  }

 private:
  std::shared_ptr<SqliteArchive> archive_;
  int64_t patient_id_;
};

class StandinPatient final : public host::Patient {
 public:
  StandinPatient(std::shared_ptr<SqliteArchive> archive, PatientRecord record)
      : archive_(std::move(archive)), record_(std::move(record)) {}

  host::Variant ID() const override { return record_.id; }
  std::string Cognome() const override { return record_.cognome; }
  std::string Nome() const override { return record_.nome; }
  std::string DataNascita() const override { return record_.data_nascita; }
  std::string CodiceFiscale() const override { return record_.codice_fiscale; }
  std::string Tessera() const override { return record_.tessera; }
  // The same chart objects on every call, like a property of the host object.
  std::shared_ptr<host::ExamReports> RefertiEsami() override {
    if (!exams_) exams_ = std::make_shared<StandinExamReports>(archive_, record_.id);
    return exams_;
  }
  std::shared_ptr<host::VisitReports> RefertiVisite() override {
    if (!visits_) visits_ = std::make_shared<StandinVisitReports>(archive_, record_.id);
    return visits_;
  }

 private:
  std::shared_ptr<SqliteArchive> archive_;
  PatientRecord record_;
  std::shared_ptr<host::ExamReports> exams_;
  std::shared_ptr<host::VisitReports> visits_;
};

}  // namespace

namespace {

std::atomic<int> busy_timeout_ms{5000};

// Milliseconds as seconds for a message: "5", "0.1".
std::string FormatSeconds(int ms) {
  std::string s = std::to_string(ms / 1000);
  if (ms % 1000 != 0) {
    std::string fraction = std::to_string(1000 + ms % 1000).substr(1);
    while (fraction.back() == '0') fraction.pop_back();
    s += "." + fraction;
  }
  return s;
}

}  // namespace

int ArchiveBusyTimeoutMs() { return busy_timeout_ms.load(); }

void ForTestingSetArchiveBusyTimeout(int ms) { busy_timeout_ms.store(ms); }

ArchiveError::ArchiveError(ArchiveProblem problem, std::string path, std::string detail)
    : RuntimeError(problem == ArchiveProblem::kMissing    ? kErrFileNotFound
                   : problem == ArchiveProblem::kReadOnly ? kErrPermissionDenied
                                                          : kErrPathFileAccess),
      problem_(problem),
      path_(std::move(path)),
      detail_(std::move(detail)) {}

std::string ArchiveError::Explain() const {
  switch (problem_) {
    case ArchiveProblem::kMissing:
      return path_ + ": no archive there";
    case ArchiveProblem::kReadOnly:
      return path_ + ": the archive is read-only (" + detail_ + ")";
    case ArchiveProblem::kCorrupt:
      return path_ + ": the file is not a usable archive (" + detail_ +
             "); it was left as it is: restore it from a backup";
    case ArchiveProblem::kLocked:
      return path_ + ": the archive is locked by another process (still busy after " +
             FormatSeconds(ArchiveBusyTimeoutMs()) +
             " s); try again when that process has finished";
    case ArchiveProblem::kDiskFull:
      return path_ + ": the disk is full (" + detail_ + ")";
    case ArchiveProblem::kOther:
      break;
  }
  return path_ + ": " + detail_;
}

namespace {

std::string_view TrimSpace(std::string_view s) {
  constexpr std::string_view kSpace = " \t\r\n\v\f";
  const size_t first = s.find_first_not_of(kSpace);
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(kSpace) - first + 1);
}

}  // namespace

PatientRecord NormalisePatientRecord(PatientRecord p) {
  for (std::string* field : {&p.cognome, &p.nome, &p.data_nascita, &p.codice_fiscale, &p.tessera}) {
    *field = std::string(TrimSpace(*field));
  }
  return p;
}

std::string CheckPatientRecord(const PatientRecord& record) {
  const PatientRecord p = NormalisePatientRecord(record);
  const std::pair<const char*, const std::string*> fields[] = {
      {"cognome", &p.cognome},
      {"nome", &p.nome},
      {"codice fiscale", &p.codice_fiscale},
      {"tessera", &p.tessera}};
  for (const auto& [name, value] : fields) {
    if (CharCount(*value) > kMaxPatientField) {
      return std::string(name) + " longer than " + std::to_string(kMaxPatientField) + " characters";
    }
  }
  if (p.cognome.empty()) return "empty cognome";
  if (p.nome.empty()) return "empty nome";
  if (p.data_nascita.size() > 10 || !ParseDate(p.data_nascita)) {
    return "invalid birth date: " + std::string(Left(p.data_nascita, 20)) +
           (CharCount(p.data_nascita) > 20 ? "..." : "");
  }
  if (p.tessera.empty()) return "empty tessera";
  return "";
}

// ---- opening ------------------------------------------------------------------

std::shared_ptr<SqliteArchive> SqliteArchive::Open(const std::string& path, OpenMode mode) {
  int flags = SQLITE_OPEN_FULLMUTEX;
  switch (mode) {
    case OpenMode::kCreate:
      flags |= SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
      break;
    case OpenMode::kMustExist:
      flags |= SQLITE_OPEN_READWRITE;
      break;
    case OpenMode::kReadOnly:
      flags |= SQLITE_OPEN_READONLY;
      break;
  }
  sqlite3* db = nullptr;
  const int rc = sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
  if (rc != SQLITE_OK) {
    sqlite3_close(db);
    ThrowSqlite(path, rc);
  }
  // From here the archive owns the handle and closes it on every exit path.
  std::shared_ptr<SqliteArchive> archive(new SqliteArchive(path, db));
  sqlite3_busy_timeout(db, ArchiveBusyTimeoutMs());  // another lirvo process may be writing
  Exec(db, "PRAGMA foreign_keys=ON");
  if (mode != OpenMode::kReadOnly) {
    // WAL keeps readers and the writer apart and makes each commit one append;
    // FULL makes that append reach the disk before COMMIT returns. NORMAL would
    // keep the file consistent but could lose the last saves to a power cut,
    // and a save the plug-in was told succeeded must stay saved. Saves come one
    // per report value, so the cost of the sync is not felt.
    Exec(db, "PRAGMA journal_mode=WAL");
    Exec(db, "PRAGMA synchronous=FULL");
    Exec(db, kSchema);
  } else {
    try {
      Statement probe(db, "SELECT count(*) FROM patients");  // fails on a file that is no archive
      probe.Step();
    } catch (const ArchiveError& e) {
      // On a read-only file system SQLite cannot make the -shm file that WAL
      // reading needs. Nothing can change the file there, so it may be read
      // as immutable, unless a -wal file holds saves not yet in the database.
      std::error_code ec;
      if (e.Problem() != ArchiveProblem::kReadOnly || std::filesystem::exists(path + "-wal", ec)) {
        throw;
      }
      return OpenImmutable(path);
    }
  }
  return archive;
}

std::shared_ptr<SqliteArchive> SqliteArchive::OpenImmutable(const std::string& path) {
  std::string uri = "file:";
  for (const char c : path) {
    if (c == '%' || c == '?' || c == '#') {
      static constexpr char kHex[] = "0123456789ABCDEF";
      uri += {'%', kHex[(c >> 4) & 15], kHex[c & 15]};
    } else {
      uri.push_back(c);
    }
  }
  uri += "?immutable=1";
  sqlite3* db = nullptr;
  const int rc = sqlite3_open_v2(
      uri.c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_FULLMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    sqlite3_close(db);
    ThrowSqlite(path, rc);
  }
  std::shared_ptr<SqliteArchive> archive(new SqliteArchive(path, db));
  Exec(db, "PRAGMA foreign_keys=ON");
  Statement probe(db, "SELECT count(*) FROM patients");
  probe.Step();
  return archive;
}

void SqliteArchive::Reset(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) {
    Open(path, OpenMode::kCreate);
    return;
  }
  sqlite3* raw = nullptr;
  const int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
  std::unique_ptr<sqlite3, int (*)(sqlite3*)> db(raw, sqlite3_close_v2);
  if (rc != SQLITE_OK) ThrowSqlite(path, rc);
  sqlite3_busy_timeout(raw, ArchiveBusyTimeoutMs());
  // The exclusive transaction waits for (or, after the timeout, gives up on)
  // any writer; once it holds, nobody else writes until COMMIT, and readers
  // see either the old archive or the empty one.
  Exec(raw, "BEGIN EXCLUSIVE");
  Transaction rollback_unless_committed(raw, Transaction::kAlreadyBegun);
  std::vector<std::string> tables;
  {
    Statement s(raw,
                "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%'");
    while (s.Step()) tables.push_back(s.Text(0));
  }
  for (const auto& table : tables) {
    Statement drop(raw, ("DROP TABLE \"" + Replace(table, "\"", "\"\"") + "\"").c_str());
    drop.Step();
  }
  Exec(raw, kSchema);
  Exec(raw, "DELETE FROM sqlite_sequence");  // IDs start again from 1
  rollback_unless_committed.Commit();
}

SqliteArchive::SqliteArchive(std::string path, sqlite3* db) : path_(std::move(path)), db_(db) {}

SqliteArchive::~SqliteArchive() { sqlite3_close_v2(db_); }

// ---- patients -----------------------------------------------------------------

std::shared_ptr<host::Patient> SqliteArchive::DaiPazienteRegionale(const std::string& code,
                                                                   bool regional) {
  if (code.empty()) return nullptr;
  std::optional<PatientRecord> found;
  if (regional) {
    Statement s(db_,
                "SELECT id, cognome, nome, data_nascita, codice_fiscale, tessera FROM patients "
                "WHERE tessera = ?1 OR codice_fiscale = ?1 COLLATE NOCASE "
                "ORDER BY tessera = ?1 DESC, id LIMIT 1");
    s.Bind(1, code);
    if (s.Step()) found = ReadPatient(s);
  } else {
    const std::string digits(TrimSpace(code));
    if (!digits.empty() && digits.size() <= 18 &&
        digits.find_first_not_of("0123456789") == std::string::npos) {
      found = FindPatient(std::strtoll(digits.c_str(), nullptr, 10));
    }
  }
  if (!found) return nullptr;
  return std::make_shared<StandinPatient>(shared_from_this(), std::move(*found));
}

int64_t SqliteArchive::AddPatient(const PatientRecord& p) {
  const AddPatientOutcome outcome = AddPatients({p}).front();
  if (outcome.kind == AddPatientOutcome::kRefused) throw RuntimeError(kErrInvalidCall);
  if (outcome.kind == AddPatientOutcome::kDuplicate) throw RuntimeError(kErrDuplicateKey);
  return outcome.id;
}

std::vector<AddPatientOutcome> SqliteArchive::AddPatients(const std::vector<PatientRecord>& batch) {
  std::vector<AddPatientOutcome> outcomes(batch.size());
  Transaction t(db_);
  Statement dup(db_,
                "SELECT 1 FROM patients WHERE tessera = ?1 "
                "OR (?2 <> '' AND codice_fiscale = ?2 COLLATE NOCASE)");
  Statement insert(db_,
                   "INSERT INTO patients(cognome, nome, data_nascita, codice_fiscale, tessera) "
                   "VALUES(?, ?, ?, ?, ?)");
  for (size_t i = 0; i < batch.size(); ++i) {
    AddPatientOutcome& outcome = outcomes[i];
    const PatientRecord p = NormalisePatientRecord(batch[i]);
    if (std::string why = CheckPatientRecord(p); !why.empty()) {
      outcome = {AddPatientOutcome::kRefused, 0, std::move(why)};
      continue;
    }
    dup.Bind(1, p.tessera).Bind(2, p.codice_fiscale);
    const bool duplicate = dup.Step();
    dup.Reset();
    if (duplicate) {
      outcome.kind = AddPatientOutcome::kDuplicate;
      continue;
    }
    insert.Bind(1, p.cognome)
        .Bind(2, p.nome)
        .Bind(3, FormatDate(*ParseDate(p.data_nascita)))
        .Bind(4, p.codice_fiscale);
    insert.Bind(5, p.tessera).Step();
    insert.Reset();
    outcome.id = sqlite3_last_insert_rowid(db_);
  }
  t.Commit();
  return outcomes;
}

std::vector<PatientRecord> SqliteArchive::ListPatients() {
  Statement s(db_,
              "SELECT id, cognome, nome, data_nascita, codice_fiscale, tessera FROM patients "
              "ORDER BY id");
  std::vector<PatientRecord> out;
  while (s.Step()) out.push_back(ReadPatient(s));
  return out;
}

std::optional<PatientRecord> SqliteArchive::FindPatient(int64_t id) {
  Statement s(db_,
              "SELECT id, cognome, nome, data_nascita, codice_fiscale, tessera FROM patients "
              "WHERE id = ?");
  s.Bind(1, id);
  if (!s.Step()) return std::nullopt;
  return ReadPatient(s);
}

bool SqliteArchive::PatientExists(int64_t id) {
  Statement s(db_, "SELECT 1 FROM patients WHERE id = ?");
  s.Bind(1, id);
  return s.Step();
}

// ---- charts -------------------------------------------------------------------

void SqliteArchive::InsertExams(int64_t patient_id,
                                const std::vector<std::vector<host::Variant>>& rows,
                                bool automatic) {
  Transaction t(db_);
  int64_t group = 0;
  if (automatic) {
    Statement g(db_, "SELECT COALESCE(MAX(group_no), 0) + 1 FROM exams");
    g.Step();
    group = g.Int(0);
  }
  for (const auto& args : rows) {
    Statement s(db_,
                "INSERT INTO exams(patient_id, data, idrif1, idrif4, t1, args, automatic, "
                "group_no) VALUES(?, ?, ?, ?, ?, ?, ?, ?)");
    s.Bind(1, patient_id)
        .BindField(2, args[kExamData])
        .BindField(3, args[kExamIdrif1])
        .BindField(4, args[kExamIdrif4])
        .BindField(5, args[kExamT1]);
    s.Bind(6, ArgsToJson(args)).Bind(7, automatic ? 1 : 0).Bind(8, group).Step();
  }
  t.Commit();
}

bool SqliteArchive::AcceptsExam(int64_t patient_id, const host::ExamSaveArgs& args) {
  return UsableArgs(args.ToVector(), kExamData) && PatientExists(patient_id);
}

bool SqliteArchive::AcceptsVisit(int64_t patient_id, const host::VisitSaveArgs& args) {
  return UsableArgs(args.ToVector(), kVisitData) && PatientExists(patient_id);
}

bool SqliteArchive::SaveExam(int64_t patient_id, const host::ExamSaveArgs& args) {
  if (!AcceptsExam(patient_id, args)) return false;
  InsertExams(patient_id, {args.ToVector()}, /*automatic=*/false);
  return true;
}

bool SqliteArchive::SaveVisit(int64_t patient_id, const host::VisitSaveArgs& args) {
  if (!AcceptsVisit(patient_id, args)) return false;
  const auto values = args.ToVector();
  Transaction t(db_);
  Statement s(db_, "INSERT INTO visits(patient_id, data, idrif4, args) VALUES(?, ?, ?, ?)");
  s.Bind(1, patient_id).BindField(2, values[kVisitData]).BindField(3, values[kVisitIdrif4]);
  s.Bind(4, ArgsToJson(values)).Step();
  t.Commit();
  return true;
}

std::vector<ChartEntry> SqliteArchive::Entries(const char* sql, int64_t patient_id, bool exams) {
  Statement s(db_, sql);
  s.Bind(1, patient_id);
  std::vector<ChartEntry> out;
  while (s.Step()) {
    ChartEntry e;
    e.id = s.Int(0);
    e.args = ArgsFromJson(s.Text(1), exams ? kExamArgCount : kVisitArgCount);
    if (exams) {
      e.automatic = s.Int(2) != 0;
      e.group = s.Int(3);
    }
    out.push_back(std::move(e));
  }
  return out;
}

std::vector<ChartEntry> SqliteArchive::Exams(int64_t patient_id) {
  return Entries("SELECT id, args, automatic, group_no FROM exams WHERE patient_id = ? ORDER BY id",
                 patient_id, true);
}

std::vector<ChartEntry> SqliteArchive::Visits(int64_t patient_id) {
  return Entries("SELECT id, args FROM visits WHERE patient_id = ? ORDER BY id", patient_id, false);
}

std::vector<host::ChartItem> SqliteArchive::ExamList(int64_t patient_id) {
  std::vector<host::ChartItem> out;
  for (const auto& e : Exams(patient_id)) {
    out.push_back({e.args[kExamData], e.args[kExamIdrif1], e.args[kExamIdrif4], e.args[kExamT1]});
  }
  return out;
}

std::vector<host::ChartItem> SqliteArchive::VisitList(int64_t patient_id) {
  std::vector<host::ChartItem> out;
  for (const auto& e : Visits(patient_id)) {
    out.push_back({e.args[kVisitData], host::Empty{}, e.args[kVisitIdrif4], host::Empty{}});
  }
  return out;
}

// ---- groups of automatic exams --------------------------------------------------

void SqliteArchive::BeginAutomaticGroup(int64_t patient_id) { groups_[patient_id].clear(); }

bool SqliteArchive::AutomaticGroupOpen(int64_t patient_id) const {
  return groups_.count(patient_id) != 0;
}

bool SqliteArchive::SaveExamInGroup(int64_t patient_id, const host::ExamSaveArgs& args) {
  if (!AcceptsExam(patient_id, args)) return false;
  groups_[patient_id].push_back({args.ToVector()});
  return true;
}

void SqliteArchive::CommitAutomaticGroup(int64_t patient_id) {
  auto it = groups_.find(patient_id);
  if (it == groups_.end()) return;
  std::vector<std::vector<host::Variant>> rows;
  for (auto& pending : it->second) rows.push_back(std::move(pending.args));
  groups_.erase(it);
  if (!rows.empty()) InsertExams(patient_id, rows, /*automatic=*/true);
}

// ---- test hooks -------------------------------------------------------------------

void SqliteArchive::ForTestingScriptSaveResults(std::vector<host::Variant> results) {
  scripted_results_.assign(results.begin(), results.end());
}

void SqliteArchive::ForTestingReopenReadOnly() {
  sqlite3_close_v2(db_);
  db_ = nullptr;
  const int rc =
      sqlite3_open_v2(path_.c_str(), &db_, SQLITE_OPEN_READONLY | SQLITE_OPEN_FULLMUTEX, nullptr);
  if (rc != SQLITE_OK) ThrowSqlite(path_, rc);  // db_ keeps the failed handle, closed later
  sqlite3_busy_timeout(db_, ArchiveBusyTimeoutMs());
}

std::optional<host::Variant> SqliteArchive::TakeScriptedResult() {
  if (scripted_results_.empty()) return std::nullopt;
  host::Variant v = std::move(scripted_results_.front());
  scripted_results_.pop_front();
  if (std::holds_alternative<host::Empty>(v)) return std::nullopt;
  return v;
}

}  // namespace lirvo::standin
