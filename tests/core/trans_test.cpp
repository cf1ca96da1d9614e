#include "trans.h"

#include "CodePage.h"
#include "EngineTestSupport.h"

using namespace letters;

namespace {

struct WordCase {
  const char* word;
  std::u16string expected;
};

// The letter rules alone; the dictionary stage has tests of its own.
class TransliterateWordTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    DictionaryMode = 0;
  }
  void ExpectAll(const std::vector<WordCase>& cases) {
    for (const WordCase& c : cases) {
      SCOPED_TRACE(c.word);
      EXPECT_UNITS(TransliterateWord(c.word), c.expected);
    }
  }
};

TEST_F(TransliterateWordTest, WorkedExamples) {
  ExpectAll({
      {"salam", {SEEN, LAM, MEEM}},
      {"salaam", {SEEN, LAM, ALEF, MEEM}},
      {"khoobi", {KHAH, WAW, BEH, FARSI_YEH}},
      {"ab", {ALEF, BEH}},
      {"baba", {BEH, BEH, ALEF}},
      {"ealam", {ALEF, AIN, LAM, MEEM}},
      {"a`li", {AIN, LAM, FARSI_YEH}},
      {"hatma``", {HEH, TEH, MEEM, ALEF, FATHATAN}},
      {"mo`allem", {MEEM, AIN, LAM, SHADDA, MEEM}},
      {"kh`", {KEHEH, HAH}},
      {"xerox", {KEHEH, SEEN, REH, KEHEH, SEEN}},
      {"b`a", {BEH, u'`'}},
  });
}

TEST_F(TransliterateWordTest, WordStartAndWordEndOutputs) {
  ExpectAll({
      {"", {}},
      {"va", {WAW}},
      {"na", {NOON, HEH}},
      {"o", {ALEF}},  // the word-start output wins over the word-end one
      {"y", {FARSI_YEH}},
      {"i", {ALEF, YEH}},
      {"aab", {ALEF_MADDA, BEH}},
      {"baab", {BEH, ALEF, BEH}},
      {"oomad", {ALEF, WAW, MEEM, DAL}},
      {"ebi", {ALEF, BEH, FARSI_YEH}},
      {"bibi", {BEH, YEH, BEH, FARSI_YEH}},
      {"khane", {KHAH, NOON, HEH}},
      {"bo", {BEH, WAW}},
      {"Salam", {SEEN, LAM, MEEM}},
  });
}

TEST_F(TransliterateWordTest, BacktickVariantsAndHamza) {
  ExpectAll({
      {"s", {SEEN}},
      {"s`", {SAD}},
      {"s``", {THEH}},
      {"z", {ZAIN}},
      {"z`", {THAL}},
      {"z``", {DAD}},
      {"z```", {ZAH}},
      {"t`", {TAH}},
      {"h`", {HAH}},
      {"g`", {GHAIN}},
      {"gh`", {GHAIN}},
      {"j`", {JEH}},
      {"be``", {BEH, HAMZA}},            // at the end: a plain hamza
      {"be``r", {BEH, YEH_HAMZA, REH}},  // inside: on a yeh seat
      {"q", {}},
      {"`", {u'`'}},
      {"b``", {BEH, u'`', u'`'}},
      {"ea`b", {ALEF, AIN, BEH}},  // a leading "ea`" reads as "ea"
      {"bo``", {BEH, WAW_HAMZA}},
      {"baa`", {BEH, ALEF, AIN}},  // "aa`" reads as ALEF, then "a`"
  });
}

TEST_F(TransliterateWordTest, SplitGuardReadsThePairApart) {
  ExpectAll({
      {"bea`", {BEH, AIN}},   // "e", then "a`"
      {"baee", {BEH, YEH}},   // "a", then "ee"
      {"beaa", {BEH, ALEF}},  // "e", then "aa" (the final a alone would be ALEF too)
      {"bea", {BEH, AIN}},
      {"bae", {BEH, AIN}},
  });
}

