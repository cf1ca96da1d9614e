#include "SmartSpelling.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "Dictionary.h"
#include "DictionaryStage.h"
#include "WordList.h"
#include "trans.h"

uint8_t SmartSpelling = 0;
uint8_t ModernOrthography = 0;

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
// is nearly always "oo", so both are almost free.
constexpr TSubstitution kSubstitutions[] = {
    {"q", "gh", 0.05f, TPlace::Anywhere},      {"u", "oo", 0.05f, TPlace::WordStart},
    {"e", "", 0.33f, TPlace::Ezafe},           {"x", "kh", 0.69f, TPlace::Anywhere},
    {"kha", "khava", 1.1f, TPlace::Anywhere},  {"an", "a``", 1.1f, TPlace::WordEnd},
    {"h", "h`", 1.4f, TPlace::Anywhere},       {"ou", "o", 1.6f, TPlace::Anywhere},
    {"c", "ch", 1.8f, TPlace::Anywhere},       {"gh", "gh`", 2.0f, TPlace::Anywhere},
    {"a", "aa", 2.2f, TPlace::BeforeLetter},   {"o", "oo", 2.2f, TPlace::Anywhere},
    {"t", "t`", 2.3f, TPlace::Anywhere},       {"z", "z`", 2.4f, TPlace::Anywhere},
    {"s", "s`", 2.6f, TPlace::Anywhere},       {"u", "o", 2.8f, TPlace::Anywhere},
    {"z", "z``", 3.0f, TPlace::Anywhere},      {"z", "z```", 3.0f, TPlace::Anywhere},
    {"kha", "khavaa", 3.3f, TPlace::Anywhere}, {"s", "s``", 3.8f, TPlace::Anywhere},
    {"e", "e`", 4.0f, TPlace::Anywhere},       {"oo", "o", 4.0f, TPlace::Anywhere},
    {"a", "a`", 4.4f, TPlace::Anywhere},       {"aa", "a`a", 4.4f, TPlace::Anywhere},
    {"a", "a``", 4.4f, TPlace::WordEnd},       {"o", "o`", 4.8f, TPlace::Anywhere},
    {"e", "i", 5.4f, TPlace::Anywhere},
};

// Pairs of letters that the rules read as one sound; a substitution replaces them together or
// not at all, so that "s" in "sh" never becomes "s`".
constexpr std::string_view kDigraphs[] = {"sh", "ch", "zh", "kh", "gh", "ph", "ck",
                                          "aa", "ee", "oo", "ou", "ea", "ae"};

bool IsLetter(char c) {
  return c >= 'a' && c <= 'z';
}

