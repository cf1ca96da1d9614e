#include "Dictionary.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "EngineTestSupport.h"

namespace {

namespace fs = std::filesystem;

// The lookups written as plain scans over the sorted lines, to hold the fast ones against.
class ReferenceSection {
 public:
  explicit ReferenceSection(TDicKind kind) : kind_(kind) {}

  void Add(std::string key, std::string_view value) {
    if (kind_ == dkSuffix) std::reverse(key.begin(), key.end());
    std::string line = key + "=" + std::string(value);
    if (std::find(lines_.begin(), lines_.end(), line) == lines_.end()) lines_.push_back(line);
    std::sort(lines_.begin(), lines_.end());
  }
  void Set(std::string_view key, std::string_view value) {
    size_t i = FirstWithKey(key);
    if (key == value || value.empty()) {
      if (i < lines_.size()) lines_.erase(lines_.begin() + i);
      return;
    }
    if (i < lines_.size()) lines_.erase(lines_.begin() + i);
    Add(std::string(key), value);
  }
  void Delete(std::string_view key) {
    size_t i = FirstWithKey(key);
    if (i < lines_.size()) lines_.erase(lines_.begin() + i);
  }

  std::string Find(std::string_view word) const {
    if (word.empty() || !Lower(word[0])) return "";
    for (size_t i : Range(kind_ == dkSuffix ? word.back() : word[0]))
      if (Key(i) == word) return Value(i);
    return "";
  }

  std::string FindPart(std::string_view w) const {
    std::string word(w);
    if (word.empty()) return "";
    switch (kind_) {
      case dkWhole:
        if (lines_.empty() || !Lower(word[0])) return word;
        for (size_t i : Range(word[0]))
          if (Key(i) == word) return Value(i);
        return word;
      case dkSuffix:
        if (lines_.empty() || !Lower(word.back())) return word;
        for (size_t i : Range(word.back())) {
          std::string key = Key(i);
          if (key.size() > word.size() || !word.ends_with(key)) continue;
          bool take = key[0] != 'h' || key.size() >= word.size() ||
                      std::string_view("cgkpsz").find(word[word.size() - key.size() - 1]) ==
                          std::string_view::npos;
          if (take) return word.substr(0, word.size() - key.size()) + Value(i);
        }
        return word;
      case dkPrefix: {
        if (lines_.empty() || !Lower(word[0])) return word;
        size_t best = lines_.size();
        for (size_t i : Range(word[0]))
          if (word.starts_with(Key(i)) &&
              (best == lines_.size() || Key(i).size() > Key(best).size()))
            best = i;
        if (best == lines_.size()) return word;
        std::string key = Key(best);
        if (key.size() < word.size()) {
          char n = word[key.size()];
          if (n == '\'' || n == '`') return word;
          if (n == 'h' && std::string_view("cgkpsz").find(key.back()) != std::string_view::npos)
            return word;
        }
        return ReplaceFirstFolded(word, key, Value(best));
      }
      case dkMiddle:
        for (size_t i = 0; i < lines_.size(); ++i)
          if (!Key(i).empty() && word.find(Key(i)) != std::string::npos)
            return ReplaceFirstFolded(word, Key(i), Value(i));
        return word;
      default:
        return "";
    }
  }

  const std::vector<std::string>& Lines() const { return lines_; }

 private:
  static bool Lower(char c) { return c >= 'a' && c <= 'z'; }
  static unsigned char Fold(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDF) ? c + 32 : c;
  }
  static std::string ReplaceFirstFolded(const std::string& word, const std::string& key,
                                        const std::string& value) {
    for (size_t p = 0; p + key.size() <= word.size(); ++p) {
      bool same = true;
      for (size_t j = 0; j < key.size() && same; ++j) same = Fold(word[p + j]) == Fold(key[j]);
      if (same) return word.substr(0, p) + value + word.substr(p + key.size());
    }
    ADD_FAILURE() << "no occurrence of " << key << " in " << word;
    return word;
  }
  std::string StoredKey(size_t i) const { return lines_[i].substr(0, lines_[i].find('=')); }
  std::string Key(size_t i) const {
    std::string k = StoredKey(i);
    if (kind_ == dkSuffix) std::reverse(k.begin(), k.end());
    return k;
  }
  std::string Value(size_t i) const { return lines_[i].substr(lines_[i].find('=') + 1); }
  std::vector<size_t> Range(char c) const {
    std::vector<size_t> r;
    for (size_t i = 0; i < lines_.size(); ++i)
      if (!StoredKey(i).empty() && StoredKey(i)[0] == c) r.push_back(i);
    return r;
  }
  size_t FirstWithKey(std::string_view key) const {
    for (size_t i = 0; i < lines_.size(); ++i)
      if (Key(i) == key) return i;
    return lines_.size();
  }

