#include "WordUtils.h"

#include <gtest/gtest.h>

namespace {

TEST(WordUtilsTest, WordStartCountsWordsAndAnswersTheLastColumnForOneMore) {
  EXPECT_EQ(WordStart(1, u""), 0u);
  EXPECT_EQ(WordStart(1, u" "), 1u);
  EXPECT_EQ(WordStart(1, u"ab cd"), 1u);
  EXPECT_EQ(WordStart(2, u"ab cd"), 4u);
  EXPECT_EQ(WordStart(3, u"ab cd"), 5u);
  EXPECT_EQ(WordStart(4, u"ab cd"), 0u);
  EXPECT_EQ(WordStart(0, u"ab cd"), 0u);
  EXPECT_EQ(WordStart(2, u"\u0633\u060C\u0644"), 3u);
  EXPECT_EQ(AnsiWordStart(2, "a'b,cd"), 5u);  // an apostrophe belongs to the word
  EXPECT_EQ(AnsiWordStart(2, "  ab  "), 6u);
}

TEST(WordUtilsTest, WordNumberAtGivesTheWordOrTheNextOne) {
  EXPECT_EQ(WordNumberAt(1, u"ab cd"), 1u);
  EXPECT_EQ(WordNumberAt(2, u"ab cd"), 1u);
  EXPECT_EQ(WordNumberAt(3, u"ab cd"), 2u);
  EXPECT_EQ(WordNumberAt(5, u"ab cd"), 2u);
  EXPECT_EQ(WordNumberAt(6, u"ab cd"), 0u);
  EXPECT_EQ(WordNumberAt(1, u""), 0u);
}

TEST(WordUtilsTest, WordText) {
  EXPECT_EQ(WordText(2, u"ab, cd."), u"cd");
  EXPECT_EQ(WordText(2, u"salam"), u"m");  // a line with one word answers its last character
  EXPECT_EQ(WordText(2, u"salam."), u"");
  EXPECT_EQ(WordText(3, u"ab cd"), u"d");
  EXPECT_EQ(WordText(1, u"\u0633\u061F"), u"\u0633");
}

TEST(WordUtilsTest, CommonPrefixAndSuffix) {
  EXPECT_EQ(CommonPrefixLength(u"", u"a"), 0u);
  EXPECT_EQ(CommonPrefixLength(u"abc", u"abd"), 2u);
  EXPECT_EQ(CommonSuffixLength(u"abc", u"abc"), 0u);
  EXPECT_EQ(CommonSuffixLength(u"xbc", u"ybc"), 2u);
  EXPECT_EQ(CommonSuffixLength(u"aba", u"abba"), 2u);  // overlaps the prefix by one
  EXPECT_EQ(CommonSuffixLength(u"abc", u"abcd"), 0u);
  EXPECT_EQ(CommonSuffixLength(u"ab", u"b"), 1u);
  EXPECT_EQ(CommonSuffixLength(u"", u"b"), 0u);
}

TEST(WordUtilsTest, PositionsBeyondSixteenBitsDoNotWrap) {
  std::u16string line(70000, u'a');
  line[69999] = u' ';
  line += u"b";
  EXPECT_EQ(WordStart(2, line), 70001u);
  EXPECT_EQ(WordNumberAt(70001, line), 2u);
  EXPECT_EQ(WordText(2, line), u"b");
  EXPECT_EQ(WordStart(2 + 65536, line), 0u);
  std::u16string other = line;
  other[0] = u'z';
  EXPECT_EQ(CommonSuffixLength(line, other), line.size() - 1);
}

}  // namespace
