// `lirvo` against hostile and unlucky input: output paths that are no regular
// file, inputs that are folders, an output stream that cannot be written, a
// script that cannot be read to its end.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <streambuf>
#include <string>
#include <tuple>
#include <vector>

#include "base/file_system.h"
#include "cli/cli.h"
#include "cli/script_runner.h"
#include "run_lirvo.h"
#include "support/temp_dir.h"

namespace lirvo::cli {
namespace {

namespace fsys = std::filesystem;
using test_support::Lirvo;
using test_support::RunResult;

class HostileInputTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const std::string& bytes) {
    RealFileSystem().WriteFile(dir_.File(name), bytes);
    return dir_.File(name);
  }
  std::string Fifo(const std::string& name) {
    EXPECT_EQ(::mkfifo(dir_.File(name).c_str(), 0644), 0);
    return dir_.File(name);
  }
  std::string Link(const std::string& name, const std::string& to) {
    fsys::create_symlink(to, dir_.File(name));
    return dir_.File(name);
  }

  lirvo::test_support::TempDir dir_;
};

// Every command that writes a file, on paths that are not a regular file:
// refused with exit 1, saying what the path is, and the path left as it was
// (a FIFO still a FIFO, a link to nothing still leading nowhere). Each kind
// of path is the file system's (hostile_paths_test); these are the commands.
TEST_F(HostileInputTest, OutputsThatAreNoRegularFileAreRefusedAndLeftAsTheyWere) {
  const std::string plain = Write("plain.txt", "referto");
  ASSERT_EQ(Lirvo({"crypto", "encrypt-file", plain, dir_.File("plain.enc")}).code, 0);
  const std::string enc = dir_.File("plain.enc");
  const struct {
    const char* name;
    std::function<std::string()> make;
    PathKind kind;
    std::string says;
  } targets[] = {
      {"fifo", [&] { return Fifo("out.fifo"); }, PathKind::kFifo, "is not a regular file (a FIFO)"},
      {"dangling link", [&] { return Link("dangling", dir_.File("nowhere")); },
       PathKind::kDanglingLink, "is a symbolic link to nothing"},
      {"link to standard output", [&] { return Link("to-stdout", "/proc/self/fd/1"); },
       PathKind::kUnknown, ""},
      {"folder", [&] { return dir_.File("folder"); }, PathKind::kFolder, "is a folder"},
  };
  fsys::create_directory(dir_.File("folder"));
  for (const auto& t : targets) {
    SCOPED_TRACE(t.name);
    const std::string out = t.make();
    const PathKind before = RealFileSystem().KindOf(out);
    if (t.kind != PathKind::kUnknown) {
      ASSERT_EQ(before, t.kind);
    }
    if (before == PathKind::kFile) continue;  // standard output redirected to a file
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"crypto", "encrypt-file", plain, out},
             {"crypto", "encrypt-file", plain, out, "--overwrite"},
             {"crypto", "decrypt-file", enc, out, "--overwrite"},
             {"demo-bundle", out, "--reports", "1"},
         }) {
      const RunResult r = Lirvo(args);
      EXPECT_EQ(r.code, 1) << args[1];
      EXPECT_NE(r.err.find(out + ": " + t.says), std::string::npos) << r.err;
      // clsAES traps the failed write; plain lirvo says so on standard error.
      if (args[0] == "crypto") {
        EXPECT_NE(r.err.find("lirvo: trap in clsAES."), std::string::npos) << r.err;
      }
      EXPECT_EQ(RealFileSystem().KindOf(out), before);
    }
  }
  EXPECT_FALSE(fsys::exists(dir_.File("nowhere")));
  EXPECT_TRUE(fsys::is_empty(dir_.File("folder")));
}

// A pipe as an input file: hostile_shell.sh.
TEST_F(HostileInputTest, FoldersAndDanglingLinksAsInputsAreNamedAsSuch) {
  const std::string folder = dir_.path();
  const std::string dangling = Link("gone", dir_.File("nowhere"));
  for (const auto& [args, code, says] :
       std::vector<std::tuple<std::vector<std::string>, int, std::string>>{
           {{"crypto", "encrypt-file", folder, dir_.File("o")}, 1, folder + ": is a folder"},
           {{"crypto", "decrypt-file-str", folder}, 1, folder + ": is a folder"},
           {{"crypto", "mime-decode", folder}, 2, folder + ": is a folder"},
           {{"crypto", "mime-decode", dangling}, 2, dangling + ": is a symbolic link to nothing"},
           {{"parse", folder}, 2, folder + ": is a folder"},
           {{"run", "--install", folder, folder}, 2, folder + ": is a folder"},
       }) {
    const RunResult r = Lirvo(args);
    EXPECT_EQ(r.code, code) << args[1];
    EXPECT_NE(r.err.find(says), std::string::npos) << r.err;
  }
}

