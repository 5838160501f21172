// The stand-in Clinora's archive as the `lirvo` commands open it, and what
// they say when it fails.
#pragma once

#include <memory>
#include <string>

#include "base/runtime_error.h"
#include "cli/cli.h"
#include "standin/archive.h"

namespace lirvo::cli {

// Opens INSTALL/archive.db for `command` ("lirvo patients"), or says on the
// error stream why not and returns nullptr: exit status 2 when there is no
// archive ("no archive at PATH (run lirvo init first)"), 1 for any other
// problem (read-only, not a database, locked ...), told with the path.
std::shared_ptr<standin::SqliteArchive> OpenArchive(const std::string& install,
                                                    const std::string& command,
                                                    standin::SqliteArchive::OpenMode mode,
                                                    Context& ctx);

// Says why an archive call failed ("lirvo chart: PATH: the archive is locked
// by another process ...") and sets exit status 1.
void ReportArchiveFailure(const std::string& command, const RuntimeError& e, Context& ctx);

}  // namespace lirvo::cli
