#include "WordCache.h"

#include <cstring>

namespace {

constexpr size_t kSlots = 1 << 16;

}  // namespace

TWordCache::TWordCache() : slots_(kSlots) {}

TWordCache::TKey TWordCache::KeyOf(std::string_view word) {
  unsigned char bytes[sizeof(TKey)] = {};
  std::memcpy(bytes, word.data(), word.size());
  bytes[sizeof(TKey) - 1] = static_cast<unsigned char>(word.size());
  TKey key;
  std::memcpy(key.Part, bytes, sizeof bytes);
  return key;
}

size_t TWordCache::SlotAt(const TKey& key) {
  uint64_t hash = key.Part[0] * 0x9E3779B97F4A7C15u;
  hash ^= (key.Part[1] + (hash >> 29)) * 0xC2B2AE3D27D4EB4Fu;
  hash ^= (key.Part[2] + (hash >> 31)) * 0x165667B19E3779F9u;
  return (hash ^ hash >> 32) & (kSlots - 1);
}

bool TWordCache::Find(std::string_view word, std::string_view& output) const {
  const TKey key = KeyOf(word);
  const TSlot& slot = slots_[SlotAt(key)];
  if (std::memcmp(&slot.Key, &key, sizeof key) != 0) return false;
  output = std::string_view(slot.Output, slot.OutputLength);
  return true;
}

void TWordCache::Remember(std::string_view word, std::string_view output) {
  if (word.empty() || word.size() > kLongestWord || output.size() > sizeof(TSlot::Output)) return;
  const TKey key = KeyOf(word);
  TSlot& slot = slots_[SlotAt(key)];
  slot.Key = key;
  slot.OutputLength = static_cast<uint8_t>(output.size());
  std::memcpy(slot.Output, output.data(), output.size());
}

void TWordCache::Clear() {
  for (TSlot& slot : slots_) slot = TSlot();
}
