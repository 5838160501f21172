#include "base/runtime_error.h"

#include <new>
#include <utility>

namespace lirvo {

std::string ErrorDescription(int number) {
  switch (number) {
    case kErrInvalidCall:
      return "Chiamata di routine o argomento non validi";
    case kErrOverflow:
      return "Overflow";
    case kErrSubscript:
      return "Indice non compreso nell'intervallo";
    case kErrTypeMismatch:
      return "Tipo non corrispondente";
    case kErrBadFileName:
      return "Nome o numero di file non valido";
    case kErrFileNotFound:
      return "Impossibile trovare il file";
    case kErrFileExists:
      return "File già esistente";
    case kErrPermissionDenied:
      return "Autorizzazione negata";
    case kErrPathFileAccess:
      return "Errore di accesso al percorso/file";
    case kErrPathNotFound:
      return "Impossibile trovare il percorso";
    case kErrObjectNotSet:
      return "Variabile oggetto o variabile del blocco With non impostata";
    case kErrInvalidUseOfNull:
      return "Utilizzo non valido di Null";
    case kErrNoSuchMember:
      return "Proprietà o metodo non supportati dall'oggetto";
    case kErrDuplicateKey:
      return "Questa chiave è già associata ad un elemento dell'insieme";
    case kErrPrinter:
      return "Errore della stampante";
    default:
      return "Errore definito dall'applicazione o dall'oggetto";
  }
}

RuntimeError::RuntimeError(int number) : RuntimeError(number, ErrorDescription(number)) {}

RuntimeError::RuntimeError(int number, std::string description)
    : std::runtime_error(std::to_string(number) + " - " + description),
      number_(number),
      description_(std::move(description)) {}

RuntimeError RuntimeErrorOf(std::exception_ptr error) noexcept {
  try {
    if (error) std::rethrow_exception(error);
  } catch (const RuntimeError& e) {
    return e;
  } catch (const std::bad_alloc&) {
    return RuntimeError(kErrOutOfMemory, "Memoria esaurita");
  } catch (...) {
    // Whatever else it is, the runtime calls it an internal error.
  }
  return RuntimeError(kErrInternal, "Errore interno");
}

bool IsRuntimeError(std::exception_ptr error) noexcept {
  try {
    if (error) std::rethrow_exception(error);
  } catch (const RuntimeError&) {
    return true;
  } catch (...) {
    return false;
  }
  return false;
}

std::string CurrentErrorText() {
  const RuntimeError e = RuntimeErrorOf(std::current_exception());
  return std::to_string(e.Number()) + " - " + e.Description();
}

}  // namespace lirvo
