#include "trans.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <cstring>
#include <limits>
#include <vector>

#include "AnsiChars.h"
#include "CodePage.h"
#include "Dictionary.h"
#include "DictionaryStage.h"
#include "PatternSet.h"
#include "Replace.h"
#include "SmartSpelling.h"
#include "StandIns.h"

const TPersianLetter PersianLetters[43] = {
    {0, 0},          //  0 no letter
    {0x0622, 0xC2},  //  1 ALEF WITH MADDA ABOVE
    {0x0627, 0xC7},  //  2 ALEF
    {0x0623, 0xC3},  //  3 ALEF WITH HAMZA ABOVE
    {0x0625, 0xC5},  //  4 ALEF WITH HAMZA BELOW
    {0x0628, 0xC8},  //  5 BEH
    {0x067E, 0x81},  //  6 PEH
    {0x062A, 0xCA},  //  7 TEH
    {0x062B, 0xCB},  //  8 THEH
    {0x062C, 0xCC},  //  9 JEEM
    {0x0686, 0x8D},  // 10 TCHEH
    {0x062D, 0xCD},  // 11 HAH
    {0x062E, 0xCE},  // 12 KHAH
    {0x062F, 0xCF},  // 13 DAL
    {0x0630, 0xD0},  // 14 THAL
    {0x0631, 0xD1},  // 15 REH
    {0x0632, 0xD2},  // 16 ZAIN
    {0x0698, 0x8E},  // 17 JEH
    {0x0633, 0xD3},  // 18 SEEN
    {0x0634, 0xD4},  // 19 SHEEN
    {0x0635, 0xD5},  // 20 SAD
    {0x0636, 0xD6},  // 21 DAD
    {0x0637, 0xD8},  // 22 TAH
    {0x0638, 0xD9},  // 23 ZAH
    {0x0639, 0xDA},  // 24 AIN
    {0x063A, 0xDB},  // 25 GHAIN
    {0x0641, 0xDD},  // 26 FEH
    {0x0642, 0xDE},  // 27 QAF
    {0x06A9, 0x98},  // 28 KEHEH
    {0x06AF, 0x90},  // 29 GAF
    {0x0644, 0xE1},  // 30 LAM
    {0x0645, 0xE3},  // 31 MEEM
    {0x0646, 0xE4},  // 32 NOON
    {0x0647, 0xE5},  // 33 HEH
    {0x0648, 0xE6},  // 34 WAW
    {0x064A, 0xED},  // 35 YEH (Arabic)
    {0x06CC, 0xED},  // 36 FARSI YEH: no byte of its own, shares YEH's
    {0x0621, 0xC1},  // 37 HAMZA
    {0x064B, 0xF0},  // 38 FATHATAN
    {0x0651, 0xF8},  // 39 SHADDA
    {0x0623, 0xC3},  // 40 ALEF WITH HAMZA ABOVE
    {0x0626, 0xC6},  // 41 YEH WITH HAMZA ABOVE
    {0x0624, 0xC4},  // 42 WAW WITH HAMZA ABOVE
};

const TLetterRule LetterRules[62] = {
    {0, {}, 0},                     //  0 unused
    {2, {'a', '`'}, 24},            //  1
    {2, {'a', 'a'}, 2},             //  2
    {3, {'a', '`', '`'}, 38},       //  3
    {4, {'a', '`', '`', '`'}, 40},  //  4
    {2, {'a', 'e'}, 24},            //  5
    {1, {'a'}, 0},                  //  6
    {1, {'b'}, 5},                  //  7
    {1, {'c'}, 28},                 //  8
    {2, {'c', 'h'}, 10},            //  9
    {2, {'c', 'k'}, 28},            // 10
    {1, {'d'}, 13},                 // 11
    {1, {'e'}, 0},                  // 12
    {2, {'e', '`'}, 24},            // 13
    {3, {'e', '`', '`'}, 37},       // 14
    {2, {'e', 'e'}, 35},            // 15
    {4, {'e', '`', '`', '`'}, 41},  // 16
    {2, {'e', 'a'}, 24},            // 17
    {1, {'f'}, 26},                 // 18
    {1, {'g'}, 29},                 // 19
    {3, {'g', 'h', '`'}, 25},       // 20
    {2, {'g', 'h'}, 27},            // 21
    {2, {'g', '`'}, 25},            // 22
    {2, {'h', '`'}, 11},            // 23
    {1, {'h'}, 33},                 // 24
    {1, {'i'}, 35},                 // 25
    {2, {'i', '`'}, 41},            // 26
    {1, {'j'}, 9},                  // 27
    {2, {'j', '`'}, 17},            // 28
    {1, {'k'}, 28},                 // 29
    {2, {'k', 'h'}, 12},            // 30
    {2, {'k', '`'}, 12},            // 31
    {1, {'l'}, 30},                 // 32
    {1, {'m'}, 31},                 // 33
    {1, {'n'}, 32},                 // 34
    {1, {'o'}, 0},                  // 35
    {2, {'o', '`'}, 24},            // 36
    {3, {'o', '`', '`'}, 42},       // 37
    {2, {'o', 'o'}, 34},            // 38
    {2, {'o', 'u'}, 34},            // 39
    {1, {'p'}, 6},                  // 40
    {2, {'p', 'h'}, 26},            // 41
    {1, {'q'}, 0},                  // 42
    {1, {'r'}, 15},                 // 43
    {1, {'s'}, 18},                 // 44
    {2, {'s', 'h'}, 19},            // 45
    {2, {'s', '`'}, 20},            // 46
    {3, {'s', '`', '`'}, 8},        // 47
    {1, {'t'}, 7},                  // 48
    {2, {'t', '`'}, 22},            // 49
    {1, {'u'}, 34},                 // 50
    {1, {'v'}, 34},                 // 51
    {2, {'v', '`'}, 42},            // 52
    {1, {'w'}, 34},                 // 53
    {2, {'y', '`'}, 41},            // 54
    {1, {'y'}, 35},                 // 55
    {2, {'z', '`'}, 14},            // 56
    {1, {'z'}, 16},                 // 57
    {2, {'z', 'h'}, 17},            // 58
    {3, {'z', '`', '`'}, 21},       // 59
    {4, {'z', '`', '`', '`'}, 23},  // 60
    {1, {' '}, 0},                  // 61 closes the table
};

