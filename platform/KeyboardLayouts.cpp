#include "KeyboardLayouts.h"

#include <array>

namespace {

struct TKey {
  char16_t Us;
  char16_t UsShifted;
  char16_t Persian;
  char16_t PersianShifted;
};

// The main key block of the standard Persian layout.
constexpr TKey kPersianKeys[] = {
#include "PersianLayout.inc"
};

// Every key of the block types printable ASCII on a U.S. keyboard.
constexpr auto kPersianByUsCharacter = [] {
  std::array<char16_t, 0x80> map{};
  for (const TKey& key : kPersianKeys) {
    map[key.Us] = key.Persian;
    map[key.UsShifted] = key.PersianShifted;
  }
  return map;
}();

constexpr bool EachUsCharacterOnOneKey() {
  std::array<int, 0x80> uses{};
  for (const TKey& key : kPersianKeys)
    if (++uses[key.Us] > 1 || ++uses[key.UsShifted] > 1) return false;
  return true;
}
static_assert(EachUsCharacterOnOneKey());

}  // namespace

char16_t PersianKey(char16_t usCharacter, bool capsLock) {
  const bool letter = (usCharacter | 0x20) >= u'a' && (usCharacter | 0x20) <= u'z';
  if (capsLock && letter) usCharacter ^= 0x20;
  if (usCharacter >= kPersianByUsCharacter.size()) return usCharacter;
  const char16_t persian = kPersianByUsCharacter[usCharacter];
  return persian ? persian : usCharacter;
}

bool IsPersianCharacter(char16_t c) {
  return (c >= 0x0600 && c <= 0x06FF) || (c >= 0xFB50 && c <= 0xFDFF) ||
         (c >= 0xFE70 && c <= 0xFEFF) || c == 0x200C;
}

uint16_t TypedLanguage(char16_t c, uint16_t layout) {
  return layout == LangPersian || IsPersianCharacter(c) ? LangPersian : LangEnglishUS;
}
