#include "reports/bundle_text.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "base/file_system.h"
#include "base/runtime_error.h"
#include "demo/demo_data.h"
#include "reports/bundle_parser.h"
#include "support/temp_dir.h"

namespace lirvo::reports {
namespace {

// The definition itself: four whole-text replaces, in this order.
std::string FourPassNormalise(std::string text) {
  auto replace_all = [](std::string& s, const std::string& find, const std::string& with) {
    std::string out;
    size_t pos = 0;
    while (true) {
      const size_t hit = s.find(find, pos);
      if (hit == std::string::npos) break;
      out.append(s, pos, hit - pos).append(with);
      pos = hit + find.size();
    }
    out.append(s, pos, std::string::npos);
    s = std::move(out);
  };
  replace_all(text, "\r\n", "#acapo#");
  replace_all(text, "\n", "#acapo#");
  replace_all(text, "\r", "#acapo#");
  replace_all(text, "#acapo#", "\r\n");
  return text;
}

std::string Visible(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '\r')
      out += "<CR>";
    else if (c == '\n')
      out += "<LF>";
    else
      out.push_back(c);
  }
  return out;
}

TEST(NormaliseLineBreaks, CornerCasesFollowTheFourReplaces) {
  const struct {
    std::string in, want;
  } cases[] = {
      {"", ""},
      {"a\r\nb", "a\r\nb"},
      {"a\nb", "a\r\nb"},
      {"a\rb", "a\r\nb"},
      {"a#acapo#b", "a\r\nb"},
      {"a\r\r\nb", "a\r\n\r\nb"},  // CR CR LF: a lone CR, then a pair
      {"a\n\rb", "a\r\n\r\nb"},    // LF CR is two breaks
      {"#aca\r\npo#", "#aca\r\npo#"},
      {"#acapo\r\n", "\r\nacapo#"},  // the break's "#" completes the pending match
      {"#acapo\nacapo#", "\r\nacapo\r\n"},
      {"#acapo#acapo#", "\r\nacapo#"},
      {"##acapo##", "#\r\n#"},
      {"#acap\r\no#", "#acap\r\no#"},
      {"\r", "\r\n"},
      {"\n\n", "\r\n\r\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Visible(NormaliseLineBreaks(c.in)), Visible(c.want)) << Visible(c.in);
    EXPECT_EQ(Visible(FourPassNormalise(c.in)), Visible(c.want)) << Visible(c.in);
  }
}

TEST(NormaliseLineBreaks, MatchesTheFourReplacesOnRandomTexts) {
  // Fragments that make the matches interact with the breaks and each other.
  const std::vector<std::string> fragments = {
      "#",       "a",      "c",      "p",    "o",   "x",   "\r",  "\n",   "\r\n", "\n\r",
      "#acapo#", "#acapo", "acapo#", "#aca", "po#", "#ac", "apo", "#01#", "à",    " "};
  std::mt19937 rng(20240315);
  for (int round = 0; round < 60000; ++round) {
    std::string text;
    const size_t parts = rng() % (round % 8 == 0 ? 160 : 24);
    for (size_t i = 0; i < parts; ++i) text += fragments[rng() % fragments.size()];
    ASSERT_EQ(Visible(NormaliseLineBreaks(text)), Visible(FourPassNormalise(text)))
        << "input: " << Visible(text);
  }
}

TEST(NormaliseLineBreaks, MatchesTheFourReplacesOnMixedBundles) {
  // Real-sized bundles whose breaks are switched, here and there, to the
  // other forms, with "#acapo" fragments dropped around them.
  demo::DemoBundleOptions options;
  options.reports = 30;
  const std::string crlf = demo::MakeDemoBundle(options);
  const std::vector<std::string> swaps = {"\n",         "\r",   "#acapo#",     "\r\n",
                                          "#acapo\r\n", "\n\r", "#aca\r\npo#", "\r\r\n"};
  std::mt19937 rng(5);
  for (int round = 0; round < 40; ++round) {
    std::string text;
    size_t pos = 0;
    while (true) {
      const size_t hit = crlf.find("\r\n", pos);
      if (hit == std::string::npos) break;
      text.append(crlf, pos, hit - pos);
      text += rng() % 50 == 0 ? swaps[rng() % swaps.size()] : "\r\n";
      pos = hit + 2;
    }
    text.append(crlf, pos);
    ASSERT_EQ(NormaliseLineBreaks(text), FourPassNormalise(text)) << "round " << round;
  }
}

TEST(NormaliseLineBreaks, KeepsTheBufferWhenNothingChanges) {
  std::string text =
      "#01#header\r\n#04#88.73.5 ECOGRAFIA\r\ntesto #aca po\r\n" + std::string(1000, 'x');
  const char* before = text.data();
  const std::string copy = text;
  const std::string out = NormaliseLineBreaks(std::move(text));
  EXPECT_EQ(out, copy);
  EXPECT_EQ(out.data(), before);
}

TEST(CutPieces, CutsAtEveryMarkerWhereverItStands) {
  EXPECT_EQ(CountPieces(""), 0u);
  EXPECT_TRUE(CutPieces("").empty());

  const std::vector<std::string_view> want_plain = {"lead", "one\r\n", "two"};
  EXPECT_EQ(CutPieces("lead#01#one\r\n#01#two"), want_plain);
  EXPECT_EQ(CountPieces("lead#01#one\r\n#01#two"), 3u);

  const std::vector<std::string_view> want_start = {"", "a", ""};
  EXPECT_EQ(CutPieces("#01#a#01#"), want_start);

  // Markers in the middle of a line cut too; overlapping forms cut once.
  const std::vector<std::string_view> want_mid = {"x", "01#y"};
  EXPECT_EQ(CutPieces("x#01#01#y"), want_mid);
  EXPECT_EQ(CountPieces("x#01#01#y"), 2u);

  const std::vector<std::string_view> want_none = {"no marker"};
  EXPECT_EQ(CutPieces("no marker"), want_none);
}

TEST(CutPieces, CutterGivesIndexesAndViewsIntoTheText) {
  const std::string text = "#01#a#01#b";
  PieceCutter cutter(text);
  std::string_view piece;
  std::vector<size_t> indexes;
  while (cutter.Next(piece)) {
    indexes.push_back(cutter.Index());
    EXPECT_GE(piece.data(), text.data());
    EXPECT_LE(piece.data() + piece.size(), text.data() + text.size());
  }
  EXPECT_EQ(indexes, (std::vector<size_t>{0, 1, 2}));
  EXPECT_FALSE(cutter.Next(piece));
}

TEST(CutPieces, EveryLineBreakFormCutsTheSame) {
  const std::string crlf = "#01#H1\r\nriga uno\r\nriga due\r\n#01#H2\r\n#05#x\r\n";
  std::string lf = crlf, cr = crlf, marker = crlf;
  for (auto* s : {&lf, &cr, &marker}) {
    std::string out;
    for (size_t i = 0; i < s->size(); ++i) {
      if ((*s)[i] == '\r') {
        out += s == &lf ? "\n" : s == &cr ? "\r" : "#acapo#";
        ++i;  // skip the LF
      } else {
        out.push_back((*s)[i]);
      }
    }
    *s = out;
  }
  const std::string normal = NormaliseLineBreaks(crlf);
  for (const std::string* s : {&lf, &cr, &marker}) {
    const std::string n = NormaliseLineBreaks(*s);
    EXPECT_EQ(CutPieces(n), CutPieces(normal)) << Visible(*s);
  }
}

TEST(LoadBundleText, DecodesWindows1252AndNormalises) {
  testing::TempDir dir;
  const std::string path = dir.File("b.dat");
  RealFileSystem().WriteFile(path, "#01#caff\xe8\n\x80 5\r");
  EXPECT_EQ(LoadBundleText(RealFileSystem(), path), "#01#caff\xc3\xa8\r\n\xe2\x82\xac 5\r\n");
}

TEST(LoadBundleText, TellsMissingAndUnreadableFromEmpty) {
  testing::TempDir dir;
  const std::string empty = dir.File("empty.dat");
  RealFileSystem().WriteFile(empty, "");
  EXPECT_EQ(LoadBundleText(RealFileSystem(), empty), "");

  try {
    LoadBundleText(RealFileSystem(), dir.File("missing.dat"));
    ADD_FAILURE() << "no error for a missing file";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.Number(), kErrFileNotFound);
  }

  FaultyFileSystem faulty(RealFileSystem());
  faulty.FailOn(FsOp::kRead, "empty.dat", kErrPermissionDenied);
  try {
    LoadBundleText(faulty, empty);
    ADD_FAILURE() << "no error for an unreadable file";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.Number(), kErrPermissionDenied);
  }

  // A folder is not a bundle.
  EXPECT_THROW(LoadBundleText(RealFileSystem(), dir.path()), RuntimeError);
}

