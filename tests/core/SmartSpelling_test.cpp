#include "SmartSpelling.h"

#include <random>
#include <set>

#include "CodePage.h"
#include "DictionaryStage.h"
#include "EngineTestSupport.h"
#include "WordListFiles.h"

using namespace letters;

namespace {

constexpr char16_t ZWNJ = 0x200C;

std::vector<TSpelling> Spellings(std::string_view word, bool clauseEnd = false, float maxCost = 6) {
  TSpellingCandidates candidates(word, clauseEnd, maxCost);
  std::vector<TSpelling> all;
  for (TSpelling s; candidates.Next(s);) all.push_back(s);
  return all;
}

std::set<std::string> Texts(const std::vector<TSpelling>& spellings) {
  std::set<std::string> texts;
  for (const TSpelling& s : spellings) texts.insert(s.Text);
  return texts;
}

struct CandidateCase {
  const char* word;
  bool clauseEnd;
  std::vector<std::pair<std::string, float>> expected;  // in this order, and no others
};

TEST(SpellingCandidatesTest, CheapestFirstWithTheTableCosts) {
  const std::vector<CandidateCase> cases = {
      {"tor", false, {{"tor", 0}, {"toor", 0.1f}, {"t`or", 2.3f}, {"t`oor", 2.4f}, {"to`r", 4.8f}}},
      // A final o is WAW however it is typed: only its AIN reading is an alternative.
      {"to", false, {{"to", 0}, {"t`o", 2.3f}, {"to`", 4.8f}}},
      // "sh" is one letter: its s never becomes s`, nor its h h`.
      {"kash", false, {{"kash", 0}, {"kaash", 0.2f}, {"ka`sh", 4.4f}}},
      // An initial u is "oo" almost always.
      {"ush", false, {{"ush", 0}, {"oosh", 0.05f}, {"osh", 2.8f}}},
      // A letter marked with a backtick keeps its mark.
      {"s`ab", false, {{"s`ab", 0}, {"s`aab", 0.2f}, {"s`a`b", 4.4f}}},
  };
  for (const CandidateCase& c : cases) {
    SCOPED_TRACE(c.word);
    const std::vector<TSpelling> all = Spellings(c.word, c.clauseEnd);
    ASSERT_EQ(all.size(), c.expected.size());
    for (size_t i = 0; i < all.size(); ++i) {
      EXPECT_EQ(all[i].Text, c.expected[i].first);
      EXPECT_FLOAT_EQ(all[i].Cost, c.expected[i].second);
    }
  }
}

TEST(SpellingCandidatesTest, ExtraRowsAndTheirPlaces) {
  const auto costOf = [](std::string_view word, const std::string& text, bool clauseEnd = false) {
    for (const TSpelling& s : Spellings(word, clauseEnd, 8))
      if (s.Text == text) return s.Cost;
    return -1.0f;
  };
  EXPECT_FLOAT_EQ(costOf("qand", "ghand"), 0.05f);
  EXPECT_FLOAT_EQ(costOf("xob", "khob"), 0.69f);
  EXPECT_FLOAT_EQ(costOf("kamelan", "kamela``"), 1.1f);  // tanvin, at the end only
  EXPECT_FLOAT_EQ(costOf("vaghean", "vaghe`a``"), 1.1f);
  EXPECT_FLOAT_EQ(costOf("khab", "khavab"), 1.1f);
  EXPECT_FLOAT_EQ(costOf("khaab", "khavaab"), 1.1f);
  EXPECT_FLOAT_EQ(costOf("doust", "dost"), 1.6f);
  EXPECT_FLOAT_EQ(costOf("cera", "chera"), 1.8f);
  EXPECT_FLOAT_EQ(costOf("elm", "e`lm"), 4.0f);
  EXPECT_FLOAT_EQ(costOf("saat", "saa`t"), 4.4f);
  EXPECT_FLOAT_EQ(costOf("dige", "digi"), 5.4f);
  EXPECT_FLOAT_EQ(costOf("anban", "a``ban"), -1.0f);
  // The ezafe: a final e is dropped within a clause, and after an e "ye" is.
  EXPECT_FLOAT_EQ(costOf("ketabe", "ketab"), 1.0f);
  EXPECT_FLOAT_EQ(costOf("khaneye", "khane"), 1.0f);
  EXPECT_FLOAT_EQ(costOf("ketabe", "ketab", true), -1.0f);
  EXPECT_FLOAT_EQ(costOf("be", "b"), -1.0f);  // too short to carry an ezafe
}

TEST(SpellingCandidatesTest, OrderedUniqueBoundedAndSettled) {
  std::mt19937 random(11);
  for (int round = 0; round < 400; ++round) {
    const std::string word = RandomWord(random, "aabdeeghhiklmnoqsstuuxz`", 1, 12);
    SCOPED_TRACE(word);
    const std::vector<TSpelling> all = Spellings(word, round % 2, 7);
    ASSERT_FALSE(all.empty());
    EXPECT_EQ(all[0].Text, word);
    EXPECT_EQ(all[0].Cost, 0);
    EXPECT_EQ(Texts(all).size(), all.size()) << "a spelling came twice";
    for (size_t i = 0; i < all.size(); ++i) {
      EXPECT_LT(all[i].Cost, 7);
      if (i > 0) {
        EXPECT_LE(all[i - 1].Cost, all[i].Cost);
      }
      // What follows the settled part is the word's own unchanged end.
      const std::string tail = all[i].Text.substr(all[i].Settled);
      EXPECT_TRUE(word.ends_with(tail)) << all[i].Text;
    }
  }
}

TEST(SpellingCandidatesTest, LongWordsKeepTheirSpelling) {
  const std::string word(TSpellingCandidates::kLongestWord + 1, 'a');
  EXPECT_EQ(Spellings(word).size(), 1u);
  EXPECT_GT(Spellings(word.substr(1)).size(), 1u);
}

TEST(SpellingCandidatesTest, StartingAnotherWordForgetsTheLastOne) {
  TSpellingCandidates candidates("ghazasot", false, 6);
  for (TSpelling s; candidates.Next(s);) candidates.SkipExtensions();
  for (const char* word : {"tot", "ghazasot"}) {
    candidates.Start(word, false, 6);
    std::vector<std::string> reused;
    for (TSpelling s; candidates.Next(s);) reused.push_back(s.Text);
    std::vector<std::string> fresh;
    for (const TSpelling& s : Spellings(word)) fresh.push_back(s.Text);
    EXPECT_EQ(reused, fresh) << word;
  }
}

TEST(SpellingCandidatesTest, SkippedExtensionsAreLeftOut) {
  // "tot": t -> t` at 0, o -> oo or o` at 1, t -> t` at 2.
  TSpellingCandidates candidates("tot", false, 6);
  std::set<std::string> seen;
  for (TSpelling s; candidates.Next(s);) {
    seen.insert(s.Text);
    if (s.Text == "t`ot") {
      EXPECT_EQ(s.Settled, 2u);
      candidates.SkipExtensions();
    }
  }
  EXPECT_EQ(seen, (std::set<std::string>{"tot", "toot", "t`ot", "tot`", "toot`", "to`t"}));
}

// Conversion with smart spelling over lists written for each test. Words given the same count
// make every unranked word cost the same as the rarest ranked one.
class SmartSpellingTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    SmartSpelling = 1;
  }
  void TearDown() override {
    SmartSpelling = ModernOrthography = 0;
    SetWordListSources({});
    EngineTest::TearDown();
  }
  std::u16string Convert(std::string_view line) { return ConvertLine(line); }

  TWordListFiles files_;
};

