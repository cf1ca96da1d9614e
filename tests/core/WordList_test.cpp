#include "WordList.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <random>
#include <set>

#include "Skeleton.h"
#include "WordListFiles.h"

namespace {

std::u16string Key(std::u16string_view persian) {
  std::u16string key;
  AppendLookupKey(persian, key);
  return key;
}

TEST(LookupKeyTest, FoldsLetterFormsAndDropsWhatTheListsLeaveOut) {
  // ARABIC YEH, ALEF MAKSURA and ARABIC KAF as the Persian letters; ZWNJ, tatweel, shadda and
  // tanvin gone.
  EXPECT_EQ(Key(u"\u0627\u064A\u0646"), u"\u0627\u06CC\u0646");
  EXPECT_EQ(Key(u"\u0645\u0648\u0633\u0649"), u"\u0645\u0648\u0633\u06CC");
  EXPECT_EQ(Key(u"\u0643\u062A\u0627\u0628"), u"\u06A9\u062A\u0627\u0628");
  EXPECT_EQ(Key(u"\u0645\u06CC\u200C\u0631\u0648\u0645"), u"\u0645\u06CC\u0631\u0648\u0645");
  EXPECT_EQ(Key(u"\u0645\u0639\u0644\u0651\u0645"), u"\u0645\u0639\u0644\u0645");
  EXPECT_EQ(Key(u"\u06A9\u0627\u0645\u0644\u0627\u064B"), u"\u06A9\u0627\u0645\u0644\u0627");
  EXPECT_EQ(Key(u"\u0628\u0640\u0627"), u"\u0628\u0627");
  std::u16string appended = u"x";
  AppendLookupKey(u"\u064A", appended);
  EXPECT_EQ(appended, u"x\u06CC");
}

TEST(WordListTest, FrequencyCountsAddUpOverSpellingsWithOneKey) {
  TWordList list;
  list.AddLines(
      "\u0627\u064A\u0646 10\n"  // with ARABIC YEH
      "\u0627\u06CC\u0646 5\r\n"
      "\u060C 900\n"  // punctuation, a Latin word, a digit, a line without a count
      "hello 7\n"
      "\u06F5 3\n"
      "\u0628\u0627\n"
      "\u0628\u0627 0\n"
      "\u062F\u0631 2",
      wlFrequency);
  EXPECT_EQ(list.Size(), 2u);
  const TWordInfo* in = list.Find(u"\u0627\u06CC\u0646");
  ASSERT_NE(in, nullptr);
  EXPECT_EQ(in->Count, 15u);
  ASSERT_NE(list.Find(u"\u062F\u0631"), nullptr) << "a last line without its end counts too";
  EXPECT_EQ(list.TopCount(), 15u);
  EXPECT_EQ(list.LeastCount(), 2u);
  EXPECT_EQ(list.Loaded(), wlFrequency);
  EXPECT_EQ(list.Find(u"\u0628\u0627"), nullptr);
  EXPECT_EQ(list.Find(u"\u060C"), nullptr);
}

TEST(WordListTest, ListsAndJoinersAccumulatePerKey) {
  TWordList list;
  list.AddLines("\u0645\u06CC\u0631\u0648\u0645\n\u062A\u0646\u0647\u0627\n", wlCore);
  list.AddLines(
      "\u0645\u06CC\u200C\u0631\u0648\u0645\n\u06A9\u062A\u0627\u0628\u200C\u0647\u0627\n"
      "\u06A9\u062A\u0627\u0628\n",
      wlFull);
  const TWordInfo* verb = list.Find(u"\u0645\u06CC\u0631\u0648\u0645");
  ASSERT_NE(verb, nullptr);
  EXPECT_EQ(verb->Lists, wlCore | wlFull);
  EXPECT_EQ(verb->Joiners, jnAfterPrefix);
  EXPECT_EQ(verb->Count, 0u);
  const TWordInfo* plural = list.Find(u"\u06A9\u062A\u0627\u0628\u0647\u0627");
  ASSERT_NE(plural, nullptr);
  EXPECT_EQ(plural->Joiners, jnBeforePlural);
  EXPECT_EQ(list.Find(u"\u062A\u0646\u0647\u0627")->Joiners, 0);
  EXPECT_EQ(list.Size(), 4u);
  EXPECT_EQ(list.Loaded(), wlCore | wlFull);
  EXPECT_EQ(list.TopCount(), 0u);
  EXPECT_EQ(list.Find(u""), nullptr);
  list.Clear();
  EXPECT_EQ(list.Find(u"\u06A9\u062A\u0627\u0628"), nullptr);
  EXPECT_EQ(list.Loaded(), 0);
}

TEST(WordListTest, ManyWordsAreAllFoundAndThePrefixFilterNeverMissesOne) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int> letter(0x0628, 0x063A), length(1, 9);
  std::vector<std::u16string> words;
  std::string lines;
  for (int i = 0; i < 60000; ++i) {
    std::u16string word;
    for (int n = length(random); n > 0; --n) word += char16_t(letter(random));
    words.push_back(word);
    for (const char16_t c : word) lines += {char(0xC0 | (c >> 6)), char(0x80 | (c & 0x3F))};
    lines += " 1\n";
  }
  TWordList list;
  list.AddLines(lines, wlFrequency);
  list.ShrinkToFit();
  size_t strangers = 0, admitted = 0;
  for (const std::u16string& word : words) {
    ASSERT_NE(list.Find(word), nullptr);
    for (size_t n = 1; n <= word.size(); ++n) ASSERT_TRUE(list.BeginsKey(word.substr(0, n)));
    std::u16string stranger = word + u"\u0646\u0646\u0646";
    if (list.Find(stranger) == nullptr) ++strangers, admitted += list.BeginsKey(stranger);
  }
  EXPECT_LT(admitted, strangers / 20) << "the filter admits too many prefixes that begin no key";
  EXPECT_LT(list.Bytes(), size_t(7) << 20);
}

