// The small window controls: panel, label, button, text box, line and
// progress bar. Each is a plain model; a view shows it and calls the
// presenter's handlers for what the user does.
#pragma once

#include <cstdint>
#include <functional>
#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <string>

#include "controls/control.h"

namespace lirvo::controls {

// A container of other controls (a picture box, frame or shape). Without a
// back colour it shows the window's face; without a border colour it has no
// border, with one a one-pixel frame of that colour.
class Panel : public Control {
 public:
  using Control::Control;
  std::optional<int32_t> BackColor() const { return back_color_; }
  void SetBackColor(std::optional<int32_t> color);
  std::optional<int32_t> BorderColor() const { return border_color_; }
  void SetBorderColor(std::optional<int32_t> color);

 private:
  std::optional<int32_t> back_color_;
  std::optional<int32_t> border_color_;
};

// A control with a caption of its own.
class CaptionedControl : public Control {
 public:
  CaptionedControl(std::string name, Bounds bounds, std::string caption)
      : Control(std::move(name), bounds), caption_(std::move(caption)) {}
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);

 private:
  std::string caption_;
};

// A caption in a font of its own: a family (empty: the window's font, at
// the window's size either way), bold or not, and a text colour (none: the
// window's). Its background is what lies under it.
class Label : public CaptionedControl {
 public:
  using CaptionedControl::CaptionedControl;
  const std::string& FontName() const { return font_name_; }
  void SetFontName(const std::string& name);
  bool FontBold() const { return font_bold_; }
  void SetFontBold(bool bold);
  std::optional<int32_t> ForeColor() const { return fore_color_; }
  void SetForeColor(std::optional<int32_t> color);

 private:
  std::string font_name_;
  bool font_bold_ = false;
  std::optional<int32_t> fore_color_;
};

class Button : public CaptionedControl {
 public:
  using CaptionedControl::CaptionedControl;
};

// A single-line text box. Its change handler runs whenever the text takes a
// different value, whoever sets it (the user typing or the program), like
// the runtime's Change event; it runs after the listeners.
class TextBox : public Control {
 public:
  using Control::Control;
  const std::string& Text() const { return text_; }
  void SetText(const std::string& text);
  // The text typed so far with one more character at its end (the caret
  // of this model is always at the end).
  void AppendCharacter(char32_t character);
  void SetOnTextChange(std::function<void()> handler) { on_text_change_ = std::move(handler); }

 private:
  std::string text_;
  std::function<void()> on_text_change_;
};

// A straight line between two points; its bounds are the rectangle the two
// points span, kept in step with them.
class Line : public Control {
 public:
  Line(std::string name, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t border_color);
  int32_t X1() const { return x1_; }
  int32_t Y1() const { return y1_; }
  int32_t X2() const { return x2_; }
  int32_t Y2() const { return y2_; }
  void SetX1(int32_t x) { SetPoints(x, y1_, x2_, y2_); }
  void SetY1(int32_t y) { SetPoints(x1_, y, x2_, y2_); }
  void SetX2(int32_t x) { SetPoints(x1_, y1_, x, y2_); }
  void SetY2(int32_t y) { SetPoints(x1_, y1_, x2_, y); }
  int32_t BorderColor() const { return border_color_; }
  void SetBorderColor(int32_t color);

 private:
  static Bounds SpannedBounds(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
  void SetPoints(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
  int32_t x1_, y1_, x2_, y2_;
  int32_t border_color_;
};

// A progress bar with a text over it. The minimum is 0. Every change reaches
// the listeners, so `lirvo run` can print the bar's state (Describe) as it
// moves.
class ProgressBar : public Control {
 public:
  using Control::Control;
  const std::string& Text() const { return text_; }
  void SetText(const std::string& text);
  int32_t Max() const { return max_; }
  // A negative maximum raises kErrInvalidPropertyValue; a maximum below the
  // value brings the value down to it.
  void SetMax(int32_t max);
  int32_t Value() const { return value_; }
  // A value below 0 or above Max raises kErrInvalidPropertyValue.
  void SetValue(int32_t value);

  // {"type":"progress","text":...,"value":...,"max":...,"visible":...}
  nlohmann::json Describe() const;

 private:
  std::string text_;
  int32_t max_ = 100;
  int32_t value_ = 0;
};

}  // namespace lirvo::controls