const std::string kKetab = "\u06A9\u062A\u0627\u0628";  // ketaab

TEST_F(SmartSpellingTest, AListedSpellingReplacesTheRulesOnlyWhenCheapEnough) {
  files_.Use("", "", kKetab + " 50\n\u0638\u0639\u062B 50\n");
  EXPECT_UNITS(Convert("ketab"), (std::u16string{KEHEH, TEH, ALEF, BEH}));
  // z```a`s`` would be listed, but three rare substitutions cost more than any unknown word.
  EXPECT_UNITS(Convert("zas"), (std::u16string{ZAIN, SEEN}));
}

TEST_F(SmartSpellingTest, TheMoreFrequentListedSpellingWins) {
  files_.Use("", "", "\u062F\u0631 1000\n\u062F\u0627\u0631 10\n");
  EXPECT_UNITS(Convert("dar"), (std::u16string{DAL, REH}));
  files_.Use("", "", "\u062F\u0631 10\n\u062F\u0627\u0631 1000\n");
  EXPECT_UNITS(Convert("dar"), (std::u16string{DAL, ALEF, REH}));
}

TEST_F(SmartSpellingTest, EitherListAloneServes) {
  files_.Use(kKetab + "\n", "\u0628\u0627\n", "");
  EXPECT_EQ(MissingWordLists(), wlFrequency);
  EXPECT_UNITS(Convert("ketab"), (std::u16string{KEHEH, TEH, ALEF, BEH}));
  files_.Use("", "", kKetab + " 5\n");
  EXPECT_EQ(MissingWordLists(), wlCore | wlFull);
  EXPECT_UNITS(Convert("ketab"), (std::u16string{KEHEH, TEH, ALEF, BEH}));
  files_.Use("", "", "");
  EXPECT_EQ(MissingWordLists(), wlCore | wlFull | wlFrequency);
  EXPECT_UNITS(Convert("ketab"), (std::u16string{KEHEH, TEH, BEH}));
}

