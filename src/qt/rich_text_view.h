// Styled text in a QTextDocument, and the rich-text box on screen.
//
// The box counts characters as the model does (code points; CR and LF one
// each); the document counts UTF-16 units and ends a paragraph with one
// separator. TextPositions translates between the two, so a selection made
// on either side lands on the same characters.
#pragma once

#include <QTextDocument>
#include <QTextEdit>
#include <cstdint>
#include <vector>

#include "controls/rich_text_box.h"
#include "controls/styled_text.h"

namespace lirvo::qt {

class TextPositions {
 public:
  // The document position of character `character` of the text (cut to the
  // text's ends).
  int DocumentPosition(int32_t character) const;
  // The character at document position `position`; a position inside a
  // line break or a surrogate pair gives the character after the break, or
  // the pair's own character.
  int32_t Character(int position) const;
  int32_t CharacterCount() const { return static_cast<int32_t>(document_.size()) - 1; }

 private:
  friend TextPositions FillDocument(QTextDocument& document, const controls::StyledText& text);
  std::vector<int> document_{0};  // per character, and one past the end
};

// Replaces the document's content by `text`: each run in its font (name,
// size), colour and weight; CR LF, a lone CR and a lone LF each end a
// paragraph; a malformed byte shows as U+FFFD.
TextPositions FillDocument(QTextDocument& document, const controls::StyledText& text);

// A read-only view of a RichTextBox: its runs shown exactly, its selection
// shown, and the person's selection (mouse or keyboard) written back to it.
class RichTextView final : public QTextEdit {
 public:
  explicit RichTextView(controls::RichTextBox& box, QWidget* parent = nullptr);
  ~RichTextView() override;

  const TextPositions& Positions() const { return positions_; }

 private:
  // The box changed: its runs (when they differ from those shown) and its
  // selection.
  void Show();
  void TakeSelection();

  controls::RichTextBox& box_;
  controls::StyledText shown_;
  TextPositions positions_;
  int listener_ = 0;
  bool showing_ = false;
  bool taking_ = false;
};

}  // namespace lirvo::qt
