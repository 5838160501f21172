// The plug-in's main reports window as an automation object, for the host to
// carry in one of its child windows (Framework.CreateChildForm), and the
// child window the host gives back.
#pragma once

#include <ole2.h>
#include <windows.h>

#include <memory>
#include <string>

#include "host/host.h"
#include "win/host_adapter.h"
#include "win/native_window.h"

namespace lirvo::win {

// A new object with one reference over `form`: Name (the form's name),
// Activate and Resize(width, height in twips), which the host calls as the
// child window lives, and hWnd: the form's native window, made by
// `make_window` on first read (hidden and without a parent, for the host to
// adopt and show), 0 when there is none. The object holds the form and its
// window while the host holds it.
IDispatch* NewFormObject(std::shared_ptr<host::EmbeddedForm> form,
                         NativeWindowMaker make_window = {});

// The host's child window carrying a form: its Caption and Icon properties
// and its Show method.
class ComChildForm : public host::ChildForm, public ComHeld {
 public:
  ComChildForm(IDispatch* child, std::shared_ptr<host::EmbeddedForm> form)
      : ComHeld(child), form_(std::move(form)) {}
  std::string Caption() const override;
  void SetCaption(const std::string& caption) override;
  // The image file last set (the host holds it as a picture).
  std::string Icon() const override { return icon_; }
  // Sets the window's icon to the picture in the file `icon`; a file the
  // system cannot read as a picture leaves the host's own icon.
  void SetIcon(const std::string& icon) override;
  void Show() override;
  std::shared_ptr<host::EmbeddedForm> Form() const override { return form_; }

 private:
  std::shared_ptr<host::EmbeddedForm> form_;
  std::string icon_;
};

}  // namespace lirvo::win
