#include "reports/listed_text.h"

#include <algorithm>
#include <cstring>

namespace lirvo::reports {
namespace {

// Direct search is kept while the bytes of text times the bytes of entry,
// summed over the searches, stay below this: far above any real report, far
// below a second of work.
constexpr size_t kDirectBudget = size_t{1} << 20;
// More distinct entry lengths than this and rolling one hash per length costs
// more than the automaton.
constexpr size_t kMaxRollingLengths = 16;
// The automaton takes some forty bytes per byte of text; past this much text
// the rolling hashes take over again, whatever the number of lengths.
constexpr size_t kAutomatonLimit = size_t{16} << 20;

constexpr uint64_t kBase = 0x100000001B3ULL;  // odd: every byte counts
constexpr uint64_t kMix = 0x9E3779B97F4A7C15ULL;
constexpr uint64_t kLengthSalt = 0xC2B2AE3D27D4EB4FULL;

uint64_t Power(uint64_t base, size_t exponent) {
  uint64_t result = 1;
  for (; exponent != 0; exponent >>= 1, base *= base) {
    if (exponent & 1) result *= base;
  }
  return result;
}

uint64_t HashOf(std::string_view s) {
  uint64_t h = 0;
  for (char c : s) h = h * kBase + static_cast<unsigned char>(c);
  return h;
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

uint64_t PatternWatch::Key(uint64_t hash, size_t length) {
  return (hash + length * kLengthSalt) * kMix;
}

PatternWatch::PatternWatch(const std::vector<std::string_view>& patterns) {
  const unsigned table_bits = Log2Ceil(2 * patterns.size() + 2);
  const unsigned filter_bits = std::clamp(Log2Ceil(32 * patterns.size()), 12u, 24u);
  table_.assign(size_t{1} << table_bits, 0);
  table_mask_ = table_.size() - 1;
  table_shift_ = 64 - table_bits;
  filter_.assign((size_t{1} << filter_bits) / 64, 0);
  filter_shift_ = 64 - filter_bits;
  patterns_.reserve(patterns.size());
  for (std::string_view s : patterns) {
    if (s.empty() || Find(s) != nullptr) continue;
    const uint64_t key = Key(HashOf(s), s.size());
    size_t slot = key >> table_shift_;
    while (table_[slot] != 0) slot = (slot + 1) & table_mask_;
    patterns_.push_back({s, key});
    table_[slot] = static_cast<uint32_t>(patterns_.size());
    const uint64_t bit = key >> filter_shift_;
    filter_[bit / 64] |= uint64_t{1} << (bit % 64);
    if (std::none_of(lengths_.begin(), lengths_.end(),
                     [&](const Rolling& r) { return r.length == s.size(); })) {
      lengths_.push_back({s.size(), Power(kBase, s.size())});
    }
  }
}

const PatternWatch::Pattern* PatternWatch::Find(std::string_view s) const {
  const uint64_t key = Key(HashOf(s), s.size());
  for (size_t slot = key >> table_shift_; table_[slot] != 0; slot = (slot + 1) & table_mask_) {
    const Pattern& p = patterns_[table_[slot] - 1];
    if (p.key == key && p.text == s) return &p;
  }
  return nullptr;
}

int PatternWatch::Seen(std::string_view s) const {
  const Pattern* p = Find(s);
  return p == nullptr ? -1 : (p->seen ? 1 : 0);
}

void PatternWatch::Check(uint64_t key, std::string_view window) {
  for (size_t slot = key >> table_shift_; table_[slot] != 0; slot = (slot + 1) & table_mask_) {
    Pattern& p = patterns_[table_[slot] - 1];
    if (p.key != key || p.seen) continue;
    if (p.text == window) {
      p.seen = true;
    } else {
      ++misses_;
    }
  }
}

void PatternWatch::Feed(std::string_view text, size_t from) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  for (Rolling& r : lengths_) {
    const size_t length = r.length;
    uint64_t h = r.hash;
    for (size_t i = from; i < text.size(); ++i) {
      h = h * kBase + bytes[i];
      if (i >= length) h -= bytes[i - length] * r.top;
      if (i + 1 < length) continue;
      const uint64_t key = Key(h, length);
      const uint64_t bit = key >> filter_shift_;
      if ((filter_[bit / 64] >> (bit % 64)) & 1) Check(key, text.substr(i + 1 - length, length));
    }
    r.hash = h;
  }
}

// --- ListedText ---

ListedText::ListedText(std::string& joined) : joined_(joined) {}
ListedText::~ListedText() = default;

bool ListedText::WantsForecast(std::string_view entry) const {
  return !watch_ && !automaton_ && direct_work_ + joined_.size() * entry.size() > kDirectBudget;
}

void ListedText::Expect(const std::vector<std::string_view>& entries) {
  expected_ = entries;
  std::vector<size_t> lengths;
  for (std::string_view e : entries) {
    if (lengths.size() > kMaxRollingLengths) break;
    if (std::find(lengths.begin(), lengths.end(), e.size()) == lengths.end()) {
      lengths.push_back(e.size());
    }
  }
  if (lengths.size() > kMaxRollingLengths && joined_.size() <= kAutomatonLimit) {
    UseAutomaton();
  } else {
    UseWatch();
  }
}

void ListedText::UseWatch() {
  automaton_.reset();
  watch_ = std::make_unique<PatternWatch>(expected_);
  fed_ = 0;
}

void ListedText::UseAutomaton() {
  watch_.reset();
  automaton_ = std::make_unique<SuffixAutomaton>();
  fed_ = 0;
}

bool ListedText::Contains(std::string_view entry) {
  if (joined_.empty()) return false;  // InStr finds nothing in an empty text
  if (entry.empty()) return true;     // and "" at the start of any other
  if (automaton_ && joined_.size() > kAutomatonLimit) UseWatch();
  if (watch_) {
    watch_->Feed(joined_, fed_);
    fed_ = joined_.size();
    // Equal hashes of different texts are rare by chance; many mean a text
    // made to collide: the automaton is not fooled by it.
    if (watch_->Misses() > 1024 + fed_ / 16 && joined_.size() <= kAutomatonLimit) UseAutomaton();
  }
  if (automaton_) {
    automaton_->Extend(std::string_view(joined_).substr(fed_));
    fed_ = joined_.size();
    return automaton_->Contains(entry);
  }
  if (watch_) {
    const int seen = watch_->Seen(entry);
    if (seen >= 0) return seen == 1;
  } else {
    direct_work_ += joined_.size() * entry.size();
  }
  return joined_.find(entry) != std::string::npos;
}

void ListedText::Add(std::string_view entry, std::string_view code) {
  if (!joined_.empty()) joined_.append(", ");
  if (!code.empty()) joined_.append(code).append(" ");
  joined_.append(entry);
}

}  // namespace lirvo::reports
