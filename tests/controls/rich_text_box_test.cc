#include "controls/rich_text_box.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "base/file_system.h"
#include "support/runtime_error_matchers.h"
#include "support/temp_dir.h"

namespace lirvo::controls {
namespace {

using test_support::ThrowsRuntimeError;

const TextStyle kPlain{"Courier New", 8, 0, false};
const TextStyle kBold{"Courier New", 8, 0, true};
const TextStyle kRed{"Courier New", 8, 255, true};

RichTextBox MakeBox() { return RichTextBox("RichTextBox1", {90, 840, 11015, 6210}); }
void Select(RichTextBox& box, int32_t start, int32_t length) {
  box.SetSelStart(start);
  box.SetSelLength(length);
}

TEST(RichTextBoxTest, AppendRichTextBuildsMergedRunsAndLeavesTheTextSelected) {
  RichTextBox box = MakeBox();
  int changes = 0;
  box.AddListener([&](const Control&) { ++changes; });
  AppendRichText(box, "Courier New", 8, 0, true, "Reparto:            ");
  AppendRichText(box, "Courier New", 8, 0, false, "Ospedale");
  AppendRichText(box, "Courier New", 8, 0, false, "\r\n");
  AppendRichText(box, "Courier New", 8, 255, true, "*7,5 mg/dl àè€");
  EXPECT_EQ(box.Text(), "Reparto:            Ospedale\r\n*7,5 mg/dl àè€");
  EXPECT_EQ(box.Runs(), (StyledText{{"Reparto:            ", kBold},
                                    {"Ospedale\r\n", kPlain},
                                    {"*7,5 mg/dl àè€", kRed}}));
  // Characters, not bytes: the accented letters and the euro count one each,
  // CR and LF one each.
  EXPECT_EQ(box.TextLength(), 20 + 8 + 2 + 14);
  EXPECT_EQ(box.SelStart(), 30);
  EXPECT_EQ(box.SelLength(), 14);
  EXPECT_EQ(box.SelText(), "*7,5 mg/dl àè€");
  EXPECT_EQ(box.SelectedRuns(), (StyledText{{"*7,5 mg/dl àè€", kRed}}));
  EXPECT_GT(changes, 0);
}

TEST(RichTextBoxTest, SelectionStylesSplitAndMergeRuns) {
  RichTextBox box = MakeBox();
  box.SetRuns({{"abcdef", kPlain}});
  Select(box, 2, 2);
  box.SetSelBold(true);
  EXPECT_EQ(box.Runs(), (StyledText{{"ab", kPlain}, {"cd", kBold}, {"ef", kPlain}}));
  EXPECT_EQ(box.SelectedRuns(), (StyledText{{"cd", kBold}}));
  // Across run ends: the selection's runs are cut at its ends.
  Select(box, 1, 4);
  EXPECT_EQ(box.SelectedRuns(), (StyledText{{"b", kPlain}, {"cd", kBold}, {"e", kPlain}}));
  box.SetSelFontSize(12);
  box.SetSelFontName("Arial");
  box.SetSelColor(255);
  const TextStyle arial{"Arial", 12, 255, false};
  const TextStyle arial_bold{"Arial", 12, 255, true};
  EXPECT_EQ(
      box.Runs(),
      (StyledText{{"a", kPlain}, {"b", arial}, {"cd", arial_bold}, {"e", arial}, {"f", kPlain}}));
  // Back to one style: everything merges again.
  Select(box, 0, 99);
  EXPECT_EQ(box.SelLength(), 6);
  box.SetSelBold(false);
  box.SetSelFontSize(8);
  box.SetSelFontName("Courier New");
  box.SetSelColor(0);
  EXPECT_EQ(box.Runs(), (StyledText{{"abcdef", kPlain}}));
}

TEST(RichTextBoxTest, SelTextReplacesTheSelectionInTheStyleAtTheCaret) {
  RichTextBox box = MakeBox();
  box.SetRuns({{"ab", kPlain}, {"cd", kBold}, {"ef", kPlain}});
  // With a selection: the first selected character's style.
  Select(box, 1, 2);
  box.SetSelText("XYZ");
  EXPECT_EQ(box.Runs(), (StyledText{{"aXYZ", kPlain}, {"d", kBold}, {"ef", kPlain}}));
  EXPECT_EQ(box.SelStart(), 4);
  EXPECT_EQ(box.SelLength(), 0);
  // At the caret: the character before it.
  box.SetSelStart(5);
  box.SetSelText("è");
  EXPECT_EQ(box.Runs(), (StyledText{{"aXYZ", kPlain}, {"dè", kBold}, {"ef", kPlain}}));
  // At the start: the first character; a style set on the empty selection
  // wins.
  box.SetSelStart(0);
  box.SetSelText(">");
  box.SetSelColor(255);
  box.SetSelText("!");
  EXPECT_EQ(box.Text(), ">!aXYZdèef");
  EXPECT_EQ(box.Runs().front(), (StyledRun{">", kPlain}));
  EXPECT_EQ(box.Runs()[1], (StyledRun{"!", {"Courier New", 8, 255, false}}));
  // An empty replacement deletes, and the neighbours merge.
  Select(box, 6, 2);
  box.SetSelText("");
  EXPECT_EQ(box.Text(), ">!aXYZef");
  EXPECT_EQ(box.Runs().back(), (StyledRun{"aXYZef", kPlain}));
}

TEST(RichTextBoxTest, CaretAndTextLimits) {
  RichTextBox box = MakeBox();
  box.SetText("riga uno\r\nriga due");
  EXPECT_EQ(box.Runs(), (StyledText{{"riga uno\r\nriga due", TextStyle{}}}));
  box.SetSelStart(500);
  EXPECT_EQ(box.SelStart(), 18);
  Select(box, 5, 500);
  EXPECT_EQ(box.SelText(), "uno\r\nriga due");
  EXPECT_THAT([&] { box.SetSelStart(-1); }, ThrowsRuntimeError(kErrInvalidPropertyValue));
  EXPECT_THAT([&] { box.SetSelLength(-1); }, ThrowsRuntimeError(kErrInvalidPropertyValue));
  EXPECT_EQ(box.SelStart(), 5);
  EXPECT_EQ(box.SelLength(), 13);
  // SetText keeps the first character's style, puts the caret at the start.
  Select(box, 0, 1);
  box.SetSelBold(true);
  box.SetText("nuovo");
  EXPECT_EQ(box.Runs(), (StyledText{{"nuovo", {TextStyle{}.font_name, 8.25f, 0, true}}}));
  EXPECT_EQ(box.SelStart(), 0);
  box.SetText("");
  EXPECT_TRUE(box.Runs().empty());
  EXPECT_EQ(box.TextLength(), 0);
  EXPECT_TRUE(box.SelectedRuns().empty());
}

TEST(RichTextBoxTest, SavesAndLoadsFiles) {
  test_support::TempDir dir;
  const std::string path = JoinPath(dir.path(), "lastReadImport.rtf");
  RichTextBox box = MakeBox();
  AppendRichText(box, "Courier New", 12, 0, true, "Elenco referti già importati");
  AppendRichText(box, "Courier New", 8, 255, false, "\r\nFile dat: €");
  box.SaveFile(RealFileSystem(), path);
  RichTextBox loaded = MakeBox();
  loaded.LoadFile(RealFileSystem(), path);
  EXPECT_EQ(loaded.Runs(), box.Runs());
  EXPECT_EQ(loaded.SelStart(), 0);
  EXPECT_THAT([&] { loaded.LoadFile(RealFileSystem(), path + ".none"); },
              ThrowsRuntimeError(kErrFileNotFound));
  EXPECT_THAT([&] { loaded.LoadRtf("not rtf"); }, ThrowsRuntimeError(321));
  EXPECT_EQ(loaded.Runs(), box.Runs());
}

}  // namespace
}  // namespace lirvo::controls
