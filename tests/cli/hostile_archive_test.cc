// `lirvo` against archives in the states users meet them: not a database,
// locked by another process's write transaction, read-only. Each command says
// what is wrong with the path, never points at a command that would replace
// the archive, and never swaps the file under another process.
// Also against hostile text: blank-padded and blank codes, a huge field,
// control characters in bundles and in patients' names. The archive's answer
// on a code as each command gives it, bounded output, nothing that can drive
// the terminal.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <optional>
#include <string>
#include <vector>

#include "base/file_system.h"
#include "base/utf8.h"
#include "cli/run_lirvo.h"
#include "standin/archive.h"
#include "standin/installation.h"
#include "support/other_connection.h"
#include "support/temp_dir.h"

namespace lirvo::cli {
namespace {

using lirvo::test_support::OtherConnection;
using test_support::Lirvo;
using test_support::RunResult;

class HostileArchiveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    standin::ForTestingSetArchiveBusyTimeout(50);
    standin::LayOutInstallation(RealFileSystem(), inst_, false);
    standin::SqliteArchive::Open(inst_.ArchiveFile())
        ->AddPatient({0, "ROSSI", "MARIO", "01/02/1950", "RSSMRA50B01H501U", "8000031415"});
    RealFileSystem().WriteFile(dir_.File("p.csv"),
                               "cognome;nome;data_nascita;codice_fiscale;tessera\n"
                               "BIANCHI;LUCIA;15/07/1982;;8000039334\n");
    RealFileSystem().WriteFile(dir_.File("s.lirvo"), "dump config\n");
  }
  void TearDown() override { standin::ForTestingSetArchiveBusyTimeout(5000); }

  // `args` with "@" standing for the installation folder.
  RunResult Run(std::vector<std::string> args) {
    for (auto& a : args) {
      if (a == "@") a = dir_.path();
    }
    return Lirvo(args);
  }

  lirvo::test_support::TempDir dir_;
  standin::Installation inst_{dir_.path()};
};

TEST_F(HostileArchiveTest, EachCommandSaysWhatIsWrongWithTheArchive) {
  enum State { kNotADatabase, kWriterInTransaction };
  const std::vector<std::string> add = {"patients", "add",        "VERDI",     "GINO", "01/01/1960",
                                        "",         "8000000001", "--install", "@"};
  const std::vector<std::string> import = {"patients", "import", dir_.File("p.csv"), "--install",
                                           "@"};
  const struct Case {
    State state;
    std::vector<std::string> args;
    int code;
    const char* says;  // part of the message on standard error, "" for none
  } cases[] = {
      // chart and patients import open the archive as patients list and add do.
      {kNotADatabase, {"patients", "list", "--install", "@"}, 1, "not a usable archive"},
      {kNotADatabase, add, 1, "not a usable archive"},
      {kNotADatabase, {"run", "--install", "@", dir_.File("s.lirvo")}, 1, "not a usable archive"},
      {kNotADatabase, {"init", "@", "--force"}, 1, "not a usable archive"},
      {kWriterInTransaction, add, 1, "locked by another process"},
      {kWriterInTransaction, import, 1, "locked by another process"},
      {kWriterInTransaction, {"init", "@", "--force"}, 1, "locked by another process"},
      {kWriterInTransaction, {"chart", "1", "--install", "@"}, 0, ""},  // readers go on
  };
  const std::string good_archive = RealFileSystem().ReadFile(inst_.ArchiveFile());
  const std::string junk = "PK\x03\x04 not a database " + std::string(4096, '\x01');
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args[0] + " " + c.args[1] +
                 (c.state == kNotADatabase ? " (junk)" : " (locked)"));
    RealFileSystem().WriteFile(inst_.ArchiveFile(), c.state == kNotADatabase ? junk : good_archive);
    RealFileSystem().WriteFile(inst_.ConfigFile(), "<mine/>");
    std::optional<OtherConnection> writer;
    if (c.state == kWriterInTransaction) {
      writer.emplace(inst_.ArchiveFile());
      ASSERT_EQ(writer->BeginWriting("W1"), 0);
    }
    const RunResult r = Run(c.args);
    EXPECT_EQ(r.code, c.code) << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    if (c.code != 0) {
      EXPECT_NE(r.err.find(inst_.ArchiveFile() + ": "), std::string::npos) << r.err;
    }
    for (const char* advice : {"--force", "make one", "run lirvo init"}) {
      EXPECT_EQ(r.err.find(advice), std::string::npos) << r.err;
    }
    // A refused init replaced nothing.
    EXPECT_EQ(RealFileSystem().ReadFile(inst_.ConfigFile()), "<mine/>");
    if (c.state == kNotADatabase) {
      EXPECT_EQ(RealFileSystem().ReadFile(inst_.ArchiveFile()), junk);
    } else {
      // The writer's transaction commits into the archive everyone sees.
      ASSERT_EQ(writer->Exec("COMMIT"), 0);
      writer.reset();
      const RunResult list = Run({"patients", "list", "--install", "@"});
      EXPECT_NE(list.out.find("ALTRO"), std::string::npos) << list.out;
    }
  }
}

