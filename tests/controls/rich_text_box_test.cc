#include "controls/rich_text_box.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "base/file_system.h"
#include "base/text.h"
#include "controls/rtf.h"
#include "support/runtime_error_matchers.h"

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

// A saved summary loaded again is the summaries' tests' (importer), the
// accents through the writer and the reader below; here a load that fails,
// which keeps the text.
TEST(RichTextBoxTest, AFailedLoadKeepsTheText) {
  RichTextBox box = MakeBox();
  AppendRichText(box, "Courier New", 12, 0, true, "Elenco referti già importati");
  const StyledText runs = box.Runs();
  EXPECT_THAT([&] { box.LoadFile(RealFileSystem(), "/lirvo-absent/lastReadImport.rtf"); },
              ThrowsRuntimeError(kErrFileNotFound));
  EXPECT_THAT([&] { box.LoadRtf("not rtf"); }, ThrowsRuntimeError(kErrInvalidFileFormat));
  EXPECT_EQ(box.Runs(), runs);
}

TEST(RtfTest, OwnOutputReadsBackToTheSameRuns) {
  const StyledText cases[] = {
      {},
      {{"Reparto:            ", kBold}, {"Ospedale\r\n", kPlain}},
      {{"à è é ì ò ù € À È É", {"Arial", 12, 0, false}}},
      {{"Ω ≤ 😀 \\ { } ; \t tab", {"Times New Roman", 10.5f, Rgb(0, 128, 255), true}}},
      {{"lone\rCR and lone\nLF\r\n\r\n", kRed}, {"next", kPlain}},
      {{" leading blank", kPlain}, {"1 digit after a word", kBold}},
      {{"font names", {"Nome; con {graffe} e à", 14, Rgb(1, 2, 3), false}}},
      {{"x", kPlain}, {"y", {"Courier New", 9, 0, false}}, {"z", kPlain}},
  };
  for (const StyledText& text : cases) {
    const std::string rtf = WriteRtf(text);
    for (const unsigned char c : rtf) ASSERT_LT(c, 0x80) << rtf;
    EXPECT_EQ(ReadRtf(rtf), text) << rtf;
  }
}

// The font and colour tables are checked by reading the output back.
TEST(RtfTest, WriterUsesCodePageBytesUnicodeAndHalfPoints) {
  const std::string rtf = WriteRtf({{"Città €\r\n", kPlain}, {"Ω", kRed}});
  EXPECT_THAT(rtf, testing::StartsWith("{\\rtf1\\ansi\\ansicpg1252\\deff0"));
  EXPECT_THAT(rtf, testing::HasSubstr("\\fs16\\cf1 Citt\\'e0 \\'80\\par\r\n\\cf2\\b \\u937?}"));
  // Sizes go in half points, rounded.
  EXPECT_THAT(WriteRtf({{"a", {"Arial", 8.25f, 0, false}}}), testing::HasSubstr("\\fs17"));
}

struct ReadCase {
  const char* name;
  const char* rtf;
  StyledText runs;
};

TEST(RtfTest, ReaderKeepsTextAndFourPropertiesOfForeignRtf) {
  const TextStyle plain12{"Arial", 12, 0, false};
  const TextStyle no_font{TextStyle{}.font_name, 12, 0, false};
  const ReadCase cases[] = {
      {"groups keep their own state",
       R"({\rtf1{\fonttbl{\f0\fswiss Arial;}{\f1\fmodern{\*\panose 02070309}Courier New;}})"
       R"({\colortbl;\red255\green0\blue0;}a{\b\f1\fs16\cf1 b{\b0 c}d}e})",
       {{"a", plain12},
        {"b", kRed},
        {"c", {"Courier New", 8, 255, false}},
        {"d", kRed},
        {"e", plain12}}},
      {"plain resets, deff names the default font",
       R"({\rtf1\deff1{\fonttbl{\f0 Arial;}{\f1 Courier New;}}\f0\b\fs30 x\plain\fs16 y})",
       {{"x", {"Arial", 15, 0, true}}, {"y", kPlain}}},
      {"unicode with skip counts, negative and surrogate units",
       R"({\rtf1 \u224\'e0{\uc2\u8364\'80\'80}\uc0\u-3913 \u-10179\u-8704 ?})",
       {{"à€\xEF\x82\xB7😀?", no_font}}},
      {"breaks, tabs, symbols and code page bytes",
       "{\\rtf1 a\\par b\\line c\\tab d\\~e\\'e8\\'80\\{\\}\\\\\r\nf\\emdash\\-g\\\nh}",
       {{"a\r\nb\r\nc\td\u00a0eè€{}\\f—g\r\nh", no_font}}},
      {"destinations that are not text are skipped",
       "{\\rtf1{\\stylesheet{\\s0 Normal;}}{\\info{\\title Titolo}}{\\*\\generator X;}"
       "{\\header intestazione}a{\\pict\\bin3 }}{b}{\\*\\unknown c}d}",
       {{"ad", no_font}}},
      {"a colour table without its auto entry, cf0 and unknown fonts",
       R"({\rtf1{\colortbl\red0\green0\blue255;}\cf0 a\cf1 b\cf7\f9 c})",
       {{"a", {TextStyle{}.font_name, 12, Rgb(0, 0, 255), false}}, {"bc", no_font}}},
      {"after the document's group nothing counts", R"({\rtf1 a}b{c})", {{"a", no_font}}},
  };
  for (const ReadCase& c : cases) EXPECT_EQ(ReadRtf(c.rtf), c.runs) << c.name;
}