int RuleIndex[26];

namespace {

constexpr uint8_t kTreatAeModeDefault = 1;
constexpr uint8_t kFarsiEnabledDefault = 0;

}  // namespace

uint8_t TreatAeMode = kTreatAeModeDefault;
uint8_t FarsiEnabled = kFarsiEnabledDefault;

namespace {

constexpr int kLastRow = 61;
constexpr char16_t kShadda = 0x0651;

// The rows a candidate beginning with c is compared with: from RuleIndex[c] through the next
// letter's entry; z and every non-letter share the rows from z's entry to the closing row.
void RowRange(unsigned char c, int& first, int& last) {
  if (c >= 'a' && c < 'z') {
    first = RuleIndex[c - 'a'];
    last = RuleIndex[c - 'a' + 1];
  } else {
    first = RuleIndex['z' - 'a'];
    last = kLastRow;
  }
}

// The row a candidate matches within its first character's range, or 0.
int SearchRange(const char* cand, int n) {
  int first, last;
  RowRange(static_cast<unsigned char>(cand[0]), first, last);
  for (int row = first; row <= last; ++row) {
    const TLetterRule& rule = LetterRules[row];
    if (rule.Length == n && std::memcmp(rule.Key, cand, n) == 0) return row;
  }
  return 0;
}

// The answers of SearchRange for every one- and two-character candidate, filled once from the
// ranges themselves so that the scan gets the same rows without walking them per character.
uint8_t gRowOf1[256];
uint8_t gRowOf2[256 * 256];
// The first row of the whole table with each one- or two-character key, or 0.
uint8_t gFirstRowOf1[256];
uint8_t gFirstRowOf2[256 * 256];
// Whether every key of three or four characters holds a backtick (then a candidate without one
// cannot match at that length).
bool gLongKeysHaveBacktick = true;
// For three and four characters, the one row of that length in each first character's range (0:
// none), when no range holds two; otherwise the ranges are searched.
uint8_t gLongRowOf[2][256];
bool gOneLongRowPerRange = true;

// Whether a doubled x can take the shadda: vowels, y and digits never do.
bool TakesShadda(char x) {
  return !IsDigit(x) && x != 'a' && x != 'y' && x != 'i' && x != 'e';
}

// The second character of a doubled digraph (XhXh, X`X`).
bool IsDigraphMark(char c) {
  return c == 'h' || c == '`';
}

// Keys that write letters of their own at the start of a word.
struct TWordStart {
  std::string_view Key;
  std::u16string_view Letters;
};
constexpr TWordStart kWordStarts[] = {
    {"a", u"\u0627"},        {"e", u"\u0627"},       {"o", u"\u0627"},        {"aa", u"\u0622"},
    {"oo", u"\u0627\u0648"}, {"i", u"\u0627\u064A"}, {"ea", u"\u0627\u0639"},
};

// Whether a pair with a key of its own is read apart before the character that follows it:
// "ea`" reads "e", "a`"; "aee" reads "a", "ee".
bool MayBeReadApart(char a, char b) {
  return (a == 'e' && b == 'a') || (a == 'a' && b == 'e');
}
bool SplitsPairBefore(char c) {
  return c == '`' || c == 'e' || c == 'a';
}
bool ReadsApart(const char* cand, size_t left) {
  return MayBeReadApart(cand[0], cand[1]) && left > 2 && SplitsPairBefore(cand[2]);
}

// How a candidate is read from its first two characters (or its last one, at the word's end),
// found once for every pair so that the scan reads the common candidates with one look-up: a
// character or a pair with a key of its own, unless its third character lets a longer key, a
// doubled digraph or a split take it.
struct TFastRead {
  char16_t Letter;  // 0: writes nothing
  uint8_t Length;   // characters read; 0: the candidate goes through every rule
  uint8_t Flags;
};
enum : uint8_t {
  kStartsWord = 1,  // a key that begins the candidate writes letters of its own at a word's start
  kTryTwo = 2,      // a two-character key or a doubled pair may take the candidate
  kTryLong = 4,     // a three- or four-character key or a doubled digraph may take it
  kMayDouble = 8,   // a doubled digraph may take it: its third character repeats its first
  kGuarded = 16,  // its third character may let a longer key, a doubled digraph or a split take it
  kDoubled = 32,  // a doubled consonant: the shadda takes both characters where the word allows it
  kGuardLost = 64,  // no room for its guard: the candidate goes through every rule
};
TFastRead gPairRead[256 * 256];
// For the last character at the word's end.
TFastRead gLastRead[256];
// For a guarded pair, the third characters that let a longer key or a split take it, as an
// index into the few sets there are (0: none).
uint8_t gPairGuard[256 * 256];
constexpr size_t kMostGuards = 16;
std::bitset<256> gGuards[kMostGuards];
size_t gGuardCount = 1;

void FillPairRead(char a, char b);
void FillLastRead(char c);

void BuildMatchTables() {
  std::fill(std::begin(gRowOf2), std::end(gRowOf2), 0);
  for (int a = 0; a < 256; ++a) {
    const char cand = static_cast<char>(a);
    gRowOf1[a] = static_cast<uint8_t>(SearchRange(&cand, 1));
    // The pairs that begin with a: the keys of two characters in its range, the last row first
    // so that the first row with a key is the one left standing, as SearchRange finds it.
    int first, last;
    RowRange(static_cast<unsigned char>(a), first, last);
    for (int row = last; row >= first; --row) {
      const TLetterRule& rule = LetterRules[row];
      if (rule.Length == 2 && rule.Key[0] == cand)
        gRowOf2[a * 256 + static_cast<unsigned char>(rule.Key[1])] = static_cast<uint8_t>(row);
    }
  }
  // Last row first, so that the first row with a key is the one left standing.
  std::fill(std::begin(gFirstRowOf1), std::end(gFirstRowOf1), 0);
  std::fill(std::begin(gFirstRowOf2), std::end(gFirstRowOf2), 0);
  for (int row = kLastRow; row >= 1; --row) {
    const TLetterRule& rule = LetterRules[row];
    const auto* key = reinterpret_cast<const unsigned char*>(rule.Key);
    if (rule.Length == 1) gFirstRowOf1[key[0]] = static_cast<uint8_t>(row);
    if (rule.Length == 2) gFirstRowOf2[key[0] * 256 + key[1]] = static_cast<uint8_t>(row);
  }
  gOneLongRowPerRange = true;
  for (int n = 3; n <= 4; ++n) {
    for (int a = 0; a < 256; ++a) {
      int first, last, found = 0;
      RowRange(static_cast<unsigned char>(a), first, last);
      for (int row = first; row <= last; ++row) {
        if (LetterRules[row].Length != n || LetterRules[row].Key[0] != static_cast<char>(a))
          continue;
        if (found) gOneLongRowPerRange = false;
        found = row;
      }
      gLongRowOf[n - 3][a] = static_cast<uint8_t>(found);
    }
  }
  gLongKeysHaveBacktick = true;
  for (int row = 1; row <= kLastRow; ++row) {
    const TLetterRule& rule = LetterRules[row];
    if (rule.Length >= 3 && std::memchr(rule.Key, '`', rule.Length) == nullptr)
      gLongKeysHaveBacktick = false;
  }
  std::fill(std::begin(gPairRead), std::end(gPairRead), TFastRead{});
  gGuardCount = 1;
  // The pairs that begin a long key or a word-start key are marked first, from the keys.
  for (int row = 1; row <= kLastRow; ++row) {
    const TLetterRule& rule = LetterRules[row];
    const auto* key = reinterpret_cast<const unsigned char*>(rule.Key);
    if (rule.Length >= 3) gPairRead[key[0] * 256 + key[1]].Flags |= kTryLong;
  }
  for (const TWordStart& start : kWordStarts) {
    const auto* key = reinterpret_cast<const unsigned char*>(start.Key.data());
    if (start.Key.size() == 2) gPairRead[key[0] * 256 + key[1]].Flags |= kStartsWord;
    if (start.Key.size() == 1)
      for (int b = 0; b < 256; ++b) gPairRead[key[0] * 256 + b].Flags |= kStartsWord;
  }
  for (int a = 0; a < 256; ++a) {
    for (int b = 0; b < 256; ++b) FillPairRead(static_cast<char>(a), static_cast<char>(b));
    FillLastRead(static_cast<char>(a));
  }
}

bool HasBacktick(const char* cand, int n) {
  for (int i = 0; i < n; ++i)
    if (cand[i] == '`') return true;
  return false;
}

int MatchRow(const char* cand, int n) {
  const auto* u = reinterpret_cast<const unsigned char*>(cand);
  if (n == 1) return gRowOf1[u[0]];
  if (n == 2) return gRowOf2[u[0] * 256 + u[1]];
  if (gLongKeysHaveBacktick && !HasBacktick(cand, n)) return 0;
  if (!gOneLongRowPerRange) return SearchRange(cand, n);
  const int row = gLongRowOf[n - 3][u[0]];
  return row && std::memcmp(LetterRules[row].Key + 1, cand + 1, n - 1) == 0 ? row : 0;
}

void PutLetter(char16_t*& out, int letter) {
  if (letter) *out++ = PersianLetters[letter].Code;
}

void Put(char16_t*& out, std::u16string_view units) {
  for (const char16_t unit : units) *out++ = unit;
}

bool Is(const char* cand, int n, std::string_view key) {
  // Compared over the key's own length, a constant where this is inlined.
  return static_cast<size_t>(n) == key.size() && std::memcmp(cand, key.data(), key.size()) == 0;
}

// Letters written for a candidate at the start of the word, or false when it has none there.
template <int n>
bool PutWordStart(const char* cand, char16_t*& out) {
  for (const TWordStart& start : kWordStarts) {
    if (Is(cand, n, start.Key)) {
      Put(out, start.Letters);
      return true;
    }
  }
  return false;
}

// The letter written for a one-character candidate at the end of the word, or false.
bool PutWordEnd(char c, char16_t*& out) {
  switch (c) {
    case 'e':
      Put(out, u"\u0647");
      return true;
    case 'a':
      Put(out, u"\u0627");
      return true;
    case 'o':
      Put(out, u"\u0648");
      return true;
    case 'i':
    case 'y':
      Put(out, u"\u06CC");
      return true;
    default:
      return false;
  }
}

char16_t LetterOfRow(int row) {
  return PersianLetters[LetterRules[row].Letter].Code;
}

// The index of a set of guarding characters, or 0 when there is no room for another set.
uint8_t GuardIndex(const std::bitset<256>& guard) {
  for (size_t i = 0; i < gGuardCount; ++i)
    if (gGuards[i] == guard) return static_cast<uint8_t>(i);
  if (gGuardCount == kMostGuards) return 0;
  gGuards[gGuardCount] = guard;
  return static_cast<uint8_t>(gGuardCount++);
}

// The third characters that let a long key beginning with the pair, or a split, take it.
std::bitset<256> ThirdsTaking(char a, char b, bool longKey, bool splits) {
  std::bitset<256> thirds;
  for (int r = 1; longKey && r <= kLastRow; ++r)
    if (LetterRules[r].Length >= 3 && LetterRules[r].Key[0] == a && LetterRules[r].Key[1] == b)
      thirds.set(static_cast<unsigned char>(LetterRules[r].Key[2]));
  for (int c = 0; splits && c < 256; ++c)
    if (SplitsPairBefore(static_cast<char>(c))) thirds.set(c);
  return thirds;
}

void FillPairRead(char a, char b) {
  const auto ua = static_cast<unsigned char>(a), ub = static_cast<unsigned char>(b);
  const int row = gRowOf2[ua * 256 + ub];
  const bool doubled = TakesShadda(a) && a == b;
  TFastRead read{0, 0, gPairRead[ua * 256 + ub].Flags};  // with the marks of the keys
  if (row) {
    read.Letter = LetterOfRow(row);
    read.Length = 2;
  } else if (gRowOf1[ua]) {  // for a doubled consonant, its read when the shadda is refused
    read.Letter = LetterOfRow(gRowOf1[ua]);
    read.Length = 1;
  }
  if (row || doubled) read.Flags |= kTryTwo;
  if (!row && doubled) read.Flags |= kDoubled;
  gPairGuard[ua * 256 + ub] = 0;
  const bool longKey = read.Flags & kTryLong, splits = row && MayBeReadApart(a, b);
  if (longKey || splits) {
    read.Flags |= kGuarded;
    gPairGuard[ua * 256 + ub] = GuardIndex(ThirdsTaking(a, b, longKey, splits));
    if (!gPairGuard[ua * 256 + ub]) {
      read.Length = 0;
      read.Flags |= kGuardLost;
    }
  }
  if (TakesShadda(a) && IsDigraphMark(b)) read.Flags |= kTryLong | kMayDouble | kGuarded;
  gPairRead[ua * 256 + ub] = read;
}

void FillLastRead(char c) {
  const auto uc = static_cast<unsigned char>(c);
  TFastRead read{0, 0, 0};
  for (const TWordStart& start : kWordStarts)
    if (start.Key == std::string_view(&c, 1)) read.Flags |= kStartsWord;
  if (const int row = gRowOf1[uc]) {
    char16_t end[2];
    char16_t* written = end;
    read.Letter = PutWordEnd(c, written) ? end[0] : LetterOfRow(row);
    read.Length = 1;
  }
  gLastRead[uc] = read;
}

// Where the unread rest of a word first occurs in the whole word, as far as the shadda needs to
// know: at its start, at its second-last character, or elsewhere. The shadda asks only about rests
// that begin with a doubled pair, so a rest can begin the word only when the word begins with a
// doubled pair too. For such a word the borders (lengths of the tails that begin the word) are
// found once, from its Z array, so that a long run of doubled letters costs linear time; they are
// found before the word's output is allocated, and kept as one bit per length.
class TFirstOccurrence {
 public:
  explicit TFirstOccurrence(std::string_view word) : word_(word) {
    // A short word is compared directly, for less than finding its borders costs; Z's entries
    // are four bytes, and a longer word is compared directly too.
    if (word.size() > kComparedDirectly && word.size() < std::numeric_limits<uint32_t>::max() &&
        BeginsDoubled(word))
      FindBorders();
  }