  TDicKind kind_;
  std::vector<std::string> lines_;
};

// Short strings over few letters, so that keys overlap, repeat and nest; with the marks, a
// capital, an "=" and a high byte that sort on both sides of "=" and of the letters.
std::string RandomText(std::mt19937& rng, size_t maxLength) {
  static const std::string common = "aabhhcsz'`";
  static const std::string rare = "A=\xC1\xE1k";
  std::string s(std::uniform_int_distribution<size_t>(0, maxLength)(rng), 'a');
  for (char& c : s) c = rng() % 10 ? common[rng() % common.size()] : rare[rng() % rare.size()];
  return s;
}

// ZEFRA_LOOKUP_SEEDS raises the number of random sections for a longer run.
uint32_t RandomSeeds() {
  const char* text = std::getenv("ZEFRA_LOOKUP_SEEDS");
  return text ? static_cast<uint32_t>(std::strtoul(text, nullptr, 10)) : 60;
}

TEST(DictionaryLookup, MatchesPlainScansOnRandomSections) {
  const uint32_t seeds = RandomSeeds();
  for (TDicKind kind : {dkWhole, dkSuffix, dkPrefix, dkMiddle}) {
    for (uint32_t seed = 1; seed <= seeds; ++seed) {
      std::mt19937 rng(seed * 7919 + kind);
      TDicValueObject section(kind);
      ReferenceSection reference(kind);
      for (int step = 0; step < 400; ++step) {
        const std::string key = RandomText(rng, 4), value = RandomText(rng, 3);
        switch (rng() % 8) {
          case 0:
          case 1:
          case 2:
            section.AddEntry(key, value);
            reference.Add(key, value);
            break;
          case 3: {
            const std::string newValue = rng() % 3 ? value : key;
            section.SetEntry(key, newValue);
            reference.Set(key, newValue);
            break;
          }
          case 4:
            section.DeleteEntry(key);
            reference.Delete(key);
            break;
          default:
            break;
        }
        ASSERT_EQ(section.Entries(), reference.Lines()) << "seed " << seed;
        // The same word several times in a row and both lookups on it exercise the cache.
        const std::string word = RandomText(rng, 7);
        for (int repeat = 0; repeat < 2; ++repeat) {
          ASSERT_EQ(section.FindPart(word), reference.FindPart(word))
              << "kind " << kind << " seed " << seed << " word " << word;
          ASSERT_EQ(section.MatchesPart(word), reference.FindPart(word) != word);
          if (kind == dkWhole || kind == dkPrefix) {
            ASSERT_EQ(section.Find(word), reference.Find(word)) << "seed " << seed << " " << word;
          }
          if (kind == dkPrefix) {
            // The engine's one walk answers as the two lookups it stands for.
            std::string part;
            const TDicValueObject::TBeginningMatch match = section.MatchBeginning(word, part);
            const std::string value = reference.Find(word), expected = reference.FindPart(word);
            ASSERT_EQ(match.Value, value) << "seed " << seed << " " << word;
            ASSERT_EQ(match.Changed, value.empty() && expected != word) << word;
            if (match.Changed) {
              ASSERT_EQ(part, expected) << word;
            }
          }
        }
      }
    }
  }
}

// Nodes with more children than a byte's low seven bits can count, every byte value as a letter,
// and keys that are each other's prefixes, held against the plain scans.
TEST(DictionaryLookup, WideNodesAndEveryByte) {
  std::vector<std::string> words;
  for (int b = 0; b < 256; ++b) {
    const char c = static_cast<char>(b);
    words.push_back(std::string("a") + c);
    words.push_back(std::string("a") + c + "b");
    words.push_back(std::string(1, c) + "a");
    words.push_back(std::string("xa") + c + "a");
  }
  for (TDicKind kind : {dkWhole, dkSuffix, dkPrefix, dkMiddle}) {
    TDicValueObject section(kind);
    ReferenceSection reference(kind);
    for (int b = 0; b < 256; b += 1 + (b % 3 == 0)) {
      if (b == '=') continue;
      const std::string key = std::string("a") + static_cast<char>(b);
      const std::string value = "v" + std::to_string(b);
      section.AddEntry(key, value);
      reference.Add(key, value);
      if (b % 5 == 0) {
        section.AddEntry(key + "b", value + "b");
        reference.Add(key + "b", value + "b");
      }
    }
    section.AddEntry("a", "A");
    reference.Add("a", "A");
    for (const std::string& word : words) {
      ASSERT_EQ(section.FindPart(word), reference.FindPart(word)) << "kind " << kind << " " << word;
      if (kind == dkWhole || kind == dkPrefix) {
        ASSERT_EQ(section.Find(word), reference.Find(word)) << "kind " << kind << " " << word;
      }
    }
  }
}