TEST_F(TransliterateWordTest, ShaddaOnDoubledConsonants) {
  ExpectAll({
      {"abba", {ALEF, BEH, SHADDA, ALEF}},
      {"bbc", {BEH, BEH, KEHEH}},  // no shadda at the very start
      {"abb", {ALEF, BEH, BEH}},   // nor for the word's last two characters
      {"baaab", {BEH, ALEF, BEH}},
      {"beeb", {BEH, YEH, BEH}},
      {"a22b", {ALEF, u'2', u'2', BEH}},
      {"akkhar", {ALEF, KEHEH, KHAH, REH}},
      {"akhkhar", {ALEF, KHAH, SHADDA, REH}},
      {"as`s`ar", {ALEF, SAD, SHADDA, REH}},
      {"aqqa", {ALEF, SHADDA, ALEF}},  // a row that writes nothing leaves the shadda alone
      // The position test looks for the first occurrence of the unread rest, which can lie
      // before it: the final "bb" of "abbabb" is first found at position 2 and takes a shadda.
      {"abbabb", {ALEF, BEH, SHADDA, BEH, SHADDA}},
      {"abbbb", {ALEF, BEH, SHADDA, BEH, SHADDA}},
      // A rest that the word also begins with is first found at the start: no shadda.
      {"bbabbab", {BEH, BEH, BEH, BEH, BEH}},
  });
}

TEST_F(TransliterateWordTest, ALongRunOfDoubledLettersTakesLinearTime) {
  const std::string word = "a" + std::string(400000, 'b') + "a";
  std::u16string expected{ALEF};
  for (int i = 0; i < 200000; ++i) expected += {BEH, SHADDA};
  expected += ALEF;
  EXPECT_TRUE(TransliterateWord(word) == expected);
}

TEST_F(TransliterateWordTest, WithoutTashdidEveryDoubledLetterIsWrittenTwice) {
  TashdidMode = 0;
  ExpectAll({
      {"abba", {ALEF, BEH, BEH, ALEF}},
      {"akkhar", {ALEF, KEHEH, KHAH, REH}},
      {"a`li", {AIN, LAM, FARSI_YEH}},
      {"z```", {ZAH}},
  });
}

TEST_F(TransliterateWordTest, UnmatchedCharacterResetsThePosition) {
  ExpectAll({
      {"4ba", {u'4', BEH, ALEF}},  // "b" finds the position at 1, the final "a" is at 2
      {"4ab", {u'4', BEH}},        // "a" finds the position at 1 ... and is not at the start
      {"b4a", {BEH, u'4'}},
      {"a'b", {ALEF, u'\'', BEH}},
  });
}

TEST_F(TransliterateWordTest, AWordThatWritesMoreLettersThanItHasCharactersKeepsThemAll) {
  // After each unmatched digit the "i" stands at the word's start again and writes two letters:
  // four letters for every three characters.
  std::string word;
  std::u16string expected;
  for (int i = 0; i < 1000; ++i) {
    word += "4bi";
    expected += {u'4', BEH, ALEF, YEH};
  }
  EXPECT_TRUE(TransliterateWord(word) == expected);
}

// Every word of up to five characters drawn from letters that meet each kind of rule (keys of
// one to four characters, the word's start and end, the split of "ea" and "ae", doubled letters
// and digraphs, a digit without a row, a byte above 0x7F), with the shadda on and off: their
// conversions, digested, are those the rules gave when every candidate was tried at every length.
TEST_F(TransliterateWordTest, EveryShortWordReadsAsTheRulesRead) {
  constexpr std::string_view kLetters = "abeioshzg`3\xE9";
  uint64_t digest = 14695981039346656037u;  // FNV-1a over the code units and word ends
  const auto add = [&](uint64_t value) { digest = (digest ^ value) * 1099511628211u; };
  for (const uint8_t tashdid : {1, 0}) {
    TashdidMode = tashdid;
    std::vector<std::string> words{""};
    for (size_t length = 1; length <= 5; ++length) {
      std::vector<std::string> longer;
      for (const std::string& word : words)
        for (const char c : kLetters) longer.push_back(word + c);
      for (const std::string& word : longer) {
        for (const char16_t unit : TransliterateWord(word)) add(unit);
        add(0x10000);
      }
      words = std::move(longer);
    }
  }
  EXPECT_EQ(digest, 18004527126820797877u);
}