  // The 1-based position of the first occurrence of word[restAt..] in word, reported only when
  // it is 1 or the word's length - 1; 0 for any other position.
  size_t StartOrSecondLast(size_t restAt) const {
    const size_t n = word_.size();
    if (restAt == 0 || IsBorder(n - restAt)) return 1;
    if (n - restAt == 2 && !OccursBefore(restAt)) return n - 1;
    return 0;
  }

 private:
  static bool BeginsDoubled(std::string_view w) {
    return !w.empty() && TakesShadda(w[0]) &&
           ((w.size() >= 2 && w[0] == w[1]) ||
            (w.size() >= 4 && IsDigraphMark(w[1]) && w[2] == w[0] && w[3] == w[1]));
  }
  // Without the borders found, the word is short or the comparison fails within its first
  // characters.
  bool IsBorder(size_t length) const {
    if (!border_.empty()) return border_[length];
    const size_t at = word_.size() - length;
    return word_[at] == word_[0] && word_.compare(at, length, word_, 0, length) == 0;
  }
  // Whether the two characters at restAt occur earlier in the word.
  bool OccursBefore(size_t restAt) const {
    for (size_t i = 0; i < restAt; ++i)
      if (word_[i] == word_[restAt] && word_[i + 1] == word_[restAt + 1]) return true;
    return false;
  }
  void FindBorders() {
    // Freed at once: Z is the largest copy of a long word.
    const uint32_t n = static_cast<uint32_t>(word_.size());
    std::vector<uint32_t> z(n, 0);
    for (uint32_t k = 1, left = 0, right = 0; k < n; ++k) {
      uint32_t length = k < right ? std::min(right - k, z[k - left]) : 0;
      while (k + length < n && word_[length] == word_[k + length]) ++length;
      z[k] = length;
      if (k + length > right) left = k, right = k + length;
    }
    border_.assign(n + 1, false);
    for (uint32_t k = 1; k < n; ++k) border_[n - k] = z[k] >= n - k;
  }

