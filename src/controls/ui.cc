#include "controls/ui.h"

#include <algorithm>
#include <nlohmann/json.hpp>

namespace lirvo::ui {

std::vector<int> MsgBoxButtons(int style) {
  switch (style & 7) {
    case 1:
      return {kAnswerOk, kAnswerCancel};
    case 2:
      return {kAnswerAbort, kAnswerRetry, kAnswerIgnore};
    case 3:
      return {kAnswerYes, kAnswerNo, kAnswerCancel};
    case kYesNoButtons:
      return {kAnswerYes, kAnswerNo};
    case 5:
      return {kAnswerRetry, kAnswerCancel};
    default:
      return {kAnswerOk};
  }
}

int UnansweredMsgBox(int style) {
  const std::vector<int> buttons = MsgBoxButtons(style);
  if (std::find(buttons.begin(), buttons.end(), kAnswerCancel) != buttons.end()) {
    return kAnswerCancel;
  }
  return (style & 7) == kYesNoButtons ? kAnswerNo : buttons.front();
}

nlohmann::json ModalForm::Describe() const { return nlohmann::json::object(); }

bool ModalForm::Perform(const std::string& action) {
  (void)action;
  return false;
}

bool ModalForm::IsOpen() const { return true; }

}  // namespace lirvo::ui
