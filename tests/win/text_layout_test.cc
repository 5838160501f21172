// The layout of rich text for the printer, on a memory device context under
// Wine: nothing of the text is lost or doubled, no line runs past the width,
// each piece keeps its run's style and each line is as tall as its fonts.
// Exit status 0 when every check passed, 1 otherwise.
#include "win/text_layout.h"

#include <windows.h>

#include <string>

#include "controls/styled_text.h"
#include "win/wide_text.h"
#include "win_check.h"

namespace {

using lirvo::controls::StyledText;
using lirvo::controls::TextStyle;
using lirvo::wintest::Check;

void CheckLayout() {
  const TextStyle title{"Arial", 14, 0, true};
  const TextStyle value{"Courier New", 8, 255, true};
  const TextStyle body{"Arial", 10, 0, false};
  std::string sentence;
  for (int i = 0; i < 40; ++i) sentence += "esame" + std::to_string(i) + " ";
  const StyledText text = {
      {"Referto del 15/03/2024\r\n", title},
      {"GLICEMIA  ", {"Courier New", 8, 0, false}},
      {"*130 mg/dl", value},
      {"\r\n\r\n" + sentence + "\r\n", body},
      {std::string(120, 'x') + " fine", body},
  };
  HDC dc = ::CreateCompatibleDC(nullptr);
  lirvo::win::FontSet fonts(dc);
  const int width = 300;
  const auto lines = lirvo::win::LayOutText(dc, fonts, text, width);

  std::wstring expected;
  for (const auto& run : text) expected += lirvo::win::Wide(run.text);
  for (size_t at; (at = expected.find(L"\r\n")) != std::wstring::npos;) expected.erase(at, 1);
  std::wstring laid_out;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i > 0 && lines[i].starts_paragraph) laid_out += L'\n';
    for (const auto& piece : lines[i].pieces) laid_out += piece.text;
  }
  Check(laid_out == expected,
        "the laid-out text is not the text: " + lirvo::win::Utf8(std::wstring_view(laid_out)));
  Check(lines.size() > 6, "the long paragraph and the long word were not wrapped: " +
                              std::to_string(lines.size()) + " lines");

  for (size_t i = 0; i < lines.size(); ++i) {
    const auto& line = lines[i];
    Check(line.ascent > 0 && line.height > line.ascent,
          "line " + std::to_string(i) + " has no height");
    for (const auto& piece : line.pieces) {
      // Spaces after the last word may hang past the margin.
      const std::wstring bare = piece.text.substr(0, piece.text.find_last_not_of(L' ') + 1);
      ::SelectObject(dc, fonts.For(piece.style));
      SIZE size{};
      ::GetTextExtentPoint32W(dc, bare.c_str(), static_cast<int>(bare.size()), &size);
      Check(piece.x + size.cx <= width, "line " + std::to_string(i) + " runs past the width: " +
                                            lirvo::win::Utf8(std::wstring_view(piece.text)));
    }
  }
  Check(lines[0].pieces.size() == 1 && lines[0].pieces[0].style == title,
        "the title keeps its style");
  Check(lines[1].pieces.size() == 2 && lines[1].pieces[1].text == L"*130 mg/dl" &&
            lines[1].pieces[1].style == value && lines[1].pieces[1].x > 0,
        "the value keeps its red bold, after the name");
  Check(lines[0].height > lines[1].height, "the title's line is taller");
  Check(lines[2].pieces.empty() && lines[2].starts_paragraph, "an empty paragraph is a line");
  Check(!lines[4].starts_paragraph, "a wrapped line continues its paragraph");
  ::DeleteDC(dc);
}

}  // namespace

int wmain() {
  CheckLayout();
  std::printf("text layout checks done: %d failed\n", lirvo::wintest::g_failures);
  return lirvo::wintest::g_failures == 0 ? 0 : 1;
}
