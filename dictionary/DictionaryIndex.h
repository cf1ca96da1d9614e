#pragma once
// Indexes over the keys of a section's sorted "key=value" lines (a hash table, and a trie for the
// middle matcher), so that a lookup costs time in proportion to the word and not to the size of
// the section.
#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace detail {

// A trie over the keys (the text before the first "=") of sorted lines, for TMiddleMatcher. Each
// node knows the first line, in list order, whose key ends at it, and its failure link. The
// empty key is never recorded: no lookup can ask for it.
//
// A walk along a word touches one node per character, so the nodes are kept small and together:
// each is one record in a single byte array, in depth-first order, known by its offset (the
// root's is 0). A record holds
//   the number of children (1 byte: "=" never labels an edge, so there are at most 255);
//   the first line (4 bytes), kNoLine when no key ends there;
//   the failure link (4 bytes);
//   the children's letters in ascending order;
//   the offsets of the children but the first (4 bytes each): the first child's record follows.
class TKeyTrie {
 public:
  static constexpr uint32_t kNoLine = std::numeric_limits<uint32_t>::max();
  static constexpr uint32_t kRoot = 0;
  // The root is no node's child, so its offset also means "no such child".
  static constexpr uint32_t kNoChild = 0;

  explicit TKeyTrie(const std::vector<std::string>& lines);

  uint32_t Child(uint32_t node, unsigned char c) const {
    return node == kRoot ? rootChild_[c] : ChildOf(node, Read(node), c);
  }
  // The first line whose key is the path to node, or kNoLine.
  uint32_t FirstLine(uint32_t node) const { return Read(node).Line; }

 private:
  friend class TMiddleMatcher;

  struct TRecord {
    const unsigned char* Start;
    unsigned Count;               // of children
    uint32_t Line;                // the first line, or kNoLine
    const unsigned char* Fields;  // the first line, then the link
    const unsigned char* Labels;  // then the offsets
  };
  TRecord Read(uint32_t node) const {
    const unsigned char* start = data_.data() + node;
    return {start, *start, Load(start + 1), start + 1, start + 9};
  }
  // Offset of child k (of r.Count) of node, whose record is r.
  static uint32_t ChildAt(uint32_t node, const TRecord& r, unsigned k) {
    const unsigned char* offsets = r.Labels + r.Count;
    if (k > 0) return Load(offsets + 4 * (k - 1));
    return node + static_cast<uint32_t>(offsets + 4 * (r.Count - 1) - r.Start);
  }
  // The child of node (read as r) on the edge c, or kNoChild.
  static uint32_t ChildOf(uint32_t node, const TRecord& r, unsigned char c) {
    // Eight letters at a time: the position of c among a node's letters is not predictable, so a
    // scan that branches on every letter mispredicts once per node. The array is padded, so the
    // last block may be read whole.
    const uint64_t wanted = 0x0101010101010101u * c;
    for (unsigned i = 0; i < r.Count; i += 8) {
      uint64_t block;
      std::memcpy(&block, r.Labels + i, sizeof block);
      if constexpr (std::endian::native == std::endian::big) block = ByteSwap(block);
      const uint64_t x = block ^ wanted;
      // The lowest zero byte of x is exact; higher ones may be false, and are never used.
      const uint64_t zero = (x - 0x0101010101010101u) & ~x & 0x8080808080808080u;
      if (zero != 0) {
        const unsigned k = i + static_cast<unsigned>(std::countr_zero(zero)) / 8;
        return k < r.Count ? ChildAt(node, r, k) : kNoChild;
      }
    }
    return kNoChild;
  }
  static uint32_t Load(const unsigned char* p) {
    uint32_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
  }
  static void Store(unsigned char* p, uint32_t v) { std::memcpy(p, &v, sizeof v); }
  static uint64_t ByteSwap(uint64_t v) {
    uint64_t r = 0;
    for (int i = 0; i < 8; ++i, v >>= 8) r = (r << 8) | (v & 0xFF);
    return r;
  }

  std::vector<unsigned char> data_;
  std::array<uint32_t, 256> rootChild_{};  // the root is visited by every walk: a direct table
};