// Tests run as root, for whom a read-only file is writable: the case runs in a
// child process that has given up root.
TEST_F(HostileArchiveTest, AReadOnlyArchiveIsCalledSo) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to switch to another user";
  ASSERT_EQ(::chmod(dir_.path().c_str(), 0555), 0);
  ASSERT_EQ(::chmod(inst_.ArchiveFile().c_str(), 0444), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    int failed = 0;
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(100);
    const RunResult add =
        Run({"patients", "add", "VERDI", "GINO", "01/01/1960", "", "1", "--install", "@"});
    if (add.code != 1) failed |= 1;
    if (add.err.find(inst_.ArchiveFile() + ": the archive is read-only") == std::string::npos) {
      failed |= 2;
    }
    const RunResult list = Run({"patients", "list", "--install", "@"});
    if (list.code != 0 || list.out.find("ROSSI") == std::string::npos) failed |= 4;
    ::_exit(failed);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ::chmod(dir_.path().c_str(), 0755);
  ASSERT_TRUE(WIFEXITED(status));
  // 1: exit status, 2: message of add; 4: list cannot read a read-only archive.
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

// True when `s` holds a C0 control other than a line break, DEL, or a C1
// control (U+0080 to U+009F, or a stray byte that a terminal may read as one).
bool HasControlCharacters(const std::string& s) {
  for (size_t i = 0; i < s.size(); ++i) {
    const auto c = static_cast<unsigned char>(s[i]);
    if ((c < 0x20 && c != '\n') || c == 0x7f) return true;
    // C1 controls, U+0080 to U+009F, are C2 80 to C2 9F in UTF-8.
    if (c == 0xc2 && i + 1 < s.size() && static_cast<unsigned char>(s[i + 1]) < 0xa0) return true;
  }
  return !IsValidUtf8(s);  // a stray byte that a terminal may read as a C1 control
}

class HostileTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    standin::LayOutInstallation(RealFileSystem(), inst_, false);
    auto archive = standin::SqliteArchive::Open(inst_.ArchiveFile());
    archive->AddPatient({0, "ROSSI", "MARIO", "01/02/1950", "RSSMRA50B01H501U", "8000031415"});
    archive->AddPatient({0, "EVIL\x1b]0;pwned\x07", "X\x1b[2J\xc2\x9b", "01/01/1970",
                         std::string("C\0F", 3), "666"});
    // A surname of 10,000 characters, from before the archive capped them.
    lirvo::test_support::OtherConnection(inst_.ArchiveFile())
        .Exec(
            "INSERT INTO patients(cognome, nome, data_nascita, codice_fiscale, tessera) "
            "VALUES(printf('%.*c', 10000, 'Z'), 'LUNGO', '01/01/1970', '', '777')");
    RealFileSystem().WriteFile(dir_.File("s.lirvo"),
                               "patient add E F 01/01/2000 \"\" \" 8000031415 \"\n");
    RealFileSystem().WriteFile(
        dir_.File("b.dat"),
        "#01#REF202400000000001RSSMRA48C12H501C0101202403150930RAD00120240314 RADIOLOGIA\n"
        "#04#88.73.5\x1b[31m ECO\n"
        "Testo \x1b]0;pwned\x07 con \x81 escape e \x7f.\n");
  }

  lirvo::test_support::TempDir dir_;
  standin::Installation inst_{dir_.path()};
};

TEST_F(HostileTextTest, OneRuleForCodesAndVisibleBoundedOutput) {
  // How codes are normalised and checked is the archive's; each command
  // passes them on as they came and says what the archive answered.
  const std::string dir = dir_.path();
  const struct Case {
    std::vector<std::string> args;
    int code;
    std::string out;  // what standard output holds (a part of it)
    std::string err;  // what standard error holds (a part of it)
  } cases[] = {
      {{"patients", "add", "E", "F", "01/01/2000", " RSSMRA50B01H501U ", "Q77", "--install", dir},
       1,
       "",
       "a patient with this tessera or codice fiscale exists"},
      {{"patients", "add", "E", "F", "01/01/2000", "", "   ", "--install", dir},
       2,
       "",
       "lirvo patients add: empty tessera\n"},
      {{"run", "--install", dir, dir_.File("s.lirvo")},
       2,
       "another patient has the same regional code or codice fiscale",
       ""},
      {{"chart", " 8000031415 ", "--install", dir}, 0, "patient 1: ROSSI MARIO", ""},
      {{"chart", "2", "--install", dir},
       0,
       "patient 2: EVIL^[]0;pwned^G X^[[2JM-^[, born 01/01/1970, codice fiscale C^@F",
       ""},
      {{"chart", "\x1b[2J", "--install", dir}, 1, "", "no patient ^[[2J"},
      {{"patients", "list", "--install", dir},
       0,
       "2   EVIL^[]0;pwned^G" + std::string(26, ' ') + "X^[[2JM-^[  01/01/1970  C^@F",
       ""},
      {{"parse", dir_.File("b.dat")},
       0,
       "exams 88.73.5^[\n    Testo ^[]0;pwned^G con M-^A escape e ^?.",
       ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args[0] + " " + c.args[1]);
    const RunResult r = Lirvo(c.args);
    EXPECT_EQ(r.code, c.code) << r.err;
    EXPECT_NE(r.out.find(c.out), std::string::npos) << r.out;
    EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
    if (c.args[0] != "run") {  // the transcript is JSON, escaped on its own
      EXPECT_FALSE(HasControlCharacters(r.out)) << r.out;
      EXPECT_FALSE(HasControlCharacters(r.err)) << r.err;
    }
  }
  // The 10,000-character surname takes one 40-character column.
  const RunResult list = Lirvo({"patients", "list", "--install", dir});
  EXPECT_LT(list.out.size(), 1000u);
  EXPECT_NE(list.out.find(std::string(37, 'Z') + "...  LUNGO"), std::string::npos) << list.out;
}

}  // namespace
}  // namespace lirvo::cli
