#include "cli/archive_access.h"

#include <ostream>

#include "standin/installation.h"

namespace lirvo::cli {

std::shared_ptr<standin::SqliteArchive> OpenArchive(const std::string& install,
                                                    const std::string& command,
                                                    standin::SqliteArchive::OpenMode mode,
                                                    Context& ctx) {
  const standin::Installation inst(install);
  try {
    return standin::SqliteArchive::Open(inst.ArchiveFile(), mode);
  } catch (const standin::ArchiveError& e) {
    if (e.Problem() == standin::ArchiveProblem::kMissing) {
      ctx.err << command << ": no archive at " << inst.ArchiveFile() << " (run lirvo init first)\n";
      ctx.exit_code = kExitUsage;
    } else {
      ReportArchiveFailure(command, e, ctx);
    }
    return nullptr;
  }
}

void ReportArchiveFailure(const std::string& command, const RuntimeError& e, Context& ctx) {
  if (const auto* archive = dynamic_cast<const standin::ArchiveError*>(&e)) {
    ctx.err << command << ": " << archive->Explain() << '\n';
  } else {
    ctx.err << command << ": " << e.Number() << " - " << e.Description() << '\n';
  }
  ctx.exit_code = kExitFailure;
}

}  // namespace lirvo::cli
