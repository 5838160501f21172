// Whole-file routines. Single-byte text files (bundles and the files split
// off them) are Windows-1252 on disk and UTF-8 in memory.
//
// Every write that replaces a file writes a temporary file in the same
// folder, flushes it, and renames it over the target: a failure at any step
// leaves the old content in place. Only regular files are replaced: a folder,
// a FIFO, a device, a socket or a symbolic link to nothing is refused; a
// symbolic link to a regular file has that file replaced and stays a link.
//
// The temporary file is TARGET.~lirvoPID-N. The first write into a folder in
// a process removes the temporary files there whose process has ended (killed
// in the middle of a write); those of live processes are left alone.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/file_system.h"

namespace lirvo {

// The content of a Windows-1252 file as UTF-8; "" when the file does not
// exist or cannot be read.
std::string ReadTextFile(FileSystem& fs, const std::string& path);

// Writes `text` (UTF-8) as Windows-1252, unchanged otherwise (no line break
// added), replacing the file atomically whatever its permission bits. True
// when the file exists afterwards with the new content; false on any error,
// with the old content (or no file) left as it was.
bool WriteTextFile(FileSystem& fs, const std::string& path, std::string_view text);

// Deletes the file whatever its permission bits; reports nothing.
void DeleteFileForced(FileSystem& fs, const std::string& path);

// True when the file exists; false on any error.
bool FileExists(FileSystem& fs, const std::string& path);

// Creates the folder when missing (one level: its parent must exist). True
// when it exists afterwards; false on any error.
bool EnsureFolder(FileSystem& fs, const std::string& path);

// Replaces (or creates) `path` with `bytes` through a temporary file in the
// same folder. Throws RuntimeError (a FileError naming `path` for the disk's
// failures); on failure the old file is untouched and the temporary file is
// removed.
void ReplaceFile(FileSystem& fs, const std::string& path, std::string_view bytes);

// Creates `path` with `bytes` through a temporary file, failing with error 58
// when anything is at `path` (a symbolic link to nothing included): never
// replaces a file it did not mean to.
void CreateNewFile(FileSystem& fs, const std::string& path, std::string_view bytes);

// True for what an input file may be: a regular file, a FIFO (a pipe such
// as the shell's <(...)), a device.
bool IsReadableKind(PathKind kind);

// A path of kind `kind` in words, for messages: "is a folder", "is a symbolic
// link to nothing", "file not found" ...
std::string DescribePathKind(PathKind kind);

// The process id in the name of one of our temporary files, nothing for any
// other name.
std::optional<long> TemporaryFileOwner(std::string_view name);

// Removes the temporary files of ended processes from `folder`, once per
// folder and process; reports nothing.
void RemoveStaleTemporaries(FileSystem& fs, const std::string& folder);

}  // namespace lirvo