  static constexpr size_t kComparedDirectly = 64;

  std::string_view word_;
  std::vector<bool> border_;
};

// The letter of a doubled consonant that takes the shadda, and the shadda; nothing at all when no
// row holds the consonant.
void PutShadda(const char* cand, int n, char16_t*& out) {
  const auto* u = reinterpret_cast<const unsigned char*>(cand);
  const int row = n == 2 ? gFirstRowOf1[u[0]] : gFirstRowOf2[u[0] * 256 + u[1]];
  if (row) {
    PutLetter(out, LetterRules[row].Letter);
    *out++ = kShadda;
  }
}

// The automatic shadda for a doubled consonant (XX, XhXh or X`X`).
bool TryShadda(const char* cand, int n, size_t restAt, const TFirstOccurrence& occurrence,
               char16_t*& out) {
  const char x = cand[0];
  if (!TakesShadda(x)) return false;
  if (n == 2) {
    if (cand[1] != x) return false;
  } else if (!(IsDigraphMark(cand[1]) && cand[2] == x && cand[3] == cand[1])) {
    return false;
  }
  // The first occurrence of the unread rest, which may lie before the rest itself: no shadda at
  // the very start of the word nor for a pair that forms its last two characters.
  if (occurrence.StartOrSecondLast(restAt) != 0) return false;
  PutShadda(cand, n, out);
  return true;
}

// What normalisation looks for in a word, found in one pass: most words hold none of it. The chat
// digits ride along for the dictionary stage, which passes over a word without one at once.
constexpr std::array<std::string_view, 22> kSought = {
    "iy",
    "`",
    "e``",
    "aa`",
    "oo`",
    "o```",
    "ae``",
    "kh`",
    "sh`",
    "ch`",
    "zh`",
    "iii",
    "yyy",
    "yii",
    "x",
    "kkh",
    "ssh",
    "cch",
    "zzh",
    kChatDigitMarks.substr(0, 1),
    kChatDigitMarks.substr(1, 1),
    kChatDigitMarks.substr(2, 1),
};
constexpr TPatternSet<kSought.size()> kSoughtSet(kSought);
constexpr uint32_t kChatDigits = [] {
  uint32_t bits = 0;
  for (size_t i = 0; i < kChatDigitMarks.size(); ++i)
    bits |= kSoughtSet.Bit(kChatDigitMarks.substr(i, 1));
  return bits;
}();

// A replacement of normalisation, with its pattern's bit in what kSoughtSet finds.
struct TReplacement {
  constexpr TReplacement(std::string_view from, std::string_view to)
      : From(from), To(to), Bit(kSoughtSet.Bit(from)) {}
  std::string_view From, To;
  uint32_t Bit;
};

// The patterns of a list of replacements: a word that holds none is left as it is by the list.
template <size_t N>
constexpr uint32_t BitsOf(const TReplacement (&list)[N]) {
  uint32_t bits = 0;
  for (const TReplacement& r : list) bits |= r.Bit;
  return bits;
}

constexpr auto kSmallLetterOf = [] {
  std::array<char, 256> small{};
  for (int c = 0; c < 256; ++c) small[c] = static_cast<char>(LowerAsciiLetter(c));
  return small;
}();

// The replacements of normalisation on a word in small letters, found holding the patterns it
// holds; found again after each change, as a rule reads only a word that holds its pattern.
void Replace(std::string& word, uint32_t found) {
  const auto replaceAll = [&](const TReplacement& r) {
    if ((found & r.Bit) && ReplaceAll(word, r.From, r.To)) found = kSoughtSet.Find(word);
  };
  const auto replaceEach = [&](const auto& list) {
    if (found & BitsOf(list))
      for (const TReplacement& r : list) replaceAll(r);
  };
  const auto replace = [&](size_t at, size_t length, std::string_view by) {
    word.replace(at, length, by);
    found = kSoughtSet.Find(word);
  };
  static constexpr TReplacement kIy{"iy", "i"};
  replaceAll(kIy);
  static constexpr uint32_t kBacktick = kSoughtSet.Bit("`"), kHamza = kSoughtSet.Bit("e``");
  if (found & kBacktick) {
    const size_t hamza = found & kHamza ? word.find("e``") : std::string::npos;
    if (hamza != std::string::npos && hamza != word.size() - 3 &&
        word.compare(hamza, 4, "e```") != 0)
      replace(hamza, 3, "e```");
    if (word.starts_with("ea`")) replace(0, 3, "ea");
    static constexpr TReplacement kLongAlef{"aa`", "aaa`"};
    if (word.ends_with("a``"))
      replace(word.size() - 3, 3, "aaa``");
    else
      replaceAll(kLongAlef);
    static constexpr TReplacement kMarked[] = {
        {"oo`", "ooo`"}, {"o```", "va`"}, {"ae``", "aae``"}, {"kh`", "keh`"},
        {"sh`", "seh`"}, {"ch`", "ceh`"}, {"zh`", "zeh`"},
    };
    replaceEach(kMarked);
  }
  static constexpr TReplacement kTripled[] = {
      {"iii", "i`i"}, {"yyy", "y`y"}, {"yii", "y`i"}, {"x", "ks"}};
  replaceEach(kTripled);
  if (TashdidMode) {
    static constexpr TReplacement kDoubledDigraphs[] = {
        {"kkh", "kekh"}, {"ssh", "sesh"}, {"cch", "cech"}, {"zzh", "zezh"}};
    replaceEach(kDoubledDigraphs);
  }
}

// The normalised form of a word in small letters that holds the patterns found tells: the word
// itself, or a changed one kept in storage (which the word may view).
std::string_view Normalise(std::string_view word, uint32_t found, std::string& storage) {
  if (word == "va" || word == "na") {
    word = word == "va" ? "v" : "nh";
  } else if (found & ~kChatDigits) {
    storage.assign(word);
    Replace(storage, found);
    word = storage;
  }
  if (!PoliteMode) return word;
  storage.assign(word);
  PolitePass(storage);
  return storage;
}

// Whether the candidate at hand can be a doubled pair (XX or XhXh / X`X`) at all: most are not,
// and the full test of TryShadda is then skipped.
bool MayBeDoubled(const char* cand, int n) {
  return cand[0] == cand[n / 2] && (n == 2 || cand[1] == cand[3]);
}

// Where a word's scan stands: where its unread rest begins, the position the word's ends are
// told by, and where its next letter is written.
struct TScanAt {
  size_t RestAt;
  size_t Pos;  // lags behind the true position after an unmatched character
  char16_t* Out;
};

// One candidate of a word read through every rule, longest key first: the first length that
// takes it wins. No candidate writes more than two letters.
class TLetterStep {
 public:
  TLetterStep(std::string_view word, const TFirstOccurrence& occurrence, TScanAt& at)
      : word_(word), occurrence_(occurrence), at_(at) {}

