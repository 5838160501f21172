// The program's own runtime error: a number and an Italian description, like
// the runtime errors of the host's scripting runtime (91 object not set, 13
// type mismatch, 53 file not found ...). Every seam (host calls, files, dates,
// numbers) reports failure by throwing one.
#pragma once

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

}  // namespace lirvo
