#include "qt/control_views.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPalette>
#include <QProgressBar>
#include <QPushButton>

#include "qt/qt_text.h"

namespace lirvo::qt {

ControlView::ControlView(const controls::Control& control, QWidget& widget)
    : control_(control), widget_(widget) {
  listener_ = const_cast<controls::Control&>(control_).AddListener(
      [this](const controls::Control&) { Refresh(); });
}

ControlView::~ControlView() { const_cast<controls::Control&>(control_).RemoveListener(listener_); }

void ControlView::Refresh() {
  widget_.setGeometry(TwipsToPixels(control_.Left()), TwipsToPixels(control_.Top()),
                      TwipsToPixels(control_.Width()), TwipsToPixels(control_.Height()));
  widget_.setVisible(control_.Visible());
  widget_.setEnabled(control_.Enabled());
  Update();
}

namespace {

// A panel's face: its back colour over the whole of it and its border as a
// one-pixel frame, each only where the panel has one.
class PanelWidget final : public QWidget {
 public:
  PanelWidget(QWidget* parent, const controls::Panel& panel) : QWidget(parent), panel_(panel) {}

 protected:
  void paintEvent(QPaintEvent*) override {
    const auto back = panel_.BackColor();
    const auto border = panel_.BorderColor();
    if (!back && !border) return;
    QPainter painter(this);
    if (back) painter.fillRect(rect(), ToQColor(*back));
    if (border) {
      painter.setPen(ToQColor(*border));
      painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
  }

 private:
  const controls::Panel& panel_;
};

}  // namespace

PanelView::PanelView(const controls::Panel& panel, QWidget* parent)
    : ControlView(panel, *new PanelWidget(parent, panel)) {
  Refresh();
}

void PanelView::Update() { Widget().update(); }

LabelView::LabelView(const controls::Label& label, QWidget* parent)
    : ControlView(label, *new QLabel(parent)), label_(label) {
  widget_ = static_cast<QLabel*>(&Widget());
  widget_->setTextFormat(Qt::PlainText);
  Refresh();
}

void LabelView::Update() {
  widget_->setText(ToQString(label_.Caption()));
  // A font or colour the label lacks is its window's (an empty QFont or
  // QPalette inherits everything).
  QFont font;
  if (!label_.FontName().empty()) {
    const QWidget* window = widget_->parentWidget();
    font = FontFor(label_.FontName(), window ? window->font().pointSizeF() : 0);
  }
  if (!label_.FontName().empty() || label_.FontBold()) font.setBold(label_.FontBold());
  widget_->setFont(font);
  QPalette palette;
  if (const auto fore = label_.ForeColor()) palette.setColor(QPalette::WindowText, ToQColor(*fore));
  widget_->setPalette(palette);
}

ButtonView::ButtonView(const controls::Button& button, QWidget* parent,
                       std::function<void()> on_click)
    : ControlView(button, *new QPushButton(parent)), button_(button) {
  widget_ = static_cast<QPushButton*>(&Widget());
  QObject::connect(widget_, &QPushButton::clicked, [on_click = std::move(on_click)] {
    if (on_click) on_click();
  });
  Refresh();
}

void ButtonView::Update() { widget_->setText(ToQString(button_.Caption())); }

LineView::LineView(const controls::Line& line, QWidget* parent)
    : ControlView(line, *new QWidget(parent)), line_(line) {
  Widget().setAutoFillBackground(true);
  Refresh();
}

void LineView::Update() {
  // A horizontal or vertical line spans no height or width: one pixel.
  QWidget& widget = Widget();
  QRect geometry = widget.geometry();
  geometry.setWidth(std::max(geometry.width(), 1));
  geometry.setHeight(std::max(geometry.height(), 1));
  widget.setGeometry(geometry);
  QPalette palette = widget.palette();
  palette.setColor(QPalette::Window, ToQColor(line_.BorderColor()));
  widget.setPalette(palette);
}

namespace {

// A bar whose text is the model's, as it stands: a "%" in it is no
// placeholder.
class TextProgressBar final : public QProgressBar {
 public:
  TextProgressBar(QWidget* parent, const controls::ProgressBar& bar)
      : QProgressBar(parent), bar_(bar) {}
  QString text() const override { return ToQString(bar_.Text()); }

 private:
  const controls::ProgressBar& bar_;
};

}  // namespace

ProgressBarView::ProgressBarView(const controls::ProgressBar& bar, QWidget* parent)
    : ControlView(bar, *new TextProgressBar(parent, bar)), bar_(bar) {
  widget_ = static_cast<QProgressBar*>(&Widget());
  widget_->setMinimum(0);
  widget_->setTextVisible(true);
  widget_->setAlignment(Qt::AlignCenter);
  Refresh();
}

void ProgressBarView::Update() {
  widget_->setMaximum(bar_.Max());
  widget_->setValue(bar_.Value());
  // Painted at once: the bar moves while a long task (the batch import)
  // holds the user-interface thread, whose event loop would paint it only
  // at the end.
  if (widget_->isVisible()) widget_->repaint();
}

class TextBoxView::KeyEdit final : public QLineEdit {
 public:
  KeyEdit(QWidget* parent, KeyHandler on_key) : QLineEdit(parent), on_key_(std::move(on_key)) {}

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    std::string typed;
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
      typed = "\r";
    } else if (event->key() == Qt::Key_Backspace) {
      typed = "\b";
    } else if (!event->text().isEmpty() && event->text().front().isPrint()) {
      typed = ToUtf8(event->text());
    }
    if (typed.empty() || !on_key_) {
      QLineEdit::keyPressEvent(event);
      return;
    }
    on_key_(typed);
    event->accept();
  }

 private:
  KeyHandler on_key_;
};

TextBoxView::TextBoxView(const controls::TextBox& box, QWidget* parent, KeyHandler on_key)
    : ControlView(box, *new KeyEdit(parent, std::move(on_key))), box_(box) {
  widget_ = static_cast<QLineEdit*>(&Widget());
  Refresh();
}

void TextBoxView::Update() {
  const QString text = ToQString(box_.Text());
  if (widget_->text() != text) widget_->setText(text);
  widget_->setCursorPosition(static_cast<int>(widget_->text().size()));
}

}  // namespace lirvo::qt