TEST_F(SmartSpellingTest, AFinalEIsAnEzafeWithinAClauseOnly) {
  files_.Use("", "", kKetab + " 50\n");
  EXPECT_UNITS(Convert("ketabe man"), (std::u16string{KEHEH, TEH, ALEF, BEH, u' ', MEEM, NOON}));
  // At the clause's end it is the enclitic -e of a listed stem.
  EXPECT_UNITS(Convert("ketabe."), (std::u16string{KEHEH, TEH, ALEF, BEH, HEH, u'.'}));
  EXPECT_UNITS(Convert("ketabe"), (std::u16string{KEHEH, TEH, ALEF, BEH, HEH}));
  EXPECT_UNITS(Convert("ketabe, man"),
               (std::u16string{KEHEH, TEH, ALEF, BEH, HEH, ARABIC_COMMA, u' ', MEEM, NOON}));
}

TEST_F(SmartSpellingTest, AVerbalPrefixAListedStemAndAnEnding) {
  files_.Use("", "", "\u062E\u0648\u0631 50\n");
  EXPECT_UNITS(Convert("mikhoram"), (std::u16string{MEEM, YEH, KHAH, WAW, REH, MEEM}));
  EXPECT_UNITS(Convert("nakhoram"), (std::u16string{NOON, KHAH, WAW, REH, MEEM}));
  EXPECT_UNITS(Convert("khoram"), (std::u16string{KHAH, WAW, REH, MEEM}));  // a stem and an ending
}

TEST_F(SmartSpellingTest, AnEndingAfterAFinalVowelIsWrittenApartFromItsListedStem) {
  files_.Use("", "", "\u0634\u0628\u06A9\u0647 50\n\u062C\u0627\u06CC\u06CC 50\n");
  EXPECT_UNITS(Convert("shabakei"), (std::u16string{SHEEN, BEH, KEHEH, HEH, ZWNJ, ALEF, YEH}));
  EXPECT_UNITS(Convert("jaaei"), (std::u16string{JEEM, ALEF, YEH, YEH}));
  // The plural after a final "e", whose "eh" the rules read as one HEH.
  EXPECT_UNITS(Convert("shabakehaye"),
               (std::u16string{SHEEN, BEH, KEHEH, HEH, ZWNJ, HEH, ALEF, YEH}));
  EXPECT_UNITS(Convert("shabakehaaye"),
               (std::u16string{SHEEN, BEH, KEHEH, HEH, ZWNJ, HEH, ALEF, YEH}));
  // Read as the stem with the colloquial plural "-a", the rules' reading is a derived word too:
  // the plural wins where the lists know it.
  files_.Use("", "", "\u0634\u0628\u06A9\u0647 50\n\u0634\u0628\u06A9\u0647\u0647\u0627 20\n");
  EXPECT_UNITS(Convert("shabakehaa"), (std::u16string{SHEEN, BEH, KEHEH, HEH, ZWNJ, HEH, ALEF}));
  EXPECT_UNITS(Convert("shabakeha"), (std::u16string{SHEEN, BEH, KEHEH, HEH, ZWNJ, HEH, ALEF}));
}

