#include "WordCache.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <functional>

#include "HugePages.h"

namespace {

constexpr size_t kSlots = 1 << 17;  // 8 MB

// Up to eight bytes of a word as one number, read without touching a byte past the word: read
// through memory they would wait on a store of their own just before.
uint64_t BytesOf(const char* p, size_t n) {
  static_assert(std::endian::native == std::endian::little);
  if (n >= 8) {
    uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
  }
  if (n >= 4) {  // two overlapping halves; the shared bytes are the same on both sides
    uint32_t low, high;
    std::memcpy(&low, p, 4);
    std::memcpy(&high, p + n - 4, 4);
    return low | uint64_t{high} << (8 * (n - 4));
  }
  if (n == 0) return 0;
  const auto byte = [p](size_t i) { return uint64_t{static_cast<unsigned char>(p[i])}; };
  return byte(0) | byte(n / 2) << (8 * (n / 2)) | byte(n - 1) << (8 * (n - 1));
}

}  // namespace

TWordCache::TWordCache() : slots_(static_cast<TSlot*>(huge_pages::Map(kSlots * sizeof(TSlot)))) {}

TWordCache::~TWordCache() {
  huge_pages::Unmap(slots_, kSlots * sizeof(TSlot));
}

TWordCache::TProbe TWordCache::Probe(std::string_view word, bool context) const {
  const size_t n = word.size();
  TProbe probe;
  probe.Key[0] = BytesOf(word.data(), n);
  probe.Key[1] = n > 8 ? BytesOf(word.data() + 8, n - 8) : 0;
  static_assert(kLongestWord < 128);
  probe.Key[2] = (n > 16 ? BytesOf(word.data() + 16, n - 16) : 0) |
                 (uint64_t{n} | uint64_t{context} << 7) << 56;
  uint64_t hash = probe.Key[0] * 0x9E3779B97F4A7C15u;
  hash ^= (probe.Key[1] + (hash >> 29)) * 0xC2B2AE3D27D4EB4Fu;
  hash ^= (probe.Key[2] + (hash >> 31)) * 0x165667B19E3779F9u;
  // The first of the two slots of its set, which lie side by side and are fetched together.
  probe.Slot = (hash ^ hash >> 32) & (kSlots - 2);
  __builtin_prefetch(&slots_[probe.Slot]);
  __builtin_prefetch(&slots_[probe.Slot + 1]);
  return probe;
}

bool TWordCache::Find(const TProbe& probe, std::string_view& output) const {
  for (const TSlot& slot : {std::cref(slots_[probe.Slot]), std::cref(slots_[probe.Slot + 1])}) {
    if (slot.Key[0] == probe.Key[0] && slot.Key[1] == probe.Key[1] && slot.Key[2] == probe.Key[2]) {
      output = std::string_view(slot.Output, slot.OutputLength);
      return true;
    }
  }
  return false;
}

void TWordCache::Remember(const TProbe& probe, std::string_view output) {
  if (output.size() > sizeof(TSlot::Output)) return;
  used_ = true;
  // The newer word takes the first slot of the set and the older one moves to the second, so
  // that two common words that share a set no longer take each other's place at every turn.
  slots_[probe.Slot + 1] = slots_[probe.Slot];
  TSlot& slot = slots_[probe.Slot];
  std::memcpy(slot.Key, probe.Key, sizeof slot.Key);
  slot.OutputLength = static_cast<uint8_t>(output.size());
  std::memcpy(slot.Output, output.data(), output.size());
}

void TWordCache::Clear() {
  if (used_) std::fill(slots_, slots_ + kSlots, TSlot());
  used_ = false;
}
