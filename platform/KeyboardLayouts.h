#pragma once
// The two input layouts of a pane and Zefra's own Persian layout, which stands in for a system
// Persian keyboard: Qt delivers the characters of the U.S. keyboard, and each is mapped to what
// the same key types in the standard Persian layout. Plain C++, no Qt.
#include <cstdint>

// Language identifiers of the layouts, also carried by the text's formats.
inline constexpr uint16_t LangEnglishUS = 1033;
inline constexpr uint16_t LangPersian = 1065;

/// The Persian character of the key that types usCharacter on a U.S. keyboard, the shift level
/// included; usCharacter unchanged when the layout has nothing for it (space, controls, and
/// characters that already arrive from a system layout). With capsLock on, a U.S. letter arrives
/// in the other case, while the Persian key keeps its level.
char16_t PersianKey(char16_t usCharacter, bool capsLock = false);

/// An Arabic-script character (U+0600–06FF, U+FB50–FDFF, U+FE70–FEFF) or ZWNJ.
bool IsPersianCharacter(char16_t c);

/// The language a character typed in the given layout carries: Persian when the character is or
/// the layout is, else U.S. English.
uint16_t TypedLanguage(char16_t c, uint16_t layout);
