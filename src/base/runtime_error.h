// The program's own runtime error: a number and an Italian description, like
// the runtime errors of the host's scripting runtime (91 object not set, 13
// type mismatch, 53 file not found ...). Every seam (host calls, files, dates,
// numbers) reports failure by throwing one.
#pragma once

#include <exception>
#include <stdexcept>
#include <string>

namespace lirvo {

// Error numbers the plug-in raises or traps.
enum ErrorNumber : int {
  kErrInvalidCall = 5,
  kErrOverflow = 6,
  kErrSubscript = 9,
  kErrTypeMismatch = 13,
  kErrBadFileName = 52,
  kErrFileNotFound = 53,
  kErrFileExists = 58,
  kErrPermissionDenied = 70,
  kErrPathFileAccess = 75,
  kErrPathNotFound = 76,
  kErrObjectNotSet = 91,
  kErrInvalidUseOfNull = 94,
  kErrNoSuchMember = 438,
  kErrDuplicateKey = 457,
  kErrPrinter = 482,
};

// The runtime's Italian text for an error number ("Overflow", "Tipo non
// corrispondente" ...). Unknown numbers get a generic text.
std::string ErrorDescription(int number);

class RuntimeError : public std::runtime_error {
 public:
  // Uses the runtime's own description for `number`.
  explicit RuntimeError(int number);
  RuntimeError(int number, std::string description);

  int Number() const noexcept { return number_; }
  const std::string& Description() const noexcept { return description_; }

 private:
  int number_;
  std::string description_;
};

// Error numbers for what is not a runtime error: out of memory, and any
// other exception (a fault of the program itself).
inline constexpr int kErrOutOfMemory = 7;
inline constexpr int kErrInternal = 51;

// `error` as the runtime would see it: a RuntimeError as it is,
// std::bad_alloc as 7 "Memoria esaurita", anything else as 51 "Errore
// interno". A null pointer counts as anything else.
RuntimeError RuntimeErrorOf(std::exception_ptr error) noexcept;
// True when `error` holds a RuntimeError.
bool IsRuntimeError(std::exception_ptr error) noexcept;

// "<number> - <description>" of the exception being handled, in the form the
// runtime gives Err.Number and Err.Description. Call only inside a catch.
std::string CurrentErrorText();

}  // namespace lirvo
