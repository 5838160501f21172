// The look the plug-in's dialogs share: the white header band with its bold
// title and its subtitle in Arial, the white panel that shows the documents
// folder in "Courier New", and the colours of their separator lines.
#pragma once

#include <cstdint>
#include <optional>

#include "controls/control.h"
#include "controls/simple_controls.h"

namespace lirvo::forms {

inline constexpr int32_t kWhite = controls::Rgb(255, 255, 255);
inline constexpr int32_t kSilver = controls::Rgb(192, 192, 192);
inline constexpr int32_t kDarkGrey = controls::Rgb(64, 64, 64);

inline void ApplyHeaderBandLook(controls::Panel& band, controls::Label& title,
                                controls::Label& subtitle) {
  band.SetBackColor(kWhite);
  title.SetFontName(controls::kFormFontName);
  title.SetFontBold(true);
  subtitle.SetFontName("Arial");
}

// `path_color` is the folder's text colour (none: the window's).
inline void ApplyFolderPanelLook(controls::Panel& panel, controls::Label& path,
                                 std::optional<int32_t> path_color) {
  panel.SetBackColor(kWhite);
  path.SetFontName("Courier New");
  path.SetForeColor(path_color);
}

}  // namespace lirvo::forms
