#include "forms/loaded_forms.h"

#include <algorithm>

#include "base/product.h"
#include "base/runtime_error.h"
#include "forms/frm_referti_lirvo.h"

namespace lirvo::forms {
namespace {

// Unloads a window when the guard goes, on every exit path.
class UnloadGuard {
 public:
  UnloadGuard(LoadedForms& forms, const Window* window) : forms_(forms), window_(window) {}
  ~UnloadGuard() {
    if (window_ != nullptr) forms_.Unload(window_);
  }
  void Keep() { window_ = nullptr; }
  UnloadGuard(const UnloadGuard&) = delete;
  UnloadGuard& operator=(const UnloadGuard&) = delete;

 private:
  LoadedForms& forms_;
  const Window* window_;
};

}  // namespace

LoadedForms::~LoadedForms() { ReleaseAll(); }

std::shared_ptr<frmRefertiLirvo> LoadedForms::LoadMainReportsWindow() {
  std::weak_ptr<WindowContext> context = context_.weak_from_this();
  if (context.expired()) throw RuntimeError(kErrObjectNotSet);  // a context nobody owns
  auto window = std::make_shared<frmRefertiLirvo>(std::move(context));
  loaded_.push_back(window);
  UnloadGuard unload(*this, window.get());
  window->Form_Load();
  unload.Keep();
  return window;
}

void LoadedForms::OpenMainWindow() {
  host::Framework& fw = context_.HostFramework();
  if (fw.OpenChild("frmMDI", false, kTabCaption)) return;

  // The shared default instance lends its icon and goes again at the end;
  // the window the host carries is a new instance of its own.
  auto default_instance = LoadMainReportsWindow();
  UnloadGuard unload_default(*this, default_instance.get());

  auto window = LoadMainReportsWindow();
  UnloadGuard unload_window(*this, window.get());  // kept once the host carries it
  auto child = fw.CreateChildForm(window);
  if (!child) throw RuntimeError(kErrObjectNotSet);
  main_child_form_ = child;
  unload_window.Keep();
  child->SetIcon(default_instance->Icon());
  child->SetCaption(kTabCaption);
  child->Show();
}

std::shared_ptr<Window> LoadedForms::Find(const std::string& name) const {
  for (const auto& window : loaded_) {
    if (window->Name() == name) return window;
  }
  return nullptr;
}

std::shared_ptr<frmRefertiLirvo> LoadedForms::MainReportsWindow() const {
  return std::dynamic_pointer_cast<frmRefertiLirvo>(Find(frmRefertiLirvo::kFormName));
}

void LoadedForms::Unload(const Window* window) {
  auto it = std::find_if(loaded_.begin(), loaded_.end(),
                         [window](const auto& w) { return w.get() == window; });
  if (it == loaded_.end()) return;
  std::shared_ptr<Window> unloaded = std::move(*it);
  loaded_.erase(it);
  unloaded->Release();
}

void LoadedForms::ReleaseAll() noexcept {
  for (const auto& window : loaded_) window->Release();
  loaded_.clear();
  main_child_form_.reset();
}

}  // namespace lirvo::forms