TEST(BundleText, HoldsTheNormalisedTextAndItsPieces) {
  const BundleText short_text(std::string("a\n#01#b"));
  EXPECT_EQ(short_text.Text(), "a\r\n#01#b");
  EXPECT_EQ(short_text.Pieces(), (std::vector<std::string_view>{"a\r\n", "b"}));
  EXPECT_EQ(short_text.Pieces()[1].data(), short_text.Text().data() + 7);

  testing::TempDir dir;
  RealFileSystem().WriteFile(dir.File("b.dat"), "#01#\xe8\r#01#");
  const BundleText file(RealFileSystem(), dir.File("b.dat"));
  EXPECT_EQ(file.Pieces(), (std::vector<std::string_view>{"", "\xc3\xa8\r\n", ""}));
  EXPECT_THROW(BundleText(RealFileSystem(), dir.File("none.dat")), RuntimeError);
}

TEST(LoadBundleText, RandomAndNulBytesGoThroughTheWholePath) {
  testing::TempDir dir;
  const std::string path = dir.File("noise.dat");
  std::mt19937 rng(99);
  for (int round = 0; round < 50; ++round) {
    std::string bytes(rng() % 5000, '\0');
    for (char& c : bytes) {
      if (rng() % 3 != 0) c = static_cast<char>(rng());
    }
    if (round % 2 == 0) bytes.insert(rng() % (bytes.size() + 1), "#01#");
    RealFileSystem().WriteFile(path, bytes);
    const std::string text = LoadBundleText(RealFileSystem(), path);
    const std::vector<std::string_view> pieces = CutPieces(text);
    ASSERT_EQ(pieces.size(), CountPieces(text));
    ASSERT_EQ(pieces.empty(), bytes.empty());
    for (std::string_view piece : pieces) {
      ReportRecord r;
      ASSERT_EQ(ParseReport(piece, Layout::Lines, r), piece.find_first_not_of(' ') != piece.npos);
    }
  }
}

}  // namespace
}  // namespace lirvo::reports
