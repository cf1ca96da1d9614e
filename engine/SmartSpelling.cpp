#include "SmartSpelling.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>

#include "AnsiChars.h"
#include "CodePage.h"
#include "Dictionary.h"
#include "DictionaryStage.h"
#include "HugePages.h"
#include "WordList.h"
#include "trans.h"

uint8_t SmartSpelling = 0;
uint8_t ModernOrthography = 0;
TSkeletonCosts SkeletonCosts;
std::vector<TSmartSource>* SmartSourceLog = nullptr;
std::vector<std::vector<std::u16string>>* SmartWeighedLog = nullptr;
TListRanking ListRanking;
float UnwrittenWaw = 0.75f;
float UntypedWaw = 2.0f;

namespace {

constexpr char16_t kZwnj = 0x200C;
constexpr char16_t kArabicYeh = 0x064A;
constexpr char16_t kFarsiYeh = 0x06CC;

// Where in the word a substitution may apply.
enum class TPlace : uint8_t {
  Anywhere,
  WordStart,
  WordEnd,
  BeforeLetter,  // another letter follows
  Ezafe,         // the last letter of a word of three or more that does not end a clause
};

struct TSubstitution {
  std::string_view From;
  std::string_view To;
  float Cost;
  TPlace Place;
};

// Costs are in the order of how often each slip occurs in real chat text: the cheaper, the more
// often the typist meant the other spelling. "q" writes nothing by the rules and an initial "u"
// or "ou" is nearly always "oo", so those are almost free. At a word's end the rules write WAW for
// each of "o", "oo", "ou" and "u", so those trade places only before another letter. A final "a" as
// tanvin is left out: the lists write it as the plain alef. Chat writes a long "a" or "o" inside a
// word as often as not with one letter, so those cost next to nothing and the word's rank decides
// (bench/accuracy fits both to real chat text by cross-validation).
constexpr TSubstitution kSubstitutions[] = {
    {"q", "gh", 0.05f, TPlace::Anywhere},
    {"u", "oo", 0.05f, TPlace::WordStart},
    {"ou", "oo", 0.05f, TPlace::WordStart},
    {"x", "kh", 0.69f, TPlace::Anywhere},
    {"e", "", 1.0f, TPlace::Ezafe},
    {"eye", "e", 1.0f, TPlace::Ezafe},
    {"kha", "khava", 1.1f, TPlace::Anywhere},
    {"khaa", "khavaa", 1.1f, TPlace::Anywhere},
    {"an", "a``", 1.1f, TPlace::WordEnd},
    {"ean", "e`a``", 1.1f, TPlace::WordEnd},
    {"h", "h`", 1.4f, TPlace::Anywhere},
    {"o", "oo", 0.1f, TPlace::BeforeLetter},
    {"ou", "o", 1.6f, TPlace::BeforeLetter},
    {"a", "aa", 0.2f, TPlace::BeforeLetter},
    {"c", "ch", 1.8f, TPlace::Anywhere},
    {"gh", "gh`", 2.0f, TPlace::Anywhere},
    {"t", "t`", 2.3f, TPlace::Anywhere},
    {"z", "z`", 2.4f, TPlace::Anywhere},
    {"s", "s`", 2.6f, TPlace::Anywhere},
    {"u", "o", 2.8f, TPlace::BeforeLetter},
    {"z", "z``", 3.0f, TPlace::Anywhere},
    {"z", "z```", 3.0f, TPlace::Anywhere},
    {"kha", "khavaa", 3.3f, TPlace::Anywhere},
    {"s", "s``", 3.8f, TPlace::Anywhere},
    {"e", "e`", 4.0f, TPlace::Anywhere},
    {"oo", "o", 4.0f, TPlace::BeforeLetter},
    {"a", "a`", 4.4f, TPlace::Anywhere},
    {"aa", "a`aa", 4.4f, TPlace::Anywhere},
    {"aa", "aa`", 4.4f, TPlace::Anywhere},
    {"o", "o`", 4.8f, TPlace::Anywhere},
    {"oo", "oo`", 4.8f, TPlace::Anywhere},
    {"e", "i", 5.4f, TPlace::Anywhere},
};

// The costs in use, the table's to begin with; the accuracy benchmark fits some to real text.
auto& CostsInUse() {
  static auto costs = [] {
    std::array<float, std::size(kSubstitutions)> table;
    for (size_t row = 0; row < table.size(); ++row) table[row] = kSubstitutions[row].Cost;
    return table;
  }();
  return costs;
}

// For each letter a..z, the rows of kSubstitutions that begin with it, as bits.
constexpr auto kRowsOf = [] {
  static_assert(std::size(kSubstitutions) <= 32);
  std::array<uint32_t, 26> rows{};
  for (size_t row = 0; row < std::size(kSubstitutions); ++row)
    rows[kSubstitutions[row].From[0] - 'a'] |= uint32_t(1) << row;
  return rows;
}();

// Pairs of letters that the rules read as one sound; a substitution replaces them together or
// not at all, so that "s" in "sh" never becomes "s`".
constexpr std::string_view kDigraphs[] = {"sh", "ch", "zh", "kh", "gh", "ph", "ck",
                                          "aa", "ee", "oo", "ou", "ea", "ae"};

bool IsLetter(char c) {
  return c >= 'a' && c <= 'z';
}

// kDigraphs as a table of first and second letters, for TokenEnd, which runs for every letter of
// every spelling.
constexpr auto kIsDigraph = [] {
  std::array<std::array<bool, 26>, 26> table{};
  for (const std::string_view digraph : kDigraphs) table[digraph[0] - 'a'][digraph[1] - 'a'] = true;
  return table;
}();

// How far the token at i reaches: a digraph or one character, with the backticks after it.
size_t TokenEnd(std::string_view word, size_t i) {
  size_t end = i + 1;
  if (end < word.size() && IsLetter(word[i]) && IsLetter(word[end]) &&
      kIsDigraph[word[i] - 'a'][word[end] - 'a'])
    ++end;
  while (end < word.size() && word[end] == '`') ++end;
  return end;
}

// At most how many Persian letters (ZWNJ and marks aside) the rules write for the letters of a
// spelling from position `from` on: a short vowel inside the word writes none, a token with a
// backtick at most two ("kh`" reads as KEHEH and HAH), an "x" two, any other token one.
size_t MostLetters(std::string_view spelling, size_t from) {
  size_t letters = 0;
  for (size_t i = from; i < spelling.size();) {
    const size_t end = TokenEnd(spelling, i);
    const bool marked = spelling[end - 1] == '`';
    const bool shortVowel =
        end == i + 1 && (spelling[i] == 'a' || spelling[i] == 'e' || spelling[i] == 'o');
    if (marked || spelling[i] == 'x')
      letters += 2;
    else if (!shortVowel || end == spelling.size())
      letters += 1;
    i = end;
  }
  return letters;
}

// How many times longer a substitution makes the letters it replaces, at most.
constexpr size_t kLongestGrowth = [] {
  size_t most = 1;
  for (const TSubstitution& s : kSubstitutions)
    most = std::max(most, (s.To.size() + s.From.size() - 1) / s.From.size());
  return most;
}();

// Eight letters at a time, each step a multiply and a rotation: a word is spelled a few dozen
// ways, and a 64-bit hash tells them apart.
uint64_t SpellingHash(std::string_view spelling) {
  uint64_t hash = spelling.size();
  const auto mix = [&hash](uint64_t eight) {
    hash = std::rotl((hash ^ eight) * 0x9E3779B97F4A7C15ull, 29);
  };
  size_t at = 0;
  for (; at + 8 <= spelling.size(); at += 8) {
    uint64_t eight;
    std::memcpy(&eight, spelling.data() + at, 8);
    mix(eight);
  }
  uint64_t rest = 0;
  for (size_t i = 0; at + i < spelling.size(); ++i)
    rest |= uint64_t(static_cast<unsigned char>(spelling[at + i])) << (8 * i);
  mix(rest);
  return hash * 0x9E3779B97F4A7C15ull;
}

// starts_with and ends_with for the short affixes here, letter by letter: most spellings differ
// in the first letter compared, and that costs no call.
template <typename Char>
bool StartsWith(std::basic_string_view<Char> text, std::basic_string_view<Char> start) {
  if (text.size() < start.size()) return false;
  for (size_t i = 0; i < start.size(); ++i)
    if (text[i] != start[i]) return false;
  return true;
}
template <typename Char>
bool EndsWith(std::basic_string_view<Char> text, std::basic_string_view<Char> end) {
  if (text.size() < end.size()) return false;
  for (size_t i = 1; i <= end.size(); ++i)
    if (text[text.size() - i] != end[end.size() - i]) return false;
  return true;
}

bool PlaceHolds(TPlace place, std::string_view word, size_t at, size_t end, bool clauseEnd) {
  switch (place) {
    case TPlace::Anywhere:
      return true;
    case TPlace::WordStart:
      return at == 0;
    case TPlace::WordEnd:
      return end == word.size();
    case TPlace::BeforeLetter:
      return end < word.size() && IsLetter(word[end]);
    case TPlace::Ezafe:
      return end == word.size() && word.size() >= 3 && !clauseEnd;
  }
  return false;
}

}  // namespace