  void Run(uint8_t flags) {
    const size_t left = word_.size() - at_.RestAt;
    if ((flags & kTryLong) && ((left >= 4 && Take<4>()) || (left >= 3 && Take<3>()))) return;
    if ((flags & kTryTwo) && Take<2>()) return;
    if (Take<1>()) return;
    *at_.Out++ = CodePage::ToUnicode(static_cast<unsigned char>(word_[at_.RestAt]));
    ++at_.RestAt;
    at_.Pos = 0;
  }

 private:
  template <int n>
  bool Take() {
    const char* cand = word_.data() + at_.RestAt;
    if (!TashdidMode && n >= 3 && !HasBacktick(cand, n)) return false;
    bool taken = false;
    if (const int row = MatchRow(cand, n)) {
      if (at_.Pos == 1 && PutWordStart<n>(cand, at_.Out)) {
        taken = true;
      } else if (n == 1 && at_.Pos == word_.size() && PutWordEnd(cand[0], at_.Out)) {
        taken = true;
      } else if (n == 2 && ReadsApart(cand, word_.size() - at_.RestAt)) {
        // Read as one character and the pair that begins with the next.
      } else {
        PutLetter(at_.Out, LetterRules[row].Letter);
        taken = true;
      }
    }
    if (!taken && TashdidMode && (n == 2 || n == 4) && MayBeDoubled(cand, n))
      taken = TryShadda(cand, n, at_.RestAt, occurrence_, at_.Out);
    if (taken) {
      at_.RestAt += n;
      at_.Pos += n;
    }
    return taken;
  }

