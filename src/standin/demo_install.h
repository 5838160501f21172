// The demo content of an installation (`lirvo init --demo`): the demo
// patients in the archive, a few report bundles in the documents folder and
// a transcoding table for some of the laboratory codes those bundles use.
#pragma once

#include <string>
#include <vector>

#include "base/file_system.h"
#include "standin/archive.h"
#include "standin/installation.h"

namespace lirvo::standin {

// Transcoding entries for part of the demo laboratory codes; the others are
// left out on purpose, so an import also meets codes that are not transcoded.
const std::vector<TranscodingEntry>& DemoTranscoding();

struct DemoContent {
  size_t patients = 0;               // patients added
  std::vector<std::string> bundles;  // file names written in documents/
};

// The paths of the demo bundles in the documents folder.
std::vector<std::string> DemoBundleFiles(const Installation& inst);

// Adds the demo patients that the archive does not hold yet (same tessera)
// and writes the demo bundles (Windows-1252, CR LF) into the documents folder;
// a bundle already there is replaced only with `replace`. Throws RuntimeError
// (FileError for the disk) when the archive or a file cannot be written.
DemoContent InstallDemoContent(FileSystem& fs, const Installation& inst, SqliteArchive& archive,
                               bool replace);

}  // namespace lirvo::standin
