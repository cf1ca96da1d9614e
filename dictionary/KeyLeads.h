#pragma once
// A filter over the first two characters of a section's keys, asked before any hashing.
#include <array>
#include <cstdint>
#include <string_view>

#include "AnsiChars.h"

namespace detail {

// The first two characters, as stored, of the keys that begin with a lower-case letter, the only
// keys a lookup can find: most words begin with no key's two, which one bit tells, where the key
// table costs a hash of the word and a call or two. A key of one letter lets through every text
// it begins, whatever follows, and a text of one letter counts as followed by 0: a key with a
// real 0 after its first letter only lets more texts through.
class TKeyLeads {
 public:
  void Clear() { bits_.fill(0); }
  void Add(std::string_view key) {
    if (key.empty() || !IsLowerLetter(key[0])) return;
    if (key.size() > 1) {
      Set(Bit(key[0], key[1]));
      return;
    }
    for (int second = 0; second < 256; ++second) Set(Bit(key[0], static_cast<char>(second)));
  }
  // Whether a key may begin text; and whether one stored reversed may end it.
  bool MayBegin(std::string_view text) const {
    return !text.empty() && MayLead(text[0], text.size() > 1 ? text[1] : 0);
  }
  bool MayEnd(std::string_view text) const {
    return !text.empty() && MayLead(text.back(), text.size() > 1 ? text[text.size() - 2] : 0);
  }

 private:
  bool MayLead(char first, char second) const {
    return IsLowerLetter(first) && Has(Bit(first, second));
  }
  static size_t Bit(char first, char second) {
    return static_cast<size_t>(first - 'a') << 8 | static_cast<unsigned char>(second);
  }
  bool Has(size_t bit) const { return (bits_[bit / 64] >> (bit % 64)) & 1; }
  void Set(size_t bit) { bits_[bit / 64] |= uint64_t(1) << (bit % 64); }

  std::array<uint64_t, 26 * 256 / 64> bits_{};
};

}  // namespace detail