  std::string_view word_;
  const TFirstOccurrence& occurrence_;
  TScanAt& at_;
};

// Whether the third character of a guarded candidate sends it through every rule.
bool Guards(const unsigned char* cand, uint8_t flags) {
  return ((flags & kMayDouble) && cand[2] == cand[0]) ||
         gGuards[gPairGuard[cand[0] * 256 + cand[1]]][cand[2]];
}

// How a candidate is read in a given place, found once by the full step for the characters
// words are made of: the letters it writes (a word's start may write two for one character) and
// the characters it takes, or 0 when it goes through every rule.
struct TLetters {
  char16_t Units[2];
  uint8_t Written;
};
void PutLetters(char16_t*& out, const TLetters& letters) {
  out[0] = letters.Units[0];
  out[1] = letters.Units[1];
  out += letters.Written;
}
struct TStepRead {
  TLetters Letters;
  uint8_t Length;
  uint8_t Flags;  // its pair's
};
constexpr std::string_view kWordLetters = "0123456789`abcdefghijklmnopqrstuvwxyz";
// Column 0: another byte, read by the full step; the last column: the word ends.
constexpr size_t kColumns = kWordLetters.size() + 2;
constexpr size_t kWordEnds = kColumns - 1;
uint8_t gWordLetterIndex[256];  // 1 + the place in kWordLetters, or 0
// A word's first candidate by its first two characters; its pair's guard still applies.
TStepRead gStartRead[kColumns * kColumns];
// A guarded pair's candidate by its third character, at the word's start and after it, where
// the fourth cannot change it. The pairs with a guard are numbered from 1 (0: none).
constexpr size_t kMostGuardedPairs = 64;
uint8_t gGuardedPair[256 * 256];
TStepRead gThirdRead[2][(kMostGuardedPairs + 1) * kColumns];
// The letters of each doubled consonant that takes the shadda.
TLetters gShaddaRead[256];

// The full step's read of word[restAt..], with pos telling the word's start as at restAt.
TStepRead StepReadOf(std::string_view word, size_t restAt, uint8_t flags) {
  TStepRead read{{{0, 0}, 0}, 0, flags};
  const TFirstOccurrence occurrence(word);
  char16_t units[4];
  TScanAt at{restAt, restAt + 1, units};
  TLetterStep(word, occurrence, at).Run(flags);
  // A character without a row is written as it is, by the code page of the moment, and resets
  // the position the word's ends are told by: always read by the full step.
  if (at.Pos == 0) return read;
  read.Letters.Written = static_cast<uint8_t>(at.Out - units);
  std::copy(units, at.Out, read.Letters.Units);
  read.Length = static_cast<uint8_t>(at.RestAt - restAt);
  return read;
}

// Whether a fourth character, or where the word stands, may change how a guarded pair and its
// third character are read: a key of four characters or a doubled digraph may take them, a
// doubled pair's shadda depends on the whole word, and a long key without a backtick on the
// shadda setting.
bool ThirdReadDepends(const char* cand, uint8_t flags) {
  if (cand[0] == cand[1] || ((flags & kMayDouble) && cand[2] == cand[0])) return true;
  if (MatchRow(cand, 3) && !HasBacktick(cand, 3)) return true;
  for (int row = 1; row <= kLastRow; ++row)
    if (LetterRules[row].Length == 4 && std::memcmp(LetterRules[row].Key, cand, 3) == 0)
      return true;
  return false;
}

void BuildThirdReads(char a, char b, size_t pairIndex) {
  const auto ua = static_cast<unsigned char>(a), ub = static_cast<unsigned char>(b);
  const uint8_t flags = gPairRead[ua * 256 + ub].Flags;
  for (const char c : kWordLetters) {
    // Any character may stand before the candidate: only the shadda reads it, and it is left out.
    const char word[] = {'b', a, b, c};
    if (ThirdReadDepends(word + 1, flags)) continue;
    const size_t column = pairIndex * kColumns + gWordLetterIndex[static_cast<unsigned char>(c)];
    gThirdRead[0][column] = StepReadOf(std::string_view(word + 1, 3), 0, flags);
    gThirdRead[1][column] = StepReadOf(std::string_view(word, 4), 1, flags);
  }
}

// A candidate reads the same whatever follows it unless its pair is guarded, and a guarded one
// the same whatever follows its third character, with the exceptions above: the first two or
// three characters stand for every word they begin or every place inside a word.
void BuildStepReads() {
  std::fill(std::begin(gWordLetterIndex), std::end(gWordLetterIndex), 0);
  std::fill(std::begin(gStartRead), std::end(gStartRead), TStepRead{});
  std::fill(std::begin(gGuardedPair), std::end(gGuardedPair), 0);
  for (auto& reads : gThirdRead) std::fill(std::begin(reads), std::end(reads), TStepRead{});
  for (size_t i = 0; i < kWordLetters.size(); ++i)
    gWordLetterIndex[static_cast<unsigned char>(kWordLetters[i])] = static_cast<uint8_t>(i + 1);
  size_t guardedPairs = 0;
  for (const char a : kWordLetters) {
    const auto ua = static_cast<unsigned char>(a);
    gStartRead[gWordLetterIndex[ua] * kColumns + kWordEnds] =
        StepReadOf(std::string_view(&a, 1), 0, 0);
    for (const char b : kWordLetters) {
      const char pair[] = {a, b};
      const auto ub = static_cast<unsigned char>(b);
      const uint8_t flags = gPairRead[ua * 256 + ub].Flags;
      TStepRead& start = gStartRead[gWordLetterIndex[ua] * kColumns + gWordLetterIndex[ub]];
      // Without room for its guard, a pair cannot tell which third characters change it.
      if (!(flags & kGuardLost)) start = StepReadOf(std::string_view(pair, 2), 0, flags);
      if ((gPairGuard[ua * 256 + ub] || (flags & kGuardLost)) && guardedPairs < kMostGuardedPairs) {
        gGuardedPair[ua * 256 + ub] = static_cast<uint8_t>(++guardedPairs);
        BuildThirdReads(a, b, guardedPairs);
      }
    }
  }
  for (int c = 0; c < 256; ++c) {
    const char pair[] = {static_cast<char>(c), static_cast<char>(c)};
    char16_t* written = gShaddaRead[c].Units;
    PutShadda(pair, 2, written);
    gShaddaRead[c].Written = static_cast<uint8_t>(written - gShaddaRead[c].Units);
  }
}

// A guarded pair's read by its third character (where where == 0: at the word's start).
const TStepRead& ThirdRead(const unsigned char* cand, size_t where) {
  return gThirdRead[where != 0]
                   [gGuardedPair[cand[0] * 256 + cand[1]] * kColumns + gWordLetterIndex[cand[2]]];
}

// The common candidates are read through the fast tables, the rest through every rule.
void ScanLetters(std::string_view word, std::u16string& out) {
  const TFirstOccurrence occurrence(word);
  // Room for a letter a character and two more, made after the borders are found (rather than
  // for the whole segment up front). A fast read writes at most a letter a character, the first
  // at most one more, so that the room only runs short before a full step, which may write two
  // letters for one.
  const size_t start = out.size(), size = word.size();
  out.resize(start + size + 2);
  char16_t* at = out.data() + start;
  char16_t* end = out.data() + out.size();
  size_t restAt = 0, pos = 1;
  const auto* u = reinterpret_cast<const unsigned char*>(word.data());
  if (size > 0) {
    const TStepRead* first = &gStartRead[gWordLetterIndex[u[0]] * kColumns +
                                         (size > 1 ? gWordLetterIndex[u[1]] : kWordEnds)];
    if ((first->Flags & kGuarded) && size > 2 && Guards(u, first->Flags)) first = &ThirdRead(u, 0);
    if (first->Length) {
      PutLetters(at, first->Letters);
      restAt = first->Length;
      pos += first->Length;
    }
  }
  const auto put = [&](const TFastRead& read) {
    *at = read.Letter;
    at += read.Letter != 0;
    restAt += read.Length;
    pos += read.Length;
  };
  while (restAt < size) {
    TFastRead read{0, 0, 0};
    if (restAt + 1 < size)
      read = gPairRead[size_t{u[restAt]} << 8 | u[restAt + 1]];
    else if (pos == size)
      read = gLastRead[u[restAt]];
    // Most candidates are read here at once: neither guarded nor doubled, and not at the start.
    if (read.Length && !(read.Flags & (kGuarded | kDoubled)) && pos != 1) {
      put(read);
      continue;
    }
    if (read.Length && !(pos == 1 && (read.Flags & kStartsWord)) &&
        !((read.Flags & kGuarded) && restAt + 2 < size && Guards(u + restAt, read.Flags))) {
      if ((read.Flags & kDoubled) && TashdidMode && occurrence.StartOrSecondLast(restAt) == 0) {
        PutLetters(at, gShaddaRead[u[restAt]]);
        restAt += 2;
        pos += 2;
        continue;
      }
      put(read);
      continue;
    }
    if (static_cast<size_t>(end - at) < size - restAt + 2) {
      const size_t written = at - out.data();
      out.resize(written + 2 * (size - restAt) + 2);
      at = out.data() + written;
      end = out.data() + out.size();
    }
    if (restAt + 2 < size && pos != 1) {
      const TStepRead& third = ThirdRead(u + restAt, restAt);
      if (third.Length) {
        PutLetters(at, third.Letters);
        restAt += third.Length;
        pos += third.Length;
        continue;
      }
    }
    TScanAt scanAt{restAt, pos, at};
    TLetterStep(word, occurrence, scanAt).Run(read.Flags);
    restAt = scanAt.RestAt;
    pos = scanAt.Pos;
    at = scanAt.Out;
  }
  out.resize(at - out.data());
}

void AppendTransliteration(std::string_view word, std::u16string& out) {
  // The word in small letters, and what normalisation looks for in it, found in one pass before the
  // lookups, which read the word as typed: most leave it as it is, and it then needs no other copy.
  // A long word's small letters are kept in storage, which also keeps a word a lookup writes.
  std::string storage;
  constexpr size_t kOnStack = 64;
  char onStack[kOnStack];
  char* small = onStack;
  if (word.size() > kOnStack) {
    storage.resize(word.size());
    small = storage.data();
  }
  uint32_t found = kSoughtSet.MapAndFind(word, kSmallLetterOf, small);
  TPrefixRun run;
  run.NoChatDigits = !(found & kChatDigits);
  // After a verbal prefix the rest is a word of its own; a loop rather than recursion, so that a
  // long run of prefixes costs neither stack nor a copy per prefix.
  std::string_view rest = word;
  while (DictionaryMode && DictionaryStage(rest, storage, run, out)) {
  }
  std::string_view smallRest;
  if (!run.Rewritten) {
    smallRest = std::string_view(small + (word.size() - rest.size()), rest.size());
    if (rest.size() != word.size()) found = kSoughtSet.Find(smallRest);
  } else {
    char* at = storage.data() + (rest.data() - storage.data());
    found = kSoughtSet.MapAndFind(rest, kSmallLetterOf, at);
    smallRest = std::string_view(at, rest.size());
  }
  ScanLetters(Normalise(smallRest, found, storage), out);
}

}  // namespace

