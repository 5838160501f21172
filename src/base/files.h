// Whole-file routines. Single-byte text files (bundles and the files split
// off them) are Windows-1252 on disk and UTF-8 in memory.
//
// Every write that replaces a file writes a temporary file in the same
// folder, flushes it, and renames it over the target: a failure at any step
// leaves the old content in place.
#pragma once

#include <string>
#include <string_view>

#include "base/busy_pointer.h"
#include "base/file_system.h"

namespace lirvo {

// ReadTextFile and WriteTextFile show the hourglass on `screen` (the
// caller's Ui) while they work and put the previous pointer back on every
// path, failures included; given no screen, they leave the pointer alone.

// The content of a Windows-1252 file as UTF-8; "" when the file does not
// exist or cannot be read.
std::string ReadTextFile(FileSystem& fs, const std::string& path, BusyPointer* screen = nullptr);

// Writes `text` (UTF-8) as Windows-1252, unchanged otherwise (no line break
// added), replacing the file atomically whatever its permission bits. True
// when the file exists afterwards with the new content; false on any error,
// with the old content (or no file) left as it was.
bool WriteTextFile(FileSystem& fs, const std::string& path, std::string_view text,
                   BusyPointer* screen = nullptr);

// Deletes the file whatever its permission bits; reports nothing.
void DeleteFileForced(FileSystem& fs, const std::string& path);

// True when the file exists; false on any error.
bool FileExists(FileSystem& fs, const std::string& path);

// Creates the folder when missing (one level: its parent must exist). True
// when it exists afterwards; false on any error.
bool EnsureFolder(FileSystem& fs, const std::string& path);

// Replaces (or creates) `path` with `bytes` through a temporary file in the
// same folder. Throws RuntimeError; on failure the old file is untouched and
// the temporary file is removed.
void ReplaceFileContent(FileSystem& fs, const std::string& path, std::string_view bytes);

// Creates `path` with `bytes` through a temporary file, failing with error 58
// when `path` already exists: never replaces a file it did not mean to, not
// even one that appears while the temporary file is written.
void CreateNewFile(FileSystem& fs, const std::string& path, std::string_view bytes);

}  // namespace lirvo