// Words with more keys nested in them than a lookup holds back at once, some followed by endings
// that the filter lets through by chance: the longest key still wins.
TEST(DictionaryLookup, ManyNestedPrefixKeys) {
  TDicValueObject section(dkPrefix);
  ReferenceSection reference(dkPrefix);
  for (size_t length : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 20, 30}) {
    section.AddEntry(std::string(length, 'a'), std::to_string(length));
    reference.Add(std::string(length, 'a'), std::to_string(length));
  }
  std::mt19937 rng(3);
  for (size_t length = 1; length <= 300; ++length) {
    std::string word(length <= 40 ? length : 16, 'a');
    if (length > 40)
      for (int i = 0; i < 40; ++i) word += static_cast<char>('b' + rng() % 20);
    ASSERT_EQ(section.FindPart(word), reference.FindPart(word)) << word;
    ASSERT_EQ(section.Find(word), reference.Find(word)) << word;
  }
}

// Words are turned away by their first two characters (last two, for suffixes) before any lookup:
// a key of one letter, or one with a 0 byte second, must still let through every word it fits.
TEST(DictionaryLookup, ShortKeysPassTheFirstCharactersFilter) {
  using namespace std::string_literals;
  struct Case {
    TDicKind kind;
    std::string key, word, expected;
  };
  const Case cases[] = {
      {dkWhole, "b", "b", "V"},
      {dkWhole, "b\0"s, "b\0"s, "V"},
      {dkPrefix, "b", "bxy", "Vxy"},
      {dkPrefix, "b\0"s, "b\0x"s, "Vx"},
      {dkPrefix, "b\0x"s, "b\0xy"s, "Vy"},
      {dkSuffix, "b", "xyb", "xyV"},
      {dkSuffix, "\0b"s, "x\0b"s, "xV"},
  };
  for (const Case& c : cases) {
    TDicValueObject section(c.kind);
    section.AddEntry(c.key, "V");
    EXPECT_TRUE(section.MayMatch(c.word)) << c.kind << " " << c.word;
    EXPECT_EQ(section.FindPart(c.word), c.expected) << c.kind << " " << c.word;
  }
}

// A middle node with a child for every byte but "=", more than its count byte holds.
TEST(DictionaryLookup, MiddleNodeWithEveryChild) {
  TDicValueObject section(dkMiddle);
  ReferenceSection reference(dkMiddle);
  for (int b = 1; b < 256; ++b) {
    if (b == '=') continue;
    const std::string key = std::string("q") + static_cast<char>(b);
    section.AddEntry(key, std::to_string(b));
    reference.Add(key, std::to_string(b));
  }
  for (int b = 0; b < 256; ++b) {
    const std::string word = std::string("xq") + static_cast<char>(b) + "q";
    ASSERT_EQ(section.FindPart(word), reference.FindPart(word)) << b;
  }
}

// Long keys, with many borders, over two letters in both cases: the occurrence replaced is the
// first one without regard to case, often well before the exact one that chose the key.
TEST(DictionaryLookup, LongMiddleKeysAgainstPlainScans) {
  std::mt19937 rng(42);
  const auto text = [&rng](size_t length) {
    std::string s(length, 'a');
    for (char& c : s) c = "aAbB"[rng() % (rng() % 5 ? 2 : 4)];
    return s;
  };
  for (int round = 0; round < 200; ++round) {
    const std::string key = text(33 + rng() % 40);
    TDicValueObject section(dkMiddle);
    ReferenceSection reference(dkMiddle);
    section.AddEntry(key, "X");
    reference.Add(key, "X");
    const std::string word = text(rng() % 80) + key + text(rng() % 20);
    ASSERT_EQ(section.FindPart(word), reference.FindPart(word)) << word;
  }
}

// A copy answers from its own entries, before and after either side changes.
TEST(DictionaryLookup, CopiesKeepTheirOwnEntries) {
  for (TDicKind kind : {dkWhole, dkSuffix, dkPrefix, dkMiddle}) {
    TDicValueObject section(kind);
    section.LoadFromStrings({"ab=X", "b=Y"});
    const std::string before = section.FindPart("cab");
    TDicValueObject copy = section;
    copy.AddEntry("ca", "Z");
    copy.AddEntry("ac", "Z");
    EXPECT_EQ(section.FindPart("cab"), before) << kind;
    section.DeleteEntry("ab");
    section.DeleteEntry("b");
    EXPECT_EQ(section.FindPart("cab"), "cab") << kind;
    const char* expected[] = {"", "cab", "caY", "Zb", "cX"};
    EXPECT_EQ(copy.FindPart("cab"), expected[kind]) << kind;
  }
}

