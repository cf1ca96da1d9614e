#pragma once
// Consonant skeletons of Persian words: how a listed word is found from a typed one whose vowels
// and same-sounding letters the typist chose differently.
#include <cstdint>
#include <string>
#include <string_view>

// Appends the skeleton of a lookup key to skeleton: each letter as the first letter of its sound
// (ط as ت, ص and ث as س, ذ, ض and ظ as ز, ح as ه, غ as ق), and without what a typist may
// leave out or spell as a vowel: ا, آ, و, ی, ع, the hamza and its seats, and a final ه.
void AppendSkeleton(std::u16string_view key, std::u16string& skeleton);

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
// difference that costs does not price makes them unrelated (infinity).
float SkeletonDistance(std::u16string_view typed, std::u16string_view listed,
                       const TSkeletonCosts& costs);