TEST_F(HostileInputTest, AnInputTooLargeForTheContainerSaysSo) {
  const std::string big = dir_.File("big.bin");
  { std::ofstream(big) << ""; }
  fsys::resize_file(big, (uint64_t{1} << 30) + 1);  // sparse: no disk used
  const RunResult r = Lirvo({"crypto", "encrypt-file", big, dir_.File("big.enc")});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find(big + ": too large to encrypt"), std::string::npos) << r.err;
  EXPECT_FALSE(fsys::exists(dir_.File("big.enc")));
}

// Undoing a half-made layout is the installation's own business; the
// command undoes it and names the path in the way.
TEST_F(HostileInputTest, AFailedInitSaysWhatIsInTheWayAndLeavesNothing) {
  const std::string root = dir_.File("inst"), other = dir_.File("other");
  fsys::create_directory(root);
  Write("inst/documents", "a file where the documents folder goes");
  fsys::create_directories(other + "/plugin/Config.xml");
  const struct {
    std::vector<std::string> args;
    std::string path, says;
  } cases[] = {
      {{"init", root, "--demo"}, root + "/documents", "is not a folder"},
      {{"init", other}, other + "/plugin/Config.xml", "is a folder"},
      {{"init", other, "--force"}, other + "/plugin/Config.xml", "is a folder"},
  };
  for (const auto& c : cases) {
    const RunResult r = Lirvo(c.args);
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "lirvo init: " + c.path + ": " + c.says + "\n");
  }
  EXPECT_FALSE(fsys::exists(root + "/plugin"));
  EXPECT_FALSE(fsys::exists(root + "/archive.db"));
}

// A stream buffer that takes nothing, like a file on a full disk.
class FullDiskBuffer final : public std::streambuf {
 protected:
  int overflow(int) override { return traits_type::eof(); }
  std::streamsize xsputn(const char*, std::streamsize) override { return 0; }
};

// Every command writes to the stream that lirvo checks once at the end: a
// command's output, a script's transcript, the help.
TEST_F(HostileInputTest, EveryCommandReportsOutputThatCouldNotBeWritten) {
  const std::string inst = dir_.File("inst");
  ASSERT_EQ(Lirvo({"init", inst, "--demo"}).code, 0);
  const std::string script = Write("s.lirvo", "event registrazione 0\ndump config\n");
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"parse", "--json", inst + "/documents/referti_ottobre.dat"},
           {"run", "--install", inst, "--clock", "01/03/2026 09:00:00", script},
           {"patients", "list", "--install", inst},
           {"--help"},
       }) {
    FullDiskBuffer full;
    std::ostream out(&full);
    std::ostringstream err;
    EXPECT_EQ(RunLirvo(args, out, err), 1) << args[0];
    EXPECT_TRUE(err.str().ends_with("lirvo: write error\n")) << args[0] << ": " << err.str();
  }
}

// A stream buffer whose reads fail after `good` bytes, like a disk error.
class FailingReadBuffer final : public std::streambuf {
 public:
  explicit FailingReadBuffer(std::string good) : good_(std::move(good)) {
    setg(good_.data(), good_.data(), good_.data() + good_.size());
  }

 protected:
  int underflow() override { throw std::ios_base::failure("read error"); }

 private:
  std::string good_;
};

TEST_F(HostileInputTest, AReadErrorEndsTheRunWithAnErrorLine) {
  ASSERT_EQ(Lirvo({"init", dir_.File("inst")}).code, 0);
  FailingReadBuffer buffer("dump config\ndump con");
  std::istream script(&buffer);
  std::ostringstream out;
  ScriptRunner runner(dir_.File("inst"), {2026, 3, 1, 9, 0, 0}, out);
  EXPECT_EQ(runner.Run(script), 2);
  EXPECT_TRUE(script.bad());
  EXPECT_NE(out.str().find(R"({"type":"error","line":2,"message":"cannot read the script"})"),
            std::string::npos)
      << out.str();
}

}  // namespace
}  // namespace lirvo::cli
