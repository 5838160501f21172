// `lirvo` against hostile and unlucky input: output paths that are no regular
// file, inputs that are pipes or folders, an output stream that cannot be
// written, scripts that are not quite text.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <streambuf>
#include <string>
#include <thread>
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

// Every command that writes a file, on every kind of path that is not a
// regular file: refused with exit 1, saying what the path is, and the path
// left as it was (a FIFO still a FIFO, a link to nothing still leading
// nowhere).
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
      {"device", [] { return std::string("/dev/null"); }, PathKind::kDevice,
       "is not a regular file (a device)"},
      {"dangling link", [&] { return Link("dangling", dir_.File("nowhere")); },
       PathKind::kDanglingLink, "is a symbolic link to nothing"},
      {"link to a fifo", [&] { return Link("to-fifo", Fifo("f2")); }, PathKind::kFifo,
       "is not a regular file (a FIFO)"},
      {"link to standard output", [&] { return Link("to-stdout", "/proc/self/fd/1"); },
       PathKind::kUnknown, ""},
      {"folder", [&] { return dir_.File("folder"); }, PathKind::kFolder, "is a folder"},
      {"under a file", [&] { return plain + "/out"; }, PathKind::kUnderAFile,
       "a part of the path is a file, not a folder"},
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

TEST_F(HostileInputTest, ALinkToARegularFileHasItsTargetReplaced) {
  const std::string target = Write("bundle.dat", "old");
  const std::string link = Link("link.dat", target);
  EXPECT_EQ(Lirvo({"demo-bundle", link, "--reports", "1"}).code, 0);
  EXPECT_TRUE(fsys::is_symlink(link));
  EXPECT_EQ(RealFileSystem().ReadFile(target).rfind("#01#", 0), 0u);
}

TEST_F(HostileInputTest, PipesAreReadAndFoldersAreNamedAsSuch) {
  const std::string fifo = Fifo("mail.fifo");
  std::thread writer([&] {
    std::string mail;  // one Base64 line of 60 characters: 45 times "A"
    for (int i = 0; i < 15; ++i) mail += "QUFB";
    const int fd = ::open(fifo.c_str(), O_WRONLY);
    EXPECT_EQ(::write(fd, mail.data(), mail.size()), static_cast<ssize_t>(mail.size()));
    ::close(fd);
  });
  const RunResult mime = Lirvo({"crypto", "mime-decode", fifo, "--raw"});
  writer.join();
  EXPECT_EQ(mime.code, 0) << mime.err;
  EXPECT_EQ(mime.out, std::string(45, 'A'));

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

TEST_F(HostileInputTest, AFailedInitLeavesNothingThatARetryRefuses) {
  const std::string root = dir_.File("inst");
  fsys::create_directory(root);
  Write("inst/documents", "a file where the documents folder goes");
  const RunResult failed = Lirvo({"init", root, "--demo"});
  EXPECT_EQ(failed.code, 1);
  EXPECT_EQ(failed.err, "lirvo init: " + root + "/documents: is not a folder\n");
  EXPECT_FALSE(fsys::exists(root + "/plugin"));
  EXPECT_FALSE(fsys::exists(root + "/archive.db"));
  const RunResult under = Lirvo({"init", root + "/documents/inst"});
  EXPECT_EQ(under.code, 1);
  EXPECT_EQ(under.err, "lirvo init: " + root + "/documents: is not a folder\n");

  fsys::remove(root + "/documents");
  const RunResult retry = Lirvo({"init", root, "--demo"});
  EXPECT_EQ(retry.code, 0) << retry.err;

  // A Config.xml that is a folder is named as one, with or without --force.
  const std::string other = dir_.File("other");
  fsys::create_directories(other + "/plugin/Config.xml");
  for (const auto& args :
       std::vector<std::vector<std::string>>{{"init", other}, {"init", other, "--force"}}) {
    const RunResult r = Lirvo(args);
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "lirvo init: " + other + "/plugin/Config.xml: is a folder\n");
  }
}

// A stream buffer that takes nothing, like a file on a full disk.
class FullDiskBuffer final : public std::streambuf {
 protected:
  int overflow(int) override { return traits_type::eof(); }
  std::streamsize xsputn(const char*, std::streamsize) override { return 0; }
};

