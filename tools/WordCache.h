#pragma once
// The filter's memory of recent words: each word's output bytes, so that a word met again is
// copied rather than converted (words recur). Bounded: each slot holds one word, and a new word
// takes the place of the one in its slot; an output too long for a slot is not remembered.
#include <cstdint>
#include <string_view>
#include <vector>

class TWordCache {
 public:
  static constexpr size_t kLongestWord = 23;

  TWordCache();
  // The output remembered for a word of at most kLongestWord characters, or false.
  bool Find(std::string_view word, std::string_view& output) const;
  void Remember(std::string_view word, std::string_view output);
  void Clear();

 private:
  // A word's bytes zero-padded to 23, then its length: one comparison of three words per lookup.
  struct TKey {
    uint64_t Part[3];
  };
  // One cache line a slot.
  struct alignas(64) TSlot {
    TKey Key{};  // all zero: empty
    uint8_t OutputLength = 0;
    char Output[64 - sizeof(TKey) - 1];
  };
  static TKey KeyOf(std::string_view word);
  static size_t SlotAt(const TKey& key);

  std::vector<TSlot> slots_;
};
