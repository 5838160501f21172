// What a window of the plug-in may reach: the services it runs on, the host,
// the plug-in's folder, and the few pieces of the plug-in's state it may read
// or change. The plug-in implements it (plugin::ModuleState); the tests give
// their own.
//
// A window holds its context weakly (forms::Window): once the plug-in has
// released the window, or is gone, every handler of the window does nothing,
// so a host that keeps a child window alive after "fine" cannot make it reach
// freed state.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "base/clock.h"
#include "base/file_system.h"
#include "controls/ui.h"
#include "host/host.h"

namespace lirvo::forms {

class WindowContext : public std::enable_shared_from_this<WindowContext> {
 public:
  virtual ~WindowContext() = default;

  // The services and the host. Each throws RuntimeError 91 (object not set)
  // when the object is missing, the way a call on an unset object variable
  // fails.
  virtual ui::Ui& UserInterface() const = 0;
  virtual FileSystem& Fs() const = 0;
  virtual const Clock& GetClock() const = 0;
  virtual host::HostApp& Host() const = 0;
  host::Framework& HostFramework() const { return Host().GetFramework(); }

  // The folder of the plug-in's own files (Config.xml, Styles/), without a
  // trailing separator.
  virtual const std::string& PluginFolder() const = 0;

  // The documents folder of the configuration; 91 without a configuration.
  virtual std::string DocumentsFolder() const = 0;
  // Writes a new documents folder into the configuration (clsConfig's
  // DocumentsFolder setter); 91 without a configuration.
  virtual void SetDocumentsFolder(const std::string& folder) = 0;

  // The host-issued identifier of the ribbon command `key`
  // ("RefertiLirvo.referti.last" ...), 0 when the registry has no such
  // command; 91 without a configuration.
  virtual int32_t IDService(std::string_view key) const = 0;

  // ---- What the windows ask of the import engine, which sits above them.
  // Shows the summary of the last processing (the unread one while there is
  // one) in the detail window; with `asked` false nothing is said when there
  // is none.
  virtual void ShowLastProcessing(bool asked) = 0;
  // Imports one report of the grid (its patient's ID and its raw text) into
  // the chart: True when every item was saved; `count` gets the items saved
  // and `error` the lines of what went wrong.
  virtual bool ImportSingleReport(const std::string& patient_id, const std::string& raw_text,
                                  int16_t& count, std::string& error) = 0;

  // The full path of the bundle shown in the main reports window; "" when
  // none is loaded.
  virtual const std::string& CurrentBundle() const = 0;
  virtual void SetCurrentBundle(std::string path) = 0;
};

// A window of the plug-in, shown inside a host child window or modally. It
// reaches the plug-in only through its context, while it is loaded.
class Window : public host::EmbeddedForm {
 public:
  // The context, or nullptr once the window has been released (or the
  // plug-in is gone). A handler keeps what it got for its whole run.
  std::shared_ptr<WindowContext> Context() const { return context_.lock(); }
  bool Loaded() const { return !context_.expired(); }
  // Cuts the window off its context: from now on its handlers do nothing.
  void Release() { context_.reset(); }

 protected:
  explicit Window(std::weak_ptr<WindowContext> context) : context_(std::move(context)) {}

 private:
  std::weak_ptr<WindowContext> context_;
};

}  // namespace lirvo::forms
