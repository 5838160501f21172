#include "standin/standin_host.h"

#include "standin/xml_document.h"

namespace lirvo::standin {

StandinHost::StandinHost(const std::string& install_folder, ui::Ui& ui, FileSystem& fs,
                         bool create_archive)
    : StandinHost(install_folder, ui, fs,
                  create_archive ? SqliteArchive::OpenMode::kCreate
                                 : SqliteArchive::OpenMode::kMustExist) {}

StandinHost::StandinHost(const std::string& install_folder, ui::Ui& ui, FileSystem& fs,
                         SqliteArchive::OpenMode mode, const std::string& archive_file)
    : installation_(install_folder),
      fs_(fs),
      framework_(ui),
      archive_(SqliteArchive::Open(
          archive_file.empty() ? installation_.ArchiveFile() : archive_file, mode)) {}

std::shared_ptr<host::XmlDocument> StandinHost::NewXML() {
  return std::make_shared<PugiXmlDocument>(fs_);
}

}  // namespace lirvo::standin
