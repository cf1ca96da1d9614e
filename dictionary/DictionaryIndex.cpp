#include "DictionaryIndex.h"

#include <algorithm>

namespace detail {

TKeyTrie::TKeyTrie(const std::vector<std::string>& lines) {
  // The keys, each with its "=", copied once into one buffer: the build reads every key once per
  // level, and reading them from one place is much faster than from the lines' own storage.
  std::string keys;
  std::vector<uint32_t> start;
  start.reserve(lines.size());
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    start.push_back(static_cast<uint32_t>(keys.size()));
    keys.append(line, 0, line.find('=') + 1);  // every stored line holds an "="
  }
  auto at = [&](size_t line, size_t depth) {
    return static_cast<unsigned char>(keys[start[line] + depth]);
  };

  // The lines beginning with a key's first d characters form one run of the sorted list, and
  // within it the lines with the same next character do too; so a node is a run of lines, and
  // its children are found by one scan of the run.
  constexpr uint32_t kNoSlot = std::numeric_limits<uint32_t>::max();
  struct Pending {
    uint32_t Lo, Hi, Depth;
    uint32_t Slot;  // where the parent's record keeps this node's offset
  };
  struct Run {
    uint32_t Lo, Hi;
    unsigned char Label;
  };
  std::vector<Pending> stack{{0, static_cast<uint32_t>(lines.size()), 0, kNoSlot}};
  std::vector<Run> runs;
  while (!stack.empty()) {
    const Pending p = stack.back();
    stack.pop_back();
    runs.clear();
    uint32_t line = kNoLine;
    for (uint32_t i = p.Lo; i < p.Hi;) {
      const unsigned char c = at(i, p.Depth);
      if (c == '=') {
        // Lines with the same key sort together, the first of them first.
        if (p.Depth > 0 && line == kNoLine) line = i;
        ++i;
        continue;
      }
      uint32_t j = i + 1;
      while (j < p.Hi && at(j, p.Depth) == c) ++j;
      runs.push_back({i, j, c});
      i = j;
    }
    const uint32_t offset = static_cast<uint32_t>(data_.size());
    if (p.Slot != kNoSlot) Store(data_.data() + p.Slot, offset);
    const uint32_t n = static_cast<uint32_t>(runs.size());
    const uint32_t labels = offset + 9;  // the count, the first line and the link
    data_.resize(labels + n + (n > 0 ? 4 * (n - 1) : 0));
    unsigned char* record = data_.data() + offset;
    record[0] = static_cast<unsigned char>(n);
    Store(record + 1, line);
    for (uint32_t k = 0; k < n; ++k) data_[labels + k] = runs[k].Label;
    // Depth first, first child first: a node's subtree follows its record, its first child
    // right after it, and the others are found by the offsets stored for them.
    for (uint32_t k = n; k-- > 0;)
      stack.push_back(
          {runs[k].Lo, runs[k].Hi, p.Depth + 1, k == 0 ? kNoSlot : labels + n + 4 * (k - 1)});
  }
  const TRecord root = Read(kRoot);
  for (unsigned k = 0; k < root.Count; ++k) rootChild_[root.Labels[k]] = ChildAt(kRoot, root, k);
  // Child reads a node's letters eight at a time, past the end for the last node.
  data_.resize(data_.size() + 8);
  data_.shrink_to_fit();
}

TKeyTable::TKeyTable(const std::vector<std::string>& lines, size_t first, size_t last)
    : filter_(1, 0) {
  if (first >= last) return;
  // At most two thirds full, so that a miss ends at an empty slot within a probe or two, and
  // small enough to stay in the cache: most lookups miss.
  size_t size = 16;
  while (2 * size < 3 * (last - first)) size *= 2;
  slots_.resize(size);
  mask_ = size - 1;
  filter_.assign(std::bit_ceil((last - first) / 4 + 1), 0);
  filterMask_ = filter_.size() - 1;
  std::string_view previous;
  for (size_t i = first; i < last; ++i) {
    const std::string_view key = std::string_view(lines[i]).substr(0, lines[i].find('='));
    // Lines with the same key sort together, the first of them first.
    if (i > first && key == previous) continue;
    previous = key;
    const uint64_t state = State(key);
    filter_[FilterWord(state)] |= FilterBits(state);
    const uint64_t hash = Finish(state);
    size_t slot = hash & mask_;
    while (slots_[slot].Line != kNoLine) slot = (slot + 1) & mask_;
    slots_[slot] = {Tag(hash, key.size()), static_cast<uint32_t>(i)};
  }
}

TMiddleMatcher::TMiddleMatcher(const std::vector<std::string>& lines) : trie_(lines) {
  for (const std::string& line : lines) {
    const std::string_view key = std::string_view(line).substr(0, line.find('='));
    if (key.empty()) continue;
    const auto last = static_cast<unsigned char>(key.back());
    if (key.size() == 1) {
      lastLetters_[last / 64] |= uint64_t(1) << (last % 64);
    } else {
      const unsigned pair = static_cast<unsigned char>(key[key.size() - 2]) << 8 | last;
      lastPairs_[pair / 64] |= uint64_t(1) << (pair % 64);
    }
  }
  // Failure links breadth first: a node's link points to a shallower node, whose own link and
  // first line are then final.
  std::vector<uint32_t> queue{TKeyTrie::kRoot};
  for (size_t q = 0; q < queue.size(); ++q) {
    const uint32_t u = queue[q];
    const TKeyTrie::TRecord r = trie_.Read(u);
    for (unsigned k = 0; k < r.Count; ++k) {
      const unsigned char c = r.Labels[k];
      const uint32_t v = TKeyTrie::ChildAt(u, r, k);
      uint32_t f = TKeyTrie::kRoot;
      if (u != TKeyTrie::kRoot) {
        f = Link(u);
        uint32_t next = trie_.Child(f, c);
        while (f != TKeyTrie::kRoot && next == TKeyTrie::kNoChild) {
          f = Link(f);
          next = trie_.Child(f, c);
        }
        f = next;  // the root when no shorter ending goes on with c
      }
      // Every record of a trie with links holds a first line and a link.
      unsigned char* fields = trie_.data_.data() + (trie_.Read(v).Fields - trie_.data_.data());
      TKeyTrie::Store(fields + 4, f);
      TKeyTrie::Store(fields, std::min(trie_.FirstLine(v), trie_.FirstLine(f)));
      queue.push_back(v);
    }
  }
}

uint32_t TMiddleMatcher::FirstKeyIn(std::string_view word) const {
  if (!MayHoldKey(word)) return kNone;
  uint32_t best = kNone;
  uint32_t node = TKeyTrie::kRoot;
  TKeyTrie::TRecord record{};  // of node, when it is not the root
  for (const char ch : word) {
    const unsigned char c = static_cast<unsigned char>(ch);
    // Down the failure chain until a node goes on with c; the root always can, maybe to itself.
    uint32_t next = TKeyTrie::kNoChild;
    while (node != TKeyTrie::kRoot) {
      next = TKeyTrie::ChildOf(node, record, c);
      if (next != TKeyTrie::kNoChild) break;
      node = TKeyTrie::Load(record.Fields + 4);
      if (node != TKeyTrie::kRoot) record = trie_.Read(node);
    }
    if (next == TKeyTrie::kNoChild) next = trie_.rootChild_[c];
    node = next;
    if (node == TKeyTrie::kRoot) continue;  // nothing ends at the root
    record = trie_.Read(node);
    best = std::min(best, record.Line);
    if (best == 0) break;
  }
  return best;
}

}  // namespace detail