size_t SubstitutionRows() {
  return std::size(kSubstitutions);
}

float& SubstitutionCost(size_t row) {
  return CostsInUse().at(row);
}

std::string SubstitutionName(size_t row) {
  const TSubstitution& s = kSubstitutions[row];
  return std::string(s.From) + ">" + std::string(s.To);
}

float SubstitutionCostOf(std::string_view from, std::string_view to) {
  float least = std::numeric_limits<float>::infinity(), dearest = 0;
  for (size_t row = 0; row < std::size(kSubstitutions); ++row) {
    dearest = std::max(dearest, CostsInUse()[row]);
    if (kSubstitutions[row].From == from && kSubstitutions[row].To == to)
      least = std::min(least, CostsInUse()[row]);
  }
  return std::isinf(least) ? dearest + 1 : least;
}

void TSpellingCandidates::Start(std::string_view word, bool clauseEnd, float maxCost) {
  word_ = word;
  maxCost_ = maxCost;
  sites_.clear();
  nodes_.clear();
  heap_.clear();
  spelled_.clear();
  started_ = false;
  last_ = -1;
  expand_ = true;
  if (word_.size() > kLongestWord) return;
  // Each row's letters as a site holds them.
  static constexpr auto kBy = [] {
    std::array<std::array<char, kLongestBy>, std::size(kSubstitutions)> by{};
    for (size_t row = 0; row < by.size(); ++row) {
      const std::string_view to = kSubstitutions[row].To;
      if (to.size() > kLongestBy) throw "a substitution too long for a site";
      std::copy(to.begin(), to.end(), by[row].begin());
    }
    return by;
  }();
  padded_.fill(0);
  std::copy(word_.begin(), word_.end(), padded_.begin());
  // Token boundaries: a substitution starts at one and ends at one. A token followed by a
  // backtick keeps its letter.
  uint64_t boundary = 0, marked = 0;
  static_assert(kLongestWord < 64);
  for (size_t i = 0; i < word_.size();) {
    const size_t end = TokenEnd(word_, i);
    boundary |= uint64_t(1) << i;
    if (word_[end - 1] == '`') marked |= uint64_t(1) << i;
    i = end;
  }
  boundary |= uint64_t(1) << word_.size();
  const auto& costs = CostsInUse();
  for (size_t at = 0; at < word_.size(); ++at) {
    if (!(boundary >> at & 1) || (marked >> at & 1) || !IsLetter(word_[at])) continue;
    for (uint32_t rows = kRowsOf[word_[at] - 'a']; rows != 0; rows &= rows - 1) {
      const int row = std::countr_zero(rows);
      const TSubstitution& s = kSubstitutions[row];
      const float cost = costs[row];
      const size_t end = at + s.From.size();
      if (cost >= maxCost_ || end > word_.size() || !(boundary >> end & 1) ||
          !StartsWith(std::string_view(word_).substr(at), s.From) ||
          !PlaceHolds(s.Place, word_, at, end, clauseEnd))
        continue;
      // A substitution that ends where a backtick follows would take the mark from its letter.
      if (end < word_.size() && word_[end] == '`') continue;
      sites_.push_back(
          {uint16_t(at), uint8_t(s.From.size()), uint8_t(s.To.size()), kBy[row], cost});
    }
  }
}

void TSpellingCandidates::Expand(int32_t node) {
  const size_t from =
      node < 0 ? 0 : sites_[nodes_[node].Site].At + sites_[nodes_[node].Site].Replaced;
  const float base = node < 0 ? 0 : nodes_[node].Cost;
  const auto first = std::lower_bound(sites_.begin(), sites_.end(), from,
                                      [](const TSite& s, size_t at) { return s.At < at; });
  for (auto site = first; site != sites_.end(); ++site) {
    const float cost = base + site->Cost;
    if (cost >= maxCost_) continue;
    nodes_.push_back({cost, node, uint16_t(site - sites_.begin())});
    heap_.emplace_back(cost, int32_t(nodes_.size() - 1));
    std::push_heap(heap_.begin(), heap_.end(), std::greater<>());
  }
}