// A hash table from the keys of the sorted lines [first, last) to the first line of each. A
// whole-word section asks whether a word is a key; a prefix or suffix section asks about every
// beginning or ending of a word, whose hashes come one character at a time in one pass. Either
// way a word costs a few bit tests in a filter that stays in the cache and a slot read per key
// found, where a trie costs a cache miss per character.
class TKeyTable {
 public:
  static constexpr uint32_t kNoLine = std::numeric_limits<uint32_t>::max();

  TKeyTable(const std::vector<std::string>& lines, size_t first, size_t last);

  // The first line whose key is key (read backwards when asked, for keys stored reversed), or
  // kNoLine. Here and below, lines are the lines the table was built from.
  uint32_t Find(const std::vector<std::string>& lines, std::string_view key,
                bool backwards = false) const {
    const uint64_t state = State(key, backwards);
    if (!MayHold(state)) return kNoLine;
    return backwards ? Probe<true>(lines, key, state) : Probe<false>(lines, key, state);
  }

  struct TMatch {
    uint32_t Line = kNoLine;
    size_t Length = 0;
  };
  // The longest key, of at most most characters, that begins text, and the first line with it.
  TMatch LongestBeginning(const std::vector<std::string>& lines, std::string_view text,
                          size_t most) const {
    // The filter is asked about each beginning in one pass, and the few it lets through are
    // looked up longest first, so that a word with many keys nested in it costs one lookup. They
    // wait in a small buffer, looked up and emptied whenever it fills.
    struct TCandidate {
      size_t Length;
      uint64_t State;
    };
    std::array<TCandidate, 16> waiting;
    size_t count = 0;
    TMatch best;
    auto lookUp = [&] {
      while (count > 0) {
        const TCandidate c = waiting[--count];
        const uint32_t line = Probe<false>(lines, text.substr(0, c.Length), c.State);
        if (line != kNoLine) {
          best = {line, c.Length};
          count = 0;
        }
      }
    };
    uint64_t state = kStart;
    for (size_t length = 1; length <= std::min(most, text.size()); ++length) {
      state = Step(state, static_cast<unsigned char>(text[length - 1]));
      if (!MayHold(state)) continue;
      if (count == waiting.size()) lookUp();
      waiting[count++] = {length, state};
    }
    lookUp();
    return best;
  }

  // Calls found(length, line) for each ending of text of at most most characters that is a key
  // stored reversed, with its first line, shortest first, until found returns true.
  template <typename F>
  void ForEachEnding(const std::vector<std::string>& lines, std::string_view text, size_t most,
                     F&& found) const {
    uint64_t state = kStart;
    for (size_t length = 1; length <= std::min(most, text.size()); ++length) {
      const std::string_view ending = text.substr(text.size() - length);
      state = Step(state, static_cast<unsigned char>(ending.front()));
      if (!MayHold(state)) continue;
      const uint32_t line = Probe<true>(lines, ending, state);
      if (line != kNoLine && found(length, line)) return;
    }
  }

 private:
  struct TSlot {
    uint32_t Tag = 0;  // see Tag
    uint32_t Line = kNoLine;
  };

