// `lirvo` against archives in the states users meet them: not a database,
// locked by another process's write transaction, read-only. Each command says
// what is wrong with the path, never points at a command that would replace
// the archive, and never swaps the file under another process.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <optional>
#include <string>
#include <vector>

#include "base/file_system.h"
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
      {kNotADatabase, {"patients", "list", "--install", "@"}, 1, "not a usable archive"},
      {kNotADatabase, add, 1, "not a usable archive"},
      {kNotADatabase, import, 1, "not a usable archive"},
      {kNotADatabase, {"chart", "1", "--install", "@"}, 1, "not a usable archive"},
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

}  // namespace
}  // namespace lirvo::cli
