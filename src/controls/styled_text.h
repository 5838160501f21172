// Styled text: runs of text that share a font name, a size in points, a
// colour and a bold flag. The rich-text box holds its text as runs, the
// printer gets them, and an RTF file stores them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lirvo::controls {

struct TextStyle {
  std::string font_name = "MS Sans Serif";
  float size = 8.25f;  // points
  int32_t color = 0;   // an RGB long: 0 black, 255 red
  bool bold = false;
  friend bool operator==(const TextStyle&, const TextStyle&) = default;
};

struct StyledRun {
  std::string text;  // UTF-8; line breaks as CR LF
  TextStyle style;
  friend bool operator==(const StyledRun&, const StyledRun&) = default;
};

using StyledText = std::vector<StyledRun>;

}  // namespace lirvo::controls