TEST_F(SmartSpellingTest, ListedWordsThatTheLetterVariantsOnceMissed) {
  // vaziat: DAD for ZAIN and an unwritten AIN, which no letter variant adds.
  files_.Use("", "", "\u0648\u0636\u0639\u06CC\u062A 50\n\u0645\u0646 50\n");
  EXPECT_UNITS(Convert("vaziat"), (std::u16string{WAW, DAD, AIN, YEH, TEH}));
  // An initial "ou" is the long "oo" that begins with an alef.
  files_.Use("", "", "\u0627\u0648\u0646 50\n\u0645\u0646 50\n");
  EXPECT_UNITS(Convert("oun"), (std::u16string{ALEF, WAW, NOON}));
  // A vowel the typist wrote is not dropped for a common word.
  EXPECT_UNITS(Convert("amin"), (std::u16string{ALEF, MEEM, YEH, NOON}));
}

TEST_F(SmartSpellingTest, ATypedOTiltsTheChoiceToAListedWordThatWritesItsWaw) {
  const std::u16string khob{KHAH, BEH}, khoob{KHAH, WAW, BEH};
  files_.Use("", "", "\u062E\u0628 130\n\u062E\u0648\u0628 100\n");
  EXPECT_UNITS(Convert("khob"), khoob);
  // A far commoner word without the WAW still wins, and stays the letter rules' own choice.
  files_.Use("", "", "\u062E\u0628 1000\n\u062E\u0648\u0628 100\n");
  std::vector<TSmartSource> sources;
  SmartSourceLog = &sources;
  EXPECT_UNITS(Convert("khob"), khob);
  SmartSourceLog = nullptr;
  EXPECT_EQ(sources, std::vector<TSmartSource>{TSmartSource::Rules});
  // Among words no list knows, a guessed WAW never replaces the rules' reading.
  EXPECT_UNITS(Convert("dorost"), (std::u16string{DAL, REH, SEEN, TEH}));
  // Nor does a commoner listed word put in a WAW that was not typed.
  files_.Use("", "", "\u0628\u062E\u0631\u0645 100\n\u0628\u062E\u0648\u0631\u0645 500\n");
  EXPECT_UNITS(Convert("bekharam"), (std::u16string{BEH, KHAH, REH, MEEM}));
}

TEST_F(SmartSpellingTest, TheWeighedLogHoldsEachWordsReadingsEvenWhenItsChoiceIsKept) {
  files_.Use("", "", "\u062F\u0631 10\n\u062F\u0627\u0631 1000\n");
  std::vector<std::vector<std::u16string>> weighed;
  SmartWeighedLog = &weighed;
  const std::u16string dar = Convert("dar dar");
  SmartWeighedLog = nullptr;
  EXPECT_UNITS(dar, (std::u16string{DAL, ALEF, REH, u' ', DAL, ALEF, REH}));
  ASSERT_EQ(weighed.size(), 2u);
  for (const std::vector<std::u16string>& word : weighed) {
    EXPECT_NE(std::find(word.begin(), word.end(), u"\u062F\u0631"), word.end());
    EXPECT_NE(std::find(word.begin(), word.end(), u"\u062F\u0627\u0631"), word.end());
  }
}

