// The host of a dry run: the stand-in Clinora for everything but the
// charts' saves, which it checks as the archive would and answers, then
// keeps in memory instead of the archive. A chart list gives what the
// archive holds followed by what the run saved for that patient, so every
// decision of the run is the one a real run would take.
#pragma once

#include <map>
#include <memory>
#include <vector>

#include "host/host.h"
#include "standin/standin_host.h"

namespace lirvo::cli {

class DryRunHost final : public host::HostApp,
                         public host::Archive,
                         public std::enable_shared_from_this<DryRunHost> {
 public:
  explicit DryRunHost(std::shared_ptr<standin::StandinHost> standin)
      : standin_(std::move(standin)) {}

  host::Framework& GetFramework() override { return standin_->GetFramework(); }
  std::shared_ptr<host::XmlDocument> NewXML() override { return standin_->NewXML(); }
  host::Archive& Archivio() override { return *this; }
  std::shared_ptr<host::Patient> DaiPazienteRegionale(const std::string& code,
                                                      bool regional) override;

  // What the run saved, by patient: the chart items the lists add.
  struct Saved {
    std::vector<host::ChartItem> exams;
    std::vector<host::ChartItem> visits;
  };
  Saved& SavedFor(int64_t patient_id) { return saved_[patient_id]; }
  standin::SqliteArchive& Archive() { return standin_->Archive(); }

 private:
  std::shared_ptr<standin::StandinHost> standin_;
  std::map<int64_t, Saved> saved_;
};

}  // namespace lirvo::cli
