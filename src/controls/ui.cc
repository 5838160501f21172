#include "controls/ui.h"

#include <nlohmann/json.hpp>

namespace lirvo::ui {

nlohmann::json ModalForm::Describe() const { return nlohmann::json::object(); }

bool ModalForm::Perform(const std::string& action) {
  (void)action;
  return false;
}

bool ModalForm::IsOpen() const { return true; }

}  // namespace lirvo::ui