TEST_F(SmartSpellingTest, TheUsersDictionaryAndEnglishWordsComeFirst) {
  files_.Use("", "", kKetab + " 50\n");
  WholeWords->AddEntry("ketab", "kitab");
  EXPECT_UNITS(Convert("ketab"), (std::u16string{KEHEH, YEH, TEH, BEH}));
  LoadEnglishWords(std::vector<std::string>{"ketabs=Whole"});
  EXPECT_EQ(Convert("ketabs"), u"ketabs");
  // The dictionary is on again after the candidates were read without it.
  EXPECT_EQ(DictionaryMode, 1);
  DictionaryMode = 0;
  EXPECT_UNITS(Convert("ketab"), (std::u16string{KEHEH, TEH, ALEF, BEH}));
  EXPECT_EQ(DictionaryMode, 0);
}

TEST_F(SmartSpellingTest, SeparatePluralsJoinTheirNounAndALoneEzafeGoes) {
  files_.Use("", "", kKetab + " 50\n");
  const std::u16string ketab{KEHEH, TEH, ALEF, BEH};
  EXPECT_UNITS(Convert("ketab ha"), ketab + ZWNJ + HEH + ALEF);
  EXPECT_UNITS(Convert("ketab  haa"), ketab + ZWNJ + HEH + ALEF);
  EXPECT_UNITS(Convert("ketab haye man"),
               ketab + ZWNJ + (std::u16string{HEH, ALEF, FARSI_YEH, u' ', MEEM, NOON}));
  EXPECT_UNITS(Convert("ketab e man"), ketab + (std::u16string{u' ', MEEM, NOON}));
  EXPECT_UNITS(Convert("man o to"), (std::u16string{MEEM, NOON, u' ', WAW, u' ', TEH, WAW}));
  // Not after a separator, an English word or the line's start; "e" at a clause's end stays.
  EXPECT_UNITS(Convert("ha"), (std::u16string{HEH, ALEF}));
  EXPECT_UNITS(Convert("ketab, ha"), ketab + ARABIC_COMMA + (std::u16string{u' ', HEH, ALEF}));
  LoadEnglishWords(std::vector<std::string>{"hello=Whole"});
  EXPECT_UNITS(Convert("hello ha"), (u"hello " + std::u16string{HEH, ALEF}));
  EXPECT_UNITS(Convert("ketab e."), ketab + (std::u16string{u' ', ALEF, u'.'}));
}

class ModernOrthographyTest : public SmartSpellingTest {
 protected:
  void SetUp() override {
    SmartSpellingTest::SetUp();
    SmartSpelling = 0;
    ModernOrthography = 1;
  }
};

TEST_F(ModernOrthographyTest, FarsiYehAndAJoinerAfterMiAndNemi) {
  files_.Use("", "", "");
  EXPECT_UNITS(Convert("bibi"), (std::u16string{BEH, FARSI_YEH, BEH, FARSI_YEH}));
  EXPECT_UNITS(Convert("miravam"), (std::u16string{MEEM, FARSI_YEH, ZWNJ, REH, WAW, MEEM}));
  EXPECT_UNITS(Convert("nemiravam"), (std::u16string{NOON, MEEM, FARSI_YEH, ZWNJ, REH, WAW, MEEM}));
  EXPECT_UNITS(Convert("beravam"), (std::u16string{BEH, REH, WAW, MEEM}));
  // A single letter after mi is no verb: "miz".
  EXPECT_UNITS(Convert("miz"), (std::u16string{MEEM, FARSI_YEH, ZAIN}));
  EXPECT_UNITS(Convert("mive"), (std::u16string{MEEM, FARSI_YEH, ZWNJ, WAW, HEH}));
  // A word of its own that the core list writes joined keeps no joiner.
  files_.Use("\u0645\u06CC\u0648\u0647\n", "", "");
  EXPECT_UNITS(Convert("mive"), (std::u16string{MEEM, FARSI_YEH, WAW, HEH}));
  DictionaryMode = 0;  // the prefix is split by the dictionary stage only
  EXPECT_UNITS(Convert("miravam"), (std::u16string{MEEM, FARSI_YEH, REH, WAW, MEEM}));
}

