#include "DictionaryStage.h"

#include <cctype>

#include "EngineTestSupport.h"

using namespace letters;

namespace {

class DictionaryStageTest : public EngineTest {
 protected:
  void WithDefaultEntries() { AddDefaultEntries(); }
};

TEST_F(DictionaryStageTest, VerbalPrefixesAreTransliteratedApart) {
  EXPECT_UNITS(TransliterateWord("miravam"), (std::u16string{MEEM, YEH, REH, WAW, MEEM}));
  EXPECT_UNITS(TransliterateWord("nemiravam"), (std::u16string{NOON, MEEM, YEH, REH, WAW, MEEM}));
  EXPECT_UNITS(TransliterateWord("naraft"), (std::u16string{NOON, REH, FEH, TEH}));
  EXPECT_UNITS(TransliterateWord("beet"), (std::u16string{BEH, ALEF, TEH}));  // b + "et"
  // The prefixes alone are read by the letter scan.
  EXPECT_UNITS(TransliterateWord("mi"), (std::u16string{MEEM, FARSI_YEH}));
  EXPECT_UNITS(TransliterateWord("na"), (std::u16string{NOON, HEH}));
  EXPECT_UNITS(TransliterateWord("be"), (std::u16string{BEH, HEH}));
  EXPECT_UNITS(TransliterateWord("nemi"), (std::u16string{NOON, MEEM, FARSI_YEH}));
  DictionaryMode = 0;
  EXPECT_UNITS(TransliterateWord("beet"), (std::u16string{BEH, YEH, TEH}));
}

TEST_F(DictionaryStageTest, ALongRunOfPrefixesConvertsInLinearSpace) {
  std::string word;
  std::u16string expected;
  for (int i = 0; i < 60000; ++i) {
    word += "mi";
    expected += {MEEM, YEH};
  }
  expected.back() = FARSI_YEH;  // the last "mi" stands alone
  EXPECT_TRUE(TransliterateWord(word) == expected);
}

// What a prefix run learns about its word must not outlive a lookup that rewrites the rest.
TEST_F(DictionaryStageTest, EachRestAfterAPrefixIsLookedUpAfresh) {
  PrefixWords->AddEntry("ra", "rab");
  MiddleWords->AddEntry("ab", "oo");
  // "mirax": no middle key in the whole word; the rest "rax" becomes "rabx", which holds one.
  EXPECT_UNITS(TransliterateWord("mirax"), u"\u0645\u064A" + TransliterateWord("roox"));
  // Chat digits read once for the whole run of prefixes.
  EXPECT_UNITS(TransliterateWord("mimimer30"),
               u"\u0645\u064A\u0645\u064A" + TransliterateWord("mersi"));
  // An entry that gives a middle key back unchanged still hides the entries after it.
  MiddleWords->LoadFromStrings({"mimi=mimi", "mix=MX"});
  EXPECT_UNITS(TransliterateWord("mimimix"), u"\u0645\u064A\u0645\u064A" + TransliterateWord("MX"));
}

// The rest after a prefix is put in small letters and normalised where it lies, as typed or as a
// lookup rewrote it, in words short and long.
TEST_F(DictionaryStageTest, ARestIsNormalisedWhereItLies) {
  const std::u16string mi = {MEEM, YEH};
  for (const size_t size : {10, 61, 62, 63, 64, 65, 200}) {
    std::string body;
    while (body.size() < size) body += "KaXiy";
    body.resize(size);
    std::string lower = body;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_UNITS(TransliterateWord("mi" + body), mi + TransliterateWord(lower)) << size;
    // The chat digit rewrites the word, and the rest lies in the rewritten one.
    EXPECT_UNITS(TransliterateWord("mi2" + body), mi + TransliterateWord("doo" + lower)) << size;
  }
}

TEST_F(DictionaryStageTest, ChatDigitsReadAsLettersUnlessTheWordIsANumber) {
  EXPECT_UNITS(TransliterateWord("mer30"), (std::u16string{MEEM, REH, SEEN, FARSI_YEH}));
  EXPECT_UNITS(TransliterateWord("be2n"), (std::u16string{BEH, DAL, WAW, NOON}));
  EXPECT_UNITS(TransliterateWord("1ki"), (std::u16string{YEH, KEHEH, SHADDA, FARSI_YEH}));
  EXPECT_UNITS(TransliterateWord("30"), u"30");
  EXPECT_UNITS(TransliterateWord("2e3"), u"23");
  // Found wherever it stands, in words short and long, between any other bytes.
  for (size_t size = 2; size <= 20; ++size) {
    for (size_t at = 1; at < size; ++at) {
      for (const char neighbour : {'a', '0', '4', '\xB1', '\xB3'}) {
        std::string word = "k" + std::string(size - 1, 'a');
        if (at > 1) word[at - 1] = neighbour;
        if (at + 1 < size) word[at + 1] = neighbour;
        word[at] = '2';
        std::string read = word;
        read.replace(at, 1, "doo");
        EXPECT_UNITS(TransliterateWord(word), TransliterateWord(read)) << word;
      }
    }
  }
  ChatMode = 0;
  EXPECT_UNITS(TransliterateWord("mer30"), (std::u16string{MEEM, REH, u'3', u'0'}));
}

TEST_F(DictionaryStageTest, WholeWordsReplaceTheWordAndSkipTheOtherPasses) {
  WithDefaultEntries();
  EXPECT_UNITS(TransliterateWord("salam"), (std::u16string{SEEN, LAM, ALEF, MEEM}));
  // Looked up before lower-casing: not found, but read with the letters of "salam".
  EXPECT_UNITS(TransliterateWord("Salam"), (std::u16string{SEEN, LAM, MEEM}));
  WholeWords->AddEntry("bet", "beet");  // the value is not split again
  EXPECT_UNITS(TransliterateWord("bet"), (std::u16string{BEH, YEH, TEH}));
  WholeWords->AddEntry("mer30", "mersi30");  // nor are its digits read as letters
  EXPECT_UNITS(TransliterateWord("mer30"), (std::u16string{MEEM, REH, SEEN, YEH, u'3', u'0'}));
}

TEST_F(DictionaryStageTest, ColloquialOnEndingsTakeTheAnEntry) {
  WithDefaultEntries();
  // "khon" is not listed, "khan" is: its value "khavaan" ends in "oon" instead.
  EXPECT_UNITS(TransliterateWord("khon"), (std::u16string{KHAH, WAW, WAW, NOON}));
  PrefixWords->AddEntry("nan", "naan");
  EXPECT_UNITS(TransliterateWord("non"), (std::u16string{NOON, WAW, NOON}));
}

TEST_F(DictionaryStageTest, PrefixEntries) {
  WithDefaultEntries();
  // The exact word: no split, no chat digits, no middle or suffix pass.
  EXPECT_UNITS(TransliterateWord("ghorbon"), (std::u16string{QAF, REH, BEH, WAW, NOON}));
  EXPECT_UNITS(TransliterateWord("ghorbonet"), (std::u16string{QAF, REH, BEH, WAW, NOON, TEH}));
  EXPECT_UNITS(TransliterateWord("ghorbon`et"),
               (std::u16string{QAF, REH, BEH, NOON, u'`', TEH}));  // refused before a backtick
  PrefixWords->AddEntry("be", "bee");  // a prefix entry turns the verbal split off
  EXPECT_UNITS(TransliterateWord("beram"), (std::u16string{BEH, YEH, REH, MEEM}));
}

TEST_F(DictionaryStageTest, MiddleSuffixAndPolitePasses) {
  WithDefaultEntries();
  MiddleWords->AddEntry("sht", "shaat");
  EXPECT_UNITS(TransliterateWord("dashtam"), (std::u16string{DAL, SHEEN, ALEF, TEH, MEEM}));
  EXPECT_UNITS(TransliterateWord("ketabeton"), (std::u16string{KEHEH, TEH, BEH, TEH, NOON}));
  PrefixMode = 1;  // "Automatic Suffix"
  EXPECT_UNITS(TransliterateWord("ketabeton"), (std::u16string{KEHEH, TEH, BEH, TEH, WAW, NOON}));
  EXPECT_UNITS(TransliterateWord("ketabetan"), (std::u16string{KEHEH, TEH, BEH, TEH, ALEF, NOON}));
  PoliteWords->AddEntry("to", "shoma");
  EXPECT_UNITS(TransliterateWord("to"), (std::u16string{TEH, WAW}));
  PoliteMode = 1;
  EXPECT_UNITS(TransliterateWord("To"), (std::u16string{SHEEN, MEEM, ALEF}));
}

TEST_F(DictionaryStageTest, EnglishWordsStayLatin) {
  EnglishWholeWords->AddEntry("hello", "Whole");
  EnglishPrefixWords->AddEntry("email", "Prefix");
  // A backtick after the prefix changes its last letter: no longer the English word.
  EXPECT_UNITS(ConvertText(u"hello emails email`s hellos"),
               (u"hello emails " +
                std::u16string{ALEF, MEEM, YEH, LAM, u'`', SEEN, u' ', HEH, LAM, SHADDA, SEEN}));
  EnglishDetectMode = 0;
  EXPECT_UNITS(ConvertText(u"hello"), (std::u16string{HEH, LAM, SHADDA, WAW}));
}

}  // namespace