void BuildRuleIndex() {
  int lastStored = -1;  // letter number of the last entry stored
  for (int row = 1; row <= kLastRow && IsLowerLetter(LetterRules[row].Key[0]); ++row) {
    const int letter = LetterRules[row].Key[0] - 'a';
    if (row == 1 || LetterRules[row - 1].Key[0] != LetterRules[row].Key[0]) {
      for (int l = lastStored + 1; l <= letter; ++l) RuleIndex[l] = row;
      lastStored = letter;
    }
  }
  BuildMatchTables();
  BuildStepReads();
}

void InitializeEngine() {
  BuildRuleIndex();
  TreatAeMode = kTreatAeModeDefault;
  FarsiEnabled = kFarsiEnabledDefault;
}

std::u16string TransliterateWord(std::string_view word) {
  std::u16string out;
  AppendTransliteration(word, out);
  return out;
}

void AppendTransliteratedWord(std::string_view word, std::u16string& out) {
  AppendTransliteration(word, out);
}

bool IsWordChar(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 0x60 && c <= 0x7A) || (ChatMode && IsDigit(c));
}

void AppendWordOfSegment(std::string_view segment, size_t wordAt, size_t wordEnd,
                         std::u16string& out) {
  const std::string_view word = segment.substr(wordAt, wordEnd - wordAt);
  if (IsEnglishWord(word))
    out.append(word.begin(), word.end());  // word characters are ASCII
  else if (WordsConvertAlone())
    AppendTransliteration(word, out);
  else
    AppendOptionalWord(segment, wordAt, wordEnd, out);
}

