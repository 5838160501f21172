#include "standin/standin_host.h"

#include "standin/xml_document.h"

namespace lirvo::standin {

StandinHost::StandinHost(const std::string& install_folder, ui::Ui& ui, FileSystem& fs,
                         bool create_archive)
    : installation_(install_folder),
      fs_(fs),
      framework_(ui),
      archive_(SqliteArchive::Open(installation_.ArchiveFile(),
                                   create_archive ? SqliteArchive::OpenMode::kCreate
                                                  : SqliteArchive::OpenMode::kMustExist)) {}

std::shared_ptr<host::XmlDocument> StandinHost::NewXML() {
  return std::make_shared<PugiXmlDocument>(fs_);
}

}  // namespace lirvo::standin
