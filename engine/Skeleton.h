#pragma once
// Consonant skeletons of Persian words: how a listed word is found from a typed one whose vowels
// and same-sounding letters the typist chose differently.
#include <array>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

// Appends the skeleton of a lookup key to skeleton: each letter as the first letter of its sound
// (ط as ت, ص and ث as س, ذ, ض and ظ as ز, ح as ه, غ as ق), and without what a typist may
// leave out or spell as a vowel: ا, آ, و, ی, ع, the hamza and its seats, and a final ه.
void AppendSkeleton(std::u16string_view key, std::u16string& skeleton);

// The letters of the Arabic block as a skeleton writes them, 0 for one it leaves out; a letter
// outside the block is its own.
inline constexpr char16_t kSkeletonBlock = 0x0600;
extern const std::array<char16_t, 256> kSkeletonLetters;
// HEH, which a skeleton leaves out at a key's end, where it writes a vowel.
inline constexpr char16_t kSkeletonHeh = 0x0647;
inline bool IsFinalHeh(std::u16string_view key, size_t i) {
  return i + 1 == key.size() && key[i] == kSkeletonHeh;
}

// Hands take the letters of a key's skeleton one by one, for a caller that hashes them as they
// come: every listed word's skeleton is made at every start.
template <typename F>
void ForEachSkeletonLetter(std::u16string_view key, F&& take) {
  const size_t kept = !key.empty() && IsFinalHeh(key, key.size() - 1) ? key.size() - 1 : key.size();
  for (const char16_t c : key.substr(0, kept)) {
    if (char16_t(c - kSkeletonBlock) >= kSkeletonLetters.size())
      take(c);
    else if (const char16_t letter = kSkeletonLetters[c - kSkeletonBlock])
      take(letter);
  }
}

// What a listed word costs for each way it differs from the rules' reading of the typed word.
struct TSkeletonCosts {
  float SameSound = 1.0f;  // a letter for another of its sound
  float RareSound = 4.0f;  // ث, ذ or ظ, the rarest letters of their sounds
  float Added = 3.0f;      // a vowel letter (or a final ه) where the typist wrote no vowel
  float AddedAin = 0.5f;   // an ع or a hamza, which typists seldom write
  float Dropped = 8.0f;    // a vowel the typist wrote, which Persian leaves unwritten
};

// How far apart the reading of a typed word with its vowels written and a listed word are, both
// lookup keys, in the units of the substitution costs; آ for ا costs almost nothing, and any
// difference that costs does not price makes them unrelated (infinity). A distance that, with
// penalty added, reaches bound is infinity too, and given up as soon as that is sure.
float SkeletonDistance(std::u16string_view typed, std::u16string_view listed,
                       const TSkeletonCosts& costs, float penalty = 0,
                       float bound = std::numeric_limits<float>::infinity());