TEST(RtfTest, BadInput) {
  for (const char* not_rtf : {"", "testo semplice", "{\\rt", "rtf1 {\\rtf1 x}", "\xEF\xBB\xBFx"}) {
    EXPECT_THAT([&] { ReadRtf(not_rtf); }, ThrowsRuntimeError(kErrInvalidFileFormat)) << not_rtf;
  }
  // Truncated: what was read.
  EXPECT_EQ(ReadRtf("\r\n {\\rtf1{\\b a\\'e"),
            (StyledText{{"a", {TextStyle{}.font_name, 12, 0, true}}}));
  EXPECT_TRUE(ReadRtf("{\\rtf1{\\fonttbl{\\f0 Ari").empty());
  // Nesting far deeper than kept: no overflow, the text survives.
  const std::string deep =
      "{\\rtf1 a" + std::string(10000, '{') + "\\b b" + std::string(10000, '}') + "c}";
  EXPECT_EQ(ReadRtf(deep), (StyledText{{"a", {TextStyle{}.font_name, 12, 0, false}},
                                       {"b", {TextStyle{}.font_name, 12, 0, true}},
                                       {"c", {TextStyle{}.font_name, 12, 0, false}}}));
  // A huge \bin count stops at the end of the input.
  EXPECT_EQ(ReadRtf("{\\rtf1 a\\bin999999999999 xyz}"),
            (StyledText{{"a", {TextStyle{}.font_name, 12, 0, false}}}));
}

TEST(RtfTest, ReadsWordProcessorFiles) {
  struct Case {
    const char* file;
    const char* text;
    std::vector<StyledRun> inside;  // each text inside one run of that style
  };
  const Case cases[] = {
      {"referto.rtf",
       "Dettaglio referto del paziente\r\nCittà: Forlì perché è così\r\n"
       "Glucosio........ *130 mg/dl 70 - 110 à è é ì ò ù €\r\n",
       {{"Dettaglio referto", {"Arial", 12, 0, true}},
        {" del paziente", {"Arial", 12, 0, false}},
        {"Forlì", {"Arial", 12, 255, true}},
        {"Glucosio........ ", kPlain},
        {"*130 mg/dl", kRed},
        {" 70 - 110 à è é ì ò ù €", kPlain}}},
      {"riepilogo.rtf",
       "Elenco referti già importati\r\nNome\tValore\r\nEmoglobina\t13,5 g/dl ≤ Ω "
       "“citazione”\r\n\r\nFine {graffe} e \\barra\r\n",
       {{"Elenco referti già importati", {"Courier New", 14, Rgb(0, 0, 255), true}},
        {"Emoglobina\t13,5 g/dl ≤ Ω “citazione”", {"Courier New", 10.5f, 0, false}},
        {"Fine {graffe}", {"Courier New", 10.5f, 0, false}}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const StyledText runs =
        ReadRtf(RealFileSystem().ReadFile(std::string(LIRVO_TEST_DATA_DIR) + "/rtf/" + c.file));
    std::string text;
    for (const StyledRun& run : runs) text += run.text;
    EXPECT_EQ(text, c.text);
    for (const StyledRun& want : c.inside) {
      const auto holder = std::find_if(runs.begin(), runs.end(), [&](const StyledRun& run) {
        return Contains(run.text, want.text);
      });
      ASSERT_NE(holder, runs.end()) << want.text;
      EXPECT_EQ(holder->style, want.style) << want.text;
    }
  }
}

}  // namespace
}  // namespace lirvo::controls
