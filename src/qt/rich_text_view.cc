#include "qt/rich_text_view.h"

#include <QTextCharFormat>
#include <QTextCursor>
#include <algorithm>

#include "base/utf8.h"
#include "qt/flag_guard.h"
#include "qt/qt_text.h"

namespace lirvo::qt {

int TextPositions::DocumentPosition(int32_t character) const {
  const auto index =
      std::clamp<size_t>(static_cast<size_t>(std::max(character, 0)), 0, document_.size() - 1);
  return document_[index];
}

int32_t TextPositions::Character(int position) const {
  const auto after = std::upper_bound(document_.begin(), document_.end(), position);
  if (after == document_.begin()) return 0;
  return static_cast<int32_t>(after - document_.begin() - 1);
}

namespace {

QTextCharFormat FormatOf(const controls::TextStyle& style) {
  QTextCharFormat format;
  format.setFontFamilies(FamiliesFor(style.font_name));
  if (style.size > 0) format.setFontPointSize(style.size);
  format.setForeground(ToQColor(style.color));
  format.setFontWeight(style.bold ? QFont::Bold : QFont::Normal);
  return format;
}

}  // namespace

TextPositions FillDocument(QTextDocument& document, const controls::StyledText& text) {
  TextPositions positions;
  document.clear();
  QTextCursor cursor(&document);
  int position = 0;
  bool after_cr = false;
  for (const controls::StyledRun& run : text) {
    QString piece;
    for (size_t at = 0; at < run.text.size();) {
      char32_t cp = 0;
      size_t length = DecodeUtf8(run.text, at, cp);
      if (length == 0) {
        length = 1;
        cp = 0xFFFD;
      }
      at += length;
      if (cp == U'\n' && after_cr) {
        // The LF of a CR LF: the CR already ended the paragraph.
      } else if (cp == U'\r' || cp == U'\n') {
        piece.append(QChar::ParagraphSeparator);
      } else if (QChar::requiresSurrogates(cp)) {
        piece.append(QChar(QChar::highSurrogate(cp)));
        piece.append(QChar(QChar::lowSurrogate(cp)));
      } else {
        piece.append(QChar(static_cast<char16_t>(cp)));
      }
      after_cr = cp == U'\r';
      position = static_cast<int>(cursor.position() + piece.size());
      positions.document_.push_back(position);
    }
    cursor.insertText(piece, FormatOf(run.style));
  }
  return positions;
}

RichTextView::RichTextView(controls::RichTextBox& box, QWidget* parent)
    : QTextEdit(parent), box_(box) {
  setReadOnly(true);
  setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  setUndoRedoEnabled(false);
  listener_ = box_.AddListener([this](const controls::Control&) { Show(); });
  connect(this, &QTextEdit::selectionChanged, this, [this] { TakeSelection(); });
  connect(this, &QTextEdit::cursorPositionChanged, this, [this] { TakeSelection(); });
  Show();
}

RichTextView::~RichTextView() { box_.RemoveListener(listener_); }

void RichTextView::Show() {
  if (taking_) return;
  const FlagGuard showing(showing_);
  if (box_.Runs() != shown_) {
    shown_ = box_.Runs();
    positions_ = FillDocument(*document(), shown_);
  }
  QTextCursor cursor(document());
  cursor.setPosition(positions_.DocumentPosition(box_.SelStart()));
  cursor.setPosition(positions_.DocumentPosition(box_.SelStart() + box_.SelLength()),
                     QTextCursor::KeepAnchor);
  setTextCursor(cursor);
}

void RichTextView::TakeSelection() {
  if (showing_) return;
  const QTextCursor cursor = textCursor();
  const int32_t start = positions_.Character(cursor.selectionStart());
  const int32_t end = positions_.Character(cursor.selectionEnd());
  if (start == box_.SelStart() && end - start == box_.SelLength()) return;
  const FlagGuard taking(taking_);
  box_.SetSelStart(start);
  box_.SetSelLength(end - start);
}

}  // namespace lirvo::qt
