// Loading a bundle into the main reports window: every report whose patient
// the host archive knows becomes a report row under that patient's row.
#pragma once

#include <string>

#include "forms/loaded_forms.h"
#include "forms/window_context.h"

namespace lirvo::forms {

// The most pieces a load walks: the piece counter is a 16-bit number, so a
// bundle cut into more pieces ends the load as an overflow after this many.
inline constexpr size_t kMaxLoadedPieces = 32768;

// Fills the grid of the open main reports window from the bundle at `path`.
// True when the bundle was read: the grid then shows its reports (those
// whose patient the archive holds; others are left out silently), and the
// context's current bundle is `path`. False, with `message`
// "File referti inconsistente!", when the file is missing, unreadable or
// empty: the grid is empty and the current bundle "". False with an empty
// message when the main window is not open (nothing changes) or when a host
// call fails half-way (the load ends there, the grid is not repopulated).
// Shows the hourglass while it works.
bool LoadBundle(WindowContext& context, const LoadedForms& windows, const std::string& path,
                std::string& message);

}  // namespace lirvo::forms