  // A key is hashed a character at a time. The rotation brings the well-mixed high half of each
  // product down, so that the low half of every state is a fair hash of the characters so far,
  // good enough for the filter; a slot, asked about far less often, gets a full mix.
  static constexpr uint64_t kStart = 0x9E3779B97F4A7C15u;
  static uint64_t Step(uint64_t state, unsigned char c) {
    return std::rotl((state ^ c) * 0xFF51AFD7ED558CCDu, 32);
  }
  static uint64_t State(std::string_view key, bool backwards = false) {
    uint64_t state = kStart;
    if (backwards)
      for (auto c = key.rbegin(); c != key.rend(); ++c)
        state = Step(state, static_cast<unsigned char>(*c));
    else
      for (const char c : key) state = Step(state, static_cast<unsigned char>(c));
    return state;
  }
  static uint64_t Finish(uint64_t state) {
    state ^= state >> 33;
    state *= 0xC4CEB9FE1A85EC53u;
    return state ^ (state >> 29);
  }
  // Two bits of a 64-bit word of filter_ for a key's state.
  size_t FilterWord(uint64_t state) const { return state & filterMask_; }
  static uint64_t FilterBits(uint64_t state) {
    return uint64_t(1) << ((state >> 20) & 63) | uint64_t(1) << ((state >> 26) & 63);
  }
  bool MayHold(uint64_t state) const {
    const uint64_t bits = FilterBits(state);
    return (filter_[FilterWord(state)] & bits) == bits;
  }
  // A slot's tag: high bits of the key's hash, and its length (kLongKey for any longer one), so
  // that a slot of another key rarely sends a lookup to that key's line, and one of the right
  // key tells that the line's key is as long as the key asked about.
  static constexpr size_t kLongKey = 255;
  static uint32_t Tag(uint64_t hash, size_t length) {
    return static_cast<uint32_t>(hash >> 40) << 8 |
           static_cast<uint32_t>(std::min(length, kLongKey));
  }
  // The first line whose key is key (read backwards when asked), given its state.
  template <bool Backwards>
  uint32_t Probe(const std::vector<std::string>& lines, std::string_view key,
                 uint64_t state) const {
    const uint64_t hash = Finish(state);
    const uint32_t tag = Tag(hash, key.size());
    for (size_t i = hash & mask_;; i = (i + 1) & mask_) {
      const TSlot& slot = slots_[i];
      if (slot.Line == kNoLine) return kNoLine;
      if (slot.Tag == tag && HasKey<Backwards>(lines[slot.Line], key)) return slot.Line;
    }
  }
  // Whether the text before the first "=" of a line whose key has key's length (by its tag) is
  // key (read backwards when asked).
  template <bool Backwards>
  static bool HasKey(std::string_view line, std::string_view key) {
    // Beyond the tag's count of lengths, the line's key is known only to be long.
    if (key.size() >= kLongKey &&
        (line.size() <= key.size() || line[key.size()] != '=' || key.find('=') != key.npos))
      return false;
    return Backwards ? std::equal(key.rbegin(), key.rend(), line.begin()) : line.starts_with(key);
  }

  std::vector<TSlot> slots_;
  size_t mask_ = 0;
  // A Bloom filter of the keys, some sixteen bits each: most words, beginnings and endings asked
  // about are no key, and the filter, small enough to stay in the cache, turns nearly all of them
  // away, where the slots, eight bytes a key and more, cost a cache miss. Never empty, so that
  // an empty table needs no test of its own.
  std::vector<uint64_t> filter_;
  size_t filterMask_ = 0;  // its size less one
};

// Aho-Corasick automaton over the keys of a middle section: one pass over a word gives the first
// key in list order that occurs in it.
class TMiddleMatcher {
 public:
  static constexpr uint32_t kNone = TKeyTrie::kNoLine;

  explicit TMiddleMatcher(const std::vector<std::string>& lines);

  // Line number of the first key, in list order, that occurs in word, or kNone.
  uint32_t FirstKeyIn(std::string_view word) const;

 private:
  uint32_t Link(uint32_t node) const { return TKeyTrie::Load(trie_.Read(node).Fields + 4); }
  // Whether word holds the last two letters of a key (its one letter when that short) anywhere:
  // no key occurs in a word without its ending, and most words hold none, which a few bit tests
  // in tables that stay in the cache tell, where the automaton costs a cache miss per letter.
  bool MayHoldKey(std::string_view word) const {
    auto has = [](const auto& bits, size_t i) { return (bits[i / 64] >> (i % 64)) & 1; };
    for (size_t i = 0; i < word.size(); ++i) {
      const auto c = static_cast<unsigned char>(word[i]);
      if (has(lastLetters_, c)) return true;
      if (i > 0 && has(lastPairs_, static_cast<unsigned char>(word[i - 1]) << 8 | c)) return true;
    }
    return false;
  }

  // Each node's first line becomes the smallest among the keys ending there or at any node of its
  // failure chain, that is, among all keys that end where the walk stands.
  TKeyTrie trie_;
  std::array<uint64_t, 256 / 64> lastLetters_{};  // of the keys of one letter
  std::array<uint64_t, 65536 / 64> lastPairs_{};  // of the longer keys, as first << 8 | second
};

}  // namespace detail