// A section of no kind matches nothing, and its empty answer is never served from the cache.
TEST(DictionaryLookup, SectionOfNoKind) {
  TDicValueObject none(dkNone);
  none.AddEntry("salam", "salaam");
  EXPECT_EQ(none.Find("salam"), "");
  EXPECT_EQ(none.FindPart("salam"), "");
  EXPECT_EQ(none.FindPart("salam"), "");
  EXPECT_TRUE(none.MatchesPart("salam"));
}

TEST(DictionaryLookup, LargeSectionsLoadWholeAndAreFound) {
  std::vector<std::string> lines;
  for (size_t i = 0; i < 70000; ++i) {
    const std::string n = std::to_string(i);
    lines.push_back(std::string("k").append(n).append("x=v").append(n));
  }
  for (TDicKind kind : {dkWhole, dkPrefix, dkSuffix, dkMiddle}) {
    TDicValueObject section(kind);
    section.LoadFromStrings(lines);
    ASSERT_EQ(section.Count(), 70000u);
    EXPECT_EQ(section.Find("k69999x"), kind == dkMiddle ? "" : "v69999");
    const std::string word = kind == dkSuffix ? "ak69999x" : "k69999xa";
    EXPECT_EQ(section.FindPart(word), kind == dkWhole    ? word
                                      : kind == dkSuffix ? "av69999"
                                                         : "v69999a");
    std::vector<std::string> saved;
    section.SaveToStrings(saved);
    EXPECT_EQ(saved.size(), 70000u);
  }
}

TDicValueObject DefaultSection(TDicKind kind) {
  TDicValueObject section(kind);
  if (kind == dkWhole)
    for (const TDicPair& p : DefaultWholeWords) section.AddEntry(p.Key, p.Value);
  if (kind == dkPrefix)
    for (const TDicPair& p : DefaultPrefixWords) section.AddEntry(p.Key, p.Value);
  if (kind == dkSuffix)
    for (const TDicPair& p : DefaultSuffixWords) section.AddEntry(p.Key, p.Value);
  return section;
}

TEST(DictionaryLookup, DefaultEntries) {
  struct Case {
    TDicKind kind;
    bool part;  // FindPart, else Find
    std::string word, expected;
  };
  const Case cases[] = {
      {dkWhole, false, "salam", "salaam"},
      {dkWhole, false, "salaam", ""},
      {dkWhole, false, "Salam", ""},
      {dkWhole, false, "aya", "aaya"},
      {dkPrefix, true, "ghorbon", "ghorboon"},
      {dkPrefix, true, "ghorbonet", "ghorboonet"},
      {dkPrefix, true, "ghorbon`et", "ghorbon`et"},
      {dkPrefix, true, "ghorbon'et", "ghorbon'et"},
      {dkSuffix, true, "ketabhaton", "ketabhatoon"},
      {dkSuffix, true, "ketabhashan", "ketabhashaan"},
      {dkSuffix, true, "ketab", "ketab"},
      {dkSuffix, true, "", ""},
      {dkMiddle, true, "salam", "salam"},
  };
  for (const Case& c : cases) {
    TDicValueObject section = DefaultSection(c.kind);
    EXPECT_EQ(c.part ? section.FindPart(c.word) : section.Find(c.word), c.expected) << c.word;
  }
  EXPECT_EQ(DefaultSection(dkWhole).Count(), 14u);
}

