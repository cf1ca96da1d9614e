#include "Utf8.h"

#include <gtest/gtest.h>

#include "CodePage.h"
#include "LinePieces.h"

namespace {

using namespace std::string_literals;

TEST(Utf8, BoundaryCodePointsRoundTrip) {
  const std::u16string text = u"\u0000\u007F\u0080\u07FF\u0800\uFFFF\U00010000\U0010FFFF"s;
  std::string bytes;
  Utf8::Append(text, bytes);
  EXPECT_EQ(bytes,
            "\0\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF"s);
  std::u16string back = u"kept";
  ASSERT_TRUE(Utf8::Decode(bytes, back));
  EXPECT_EQ(back, u"kept" + text);  // appended
}

TEST(Utf8, MalformedInputIsRefused) {
  for (const std::string bad : {
           "\x80",              // a continuation byte alone
           "\xC0\x80",          // overlong NUL
           "\xC1\xBF",          // overlong
           "\xE0\x9F\xBF",      // overlong three bytes
           "\xF0\x8F\xBF\xBF",  // overlong four bytes
           "\xED\xA0\x80",      // a surrogate
           "\xF4\x90\x80\x80",  // above U+10FFFF
           "\xF5\x80\x80\x80",
           "\xFF",
           "\xE2\x82",  // cut short
           "\xE2\x28\xA1",
       }) {
    std::u16string out;
    EXPECT_FALSE(Utf8::Decode("ok" + bad, out)) << testing::PrintToString(bad);
  }
}

TEST(Utf8, LoneSurrogatesAreWrittenAsReplacementCharacters) {
  std::string bytes;
  Utf8::Append(std::u16string{u'a', 0xDC00, 0xD800}, bytes);
  EXPECT_EQ(bytes, "a\xEF\xBF\xBD\xEF\xBF\xBD");
}

// The filter reads a line in blocks: every block size gives the line's code page form at once.
TEST(Utf8, LinesReadInBlocksMatchReadingAtOnce) {
  const std::string line =
      "salam \xD8\xB3\xD9\x84\xD8\xA7\xD9\x85 \xF0\x9F\x98\x80 ok \xE2\x82\xAC";
  std::u16string text;
  ASSERT_TRUE(Utf8::Decode(line, text));
  for (size_t block = 1; block <= line.size() + 1; ++block) {
    std::string read;
    ASSERT_TRUE(DecodeLine(line, read, block)) << block;
    EXPECT_EQ(read, CodePage::FromUnicode(text)) << block;
    EXPECT_FALSE(DecodeLine(line + "\xC3", read, block)) << block;
    EXPECT_FALSE(DecodeLine("\xC3" + line, read, block)) << block;
  }
}

}  // namespace
