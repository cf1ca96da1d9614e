#include "Variants.h"

#include <algorithm>

#include "EngineTestSupport.h"
#include "SmartSpelling.h"
#include "Utf8.h"
#include "WordListFiles.h"

namespace {

using letters::ALEF;
using letters::SEEN;
using letters::TEH;
using letters::WAW;

std::vector<std::string> Variants(std::string_view word) {
  std::vector<std::string> found;
  GenerateVariants(word, [&](const std::string& variant, float) {
    found.push_back(variant);
    return true;
  });
  return found;
}

std::vector<std::string> Words(const TSimilarWords& similar) {
  std::vector<std::string> words;
  for (const TSimilarWord& word : similar.Words) words.push_back(word.Word);
  return words;
}

class VariantsTest : public EngineTest {};

TEST_F(VariantsTest, VariantsComeDepthFirstWithTheUnchangedLetterFirst) {
  const struct {
    std::string_view Word;
    std::vector<std::string> Expected;
  } cases[] = {
      {"bd", {"bd"}},
      {"to", {"to", "too", "to`", "t`o", "t`oo", "t`o`"}},
      // A final "a" has no letter after it to lengthen.
      {"ba", {"ba", "ba``", "ba`"}},
      // An "a" before another "a" is not doubled.
      {"aab", {"aab", "aaab", "aa`b", "a`ab", "a`aab", "a`a`b"}},
      {"zh", {"zh", "zh`", "z`h", "z`h`", "z``h", "z``h`", "z```h", "z```h`"}},
      // "gh" is one letter: its "h" gets no alternative of its own.
      {"ghe", {"ghe", "gh`e"}},
      {"sh", {"sh", "s`h", "s``h"}},
      {"hh", {"hh", "hh`", "h`h", "h`h`"}},
  };
  for (const auto& c : cases) EXPECT_EQ(Variants(c.Word), c.Expected) << c.Word;
}

TEST_F(VariantsTest, KhaBecomesKhavaOrKhavaaAndItsHStaysPlain) {
  const std::vector<std::string> found = Variants("khast");
  // "kh" letters: a, s and t vary (3 * 3 * 2); "khava" and "khavaa": s and t (2 * 3 * 2).
  EXPECT_EQ(found.size(), 30u);
  EXPECT_EQ(
      std::vector<std::string>(found.begin(), found.begin() + 6),
      (std::vector<std::string>{"khast", "khast`", "khas`t", "khas`t`", "khas``t", "khas``t`"}));
  EXPECT_EQ(found[6], "khaast");
  EXPECT_EQ(found[12], "kha`st");
  EXPECT_EQ(found[18], "khavast");
  EXPECT_EQ(found[23], "khavas``t`");
  EXPECT_EQ(found[24], "khavaast");
  EXPECT_EQ(found.back(), "khavaas``t`");
  EXPECT_TRUE(std::none_of(found.begin(), found.end(),
                           [](const std::string& v) { return v.find("h`") != std::string::npos; }));
}

TEST_F(VariantsTest, TheSubmenuTakesSeventyThreeVariantsAndNotesTheRest) {
  // o, z, s and t: 3 * 4 * 3 * 2 variants fit; a final "a" triples them.
  const TSimilarWords fits = SimilarWords("ozst");
  EXPECT_EQ(fits.Words.size(), 72u);
  EXPECT_FALSE(fits.Omitted);

  const TSimilarWords full = SimilarWords("ozsta");
  EXPECT_EQ(full.Words.size(), kOmittedNoticeItem - kFirstVariantItem);
  EXPECT_TRUE(full.Omitted);
  const std::vector<std::string> all = Variants("ozsta");
  EXPECT_EQ(Words(full), std::vector<std::string>(all.begin(), all.begin() + 73));
}

TEST_F(VariantsTest, WithSmartSpellingTheLikeliestReadingsComeFirstFromBeyondTheCap) {
  // Two listed variants past the seventy-three that the submenu takes: a rare word two letters
  // from the typed one, and a common one that changes every letter it can.
  const std::vector<TSimilarWord> all = SimilarWords("ozsta").Words;
  const TSimilarWord rare = SimilarWords("o`zst`a").Words.front();
  const TSimilarWord common = SimilarWords("o`z```s``t`a`").Words.front();
  std::string frequency;
  for (const auto& [word, count] : {std::pair{&rare, " 10\n"}, std::pair{&common, " 1000\n"}}) {
    ASSERT_TRUE(std::none_of(all.begin(), all.end(),
                             [&](const TSimilarWord& w) { return w.Persian == word->Persian; }));
    Utf8::Append(word->Persian, frequency);
    frequency += count;
  }
  TWordListFiles files;
  files.Use("", "", frequency);
  SmartSpelling = 1;
  const TSimilarWords ranked = SimilarWords("ozsta");
  SmartSpelling = 0;
  SetWordListSources({});
  ASSERT_EQ(ranked.Words.size(), kOmittedNoticeItem - kFirstVariantItem);
  EXPECT_TRUE(ranked.Omitted);
  EXPECT_EQ(ranked.Words[0].Word, "ozsta");
  // Weighed as smart spelling weighs a reading: the letters changed count as well as the rank.
  EXPECT_EQ(ranked.Words[1].Word, rare.Word);
  const auto at = std::find_if(ranked.Words.begin(), ranked.Words.end(),
                               [&](const TSimilarWord& w) { return w.Word == common.Word; });
  EXPECT_NE(at, ranked.Words.end());
}

TEST_F(VariantsTest, EnumerationStopsWhenAsked) {
  size_t calls = 0;
  GenerateVariants("ozsta", [&](const std::string&, float) { return ++calls < 3; });
  EXPECT_EQ(calls, 3u);
}

TEST_F(VariantsTest, VariantsAreTransliteratedWithoutTheDictionary) {
  WholeWords->AddEntry("sat", "saat");
  const TSimilarWords similar = SimilarWords("sat");
  EXPECT_UNITS(similar.Words.front().Persian, (std::u16string{SEEN, TEH}));
  EXPECT_UNITS(TransliterateWord("sat"), (std::u16string{SEEN, ALEF, TEH}));
  EXPECT_EQ(DictionaryMode, 1);

  DictionaryMode = 0;
  SimilarWords("sat");
  EXPECT_EQ(DictionaryMode, 0);
}

TEST_F(VariantsTest, CaptionsPadToThirtyAndPicturesToTwentySeven) {
  const TSimilarWord to{"to", {TEH, WAW}};
  EXPECT_EQ(VariantCaption(to), "to" + std::string(27, ' ') + "\xCA\xE6");
  EXPECT_UNITS(VariantPictureText(to),
               u"to" + std::u16string(24, u' ') + std::u16string({TEH, WAW}));

  // Past the width one blank still separates the two, and the variant reads back.
  const TSimilarWord longWord{std::string(40, 'z'), std::u16string(40, letters::ZAIN)};
  const std::string caption = VariantCaption(longWord);
  EXPECT_EQ(caption.size(), 81u);
  EXPECT_EQ(caption[40], ' ');
  EXPECT_EQ(CaptionVariant(caption), longWord.Word);
  EXPECT_EQ(VariantPictureText(longWord).size(), 81u);
  EXPECT_EQ(CaptionVariant(VariantCaption(to)), "to");
}

}  // namespace