TEST(DictionaryLookup, AffixRefusals) {
  struct Case {
    TDicKind kind;
    std::vector<std::string> lines;
    std::string word, expected;
  };
  const Case cases[] = {
      {dkPrefix, {"mas=maas"}, "mashin", "mashin"},
      {dkPrefix, {"mas=maas"}, "mast", "maast"},
      {dkPrefix, {"mas=maas"}, "MASt", "MASt"},           // a word not beginning with a-z
      {dkPrefix, {"ma=MA", "mas=maas"}, "mash", "mash"},  // the longer key refused; no fallback
      {dkPrefix, {"ma=MA", "mas=maas"}, "mast", "maast"},
      {dkSuffix, {"ha=haa"}, "cha", "cha"},
      {dkSuffix, {"ha=haa"}, "bha", "bhaa"},
      {dkSuffix, {"ha=haa"}, "ha", "haa"},
      {dkSuffix, {"a=A", "ha=haa"}, "cha", "chA"},  // the refused key lets the next one in
      // An ending whose reversed line sorts first wins even though it is longer.
      {dkSuffix, {"b=B", "'b=Q"}, "x'b", "xQ"},
      {dkMiddle, {"ab=X", "b=Y"}, "cabc", "cXc"},
      {dkMiddle, {"cb=X", "b=Y"}, "cbz", "cYz"},  // list order, not position in the word
      // Found by its exact occurrence, replaced where it first occurs in any case.
      {dkMiddle, {"ab=X"}, "AB_ab", "X_ab"},
      {dkMiddle, {"\xE1=e"}, "\xC1\xE1", "e\xE1"},
      {dkWhole, {"a=b=c"}, "a=b", "a=b"},  // a word holding "=" is no key
      {dkWhole, {"ab="}, "ab", ""},
  };
  for (const Case& c : cases) {
    TDicValueObject section(c.kind);
    section.LoadFromStrings(c.lines);
    EXPECT_EQ(section.FindPart(c.word), c.expected) << c.word;
  }
}

TEST(DictionaryLookup, CacheServesOnlyTheLookupThatStoredIt) {
  TDicValueObject prefix = DefaultSection(dkPrefix);
  EXPECT_EQ(prefix.FindPart("ghorbonet"), "ghorboonet");
  EXPECT_EQ(prefix.Find("ghorbonet"), "");
  EXPECT_EQ(prefix.Find("ghorbon"), "ghorboon");
  EXPECT_EQ(prefix.FindPart("ghorbon"), "ghorboon");

  TDicValueObject whole = DefaultSection(dkWhole);
  EXPECT_EQ(whole.Find("salam"), "salaam");
  whole.SetEntry("salam", "salaaam");
  EXPECT_EQ(whole.Find("salam"), "salaaam");
  EXPECT_EQ(whole.FindPart("dorood"), "dorood");
  whole.AddEntry("dorood", "doroood");
  EXPECT_EQ(whole.FindPart("dorood"), "doroood");
}

TEST(DictionarySection, Changes) {
  TDicValueObject whole = DefaultSection(dkWhole);
  whole.Modified = false;
  whole.SetEntry("salam", "salaam2");
  EXPECT_EQ(whole.Find("salam"), "salaam2");
  EXPECT_TRUE(whole.Modified);
  whole.SetEntry("salam", "salam");
  EXPECT_EQ(whole.Find("salam"), "");
  whole.AddEntry("salam", "x");
  whole.SetEntry("salam", "");
  EXPECT_EQ(whole.Find("salam"), "");
  EXPECT_EQ(whole.Count(), 13u);

  TDicValueObject twice(dkWhole);
  twice.AddEntry("a", "b");
  twice.AddEntry("a", "b");
  twice.AddEntry("a", "c");
  EXPECT_EQ(twice.Entries(), (std::vector<std::string>{"a=b", "a=c"}));
  // Giving the first line the other line's value leaves one line, not two identical ones.
  twice.SetEntry("a", "c");
  EXPECT_EQ(twice.Entries(), (std::vector<std::string>{"a=c"}));

  TDicValueObject suffix(dkSuffix);
  suffix.AddEntry("ton", "toon");
  EXPECT_EQ(suffix.Entries(), (std::vector<std::string>{"not=toon"}));
  EXPECT_EQ(suffix.Key(0), "ton");
  EXPECT_EQ(suffix.Value(0), "toon");
  suffix.DeleteEntry("ton");
  EXPECT_EQ(suffix.Count(), 0u);
}

TEST(DictionarySection, LoadAndSaveLines) {
  TDicValueObject whole(dkWhole);
  whole.LoadFromStrings({"zed=z", "no equals sign", "Beta=b", "alpha=a=b", "=empty", "9=nine"});
  EXPECT_EQ(whole.Count(), 5u);  // the line without "=" is no entry
  EXPECT_EQ(whole.Find("alpha"), "a=b");
  EXPECT_EQ(whole.Find("zed"), "z");
  EXPECT_EQ(whole.Find("Beta"), "");  // kept, saved, but outside the letter ranges
  EXPECT_EQ(whole.LetterRange('z'), std::make_pair(size_t{4}, size_t{5}));
  std::vector<std::string> saved{"stale"};
  whole.SaveToStrings(saved);
  EXPECT_EQ(saved, (std::vector<std::string>{"9=nine", "=empty", "alpha=a=b", "Beta=b", "zed=z"}));

  TDicValueObject suffix(dkSuffix);
  suffix.LoadFromStrings({"ton=toon", "shan=shaan"});
  suffix.SaveToStrings(saved);
  EXPECT_EQ(saved, (std::vector<std::string>{"shan=shaan", "ton=toon"}));
}

