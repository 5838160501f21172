#include "reports/listed_text.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace lirvo::reports {
namespace {

// Direct search is kept while the bytes of text times the bytes of entry,
// summed over the searches, stay below this: far above any real report, far
// below a second of work.
constexpr size_t kDirectBudget = size_t{1} << 20;
// More distinct entry lengths than this and reading the windows of every
// length costs more than the automaton.
constexpr size_t kMaxWatchedLengths = 16;

constexpr uint64_t kMix1 = 0x9E3779B97F4A7C15ULL;
constexpr uint64_t kMix2 = 0xC2B2AE3D27D4EB4FULL;
constexpr uint64_t kMix3 = 0xD6E8FEB86659FD93ULL;

uint64_t Load8(const char* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}

unsigned Log2Ceil(size_t n) {
  unsigned bits = 0;
  while ((size_t{1} << bits) < n) ++bits;
  return bits;
}

}  // namespace

// --- SuffixAutomaton ---

SuffixAutomaton::SuffixAutomaton() {
  start_edges_.fill(kNone);
  NewState(0, kNone);
}

uint32_t SuffixAutomaton::NewState(uint32_t length, uint32_t link) {
  length_.push_back(length);
  link_.push_back(link);
  first_edge_.push_back(kNone);
  return static_cast<uint32_t>(length_.size() - 1);
}

uint32_t SuffixAutomaton::Next(uint32_t state, unsigned char c) const {
  if (state == 0) return start_edges_[c];
  for (uint32_t e = first_edge_[state]; e != kNone; e = edge_next_[e]) {
    if (edge_byte_[e] == c) return edge_to_[e];
  }
  return kNone;
}

void SuffixAutomaton::SetEdge(uint32_t state, unsigned char c, uint32_t to) {
  if (state == 0) {
    start_edges_[c] = to;
    return;
  }
  for (uint32_t e = first_edge_[state]; e != kNone; e = edge_next_[e]) {
    if (edge_byte_[e] == c) {
      edge_to_[e] = to;
      return;
    }
  }
  edge_to_.push_back(to);
  edge_next_.push_back(first_edge_[state]);
  edge_byte_.push_back(c);
  first_edge_[state] = static_cast<uint32_t>(edge_to_.size() - 1);
}

void SuffixAutomaton::Add(unsigned char c) {
  const uint32_t cur = NewState(length_[last_] + 1, 0);
  uint32_t p = last_;
  while (p != kNone && Next(p, c) == kNone) {
    SetEdge(p, c, cur);
    p = link_[p];
  }
  if (p != kNone) {
    const uint32_t q = Next(p, c);
    if (length_[p] + 1 == length_[q]) {
      link_[cur] = q;
    } else {
      const uint32_t clone = NewState(length_[p] + 1, link_[q]);
      for (uint32_t e = first_edge_[q]; e != kNone; e = edge_next_[e]) {
        SetEdge(clone, edge_byte_[e], edge_to_[e]);
      }
      while (p != kNone && Next(p, c) == q) {
        SetEdge(p, c, clone);
        p = link_[p];
      }
      link_[q] = clone;
      link_[cur] = clone;
    }
  }
  last_ = cur;
}

void SuffixAutomaton::Extend(std::string_view more) {
  for (char c : more) Add(static_cast<unsigned char>(c));
}

bool SuffixAutomaton::Contains(std::string_view s) const {
  uint32_t state = 0;
  for (char c : s) {
    state = Next(state, static_cast<unsigned char>(c));
    if (state == kNone) return false;
  }
  return true;
}

// --- PatternWatch ---

uint64_t PatternWatch::Key(std::string_view s) {
  const size_t n = s.size();
  uint64_t first = 0, middle = 0, last = 0;
  if (n >= 8) {
    first = Load8(s.data());
    middle = Load8(s.data() + (n - 8) / 2);
    last = Load8(s.data() + n - 8);
  } else {
    std::memcpy(&first, s.data(), n);
  }
  uint64_t h = (first ^ n) * kMix1;
  h = (h ^ (h >> 29) ^ middle) * kMix2;
  h = (h ^ (h >> 31) ^ last) * kMix3;
  return h ^ (h >> 32);
}

bool PatternWatch::TooManyMisses(size_t read) const {
  return !complete_ || misses_ > 1024 + read / 16;
}