TEST_F(ModernOrthographyTest, AJoinerBeforeThePluralOfAListedNoun) {
  const std::u16string ketab{KEHEH, TEH, ALEF, BEH};
  files_.Use("", "", "");
  EXPECT_UNITS(Convert("ketaabha"), ketab + HEH + ALEF);  // without lists, no noun is known
  files_.Use("\u062A\u0646\n\u062A\u0646\u0647\u0627\n", "", kKetab + " 5\n");
  EXPECT_UNITS(Convert("ketaabha"), ketab + ZWNJ + HEH + ALEF);
  EXPECT_UNITS(Convert("ketaabhaay"), ketab + ZWNJ + (std::u16string{HEH, ALEF, FARSI_YEH}));
  EXPECT_UNITS(Convert("tanha"), (std::u16string{TEH, NOON, HEH, ALEF}));
}

TEST_F(ModernOrthographyTest, WithSmartSpellingTheChosenVerbIsJoined) {
  files_.Use("", "", "\u062E\u0648\u0631 50\n");
  SmartSpelling = 1;
  EXPECT_UNITS(Convert("mikhoram"), (std::u16string{MEEM, FARSI_YEH, ZWNJ, KHAH, WAW, REH, MEEM}));
}

// Random lines of Romanesh as the generators of the benchmarks make them, with punctuation,
// digits, capitals, apostrophes and marked runs.
std::vector<std::string> RandomLines(size_t count, uint32_t seed) {
  static constexpr const char* kPieces[] = {
      "sa", "la", "m",  "kh", "oo", "bi", "mi", "ra", "ha", "ye",  "sh",  "gh",  "e``", "a`",
      "s`", "ke", "to", "na", "be", "ou", "ee", "x",  "q",  "c",   "u",   "2",   "30",  "A",
      "K",  " ",  " ",  " ",  ", ", ". ", "? ", "'",  "\r", "ha ", " e ", " o ", "an",  "e"};
  std::mt19937 random(seed);
  std::uniform_int_distribution<size_t> piece(0, std::size(kPieces) - 1), length(0, 30);
  std::vector<std::string> lines(count);
  for (std::string& line : lines)
    for (size_t n = length(random); n > 0; --n) line += kPieces[piece(random)];
  return lines;
}

TEST_F(SmartSpellingTest, WithBothOptionsOffEveryResultIsTheRulesOwn) {
  files_.Use("\u0645\u06CC\u0648\u0647\n", "", kKetab + " 5\n\u0633\u0644\u0627\u0645 9\n");
  AddDefaultEntries();
  LoadEnglishWords(std::vector<std::string>{"Khabar=Whole"});
  const std::vector<std::string> lines = RandomLines(3000, 5);
  for (const uint8_t dictionary : {1, 0}) {
    DictionaryMode = dictionary;
    SmartSpelling = ModernOrthography = 0;
    std::vector<std::u16string> before;
    for (const std::string& line : lines) before.push_back(ConvertLine(line));
    // Single words convert as TransliterateWord alone reads them.
    for (const std::string& line : lines) {
      const bool word = !line.empty() &&
                        std::all_of(line.begin(), line.end(), [](char c) { return IsWordChar(c); });
      if (word && !IsEnglishWord(line)) {
        ASSERT_EQ(ConvertSegment(line), TransliterateWord(line)) << line;
      }
    }
    // The options leave nothing behind that changes the rules' results afterwards.
    SmartSpelling = ModernOrthography = 1;
    for (const std::string& line : lines) ConvertLine(line);
    SmartSpelling = ModernOrthography = 0;
    for (size_t i = 0; i < lines.size(); ++i)
      ASSERT_EQ(Units(ConvertLine(lines[i])), Units(before[i])) << "line " << i;
    EXPECT_EQ(DictionaryMode, dictionary);
  }
}

}  // namespace
