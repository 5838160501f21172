#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "base/file_system.h"
#include "cli/cli.h"
#include "support/temp_dir.h"

namespace lirvo::cli {
namespace {

struct RunResult {
  int code;
  std::string out;
  std::string err;
};

RunResult Crypto(std::vector<std::string> args) {
  args.insert(args.begin(), "crypto");
  std::ostringstream out, err;
  const int code = RunLirvo(args, out, err);
  return {code, out.str(), err.str()};
}

class CryptoCommandTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const std::string& bytes) {
    RealFileSystem().WriteFile(dir_.File(name), bytes);
    return dir_.File(name);
  }
  std::string Read(const std::string& name) { return RealFileSystem().ReadFile(dir_.File(name)); }

  lirvo::testing::TempDir dir_;
};

TEST_F(CryptoCommandTest, StringsRoundTripThroughTheOutput) {
  const RunResult enc = Crypto({"encrypt-str", "ABCDEFGHIJKLMN"});
  EXPECT_EQ(enc.code, 0);
  ASSERT_EQ(enc.out.size(), 45u);  // 44 Base64 characters and a line break
  EXPECT_EQ(enc.out.back(), '\n');
  const RunResult dec = Crypto({"decrypt-str", enc.out});
  EXPECT_EQ(dec.code, 0);
  EXPECT_EQ(dec.out, "ABCDEFGHIJKLMN");
  EXPECT_EQ(dec.err, "");

  const std::string accents = "però più €";
  EXPECT_EQ(Crypto({"decrypt-str", Crypto({"encrypt-str", accents}).out}).out, accents);
  const RunResult empty = Crypto({"decrypt-str", Crypto({"encrypt-str", ""}).out});
  EXPECT_EQ(empty.code, 0);
  EXPECT_EQ(empty.out, "");
  const RunResult nothing = Crypto({"decrypt-str", ""});
  EXPECT_EQ(nothing.code, 0);
  EXPECT_EQ(nothing.out + nothing.err, "");
}

TEST_F(CryptoCommandTest, DecryptStrOfSomethingElseFails) {
  for (const std::string text : {"abc", "YWJj", "not a ciphertext"}) {
    const RunResult r = Crypto({"decrypt-str", text});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "lirvo crypto decrypt-str: not an encrypted text\n");
  }
}

TEST_F(CryptoCommandTest, Base64GoesThroughWindows1252) {
  EXPECT_EQ(Crypto({"b64-encode", "abc"}).out, "YWJj\n");
  EXPECT_EQ(Crypto({"b64-encode", "€à"}).out, "gOA=\n");
  EXPECT_EQ(Crypto({"b64-decode", "gOA="}).out, "€à");
  EXPECT_EQ(Crypto({"b64-decode", "--raw", "gOA="}).out, "\x80\xe0");
  EXPECT_EQ(Crypto({"b64-decode", "Zm9v\nYmFy"}).out, "foobar");
  const RunResult empty = Crypto({"b64-decode", ""});
  EXPECT_EQ(empty.code, 0);
  EXPECT_EQ(empty.out, "");
  const RunResult bad = Crypto({"b64-decode", "abc"});
  EXPECT_EQ(bad.code, 1);
  EXPECT_EQ(bad.err, "lirvo crypto b64-decode: no Base64 data\n");
}

TEST_F(CryptoCommandTest, FilesRoundTripAndRefuseToReplaceUnasked) {
  const std::string plain = Write("plain.txt", "riga uno\r\nriga due \xe8\r\n");
  const std::string enc = dir_.File("enc.bin"), dec = dir_.File("dec.txt");
  RunResult r = Crypto({"encrypt-file", plain, enc});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out + r.err, "");
  r = Crypto({"decrypt-file", enc, dec});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(Read("dec.txt"), "riga uno\r\nriga due \xe8\r\n");
  EXPECT_EQ(Crypto({"decrypt-file-str", enc}).out, "riga uno\r\nriga due è\r\n");

  Write("dec.txt", "keep");
  r = Crypto({"decrypt-file", enc, dec});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "lirvo crypto decrypt-file: " + dec +
                       ": file exists (use --overwrite to replace it)\n");
  EXPECT_EQ(Read("dec.txt"), "keep");
  EXPECT_EQ(Crypto({"encrypt-file", plain, dec}).code, 1);
  EXPECT_EQ(Read("dec.txt"), "keep");
  EXPECT_EQ(Crypto({"decrypt-file", enc, dec, "--overwrite"}).code, 0);
  EXPECT_EQ(Read("dec.txt"), "riga uno\r\nriga due \xe8\r\n");
}

TEST_F(CryptoCommandTest, MissingOrForeignInputFiles) {
  const std::string missing = dir_.File("missing.bin");
  for (const std::string command : {"encrypt-file", "decrypt-file"}) {
    const RunResult r = Crypto({command, missing, dir_.File("out.bin")});
    EXPECT_EQ(r.code, 1);  // the member itself reports the failure
    EXPECT_EQ(r.err, "lirvo crypto " + command + ": " + missing + ": file not found\n");
  }
  EXPECT_EQ(Crypto({"decrypt-file-str", missing}).code, 1);
  EXPECT_EQ(Crypto({"mime-decode", missing}).code, 2);  // the command reads the file

  const std::string plain = Write("plain.txt", "not encrypted at all");
  const std::string out = Write("out.txt", "previous");
  RunResult r = Crypto({"decrypt-file", plain, out, "--overwrite"});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "lirvo crypto decrypt-file: " + plain + ": not an encrypted file\n");
  EXPECT_EQ(Read("out.txt"), "previous");
  r = Crypto({"decrypt-file-str", plain});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.out, "");
}

TEST_F(CryptoCommandTest, MimeDecodePrintsTheLastPart) {
  const std::string message =
      Write("message.eml",
            "Content-Type: multipart/mixed; boundary=\"XX\"\r\n\r\n--XX\r\nContent-Type: "
            "text/plain\r\n\r\n"
            "hello\r\n--XX\r\nContent-Transfer-Encoding: base64\r\n\r\n"
            "gOCA4IDggOCA4IDggOCA4IDggOCA4IDggOCA4IDggOCA4IDggOCA4IDggOCA4IDg\r\n--XX--\r\n");
  const std::string euro_a = "€à";
  std::string expected;
  for (int i = 0; i < 24; ++i) expected += euro_a;
  EXPECT_EQ(Crypto({"mime-decode", message}).out, expected);
  EXPECT_EQ(Crypto({"mime-decode", "--raw", message}).out.substr(0, 4), "\x80\xe0\x80\xe0");

  const RunResult none = Crypto({"mime-decode", Write("short.txt", "Subject: nothing here\r\n")});
  EXPECT_EQ(none.code, 1);
  EXPECT_EQ(none.err,
            "lirvo crypto mime-decode: " + dir_.File("short.txt") + ": no Base64 body found\n");
}

TEST_F(CryptoCommandTest, WithoutASubcommandIsAUsageError) {
  EXPECT_EQ(Crypto({}).code, 2);
  EXPECT_EQ(Crypto({"encrypt-str"}).code, 2);
}

}  // namespace
}  // namespace lirvo::cli