PatternWatch::PatternWatch(const std::vector<std::string_view>& patterns) : asked_(patterns) {
  const unsigned table_bits = Log2Ceil(2 * patterns.size() + 2);
  const unsigned filter_bits = std::clamp(Log2Ceil(16 * patterns.size()), 12u, 24u);
  table_.assign(size_t{1} << table_bits, Slot{});
  table_mask_ = table_.size() - 1;
  table_shift_ = 64 - table_bits;
  filter_.assign((size_t{1} << filter_bits) / 64, 0);
  filter_shift_ = 64 - filter_bits;
  distinct_.assign(patterns.size(), kNone);
  patterns_.reserve(patterns.size());
  std::vector<uint64_t> keys(patterns.size());
  for (size_t i = 0; i < patterns.size(); ++i) keys[i] = Key(patterns[i]);
  size_t last_length = 0;
  constexpr size_t kAhead = 16;  // the table is bigger than the caches for many patterns
  for (size_t i = 0; i < patterns.size(); ++i) {
    if (misses_ > 1024 + i) {  // keys made to collide: give up
      complete_ = false;
      return;
    }
    if (i + kAhead < patterns.size()) {
      __builtin_prefetch(&table_[keys[i + kAhead] >> table_shift_]);
      __builtin_prefetch(&filter_[(keys[i + kAhead] >> filter_shift_) / 64]);
    }
    const std::string_view s = patterns[i];
    if (s.empty()) continue;  // never asked: the list answers for ""
    if (s.front() == ' ' || s.find(',') != std::string_view::npos) inside_entries_ = false;
    const uint64_t key = keys[i];
    size_t slot = key >> table_shift_;
    for (; table_[slot].index != 0; slot = (slot + 1) & table_mask_) {
      if (table_[slot].low_key != static_cast<uint32_t>(key)) continue;
      const Pattern& p = patterns_[table_[slot].index - 1];
      if (p.key != key) continue;
      if (p.text == s) {
        distinct_[i] = table_[slot].index - 1;
        break;
      }
      ++misses_;
    }
    if (distinct_[i] != kNone) continue;
    patterns_.push_back({s, key});
    table_[slot] = {static_cast<uint32_t>(patterns_.size()), static_cast<uint32_t>(key)};
    distinct_[i] = static_cast<uint32_t>(patterns_.size() - 1);
    const uint64_t bit = key >> filter_shift_;
    filter_[bit / 64] |= uint64_t{1} << (bit % 64);
    if (s.size() != last_length &&
        std::find(lengths_.begin(), lengths_.end(), s.size()) == lengths_.end()) {
      lengths_.push_back(s.size());
    }
    last_length = s.size();
  }
}

uint32_t PatternWatch::Find(std::string_view s, uint64_t key) const {
  for (size_t slot = key >> table_shift_; table_[slot].index != 0;
       slot = (slot + 1) & table_mask_) {
    if (table_[slot].low_key != static_cast<uint32_t>(key)) continue;
    const Pattern& p = patterns_[table_[slot].index - 1];
    if (p.key == key && p.text == s) return table_[slot].index - 1;
  }
  return kNone;
}

int PatternWatch::Seen(std::string_view s, size_t at) const {
  uint32_t index = kNone;
  if (at < asked_.size() && asked_[at].data() == s.data() && asked_[at].size() == s.size()) {
    index = distinct_[at];
  } else if (!s.empty()) {
    index = Find(s, Key(s));
  }
  return index == kNone ? -1 : (patterns_[index].seen ? 1 : 0);
}

void PatternWatch::Check(uint64_t key, std::string_view window) {
  for (size_t slot = key >> table_shift_; table_[slot].index != 0;
       slot = (slot + 1) & table_mask_) {
    if (table_[slot].low_key != static_cast<uint32_t>(key)) continue;
    Pattern& p = patterns_[table_[slot].index - 1];
    if (p.key != key || p.seen) continue;
    if (p.text == window) {
      p.seen = true;
    } else {
      ++misses_;
    }
  }
}

