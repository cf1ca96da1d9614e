#pragma once
// Tries over the keys of a section's sorted "key=value" lines, so that a lookup costs time in
// proportion to the word and not to the size of the section.
#include <array>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace detail {

// A trie over the keys (the text before the first "=") of the sorted lines [first, last). Each
// node knows the first line, in list order, whose key ends at it. The nodes live in parallel
// arrays; the children of a node are consecutive and sorted by letter. "=" never labels an edge,
// so a node has at most 255 children. The empty key is never recorded: no lookup can ask for it.
class TKeyTrie {
 public:
  static constexpr uint32_t kNoLine = std::numeric_limits<uint32_t>::max();
  static constexpr uint32_t kRoot = 0;
  // The root is no node's child, so its number also means "no such child".
  static constexpr uint32_t kNoChild = 0;

  TKeyTrie(const std::vector<std::string>& lines, size_t first, size_t last);

  uint32_t Child(uint32_t node, unsigned char c) const {
    if (node == kRoot) return rootChild_[c];
    const unsigned char* labels = label_.data() + childBegin_[node];
    const unsigned n = childCount_[node];
    // Most nodes have a handful of children; a short scan beats a binary search there.
    for (unsigned i = 0; i < n; ++i) {
      if (labels[i] == c) return childBegin_[node] + i;
      if (labels[i] > c) break;
    }
    return kNoChild;
  }
  // The first line whose key is the path to node, or kNoLine.
  uint32_t FirstLine(uint32_t node) const { return firstLine_[node]; }
  size_t NodeCount() const { return label_.size(); }
  // The children of node are the nodes [FirstChild(node), FirstChild(node) + ChildCount(node)).
  uint32_t FirstChild(uint32_t node) const { return childBegin_[node]; }
  unsigned ChildCount(uint32_t node) const { return childCount_[node]; }
  unsigned char Label(uint32_t node) const { return label_[node]; }

  // Walks word from its first character; calls found(length, line) for every key that begins
  // word, shortest first.
  template <typename F>
  void ForEachPrefix(std::string_view word, F&& found) const {
    uint32_t node = kRoot;
    for (size_t i = 0; i < word.size(); ++i) {
      node = Child(node, static_cast<unsigned char>(word[i]));
      if (node == kNoChild) return;
      if (firstLine_[node] != kNoLine) found(i + 1, firstLine_[node]);
    }
  }
  // The same from the last character backwards, for tries over reversed keys.
  template <typename F>
  void ForEachSuffix(std::string_view word, F&& found) const {
    uint32_t node = kRoot;
    for (size_t i = 0; i < word.size(); ++i) {
      node = Child(node, static_cast<unsigned char>(word[word.size() - 1 - i]));
      if (node == kNoChild) return;
      if (firstLine_[node] != kNoLine) found(i + 1, firstLine_[node]);
    }
  }
  // The first line whose key is exactly key (reversed when backwards), or kNoLine.
  uint32_t FindKey(std::string_view key, bool backwards) const {
    uint32_t node = kRoot;
    for (size_t i = 0; i < key.size(); ++i) {
      node = Child(node, static_cast<unsigned char>(backwards ? key[key.size() - 1 - i] : key[i]));
      if (node == kNoChild) return kNoLine;
    }
    return node == kRoot ? kNoLine : firstLine_[node];
  }

 private:
  std::vector<unsigned char> label_;  // the letter on the edge into the node
  std::vector<uint32_t> childBegin_;  // number of the node's first child
  std::vector<unsigned char> childCount_;
  std::vector<uint32_t> firstLine_;
  std::array<uint32_t, 256> rootChild_{};  // the root is visited by every lookup: a direct table
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
  TKeyTrie trie_;
  std::vector<uint32_t> fail_;
  // The smallest line among the keys ending at the node or at any node of its failure chain.
  std::vector<uint32_t> first_;
};

}  // namespace detail