TEST(WordListTest, PrefixesSharedWithTheWordBeforeAreBegunAndCounted) {
  // Words of three letters in order, so that each shares most of its prefixes with the one
  // before; some longer than the longest prefix the tables hold.
  std::mt19937 random(5);
  std::uniform_int_distribution<int> letter(0, 2), length(1, 15), count(1, 1000);
  std::map<std::u16string, uint32_t> counts;
  while (counts.size() < 3000) {
    std::u16string word;
    for (int n = length(random); n > 0; --n) word += u"\u0628\u062A\u062F"[letter(random)];
    counts[word] = uint32_t(count(random));
  }
  std::string lines;
  for (const auto& [word, n] : counts) {
    for (const char16_t c : word) lines += {char(0xC0 | (c >> 6)), char(0x80 | (c & 0x3F))};
    lines += " " + std::to_string(n) + "\n";
  }
  TWordList list;
  list.AddLines(lines, wlFrequency);
  std::map<std::u16string, uint32_t> most;  // by prefix
  for (const auto& [word, n] : counts)
    for (size_t length = 1; length <= std::min(word.size(), TWordList::kLongestFiltered); ++length)
      most[word.substr(0, length)] = std::max(most[word.substr(0, length)], n);
  for (const auto& [prefix, n] : most) {
    ASSERT_TRUE(list.BeginsKey(prefix)) << prefix.size();
    if (prefix.size() >= TWordList::kShortestFiltered) {
      ASSERT_EQ(list.MostCountBeginning(prefix), n) << prefix.size();
    }
  }
}

TEST(WordListTest, PrefixesOfALongKeyAreAskedAboutByLength) {
  // Longer than the prefix hashes that a key keeps at hand.
  std::u16string word(60, u'\u0628');
  word.back() = u'\u062A';
  std::string line;
  for (const char16_t c : word) line += {char(0xC0 | (c >> 6)), char(0x80 | (c & 0x3F))};
  TWordList list;
  list.AddLines(line + " 3\n", wlFrequency);
  const std::u16string longer = word + u"\u0645\u0646";
  const TKeyPrefixes prefixes(longer);
  ASSERT_NE(list.Find(prefixes, word.size()), nullptr);
  EXPECT_EQ(list.Find(prefixes, word.size() - 1), nullptr);
  EXPECT_EQ(list.Find(prefixes, longer.size()), nullptr);
  EXPECT_TRUE(list.BeginsKey(prefixes, 55));
  EXPECT_EQ(list.MostCountBeginning(prefixes, 5), 3u);
}