void PatternWatch::CheckWindows(std::string_view text, size_t from, size_t length, size_t skip) {
  for (size_t start = from; start + length <= text.size(); ++start) {
    if (start == skip) continue;
    const std::string_view window = text.substr(start, length);
    const uint64_t key = Key(window);
    const uint64_t bit = key >> filter_shift_;
    if ((filter_[bit / 64] >> (bit % 64)) & 1) Check(key, window);
  }
}

void PatternWatch::Feed(std::string_view text) {
  for (size_t length : lengths_) {
    // The windows that end in the new bytes.
    const size_t from = fed_ >= length ? fed_ - length + 1 : 0;
    CheckWindows(text, from, length, text.size());
  }
  fed_ = text.size();
}

void PatternWatch::FeedEntry(std::string_view text, size_t from, size_t asked) {
  // The window the entry ends with is the pattern it was asked as.
  size_t known = text.size();  // where that window starts; no window starts at the end
  if (asked < asked_.size() && distinct_[asked] != kNone) {
    patterns_[distinct_[asked]].seen = true;
    known = text.size() - asked_[asked].size();
  }
  if (!inside_entries_) {
    Feed(text);
    return;
  }
  for (size_t length : lengths_) {
    const bool known_length = known < text.size() && length == text.size() - known;
    CheckWindows(text, from, length, known_length ? known : text.size());
  }
  fed_ = text.size();
}

// --- ListedText ---

ListedText::ListedText(std::string& joined, size_t automaton_limit)
    : joined_(joined), automaton_limit_(automaton_limit) {}
ListedText::~ListedText() = default;

bool ListedText::WantsForecast(std::string_view entry) const {
  return !watch_ && !automaton_ && direct_work_ + joined_.size() * entry.size() > kDirectBudget;
}

void ListedText::Expect(std::vector<std::string_view> entries) {
  expected_ = std::move(entries);
  next_ = 0;
  std::vector<size_t> lengths;
  for (std::string_view e : expected_) {
    if (lengths.size() > kMaxWatchedLengths) break;
    if (std::find(lengths.begin(), lengths.end(), e.size()) == lengths.end()) {
      lengths.push_back(e.size());
    }
  }
  if (lengths.size() > kMaxWatchedLengths && joined_.size() <= automaton_limit_) {
    UseAutomaton();
  } else {
    UseWatch();
  }
}

void ListedText::UseWatch() {
  automaton_.reset();
  watch_ = std::make_unique<PatternWatch>(expected_);
  watch_->Feed(joined_);
}

void ListedText::UseAutomaton() {
  watch_.reset();
  automaton_ = std::make_unique<SuffixAutomaton>();
  fed_ = 0;
}

bool ListedText::Contains(std::string_view entry) {
  // The expected entry this question is, when it is one.
  asked_ = next_ < expected_.size() && expected_[next_].data() == entry.data() &&
                   expected_[next_].size() == entry.size()
               ? next_
               : PatternWatch::kNoPattern;
  ++next_;
  if (joined_.empty()) return false;  // InStr finds nothing in an empty text
  if (entry.empty()) return true;     // and "" at the start of any other
  if (automaton_ && joined_.size() > automaton_limit_) UseWatch();
  // Equal hashes of different texts are rare by chance; many mean a text
  // made to collide: the automaton is not fooled by it.
  if (watch_ && watch_->TooManyMisses(joined_.size()) && joined_.size() <= automaton_limit_) {
    UseAutomaton();
  }
  if (automaton_) {
    automaton_->Extend(std::string_view(joined_).substr(fed_));
    fed_ = joined_.size();
    return automaton_->Contains(entry);
  }
  if (watch_) {
    const int seen = watch_->Seen(entry, asked_);
    if (seen >= 0) return seen == 1;
  } else {
    direct_work_ += joined_.size() * entry.size();
  }
  return joined_.find(entry) != std::string::npos;
}

void ListedText::Add(std::string_view entry, std::string_view code) {
  if (!joined_.empty()) joined_.append(", ");
  const size_t from = joined_.size();
  if (!code.empty()) joined_.append(code).append(" ");
  joined_.append(entry);
  if (watch_) {
    const bool was_asked =
        asked_ != PatternWatch::kNoPattern && expected_[asked_].data() == entry.data();
    watch_->FeedEntry(joined_, from, was_asked ? asked_ : PatternWatch::kNoPattern);
  }
}

}  // namespace lirvo::reports
