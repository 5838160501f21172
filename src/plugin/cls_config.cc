#include "plugin/cls_config.h"

#include "base/trap.h"
#include "plugin/module_state.h"

namespace lirvo::plugin {

void clsConfig::InitGUI(const host::Variant& frm) {
  (void)frm;  // the host form that loaded; the tab does not depend on it
  try {
    ribbon_.Build(store_.DocumentsFolder());
  } catch (...) {
    // The construction ends here; the controls made so far stay.
    ReportTrap("clsConfig.InitGUI");
  }
}

void clsConfig::MainMDITab() {
  try {
    state_.Windows().OpenMainWindow();
  } catch (...) {
    // The attempt ends here, silently.
    ReportTrap("clsConfig.MainMDITab");
  }
}

}  // namespace lirvo::plugin