TEST(WordListTest, EveryWordIsFoundByItsSkeleton) {
  // Letters each of its own sound and none a vowel letter: a word is its own skeleton.
  const std::u16string letters =
      u"\u0628\u062A\u062C\u062F\u0631\u0633\u0641\u0642\u0644\u0645\u0646";
  std::mt19937 random(11);
  std::uniform_int_distribution<size_t> letter(0, letters.size() - 1), length(2, 9);
  std::set<std::u16string> words;
  while (words.size() < 50000) {
    std::u16string word;
    for (size_t n = length(random); n > 0; --n) word += letters[letter(random)];
    words.insert(word);
  }
  std::string lines;
  for (const std::u16string& word : words) {
    for (const char16_t c : word) lines += {char(0xC0 | (c >> 6)), char(0x80 | (c & 0x3F))};
    lines += "\n";
  }
  TWordList list;
  list.AddLines(lines, wlCore);
  for (const std::u16string& word : words) {
    const auto same = list.SameSkeleton(word);
    ASSERT_EQ(same.size(), 1u);
    ASSERT_EQ(list.Key(same[0]), word);
  }
  EXPECT_TRUE(list.SameSkeleton(std::u16string(12, u'\u0628')).empty());
}

TEST(SkeletonTest, KeepsConsonantsBySoundAndDropsVowelLettersAndAFinalHeh) {
  const auto skeleton = [](std::u16string_view key) {
    std::u16string letters = u"x";
    AppendSkeleton(key, letters);
    return letters.substr(1);
  };
  // TAH, SAD, THEH, THAL, DAD, ZAH, HAH, GHAIN as TEH, SEEN, SEEN, ZAIN, ZAIN, ZAIN, HEH, QAF.
  EXPECT_EQ(skeleton(u"\u0637\u0635\u062B\u0630\u0636\u0638\u062D\u063A"),
            u"\u062A\u0633\u0633\u0632\u0632\u0632\u0647\u0642");
  // ALEF, ALEF MADDA, WAW, YEH, AIN, HAMZA and its seats go; a HEH goes only at the end.
  EXPECT_EQ(skeleton(u"\u0622\u0628\u0627\u0648\u06CC\u0639\u0621\u0623\u0624\u0625\u0626"
                     u"\u0647\u0646\u0647"),
            u"\u0628\u0647\u0646");
  // Letters outside the Arabic block are their own, a NUL too.
  EXPECT_EQ(skeleton(std::u16string(u"a\u0628\0", 3)), std::u16string(u"a\u0628\0", 3));
  EXPECT_EQ(skeleton(u"\u0627\u0648\u0647"), u"");
}

TEST(SkeletonTest, ADistanceIsGivenUpOnlyWhenItWouldReachTheBound) {
  // Keys of vowel letters, consonants and letters of one sound, so that every kind of step and
  // unrelated pairs occur; each pair's distance against a bound around it.
  const std::u16string letters = u"\u0627\u0622\u0648\u06CC\u0639\u0628\u062A\u0637\u0633\u0647";
  std::mt19937 random(7);
  const auto key = [&] {
    std::u16string k(1 + random() % 7, u' ');
    for (char16_t& c : k) c = letters[random() % letters.size()];
    return k;
  };
  const TSkeletonCosts costs;
  for (int i = 0; i < 3000; ++i) {
    const std::u16string typed = key(), listed = key();
    const float exact = SkeletonDistance(typed, listed, costs);
    const float penalty = float(random() % 5);
    for (const float bound : {exact + penalty, exact + penalty + 0.25f, exact + penalty - 0.25f}) {
      const float bounded = SkeletonDistance(typed, listed, costs, penalty, bound);
      if (exact + penalty < bound)
        EXPECT_EQ(bounded, exact);
      else
        EXPECT_EQ(bounded, std::numeric_limits<float>::infinity());
    }
  }
}

TEST(WordListTest, FindsBySkeletonWordsAddedAfterTheFirstLookup) {
  // KTAB, then KTB and ALEF WAW (no skeleton) after the index was built for the first.
  TWordList list;
  list.AddLines("\u06A9\u062A\u0627\u0628\n", wlCore);
  ASSERT_EQ(list.SameSkeleton(u"\u06A9\u062A\u0628").size(), 1u);
  list.AddLines("\u06A9\u062A\u0628\n\u0627\u0648\n", wlFull);
  const auto same = list.SameSkeleton(u"\u06A9\u062A\u0628");
  ASSERT_EQ(same.size(), 2u);
  EXPECT_EQ(list.Key(same[0]), u"\u06A9\u062A\u0627\u0628");
  EXPECT_EQ(list.Key(same[1]), u"\u06A9\u062A\u0628");
  EXPECT_TRUE(list.SameSkeleton(u"").empty());
}

