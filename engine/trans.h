#pragma once
// The rule-based transliterator: romanized Persian words, lines and texts to Persian script.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// One Persian letter: its UTF-16 code unit and its byte in code page 1256.
struct TPersianLetter {
  char16_t Code;
  unsigned char Ansi;
};
// Letters numbered 1 to 42; entry 0 stands for "no letter".
extern const TPersianLetter PersianLetters[43];

// One letter rule: a key of one to four Latin characters and a letter number (0: writes nothing).
struct TLetterRule {
  uint8_t Length;
  char Key[4];
  uint8_t Letter;
};
// Rows numbered 1 to 61 (entry 0 unused), grouped by first character; row 61 is " ".
extern const TLetterRule LetterRules[62];

// For each letter a..z, the first row whose key begins with that letter or a later one.
extern int RuleIndex[26];

// Engine flags owned by this unit (the dictionary module owns the others).
extern uint8_t TreatAeMode;   // an apostrophe after a, e or o counts as a backtick
extern uint8_t FarsiEnabled;  // off: ConvertLine assembles its runs in reverse order

// Fills RuleIndex from LetterRules.
void BuildRuleIndex();
// The engine's start-up step: builds the rule index and sets this unit's flags to their initial
// values. Runs once before any conversion.
void InitializeEngine();

// One romanized word (8-bit) to Persian script.
std::u16string TransliterateWord(std::string_view word);
// A whole text of lines separated by CR LF.
std::u16string ConvertText(std::u16string_view text);
// Conversions of recent words, for a run of lines over which the engine's flags and the
// dictionary stay as they are, as in the filter: words recur, and while smart spelling and the
// modern orthography are off a word's conversion depends on the word alone. Bounded: each slot
// holds one word, and a new word takes the place of the one in its slot. Changed flags empty it.
class TWordCache {
 public:
  static constexpr size_t kLongestWord = 23;

  TWordCache();
  // The conversion of word remembered, or null.
  const std::u16string* Find(std::string_view word);
  void Remember(std::string_view word, std::u16string_view conversion);

 private:
  struct TSlot {
    uint8_t Length = 0;  // 0: empty
    char Word[kLongestWord];
    std::u16string Conversion;
  };
  static uint32_t Hash(std::string_view word);
  uint32_t CurrentFlags() const;

  // Each slot's word hash, apart and small, so that most misses never touch a slot.
  std::vector<uint32_t> hashes_;
  std::vector<TSlot> slots_;
  uint32_t flags_;
};

// One 8-bit line in which single CRs mark runs left as typed; with a cache, its words are looked
// up there first.
std::u16string ConvertLine(std::string_view line, TWordCache* cache = nullptr);
// The characters words are made of: A-Z, a-z, the backtick, and the digits when ChatMode is on;
// every other character separates words.
bool IsWordChar(unsigned char c);
// One 8-bit run without markers, cut into words and separators.
std::u16string ConvertSegment(std::string_view segment);
// Persian UTF-16 text to code page 1256 bytes through PersianLetters; other characters above
// U+00FF are dropped.
std::string PersianToAnsi(std::u16string_view text);
