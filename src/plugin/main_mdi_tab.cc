// clsConfig::MainMDITab: the main reports window as a host child window.
#include <memory>

#include "base/runtime_error.h"
#include "forms/frm_referti_lirvo.h"
#include "plugin/cls_config.h"

namespace lirvo::plugin {
namespace {

// Loads a window: it joins the loaded windows and runs its Form_Load. A
// load that fails leaves nothing loaded.
std::shared_ptr<forms::frmRefertiLirvo> LoadWindow(ModuleState& state) {
  auto window = std::make_shared<forms::frmRefertiLirvo>(state);
  state.loaded_forms.push_back(window);
  try {
    window->Form_Load();
  } catch (...) {
    state.Unload(window.get());
    throw;
  }
  return window;
}

// Unloads a window when the guard goes, on every exit path.
class UnloadGuard {
 public:
  UnloadGuard(ModuleState& state, const host::EmbeddedForm* form) : state_(state), form_(form) {}
  ~UnloadGuard() {
    if (form_ != nullptr) state_.Unload(form_);
  }
  void Release() { form_ = nullptr; }
  UnloadGuard(const UnloadGuard&) = delete;
  UnloadGuard& operator=(const UnloadGuard&) = delete;

 private:
  ModuleState& state_;
  const host::EmbeddedForm* form_;
};

}  // namespace

void clsConfig::MainMDITab() {
  try {
    auto& fw = state_.HostFramework();
    if (fw.OpenChild("frmMDI", false, kTabCaption)) return;

    // The shared default instance lends its icon and goes again at the end;
    // the window the host carries is a new instance of its own.
    auto default_instance = LoadWindow(state_);
    UnloadGuard unload_default(state_, default_instance.get());

    auto window = LoadWindow(state_);
    UnloadGuard unload_window(state_, window.get());  // kept once the host carries it
    state_.MainChildForm = fw.CreateChildForm(window);
    if (!state_.MainChildForm) throw RuntimeError(kErrObjectNotSet);
    unload_window.Release();
    state_.MainChildForm->SetIcon(default_instance->Icon());
    state_.MainChildForm->SetCaption(kTabCaption);
    state_.MainChildForm->Show();
  } catch (...) {
    // The attempt ends here, silently.
  }
}

}  // namespace lirvo::plugin