TEST(AspellDumpTest, HandsOnWholeLinesAndTellsAMissingDictionary) {
  TWordListFiles files;
  std::string words;
  for (int i = 0; i < 20000; ++i) words += "\u06A9\u062A\u0627\u0628" + std::to_string(i) + "\n";
  files.Write("full.txt", words);
  TWordListSources sources = files.Sources();
  std::string seen;
  EXPECT_TRUE(DumpAspellDictionary(sources, "fa", [&](std::string_view lines) {
    EXPECT_EQ(lines.back(), '\n');
    seen += lines;
  }));
  EXPECT_EQ(seen, words);
  const auto ignore = [](std::string_view) {};
  EXPECT_FALSE(DumpAspellDictionary(sources, "fa-generic", ignore));  // no core.txt
  EXPECT_FALSE(DumpAspellDictionary(sources, "de", ignore));
  sources.AspellProgram = files.Path("no-such-program");
  EXPECT_FALSE(DumpAspellDictionary(sources, "fa", ignore));
  sources.AspellProgram.clear();
  EXPECT_FALSE(DumpAspellDictionary(sources, "fa", ignore));
}

TEST(AspellDumpTest, DumpsStartedAtOnceAreEachReadWholeAndOneLeftUnreadEnds) {
  // Each larger than a pipe holds, so that the full list's writer waits while the core list
  // is read.
  TWordListFiles files;
  std::string core, full;
  for (int i = 0; i < 100000; ++i) {
    core += "\u062F\u0631" + std::to_string(i) + "\n";
    full += "\u06A9\u062A\u0627\u0628" + std::to_string(i) + "\n";
  }
  files.Write("core.txt", core);
  files.Write("full.txt", full);
  TAspellDump coreDump(files.Sources(), "fa-generic"), fullDump(files.Sources(), "fa");
  TAspellDump unread(files.Sources(), "fa");
  std::string coreSeen, fullSeen;
  EXPECT_TRUE(coreDump.Read([&](std::string_view lines) { coreSeen += lines; }));
  EXPECT_TRUE(fullDump.Read([&](std::string_view lines) { fullSeen += lines; }));
  EXPECT_EQ(coreSeen, core);
  EXPECT_EQ(fullSeen, full);
}

TEST(LoadedWordListsTest, ReportWhichListIsMissing) {
  TWordListFiles files;
  files.Use("\u062F\u0631\n", "\u062F\u0627\u0631\n", "\u06A9\u0647 10\n");
  EXPECT_EQ(MissingWordLists(), 0);
  EXPECT_EQ(MissingWordListsText(), "");
  EXPECT_EQ(WordLists().Size(), 3u);
  EXPECT_TRUE(IsListedWord(u"\u062F\u0627\u0631"));
  EXPECT_TRUE(IsListedWord(u"\u0643\u0647"));  // with ARABIC KAF, as the rules never write it
  EXPECT_FALSE(IsListedWord(u"\u062F\u0648\u0631"));
  const uint64_t generation = WordListsGeneration();

  files.Use("\u062F\u0631\n", "\u062F\u0627\u0631\n", "");
  EXPECT_EQ(MissingWordLists(), wlFrequency);
  EXPECT_NE(MissingWordListsText().find("frequency list is missing"), std::string::npos);
  EXPECT_NE(WordListsGeneration(), generation);

  files.Use("", "", "\u06A9\u0647 10\n");
  EXPECT_EQ(MissingWordLists(), wlCore | wlFull);
  EXPECT_NE(MissingWordListsText().find("aspell-fa is not installed"), std::string::npos);
  EXPECT_NE(WordLists().Find(u"\u06A9\u0647"), nullptr);

  files.Use("", "", "");
  EXPECT_EQ(MissingWordLists(), wlCore | wlFull | wlFrequency);
  EXPECT_NE(MissingWordListsText().find("no word list"), std::string::npos);
  EXPECT_EQ(WordLists().Size(), 0u);
  SetWordListSources({});
}

TEST(LoadedWordListsTest, TheBuildKeepsTheFrequencyListWhereProgramsLookForIt) {
  // This test's own directory stands in the build tree as the programs' directories do.
  const TWordListSources sources = DefaultWordListSources(
      std::filesystem::read_symlink("/proc/self/exe").parent_path().string());
  EXPECT_TRUE(std::filesystem::is_regular_file(sources.FrequencyFile)) << sources.FrequencyFile;
}

}  // namespace
