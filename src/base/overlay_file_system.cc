#include "base/overlay_file_system.h"

#include "base/file_error.h"
#include "base/runtime_error.h"

namespace lirvo {
namespace {

std::string WithoutTrailingSeparator(std::string folder) {
  while (folder.size() > 1 && IsPathSeparator(folder.back())) folder.pop_back();
  return folder;
}

}  // namespace

const std::optional<OverlayFileSystem::File>* OverlayFileSystem::Changed(
    const std::string& path) const {
  auto it = files_.find(path);
  return it == files_.end() ? nullptr : &it->second;
}

std::vector<std::string> OverlayFileSystem::Written() const {
  std::vector<std::string> out;
  for (const auto& [path, file] : files_) {
    if (file) out.push_back(path);
  }
  return out;
}

std::vector<std::string> OverlayFileSystem::Removed() const {
  std::vector<std::string> out;
  for (const auto& [path, file] : files_) {
    if (!file && below_.FileExists(path)) out.push_back(path);
  }
  return out;
}

bool OverlayFileSystem::FileExists(const std::string& path) {
  if (const auto* changed = Changed(path)) return changed->has_value();
  return below_.FileExists(path);
}

bool OverlayFileSystem::DirectoryExists(const std::string& path) {
  return folders_.count(WithoutTrailingSeparator(path)) != 0 || below_.DirectoryExists(path);
}

std::string OverlayFileSystem::ReadFile(const std::string& path) {
  if (const auto* changed = Changed(path)) {
    if (!*changed) throw FileError(kErrFileNotFound, PathProblem::kNotFound, path);
    return (*changed)->data;
  }
  return below_.ReadFile(path);
}

void OverlayFileSystem::WriteFile(const std::string& path, std::string_view data) {
  const std::string folder(FolderOf(path));
  if (!folder.empty() && !DirectoryExists(folder)) {
    throw FileError(kErrPathNotFound, PathProblem::kNotFound, path);
  }
  if (!Changed(path)) WriteTarget(path);  // refuses what the disk would refuse
  files_[path] = File{std::string(data), clock_.Now()};
}

void OverlayFileSystem::RenameFile(const std::string& from, const std::string& to) {
  std::string data = ReadFile(from);
  WriteFile(to, data);
  files_[from] = std::nullopt;
}

void OverlayFileSystem::RenameNoReplace(const std::string& from, const std::string& to) {
  if (KindOf(to) != PathKind::kAbsent) throw FileError(kErrFileExists, PathProblem::kExists, to);
  RenameFile(from, to);
}

void OverlayFileSystem::RemoveFile(const std::string& path) {
  if (!FileExists(path)) throw FileError(kErrFileNotFound, PathProblem::kNotFound, path);
  files_[path] = std::nullopt;
}

void OverlayFileSystem::MakeDirectory(const std::string& path) {
  if (DirectoryExists(path)) throw FileError(kErrPathFileAccess, PathProblem::kExists, path);
  folders_.insert(WithoutTrailingSeparator(path));
}

std::vector<DirEntry> OverlayFileSystem::ListDirectory(const std::string& path) {
  const std::string folder = WithoutTrailingSeparator(path);
  std::vector<DirEntry> out;
  if (folders_.count(folder) == 0) {
    for (DirEntry& e : below_.ListDirectory(path)) {
      if (!Changed(JoinPath(folder, e.name))) out.push_back(std::move(e));
    }
  }
  for (const auto& [file_path, file] : files_) {
    if (!file || FolderOf(file_path) != folder) continue;
    out.push_back({std::string(FileNameOf(file_path)), false, file->data.size(), file->modified});
  }
  return out;
}

std::optional<uint64_t> OverlayFileSystem::FileSize(const std::string& path) {
  if (const auto* changed = Changed(path)) {
    if (!*changed) return std::nullopt;
    return (*changed)->data.size();
  }
  return below_.FileSize(path);
}

PathKind OverlayFileSystem::KindOf(const std::string& path) {
  if (const auto* changed = Changed(path)) return *changed ? PathKind::kFile : PathKind::kAbsent;
  if (folders_.count(WithoutTrailingSeparator(path)) != 0) return PathKind::kFolder;
  return below_.KindOf(path);
}

std::string OverlayFileSystem::WriteTarget(const std::string& path) {
  if (Changed(path)) return path;
  return below_.WriteTarget(path);
}

}  // namespace lirvo
