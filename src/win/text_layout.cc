#include "win/text_layout.h"

#include <algorithm>
#include <string_view>

#include "win/wide_text.h"

namespace lirvo::win {

FontSet::~FontSet() {
  for (const auto& [style, font] : fonts_) {
    if (font != nullptr) ::DeleteObject(font);
  }
}

HFONT FontSet::For(const controls::TextStyle& style) {
  auto [it, added] = fonts_.try_emplace({style.font_name, style.size, style.bold}, nullptr);
  if (added) {
    const int height = -static_cast<int>(
        style.size * static_cast<float>(::GetDeviceCaps(dc_, LOGPIXELSY)) / 72 + 0.5f);
    it->second = ::CreateFontW(height, 0, 0, 0, style.bold ? FW_BOLD : FW_NORMAL, 0, 0, 0,
                               DEFAULT_CHARSET, 0, 0, 0, 0, Wide(style.font_name).c_str());
  }
  return it->second;
}

namespace {

class Layout {
 public:
  Layout(HDC dc, FontSet& fonts, int width) : dc_(dc), fonts_(fonts), width_(std::max(width, 1)) {}

  // One paragraph's piece of a run, in its style.
  void Place(std::wstring_view text, const controls::TextStyle& style) {
    ::SelectObject(dc_, fonts_.For(style));
    size_t i = 0;
    while (i < text.size()) {
      size_t end = std::min(text.find(L' ', i), text.size());
      const size_t bare_end = end;
      while (end < text.size() && text[end] == L' ') ++end;
      // Spaces after a word may run past the margin, as they do on screen.
      const int bare = Extent(text.substr(i, bare_end - i));
      if (x_ > 0 && x_ + bare > width_) Break(style, false);
      if (bare > width_ - x_) {
        int fit = 0;
        SIZE size{};
        ::GetTextExtentExPointW(dc_, text.data() + i, static_cast<int>(bare_end - i), width_ - x_,
                                &fit, nullptr, &size);
        fit = std::max(fit, 1);
        Add(text.substr(i, static_cast<size_t>(fit)), style);
        Break(style, false);
        i += static_cast<size_t>(fit);
        continue;
      }
      Add(text.substr(i, end - i), style);
      i = end;
    }
  }

  // Ends the line; an empty one takes the height of the style it ends in.
  void Break(const controls::TextStyle& style, bool paragraph) {
    End(style);
    lines_.emplace_back();
    lines_.back().starts_paragraph = paragraph;
    x_ = 0;
    descent_ = 0;
  }
  void End(const controls::TextStyle& style) {
    if (lines_.back().height == 0) Use(style);
  }

  std::vector<PlacedLine> Lines() && { return std::move(lines_); }

 private:
  // Makes the current line tall enough for the style's font, and selects it.
  void Use(const controls::TextStyle& style) {
    ::SelectObject(dc_, fonts_.For(style));
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc_, &metrics);
    PlacedLine& line = lines_.back();
    line.ascent = std::max(line.ascent, static_cast<int>(metrics.tmAscent));
    descent_ = std::max(descent_, static_cast<int>(metrics.tmDescent));
    line.height = line.ascent + descent_;
  }

  int Extent(std::wstring_view text) const {
    SIZE size{};
    ::GetTextExtentPoint32W(dc_, text.data(), static_cast<int>(text.size()), &size);
    return size.cx;
  }

  void Add(std::wstring_view text, const controls::TextStyle& style) {
    Use(style);
    std::vector<PlacedPiece>& pieces = lines_.back().pieces;
    if (!pieces.empty() && pieces.back().style == style) {
      pieces.back().text += text;
    } else {
      pieces.push_back({std::wstring(text), style, x_});
    }
    x_ += Extent(text);
  }

  HDC dc_;
  FontSet& fonts_;
  const int width_;
  std::vector<PlacedLine> lines_ = std::vector<PlacedLine>(1);
  int x_ = 0;
  int descent_ = 0;
};

}  // namespace

std::vector<PlacedLine> LayOutText(HDC dc, FontSet& fonts, const controls::StyledText& text,
                                   int width) {
  const HGDIOBJ previous = ::GetCurrentObject(dc, OBJ_FONT);
  Layout layout(dc, fonts, width);
  for (const controls::StyledRun& run : text) {
    size_t from = 0;
    for (bool first = true;; first = false) {
      const size_t end = run.text.find('\n', from);
      std::string_view piece = std::string_view(run.text).substr(from, end - from);
      if (!piece.empty() && piece.back() == '\r') piece.remove_suffix(1);
      if (!first) layout.Break(run.style, true);
      layout.Place(Wide(piece), run.style);
      if (end == std::string::npos) break;
      from = end + 1;
    }
  }
  if (!text.empty()) layout.End(text.back().style);
  ::SelectObject(dc, previous);
  return std::move(layout).Lines();
}

}  // namespace lirvo::win