void TSpellingCandidates::Spell(int32_t node, TSpelling& spelling) const {
  // At most one substitution starts at each letter.
  std::array<const TSite*, kLongestWord> chosen;
  size_t count = 0;
  for (int32_t n = node; n >= 0; n = nodes_[n].Parent) chosen[count++] = &sites_[nodes_[n].Site];
  // Made in a buffer and copied once: the pieces are a few letters long, and appending each to
  // the string costs more than its letters. Each piece is copied a fixed number of bytes long,
  // which costs no call, and the next piece writes over what lies beyond its end.
  std::array<char, kLongestGrowth * kLongestWord + kPiece> text;
  size_t length = 0, at = 0;
  while (count > 0) {
    const TSite& s = *chosen[--count];
    std::memcpy(text.data() + length, padded_.data() + at, kPiece);
    length += s.At - at;
    std::memcpy(text.data() + length, s.By.data(), kLongestBy);
    length += s.ByLength;
    at = s.At + s.Replaced;
  }
  spelling.Settled = length;
  std::memcpy(text.data() + length, padded_.data() + at, kPiece);
  length += word_.size() - at;
  spelling.Text.assign(text.data(), length);
}

bool TSpellingCandidates::Next(TSpelling& spelling) {
  if (started_ && expand_) Expand(last_);
  expand_ = true;
  if (!started_) {
    started_ = true;
    spelling = {word_, 0, 0};
    spelled_.push_back(SpellingHash(word_));
    return true;
  }
  // Two sets of substitutions may spell the same ("u" -> "oo" and "u" -> "o", "o" -> "oo" before
  // an "o"): only the cheaper comes out, but the dearer one's extensions still do.
  while (!heap_.empty()) {
    std::pop_heap(heap_.begin(), heap_.end(), std::greater<>());
    last_ = heap_.back().second;
    heap_.pop_back();
    Spell(last_, spelling);
    spelling.Cost = nodes_[last_].Cost;
    const uint64_t hash = SpellingHash(spelling.Text);
    if (std::find(spelled_.begin(), spelled_.end(), hash) == spelled_.end()) {
      spelled_.push_back(hash);
      return true;
    }
    Expand(last_);
  }
  return false;
}

namespace {

// The verbal prefixes as typed and as written. mi and nemi end in the ARABIC YEH that joins the
// verb, as the rules write them.
struct TVerbalPrefix {
  std::string_view Typed;
  std::u16string_view Written;
  bool Joined;  // modern orthography puts a ZWNJ after it
};
constexpr TVerbalPrefix kVerbalPrefixes[] = {
    {"nemi", u"\u0646\u0645\u064A", true},
    {"mi", u"\u0645\u064A", true},
    {"be", u"\u0628", false},
    {"na", u"\u0646", false},
};

// Endings after a stem, as lookup keys: personal endings of verbs, possessive and colloquial
// pronouns, the enclitic -e, plurals, the indefinite -i and comparatives. A word the lists lack
// is often a listed one with one of these, above all in colloquial chat.
constexpr std::u16string_view kEndings[] = {
    u"\u0645",                    // -am
    u"\u062A",                    // -at
    u"\u0634",                    // -ash
    u"\u06CC",                    // -i
    u"\u062F",                    // -ad
    u"\u0646",                    // -an
    u"\u0647",                    // -e
    u"\u06CC\u0645",              // -im
    u"\u06CC\u062F",              // -id
    u"\u0646\u062F",              // -and
    u"\u06CC\u0646",              // -in
    u"\u0645\u0648\u0646",        // -moon
    u"\u062A\u0648\u0646",        // -toon
    u"\u0634\u0648\u0646",        // -shoon
    u"\u0645\u0627\u0646",        // -maan
    u"\u062A\u0627\u0646",        // -taan
    u"\u0634\u0627\u0646",        // -shaan
    u"\u0627",                    // -a, the colloquial plural
    u"\u0627\u06CC",              // -aye
    u"\u0627\u0645",              // -am after a vowel
    u"\u0627\u062A",              // -at after a vowel
    u"\u0627\u0634",              // -ash after a vowel
    u"\u0647\u0627",              // -ha
    u"\u0647\u0627\u06CC",        // -haye
    u"\u0647\u0627\u06CC\u06CC",  // -hayi
    u"\u0647\u0627\u0645",        // -ham
    u"\u0647\u0627\u062A",        // -hat
    u"\u0647\u0627\u0634",        // -hash
    u"\u062A\u0631",              // -tar
    u"\u062A\u0631\u06CC\u0646",  // -tarin
    u"\u0633\u062A",              // -st
};

constexpr size_t kLongestEnding = [] {
  size_t longest = 0;
  for (const std::u16string_view ending : kEndings) longest = std::max(longest, ending.size());
  return longest;
}();

// A run of up to seven letters of the Arabic block as a number: its length in the top byte, a
// letter a byte below; kNoRun for anything else.
constexpr uint64_t kNoRun = ~uint64_t(0);
constexpr uint64_t RunCode(std::u16string_view run) {
  if (run.size() > 7) return kNoRun;
  uint64_t code = uint64_t(run.size()) << 56;
  for (size_t i = 0; i < run.size(); ++i) {
    if ((run[i] & 0xFF00) != 0x0600) return kNoRun;
    code |= uint64_t(run[i] & 0xFF) << (8 * i);
  }
  return code;
}

// Every beginning of an ending, as RunCode, sorted: MayBegin asks about several for each spelling.
constexpr auto kEndingBeginnings = [] {
  constexpr size_t kCount = [] {
    size_t count = 0;
    for (const std::u16string_view ending : kEndings) count += ending.size();
    return count;
  }();
  std::array<uint64_t, kCount> codes{};
  size_t at = 0;
  for (const std::u16string_view ending : kEndings)
    for (size_t n = 1; n <= ending.size(); ++n) codes[at++] = RunCode(ending.substr(0, n));
  std::sort(codes.begin(), codes.end());
  return codes;
}();

// For each letter of the Arabic block, the endings that end with it, as bits by their place in
// kEndings: a word is tried with the few endings that its last letter allows.
constexpr auto kEndingsEndingWith = [] {
  static_assert(std::size(kEndings) <= 32);
  std::array<uint32_t, 256> endings{};
  for (size_t i = 0; i < std::size(kEndings); ++i) {
    if ((kEndings[i].back() & 0xFF00) != 0x0600) throw "an ending outside the Arabic block";
    endings[kEndings[i].back() & 0xFF] |= 1u << i;
  }
  return endings;
}();

uint32_t EndingsOf(std::u16string_view word) {
  if (word.empty() || (word.back() & 0xFF00) != 0x0600) return 0;
  return kEndingsEndingWith[word.back() & 0xFF];
}

bool BeginsEnding(std::u16string_view part) {
  return std::binary_search(kEndingBeginnings.begin(), kEndingBeginnings.end(), RunCode(part));
}

// Plural endings of a noun, as lookup keys, longest first.
constexpr std::u16string_view kPluralEndings[] = {
    u"\u0647\u0627\u06CC\u0634\u0627\u0646",
    u"\u0647\u0627\u06CC\u062A\u0627\u0646",
    u"\u0647\u0627\u06CC\u0645\u0627\u0646",
    u"\u0647\u0627\u0634\u0648\u0646",
    u"\u0647\u0627\u062A\u0648\u0646",
    u"\u0647\u0627\u0645\u0648\u0646",
    u"\u0647\u0627\u06CC\u06CC",
    u"\u0647\u0627\u06CC\u0645",
    u"\u0647\u0627\u06CC\u062A",
    u"\u0647\u0627\u06CC\u0634",
    u"\u0647\u0627\u06CC",
    u"\u0647\u0627\u0645",
    u"\u0647\u0627\u062A",
    u"\u0647\u0627\u0634",
    u"\u0647\u0627",
};

// Short words typed apart that belong to the word before them or stand for another: a plural
// ending joins its noun with a ZWNJ, an ezafe "e" is not written at all (within a clause only:
// at its end an "e" is an exclamation), and a lone "o" is the colloquial "and".
struct TSeparateWord {
  std::string_view Typed;
  std::u16string_view Written;
  bool Attaches;  // to the Persian word before it, in place of the spaces between
  bool WithinClauseOnly;
};
constexpr TSeparateWord kSeparateWords[] = {
    {"ha", u"\u200C\u0647\u0627", true, false},
    {"haa", u"\u200C\u0647\u0627", true, false},
    {"hay", u"\u200C\u0647\u0627\u06CC", true, false},
    {"haye", u"\u200C\u0647\u0627\u06CC", true, false},
    {"e", u"", true, true},
    {"o", u"\u0648", false, false},
};

// Candidates beyond this many are not read, so that a long word costs no more than a bounded
// number of transliterations.
constexpr int kMaxSpellings = 32;

// Whether the rules' code page holds every letter of a lookup key, whose FARSI YEH is written as
// the ARABIC one.
bool IsWritable(std::u16string_view key) {
  return std::all_of(key.begin(), key.end(), [](char16_t c) {
    return c == kFarsiYeh || CodePage::FromUnicode(c) != CodePage::DefaultChar;
  });
}

// A lookup key as the rules write it: ARABIC YEH, which modern orthography makes FARSI again.
std::u16string WrittenAsRules(std::u16string_view key) {
  std::u16string written(key);
  std::replace(written.begin(), written.end(), kFarsiYeh, kArabicYeh);
  return written;
}

// One reading of a spelling in Persian, with the end of its verbal prefix (0: none).
struct TReading {
  std::u16string Persian;
  size_t PrefixEnd = 0;
  bool Joined = false;  // the prefix is one that modern orthography joins with a ZWNJ
  TSmartSource Source = TSmartSource::Rules;
};

// The WAWs a typed word asks for: one for each run of "o" and "u" ("o", "oo", "ou" and "u" alike),
// which may be a short vowel that Persian leaves unwritten, and one for each "v" or "w".
struct TTypedWaws {
  int VowelRuns = 0;
  int Consonants = 0;
};

TTypedWaws TypedWawsOf(std::string_view typed) {
  TTypedWaws waws;
  for (size_t i = 0; i < typed.size(); ++i) {
    const auto vowel = [&](size_t at) { return typed[at] == 'o' || typed[at] == 'u'; };
    waws.VowelRuns += vowel(i) && (i == 0 || !vowel(i - 1));
    waws.Consonants += typed[i] == 'v' || typed[i] == 'w';
  }
  return waws;
}

// How many letters of a spelling's key every spelling that extends it, keeping its letters before
// settledAt, begins with too: all of the key but what the rest may give, and but the last ones,
// which may still change with the letters after them; 0 when too few are left to judge by.
size_t SettledKeyLength(std::string_view spelling, size_t settledAt, size_t keyLength) {
  constexpr size_t kUnsure = 2;
  const size_t later = MostLetters(spelling, settledAt) + kUnsure;
  return keyLength <= later + 2 ? 0 : keyLength - later;
}

class TChooser {
 public:
  // typed: the word whose readings are weighed, for the runs of "o" and "u" it was typed with.
  explicit TChooser(const TWordList& lists, std::string_view typed = {})
      : lists_(lists),
        top_(float(lists.TopCount())),
        floor_(lists.TopCount() ? FrequencyPenalty(lists.LeastCount()) : 0),
        typedWaws_(TypedWawsOf(typed)) {}

