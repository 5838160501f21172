#include "plugin/ribbon_builder.h"

#include <memory>
#include <string_view>

#include "base/files.h"
#include "base/product.h"
#include "base/runtime_error.h"
#include "plugin/command_registry.h"
#include "plugin/module_state.h"

namespace lirvo::plugin {
namespace {

enum class Visibility {
  kHostDefault,
  kWithoutUnreadSummary,
  kWithUnreadSummary,
  kWithSkippedSummary,
};

template <typename T>
T& Obj(const std::shared_ptr<T>& object) {
  if (!object) throw RuntimeError(kErrObjectNotSet);
  return *object;
}

}  // namespace

struct RibbonBuilder::Button {
  std::string_view key;
  const char* caption;
  const char* tooltip;
  const char* icon;  // in the Styles folder
  bool flag;         // the fifth argument of InsertGroupButton
  bool enabled;
  Visibility visibility;
};

std::string RibbonBuilder::IconPath(const char* icon) const {
  return StylesPath(state_.PluginFolder(), icon);
}

void RibbonBuilder::AddButton(host::Framework& fw, host::RibbonGroup& group, const Button& b,
                              const std::string& documents_folder) {
  const int32_t id = registry_.IDService(b.key);
  if (id == 0) return;
  fw.AddFileBitmap(IconPath(b.icon), id);
  auto control = fw.InsertGroupButton(group, b.caption, id, 4, b.flag, b.tooltip);
  Obj(control).SetEnabled(b.enabled);
  // FileExists answers false on any error (trapped); no file system at all
  // counts as no file.
  auto exists = [&](const char* name) {
    FileSystem* fs = state_.FileSystemIfAny();
    return fs != nullptr && FileExists(*fs, documents_folder + name);
  };
  switch (b.visibility) {
    case Visibility::kHostDefault:
      break;
    case Visibility::kWithoutUnreadSummary:
      control->SetVisible(!exists(kUnreadSummaryFile));
      break;
    case Visibility::kWithUnreadSummary:
      control->SetVisible(exists(kUnreadSummaryFile));
      break;
    case Visibility::kWithSkippedSummary:
      control->SetVisible(exists(kSkippedSummaryFile));
      break;
  }
}

void RibbonBuilder::Build(const std::string& documents_folder) {
  using V = Visibility;
  static const Button kReferti[] = {
      {kKeyStorico, "Storico", "Controllo storico referti scaricati", kIconStorico, false, true,
       V::kHostDefault},
      {kKeyImporta, "Importa", "Importa i referti in elenco", kIconImporta, true, false,
       V::kHostDefault},
      {kKeyRinuncia, "Rinuncia", "Forza ad importati i referti in elenco", kIconRinuncia, false,
       false, V::kHostDefault},
      {kKeyStampa, "Stampa", "Stampa un rapportino dei referti in elenco", kIconStampa, true, false,
       V::kHostDefault},
  };
  static const Button kStrumenti[] = {
      {kKeyLast, "Ultima", "Ultima elaborazione", kIconLast, true, true, V::kWithoutUnreadSummary},
      {kKeyLastUnread, "Ultima", "Verifica ultima elaborazione", kIconLastUnread, true, true,
       V::kWithUnreadSummary},
      {kKeyLastDouble, "Doppi", "Ultimi referti tralascitati perchè già inseriti", kIconLastDouble,
       true, true, V::kWithSkippedSummary},
      {kKeySetup, "Opzioni", "Configurazione della procedura", kIconSetup, true, true,
       V::kHostDefault},
  };
  auto& fw = state_.HostFramework();
  auto tab = fw.InsertRibbonTab(kTabCaption);
  auto first_group = Obj(tab).AddGroup(kTabCaption, 1);
  const int32_t main_id = registry_.IDService(kKeyMain);
  if (main_id != 0) {
    fw.AddFileBitmap(IconPath(kIconMain), main_id);
    fw.InsertGroupControl(Obj(first_group), main_id);
  }
  auto referti = fw.InsertTabGroup(*tab, "Referti");
  for (const auto& b : kReferti) AddButton(fw, Obj(referti), b, documents_folder);
  auto strumenti = fw.InsertTabGroup(*tab, "Strumenti");
  for (const auto& b : kStrumenti) AddButton(fw, Obj(strumenti), b, documents_folder);
}

}  // namespace lirvo::plugin
