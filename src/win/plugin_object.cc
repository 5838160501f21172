#include "win/plugin_object.h"

#include <windows.h>

#include <map>
#include <memory>
#include <mutex>

#include "base/clock.h"
#include "base/file_system.h"
#include "plugin/plugin.h"
#include "win/com_ids.h"
#include "win/dispatch.h"
#include "win/form_views.h"
#include "win/host_adapter.h"
#include "win/module.h"
#include "win/reports_window.h"
#include "win/variant_convert.h"
#include "win/wide_text.h"
#include "win/win_ui.h"

namespace lirvo::win {
namespace {

// The folder of the DLL, where Config.xml, TrascodificaLirvo.xml and Styles
// lie.
std::string PluginFolder() {
  const std::string path = Utf8(ModulePath());
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// The native window of the main reports window handed to Clinora.
std::unique_ptr<NativeWindow> MainWindowOf(host::EmbeddedForm& form) {
  auto* main = dynamic_cast<forms::frmRefertiLirvo*>(&form);
  if (main == nullptr) return nullptr;
  auto window = std::make_unique<ReportsWindow>(*main);
  if (window->Window() == nullptr) return nullptr;
  return window;
}

struct PluginObject : DispatchObject<PluginObject> {
  PluginObject();

  std::shared_ptr<ThreadPlugin> plugin = ThreadPlugin::ForThisThread();
};

// Evento(TipoEvento As String, clsPlugin As Object, Param() As Variant):
// `clsPlugin` may be Nothing; `Param` may come as an array, a reference to
// one, or a variant holding either; an unallocated or missing array reaches
// the plug-in as unallocated.
void Evento(PluginObject& self, const Arguments& args, Result&) {
  const std::string event = args.Text(0);
  std::shared_ptr<host::HostApp> host;
  if (IDispatch* object = DispatchOf(args.Value(1))) {
    host = std::make_shared<ComHostApp>(object, &MainWindowOf);
  }
  const VARIANT& param = args.Raw(2);
  const VARIANT* inner = &param;
  while (inner->vt == (VT_BYREF | VT_VARIANT) && inner->pvarVal != nullptr) inner = inner->pvarVal;
  host::ParamArray array = host::ParamArray::Unallocated();
  if (inner->vt != VT_EMPTY && inner->vt != VT_ERROR) array = ReadArray(*inner);
  // Keeps the thread's plug-in alive should the event release this object.
  const std::shared_ptr<ThreadPlugin> plugin = self.plugin;
  plugin->Get().Evento(event, host, array);
}

using Member = DispatchObject<PluginObject>::Member;

// In the order of the dispinterface _Plugin.
constexpr Member kMembers[] = {
    {L"Evento", 3, &Evento},
};

PluginObject::PluginObject() : DispatchObject(kDiidPlugin, kProgIdPlugin, kMembers) {}

}  // namespace

ThreadPlugin::ThreadPlugin()
    : folder_(PluginFolder()),
      plugin_(plugin::Services{&ui_, &RealFileSystem(), &clock_, folder_}) {
  SetFormViews(ui_);
}

std::shared_ptr<ThreadPlugin> ThreadPlugin::ForThisThread() {
  static std::mutex mutex;
  static std::map<DWORD, std::weak_ptr<ThreadPlugin>> plugins;
  const std::lock_guard<std::mutex> lock(mutex);
  std::weak_ptr<ThreadPlugin>& slot = plugins[::GetCurrentThreadId()];
  std::shared_ptr<ThreadPlugin> plugin = slot.lock();
  if (!plugin) {
    plugin = std::make_shared<ThreadPlugin>();
    slot = plugin;
  }
  // Threads whose plug-in has gone leave no entry behind.
  std::erase_if(plugins, [](const auto& entry) { return entry.second.expired(); });
  return plugin;
}

IDispatch* NewPluginObject() { return new PluginObject(); }

}  // namespace lirvo::win