// The module writes real files; each test gets its own directory.
class DictionaryModule : public ::testing::Test {
 protected:
  struct Recorder : TDictionaryReporter {
    std::vector<std::string> warnings, errors;
    void Warning(const std::string& text) override { warnings.push_back(text); }
    void Error(const std::string& text) override { errors.push_back(text); }
  };

  void SetUp() override {
    dir_ = FreshTestDirectory("zefra-dict");
    file_ = (dir_ / "Zefra.txt").string();
  }
  void TearDown() override {
    FinishDictionaryModule();
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
    fs::remove_all(dir_);
  }
  static std::string Read(const std::string& name) { return FileText(name); }
  static void Write(const std::string& name, const std::string& text) {
    std::ofstream(name, std::ios::binary) << text;
  }

  fs::path dir_;
  std::string file_;
  Recorder reporter_;
};

TEST_F(DictionaryModule, MissingFileIsCreatedWithDefaults) {
  StartDictionaryModule(file_, reporter_);
  EXPECT_TRUE(reporter_.warnings.empty());
  EXPECT_TRUE(reporter_.errors.empty());
  EXPECT_EQ(Read(file_),
            "[Whole Words]\r\nkhast=khavaast\r\nkhah=khavaah\r\nkhan=khavaan\r\nkhaj=khavaaj\r\n"
            "egan=egaan\r\nkhahar=khavaahar\r\naya=aaya\r\nyani=ya`ni\r\nanha=aanha\r\nary=aary\r\n"
            "bayad=baayad\r\nanjam=anjaam\r\npayan=paayaan\r\nsalam=salaam\r\n\r\n"
            "[Prefix Words]\r\nghorbon=ghorboon\r\n\r\n"
            "[Suffix Words]\r\nton=toon\r\ntan=taan\r\nhaton=haatoon\r\nhatan=haataan\r\n"
            "shon=shoon\r\nhashon=haashoon\r\nshan=shaan\r\nhashan=haashaan\r\n\r\n");
  EXPECT_EQ(WholeWords->Count(), 14u);
  EXPECT_EQ(SuffixWords->Count(), 8u);
  EXPECT_EQ(PrefixWords->Find("ghorbon"), "ghorboon");
  EXPECT_TRUE(DictionaryMode && ChatMode && TashdidMode && MiddleMode && EnglishDetectMode);
  EXPECT_FALSE(PrefixMode || PoliteMode);
}

TEST_F(DictionaryModule, UnwritableFileFallsBackToDefaultsInMemory) {
  for (const std::string& name : {(dir_ / "missing" / "Zefra.txt").string(), dir_.string()}) {
    reporter_ = {};
    StartDictionaryModule(name, reporter_);
    ASSERT_EQ(reporter_.errors.size(), 1u);
    EXPECT_EQ(reporter_.errors[0],
              "Zefra failed in creating defualt Dictionary files.Check your write permissions in "
              "current directory and if media is ready for operation.");
    EXPECT_EQ(reporter_.warnings,
              std::vector<std::string>{"File \"" + name + "\" Not Found.Creating new one."});
    EXPECT_EQ(WholeWords->Count(), 14u);
    EXPECT_EQ(SuffixWords->FindPart("ketabhaton"), "ketabhatoon");
    EXPECT_FALSE(SaveDictionary());
  }
  EXPECT_TRUE(fs::is_directory(dir_));
}

TEST_F(DictionaryModule, SaveWritesEverySectionInOrder) {
  Write(file_,
        "junk before=any section\n"
        "[english words]\r\nemail=Whole\r\nmail=Prefix\rbook=whole\n"
        "[Chat Words]\nslm=salam\n"
        "[Other]\nx=y\n"
        "[Whole Words]\n  Salam  =  x \n; comment=1\nno equals\nbaba=baabaa\n"
        "[Suffix Words]\nton=toon\n"
        "[WHOLE WORDS]\nlost=1");
  StartDictionaryModule(file_, reporter_);
  EXPECT_TRUE(EnglishWholeWords->MatchesPart("email"));
  EXPECT_FALSE(EnglishWholeWords->MatchesPart("emails"));
  EXPECT_TRUE(EnglishPrefixWords->MatchesPart("mailbox"));
  EXPECT_FALSE(EnglishPrefixWords->MatchesPart("mail'"));
  EXPECT_EQ(EnglishPrefixWords->Count(), 2u);  // "whole" in lower case is no "Whole"
  EXPECT_EQ(WholeWords->Count(), 2u);
  ASSERT_TRUE(SaveDictionary());
  EXPECT_EQ(Read(file_),
            "[Whole Words]\r\nbaba=baabaa\r\nSalam=x\r\n\r\n[Polite Words]\r\n\r\n"
            "[Chat Words]\r\n\r\n[Suffix Words]\r\nton=toon\r\n\r\n[Prefix Words]\r\n\r\n"
            "[Middle Words]\r\n\r\n[English Words]\r\nemail=Whole\r\nbook=whole\r\n"
            "mail=Prefix\r\n\r\n");
}