TEST_F(TransliterateWordTest, NormalisationReplacements) {
  ExpectAll({
      {"biyab", {BEH, YEH, BEH}},
      {"kiiir", {KEHEH, YEH_HAMZA, YEH, REH}},
      {"ayyyb", {ALEF, YEH_HAMZA, YEH, BEH}},
      {"asho``", {ALEF, SHEEN, WAW_HAMZA}},
      {"kh`a", {KEHEH, HAH, ALEF}},
      {"BaB", {BEH, BEH}},
      // Each replacement reads the word as the one before left it: "iy" to "i" makes "iii".
      {"kiiyir", {KEHEH, YEH_HAMZA, YEH, REH}},
  });
  // A long word is lowered and normalised as a short one is.
  std::string typed, normalised;
  for (int i = 0; i < 30; ++i) typed += "Biyab", normalised += "biab";
  EXPECT_UNITS(TransliterateWord(typed), TransliterateWord(normalised));
}

TEST_F(TransliterateWordTest, RuleIndexRangesPerFirstLetter) {
  const int expected[26] = {1,  7,  8,  11, 12, 18, 19, 23, 25, 27, 29, 32, 33,
                            34, 35, 40, 42, 43, 44, 48, 50, 51, 53, 54, 54, 56};
  for (int i = 0; i < 26; ++i) EXPECT_EQ(RuleIndex[i], expected[i]) << char('a' + i);
}

class ConvertTextTest : public EngineTest {};

TEST_F(ConvertTextTest, LinesAndEmptyTexts) {
  EXPECT_UNITS(ConvertText(u""), u"");
  EXPECT_UNITS(ConvertText(u"\r\n"), u"");
  EXPECT_UNITS(ConvertText(u"\r\n\r\n"), u"\r\n");
  EXPECT_UNITS(ConvertText(u"ab\r\n"), (std::u16string{ALEF, BEH}));
  EXPECT_UNITS(ConvertText(u"ab\r\nab"), (std::u16string{ALEF, BEH, u'\r', u'\n', ALEF, BEH}));
  EXPECT_UNITS(ConvertText(u"ab\nab"), (std::u16string{ALEF, BEH, u'\n', ALEF, BEH}));
}

TEST_F(ConvertTextTest, SeparatorsAndPunctuation) {
  EXPECT_UNITS(ConvertText(u"salam, khoobi?"),
               (std::u16string{SEEN, LAM, MEEM, ARABIC_COMMA, u' ', KHAH, WAW, BEH, FARSI_YEH,
                               ARABIC_QUESTION}));
  EXPECT_UNITS(ConvertText(u"ab;(ab)!"),
               (std::u16string{ALEF, BEH, ARABIC_SEMICOLON, u'(', ALEF, BEH, u')', u'!'}));
}

TEST_F(ConvertTextTest, ApostropheAfterVowelCountsAsBacktick) {
  EXPECT_UNITS(ConvertText(u"sa'at"), (std::u16string{SEEN, AIN, TEH}));
  TreatAeMode = 0;
  EXPECT_UNITS(ConvertText(u"sa'at"), (std::u16string{SEEN, ALEF, u'\'', ALEF, TEH}));
}

TEST_F(ConvertTextTest, ChatDigitsBelongToWordsOnlyInChatMode) {
  EXPECT_UNITS(ConvertText(u"mer30"), (std::u16string{MEEM, REH, SEEN, FARSI_YEH}));
  EXPECT_UNITS(ConvertText(u"30"), u"30");
  EXPECT_UNITS(ConvertText(u"2e3"), (std::u16string{u'2', u'3'}));  // a number keeps its digits
  DictionaryMode = 0;
  EXPECT_UNITS(ConvertText(u"mer30"), (std::u16string{MEEM, REH, u'3', u'0'}));
  DictionaryMode = 1;
  ChatMode = 0;
  EXPECT_UNITS(ConvertText(u"mer30"), (std::u16string{MEEM, REH, u'3', u'0'}));
}

