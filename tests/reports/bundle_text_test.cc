#include "reports/bundle_text.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "base/file_system.h"
#include "base/runtime_error.h"
#include "demo/demo_data.h"
#include "support/runtime_error_matchers.h"
#include "support/temp_dir.h"

namespace lirvo::reports {
namespace {

using test_support::ThrowsRuntimeError;
using ::testing::PrintToString;

// The definition itself: four whole-text replaces, in this order. Its
// corners: CR CR LF is a lone CR then a pair, LF CR two breaks, and in
// "#acapo" CR LF the break's "#" completes the pending match, giving
// CR LF "acapo#".
std::string FourPassNormalise(std::string text) {
  const std::pair<std::string_view, std::string_view> passes[] = {
      {"\r\n", "#acapo#"}, {"\n", "#acapo#"}, {"\r", "#acapo#"}, {"#acapo#", "\r\n"}};
  for (const auto& [find, with] : passes) {
    std::string out;
    size_t pos = 0;
    for (size_t hit; (hit = text.find(find, pos)) != std::string::npos; pos = hit + find.size()) {
      out.append(text, pos, hit - pos).append(with);
    }
    text = out.append(text, pos);
  }
  return text;
}

TEST(NormaliseLineBreaks, MatchesTheFourReplacesOnRandomTextsAndMixedBundles) {
  // Fragments that make the matches interact with the breaks and each other.
  const std::vector<std::string> fragments = {
      "#",       "a",      "c",      "p",    "o",   "x",   "\r",  "\n",   "\r\n", "\n\r",
      "#acapo#", "#acapo", "acapo#", "#aca", "po#", "#ac", "apo", "#01#", "à",    " "};
  std::mt19937 rng(20240315);
  for (int round = 0; round < 60000; ++round) {
    std::string text;
    const size_t parts = rng() % (round % 8 == 0 ? 160 : 24);
    for (size_t i = 0; i < parts; ++i) text += fragments[rng() % fragments.size()];
    const std::string normal = NormaliseLineBreaks(text);
    ASSERT_EQ(normal, FourPassNormalise(text)) << "input: " << PrintToString(text);
    ASSERT_EQ(CutPieces(normal).size(), CountPieces(normal)) << PrintToString(normal);
  }
  // Real-sized bundles whose breaks are switched, here and there, to other
  // forms, with "#acapo" pieces around them.
  demo::DemoBundleOptions options;
  options.reports = 30;
  const std::string bundle = demo::MakeDemoBundle(options);
  const std::vector<std::string> swaps = {"\n",         "\r",   "#acapo#",     "\r\n",
                                          "#acapo\r\n", "\n\r", "#aca\r\npo#", "\r\r\n"};
  for (int round = 0; round < 40; ++round) {
    std::string text = bundle;
    for (size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos; at += 2) {
      if (rng() % 50 == 0) text.replace(at, 2, swaps[rng() % swaps.size()]);
    }
    ASSERT_EQ(NormaliseLineBreaks(text), FourPassNormalise(text)) << "round " << round;
  }
}

TEST(CutPieces, CutsAtEveryMarkerWhereverItStands) {
  // Markers in the middle of a line cut too; overlapping forms cut once. The
  // cutter gives the same pieces, numbered, as views into the text.
  const std::vector<std::pair<std::string, std::vector<std::string_view>>> cases = {
      {"", {}},
      {"lead#01#one\r\n#01#two", {"lead", "one\r\n", "two"}},
      {"#01#a#01#", {"", "a", ""}},
      {"x#01#01#y", {"x", "01#y"}},
      {"no marker", {"no marker"}},
  };
  for (const auto& [text, want] : cases) {
    EXPECT_EQ(CutPieces(text), want) << text;
    EXPECT_EQ(CountPieces(text), want.size()) << text;
    PieceCutter cutter(text);
    std::string_view piece;
    for (size_t i = 0; i < want.size(); ++i) {
      ASSERT_TRUE(cutter.Next(piece)) << text;
      EXPECT_EQ(cutter.Index(), i);
      EXPECT_EQ(piece, want[i]);
      EXPECT_TRUE(piece.data() >= text.data() &&
                  piece.data() + piece.size() <= text.data() + text.size());
    }
    EXPECT_FALSE(cutter.Next(piece)) << text;
  }
}

TEST(LoadBundleText, DecodesWindows1252NormalisesAndTellsMissingFromEmpty) {
  test_support::TempDir dir;
  const std::string path = dir.File("b.dat"), empty = dir.File("empty.dat");
  RealFileSystem().WriteFile(path, "#01#caff\xe8\n\x80 5\r");
  EXPECT_EQ(LoadBundleText(RealFileSystem(), path), "#01#caff\xc3\xa8\r\n\xe2\x82\xac 5\r\n");
  const BundleText bundle(RealFileSystem(), path);
  EXPECT_EQ(bundle.Pieces(),
            (std::vector<std::string_view>{"", "caff\xc3\xa8\r\n\xe2\x82\xac 5\r\n"}));
  RealFileSystem().WriteFile(empty, "");
  EXPECT_EQ(LoadBundleText(RealFileSystem(), empty), "");

  FaultyFileSystem faulty(RealFileSystem());
  faulty.FailOn(FsOp::kRead, "empty.dat", kErrPermissionDenied);
  const struct {
    FileSystem& fs;
    std::string path;
    int want;
  } failures[] = {{RealFileSystem(), dir.File("missing.dat"), kErrFileNotFound},
                  {faulty, empty, kErrPermissionDenied},
                  {RealFileSystem(), dir.path(), kErrPathFileAccess}};  // a folder is no bundle
  for (const auto& f : failures) {
    EXPECT_THAT([&] { LoadBundleText(f.fs, f.path); }, ThrowsRuntimeError(f.want)) << f.path;
  }
}

}  // namespace
}  // namespace lirvo::reports
