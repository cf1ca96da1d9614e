#include "WordCache.h"

#include <cstring>

namespace {

constexpr size_t kSlots = 1 << 16;  // 4 MB

}  // namespace

TWordCache::TWordCache() : slots_(kSlots) {}

TWordCache::TProbe TWordCache::Probe(std::string_view word) const {
  unsigned char bytes[sizeof(TProbe::Key)] = {};
  std::memcpy(bytes, word.data(), word.size());
  bytes[sizeof bytes - 1] = static_cast<unsigned char>(word.size());
  TProbe probe;
  std::memcpy(probe.Key, bytes, sizeof bytes);
  uint64_t hash = probe.Key[0] * 0x9E3779B97F4A7C15u;
  hash ^= (probe.Key[1] + (hash >> 29)) * 0xC2B2AE3D27D4EB4Fu;
  hash ^= (probe.Key[2] + (hash >> 31)) * 0x165667B19E3779F9u;
  probe.Slot = (hash ^ hash >> 32) & (kSlots - 1);
  __builtin_prefetch(&slots_[probe.Slot]);
  return probe;
}

bool TWordCache::Find(const TProbe& probe, std::string_view& output) const {
  const TSlot& slot = slots_[probe.Slot];
  if (slot.Key[0] != probe.Key[0] || slot.Key[1] != probe.Key[1] || slot.Key[2] != probe.Key[2])
    return false;
  output = std::string_view(slot.Output, slot.OutputLength);
  return true;
}

void TWordCache::Remember(const TProbe& probe, std::string_view output) {
  if (output.size() > sizeof(TSlot::Output)) return;
  TSlot& slot = slots_[probe.Slot];
  std::memcpy(slot.Key, probe.Key, sizeof slot.Key);
  slot.OutputLength = static_cast<uint8_t>(output.size());
  std::memcpy(slot.Output, output.data(), output.size());
}

void TWordCache::Clear() {
  for (TSlot& slot : slots_) slot = TSlot();
}