namespace {

void AppendSegment(std::string_view segment, std::u16string& out) {
  std::string treated;
  segment = TreatApostrophes(segment, treated);
  size_t at = 0;
  while (at < segment.size()) {
    for (; at < segment.size() && !IsWordChar(segment[at]); ++at)
      out += SeparatorChar(static_cast<unsigned char>(segment[at]));
    const size_t wordAt = at;
    while (at < segment.size() && IsWordChar(segment[at])) ++at;
    if (at == wordAt) break;
    AppendWordOfSegment(segment, wordAt, at, out);
  }
}

}  // namespace

bool WordsConvertAlone() {
  return !SmartSpelling && !ModernOrthography;
}

uint32_t EngineFlagBits() {
  const uint8_t flags[] = {DictionaryMode, ChatMode,          TashdidMode,       PrefixMode,
                           MiddleMode,     PoliteMode,        EnglishDetectMode, TreatAeMode,
                           SmartSpelling,  ModernOrthography, FarsiEnabled};
  uint32_t bits = 0;
  for (const uint8_t flag : flags) bits = bits << 1 | (flag ? 1 : 0);
  return bits;
}

std::string_view TreatApostrophes(std::string_view segment, std::string& storage) {
  if (!TreatAeMode || segment.find('\'') == std::string_view::npos) return segment;
  storage = segment;
  ReplaceAll(storage, "a'", "a`");
  ReplaceAll(storage, "e'", "e`");
  ReplaceAll(storage, "o'", "o`");
  return storage;
}

char16_t SeparatorChar(unsigned char c) {
  switch (c) {
    case '?':
      return u'\u061F';
    case ';':
      return u'\u061B';
    case ',':
      return u'\u060C';
    // Through the code page, so that a Persian letter typed into the input survives.
    default:
      return CodePage::ToUnicode(c);
  }
}

std::u16string ConvertSegment(std::string_view segment) {
  std::u16string out;
  AppendSegment(segment, out);
  return out;
}

std::u16string ConvertLine(std::string_view line) {
  std::u16string out;
  if (line.find('\r') == std::string_view::npos) {
    AppendSegment(line, out);
    return out;
  }
  std::vector<size_t> runEnds;  // in out, for the reversed order
  bool typed = false;           // runs alternate: converted, left as typed, converted, ...
  size_t at = 0;
  while (true) {
    const size_t cr = line.find('\r', at);
    const std::string_view run = line.substr(at, cr == std::string_view::npos ? cr : cr - at);
    if (typed)
      for (const char c : run) out += CodePage::ToUnicode(static_cast<unsigned char>(c));
    else
      AppendSegment(run, out);
    runEnds.push_back(out.size());
    if (cr == std::string_view::npos) break;
    at = cr + 1;
    typed = !typed;
  }
  if (FarsiEnabled) return out;
  // Assembled last run first, in one pass rather than an insertion at the front per run.
  std::u16string reversed;
  reversed.reserve(out.size());
  for (size_t i = runEnds.size(); i-- > 0;) {
    const size_t start = i == 0 ? 0 : runEnds[i - 1];
    reversed.append(out, start, runEnds[i] - start);
  }
  return reversed;
}

std::u16string ConvertText(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size() + 8);
  size_t at = 0;
  do {
    const size_t crlf = text.find(u"\r\n", at);
    const size_t end = crlf == std::u16string_view::npos ? text.size() : crlf;
    if (at > 0) out += u"\r\n";
    const std::u16string_view line = text.substr(at, end - at);
    TStandIns standIns(line);
    std::u16string converted = ConvertLine(standIns.ToAnsi(line));
    standIns.Restore(converted);
    out += converted;
    at = crlf == std::u16string_view::npos ? text.size() : crlf + 2;
  } while (at < text.size());
  return out;
}

std::string PersianToAnsi(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char16_t unit : text) {
    if (unit <= 0xFF) {
      out += CodePage::FromUnicode(unit);
      continue;
    }
    for (int i = 1; i <= 42; ++i) {
      if (PersianLetters[i].Code == unit) {
        out += static_cast<char>(PersianLetters[i].Ansi);
        break;
      }
    }
  }
  return out;
}
