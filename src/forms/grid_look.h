// The look the plug-in's two grids (the main window's report list and the
// bundle chooser's list) share: the texts of the grouping area and of the
// sort mark, the monospaced font, the grey header, no text when empty.
#pragma once

#include "controls/control.h"
#include "controls/report_grid.h"

namespace lirvo::forms {

inline void ApplySharedGridLook(controls::GridLook& look) {
  look.group_by_prompt = "Trascinare qui il titolo di una colonna per raggruppare";
  look.sort_prefix = "Ordina per ";
  look.font_name = "Courier New";
  look.empty_text = "";
  look.header_back_color = controls::Rgb(212, 208, 200);
}

}  // namespace lirvo::forms
