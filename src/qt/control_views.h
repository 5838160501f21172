// The small controls on screen. Each widget belongs to its parent widget (Qt
// deletes it with the parent); a view must go before its widget's parent.
// A ControlView puts a widget where its
// control's bounds (twips, inside its container) say, shows and enables it
// as the control says, and after every change of the control reads it again;
// the derived views add what their control has (a caption, a text, a value).
// What the person does goes to the handler the window gives.
#pragma once

#include <QLineEdit>
#include <QWidget>
#include <functional>

#include "controls/simple_controls.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace lirvo::qt {

class ControlView {
 public:
  ControlView(const controls::Control& control, QWidget& widget);
  virtual ~ControlView();
  ControlView(const ControlView&) = delete;
  ControlView& operator=(const ControlView&) = delete;

  QWidget& Widget() const { return widget_; }
  const controls::Control& Model() const { return control_; }

 protected:
  // Reads the control again: bounds, visibility, enabled, and Update().
  void Refresh();
  // What a derived view shows besides the common properties.
  virtual void Update() {}

 private:
  const controls::Control& control_;
  QWidget& widget_;
  int listener_ = 0;
};

// Any widget placed by a control's bounds (the grid, the rich-text box).
class WidgetView final : public ControlView {
 public:
  WidgetView(const controls::Control& control, QWidget& widget) : ControlView(control, widget) {
    Refresh();
  }
};

// A panel: a container, on its back colour and inside its border where the
// panel has them.
class PanelView final : public ControlView {
 public:
  PanelView(const controls::Panel& panel, QWidget* parent);

 private:
  void Update() override;
};

// A label in its font and text colour, or its window's.
class LabelView final : public ControlView {
 public:
  LabelView(const controls::Label& label, QWidget* parent);

 private:
  void Update() override;
  const controls::Label& label_;
  QLabel* widget_;
};

// A button; its caption's "&" marks the access key, as Qt's own does.
class ButtonView final : public ControlView {
 public:
  ButtonView(const controls::Button& button, QWidget* parent, std::function<void()> on_click);
  QPushButton& Button() const { return *widget_; }

 private:
  void Update() override;
  const controls::Button& button_;
  QPushButton* widget_;
};

// A line: a one-pixel band of the line's colour.
class LineView final : public ControlView {
 public:
  LineView(const controls::Line& line, QWidget* parent);

 private:
  void Update() override;
  const controls::Line& line_;
};

// A progress bar with its text over the bar.
class ProgressBarView final : public ControlView {
 public:
  ProgressBarView(const controls::ProgressBar& bar, QWidget* parent);
  QProgressBar& Bar() const { return *widget_; }

 private:
  void Update() override;
  const controls::ProgressBar& bar_;
  QProgressBar* widget_;
};

// A text box. Each key typed goes to `on_key` as the text it types ("\r"
// for Enter, "\b" for Backspace); the window decides what becomes of it and
// the box shows the control's text afterwards. Keys that type nothing
// (arrows, Tab) work as usual.
class TextBoxView final : public ControlView {
 public:
  using KeyHandler = std::function<void(const std::string& typed)>;
  TextBoxView(const controls::TextBox& box, QWidget* parent, KeyHandler on_key);
  QLineEdit& Edit() const { return *widget_; }

 private:
  class KeyEdit;
  void Update() override;
  const controls::TextBox& box_;
  QLineEdit* widget_;
};

}  // namespace lirvo::qt