  // What a word that no list knows costs.
  float Unknown() const { return floor_ + ListRanking.Unknown; }

  // Ranks a reading; keeps it when it beats the best so far.
  void Consider(TReading&& reading, float cost) {
    key_.clear();
    AppendLookupKey(reading.Persian, key_);
    Consider(std::move(reading), TKeyPrefixes(key_), cost);
  }
  // The same for a reading whose lookup key is known.
  void Consider(TReading&& reading, const TKeyPrefixes& key, float cost) {
    Weighed(key.Key());
    const float listed = Penalty(lists_.Find(key, key.Key().size()));
    float penalty = listed;
    // A derived form never costs less than the floor and Derived: look for one only when it
    // could win.
    const float leastDerived = floor_ + ListRanking.Derived;
    if (penalty > leastDerived && cost + leastDerived < bestScore_) {
      penalty = std::min(penalty, DerivedPenalty(key, false));
      if (reading.PrefixEnd)
        penalty = std::min(penalty,
                           DerivedPenalty(TKeyPrefixes(key.Key().substr(reading.PrefixEnd)), true));
    }
    // Only a word listed as itself pays for the WAWs it leaves unwritten: among words no list
    // knows, and against a listed stem with an ending, the letter rules' reading keeps its place.
    const bool asItself = listed < Unknown() && penalty == listed;
    const float score = cost + penalty + (asItself ? WawDisagreement(key.Key()) : 0);
    if (score < bestScore_) {
      if (penalty < listed)
        reading.Source = TSmartSource::Affix;
      else if (cost > 0)
        reading.Source = TSmartSource::Variant;
      bestScore_ = score;
      best_ = std::move(reading);
    }
  }
  // Whether a word the frequency list does not count is the best so far: only then are the
  // words of its skeleton worth the search, since a counted one is nearly always what was meant.
  bool WantsSkeleton() const { return bestScore_ > floor_; }
  // The listed words with the skeleton of the rules' reading, each at its distance from it.
  void ConsiderSameSkeleton(std::u16string_view typed) {
    std::u16string skeleton;
    AppendSkeleton(typed, skeleton);
    if (skeleton.size() < 2) return;
    const float cheapestAdded = std::min(SkeletonCosts.Added, SkeletonCosts.AddedAin);
    for (const uint32_t entry : lists_.SameSkeleton(skeleton)) {
      const std::u16string_view listed = lists_.Key(entry);
      if (SmartWeighedLog && IsWritable(listed)) Weighed(listed);
      const float penalty = Penalty(&lists_.Info(entry)) + WawDisagreement(listed);
      // Each letter one has more than the other is added or dropped: a bound without the search.
      const float least = listed.size() > typed.size()
                              ? float(listed.size() - typed.size()) * cheapestAdded
                              : float(typed.size() - listed.size()) * SkeletonCosts.Dropped;
      if (least + penalty >= bestScore_ || !IsWritable(listed)) continue;
      const float distance = SkeletonDistance(typed, listed, SkeletonCosts, penalty, bestScore_);
      if (distance + penalty >= bestScore_) continue;
      bestScore_ = distance + penalty;
      best_ = {WrittenAsRules(listed)};
      best_.Source = TSmartSource::Skeleton;
    }
  }
  float BestScore() const { return bestScore_; }
  TReading& Best() { return best_; }
  // What a word costs by the lists, as itself or as a listed stem and an ending.
  float PenaltyOf(std::u16string_view key) const {
    return std::min(Penalty(lists_.Find(key)), DerivedPenalty(TKeyPrefixes(key), false));
  }

