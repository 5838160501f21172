#include "controls/simple_controls.h"

#include <algorithm>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <utility>

#include "base/runtime_error.h"
#include "base/utf8.h"

namespace lirvo::controls {
namespace {

// Sets `field`; true when the value differed.
template <typename T>
bool Assign(T& field, const T& value) {
  if (field == value) return false;
  field = value;
  return true;
}

[[noreturn]] void InvalidValue() {
  throw RuntimeError(kErrInvalidPropertyValue, "Valore di proprietà non valido");
}

}  // namespace

void CaptionedControl::SetCaption(const std::string& caption) {
  if (Assign(caption_, caption)) Changed();
}

void Panel::SetBackColor(std::optional<int32_t> color) {
  if (Assign(back_color_, color)) Changed();
}

void Panel::SetBorderColor(std::optional<int32_t> color) {
  if (Assign(border_color_, color)) Changed();
}

void Label::SetFontName(const std::string& name) {
  if (Assign(font_name_, name)) Changed();
}

void Label::SetFontBold(bool bold) {
  if (Assign(font_bold_, bold)) Changed();
}

void Label::SetForeColor(std::optional<int32_t> color) {
  if (Assign(fore_color_, color)) Changed();
}

void TextBox::SetText(const std::string& text) {
  if (!Assign(text_, text)) return;
  Changed();
  if (on_text_change_) on_text_change_();
}

void TextBox::AppendCharacter(char32_t character) {
  std::string text = text_;
  AppendUtf8(text, character);
  SetText(text);
}

Line::Line(std::string name, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t border_color)
    : Control(std::move(name), {}),
      x1_(x1),
      y1_(y1),
      x2_(x2),
      y2_(y2),
      border_color_(border_color) {
  AssignBounds(SpannedBounds(x1, y1, x2, y2));
}

Bounds Line::SpannedBounds(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  const int64_t width = std::abs(int64_t{x2} - x1);
  const int64_t height = std::abs(int64_t{y2} - y1);
  return {std::min(x1, x2), std::min(y1, y2),
          static_cast<int32_t>(std::min<int64_t>(width, INT32_MAX)),
          static_cast<int32_t>(std::min<int64_t>(height, INT32_MAX))};
}

void Line::SetPoints(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  bool changed = false;
  for (auto [field, value] : {std::pair{&x1_, x1}, {&y1_, y1}, {&x2_, x2}, {&y2_, y2}}) {
    if (Assign(*field, value)) changed = true;
  }
  if (AssignBounds(SpannedBounds(x1, y1, x2, y2))) changed = true;
  if (changed) Changed();
}

void Line::SetBorderColor(int32_t color) {
  if (Assign(border_color_, color)) Changed();
}

void ProgressBar::SetText(const std::string& text) {
  if (Assign(text_, text)) Changed();
}

void ProgressBar::SetMax(int32_t max) {
  if (max < 0) InvalidValue();
  const bool max_changed = Assign(max_, max);
  const bool value_changed = Assign(value_, std::min(value_, max));
  if (max_changed || value_changed) Changed();
}

void ProgressBar::SetValue(int32_t value) {
  if (value < 0 || value > max_) InvalidValue();
  if (Assign(value_, value)) Changed();
}

nlohmann::json ProgressBar::Describe() const {
  return {{"type", "progress"},
          {"text", SanitizeUtf8(text_)},
          {"value", value_},
          {"max", max_},
          {"visible", Visible()}};
}

}  // namespace lirvo::controls
