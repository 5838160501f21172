// Rich text laid out for a printed page, as the detail window's rich-text
// control prints it: each run in its own font, size, weight and colour, the
// paragraphs broken into lines at spaces so that no line is wider than the
// page (a word wider than the page is cut between characters), each line as
// tall as its tallest font.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "controls/styled_text.h"

namespace lirvo::win {

// The fonts of the styles met, made for one device context and deleted with
// the set.
class FontSet {
 public:
  explicit FontSet(HDC dc) : dc_(dc) {}
  ~FontSet();
  FontSet(const FontSet&) = delete;
  FontSet& operator=(const FontSet&) = delete;

  HFONT For(const controls::TextStyle& style);

 private:
  HDC dc_;
  std::map<std::tuple<std::string, float, bool>, HFONT> fonts_;
};

// A piece of one run on a line; `x` counts from the left margin, in the
// device's units.
struct PlacedPiece {
  std::wstring text;
  controls::TextStyle style;
  int x = 0;
};

struct PlacedLine {
  std::vector<PlacedPiece> pieces;
  bool starts_paragraph = true;  // false for a line the width broke off
  int ascent = 0;                // the tallest font's, down to the baseline
  int height = 0;
};

// `text` (line breaks as CR LF) in lines no wider than `width` units of `dc`.
std::vector<PlacedLine> LayOutText(HDC dc, FontSet& fonts, const controls::StyledText& text,
                                   int width);

}  // namespace lirvo::win