TEST_F(DictionaryModule, AwkwardFilesLoadWithoutHarm) {
  using namespace std::string_literals;
  const std::string longValue(1 << 20, 'q');
  const std::string texts[] = {
      "",
      "[Whole Words]\0\r\nab\0c=d\xE9\x80\r\n"s,
      "[Whole Words]\rsalam=salaam\rbaba=x",
      "[Whole Words]\nlong=" + longValue,
  };
  for (const std::string& text : texts) {
    Write(file_, text);
    StartDictionaryModule(file_, reporter_);
    EXPECT_TRUE(reporter_.errors.empty());
    ASSERT_TRUE(SaveDictionary());
    FinishDictionaryModule();
    StartDictionaryModule(file_, reporter_);
  }
  EXPECT_EQ(WholeWords->Find("long"), longValue);
}

TEST_F(DictionaryModule, FailedSaveLeavesFileAndSectionsAlone) {
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
  StartDictionaryModule(file_, reporter_);
  const std::string before = Read(file_);
  WholeWords->AddEntry("dorood", "doroood");
  fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_FALSE(SaveDictionary());
  EXPECT_EQ(Read(file_), before);
  EXPECT_EQ(WholeWords->Find("dorood"), "doroood");
}

TEST_F(DictionaryModule, UnreadableFileIsNeverReplaced) {
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
  Write(file_, "[Whole Words]\nsalam=salaam\n");
  fs::permissions(file_, fs::perms::none);
  StartDictionaryModule(file_, reporter_);
  EXPECT_EQ(WholeWords->Count(), 0u);
  EXPECT_FALSE(SaveDictionary());
  fs::permissions(file_, fs::perms::owner_read);
  EXPECT_EQ(Read(file_), "[Whole Words]\nsalam=salaam\n");
}

TEST_F(DictionaryModule, SaveReplacesTheFileAtomically) {
  StartDictionaryModule(file_, reporter_);
  WholeWords->AddEntry("dorood", "doroood");
  ASSERT_TRUE(SaveDictionary());
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir_)) names.push_back(entry.path().filename());
  EXPECT_EQ(names, std::vector<std::string>{"Zefra.txt"});  // no temporary left behind
  FinishDictionaryModule();
  StartDictionaryModule(file_, reporter_);
  EXPECT_EQ(WholeWords->Find("dorood"), "doroood");
  EXPECT_EQ(WholeWords->Count(), 15u);
}

// A byte-order mark from an editor must not hide the first section, which the save would drop.
TEST_F(DictionaryModule, AByteOrderMarkIsSkipped) {
  Write(file_, "\xEF\xBB\xBF[Whole Words]\r\nman=maan\r\n");
  StartDictionaryModule(file_, reporter_);
  EXPECT_EQ(WholeWords->Find("man"), "maan");
  EXPECT_TRUE(reporter_.warnings.empty());
  ASSERT_TRUE(SaveDictionary());
  EXPECT_TRUE(Read(file_).starts_with("[Whole Words]\r\nman=maan\r\n"));
  EXPECT_FALSE(fs::exists(file_ + ".bak"));
}

