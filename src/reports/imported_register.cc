#include "reports/imported_register.h"

namespace lirvo::reports {

bool IsImportedName(std::string_view name) {
  return name.find("Imported") != std::string_view::npos;
}

}  // namespace lirvo::reports
