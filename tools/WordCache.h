#pragma once
// The filter's memory of recent words: each word's output bytes, so that a word met again is
// copied rather than converted (words recur). Bounded: each slot holds one word, a word may lie in
// either slot of its set of two, and a new word takes the place of the older of the set; an output
// too long for a slot is not remembered.
#include <cstdint>
#include <string_view>

class TWordCache {
 public:
  static constexpr size_t kLongestWord = 23;
  // The most output bytes a word keeps; what Find gives lies in that many readable bytes, so
  // that it may be copied as a block of that constant size.
  static constexpr size_t kLongestOutput = 64 - 3 * sizeof(uint64_t) - 1;

  // Where a word of at most kLongestWord characters is (or would be) remembered. Made some words
  // ahead of its use, since the slot is then fetched from memory while other words convert.
  struct TProbe {
    uint64_t Key[3];  // the word's bytes, zero-padded to 23, then its length and the context
    size_t Slot;      // the first of its set
  };

  TWordCache();
  ~TWordCache();
  TWordCache(const TWordCache&) = delete;
  TWordCache& operator=(const TWordCache&) = delete;
  // context: one bit of the word's place that its output depends on (0 when none does).
  TProbe Probe(std::string_view word, bool context = false) const;
  // The output remembered for the probe's word, or false.
  bool Find(const TProbe& probe, std::string_view& output) const;
  void Remember(const TProbe& probe, std::string_view output);
  void Clear();

 private:
  // One cache line a slot.
  struct alignas(64) TSlot {
    uint64_t Key[3] = {};  // all zero: empty
    uint8_t OutputLength = 0;
    char Output[kLongestOutput];
  };

  // Mapped zeroed, so that a short input touches only the pages its words fall into.
  TSlot* slots_;
  bool used_ = false;  // anything remembered since the slots were last zeroed
};
