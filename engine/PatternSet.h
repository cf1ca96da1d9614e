#pragma once
// Which of a fixed list of short patterns occur in a text, found in one pass over it by an
// automaton built at compile time: for a list of rules that would otherwise search a word once
// per rule, when most words hold none of them.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

template <size_t Count, size_t MaxStates = 64>
class TPatternSet {
  static_assert(Count <= 32 && MaxStates <= 256);

 public:
  constexpr explicit TPatternSet(const std::array<std::string_view, Count>& patterns)
      : patterns_(patterns) {
    // Characters that no pattern holds share class 0; the others get one each.
    size_t classes = 1;
    for (const std::string_view pattern : patterns)
      for (const char c : pattern)
        if (class_[Byte(c)] == 0) class_[Byte(c)] = static_cast<uint8_t>(classes++);
    if (classes > kClasses) throw "too many characters in the patterns";
    // The patterns' tree of beginnings, state 0 its root, with each pattern's bit where it ends.
    std::array<std::array<uint8_t, kClasses>, MaxStates> child{};
    size_t states = 1;
    for (size_t i = 0; i < Count; ++i) {
      size_t state = 0;
      for (const char c : patterns[i]) {
        uint8_t& next = child[state][class_[Byte(c)]];
        if (next == 0) {
          if (states == MaxStates) throw "too many states";
          next = static_cast<uint8_t>(states++);
        }
        state = next;
      }
      found_[state] |= uint32_t{1} << i;
    }
    // Breadth first, each state's moves are its children's, or else those of the longest proper
    // ending of its text that is a beginning too (its fallback, already complete); it holds what
    // that fallback holds.
    std::array<uint8_t, MaxStates> queue{}, fallback{};
    size_t head = 0, tail = 0;
    for (size_t c = 0; c < kClasses; ++c) {
      next_[0][c] = child[0][c];
      if (child[0][c]) queue[tail++] = child[0][c];
    }
    while (head < tail) {
      const uint8_t state = queue[head++];
      found_[state] |= found_[fallback[state]];
      for (size_t c = 0; c < kClasses; ++c) {
        if (const uint8_t next = child[state][c]) {
          fallback[next] = next_[fallback[state]][c];
          next_[state][c] = next;
          queue[tail++] = next;
        } else {
          next_[state][c] = next_[fallback[state]][c];
        }
      }
    }
  }

  // Bit i set when the list's pattern i occurs in text.
  uint32_t Find(std::string_view text) const {
    uint32_t found = 0;
    uint8_t state = 0;
    for (const char c : text) {
      state = next_[state][class_[Byte(c)]];
      found |= found_[state];
    }
    return found;
  }

  // Find over the image of text under map, written to into (text.size() characters, which may be
  // text's own): one pass for a text that is changed before it is searched.
  uint32_t MapAndFind(std::string_view text, const std::array<char, 256>& map, char* into) const {
    uint32_t found = 0;
    uint8_t state = 0;
    for (const char c : text) {
      const char image = map[Byte(c)];
      *into++ = image;
      state = next_[state][class_[Byte(image)]];
      found |= found_[state];
    }
    return found;
  }

  // The bit of one of the list's patterns.
  constexpr uint32_t Bit(std::string_view pattern) const {
    for (size_t i = 0; i < Count; ++i)
      if (patterns_[i] == pattern) return uint32_t{1} << i;
    throw "not a pattern of the list";
  }

 private:
  static constexpr size_t kClasses = 32;
  static constexpr uint8_t Byte(char c) { return static_cast<uint8_t>(c); }

  std::array<std::string_view, Count> patterns_;
  std::array<uint8_t, 256> class_{};
  std::array<std::array<uint8_t, kClasses>, MaxStates> next_{};
  std::array<uint32_t, MaxStates> found_{};
};
