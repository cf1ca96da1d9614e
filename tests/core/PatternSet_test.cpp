#include "PatternSet.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "EngineTestSupport.h"

namespace {

// Patterns that overlap, share beginnings, and lie inside one another's endings: the cases where
// a match that a longer partial one hides is easily missed.
constexpr std::array<std::string_view, 9> kPatterns = {
    "iy", "`", "e``", "aa`", "o```", "ae``", "kkh", "kh`", "x",
};
constexpr TPatternSet<kPatterns.size()> kSet(kPatterns);

TEST(PatternSetTest, FindsExactlyThePatternsThatOccur) {
  std::mt19937 random(7);
  for (int round = 0; round < 20000; ++round) {
    const std::string text = RandomWord(random, "aeiokhxy`` b", 0, 12);
    uint32_t expected = 0;
    for (size_t i = 0; i < kPatterns.size(); ++i)
      if (text.find(kPatterns[i]) != std::string::npos) expected |= uint32_t{1} << i;
    ASSERT_EQ(kSet.Find(text), expected) << text;
  }
  EXPECT_EQ(kSet.Find("kkkh"), kSet.Bit("kkh"));
  EXPECT_EQ(kSet.Find("aae``"), kSet.Bit("ae``") | kSet.Bit("e``") | kSet.Bit("`"));
}

}  // namespace
