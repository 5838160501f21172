// lirvo-desk: the stand-in Clinora with a window, the plug-in inside it.
//
//   lirvo-desk [INSTALL]    the installation made by `lirvo init` (default: .)
#include <QApplication>
#include <QMessageBox>
#include <iostream>
#include <memory>
#include <string>

#include "base/clock.h"
#include "base/file_system.h"
#include "base/runtime_error.h"
#include "desk/desk_window.h"
#include "plugin/plugin.h"
#include "qt/form_dialogs.h"
#include "qt/qt_text.h"
#include "qt/qt_ui.h"
#include "standin/host_form.h"
#include "standin/standin_host.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QStringList args = QApplication::arguments();
  if (args.size() > 2 || args.contains("--help") || args.contains("-h")) {
    std::cout << "usage: lirvo-desk [INSTALL]\n"
                 "Opens the stand-in Clinora with the plug-in on the installation INSTALL\n"
                 "(made with lirvo init; default: the current folder).\n";
    return args.size() > 2 ? 64 : 0;
  }
  const std::string install = args.size() == 2 ? lirvo::qt::ToUtf8(args[1]) : ".";

  lirvo::qt::QtUi ui;
  lirvo::qt::SetFormDialogs(ui);
  lirvo::SystemClock clock;
  lirvo::FileSystem& fs = lirvo::RealFileSystem();
  std::shared_ptr<lirvo::standin::StandinHost> host;
  try {
    host = std::make_shared<lirvo::standin::StandinHost>(install, ui, fs);
  } catch (const lirvo::RuntimeError& e) {
    QMessageBox::critical(nullptr, QStringLiteral("lirvo-desk"),
                          lirvo::qt::ToQString(install + ": not an installation (" + e.what() +
                                               "); make one with lirvo init"));
    return 1;
  }
  lirvo::plugin::Plugin plugin({&ui, &fs, &clock, host->GetInstallation().PluginFolder()});
  int status = 0;
  {
    lirvo::desk::DeskWindow window(host, plugin);
    ui.SetParent(&window);
    window.resize(1100, 700);
    window.show();
    window.SendEvent(lirvo::plugin::kEventRegistrazione, int64_t{0});
    window.SendEvent(
        lirvo::plugin::kEventFormLoad,
        std::shared_ptr<lirvo::host::Dispatch>(std::make_shared<lirvo::standin::HostForm>(
            lirvo::host::Variant{std::string("frmMain")})));
    status = QApplication::exec();
    window.SendEvent(lirvo::plugin::kEventFine);
    ui.SetParent(nullptr);
  }
  return status;
}
