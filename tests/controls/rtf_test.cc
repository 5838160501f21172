#include "controls/rtf.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "base/cp1252.h"
#include "base/file_system.h"
#include "base/text.h"
#include "controls/control.h"
#include "support/runtime_error_matchers.h"
#include "support/temp_dir.h"

namespace lirvo::controls {
namespace {

using test_support::ThrowsRuntimeError;

const TextStyle kCourier{"Courier New", 8, 0, false};
const TextStyle kCourierBold{"Courier New", 8, 0, true};
const TextStyle kCourierRed{"Courier New", 8, 255, true};

TEST(RtfTest, OwnOutputReadsBackToTheSameRuns) {
  const StyledText cases[] = {
      {},
      {{"Reparto:            ", kCourierBold}, {"Ospedale\r\n", kCourier}},
      {{"à è é ì ò ù € À È É", {"Arial", 12, 0, false}}},
      {{"Ω ≤ 😀 \\ { } ; \t tab", {"Times New Roman", 10.5f, Rgb(0, 128, 255), true}}},
      {{"lone\rCR and lone\nLF\r\n\r\n", kCourierRed}, {"next", kCourier}},
      {{" leading blank", kCourier}, {"1 digit after a word", kCourierBold}},
      {{"font names", {"Nome; con {graffe} e à", 14, Rgb(1, 2, 3), false}}},
      {{"x", kCourier}, {"y", {"Courier New", 9, 0, false}}, {"z", kCourier}},
  };
  for (const StyledText& text : cases) {
    const std::string rtf = WriteRtf(text);
    for (const unsigned char c : rtf) ASSERT_LT(c, 0x80) << rtf;
    EXPECT_EQ(ReadRtf(rtf), text) << rtf;
  }
}

// The font and colour tables are checked by reading the output back, here
// and through another reader.
TEST(RtfTest, WriterUsesCodePageBytesUnicodeAndHalfPoints) {
  const std::string rtf = WriteRtf({{"Città €\r\n", kCourier}, {"Ω", kCourierRed}});
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
        {"b", kCourierRed},
        {"c", {"Courier New", 8, 255, false}},
        {"d", kCourierRed},
        {"e", plain12}}},
      {"plain resets, deff names the default font",
       R"({\rtf1\deff1{\fonttbl{\f0 Arial;}{\f1 Courier New;}}\f0\b\fs30 x\plain\fs16 y})",
       {{"x", {"Arial", 15, 0, true}}, {"y", kCourier}}},
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
        {"Glucosio........ ", kCourier},
        {"*130 mg/dl", kCourierRed},
        {" 70 - 110 à è é ì ò ù €", kCourier}}},
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

// What unrtf makes of the file at `path` as `format`.
std::string Unrtf(const std::string& path, const std::string& format) {
  const std::string out = path + "." + format;
  const std::string command = "unrtf --" + format + " '" + path + "' >'" + out + "' 2>/dev/null";
  return std::system(command.c_str()) == 0 ? RealFileSystem().ReadFile(out) : "";
}

TEST(RtfTest, AnotherReaderSeesTheAccents) {
  if (std::system("command -v unrtf >/dev/null 2>&1") != 0) GTEST_SKIP() << "unrtf not on PATH";
  test_support::TempDir dir;
  const std::string path = JoinPath(dir.path(), "summary.rtf");
  RealFileSystem().WriteFile(path,
                             WriteRtf({{"Elenco referti già importati\r\n", kCourierBold},
                                       {"Città: Forlì à è é ì ò ù perché € Ω\r\n", kCourierRed}}));
  // Its text output is 8-bit (Latin-1) and has no euro sign; its HTML output
  // names every character.
  const std::string text = Cp1252ToUtf8(Unrtf(path, "text"));
  EXPECT_THAT(text, testing::HasSubstr("Elenco referti già importati"));
  EXPECT_THAT(text, testing::HasSubstr("Città: Forlì à è é ì ò ù perché"));
  const std::string html = Unrtf(path, "html");
  EXPECT_THAT(html, testing::HasSubstr("Citt&agrave;: Forl&igrave; &agrave; &egrave; &eacute; "
                                       "&igrave; &ograve; &ugrave; perch&eacute; &euro; "));
}

}  // namespace
}  // namespace lirvo::controls