TEST_F(ConvertTextTest, MarkedRunsStayAsTyped) {
  const std::u16string marked = u"ab\rhello\rab";
  EXPECT_UNITS(ConvertText(marked), (std::u16string{ALEF, BEH} + u"hello" + u"\u0627\u0628"));
  EXPECT_UNITS(ConvertText(u"\rab"), u"ab");
  EXPECT_UNITS(ConvertText(u"ab\r"), (std::u16string{ALEF, BEH}));
  FarsiEnabled = 0;  // runs come out in reverse order, their contents unchanged
  EXPECT_UNITS(ConvertText(u"ab\rhi\rbo"), (std::u16string{BEH, WAW} + u"hi" + u"\u0627\u0628"));
  EXPECT_UNITS(ConvertText(u"\rhi\r"), u"hi");
  EXPECT_UNITS(ConvertText(u"ab\r\rbo"), (std::u16string{BEH, WAW, ALEF, BEH}));
}

TEST_F(ConvertTextTest, SeparatorsTravelThroughTheCodePage) {
  // A Persian letter typed into the input comes out unchanged, not as a Latin-1 character.
  EXPECT_UNITS(ConvertText(u"\u0627 ab"), (std::u16string{ALEF, u' ', ALEF, BEH}));
  EXPECT_UNITS(ConvertText(u"caf\u00E9"), (std::u16string{KEHEH, FEH, u'\u00E9'}));
}

TEST_F(ConvertTextTest, CharactersTheCodePageLacksStayWhereTheyStood) {
  // FARSI YEH from a Persian keyboard, an emoji (one character of two units), a Greek letter.
  EXPECT_UNITS(ConvertText(u"\u06CC"), u"\u06CC");
  EXPECT_UNITS(ConvertText(u"ab \U0001F600 ab?"),
               (std::u16string{ALEF, BEH, u' '} + u"\U0001F600" +
                std::u16string{u' ', ALEF, BEH, ARABIC_QUESTION}));
  EXPECT_UNITS(ConvertText(u"a\u03A9b"), (std::u16string{ALEF, u'\u03A9', BEH}));
  // The same character twice, and in a run left as typed.
  EXPECT_UNITS(ConvertText(u"\u06CC\u06CC\rhi\u06CC\r"), u"\u06CC\u06CChi\u06CC");
  // Control characters of the line itself are never taken for stand-ins.
  EXPECT_UNITS(ConvertText(u"\x01\u06CC\x02"), u"\x01\u06CC\x02");
  // More different characters than there are stand-ins: the rest read as before.
  std::u16string many, expected;
  for (char16_t c = 0x3B1; c < 0x3B1 + 30; ++c) {
    many += c;
    expected += c < 0x3B1 + 26 ? c : ARABIC_QUESTION;
  }
  EXPECT_UNITS(ConvertText(many), expected);
  FarsiEnabled = 0;  // runs in reverse order keep their characters
  EXPECT_UNITS(ConvertText(u"\u06CC\r\u03A9\r"), u"\u03A9\u06CC");
}

TEST(PersianToAnsiTest, LettersMapThroughTheLetterTable) {
  EXPECT_EQ(PersianToAnsi(u"\u06A9\u06AF\u0698\u067E\u0686"), "\x98\x90\x8E\x81\x8D");
  EXPECT_EQ(PersianToAnsi(u"\u06CC\u064A\u0651"), "\xED\xED\xF8");
  EXPECT_EQ(PersianToAnsi(u"a \u060C\u061B\u061F\u200C?"), "a ?");
  EXPECT_EQ(PersianToAnsi(u"\u00E9\u00C0"), "\xE9?");
}

}  // namespace
