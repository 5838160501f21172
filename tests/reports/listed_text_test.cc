#include "reports/listed_text.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "base/text.h"

namespace lirvo::reports {
namespace {

// What the runtime answers: InStr(1, text, entry) > 0, where an empty text
// contains nothing.
bool Reference(const std::string& text, std::string_view entry) {
  return !text.empty() && InStr(text, entry) > 0;
}

std::string RandomText(std::mt19937& rng, std::string_view alphabet, size_t max_length) {
  std::string s(rng() % (max_length + 1), ' ');
  for (char& c : s) c = alphabet[rng() % alphabet.size()];
  return s;
}

// Entries from an alphabet of two letters, the comma and the blank, so that
// matches across the ", " between entries and inside longer entries are
// common; or without the comma, when only matches inside one entry are
// possible and the list reads only the entries. Each list is asked and grown
// as the parser does: searching directly, watching the entries announced at
// some step (sometimes only some of them), or with so many entry lengths
// announced that it takes the automaton (and, past a limit, the watch
// again). Every answer and every list must be the reference's.
TEST(ListedText, SameAnswersAsInStrOnTheJoinedText) {
  enum Way { kDirect, kWatch, kPartialWatch, kAutomaton };
  std::mt19937 rng(11);
  for (int round = 0; round < 600; ++round) {
    const size_t count = 1 + rng() % 120;
    const size_t max_length = 1 + rng() % 9;
    const std::string_view alphabet = round / 4 % 2 == 0 ? "ab, " : "a b";
    std::vector<std::string> entries, codes;
    for (size_t i = 0; i < count; ++i) {
      entries.emplace_back(Trim(RandomText(rng, alphabet, max_length)));
      codes.push_back(rng() % 4 == 0 ? RandomText(rng, "ab,", 3) : "");
    }
    const Way way = static_cast<Way>(round % 4);
    const size_t announce_at = rng() % count;
    std::vector<std::string> extra;  // announced but never asked
    if (way == kAutomaton) {
      for (size_t n = 20; n < 60; ++n) extra.push_back(std::string(n, 'a'));
    }

    std::string joined, reference;
    // Some of the lists that take the automaton outgrow it and go back to
    // the watch.
    ListedText list(joined, round % 8 == 3 ? 150 : ListedText::kAutomatonLimit);
    for (size_t i = 0; i < count; ++i) {
      if (way != kDirect && i == announce_at) {
        std::vector<std::string_view> coming(extra.begin(), extra.end());
        for (size_t j = i; j < count; ++j) {
          if (way != kPartialWatch || j % 2 == 0) coming.push_back(entries[j]);
        }
        list.Expect(coming);
      }
      const bool want = Reference(reference, entries[i]);
      ASSERT_EQ(list.Contains(entries[i]), want) << "round " << round << " entry " << i << " ["
                                                 << entries[i] << "] in [" << reference << "]";
      if (!want) {
        list.Add(entries[i], codes[i]);
        if (!reference.empty()) reference += ", ";
        if (!codes[i].empty()) reference += codes[i] + " ";
        reference += entries[i];
      }
      ASSERT_EQ(joined, reference) << "round " << round;
    }
  }
}

// Keys sample a long text: texts that differ only between the samples get
// the same key. The watch must compare the bytes and not take one for the
// other; and a list asked about many such texts gives the same answers.
TEST(PatternWatch, EqualKeysOfDifferentTextsAreNoMatch) {
  // 26 bytes: samples at 0-7, 9-16 and 18-25; bytes 8 and 17 are not sampled.
  auto collider = [](char c) { return "aaaaaaaa" + std::string(1, c) + "bbbbbbbbYcccccccc"; };
  const std::string pattern = collider('X'), other = collider('Z');
  const std::vector<std::string_view> patterns = {pattern, "ab"};
  PatternWatch watch(patterns);
  std::string text = other + "ab";
  watch.Feed(text);
  EXPECT_EQ(watch.Seen(pattern), 0);
  EXPECT_EQ(watch.Seen("ab"), 1);
  EXPECT_EQ(watch.Seen("ba"), -1);  // not a pattern
  text += pattern;
  watch.Feed(text);
  EXPECT_EQ(watch.Seen(pattern), 1);

  std::vector<std::string> entries;
  for (char c = '0'; c < '0' + 70; ++c) entries.push_back(collider(c));
  entries.push_back("ab, bb");
  std::string joined, reference;
  ListedText list(joined);
  list.Expect(std::vector<std::string_view>(entries.begin(), entries.end()));
  for (int round = 0; round < 3; ++round) {
    for (const std::string& e : entries) {
      const bool want = Reference(reference, e);
      ASSERT_EQ(list.Contains(e), want) << e;
      if (!want) {
        list.Add(e);
        reference += (reference.empty() ? "" : ", ") + e;
      }
    }
  }
  EXPECT_EQ(joined, reference);
}

TEST(SuffixAutomaton, EverySubstringAndNothingElse) {
  std::mt19937 rng(5);
  for (int round = 0; round < 50; ++round) {
    SuffixAutomaton automaton;
    std::string text;
    for (int step = 0; step < 20; ++step) {
      const std::string more = RandomText(rng, "abc\xff", 12);
      automaton.Extend(more);
      text += more;
      for (int probe = 0; probe < 40; ++probe) {
        const std::string s = RandomText(rng, "abc\xff", 6);
        ASSERT_EQ(automaton.Contains(s), text.find(s) != std::string::npos) << s << " in " << text;
      }
    }
  }
}

}  // namespace
}  // namespace lirvo::reports
