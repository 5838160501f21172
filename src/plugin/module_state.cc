#include "plugin/module_state.h"

#include "base/runtime_error.h"
#include "importer/single_import.h"
#include "importer/summaries.h"
#include "plugin/cls_config.h"

namespace lirvo::plugin {
namespace {

template <typename T>
T& Required(T* object) {
  if (object == nullptr) throw RuntimeError(kErrObjectNotSet);
  return *object;
}

}  // namespace

std::shared_ptr<ModuleState> ModuleState::Create(Services services) {
  return std::shared_ptr<ModuleState>(new ModuleState(std::move(services)));
}

ModuleState::ModuleState(Services services) : services_(std::move(services)) {}

ModuleState::~ModuleState() = default;

ui::Ui& ModuleState::UserInterface() const { return Required(services_.ui); }
FileSystem& ModuleState::Fs() const { return Required(services_.fs); }
const Clock& ModuleState::GetClock() const { return Required(services_.clock); }
host::HostApp& ModuleState::Host() const { return Required(host_app_.get()); }
clsConfig& ModuleState::Config() const { return Required(app_config_.get()); }

int32_t ModuleState::IDService(std::string_view key) const { return Config().IDService(key); }

void ModuleState::ShowLastProcessing(bool asked) { importer::ShowLastProcessing(*this, asked); }

bool ModuleState::ImportSingleReport(const std::string& patient_id, const std::string& raw_text,
                                     int16_t& count, std::string& error) {
  return importer::ImportSingleReport(*this, patient_id, raw_text, count, error);
}

std::string ModuleState::DocumentsFolder() const { return Config().DocumentsFolder(); }

void ModuleState::SetDocumentsFolder(const std::string& folder) {
  Config().SetDocumentsFolder(folder);
}

void ModuleState::Release() noexcept {
  windows_.ReleaseAll();
  app_config_.reset();
  host_app_.reset();
}

}  // namespace lirvo::plugin
