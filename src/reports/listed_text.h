// A list joined with ", " that only grows at its end, and the test "does this
// entry occur in it already" (a report's exam codes and exam labels). Internal
// to the reports library.
//
// The test answers as the runtime's InStr does on the joined text, byte for
// byte: an empty list contains nothing (not even ""), an empty entry occurs
// in any other list, and an entry counts as listed wherever it occurs, inside
// a longer entry or across the ", " between two entries. A plain search of
// the whole text per entry makes a report of n distinct entries cost n
// squared; ListedText keeps the same answers at a cost linear in the report:
//
//  - while the lists are small it searches the text directly;
//  - once that grows costly it is told the entries still to come (Expect)
//    and watches the new text for them (PatternWatch): each window of the
//    text as long as one of them is looked up by a key, and an entry counts
//    as seen when a window equal to it (compared byte by byte) goes by;
//  - when the entries to come have too many different lengths, or keys keep
//    matching different texts, it builds a suffix automaton over the text
//    instead, which answers for any entry in time proportional to its
//    length; past kAutomatonLimit bytes of text it goes back to the watch,
//    to keep memory in bounds.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace lirvo::reports {

// The suffix automaton of a text that grows at its end: Contains(x) tells
// whether x is a substring of everything given to Extend so far, in time
// proportional to x's length. About two states and three edges per byte;
// edges are kept in one pool as short lists, the start state's in a table.
class SuffixAutomaton {
 public:
  SuffixAutomaton();
  void Extend(std::string_view more);
  bool Contains(std::string_view s) const;  // "" is always contained

 private:
  static constexpr uint32_t kNone = UINT32_MAX;
  uint32_t Next(uint32_t state, unsigned char c) const;
  void SetEdge(uint32_t state, unsigned char c, uint32_t to);  // adds or redirects
  uint32_t NewState(uint32_t length, uint32_t link);
  void Add(unsigned char c);

  std::vector<uint32_t> length_, link_, first_edge_;
  std::vector<uint32_t> edge_to_, edge_next_;
  std::vector<unsigned char> edge_byte_;
  std::array<uint32_t, 256> start_edges_;
  uint32_t last_ = 0;
};

// Watches a list joined with ", " as it grows for the entries that will be
// asked about, known beforehand ("patterns", in the order they will be
// asked). Each window of the new text as long as some pattern gets a key made
// of its length and three eight-byte samples (its whole text up to sixteen
// bytes); a window whose key is a pattern's is compared byte by byte before
// the pattern counts as seen. Equal keys of different texts ("misses") cost
// a comparison each; many of them mean text made to collide, and the list
// then turns to the automaton.
//
// When no pattern holds a "," or begins with a blank, a pattern can only
// occur inside one entry of the list (a window that reaches into a ", "
// holds its comma or begins with its blank), so only the windows inside each
// new entry are read; and the pattern that the new entry ends with is seen
// without reading it.
class PatternWatch {
 public:
  static constexpr size_t kNoPattern = static_cast<size_t>(-1);

  // The views must stay valid, and `patterns` with them.
  explicit PatternWatch(const std::vector<std::string_view>& patterns);
  // Reads text[Fed(), text.size()) with windows anywhere: text[0, Fed()) must
  // be what came before.
  void Feed(std::string_view text);
  // Reads the entry just added at text[from, text.size()) (after its ", "),
  // which ends with pattern number `asked` (kNoPattern when it does not).
  void FeedEntry(std::string_view text, size_t from, size_t asked);
  size_t Fed() const { return fed_; }
  // 1 when `s` has occurred in what was fed, 0 when it has not, -1 when `s`
  // is not among the patterns. `at`: the number of the pattern `s` is, when
  // known (a shortcut), else kNoPattern.
  int Seen(std::string_view s, size_t at = kNoPattern) const;
  // True when equal keys of different texts have cost too much for a text of
  // `read` bytes, or so much while the patterns were taken that the watch
  // gave up; then it is not to be asked any more.
  bool TooManyMisses(size_t read) const;

 private:
  static constexpr uint32_t kNone = UINT32_MAX;
  struct Pattern {
    std::string_view text;
    uint64_t key;
    bool seen = false;
  };
  static uint64_t Key(std::string_view s);
  uint32_t Find(std::string_view s, uint64_t key) const;
  void Check(uint64_t key, std::string_view window);
  // Checks the windows of `length` bytes that start from `from` on, but the
  // one that starts at `skip`.
  void CheckWindows(std::string_view text, size_t from, size_t length, size_t skip);

  const std::vector<std::string_view>& asked_;  // the patterns in order
  std::vector<uint32_t> distinct_;              // of each of asked_: its index in patterns_
  std::vector<Pattern> patterns_;               // one per distinct text
  // Both indexed by the top bits of a key.
  struct Slot {
    uint32_t index = 0;  // in patterns_, plus 1; 0 when free
    uint32_t low_key = 0;
  };
  std::vector<Slot> table_;       // open addressing
  std::vector<uint64_t> filter_;  // a clear bit: no pattern has a key there
  size_t table_mask_ = 0;
  unsigned table_shift_ = 63, filter_shift_ = 63;
  std::vector<size_t> lengths_;  // of the patterns, each once
  bool complete_ = true;         // every pattern is in the table
  bool inside_entries_ = true;   // no pattern can straddle a ", "
  size_t fed_ = 0;
  size_t misses_ = 0;
};

class ListedText {
 public:
  // The automaton takes some thirty bytes per byte of text; past this much
  // text the watch takes over again, whatever the number of lengths (slower
  // then, but in little memory).
  static constexpr size_t kAutomatonLimit = size_t{4} << 20;

  // `joined` is the list (the record's field), empty to begin with; it is
  // only to grow through Add.
  explicit ListedText(std::string& joined, size_t automaton_limit = kAutomatonLimit);
  ~ListedText();

  // True when `entry` occurs in the list as InStr finds it.
  bool Contains(std::string_view entry);
  // Appends ", " (unless the list is empty), then `code` and a blank when
  // `code` is given, then `entry`.
  void Add(std::string_view entry, std::string_view code = {});

  // True while the list searches its text directly and searching for `entry`
  // would push the work of doing so past what a small report ever needs.
  bool WantsForecast(std::string_view entry) const;
  // The entries Contains will be asked about from now on (repeats and other
  // entries allowed); switches to an index. The views must stay valid.
  void Expect(std::vector<std::string_view> entries);

 private:
  void UseAutomaton();
  void UseWatch();

  std::string& joined_;
  const size_t automaton_limit_;
  size_t direct_work_ = 0;
  size_t fed_ = 0;   // bytes of joined_ the automaton has read
  size_t next_ = 0;  // the number of the expected entry Contains should be asked next
  size_t asked_ = PatternWatch::kNoPattern;  // the one it was last asked, if it was
  std::vector<std::string_view> expected_;
  std::unique_ptr<PatternWatch> watch_;
  std::unique_ptr<SuffixAutomaton> automaton_;
};

}  // namespace lirvo::reports