  // Whether a spelling of the given cost, whose reading has the given key, may still win, or
  // some spelling that extends it and costs as much or more: judged by the least any word, or
  // stem and ending, costs that begins with the key's settled letters (SettledKeyLength), by
  // themselves or after a verbal prefix.
  bool MayWin(size_t settled, const TKeyPrefixes& key, const TVerbalPrefix* prefix,
              float cost) const {
    if (settled == 0) return true;
    float least = LeastPenalty(key, settled);
    const float derived = floor_ + ListRanking.Derived;
    if (prefix && least > derived && settled > prefix->Written.size()) {
      const TKeyPrefixes rest(
          key.Key().substr(prefix->Written.size(), settled - prefix->Written.size()));
      if (MayBegin(rest, rest.Key().size())) least = derived;
    }
    return cost + least < bestScore_;
  }

 private:
  static void Weighed(std::u16string_view key) {
    if (SmartWeighedLog && !SmartWeighedLog->empty()) SmartWeighedLog->back().emplace_back(key);
  }
  // What a listed word costs for the typed vowels it writes no WAW for, or for the WAWs it writes
  // where none was typed.
  float WawDisagreement(std::u16string_view key) const {
    const int vowelWaws =
        int(std::count(key.begin(), key.end(), u'\u0648')) - typedWaws_.Consonants;
    if (vowelWaws < typedWaws_.VowelRuns)
      return float(typedWaws_.VowelRuns - vowelWaws) * UnwrittenWaw;
    return float(vowelWaws - typedWaws_.VowelRuns) * UntypedWaw;
  }
  float FrequencyPenalty(uint32_t count) const {
    return ListRanking.FrequencyScale * std::log(top_ / float(count));
  }
  float Penalty(const TWordInfo* info) const {
    float p = Unknown();
    if (!info) return p;
    if (info->Count) p = std::min(p, FrequencyPenalty(info->Count));
    if (info->Lists & wlCore) p = std::min(p, floor_ + ListRanking.Core);
    if (info->Lists & wlFull) p = std::min(p, floor_ + ListRanking.Full);
    return p;
  }

  // The least that a listed word, or a listed stem and an ending, that begins with part costs;
  // infinity when there is none. Every unranked one costs the floor or more.
  // Both of a key's first length letters.
  float LeastPenalty(const TKeyPrefixes& key, size_t length) const {
    if (length < TWordList::kShortestFiltered) return 0;
    if (const uint32_t count = lists_.MostCountBeginning(key, length))
      return FrequencyPenalty(count);
    return MayBegin(key, length) ? floor_ : std::numeric_limits<float>::infinity();
  }

  bool MayBegin(const TKeyPrefixes& key, size_t length) const {
    if (length < TWordList::kShortestFiltered || lists_.BeginsKey(key, length)) return true;
    const std::u16string_view part = key.Key().substr(0, length);
    TStems stems;
    for (size_t stem = length - 1; stem >= 2 && length - stem <= kLongestEnding; --stem)
      if (BeginsEnding(part.substr(stem))) stems.Add(lists_, key, stem);
    for (const size_t stem : stems)
      if (lists_.Find(key, stem)) return true;
    return false;
  }

  // The word as a listed stem of two letters or more and an ending (the stem alone counts too
  // after a verbal prefix): unlisted, so rarer than every ranked form, however common its stem.
  float DerivedPenalty(const TKeyPrefixes& key, bool afterPrefix) const {
    float p = Unknown();
    const std::u16string_view word = key.Key();
    const auto stem = [&](size_t length) {
      if (length < 2) return;
      if (const TWordInfo* info = lists_.Find(key, length))
        p = std::min(p, std::max(Penalty(info), floor_) + ListRanking.Derived);
    };
    if (afterPrefix) stem(word.size());
    TStems stems;
    for (uint32_t endings = EndingsOf(word); endings != 0; endings &= endings - 1) {
      const std::u16string_view ending = kEndings[std::countr_zero(endings)];
      if (EndsWith(word, ending)) stems.Add(lists_, key, word.size() - ending.size());
    }
    for (const size_t length : stems) stem(length);
    return p;
  }

  // The lengths of a key's stems to look up, each read begun when it is added: the lookups miss
  // the cache alike, and so wait for memory once rather than once each.
  class TStems {
   public:
    void Add(const TWordList& lists, const TKeyPrefixes& key, size_t length) {
      lists.Prefetch(key, length);
      lengths_[count_++] = length;
    }
    const size_t* begin() const { return lengths_.data(); }
    const size_t* end() const { return lengths_.data() + count_; }

   private:
    std::array<size_t, std::max(kLongestEnding, std::size(kEndings))> lengths_;
    size_t count_ = 0;
  };

