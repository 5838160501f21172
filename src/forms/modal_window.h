// A window of the plug-in that its caller loads, shows modally and unloads
// (frmGetBundle, frmConfig): a Window, which reaches the plug-in through its
// context, and a ui::ModalForm, which the Ui shows and on which a script
// performs the person's actions. Hiding the window ends its modal display;
// the caller then reads what it needs and drops the window.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "base/runtime_error.h"
#include "controls/ui.h"
#include "forms/window_context.h"

namespace lirvo::forms {

class ModalWindow : public Window, public ui::ModalForm {
 public:
  // One name for both faces: the host's embedded form and the Ui's modal
  // form.
  std::string Name() const override = 0;

  // Shown until a button or the close box hides it.
  bool IsOpen() const override { return !hidden_; }

 protected:
  explicit ModalWindow(std::weak_ptr<WindowContext> context) : Window(std::move(context)) {}

  // Ends the modal display; a new load (Form_Load) shows the window again.
  void Hide() { hidden_ = true; }
  void Unhide() { hidden_ = false; }

  // Control `index` of a control array (cmdButton(0), cmdButton(1) ...);
  // RuntimeError 9 (subscript out of range) for an index it does not have.
  template <typename T, size_t N>
  static T& Indexed(std::array<T, N>& controls, int32_t index) {
    if (index < 0 || static_cast<size_t>(index) >= N) throw RuntimeError(kErrSubscript);
    return controls[static_cast<size_t>(index)];
  }

  // A scripted action cut at its first blank: "choose a b.dat" gives
  // {"choose", "a b.dat"}; an action without a blank gives {action, ""}.
  static std::pair<std::string_view, std::string_view> SplitAction(std::string_view action) {
    const size_t blank = action.find(' ');
    if (blank == std::string_view::npos) return {action, {}};
    return {action.substr(0, blank), action.substr(blank + 1)};
  }

 private:
  bool hidden_ = false;
};

}  // namespace lirvo::forms
