// The plug-in's loaded windows: the one place that opens them, finds them by
// name and releases them. The command registry's MainMDITab and the command
// dispatcher both go through it; the plug-in's module state owns the one
// instance.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "forms/window_context.h"
#include "host/host.h"

namespace lirvo::forms {

class frmRefertiLirvo;

class LoadedForms {
 public:
  // `context` is what the windows get, weakly: it must be owned by a
  // shared_ptr, and it must outlive this object (it owns it).
  explicit LoadedForms(WindowContext& context) : context_(context) {}
  // Releases every window.
  ~LoadedForms();
  LoadedForms(const LoadedForms&) = delete;
  LoadedForms& operator=(const LoadedForms&) = delete;

  // Opens the main reports window as a host child window, unless the host
  // says one captioned "Referti Lirvo" exists: loads a default instance
  // (for its icon) and a new one, hands the new one to CreateChildForm,
  // sets the child window's icon and caption, shows it, and unloads the
  // default instance. Throws like the host; a failed opening leaves no
  // window loaded.
  void OpenMainWindow();

  // The loaded window named `name` ("frmRefertiLirvo"), or nullptr.
  std::shared_ptr<Window> Find(const std::string& name) const;
  // The loaded main reports window, or nullptr.
  std::shared_ptr<frmRefertiLirvo> MainReportsWindow() const;
  // The host child window that carries the main reports window
  // (MainChildForm), or nullptr.
  const std::shared_ptr<host::ChildForm>& MainChildForm() const { return main_child_form_; }
  size_t Count() const { return loaded_.size(); }

  // Unloads `window`: it leaves the loaded windows and is cut off its
  // context.
  void Unload(const Window* window);
  // Releases every window it loaded (each cut off its context) and drops
  // the child window it opened; the host may keep showing it, inert.
  void ReleaseAll() noexcept;

 private:
  // A new window that has joined the loaded windows and run its Form_Load.
  std::shared_ptr<frmRefertiLirvo> LoadMainReportsWindow();

  WindowContext& context_;
  std::vector<std::shared_ptr<Window>> loaded_;
  std::shared_ptr<host::ChildForm> main_child_form_;
};

}  // namespace lirvo::forms