  const TWordList& lists_;
  float top_;
  float floor_;
  TTypedWaws typedWaws_;
  std::u16string key_;
  float bestScore_ = std::numeric_limits<float>::infinity();
  TReading best_;
};

// The letters a..z that some of the typed forms in a table begin or end with, as bits: a spelling
// that begins or ends with none of them is passed over at once, as most are.
template <typename Table, typename Letter>
constexpr uint32_t LettersOf(const Table& table, Letter letter) {
  uint32_t letters = 0;
  for (const auto& entry : table) letters |= uint32_t(1) << (letter(entry.Typed) - 'a');
  return letters;
}

bool AmongLetters(uint32_t letters, char c) {
  return IsLetter(c) && (letters >> (c - 'a') & 1);
}

const TVerbalPrefix* VerbalPrefixOf(std::string_view spelling) {
  static constexpr uint32_t kFirstLetters =
      LettersOf(kVerbalPrefixes, [](std::string_view typed) { return typed.front(); });
  if (spelling.empty() || !AmongLetters(kFirstLetters, spelling.front())) return nullptr;
  for (const TVerbalPrefix& prefix : kVerbalPrefixes)
    if (StartsWith(spelling, prefix.Typed) && spelling.size() >= prefix.Typed.size() + 2)
      return &prefix;
  return nullptr;
}

bool StartsWithConsonant(std::string_view rest) {
  return rest.size() >= 2 && IsLetter(rest[0]) &&
         std::string_view("aeiouy").find(rest[0]) == std::string_view::npos;
}

// Endings that the rules read into the stem before them: after a final "e", "i" is the
// indefinite or relative -i, written after the HEH ("shabakei"), and "ha" the plural, whose "eh"
// the rules would read as one HEH ("shabakehaa"); after a long "a" or "o", "ei" is -i, written
// with YEH twice ("jaaei"). The stem keeps its own final letter and the ending is written apart.
struct TTypedEnding {
  std::string_view Typed;
  size_t StemKeeps;  // letters of Typed that stay with the stem
  std::u16string_view Written;
};
// Longest first: the first that the spelling ends with is taken.
constexpr TTypedEnding kTypedEndings[] = {
    {"ehaaye", 1, u"\u200C\u0647\u0627\u064A"},
    {"ehaye", 1, u"\u200C\u0647\u0627\u064A"},
    {"ehaa", 1, u"\u200C\u0647\u0627"},
    {"eha", 1, u"\u200C\u0647\u0627"},
    {"aaei", 2, u"\u064A\u064A"},
    {"ooei", 2, u"\u064A\u064A"},
    {"aei", 1, u"\u064A\u064A"},
    {"oei", 1, u"\u064A\u064A"},
    {"eei", 1, u"\u200C\u0627\u064A"},
    {"ei", 1, u"\u200C\u0627\u064A"},
};

// The rules' reading of a spelling whose typed ending they would read into its stem, or an
// empty one.
TReading EndingReading(std::string_view spelling) {
  static constexpr uint32_t kLastLetters =
      LettersOf(kTypedEndings, [](std::string_view typed) { return typed.back(); });
  if (spelling.empty() || !AmongLetters(kLastLetters, spelling.back())) return {};
  for (const TTypedEnding& ending : kTypedEndings) {
    if (!EndsWith(spelling, ending.Typed) || spelling.size() < ending.Typed.size() + 2) continue;
    const std::string_view stem =
        spelling.substr(0, spelling.size() - ending.Typed.size() + ending.StemKeeps);
    return {TransliterateWord(stem) + std::u16string(ending.Written)};
  }
  return {};
}

// The rules' reading of a spelling split after its verbal prefix.
TReading SplitReading(const TVerbalPrefix& prefix, std::string_view spelling) {
  TReading reading;
  reading.Persian = prefix.Written;
  reading.Persian += TransliterateWord(spelling.substr(prefix.Typed.size()));
  reading.PrefixEnd = prefix.Written.size();
  reading.Joined = prefix.Joined;
  return reading;
}

char Lower(char c) {
  return static_cast<char>(LowerAsciiLetter(static_cast<unsigned char>(c)));
}

std::string Lowered(std::string_view word) {
  std::string lower(word);
  for (char& c : lower) c = Lower(c);
  return lower;
}

// The rules' own result for a word and where its verbal prefix, if the dictionary stage split
// one off, ends; handled is set when the user's dictionary (or a chat digit) rewrote the word.
TReading RulesReading(std::string_view word, bool& handled) {
  TReading reading;
  handled = false;
  if (DictionaryMode && !word.empty()) {
    std::string_view handedOn = word;
    std::string rewritten;
    TPrefixRun run;
    if (DictionaryStage(handedOn, rewritten, run, reading.Persian)) {
      reading.PrefixEnd = reading.Persian.size();
      reading.Joined = word.starts_with("mi") || word.starts_with("nemi");
      reading.Persian += TransliterateWord(handedOn);
      return reading;
    }
    handled = handedOn != word;
    // What the dictionary stage handed on, the rules read without it.
    const TDictionaryOff rulesOnly;
    reading.Persian = TransliterateWord(handedOn);
    return reading;
  }
  reading.Persian = TransliterateWord(word);
  return reading;
}

// One spelling read by the rules, with its lookup key and the reads of the key's lookups begun.
struct TSpellingRead {
  TSpelling Spelling;
  TReading Whole;  // keeps its string's room unless a reading wins and takes it
  std::u16string Key;
  std::optional<TKeyPrefixes> Prefixes;
  size_t SettledKey = 0;  // SettledKeyLength
  const TVerbalPrefix* Prefix = nullptr;

