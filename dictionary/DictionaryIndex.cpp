#include "DictionaryIndex.h"

#include <algorithm>

namespace detail {

TKeyTrie::TKeyTrie(const std::vector<std::string>& lines, size_t first, size_t last) {
  // The keys, each with its "=", copied once into one buffer: the build reads every key once per
  // level, and reading them from one place is much faster than from the lines' own storage.
  std::string keys;
  std::vector<uint32_t> start;
  start.reserve(last - first);
  for (size_t i = first; i < last; ++i) {
    const std::string& line = lines[i];
    start.push_back(static_cast<uint32_t>(keys.size()));
    keys.append(line, 0, line.find('=') + 1);  // every stored line holds an "="
  }
  auto at = [&](size_t line, size_t depth) {
    return static_cast<unsigned char>(keys[start[line - first] + depth]);
  };

  // The lines beginning with a key's first d characters form one run of the sorted list, and
  // within it the lines with the same next character do too; so a node is a run of lines, and
  // its children are found by one scan of the run. Nodes are taken depth first, which keeps a
  // node's children near it, and all children of a node are numbered together.
  struct Pending {
    uint32_t Lo, Hi, Depth, Node;
  };
  std::vector<Pending> stack, children;
  label_.push_back(0);
  childBegin_.push_back(0);
  childCount_.push_back(0);
  firstLine_.push_back(kNoLine);
  stack.push_back({static_cast<uint32_t>(first), static_cast<uint32_t>(last), 0, kRoot});
  while (!stack.empty()) {
    const Pending p = stack.back();
    stack.pop_back();
    children.clear();
    for (uint32_t i = p.Lo; i < p.Hi;) {
      const unsigned char c = at(i, p.Depth);
      if (c == '=') {
        // Lines with the same key sort together, the first of them first.
        if (p.Depth > 0 && firstLine_[p.Node] == kNoLine) firstLine_[p.Node] = i;
        ++i;
        continue;
      }
      uint32_t j = i + 1;
      while (j < p.Hi && at(j, p.Depth) == c) ++j;
      const uint32_t node = static_cast<uint32_t>(label_.size());
      label_.push_back(c);
      childBegin_.push_back(0);
      childCount_.push_back(0);
      firstLine_.push_back(kNoLine);
      children.push_back({i, j, p.Depth + 1, node});
      i = j;
    }
    if (!children.empty()) {
      childBegin_[p.Node] = children.front().Node;
      childCount_[p.Node] = static_cast<unsigned char>(children.size());
    }
    for (auto it = children.rbegin(); it != children.rend(); ++it) stack.push_back(*it);
  }
  for (uint32_t i = 0; i < childCount_[kRoot]; ++i)
    rootChild_[label_[childBegin_[kRoot] + i]] = childBegin_[kRoot] + i;
  label_.shrink_to_fit();
  childBegin_.shrink_to_fit();
  childCount_.shrink_to_fit();
  firstLine_.shrink_to_fit();
}

TMiddleMatcher::TMiddleMatcher(const std::vector<std::string>& lines)
    : trie_(lines, 0, lines.size()),
      fail_(trie_.NodeCount(), TKeyTrie::kRoot),
      first_(trie_.NodeCount(), kNone) {
  // Failure links breadth first: a node's link points to a shallower node, whose own link and
  // first line are then already known.
  std::vector<uint32_t> queue{TKeyTrie::kRoot};
  for (size_t q = 0; q < queue.size(); ++q) {
    const uint32_t u = queue[q];
    const uint32_t begin = trie_.FirstChild(u), end = begin + trie_.ChildCount(u);
    for (uint32_t v = begin; v < end; ++v) {
      const unsigned char c = trie_.Label(v);
      uint32_t f = TKeyTrie::kRoot;
      if (u != TKeyTrie::kRoot) {
        f = fail_[u];
        uint32_t next = trie_.Child(f, c);
        while (f != TKeyTrie::kRoot && next == TKeyTrie::kNoChild) {
          f = fail_[f];
          next = trie_.Child(f, c);
        }
        f = next;  // the root when no shorter ending goes on with c
      }
      fail_[v] = f;
      first_[v] = std::min(trie_.FirstLine(v), first_[f]);
      queue.push_back(v);
    }
  }
}

uint32_t TMiddleMatcher::FirstKeyIn(std::string_view word) const {
  uint32_t best = kNone;
  uint32_t node = TKeyTrie::kRoot;
  for (const char ch : word) {
    const unsigned char c = static_cast<unsigned char>(ch);
    uint32_t next = trie_.Child(node, c);
    while (node != TKeyTrie::kRoot && next == TKeyTrie::kNoChild) {
      node = fail_[node];
      next = trie_.Child(node, c);
    }
    node = next;
    best = std::min(best, first_[node]);
    if (best == 0) break;
  }
  return best;
}

}  // namespace detail