// A file holding what the save would drop is kept as Zefra.txt.bak, replacing an older copy,
// and the user is told once, with both names.
TEST_F(DictionaryModule, ContentTheSaveWouldDropIsKeptAsABackup) {
  using namespace std::string_literals;
  const std::string contents[] = {
      "\x89PNG\r\n\x1A\n\0\0binary"s,
      "\xFF\xFE[\0W\0h\0o\0l\0e\0 \0W\0o\0r\0d\0s\0]\0\r\0\n\0a\0=\0b\0"s,  // UTF-16
      "[Other]\nx=y\n",
      "[Whole Words]\n; my note\nsalam=salaam\n",
      "[Whole Words]\nno equals sign\n",
      "\0\0\0"s,
  };
  for (const std::string& content : contents) {
    Write(file_ + ".bak", "an older copy");
    Write(file_, content);
    reporter_ = {};
    StartDictionaryModule(file_, reporter_);
    ASSERT_EQ(reporter_.warnings.size(), 1u) << content;
    EXPECT_NE(reporter_.warnings[0].find("\"" + file_ + "\""), std::string::npos);
    EXPECT_NE(reporter_.warnings[0].find("\"" + file_ + ".bak\""), std::string::npos);
    EXPECT_EQ(Read(file_ + ".bak"), content);
    ASSERT_TRUE(SaveDictionary());
    FinishDictionaryModule();
    reporter_ = {};
    StartDictionaryModule(file_, reporter_);  // the saved file reads whole
    EXPECT_TRUE(reporter_.warnings.empty()) << content;
    FinishDictionaryModule();
  }
  // Files that lose nothing get no copy.
  fs::remove(file_ + ".bak");
  for (const std::string content : {"", "\r\n\r\n", "[Whole Words]\n[Chat Words]\n"}) {
    Write(file_, content);
    reporter_ = {};
    StartDictionaryModule(file_, reporter_);
    EXPECT_TRUE(reporter_.warnings.empty()) << content;
    EXPECT_FALSE(fs::exists(file_ + ".bak"));
    FinishDictionaryModule();
  }
}

TEST_F(DictionaryModule, WithoutABackupTheFileIsNeverReplaced) {
  fs::create_directories(file_ + ".bak");  // no file can be written there
  Write(file_, "[Other]\nx=y\n");
  StartDictionaryModule(file_, reporter_);
  ASSERT_EQ(reporter_.warnings.size(), 1u);
  EXPECT_NE(reporter_.warnings[0].find("will not be saved"), std::string::npos);
  EXPECT_FALSE(SaveDictionary());
  EXPECT_EQ(Read(file_), "[Other]\nx=y\n");
}

TEST_F(DictionaryModule, SaveThroughLinksReplacesTheRealFile) {
  const std::string real = (dir_ / "real.txt").string();
  Write(real, "[Whole Words]\nsalam=salaam\n");
  fs::create_symlink("real.txt", dir_ / "middle");
  fs::create_symlink("middle", file_);
  StartDictionaryModule(file_, reporter_);
  WholeWords->AddEntry("dorood", "doroood");
  ASSERT_TRUE(SaveDictionary());
  EXPECT_TRUE(fs::is_symlink(file_));
  EXPECT_TRUE(fs::is_symlink(dir_ / "middle"));
  EXPECT_NE(Read(real).find("dorood=doroood"), std::string::npos);
}

TEST_F(DictionaryModule, StartRemovesTheTemporariesOfAnInterruptedSave) {
  const pid_t pid = ::fork();
  if (pid == 0) ::_exit(0);
  ::waitpid(pid, nullptr, 0);
  const std::string stale = file_ + ".tmp" + std::to_string(pid) + "-0";
  const std::string running = file_ + ".tmp" + std::to_string(::getpid()) + "-0";
  Write(stale, "half a file");
  Write(running, "being written");
  StartDictionaryModule(file_, reporter_);
  EXPECT_FALSE(fs::exists(stale));
  EXPECT_TRUE(fs::exists(running));
}

TEST_F(DictionaryModule, InstalledProgramDirectoryKeepsNoDictionary) {
  // Even for the superuser, who may write there.
  const fs::path user = dir_ / "user";
  EXPECT_EQ(DictionaryFileFor(ZEFRA_INSTALLED_PROGRAM_DIR, user.string()),
            (user / "Zefra.txt").string());
}

TEST_F(DictionaryModule, PerUserFileIsSeededFromTheProgramDirectory) {
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
  const fs::path program = dir_ / "program", user = dir_ / "user" / "zefra";
  fs::create_directories(program);
  Write((program / "Zefra.txt").string(), "[Whole Words]\nsalam=salaam\n");
  EXPECT_EQ(ChooseDictionaryFile(program.string(), user.string()),
            (program / "Zefra.txt").string());
  fs::permissions(program, fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_EQ(ChooseDictionaryFile(program.string(), user.string()), (user / "Zefra.txt").string());
  EXPECT_EQ(Read((user / "Zefra.txt").string()), "[Whole Words]\nsalam=salaam\n");
  Write((user / "Zefra.txt").string(), "mine");
  ChooseDictionaryFile(program.string(), user.string());
  EXPECT_EQ(Read((user / "Zefra.txt").string()), "mine");
  fs::permissions(program, fs::perms::owner_all);
}

}  // namespace
