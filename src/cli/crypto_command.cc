// `lirvo crypto ...`: one subcommand per member of clsAES, for people and
// scripts. Text arguments are UTF-8 and so is the output, except where a
// member gives one character per byte (b64-decode, mime-decode): those write
// the Windows-1252 reading of the bytes as UTF-8, or the bytes themselves
// with --raw. Encodings end with a line break; decoded contents are written
// exactly as they are.
#include <CLI/CLI.hpp>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <tuple>

#include "base/cp1252.h"
#include "base/file_error.h"
#include "base/file_system.h"
#include "base/files.h"
#include "cli/cli.h"
#include "crypto/aes.h"
#include "crypto/base64.h"

namespace lirvo::cli {
namespace {

using crypto::clsAES;
using FileOutcome = clsAES::FileOutcome;

struct CryptoOptions {
  std::string text;
  std::string in_file;
  std::string out_file;
  bool overwrite = false;
  bool raw = false;
};

void Fail(Context& ctx, const std::string& command, const std::string& reason, int code) {
  ctx.err << "lirvo crypto " << command << ": " << reason << '\n';
  ctx.exit_code = code;
}

void Succeed(Context& ctx, const std::string& output) {
  ctx.out << output;
  ctx.out.flush();
  ctx.exit_code = kExitOk;
}

// Bytes that travel one per character: as they are, or read as Windows-1252.
void WriteBytes(Context& ctx, const CryptoOptions& o, const std::string& bytes) {
  Succeed(ctx, o.raw ? bytes : Cp1252ToUtf8(bytes));
}

// Reports a file outcome of `aes`; true when the operation was done.
bool Report(Context& ctx, const std::string& command, const CryptoOptions& o, const clsAES& aes,
            FileOutcome outcome) {
  switch (outcome) {
    case FileOutcome::kDone:
      return true;
    case FileOutcome::kNoInput:
      Fail(ctx, command, o.in_file + ": file not found", kExitFailure);
      break;
    case FileOutcome::kOutputExists:
      Fail(ctx, command, o.out_file + ": file exists (use --overwrite to replace it)",
           kExitFailure);
      break;
    case FileOutcome::kNotCiphertext:
      Fail(ctx, command, o.in_file + ": not an encrypted file", kExitFailure);
      break;
    case FileOutcome::kBadInput:
      Fail(ctx, command, aes.FailureDetail(), kExitFailure);
      break;
    case FileOutcome::kTooLarge:
      Fail(ctx, command,
           o.in_file +
               ": too large to encrypt (at most 1073741823 bytes: the container's "
               "length field is a signed 32-bit count of two bytes per input byte)",
           kExitFailure);
      break;
    case FileOutcome::kFailed:
      Fail(ctx, command,
           aes.FailureDetail().empty() ? "cannot read " + o.in_file + " or write " + o.out_file
                                       : aes.FailureDetail(),
           kExitFailure);
      break;
  }
  return false;
}

void EncryptFile(const CryptoOptions& o, Context& ctx) {
  const clsAES aes;
  if (Report(ctx, "encrypt-file", o, aes,
             aes.EncryptFileWithOutcome(o.in_file, o.out_file, o.overwrite))) {
    Succeed(ctx, "");
  }
}

void DecryptFile(const CryptoOptions& o, Context& ctx) {
  const clsAES aes;
  if (Report(ctx, "decrypt-file", o, aes,
             aes.DecryptFileWithOutcome(o.in_file, o.out_file, o.overwrite))) {
    Succeed(ctx, "");
  }
}

void DecryptFileStr(const CryptoOptions& o, Context& ctx) {
  const clsAES aes;
  std::string text;
  if (Report(ctx, "decrypt-file-str", o, aes, aes.DecryptFileToText(o.in_file, text))) {
    Succeed(ctx, text);
  }
}

void DecryptStr(const CryptoOptions& o, Context& ctx) {
  if (o.text.empty()) return Succeed(ctx, "");
  const std::optional<std::string> text = clsAES().TryDecryptStr(o.text);
  if (!text) return Fail(ctx, "decrypt-str", "not an encrypted text", kExitFailure);
  Succeed(ctx, *text);
}

void Base64DecodeText(const CryptoOptions& o, Context& ctx) {
  const std::string bytes = crypto::Base64Decode(o.text);
  if (bytes.empty() && !o.text.empty()) {
    return Fail(ctx, "b64-decode", "no Base64 data", kExitFailure);
  }
  WriteBytes(ctx, o, bytes);
}

void MimeDecode(const CryptoOptions& o, Context& ctx) {
  std::string message;
  try {
    const PathKind kind = RealFileSystem().KindOf(o.in_file);
    if (!IsReadableKind(kind)) {
      return Fail(ctx, "mime-decode", o.in_file + ": " + DescribePathKind(kind), kExitUsage);
    }
    message = RealFileSystem().ReadFile(o.in_file);
  } catch (const std::exception& e) {
    return Fail(ctx, "mime-decode", DescribeFileFailure(e, o.in_file), kExitUsage);
  }
  const std::string body = crypto::DecodeMimeBody(message);
  if (body.empty() && !message.empty()) {
    return Fail(ctx, "mime-decode", o.in_file + ": no Base64 body found", kExitFailure);
  }
  WriteBytes(ctx, o, body);
}

using Action = void (*)(const CryptoOptions&, Context&);

CLI::App* Sub(CLI::App* crypto, Context& ctx, const std::shared_ptr<CryptoOptions>& options,
              const std::string& name, const std::string& description, Action action) {
  CLI::App* cmd = crypto->add_subcommand(name, description);
  cmd->callback([options, &ctx, action] { action(*options, ctx); });
  return cmd;
}

}  // namespace

void AddCryptoCommand(CLI::App& app, Context& ctx) {
  auto o = std::make_shared<CryptoOptions>();
  CLI::App* crypto = app.add_subcommand(
      "crypto", "Encrypt and decrypt under the built-in password, Base64, MIME bodies");
  crypto->require_subcommand(1);

  Sub(crypto, ctx, o, "encrypt-str", "Print the Base64 ciphertext of TEXT",
      [](const CryptoOptions& o, Context& ctx) {
        Succeed(ctx, clsAES().EncryptStr(o.text) + "\n");
      })
      ->add_option("TEXT", o->text, "The text to encrypt")
      ->required();
  Sub(crypto, ctx, o, "decrypt-str", "Print the text that a Base64 ciphertext holds", DecryptStr)
      ->add_option("BASE64", o->text, "The ciphertext, as encrypt-str printed it")
      ->required();

  for (const auto& [name, description, action] :
       {std::tuple{"encrypt-file", "Encrypt the bytes of IN into OUT", &EncryptFile},
        std::tuple{"decrypt-file", "Decrypt IN into OUT", &DecryptFile}}) {
    CLI::App* cmd = Sub(crypto, ctx, o, name, description, action);
    cmd->add_option("IN", o->in_file, "The file to read")->required();
    cmd->add_option("OUT", o->out_file, "The file to write")->required();
    cmd->add_flag("--overwrite", o->overwrite, "Replace OUT when it exists");
  }
  Sub(crypto, ctx, o, "decrypt-file-str", "Print the decrypted text of an encrypted file",
      DecryptFileStr)
      ->add_option("IN", o->in_file, "The encrypted file")
      ->required();

  Sub(crypto, ctx, o, "b64-encode", "Print the Base64 of the Windows-1252 codes of TEXT",
      [](const CryptoOptions& o, Context& ctx) {
        Succeed(ctx, clsAES().plbEncodeStrB64(o.text) + "\n");
      })
      ->add_option("TEXT", o->text, "The text to encode")
      ->required();
  CLI::App* decode =
      Sub(crypto, ctx, o, "b64-decode", "Print the bytes that BASE64 holds", Base64DecodeText);
  decode->add_option("BASE64", o->text, "Base64 text; other characters are skipped")->required();
  CLI::App* mime =
      Sub(crypto, ctx, o, "mime-decode",
          "Print the decoded Base64 body of the last part of a MIME message", MimeDecode);
  mime->add_option("FILE", o->in_file, "The message, or a bare Base64 text")->required();
  for (CLI::App* cmd : {decode, mime}) {
    cmd->add_flag("--raw", o->raw, "Write the bytes as they are, not read as Windows-1252");
  }
}

}  // namespace lirvo::cli