// How far the token at i reaches: a digraph or one character, with the backticks after it.
size_t TokenEnd(std::string_view word, size_t i) {
  size_t end = i + 1;
  for (const std::string_view digraph : kDigraphs)
    if (word.substr(i, 2) == digraph) end = i + 2;
  while (end < word.size() && word[end] == '`') ++end;
  return end;
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

TSpellingCandidates::TSpellingCandidates(std::string_view word, bool clauseEnd, float maxCost)
    : word_(word), maxCost_(maxCost) {
  // Token boundaries: a substitution starts at one and ends at one.
  std::vector<bool> boundary(word_.size() + 1, false);
  std::vector<bool> marked(word_.size() + 1, false);  // a token followed by a backtick
  for (size_t i = 0; i < word_.size();) {
    const size_t end = TokenEnd(word_, i);
    boundary[i] = true;
    marked[i] = end > i + 1 && word_[end - 1] == '`';
    i = end;
  }
  boundary[word_.size()] = true;
  for (size_t at = 0; at < word_.size(); ++at) {
    if (!boundary[at] || marked[at]) continue;
    for (const TSubstitution& s : kSubstitutions) {
      const size_t end = at + s.From.size();
      if (s.Cost >= maxCost_ || end > word_.size() || !boundary[end] ||
          std::string_view(word_).substr(at, s.From.size()) != s.From ||
          !PlaceHolds(s.Place, word_, at, end, clauseEnd))
        continue;
      // A substitution that ends where a backtick follows would take the mark from its letter.
      if (end < word_.size() && word_[end] == '`') continue;
      sites_.push_back({uint16_t(at), uint8_t(s.From.size()), s.To, s.Cost});
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

std::string TSpellingCandidates::Spell(int32_t node) const {
  std::string text;
  size_t done = word_.size();
  // The chosen sites, last first: each is spliced in from the end of the word backwards.
  std::vector<const TSite*> chosen;
  for (int32_t n = node; n >= 0; n = nodes_[n].Parent) chosen.push_back(&sites_[nodes_[n].Site]);
  size_t at = 0;
  for (auto s = chosen.rbegin(); s != chosen.rend(); ++s) {
    text.append(word_, at, (*s)->At - at).append((*s)->By);
    at = (*s)->At + (*s)->Replaced;
  }
  text.append(word_, at, done - at);
  return text;
}

bool TSpellingCandidates::Next(TSpelling& spelling) {
  if (!started_) {
    started_ = true;
    Expand(-1);
    spelling = {word_, 0};
    return true;
  }
  if (heap_.empty()) return false;
  std::pop_heap(heap_.begin(), heap_.end(), std::greater<>());
  const int32_t node = heap_.back().second;
  heap_.pop_back();
  Expand(node);
  spelling = {Spell(node), nodes_[node].Cost};
  return true;
}

namespace {

// How a spelling's Persian ranks by the lists, in the units of the substitution costs: a word no
// list knows costs kUnknown, so a known spelling replaces the rules' unknown one only when its
// substitutions cost less than that.
struct TRanking {
  float Unknown;
  float FrequencyScale;  // per factor e of frequency rank
  float Core;            // listed in aspell-fa's core list
  float Full;            // listed in aspell-fa's full list only
  float Stem;            // added for a verbal prefix + listed stem + personal ending
};
constexpr TRanking kRanking{6.0f, 0.35f, 1.0f, 2.5f, 1.0f};

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

// Personal endings after a verb stem, as lookup keys; the empty one first.
constexpr std::u16string_view kPersonalEndings[] = {
    u"",
    u"\u0645",
    u"\u06CC",
    u"\u062F",
    u"\u06CC\u0645",
    u"\u06CC\u062F",
    u"\u0646\u062F",
    u"\u06CC\u0646",
    u"\u0646",
    u"\u0647",
};

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

// A plural ending typed as a word of its own, and how it is written joined to its noun.
struct TSeparatePlural {
  std::string_view Typed;
  std::u16string_view Written;
};
constexpr TSeparatePlural kSeparatePlurals[] = {
    {"ha", u"\u0647\u0627"},
    {"haa", u"\u0647\u0627"},
    {"hay", u"\u0647\u0627\u06CC"},
    {"haye", u"\u0647\u0627\u06CC"},
};

// Candidates beyond this many are not looked at, so that a long word costs no more than a
// bounded number of transliterations.
constexpr int kMaxSpellings = 48;

float ListPenalty(const TWordInfo* info) {
  if (!info) return kRanking.Unknown;
  float p = kRanking.Unknown;
  if (info->FrequencyRank)
    p = std::min(p, kRanking.FrequencyScale * std::log(float(info->FrequencyRank)));
  if (info->Lists & wlCore) p = std::min(p, kRanking.Core);
  if (info->Lists & wlFull) p = std::min(p, kRanking.Full);
  return p;
}

// One reading of a spelling in Persian, with the end of its verbal prefix (0: none).
struct TReading {
  std::u16string Persian;
  size_t PrefixEnd = 0;
};

// Turns the dictionary off while the rules read candidate spellings, as the similar-words menu
// does: a candidate is a spelling of the typed word, not a word of the user's.
class TRulesOnly {
 public:
  TRulesOnly() : saved_(DictionaryMode) { DictionaryMode = 0; }
  ~TRulesOnly() { DictionaryMode = saved_; }
  TRulesOnly(const TRulesOnly&) = delete;
  TRulesOnly& operator=(const TRulesOnly&) = delete;

 private:
  uint8_t saved_;
};

class TChooser {
 public:
  explicit TChooser(const TWordList& lists) : lists_(lists) {}

  // Ranks a reading; keeps it when it beats the best so far.
  void Consider(TReading&& reading, float cost) {
    key_.clear();
    AppendLookupKey(reading.Persian, key_);
    float penalty = ListPenalty(lists_.Find(key_));
    if (reading.PrefixEnd) {
      std::u16string prefixKey;
      AppendLookupKey(std::u16string_view(reading.Persian).substr(0, reading.PrefixEnd), prefixKey);
      penalty = std::min(penalty, StemPenalty(std::u16string_view(key_).substr(prefixKey.size())));
    }
    if (cost + penalty < bestScore_) {
      bestScore_ = cost + penalty;
      best_ = std::move(reading);
    }
  }
  float BestScore() const { return bestScore_; }
  TReading& Best() { return best_; }

 private:
  // A stem that the lists know followed by a personal ending.
  float StemPenalty(std::u16string_view rest) const {
    float p = kRanking.Unknown;
    for (const std::u16string_view ending : kPersonalEndings) {
      if (!rest.ends_with(ending) || rest.size() < ending.size() + 2) continue;
      p = std::min(
          p, kRanking.Stem + ListPenalty(lists_.Find(rest.substr(0, rest.size() - ending.size()))));
    }
    return p;
  }

  const TWordList& lists_;
  std::u16string key_;
  float bestScore_ = kRanking.Unknown * 2;
  TReading best_;
};

const TVerbalPrefix* VerbalPrefixOf(std::string_view spelling) {
  for (const TVerbalPrefix& prefix : kVerbalPrefixes)
    if (spelling.starts_with(prefix.Typed) && spelling.size() >= prefix.Typed.size() + 2)
      return &prefix;
  return nullptr;
}

// The rules' reading of a spelling split after its verbal prefix.
TReading SplitReading(const TVerbalPrefix& prefix, std::string_view spelling) {
  TReading reading;
  reading.Persian = prefix.Written;
  reading.Persian += TransliterateWord(spelling.substr(prefix.Typed.size()));
  reading.PrefixEnd = prefix.Joined ? prefix.Written.size() : 0;
  return reading;
}

std::string Lowered(std::string_view word) {
  std::string lower(word);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = char(c + ('a' - 'A'));
  return lower;
}

// The rules' own result for a word and where its verbal prefix, if the dictionary stage split
// one off, ends; handled is set when the user's dictionary (or a chat digit) rewrote the word.
TReading RulesReading(std::string_view word, bool& handled) {
  TReading reading;
  handled = false;
  if (DictionaryMode && !word.empty()) {
    std::string rewritten(word);
    if (const size_t restAt = DictionaryStage(rewritten, reading.Persian)) {
      const bool joined = word.starts_with("mi") || word.starts_with("nemi");
      if (joined) reading.PrefixEnd = reading.Persian.size();
      reading.Persian += TransliterateWord(word.substr(restAt));
      return reading;
    }
    handled = rewritten != word;
    reading.Persian.clear();
  }
  reading.Persian = TransliterateWord(word);
  return reading;
}

// The best reading of a word the dictionary left alone, starting from the rules' own.
TReading ChooseSpelling(std::string_view word, bool clauseEnd, TReading rules) {
  TChooser chooser(WordLists());
  chooser.Consider(std::move(rules), 0);
  const TRulesOnly rulesOnly;
  TSpellingCandidates candidates(Lowered(word), clauseEnd, kRanking.Unknown);
  TSpelling spelling;
  for (int n = 0; n < kMaxSpellings && candidates.Next(spelling); ++n) {
    if (spelling.Cost >= chooser.BestScore()) break;
    if (const TVerbalPrefix* prefix = VerbalPrefixOf(spelling.Text))
      chooser.Consider(SplitReading(*prefix, spelling.Text), spelling.Cost);
    chooser.Consider({TransliterateWord(spelling.Text), 0}, spelling.Cost);
  }
  return std::move(chooser.Best());
}

bool IsWordByte(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 0x60 && c <= 0x7A) || (c >= '0' && c <= '9');
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

// A separate plural ending joins the noun before it: only spaces between them, and the noun is
// Persian. Returns how it is written, or an empty view.
std::u16string_view JoiningPlural(std::string_view segment, size_t wordAt, std::string_view word) {
  const std::string lower = Lowered(word);
  const auto plural = std::find_if(std::begin(kSeparatePlurals), std::end(kSeparatePlurals),
                                   [&](const TSeparatePlural& p) { return p.Typed == lower; });
  if (plural == std::end(kSeparatePlurals)) return {};
  size_t nounEnd = wordAt;
  while (nounEnd > 0 && segment[nounEnd - 1] == ' ') --nounEnd;
  if (nounEnd == wordAt || nounEnd == 0 || !IsWordByte(segment[nounEnd - 1])) return {};
  size_t nounAt = nounEnd;
  while (nounAt > 0 && IsWordByte(segment[nounAt - 1])) --nounAt;
  if (IsEnglishWord(segment.substr(nounAt, nounEnd - nounAt))) return {};
  return plural->Written;
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

void ApplyModernOrthography(std::u16string& persian, size_t prefixEnd) {
  std::replace(persian.begin(), persian.end(), kArabicYeh, kFarsiYeh);
  const TWordList& lists = WordLists();
  constexpr uint8_t kAny = wlCore | wlFull | wlFrequency;
  // A word of its own that begins like a prefix or ends like a plural ("miz", "tanha") is in the
  // core list written without the ZWNJ.
  const TWordInfo* whole = nullptr;
  const bool core = IsListed(lists, persian, wlCore, &whole);
  const auto joins = [&](uint8_t joiner) { return !core || (whole->Joiners & joiner); };
  for (const std::u16string_view ending : kPluralEndings) {
    if (prefixEnd || !persian.ends_with(ending)) continue;
    const size_t stemEnd = persian.size() - ending.size();
    if (stemEnd >= 2 && persian[stemEnd - 1] != kZwnj &&
        IsListed(lists, std::u16string_view(persian).substr(0, stemEnd), kAny) &&
        joins(jnBeforePlural))
      persian.insert(stemEnd, 1, kZwnj);
    break;
  }
  if (prefixEnd && persian.size() >= prefixEnd + 2 && joins(jnAfterPrefix))
    persian.insert(prefixEnd, 1, kZwnj);
}

void AppendOptionalWord(std::string_view segment, size_t wordAt, size_t wordEnd,
                        std::u16string& out) {
  const std::string_view word = segment.substr(wordAt, wordEnd - wordAt);
  if (SmartSpelling) {
    if (const std::u16string_view plural = JoiningPlural(segment, wordAt, word); !plural.empty()) {
      while (!out.empty() && out.back() == u' ') out.pop_back();
      out += kZwnj;
      out += plural;
      return;
    }
  }
  bool handled;
  TReading reading = RulesReading(word, handled);
  if (SmartSpelling && !handled)
    reading = ChooseSpelling(word, EndsClause(segment, wordEnd), std::move(reading));
  if (ModernOrthography) ApplyModernOrthography(reading.Persian, reading.PrefixEnd);
  out += reading.Persian;
}
