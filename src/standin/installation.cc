#include "standin/installation.h"

#include <filesystem>

#include "base/file_error.h"
#include "base/files.h"
#include "base/runtime_error.h"
#include "base/trap.h"
#include "standin/archive.h"
#include "standin/png.h"

namespace lirvo::standin {
namespace {

std::string EscapeXml(const std::string& s) {
  std::string out;
  for (char c : s) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out.push_back(c);
    }
  }
  return out;
}

// Creates `path` and every missing folder above it.
void MakeFolders(FileSystem& fs, const std::string& path) {
  if (path.empty()) return;
  const PathKind kind = fs.KindOf(path);
  if (kind == PathKind::kFolder) return;
  if (kind != PathKind::kAbsent && kind != PathKind::kUnderAFile && kind != PathKind::kUnknown) {
    throw FileError(kErrPathNotFound, PathProblem::kNotAFolder, path);
  }
  const std::string parent(FolderOf(path));
  if (parent != path) MakeFolders(fs, parent);
  fs.MakeDirectory(path);
}

// The icons' colours: fill and frame, one pair per icon, in kIconNames order.
constexpr Rgb kIconColours[][2] = {
    {{0x2e, 0x7d, 0x32}, {0x1b, 0x5e, 0x20}}, {{0x19, 0x76, 0xd2}, {0x0d, 0x47, 0xa1}},
    {{0x43, 0xa0, 0x47}, {0x1b, 0x5e, 0x20}}, {{0xe5, 0x39, 0x35}, {0xb7, 0x1c, 0x1c}},
    {{0x75, 0x75, 0x75}, {0x42, 0x42, 0x42}}, {{0xfb, 0x8c, 0x00}, {0xe6, 0x51, 0x00}},
    {{0xfd, 0xd8, 0x35}, {0xf5, 0x7f, 0x17}}, {{0x8e, 0x24, 0xaa}, {0x4a, 0x14, 0x8c}},
    {{0x54, 0x6e, 0x7a}, {0x26, 0x32, 0x38}},
};
static_assert(std::size(kIconColours) == std::size(kIconNames));

void WriteIfWanted(FileSystem& fs, const std::string& path, const std::string& bytes,
                   bool replace) {
  if (replace) {
    ReplaceFileContent(fs, path, bytes);
  } else if (!fs.FileExists(path)) {
    CreateNewFile(fs, path, bytes);
  }
}

}  // namespace

Installation::Installation(const std::string& root) {
  std::filesystem::path p = std::filesystem::absolute(root.empty() ? "." : root).lexically_normal();
  root_ = p.generic_string();
  while (root_.size() > 1 && root_.back() == '/') root_.pop_back();
}

std::string ConfigXmlText(const std::string& documents_folder) {
  return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n") + "<configurazione name=\"" +
         kProductName + "\">\n" + "  <parameters>\n" + "    <parameter name=\"documentsfolder\">" +
         EscapeXml(documents_folder) + "</parameter>\n" + "  </parameters>\n" +
         "</configurazione>\n";
}

std::string TranscodingXmlText(const std::vector<TranscodingEntry>& entries) {
  std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<trascodifica>\n";
  for (const auto& e : entries) {
    text += "  <esame>\n";
    text += "    <codice>" + EscapeXml(e.codice) + "</codice>\n";
    text += "    <descrizione>" + EscapeXml(e.descrizione) + "</descrizione>\n";
    text += "    <clnID>" + EscapeXml(e.clnID) + "</clnID>\n";
    text += "    <clnDescrizione>" + EscapeXml(e.clnDescrizione) + "</clnDescrizione>\n";
    text += "  </esame>\n";
  }
  return text + "</trascodifica>\n";
}

bool InstallationExists(FileSystem& fs, const Installation& inst) {
  return FileExists(fs, inst.ArchiveFile()) || FileExists(fs, inst.ConfigFile());
}

void LayOutInstallation(FileSystem& fs, const Installation& inst, bool force,
                        const std::vector<TranscodingEntry>& transcoding) {
  MakeFolders(fs, inst.StylesFolder());
  MakeFolders(fs, std::string(FolderOf(inst.DocumentsFolder())));
  // The archive first: when another process is writing to it, or it is no
  // archive, nothing else of the installation is replaced.
  if (force) SqliteArchive::Reset(inst.ArchiveFile());

  WriteIfWanted(fs, inst.ConfigFile(), ConfigXmlText(inst.DocumentsFolder()), force);
  WriteIfWanted(fs, inst.TranscodingFile(), TranscodingXmlText(transcoding), force);
  for (size_t i = 0; i < std::size(kIconNames); ++i) {
    WriteIfWanted(fs, JoinPath(inst.StylesFolder(), kIconNames[i]),
                  MakeIconPng(16, kIconColours[i][0], kIconColours[i][1]), force);
  }

  SqliteArchive::Open(inst.ArchiveFile(), SqliteArchive::OpenMode::kCreate);
}

LayoutRollback::LayoutRollback(FileSystem& fs, const Installation& inst,
                               const std::vector<std::string>& extra_files)
    : fs_(fs) {
  std::vector<std::string> files = {inst.ConfigFile(), inst.TranscodingFile()};
  for (const char* icon : kIconNames) files.push_back(JoinPath(inst.StylesFolder(), icon));
  for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
    files.push_back(inst.ArchiveFile() + suffix);
  }
  files.insert(files.end(), extra_files.begin(), extra_files.end());
  for (auto& f : files) {
    if (fs.KindOf(f) == PathKind::kAbsent) new_files_.push_back(std::move(f));
  }
  for (const std::string& folder :
       {inst.StylesFolder(), inst.PluginFolder(), std::string(FolderOf(inst.DocumentsFolder()))}) {
    if (fs.KindOf(folder) == PathKind::kAbsent) new_folders_.push_back(folder);
  }
  // The root and the folders above it that init will make.
  for (std::string folder = inst.Root(); !folder.empty() && fs.KindOf(folder) == PathKind::kAbsent;
       folder = std::string(FolderOf(folder))) {
    new_folders_.push_back(folder);
    if (FolderOf(folder) == folder) break;
  }
}

void LayoutRollback::Undo() noexcept {
  for (const auto& f : new_files_) {
    try {
      if (fs_.KindOf(f) == PathKind::kFile) fs_.RemoveFile(f);
    } catch (...) {
      // Stays behind.
      ReportTrap("LayoutRollback.Undo");
    }
  }
  for (const auto& folder : new_folders_) {
    std::error_code ec;
    std::filesystem::remove(folder, ec);  // only when empty
  }
}

}  // namespace lirvo::standin