TEST_F(HostileInputTest, EveryCommandReportsOutputThatCouldNotBeWritten) {
  const std::string inst = dir_.File("inst");
  ASSERT_EQ(Lirvo({"init", inst, "--demo"}).code, 0);
  const std::string bundle = inst + "/documents/referti_ottobre.dat";
  const std::string script = Write("s.lirvo", "event registrazione 0\ndump config\n");
  const std::string enc = dir_.File("t.enc");
  ASSERT_EQ(Lirvo({"crypto", "encrypt-file", bundle, enc}).code, 0);
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"parse", "--json", bundle},
           {"parse", bundle},
           {"run", "--install", inst, "--clock", "01/03/2026 09:00:00", script},
           {"crypto", "b64-encode", "x"},
           {"crypto", "decrypt-file-str", enc},
           {"patients", "list", "--install", inst},
           {"chart", "1", "--install", inst},
           {"demo-bundle", dir_.File("d.dat"), "--reports", "1"},
           {"--help"},
       }) {
    FullDiskBuffer full;
    std::ostream out(&full);
    std::ostringstream err;
    EXPECT_EQ(RunLirvo(args, out, err), 1) << args[0];
    EXPECT_TRUE(err.str().ends_with("lirvo: write error\n")) << args[0] << ": " << err.str();
  }
}

class HostileScriptTest : public HostileInputTest {
 protected:
  HostileScriptTest() { EXPECT_EQ(Lirvo({"init", Install(), "--demo"}).code, 0); }
  std::string Install() const { return dir_.File("inst"); }
  RunResult Run(const std::string& script, const std::string& clock = "01/03/2026 09:00:00") {
    return Lirvo({"run", "--install", Install(), "--clock", clock, Write("s.lirvo", script)});
  }
};

TEST_F(HostileScriptTest, ScriptsThatAreNotQuiteTextEndWithAClearError) {
  const struct {
    std::string script;
    std::string clock;
    int code;
    std::string says;  // in the transcript or on standard error
  } cases[] = {
      {"\xEF\xBB\xBF"
       "dump config\n",
       "01/03/2026 09:00:00", 0, R"("type":"config")"},
      {"dump config\n", "", 2, R"(--clock must read "dd/mm/yyyy HH:NN:SS", not "")"},
      {"dump config\n", "01/03/2026", 2,
       R"(--clock must read "dd/mm/yyyy HH:NN:SS", not "01/03/2026")"},
      {"clock 01/03/2026\n", "01/03/2026 09:00:00", 2, R"(the clock must read)"},
      {"dump chart 99999\n", "01/03/2026 09:00:00", 2,
       R"({"type":"error","line":1,"message":"no patient 99999 in the archive"})"},
      {std::string(kMaxScriptLine + 1, 'x'), "01/03/2026 09:00:00", 2,
       R"({"type":"error","line":1,"message":"the line is longer than 1048576 bytes"})"},
  };
  for (const auto& c : cases) {
    const RunResult r = Run(c.script, c.clock);
    EXPECT_EQ(r.code, c.code) << c.says;
    EXPECT_NE((r.out + r.err).find(c.says), std::string::npos) << r.out << r.err;
  }
}

TEST_F(HostileScriptTest, LoadingTheMainFormAgainKeepsOneTab) {
  const RunResult r =
      Run("event registrazione 0\nevent form.load frmMain\ndump ribbon\n"
          "event form.load frmMain\nevent form.load frmMain\ndump ribbon\n");
  ASSERT_EQ(r.code, 0) << r.out;
  std::istringstream lines(r.out);
  std::vector<std::string> ribbons;
  for (std::string line; std::getline(lines, line);) {
    if (line.find(R"("type":"ribbon")") != std::string::npos) ribbons.push_back(line);
  }
  ASSERT_EQ(ribbons.size(), 2u);
  EXPECT_EQ(ribbons[0], ribbons[1]);
  EXPECT_NE(ribbons[0].find("Referti Lirvo"), std::string::npos);
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

TEST_F(HostileScriptTest, AReadErrorEndsTheRunWithAnErrorLine) {
  FailingReadBuffer buffer("dump config\ndump con");
  std::istream script(&buffer);
  std::ostringstream out;
  ScriptRunner runner(Install(), {2026, 3, 1, 9, 0, 0}, out);
  EXPECT_EQ(runner.Run(script), 2);
  EXPECT_TRUE(script.bad());
  EXPECT_NE(out.str().find(R"({"type":"error","line":2,"message":"cannot read the script"})"),
            std::string::npos)
      << out.str();
}

}  // namespace
}  // namespace lirvo::cli