  // Reads the spelling; plain, when not empty, is what the rules read it as already. The first
  // spelling, the word itself, is weighed whatever it may begin.
  void Read(const TWordList& lists, const std::u16string& plain, bool first) {
    Prefix = VerbalPrefixOf(Spelling.Text);
    Whole = {std::move(Whole.Persian)};
    Whole.Persian.clear();
    if (!plain.empty())
      Whole.Persian = plain;
    else
      AppendTransliteratedWord(Spelling.Text, Whole.Persian);
    Key.clear();
    AppendLookupKey(Whole.Persian, Key);
    Prefixes.emplace(Key);
    lists.Prefetch(*Prefixes, Key.size());
    SettledKey = first ? 0 : SettledKeyLength(Spelling.Text, Spelling.Settled, Key.size());
    if (SettledKey) lists.Prefetch(*Prefixes, SettledKey);
  }
};

// Ranks the readings of a spelling that may win.
void Weigh(TChooser& chooser, TSpellingRead& read) {
  const TSpelling& spelling = read.Spelling;
  const TVerbalPrefix* prefix = read.Prefix;
  if (prefix && StartsWithConsonant(std::string_view(spelling.Text).substr(prefix->Typed.size()))) {
    // The rules read such a word as they read its prefix and rest apart.
    read.Whole.PrefixEnd = prefix->Written.size();
    read.Whole.Joined = prefix->Joined;
  } else if (prefix) {
    chooser.Consider(SplitReading(*prefix, spelling.Text), spelling.Cost);
  }
  chooser.Consider(std::move(read.Whole), *read.Prefixes, spelling.Cost);
  if (TReading split = EndingReading(spelling.Text); !split.Persian.empty())
    chooser.Consider(std::move(split), spelling.Cost);
}

// The best reading of a lower-case word the dictionary left alone, starting from the rules' own.
TReading SearchSpelling(std::string_view word, bool clauseEnd, TReading rules) {
  // What one search needs, kept for the next: every word is searched in the same room.
  thread_local struct {
    TSpellingCandidates Candidates;
    std::array<TSpellingRead, 2> Reads;
    std::u16string RulesKey, Skeleton;
  } room;
  const TWordList& lists = WordLists();
  TChooser chooser(lists, word);
  // Without a verbal prefix split off, the rules' reading is the word's own spelling read alone.
  const std::u16string plain = rules.PrefixEnd ? std::u16string() : rules.Persian;
  std::u16string& rulesKey = room.RulesKey;
  rulesKey.clear();
  AppendLookupKey(rules.Persian, rulesKey);
  const TKeyPrefixes rulesKeyPrefixes(rulesKey);
  lists.Prefetch(rulesKeyPrefixes, rulesKey.size());
  // The words of the same skeleton are looked at last, and mostly are: their reads begin now,
  // a stage with each spelling.
  room.Skeleton.clear();
  AppendSkeleton(rulesKey, room.Skeleton);
  TWordList::TReadAhead sameSkeleton = lists.ReadAheadSameSkeleton(room.Skeleton);
  const TDictionaryOff rulesOnly;
  // A spelling that costs as much as an unknown word above the floor could win only as one of
  // the commonest words, which nobody misspells that badly: it is not read.
  TSpellingCandidates& candidates = room.Candidates;
  candidates.Start(word, clauseEnd, ListRanking.Unknown);
  chooser.Consider(std::move(rules), rulesKeyPrefixes, 0);
  // Each spelling that may win is weighed after the next one is read, so that the lookups of
  // the one, begun when it was read, find their memory fetched while the other is read.
  TSpellingRead* read = &room.Reads[0];
  TSpellingRead* next = &room.Reads[1];
  const std::u16string unread;
  // A spelling is read only when it may still win: weighing the one before can only lower the
  // score to beat.
  bool more = candidates.Next(next->Spelling) && next->Spelling.Cost < chooser.BestScore();
  bool mayWin = false;  // the spelling read before, to be weighed
  for (int n = 0;; ++n) {
    if (more) next->Read(lists, n == 0 ? plain : unread, n == 0);
    if (mayWin) Weigh(chooser, *read);
    if (!more || next->Spelling.Cost >= chooser.BestScore()) break;
    std::swap(read, next);
    lists.ReadAhead(sameSkeleton);
    mayWin = chooser.MayWin(read->SettledKey, *read->Prefixes, read->Prefix, read->Spelling.Cost);
    if (!mayWin) candidates.SkipExtensions();
    more = n + 1 < kMaxSpellings && candidates.Next(next->Spelling) &&
           next->Spelling.Cost < chooser.BestScore();
  }
  if (chooser.WantsSkeleton()) chooser.ConsiderSameSkeleton(rulesKey);
  return std::move(chooser.Best());
}

// The choices made for recent words, since the same words recur all through a text: a fixed
// table, one choice a slot, known by a 64-bit hash of what the choice depends on (the word, its
// place, the rules' reading, which the user's dictionary shapes) and of the table's age. The age
// changes when the lists or the flags that the rules read candidates with do, or on request,
// and every older choice is forgotten at once. A newer word takes an older one's slot.
class TChoiceCache {
 public:
  // The slot of a word, whatever its capitals, in its place: known from the typed word alone, so
  // that the slot is fetched while the rules read the word, which the key needs.
  static size_t SlotOf(std::string_view word, bool clauseEnd) {
    uint64_t h = clauseEnd ? 0x84222325CBF29CE4ull : 0xCBF29CE484222325ull;
    for (const char c : word) h = (h ^ static_cast<unsigned char>(Lower(c))) * 0x100000001B3ull;
    return (h ^ (h >> 29)) & (kSlots - 1);
  }
  void Prefetch(size_t slot) const {
    if (slots_.empty()) return;
    __builtin_prefetch(&slots_[slot]);
  }
  // The hash of a lower-case word's circumstances; 0 when its choice must not be kept (the polite
  // pass reads a section that may change at any time).
  uint64_t KeyOf(std::string_view word, bool clauseEnd, const TReading& rules) {
    if (PoliteMode) return 0;
    const auto state = std::make_pair(WordListsGeneration(), TashdidMode);
    if (state != state_) ++age_;
    state_ = state;
    uint64_t h = 0xCBF29CE484222325ull;
    const auto add = [&h](uint64_t value) { h = (h ^ value) * 0x100000001B3ull; };
    add(age_);
    for (const char c : word) add(static_cast<unsigned char>(c));
    add(clauseEnd ? 0x10000 : 0x20000);
    for (const char16_t c : rules.Persian) add(c);
    add(0x30000 + rules.PrefixEnd);
    return h | 1;  // never 0, the mark of an empty slot
  }
  bool Find(size_t at, uint64_t key, TReading& choice) {
    if (slots_.empty()) slots_.resize(kSlots);
    const TSlot& slot = slots_[at];
    if (slot.Key != key) return false;
    choice.Persian.assign(slot.Persian, slot.Length);
    choice.PrefixEnd = slot.PrefixEnd;
    choice.Joined = slot.Joined;
    choice.Source = slot.Source;
    return true;
  }
  void Add(size_t at, uint64_t key, const TReading& choice) {
    if (choice.Persian.size() > kLongest) return;
    TSlot& slot = slots_[at];
    slot.Key = key;
    slot.Length = uint8_t(choice.Persian.size());
    slot.PrefixEnd = uint8_t(choice.PrefixEnd);
    slot.Joined = choice.Joined;
    slot.Source = choice.Source;
    std::copy(choice.Persian.begin(), choice.Persian.end(), slot.Persian);
  }
  void Clear() { ++age_; }

