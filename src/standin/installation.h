// The installation of the stand-in Clinora with the plug-in:
//
//   INSTALL/plugin/Config.xml              the plug-in's configuration
//   INSTALL/plugin/TrascodificaLirvo.xml   exam-code transcoding table
//   INSTALL/plugin/Styles/*.png            the nine ribbon icons
//   INSTALL/documents/                     bundles, imported and discarded files, summaries
//   INSTALL/archive.db                     patients and charts (SQLite)
//
// INSTALL/plugin plays the folder of the plug-in's own component file.
#pragma once

#include <string>
#include <vector>

#include "base/file_system.h"
#include "base/product.h"

namespace lirvo::standin {

// The product name on the root element of Config.xml is kProductName, the
// icons of the Styles folder kIconNames (base/product.h).

// The paths of an installation. All absolute, '/'-separated, folders without
// a trailing separator except DocumentsFolder.
class Installation {
 public:
  // `root` may be relative (to the current folder) and may end with '/'.
  explicit Installation(const std::string& root);

  const std::string& Root() const { return root_; }
  std::string PluginFolder() const { return root_ + "/plugin"; }
  std::string ConfigFile() const { return PluginFolder() + "/" + kConfigFileName; }
  std::string TranscodingFile() const { return PluginFolder() + "/" + kTranscodingFileName; }
  std::string StylesFolder() const { return lirvo::StylesFolder(PluginFolder()); }
  // With a trailing '/', as Config.xml holds it.
  std::string DocumentsFolder() const { return root_ + "/documents/"; }
  std::string ArchiveFile() const { return root_ + "/archive.db"; }

 private:
  std::string root_;
};

// One entry of the transcoding table.
struct TranscodingEntry {
  std::string codice;          // the health authority's exam code
  std::string descrizione;     // its description
  std::string clnID;           // Clinora's exam identifier
  std::string clnDescrizione;  // Clinora's description
};

// The text of Config.xml naming `documents_folder`.
std::string ConfigXmlText(const std::string& documents_folder);

// The text of the transcoding table: a root element holding one "esame"
// element per entry, each with exactly its four value elements.
std::string TranscodingXmlText(const std::vector<TranscodingEntry>& entries);

// True when `inst` already holds an archive or a Config.xml.
bool InstallationExists(FileSystem& fs, const Installation& inst);

// Lays out the installation: folders, Config.xml, the transcoding table with
// `transcoding`, the icons and an empty archive. Existing files of the
// documents folder are kept. With `force` an existing Config.xml, table and
// icons are replaced and the archive is emptied in place (SqliteArchive::Reset:
// refused while another process writes to it or when it is no archive, and
// then nothing is replaced); without it the caller must have checked
// InstallationExists. Throws RuntimeError when a folder or a file cannot be
// made, ArchiveError when the archive cannot be made or emptied.
void LayOutInstallation(FileSystem& fs, const Installation& inst, bool force,
                        const std::vector<TranscodingEntry>& transcoding = {});

// Undoes a laying out that failed half-way (a full disk, a read-only folder),
// so that the folder is as it was and a second try is not refused as an
// existing installation. Made before the laying out, it notes which folders
// and files of the installation (and `extra_files`) are missing; Undo removes
// those that appeared since, files first, then the folders left empty,
// deepest first. Files that existed (replaced by --force) are not touched.
class LayoutRollback {
 public:
  LayoutRollback(FileSystem& fs, const Installation& inst,
                 const std::vector<std::string>& extra_files = {});
  // Reports nothing: whatever cannot be removed stays.
  void Undo() noexcept;

 private:
  FileSystem& fs_;
  std::vector<std::string> new_files_;
  std::vector<std::string> new_folders_;  // deepest first
};

}  // namespace lirvo::standin
