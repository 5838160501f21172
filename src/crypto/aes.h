// clsAES: string and file encryption under a password built into the class,
// Base64, and the decoding of the Base64 body of a MIME message.
//
// Encryption is Rijndael with 256-bit blocks and a 256-bit key (see
// rijndael.h), block by block without chaining: it hides the content, it does
// not detect tampering. The key is the first 32 bytes of the password followed
// by zero bytes; the built-in password has 20 bytes.
//
// The encrypted container, L being the plaintext length in bytes:
//   offset 0, 4 bytes: L, signed 32-bit little-endian
//   offset 4, L bytes: the plaintext
//   then 0 to 31 zero bytes, so that the whole is a multiple of 32 bytes.
// The ciphertext is the container enciphered; its length is L + 4 rounded up
// to a multiple of 32. An empty plaintext gives one block holding only L = 0.
//
// Strings are UTF-8. A text is enciphered as its UTF-16LE bytes (malformed
// UTF-8 becomes U+FFFD) and deciphered bytes are read back as UTF-16LE (an
// odd last byte is dropped, a lone surrogate becomes U+FFFD). Where bytes
// travel inside a string (file contents, Base64 payloads), one byte is one
// character, the one with that code in Windows-1252; a character Windows-1252
// cannot hold becomes "?".
//
// Files go through the FileSystem seam. An input is read when it is a regular
// file, a FIFO or a device; a folder or a link to nothing is refused. An
// output file is replaced atomically: when writing fails the old one stays as
// it was; an output that is not a regular file (a folder, a FIFO, a device, a
// link to nothing) is refused.
#pragma once

#include <exception>
#include <optional>
#include <string>
#include <string_view>

#include "base/file_system.h"

// <windows.h> turns EncryptFile and DecryptFile into EncryptFileA/W and
// DecryptFileA/W. The methods below keep their names in every translation
// unit: a file that includes <windows.h> first gets them back here, and one
// that includes it after this header fails to compile instead of calling a
// method that does not exist.
#ifdef EncryptFile
#undef EncryptFile
#endif
#ifdef DecryptFile
#undef DecryptFile
#endif

namespace lirvo::crypto {

class clsAES {
 public:
  // Builds the built-in password; files on `fs` (the disk by default).
  clsAES();
  explicit clsAES(FileSystem& fs);

  // Test-only: an instance keyed by `password` instead of the built-in one.
  static clsAES WithPasswordForTesting(std::string_view password, FileSystem& fs);

  // The Base64 text of the encrypted UTF-16LE bytes of `text`. Never "".
  std::string EncryptStr(std::string_view text) const;

  // The text that EncryptStr encrypted into `text`; "" when `text` does not
  // decode to a whole number of 32-byte blocks or when its length field does
  // not fit. Line breaks and blanks inside `text` are skipped.
  std::string DecryptStr(std::string_view text) const;

  // As DecryptStr, but tells an empty text from a failure: nothing when
  // `text` is no ciphertext.
  std::optional<std::string> TryDecryptStr(std::string_view text) const;

  // Encrypts the bytes of `in_file` (each read as its Windows-1252 character,
  // so the container holds two bytes per input byte) into `out_file`. False,
  // with nothing written, when `in_file` does not exist, when `out_file`
  // exists and `overwrite` is false, or on any read or write error.
  bool EncryptFile(const std::string& in_file, const std::string& out_file, bool overwrite) const;

  // Decrypts `in_file` into `out_file`, one byte per character (Windows-1252).
  // False as for EncryptFile. A file that is no ciphertext decrypts to ""
  // and gives an empty `out_file` and true.
  bool DecryptFile(const std::string& in_file, const std::string& out_file, bool overwrite) const;

  // The Base64 decoding of `entry`, one character per byte.
  std::string plbDecodeStrB64(std::string_view entry) const;

  // The Base64 encoding of the Windows-1252 codes of the characters of
  // `entry`.
  std::string plbEncodeStrB64(std::string_view entry) const;

  // The decoded Base64 body of a MIME message or a bare Base64 text (see
  // DecodeMimeBody in base64.h), one character per byte. "" when none.
  std::string Base64DecoderStringMIME(std::string_view data_in) const;

  // The decrypted content of `in_file` as text; "" when the file does not
  // exist, cannot be read or is no ciphertext.
  std::string DecryptFileStr(const std::string& in_file) const;

  // Byte-level entry points, for callers that hold raw bytes.

  // The ciphertext of the container of `plain`; "" only when `plain` is
  // longer than the length field can say (2^31 - 1 bytes).
  std::string EncryptData(std::string_view plain) const;

  // The plaintext of a ciphertext; "" when it has a wrong length, a length
  // field that does not fit, or on any other error.
  std::string DecryptData(std::string_view cipher) const;

  // As DecryptData, but tells an empty plaintext from a failure: nothing
  // when `cipher` is no ciphertext. Deciphers in the buffer it is given.
  std::optional<std::string> TryDecryptData(std::string cipher) const;

  // How a file operation ended, for callers that report the reason.
  enum class FileOutcome {
    kDone,
    kNoInput,        // the input file does not exist
    kOutputExists,   // the output file exists and overwriting was not asked
    kNotCiphertext,  // the input is not empty and no ciphertext (decryption only)
    kBadInput,       // the input is no file to read (a folder, a link to nothing ...)
    kTooLarge,       // the input is longer than the container's length field can say
    kFailed,         // reading or writing failed
  };

  // What went wrong in the last kBadInput or kFailed outcome, "PATH: reason";
  // "" when the file system did not say.
  const std::string& FailureDetail() const { return failure_; }

  // EncryptFile with the reason of a failure.
  FileOutcome EncryptFileWithOutcome(const std::string& in_file, const std::string& out_file,
                                     bool overwrite) const;

  // DecryptFile with the reason of a failure, except that a non-empty input
  // that is no ciphertext gives kNotCiphertext and leaves `out_file`
  // untouched. An empty input decrypts to an empty output.
  FileOutcome DecryptFileWithOutcome(const std::string& in_file, const std::string& out_file,
                                     bool overwrite) const;

  // DecryptFileStr with the reason of a failure; `text` is set on kDone. An
  // empty file gives kDone and "".
  FileOutcome DecryptFileToText(const std::string& in_file, std::string& text) const;

 private:
  clsAES(std::string password, FileSystem& fs);

  // The plaintext bytes of `cipher`, deciphered in place and cut to them.
  bool DecipherContainer(std::string& cipher) const;
  void EncipherContainer(std::string& container) const;
  FileOutcome DecryptFileImpl(const std::string& in_file, const std::string& out_file,
                              bool overwrite, bool write_non_ciphertext) const;
  // kDone when `in_file` can be read; kNoInput or kBadInput otherwise.
  FileOutcome CheckInput(const std::string& in_file) const;
  // kFailed, with the reason of `e` kept for FailureDetail; the exception
  // being handled goes to ReportTrap as trapped by `where`. Call it inside a
  // catch.
  FileOutcome Failed(const char* where, const std::exception* e) const;

  std::string password_;
  FileSystem* fs_;
  mutable std::string failure_;
};

}  // namespace lirvo::crypto
