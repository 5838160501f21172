#include "base/text.h"

#include <gtest/gtest.h>

#include "base/cp1252.h"
#include "base/utf8.h"

namespace lirvo {
namespace {

TEST(TextTest, MidLeftRightCountCharactersNotBytes) {
  const std::string s = "àbèdì";
  EXPECT_EQ(CharCount(s), 5u);
  EXPECT_EQ(Mid(s, 2, 2), "bè");
  EXPECT_EQ(Mid(s, 4), "dì");
  EXPECT_EQ(Mid(s, 6), "");
  EXPECT_EQ(Mid(s, 5, 100), "ì");
  EXPECT_EQ(Mid(s, 0, 1), "à");  // start 0 reads as 1
  EXPECT_EQ(Mid(s, 1, 0), "");
  EXPECT_EQ(Left(s, 3), "àbè");
  EXPECT_EQ(Left(s, 99), s);
  EXPECT_EQ(Right(s, 2), "dì");
  EXPECT_EQ(Right(s, 99), s);
  EXPECT_EQ(FixedWidth(s, 7), "àbèdì  ");
  EXPECT_EQ(FixedWidth(s, 2), "àb");
  EXPECT_EQ(ByteOffsetOfChar(s, 1), 2u);
}

TEST(TextTest, MalformedBytesCountAsOneCharacterEach) {
  const std::string s = "a\xFF\xC3z";
  EXPECT_EQ(CharCount(s), 4u);
  EXPECT_EQ(Mid(s, 3, 1), "\xC3");
  EXPECT_EQ(Mid(s, 4, 1), "z");
}

TEST(TextTest, TrimRemovesBlanksOnly) {
  EXPECT_EQ(Trim("  a b  "), "a b");
  EXPECT_EQ(Trim("\ta\t"), "\ta\t");
  EXPECT_EQ(Trim("\r\n x \r\n"), "\r\n x \r\n");
  EXPECT_EQ(Trim("    "), "");
  EXPECT_EQ(LTrim("  a "), "a ");
  EXPECT_EQ(RTrim("  a "), "  a");
}

TEST(TextTest, InStrGivesOneBasedCharacterPositions) {
  EXPECT_EQ(InStr("perché sì", "sì"), 8u);
  EXPECT_EQ(InStr("abcabc", "c", 4), 6u);
  EXPECT_EQ(InStr("abc", "x"), 0u);
  EXPECT_EQ(InStr("abc", "A"), 0u);  // binary comparison
  EXPECT_EQ(InStr("abc", ""), 1u);
  EXPECT_EQ(InStr("abc", "", 4), 4u);
  EXPECT_EQ(InStr("abc", "", 5), 0u);
  EXPECT_EQ(InStr("", ""), 0u);
  EXPECT_EQ(InStr("", "a"), 0u);
  EXPECT_EQ(InStrText("Città di ROMA", "roma"), 10u);
  EXPECT_EQ(InStrText("PERCHÉ", "ché"), 4u);
}

TEST(TextTest, ReplaceScansLeftToRightWithoutRescanning) {
  EXPECT_EQ(Replace("3.5 - 5.1", ".", ","), "3,5 - 5,1");
  EXPECT_EQ(Replace("aaa", "aa", "a"), "aa");
  EXPECT_EQ(Replace("abc", "", "x"), "abc");
  EXPECT_EQ(Replace("a#acapo#b", "#acapo#", "\r\n"), "a\r\nb");
}

TEST(TextTest, CaseMappingCoversAccentedLetters) {
  EXPECT_EQ(UCase("rossi mario àèéìòù ÿ œ š ž"), "ROSSI MARIO ÀÈÉÌÒÙ Ÿ Œ Š Ž");
  EXPECT_EQ(LCase("ÀÈÉÌÒÙ ROSSI Ÿ"), "àèéìòù rossi ÿ");
  EXPECT_EQ(UCase("ß÷ 1-2"), "ß÷ 1-2");  // no single-letter upper case; not a letter
  EXPECT_TRUE(EqualsText("Referti Lirvo", "REFERTI lirvo"));
  EXPECT_FALSE(EqualsText("Referti", "Referti "));
}

TEST(TextTest, IsNumericFollowsItalianConventions) {
  for (const char* yes :
       {"0", "90", " 12 ", "-3", "+4", "1,5", "3,", "1.234", "1.234,5", "1,5E3", "2e-2", "007"}) {
    EXPECT_TRUE(IsNumeric(yes)) << yes;
  }
  for (const char* no : {"", " ", "abc", "1,2,3", ",", "-", "1e", "12a", "1.", "9 0", "E5"}) {
    EXPECT_FALSE(IsNumeric(no)) << no;
  }
}

TEST(TextTest, SplitAndJoin) {
  EXPECT_EQ(Split("a, b, c", ", ").size(), 3u);
  EXPECT_EQ(Split("", ",").size(), 1u);
  EXPECT_EQ(Split("x#01#", "#01#").back(), "");
  EXPECT_EQ(Join({"a", "b", "c"}, ", "), "a, b, c");
  EXPECT_EQ(Join({}, ", "), "");
}

TEST(Cp1252Test, EveryByteNulIncludedSurvivesARoundTrip) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  const std::string utf8 = Cp1252ToUtf8(all);
  EXPECT_TRUE(IsValidUtf8(utf8));
  EXPECT_EQ(Utf8ToCp1252(utf8), all);
}

TEST(Cp1252Test, DecodesTheSpecialRangeAndLatin1) {
  EXPECT_EQ(Cp1252ToUtf8("\x80"), "€");
  EXPECT_EQ(Cp1252ToUtf8("\x8A\x9A\x9F"), "ŠšŸ");
  EXPECT_EQ(Cp1252ToUtf8("\x93perch\xE9\x94"), "“perché”");
  EXPECT_EQ(Cp1252ToUtf8("citt\xE0"), "città");
  // The five undefined bytes become the control characters of the same code.
  EXPECT_EQ(Cp1252ToUtf8("\x81\x8D\x8F\x90\x9D"), "\u0081\u008D\u008F\u0090\u009D");
}

TEST(Cp1252Test, EncodesWhatItCanAndQuestionMarksTheRest) {
  EXPECT_EQ(Utf8ToCp1252("città €"), "citt\xE0 \x80");
  EXPECT_EQ(Utf8ToCp1252("Ωmega 日本"), "?mega ??");
  EXPECT_EQ(Utf8ToCp1252("a😀b"), "a?b");
  // Malformed UTF-8: one "?" per bad byte, the rest untouched.
  EXPECT_EQ(Utf8ToCp1252("a\xC3"), "a?");
  EXPECT_EQ(Utf8ToCp1252("\xFF\xFEx"), "??x");
  EXPECT_EQ(Utf8ToCp1252("\xC0\xAF"), "??");       // overlong "/"
  EXPECT_EQ(Utf8ToCp1252("\xED\xA0\x80"), "???");  // a surrogate
}

}  // namespace
}  // namespace lirvo
