// A file system that reads through to another one and keeps every change in
// memory: what a dry run writes, renames or deletes is seen by the rest of
// that run and never reaches the file system below. The first change of a
// path takes its content from below; nothing below is ever written.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/file_system.h"

namespace lirvo {

class OverlayFileSystem final : public FileSystem {
 public:
  // `clock` dates the files written in memory; both must outlive this.
  OverlayFileSystem(FileSystem& below, const Clock& clock) : below_(below), clock_(clock) {}

  // The paths the run changed, in path order: written (or renamed to) and
  // removed (or renamed away).
  std::vector<std::string> Written() const;
  std::vector<std::string> Removed() const;

  bool FileExists(const std::string& path) override;
  bool DirectoryExists(const std::string& path) override;
  std::string ReadFile(const std::string& path) override;
  void WriteFile(const std::string& path, std::string_view data) override;
  void RenameFile(const std::string& from, const std::string& to) override;
  void RenameNoReplace(const std::string& from, const std::string& to) override;
  void RemoveFile(const std::string& path) override;
  void MakeDirectory(const std::string& path) override;
  std::vector<DirEntry> ListDirectory(const std::string& path) override;
  std::optional<uint64_t> FileSize(const std::string& path) override;
  PathKind KindOf(const std::string& path) override;
  std::string WriteTarget(const std::string& path) override;

 private:
  struct File {
    std::string data;
    DateTime modified;
  };
  // The path's entry in memory: nullptr when it was never changed; an
  // empty optional when it was removed.
  const std::optional<File>* Changed(const std::string& path) const;

  FileSystem& below_;
  const Clock& clock_;
  std::map<std::string, std::optional<File>> files_;
  std::set<std::string> folders_;
};

}  // namespace lirvo
