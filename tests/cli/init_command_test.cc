#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/file_system.h"
#include "cli/run_lirvo.h"
#include "demo/demo_data.h"
#include "standin/archive.h"
#include "standin/installation.h"
#include "support/temp_dir.h"

namespace lirvo::cli {
namespace {

using test_support::Lirvo;
using test_support::RunResult;

TEST(InitCommandTest, LaysOutAnInstallationAndRefusesASecondOneWithoutForce) {
  lirvo::test_support::TempDir dir;
  const std::string root = dir.File("inst");
  RunResult r = Lirvo({"init", root});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "installation laid out in " + root + "\n");
  EXPECT_TRUE(standin::InstallationExists(RealFileSystem(), standin::Installation(root)));
  EXPECT_TRUE(RealFileSystem().FileExists(root + "/plugin/Styles/REFLastDouble.png"));

  standin::SqliteArchive::Open(root + "/archive.db")
      ->AddPatient({0, "ROSSI", "MARIO", "01/02/1950", "", "1"});
  r = Lirvo({"init", root, "--demo"});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "lirvo init: " + root +
                       " already holds an installation (archive.db or plugin/Config.xml); use "
                       "--force to replace them\n");
  EXPECT_EQ(standin::SqliteArchive::Open(root + "/archive.db")->ListPatients().size(), 1u);

  r = Lirvo({"init", root, "--force"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_TRUE(standin::SqliteArchive::Open(root + "/archive.db")->ListPatients().empty());
}

TEST(InitCommandTest, DemoAddsPatientsBundlesAndTranscodings) {
  lirvo::test_support::TempDir dir;
  const RunResult r = Lirvo({"init", dir.path(), "--demo"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "installation laid out in " + dir.path() + "\n" +
                       std::to_string(demo::DemoPatients().size()) +
                       " demo patients, 3 demo bundles in " + dir.path() +
                       "/documents/, 6 transcoding entries\n");
  auto archive = standin::SqliteArchive::Open(dir.File("archive.db"));
  const auto patients = archive->ListPatients();
  ASSERT_EQ(patients.size(), demo::DemoPatients().size());
  EXPECT_NE(archive->DaiPazienteRegionale(patients[3].codice_fiscale, true), nullptr);

  FileSystem& fs = RealFileSystem();
  const std::string bundle = fs.ReadFile(dir.File("documents/referti_novembre.dat"));
  EXPECT_TRUE(bundle.starts_with("#01#"));
  EXPECT_NE(bundle.find("\r\n"), std::string::npos);
  EXPECT_EQ(bundle.find("\xc3"), std::string::npos);  // single-byte, not UTF-8
  // Some reports name patients the archive does not hold.
  size_t unknown = 0;
  for (size_t at = bundle.find("#01#"); at != std::string::npos; at = bundle.find("#01#", at + 4)) {
    const std::string code = bundle.substr(at + 4 + 18, 16);
    const auto end = code.find_last_not_of(' ');
    unknown += archive->DaiPazienteRegionale(code.substr(0, end + 1), true) == nullptr;
  }
  EXPECT_GT(unknown, 0u);
  EXPECT_NE(fs.ReadFile(dir.File("plugin/TrascodificaLirvo.xml")).find("<codice>HB</codice>"),
            std::string::npos);
}

TEST(InitCommandTest, UnwritableFolderFails) {
  lirvo::test_support::TempDir dir;
  RealFileSystem().WriteFile(dir.File("file"), "x");
  const RunResult r = Lirvo({"init", dir.File("file/inst")});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "lirvo init: " + dir.File("file") + ": is not a folder\n");
}

}  // namespace
}  // namespace lirvo::cli
