#include "qt/rich_text_view.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextFragment>

#include "qt/qt_text.h"

namespace lirvo::qt {
namespace {

using controls::RichTextBox;
using controls::StyledRun;
using controls::StyledText;
using controls::TextStyle;

// The document's fragments as runs again: text (paragraph ends as CR LF)
// and style, neighbours of one style merged.
StyledText RunsOf(const QTextDocument& document) {
  StyledText runs;
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextCharFormat format = it.fragment().charFormat();
      TextStyle style{ToUtf8(format.fontFamilies().toStringList().value(0)),
                      static_cast<float>(format.fontPointSize()),
                      static_cast<int32_t>(format.foreground().color().red() +
                                           format.foreground().color().green() * 256 +
                                           format.foreground().color().blue() * 65536),
                      format.fontWeight() == QFont::Bold};
      std::string text = ToUtf8(it.fragment().text());
      if (!runs.empty() && runs.back().style == style) {
        runs.back().text += text;
      } else {
        runs.push_back({text, style});
      }
    }
    if (block.next().isValid()) runs.back().text += "\r\n";
  }
  return runs;
}

const TextStyle kTitle{"Arial", 12, 255, true};
const TextStyle kBody{"Courier New", 9, 0, false};
const TextStyle kNote{"MS Sans Serif", 8.25f, controls::Rgb(0, 128, 0), false};

TEST(RichTextView, ShowsEveryRunInItsOwnStyle) {
  RichTextBox box("RichTextBox1", {});
  const StyledText runs = {{"Referto di laboratorio\r\n", kTitle},
                           {"GLICEMIA 98 mg/dl\r\nCittà: più 😀\r\n", kBody},
                           {"fine", kNote}};
  box.SetRuns(runs);
  RichTextView view(box);
  EXPECT_EQ(RunsOf(*view.document()), runs);
  EXPECT_EQ(view.document()->blockCount(), 4);

  box.SetSelStart(0);
  box.SetSelLength(8);
  box.SetSelColor(controls::Rgb(0, 0, 255));
  StyledText recoloured = box.Runs();
  EXPECT_EQ(RunsOf(*view.document()), recoloured);
}

// A lone CR, a lone LF and a malformed byte each stay one character, so the
// positions after them still agree.
TEST(RichTextView, PositionsCountCharactersAsTheBoxDoes) {
  QTextDocument document;
  const TextPositions positions = FillDocument(document, {{"a\r\nb\rc\nd\xff"
                                                           "e😀f",
                                                           kBody}});
  EXPECT_EQ(positions.CharacterCount(), 12);
  struct Case {
    int32_t character;
    int document;
  } cases[] = {{0, 0}, {1, 1}, {3, 2}, {5, 4}, {7, 6}, {8, 7}, {9, 8}, {10, 9}, {11, 11}, {12, 12}};
  for (const Case& c : cases) {
    EXPECT_EQ(positions.DocumentPosition(c.character), c.document) << c.character;
    EXPECT_EQ(positions.Character(c.document), c.character) << c.document;
  }
  // Inside a CR LF: after the break; inside the surrogate pair: its character.
  EXPECT_EQ(positions.DocumentPosition(2), 2);
  EXPECT_EQ(positions.Character(10), 10);
  EXPECT_EQ(document.toPlainText(), QString::fromUtf8("a\nb\nc\nd\uFFFDe😀f"));
}

TEST(RichTextView, SelectionGoesBothWays) {
  RichTextBox box("RichTextBox1", {});
  box.SetRuns({{"Riga uno\r\nRiga è due\r\n", kBody}});
  RichTextView view(box);

  box.SetSelStart(10);
  box.SetSelLength(10);
  EXPECT_EQ(view.textCursor().selectedText(), QString::fromUtf8("Riga è due"));

  QTextCursor cursor(view.document());
  cursor.setPosition(5);
  cursor.setPosition(14, QTextCursor::KeepAnchor);
  view.setTextCursor(cursor);
  EXPECT_EQ(box.SelStart(), 5);
  EXPECT_EQ(box.SelText(), "uno\r\nRiga ");
  // A selection made backwards is the same characters.
  cursor.setPosition(14);
  cursor.setPosition(8, QTextCursor::KeepAnchor);
  view.setTextCursor(cursor);
  EXPECT_EQ(box.SelText(), "\r\nRiga ");

  box.SetText("");
  EXPECT_TRUE(view.document()->isEmpty());
  EXPECT_FALSE(view.textCursor().hasSelection());
}

TEST(QtText, MonospacedFamiliesStayMonospaced) {
  for (const char* name : {"Courier New", "courier new", "Consolas"}) {
    const QFont font = FontFor(name, 9);
    EXPECT_TRUE(QFontInfo(font).fixedPitch())
        << name << " -> " << QFontInfo(font).family().toStdString();
    EXPECT_DOUBLE_EQ(font.pointSizeF(), 9) << name;
  }
}

}  // namespace
}  // namespace lirvo::qt
