// A second connection to an SQLite database, standing for another process
// that has the archive open (SQLite's locks hold between connections of one
// process as between processes).
#pragma once

#include <sqlite3.h>

#include <stdexcept>
#include <string>

namespace lirvo::test_support {

class OtherConnection {
 public:
  explicit OtherConnection(const std::string& path) {
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
      sqlite3_close(db_);
      throw std::runtime_error("cannot open " + path);
    }
  }
  ~OtherConnection() { sqlite3_close_v2(db_); }
  OtherConnection(const OtherConnection&) = delete;
  OtherConnection& operator=(const OtherConnection&) = delete;

  // Runs `sql` and gives SQLite's result code.
  int Exec(const std::string& sql) {
    return sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr);
  }

  // Starts a write transaction that adds a patient, left open.
  int BeginWriting(const std::string& tessera) {
    const int rc = Exec("BEGIN IMMEDIATE");
    return rc != SQLITE_OK ? rc : AddPatient(tessera);
  }
  int AddPatient(const std::string& tessera) {
    return Exec(
        "INSERT INTO patients(cognome, nome, data_nascita, codice_fiscale, tessera) "
        "VALUES('ALTRO', 'PROCESSO', '01/01/1970', '', '" +
        tessera + "')");
  }

 private:
  sqlite3* db_ = nullptr;
};

}  // namespace lirvo::test_support
