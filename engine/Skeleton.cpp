#include "Skeleton.h"

#include <algorithm>
#include <array>
#include <limits>

namespace {

constexpr char16_t kAlef = 0x0627;
constexpr char16_t kAlefMadda = 0x0622;
constexpr char16_t kHeh = kSkeletonHeh;

// The letter that stands for a letter's sound.
constexpr char16_t SoundOf(char16_t c) {
  switch (c) {
    case 0x0637:  // TAH
      return 0x062A;
    case 0x0635:  // SAD
    case 0x062B:  // THEH
      return 0x0633;
    case 0x0630:  // THAL
    case 0x0636:  // DAD
    case 0x0638:  // ZAH
      return 0x0632;
    case 0x062D:  // HAH
      return kHeh;
    case 0x063A:  // GHAIN
      return 0x0642;
    default:
      return c;
  }
}

// Letters that stand for a vowel, or for nothing a typist writes, as often as for a consonant.
constexpr bool IsVowelLetter(char16_t c) {
  switch (c) {
    case kAlef:
    case kAlefMadda:
    case 0x0648:  // WAW
    case 0x06CC:  // FARSI YEH
    case 0x0639:  // AIN
    case 0x0621:  // HAMZA
    case 0x0623:  // ALEF WITH HAMZA ABOVE
    case 0x0624:  // WAW WITH HAMZA ABOVE
    case 0x0625:  // ALEF WITH HAMZA BELOW
    case 0x0626:  // YEH WITH HAMZA ABOVE
      return true;
    default:
      return false;
  }
}

// The letters that few words hold: Arabic loans' own sounds.
bool IsRare(char16_t c) {
  return c == 0x062B || c == 0x0630 || c == 0x0638;  // THEH, THAL, ZAH
}

bool IsAinOrHamza(char16_t c) {
  return c == 0x0639 || (c >= 0x0621 && c <= 0x0626 && c != kAlefMadda);
}

bool Droppable(std::u16string_view key, size_t i) {
  return IsVowelLetter(key[i]) || IsFinalHeh(key, i);
}

float AddedCost(std::u16string_view listed, size_t j, const TSkeletonCosts& costs) {
  if (!Droppable(listed, j)) return std::numeric_limits<float>::infinity();
  return IsAinOrHamza(listed[j]) ? costs.AddedAin : costs.Added;
}

}  // namespace

constexpr std::array<char16_t, 256> kSkeletonLetters = [] {
  std::array<char16_t, 256> table{};
  for (size_t i = 0; i < table.size(); ++i) {
    const auto c = char16_t(kSkeletonBlock + i);
    table[i] = IsVowelLetter(c) ? 0 : SoundOf(c);
  }
  return table;
}();

void AppendSkeleton(std::u16string_view key, std::u16string& skeleton) {
  // Written in place and cut to size.
  const size_t at = skeleton.size();
  skeleton.resize(at + key.size());
  char16_t* letters = skeleton.data() + at;
  size_t count = 0;
  ForEachSkeletonLetter(key, [&](char16_t letter) { letters[count++] = letter; });
  skeleton.resize(at + count);
}

float SkeletonDistance(std::u16string_view typed, std::u16string_view listed,
                       const TSkeletonCosts& costs, float penalty, float bound) {
  constexpr float kUnrelated = std::numeric_limits<float>::infinity();
  constexpr size_t kLongest = 31;
  if (typed.size() > kLongest || listed.size() > kLongest) return kUnrelated;
  // What each letter of the listed word is, found once rather than in every row.
  std::array<char16_t, kLongest> listedSound;
  std::array<float, kLongest> added;
  for (size_t j = 0; j < listed.size(); ++j) {
    listedSound[j] = SoundOf(listed[j]);
    added[j] = AddedCost(listed, j, costs);
  }
  const auto substitution = [&](char16_t a, char16_t aSound, size_t j) {
    const char16_t b = listed[j];
    if (a == b) return 0.0f;
    if ((a == kAlef && b == kAlefMadda) || (a == kAlefMadda && b == kAlef)) return 0.1f;
    if (aSound == listedSound[j]) return IsRare(a) || IsRare(b) ? costs.RareSound : costs.SameSound;
    if (IsVowelLetter(a) && IsVowelLetter(b)) return costs.Added + costs.Dropped;
    return kUnrelated;
  };
  std::array<float, kLongest + 1> row, next;
  row[0] = 0;
  for (size_t j = 1; j <= listed.size(); ++j) row[j] = row[j - 1] + added[j - 1];
  for (size_t i = 1; i <= typed.size(); ++i) {
    const char16_t a = typed[i - 1], aSound = SoundOf(a);
    const float drop = Droppable(typed, i - 1) ? costs.Dropped : kUnrelated;
    // A word's ending is its grammar: a letter added after the typed word's last is no slip.
    const bool last = i == typed.size();
    next[0] = row[0] + drop;
    float least = next[0];
    for (size_t j = 1; j <= listed.size(); ++j) {
      const float add = last ? kUnrelated : added[j - 1];
      next[j] =
          std::min({row[j - 1] + substitution(a, aSound, j - 1), row[j] + drop, next[j - 1] + add});
      least = std::min(least, next[j]);
    }
    // No cost is negative, so that no later row holds less than this one's least: once that
    // reaches the bound, so does the distance.
    if (least + penalty >= bound) return kUnrelated;
    std::copy_n(next.begin(), listed.size() + 1, row.begin());
  }
  const float distance = row[listed.size()];
  return distance + penalty >= bound ? kUnrelated : distance;
}
