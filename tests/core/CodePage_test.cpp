#include "CodePage.h"

#include <gtest/gtest.h>

#include <set>

namespace {

// Windows-1256 gives every byte a character of its own, so the table reads back both ways.
TEST(CodePage, EveryByteRoundTrips) {
  std::set<char16_t> seen;
  std::string all;
  for (int b = 0; b < 256; ++b) {
    const char16_t c = CodePage::ToUnicode(static_cast<unsigned char>(b));
    EXPECT_TRUE(seen.insert(c).second) << "byte " << b << " shares U+" << std::hex << int(c);
    EXPECT_EQ(CodePage::FromUnicode(c), static_cast<char>(b)) << "byte " << b;
    if (b < 0x80) {
      EXPECT_EQ(c, b);  // ASCII is itself
    }
    all += static_cast<char>(b);
  }
  EXPECT_EQ(CodePage::FromUnicode(CodePage::ToUnicode(all)), all);
}

TEST(CodePage, KnownLettersAndMissingCharacters) {
  EXPECT_EQ(CodePage::ToUnicode(0x81), u'\u067E');                     // PEH
  EXPECT_EQ(CodePage::ToUnicode(0xED), u'\u064A');                     // YEH
  EXPECT_EQ(CodePage::FromUnicode(u'\u06CC'), CodePage::DefaultChar);  // FARSI YEH has no byte
  EXPECT_EQ(CodePage::FromUnicode(u'\u00C0'), CodePage::DefaultChar);
  // A character outside the BMP is one character; a lone surrogate is one too.
  EXPECT_EQ(CodePage::FromUnicode(u"a\U0001F600b"), "a?b");
  EXPECT_EQ(CodePage::FromUnicode(std::u16string{u'a', 0xD83D, u'b', 0xDE00}), "a?b?");
}

}  // namespace
