#pragma once
// Similar words: the spellings of a romanized word that swap plain letters for the rarer letters
// of the same sound, as the dictionary menu offers them.
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// When a row of the substitution table applies at a position of the word.
enum class TVariantCondition : uint8_t {
  Always,
  FollowedByNotA,  // a letter follows and it is not "a"
  AtLastPosition,  // the letter is the word's last
  NotAfterGSOrK,   // first position, or the letter before is not "g", "s" or "k"
};

struct TVariantRule {
  std::string_view Letters;
  std::array<std::string_view, 3> Alternatives;  // in order; unused places are empty
  uint8_t Replaced;                              // letters of the word replaced
  TVariantCondition Condition;
};

// The rows are tried in this order at every position; the rows of the letters found there give
// their alternatives, unless their condition fails.
inline constexpr std::array<TVariantRule, 10> VariantRules{{
    // clang-format off
    {"a",   {"aa"},                   1, TVariantCondition::FollowedByNotA},
    {"a",   {"a``"},                  1, TVariantCondition::AtLastPosition},
    {"a",   {"a`"},                   1, TVariantCondition::Always},
    {"o",   {"oo", "o`"},             1, TVariantCondition::Always},
    {"z",   {"z`", "z``", "z```"},    1, TVariantCondition::Always},
    {"s",   {"s`", "s``"},            1, TVariantCondition::Always},
    {"t",   {"t`"},                   1, TVariantCondition::Always},
    {"gh",  {"gh`"},                  2, TVariantCondition::Always},
    {"h",   {"h`"},                   1, TVariantCondition::NotAfterGSOrK},
    {"kha", {"khava", "khavaa"},      3, TVariantCondition::Always},
    // clang-format on
}};

// The similar-words submenu: two fixed items, then one item per variant from position 2; the
// item at position 75 tells that the rest was left out, and every 25th position starts a column.
inline constexpr size_t kFirstVariantItem = 2;
inline constexpr size_t kOmittedNoticeItem = 75;
inline constexpr size_t kItemsPerColumn = 25;
inline constexpr std::string_view kOmittedNotice = "Too many variations,omitted from here!!!";

// Calls emit with each variant of word (lower-case letters and "'") depth first, at every
// position the unchanged letter before its alternatives, so that word itself comes first, and
// with what smart spelling charges for the alternatives it took; stops as soon as emit returns
// false.
void GenerateVariants(std::string_view word,
                      const std::function<bool(const std::string&, float cost)>& emit);

// word by the letter rules alone: DictionaryMode is off for the call only, and has its former
// value afterwards, also when the call throws.
std::u16string TransliterateWithoutDictionary(std::string_view word);

struct TSimilarWord {
  std::string Word;
  std::u16string Persian;  // by the letter rules alone
};
struct TSimilarWords {
  // At most kOmittedNoticeItem - kFirstVariantItem, word itself first.
  std::vector<TSimilarWord> Words;
  bool Omitted = false;  // more variants exist than the submenu takes
};
// The variants that the similar-words submenu of word shows: the first ones in the order
// generated, or with smart spelling on the word itself and then the likeliest as smart spelling
// weighs a reading, by the letters changed and the word lists' rank.
TSimilarWords SimilarWords(std::string_view word);

// The menu caption of a variant: the word, blanks up to 30 characters, one blank, its Persian in
// code page 1256. The variant is everything before the first blank.
std::string VariantCaption(const TSimilarWord& variant);
// The text of a variant's picture: the same layout up to 27 characters, the Persian as it is.
std::u16string VariantPictureText(const TSimilarWord& variant);
// The variant that a caption names.
std::string_view CaptionVariant(std::string_view caption);
