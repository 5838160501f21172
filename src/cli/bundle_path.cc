#include "cli/bundle_path.h"

#include "standin/installation.h"

namespace lirvo::cli {

std::string BundlePath(FileSystem& fs, const std::string& install, const std::string& file) {
  if (fs.KindOf(file) != PathKind::kAbsent || FileNameOf(file) != file) return file;
  return standin::Installation(install).DocumentsFolder() + file;
}

}  // namespace lirvo::cli
