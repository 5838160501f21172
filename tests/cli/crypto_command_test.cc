#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/file_system.h"
#include "run_lirvo.h"
#include "support/temp_dir.h"

namespace lirvo::cli {
namespace {

using Outcome = test_support::RunResult;

Outcome Crypto(std::vector<std::string> args) {
  args.insert(args.begin(), "crypto");
  return test_support::Lirvo(args);
}

class CryptoCommandTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const std::string& bytes) {
    RealFileSystem().WriteFile(dir_.File(name), bytes);
    return dir_.File(name);
  }
  std::string Read(const std::string& name) { return RealFileSystem().ReadFile(dir_.File(name)); }

  lirvo::test_support::TempDir dir_;
};

// The commands on text given as an argument: their output, exit status and
// message. The cipher and Base64 themselves are the crypto suite's.
TEST_F(CryptoCommandTest, TextCommands) {
  const std::string encrypted = Crypto({"encrypt-str", "ABCDEFGHIJKLMN"}).out;
  ASSERT_EQ(encrypted.size(), 45u);  // 44 Base64 characters and a line break
  EXPECT_EQ(encrypted.back(), '\n');
  const struct {
    std::vector<std::string> args;
    Outcome outcome;
  } cases[] = {
      {{"decrypt-str", encrypted}, {0, "ABCDEFGHIJKLMN", ""}},
      // An empty text, encrypted or not, is no failure.
      {{"decrypt-str", Crypto({"encrypt-str", ""}).out}, {0, "", ""}},
      {{"decrypt-str", ""}, {0, "", ""}},
      {{"decrypt-str", "not a ciphertext"},
       {1, "", "lirvo crypto decrypt-str: not an encrypted text\n"}},
      // Base64 goes through Windows-1252 unless --raw.
      {{"b64-encode", "€à"}, {0, "gOA=\n", ""}},
      {{"b64-decode", "gOA="}, {0, "€à", ""}},
      {{"b64-decode", "--raw", "gOA="}, {0, "\x80\xe0", ""}},
      {{"b64-decode", ""}, {0, "", ""}},
      {{"b64-decode", "abc"}, {1, "", "lirvo crypto b64-decode: no Base64 data\n"}},
  };
  for (const auto& c : cases) EXPECT_EQ(Crypto(c.args), c.outcome) << c.args[0] << " " << c.args[1];
  // Without a subcommand or its text: a usage error.
  EXPECT_EQ(Crypto({}).code, 2);
  EXPECT_EQ(Crypto({"encrypt-str"}).code, 2);
}

TEST_F(CryptoCommandTest, FilesRoundTripAndRefuseToReplaceUnasked) {
  const std::string plain = Write("plain.txt", "riga uno\r\nriga due \xe8\r\n");
  const std::string enc = dir_.File("enc.bin"), dec = dir_.File("dec.txt");
  EXPECT_EQ(Crypto({"encrypt-file", plain, enc}), Outcome(0, "", ""));
  EXPECT_EQ(Crypto({"decrypt-file", enc, dec}), Outcome(0, "", ""));
  EXPECT_EQ(Read("dec.txt"), "riga uno\r\nriga due \xe8\r\n");
  EXPECT_EQ(Crypto({"decrypt-file-str", enc}), Outcome(0, "riga uno\r\nriga due è\r\n", ""));

  Write("dec.txt", "keep");
  for (const std::string command : {"encrypt-file", "decrypt-file"}) {
    EXPECT_EQ(Crypto({command, command == "encrypt-file" ? plain : enc, dec}),
              Outcome(1, "",
                      "lirvo crypto " + command + ": " + dec +
                          ": file exists (use --overwrite to replace it)\n"));
  }
  EXPECT_EQ(Read("dec.txt"), "keep");
  EXPECT_EQ(Crypto({"decrypt-file", enc, dec, "--overwrite"}), Outcome(0, "", ""));
  EXPECT_EQ(Read("dec.txt"), "riga uno\r\nriga due \xe8\r\n");
}

TEST_F(CryptoCommandTest, MissingOrForeignInputFiles) {
  const std::string missing = dir_.File("missing.bin");
  // The members report a missing file themselves (1); mime-decode reads it in the command (2).
  for (const std::string command : {"encrypt-file", "decrypt-file"}) {
    EXPECT_EQ(Crypto({command, missing, dir_.File("out.bin")}),
              Outcome(1, "", "lirvo crypto " + command + ": " + missing + ": file not found\n"));
  }
  EXPECT_EQ(Crypto({"decrypt-file-str", missing}).code, 1);
  EXPECT_EQ(Crypto({"mime-decode", missing}).code, 2);

  const std::string plain = Write("plain.txt", "not encrypted at all");
  const std::string out = Write("out.txt", "previous");
  EXPECT_EQ(Crypto({"decrypt-file", plain, out, "--overwrite"}),
            Outcome(1, "", "lirvo crypto decrypt-file: " + plain + ": not an encrypted file\n"));
  EXPECT_EQ(Read("out.txt"), "previous");
  const Outcome foreign = Crypto({"decrypt-file-str", plain});
  EXPECT_EQ(foreign.code, 1);
  EXPECT_EQ(foreign.out, "");
}

TEST_F(CryptoCommandTest, MimeDecodePrintsTheBase64Body) {
  // Without a boundary the whole message is the part; its data line is long enough.
  const std::string message = Write(
      "message.eml",
      "Subject: x\r\n\r\ngOCA4IDggOCA4IDggOCA4IDggOCA4IDggOCA4IDggOCA4IDggOCA4IDggOCA4IDg\r\n");
  std::string euro_a;
  for (int i = 0; i < 24; ++i) euro_a += "€à";
  EXPECT_EQ(Crypto({"mime-decode", message}), Outcome(0, euro_a, ""));
  EXPECT_EQ(Crypto({"mime-decode", "--raw", message}).out.substr(0, 4), "\x80\xe0\x80\xe0");
  const std::string none = Write("short.txt", "Subject: nothing here\r\n");
  EXPECT_EQ(Crypto({"mime-decode", none}),
            Outcome(1, "", "lirvo crypto mime-decode: " + none + ": no Base64 body found\n"));
}

}  // namespace
}  // namespace lirvo::cli
