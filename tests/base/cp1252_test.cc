#include "base/cp1252.h"

#include <gtest/gtest.h>

#include "base/utf8.h"

namespace lirvo {
namespace {

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
