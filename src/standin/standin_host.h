// The stand-in Clinora: the host application the plug-in is registered with
// when it runs outside the real program (the `lirvo` command, the desktop
// program, the tests). It owns the framework, the archive and the XML
// objects it hands out.
#pragma once

#include <memory>
#include <string>

#include "base/file_system.h"
#include "controls/ui.h"
#include "host/host.h"
#include "standin/archive.h"
#include "standin/framework.h"
#include "standin/installation.h"

namespace lirvo::standin {

class StandinHost final : public host::HostApp {
 public:
  // Opens the installation at `install_folder`; the archive must exist there
  // unless `create_archive`. Throws RuntimeError when the archive cannot be
  // opened. `ui` and `fs` must outlive the host.
  StandinHost(const std::string& install_folder, ui::Ui& ui, FileSystem& fs,
              bool create_archive = false);
  // The same with the archive opened as `mode` says (kReadOnly: every write
  // of the archive fails), from `archive_file` instead of the installation's
  // archive when given (a copy, say).
  StandinHost(const std::string& install_folder, ui::Ui& ui, FileSystem& fs,
              SqliteArchive::OpenMode mode, const std::string& archive_file = "");

  host::Framework& GetFramework() override { return framework_; }
  // A fresh, empty XML object on every call.
  std::shared_ptr<host::XmlDocument> NewXML() override;
  host::Archive& Archivio() override { return *archive_; }

  StandinFramework& Framework() { return framework_; }
  SqliteArchive& Archive() { return *archive_; }
  const std::shared_ptr<SqliteArchive>& SharedArchive() const { return archive_; }
  const Installation& GetInstallation() const { return installation_; }

 private:
  Installation installation_;
  FileSystem& fs_;
  StandinFramework framework_;
  std::shared_ptr<SqliteArchive> archive_;
};

}  // namespace lirvo::standin
