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
// The same appended to out, for a caller that reads many words into one string's room.
void AppendTransliteratedWord(std::string_view word, std::u16string& out);
// A whole text of lines separated by CR LF.
std::u16string ConvertText(std::u16string_view text);
// Whether each word's conversion depends on the word alone, given the flags and the dictionary:
// not while smart spelling or the modern orthography reads a word's neighbours. While it does,
// a word's conversion may be remembered and reused (as the filter does over its whole run).
bool WordsConvertAlone();
// The engine's flags as bits: a remembered conversion holds only while they stay the same.
uint32_t EngineFlagBits();
// Appends the conversion of the word at [wordAt, wordEnd) of a segment (a run of a line without
// its markers, apostrophes treated), as the segment's conversion writes it; with smart spelling
// on, a plural ending typed apart removes the spaces at the end of out.
void AppendWordOfSegment(std::string_view segment, size_t wordAt, size_t wordEnd,
                         std::u16string& out);
// The text a segment's words are cut from: with TreatAeMode on, an apostrophe after a, e or o
// reads as a backtick (and so joins the word). Either segment itself or storage.
std::string_view TreatApostrophes(std::string_view segment, std::string& storage);
// What a separator character is written as.
char16_t SeparatorChar(unsigned char c);

// One 8-bit line in which single CRs mark runs left as typed.
std::u16string ConvertLine(std::string_view line);
// The characters words are made of: A-Z, a-z, the backtick, and the digits when ChatMode is on;
// every other character separates words.
bool IsWordChar(unsigned char c);
// One 8-bit run without markers, cut into words and separators.
std::u16string ConvertSegment(std::string_view segment);
// Persian UTF-16 text to code page 1256 bytes through PersianLetters; other characters above
// U+00FF are dropped.
std::string PersianToAnsi(std::u16string_view text);