 private:
  static constexpr size_t kSlots = 1 << 18;
  // Code units of a kept choice: as many as fill a slot of one cache line, so that a lookup
  // reads one. A longer word's choice is searched each time, and very few are that long.
  static constexpr size_t kLongest = 24;
  struct alignas(64) TSlot {
    uint64_t Key = 0;
    uint8_t Length = 0;
    uint8_t PrefixEnd = 0;
    bool Joined = false;
    TSmartSource Source = TSmartSource::Rules;
    char16_t Persian[kLongest];
  };
  static_assert(sizeof(TSlot) == 64);
  std::vector<TSlot, THugePageAllocator<TSlot>> slots_;  // allocated on first use
  std::pair<uint64_t, uint8_t> state_{};
  uint64_t age_ = 0;
};

TChoiceCache& Choices() {
  static TChoiceCache choices;
  return choices;
}

// SearchSpelling, or its choice for the same word before, kept in the given slot.
TReading ChooseSpelling(std::string_view word, bool clauseEnd, size_t slot, TReading rules) {
  TChoiceCache& cache = Choices();
  const std::string lower = Lowered(word);
  const uint64_t key = SmartWeighedLog ? 0 : cache.KeyOf(lower, clauseEnd, rules);
  TReading choice;
  if (key && cache.Find(slot, key, choice)) return choice;
  choice = SearchSpelling(lower, clauseEnd, std::move(rules));
  if (key) cache.Add(slot, key, choice);
  return choice;
}

// Whether only spaces, then the line's end or a clause's closing mark, follow position at.
bool EndsClause(std::string_view segment, size_t at) {
  while (at < segment.size() && segment[at] == ' ') ++at;
  if (at == segment.size()) return true;
  switch (segment[at]) {
    case '.':
    case ',':
    case ';':
    case ':':
    case '!':
    case '?':
    case '\t':
      return true;
    default:
      return false;
  }
}

// Whether a Persian word (not an English one) ends right before the spaces in front of wordAt.
bool FollowsPersianWord(std::string_view segment, size_t wordAt) {
  size_t end = wordAt;
  while (end > 0 && segment[end - 1] == ' ') --end;
  if (end == wordAt || end == 0 || !IsWordChar(segment[end - 1])) return false;
  size_t at = end;
  while (at > 0 && IsWordChar(segment[at - 1])) --at;
  return !IsEnglishWord(segment.substr(at, end - at));
}

// The separate word typed as word, whatever its capitals, or null.
const TSeparateWord* SeparateWordTyped(std::string_view word) {
  // Asked about every word the filter reads, most of them longer than any of these.
  static constexpr size_t kLongest =
      std::max_element(std::begin(kSeparateWords), std::end(kSeparateWords),
                       [](const auto& a, const auto& b) { return a.Typed.size() < b.Typed.size(); })
          ->Typed.size();
  if (word.size() > kLongest) return nullptr;
  const auto sameLowered = [word](std::string_view typed) {
    return word.size() == typed.size() && std::equal(word.begin(), word.end(), typed.begin(),
                                                     [](char c, char t) { return Lower(c) == t; });
  };
  for (const TSeparateWord& w : kSeparateWords)
    if (sameLowered(w.Typed)) return &w;
  return nullptr;
}

// The separate word that the word at [wordAt, wordEnd) is, in its place, or null.
const TSeparateWord* SeparateWordAt(std::string_view segment, size_t wordAt, size_t wordEnd) {
  const TSeparateWord* w = SeparateWordTyped(segment.substr(wordAt, wordEnd - wordAt));
  if (!w) return nullptr;
  if (w->Attaches && !FollowsPersianWord(segment, wordAt)) return nullptr;
  if (w->WithinClauseOnly && EndsClause(segment, wordEnd)) return nullptr;
  return w;
}

bool IsListed(const TWordList& lists, std::u16string_view persian, uint8_t listBits,
              const TWordInfo** info = nullptr) {
  std::u16string key;
  AppendLookupKey(persian, key);
  const TWordInfo* found = lists.Find(key);
  if (info) *info = found;
  return found && (found->Lists & listBits);
}

}  // namespace

float ListPenalty(std::u16string_view persian) {
  std::u16string key;
  AppendLookupKey(persian, key);
  return TChooser(WordLists()).PenaltyOf(key);
}

void ApplyModernOrthography(std::u16string& persian, size_t prefixEnd) {
  std::replace(persian.begin(), persian.end(), kArabicYeh, kFarsiYeh);
  const TWordList& lists = WordLists();
  constexpr uint8_t kAny = wlCore | wlFull | wlFrequency;
  // A word of its own that begins like a prefix or ends like a plural ("miz", "tanha") is in the
  // core list written without the ZWNJ.
  const TWordInfo* whole = nullptr;
  const bool core = IsListed(lists, persian, wlCore, &whole);
  const auto joins = [&](uint8_t joiner) { return !core || (whole->Joiners & joiner); };
  if (prefixEnd) {
    if (persian.size() >= prefixEnd + 2 && joins(jnAfterPrefix))
      persian.insert(prefixEnd, 1, kZwnj);
    return;
  }
  const auto plural = std::find_if(std::begin(kPluralEndings), std::end(kPluralEndings),
                                   [&](std::u16string_view e) { return persian.ends_with(e); });
  if (plural == std::end(kPluralEndings)) return;
  const size_t stemEnd = persian.size() - plural->size();
  if (stemEnd >= 2 && persian[stemEnd - 1] != kZwnj &&
      IsListed(lists, std::u16string_view(persian).substr(0, stemEnd), kAny) &&
      joins(jnBeforePlural))
    persian.insert(stemEnd, 1, kZwnj);
}

void AppendOptionalWord(std::string_view segment, size_t wordAt, size_t wordEnd,
                        std::u16string& out) {
  const std::string_view word = segment.substr(wordAt, wordEnd - wordAt);
  // Where smart spelling keeps the word's choice, fetched while the rules read the word.
  const bool clauseEnd = SmartSpelling && EndsClause(segment, wordEnd);
  const size_t slot = SmartSpelling ? TChoiceCache::SlotOf(word, clauseEnd) : 0;
  if (SmartSpelling) Choices().Prefetch(slot);
  bool handled;
  TReading reading = RulesReading(word, handled);
  if (SmartSpelling && SmartWeighedLog) SmartWeighedLog->emplace_back();
  if (SmartSpelling && handled && SmartSourceLog)
    SmartSourceLog->push_back(TSmartSource::Dictionary);
  if (SmartSpelling && !handled) {
    if (const TSeparateWord* separate = SeparateWordAt(segment, wordAt, wordEnd)) {
      if (SmartSourceLog) SmartSourceLog->push_back(TSmartSource::Apart);
      if (separate->Attaches)
        while (!out.empty() && out.back() == u' ') out.pop_back();
      out += separate->Written;
      return;
    }
    reading = ChooseSpelling(word, clauseEnd, slot, std::move(reading));
    if (SmartSourceLog) SmartSourceLog->push_back(reading.Source);
  }
  if (ModernOrthography)
    ApplyModernOrthography(reading.Persian, reading.Joined ? reading.PrefixEnd : 0);
  out += reading.Persian;
}

bool WordEndsClause(std::string_view segment, size_t wordEnd) {
  return EndsClause(segment, wordEnd);
}

bool MayBeWrittenApart(std::string_view word) {
  return SeparateWordTyped(word) != nullptr;
}

uint8_t ApartPlaceOf(std::string_view segment, size_t wordAt, size_t wordEnd) {
  return uint8_t((EndsClause(segment, wordEnd) ? 1 : 0) |
                 (FollowsPersianWord(segment, wordAt) ? 2 : 0));
}

void ForgetSmartChoices() {
  Choices().Clear();
}
