// Acting on a modal dialog from a test while the call that shows it waits,
// and finding the widgets in it.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTimer>
#include <functional>
#include <memory>
#include <type_traits>

namespace lirvo::qt {

// Runs `act` on the next modal dialog (or pop-up menu) of type T once it
// shows, while the call under test waits in its event loop. A dialog that `act` leaves
// open is rejected, and one that never shows fails the test, so no test
// waits forever.
template <typename T = QWidget>
void WhenShown(std::type_identity_t<std::function<void(T*)>> act, bool popup = false) {
  auto* timer = new QTimer;
  auto tries = std::make_shared<int>(0);
  QObject::connect(timer, &QTimer::timeout, [timer, tries, act, popup] {
    T* shown = qobject_cast<T*>(popup ? QApplication::activePopupWidget()
                                      : QApplication::activeModalWidget());
    if (!shown) {
      if (++*tries < 250) return;
      ADD_FAILURE() << "no dialog showed";
    } else {
      act(shown);
      if (auto* dialog = qobject_cast<QDialog*>(shown); dialog && dialog->isVisible()) {
        dialog->reject();
      }
    }
    timer->stop();
    timer->deleteLater();
  });
  timer->start(20);
}

// The first widget of type T under `parent` (with `text`, for buttons and
// labels). The views have no meta-object of their own, so the type is
// checked with dynamic_cast.
template <typename T>
T* Child(QWidget* parent, const QString& text = {}) {
  for (QWidget* widget : parent->findChildren<QWidget*>()) {
    T* child = dynamic_cast<T*>(widget);
    if (!child) continue;
    if constexpr (std::is_base_of_v<QAbstractButton, T> || std::is_same_v<T, QLabel>) {
      if (!text.isEmpty() && child->text() != text) continue;
    }
    return child;
  }
  return nullptr;
}

// Every single-line label under `parent` shows its whole text: the font the
// views choose must fit the widths the forms were laid out for.
inline void ExpectLabelsFit(QWidget* parent) {
  for (QLabel* label : parent->findChildren<QLabel*>()) {
    if (label->wordWrap() || label->text().isEmpty() || label->text().contains('\n')) continue;
    const int needed = label->fontMetrics().horizontalAdvance(label->text());
    EXPECT_LE(needed, label->contentsRect().width())
        << "the label \"" << label->text().toStdString() << "\" is cut";
  }
}

// Every push button under `parent` shows its whole caption inside the
// style's contents area: an access key's "&" takes no room ("&&" shows one
// "&").
inline void ExpectButtonsFit(QWidget* parent) {
  static const QRegularExpression kAccessKey(QStringLiteral("&(.)"));
  for (QPushButton* button : parent->findChildren<QPushButton*>()) {
    const QString shown = QString(button->text()).replace(kAccessKey, QStringLiteral("\\1"));
    if (shown.isEmpty()) continue;
    QStyleOptionButton option;
    option.initFrom(button);
    if (button->autoDefault()) option.features |= QStyleOptionButton::AutoDefaultButton;
    if (button->isDefault()) option.features |= QStyleOptionButton::DefaultButton;
    const QRect contents =
        button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
    EXPECT_LE(button->fontMetrics().horizontalAdvance(shown), contents.width())
        << "the button \"" << shown.toStdString() << "\" is cut";
  }
}

}  // namespace lirvo::qt
