#pragma once
// Two options over the letter rules. Smart spelling chooses, for each word that the user's
// dictionary leaves alone, among its alternative spellings the one that a Persian word list knows;
// modern orthography writes FARSI YEH and the ZWNJs of today's Persian.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "Skeleton.h"

// Engine option flags: bytes, true when non-zero, off at start. With both off every result is
// the letter rules' own.
extern uint8_t SmartSpelling;
extern uint8_t ModernOrthography;

// How a spelling's Persian ranks by the lists, in the units of the substitution costs (about the
// negative logarithm of how likely each is): a word the frequency list counts n times, against
// the most frequent word's N, costs FrequencyScale * ln(N / n). Every word that the frequency
// list lacks is rarer than its rarest, so the other classes cost that much (the floor) and more:
// a word only aspell-fa lists, a form derived from a listed stem, and last a word no list knows.
// A known spelling replaces the rules' unknown one only when its substitutions cost less than
// the difference. The accuracy benchmark fits them to real text.
struct TListRanking {
  float FrequencyScale = 1.4f;
  float Core = 0.0f;     // listed in aspell-fa's core list
  float Full = 5.0f;     // listed in aspell-fa's full list only
  float Derived = 6.0f;  // not listed, but a listed stem with a verbal prefix or an ending
  float Unknown = 8.0f;
};
extern TListRanking ListRanking;

// What a reading that a list holds costs, beside its substitutions and rank, for each run of "o" or
// "u" in the typed word ("o", "oo", "ou" and "u" count once each) beyond the WAWs it writes. A
// short "o" and a long one are typed alike, and the lists rank some short written forms far above
// their long neighbours (خب above خوب, در above دور, دست above دوست); yet a typed "o" means the WAW
// more often than the ranks alone say. The accuracy benchmark fits it to real text.
extern float UnwrittenWaw;
// And for each WAW a listed word writes where the typist typed no vowel or consonant for it: the
// colloquial ازشون is no reading of a formally typed "azashaan".
extern float UntypedWaw;

// How the lists rank a Persian word, in those units: the less, the likelier. A word no list
// holds, nor as a listed stem and an ending, costs the most.
float ListPenalty(std::u16string_view persian);

// What a listed word found by its consonant skeleton costs besides its rank.
extern TSkeletonCosts SkeletonCosts;

// Where smart spelling found a word's Persian, for the accuracy benchmark's tally.
enum class TSmartSource : uint8_t {
  Dictionary,  // the user's dictionary or a chat digit rewrote the word; nothing was chosen
  Rules,       // the letter rules' own spelling won
  Variant,     // a letter variant of the typed word
  Affix,       // a listed stem with a verbal prefix or an ending
  Skeleton,    // a listed word of the same consonant skeleton
  Apart,       // a short word typed apart: a plural ending, an ezafe, "o"
};
// When set, every word that AppendOptionalWord converts with smart spelling on appends its source.
extern std::vector<TSmartSource>* SmartSourceLog;
// When set, every such word also appends the lookup keys of the readings its search weighed
// (none when it was not searched), and no word takes the choice kept for it before, so that each
// is searched: the accuracy benchmark tells a wrong choice from a right word never reached.
extern std::vector<std::vector<std::u16string>>* SmartWeighedLog;

// The substitution table's rows, for the accuracy benchmark to fit: their number, the cost in use
// of each, and its name ("a>aa" for "a" to "aa"). A changed cost holds for the spellings read
// afterwards, once ForgetSmartChoices has been called.
size_t SubstitutionRows();
float& SubstitutionCost(size_t row);
std::string SubstitutionName(size_t row);
// What the table charges for typing from where the word has to, the least among its rows that do
// so anywhere in a word; a row's worth beyond the dearest when none does.
float SubstitutionCostOf(std::string_view from, std::string_view to);

// One spelling of a romanized word and the sum of its substitutions' costs.
struct TSpelling {
  std::string Text;
  float Cost = 0;
  // Every later spelling that extends this one keeps Text up to here unchanged.
  size_t Settled = 0;
};

// The alternative spellings of a lower-case romanized word, cheapest first, the word itself
// first of all. Each substitution is one of a fixed table (same-sounding letters, unwritten
// vowels, a dropped ezafe); they never overlap, and a letter marked with a backtick keeps it.
class TSpellingCandidates {
 public:
  // A longer word has no alternatives: no typed word is that long, and the work stays bounded.
  static constexpr size_t kLongestWord = 63;

  TSpellingCandidates() = default;
  // clauseEnd: the word ends a clause, so a final "e" is no ezafe and is never dropped. Spellings
  // that cost maxCost or more are never produced.
  TSpellingCandidates(std::string_view word, bool clauseEnd, float maxCost) {
    Start(word, clauseEnd, maxCost);
  }
  // Begins the spellings of another word, in the room that the words before needed.
  void Start(std::string_view word, bool clauseEnd, float maxCost);
  // The next spelling in order of cost; false when there are no more.
  bool Next(TSpelling& spelling);
  // Leaves out the spellings that would extend the last one: its settled part leads nowhere.
  void SkipExtensions() { expand_ = false; }

 private:
  // Spell copies a fixed number of bytes for each piece of a spelling.
  static constexpr size_t kPiece = 64;
  static constexpr size_t kLongestBy = 8;
  struct TSite {
    uint16_t At;
    uint8_t Replaced;  // letters of the word replaced
    uint8_t ByLength;
    std::array<char, kLongestBy> By;  // what replaces them, in its first ByLength
    float Cost;
  };
  // One set of substitutions: the last one chosen and the set without it.
  struct TNode {
    float Cost;
    int32_t Parent;  // -1 for the word itself
    uint16_t Site;
  };
  void Expand(int32_t node);
  // The node's spelling, with where its last substitution ends.
  void Spell(int32_t node, TSpelling& spelling) const;

  std::string word_;
  std::array<char, kLongestWord + kPiece> padded_;  // the word, and zeros up to the end
  float maxCost_ = 0;
  std::vector<TSite> sites_;  // by position, then table order
  std::vector<TNode> nodes_;
  std::vector<std::pair<float, int32_t>> heap_;  // min-heap of (cost, node)
  bool started_ = false;
  int32_t last_ = -1;              // the node of the last spelling
  bool expand_ = true;             // its extensions are wanted
  std::vector<uint64_t> spelled_;  // hashes of the spellings given out
};

// Persian joined by the options' orthography: FARSI YEH for ARABIC YEH, and with the word lists'
// help a ZWNJ after a verbal prefix ending at prefixEnd (0: none) and before a plural ending.
void ApplyModernOrthography(std::u16string& persian, size_t prefixEnd);

// ConvertSegment's step for a word that is not English while either option is on: appends the
// word's Persian to out. The segment and the word's place in it [wordAt, wordEnd) tell whether
// the word ends a clause and whether it is a plural ending typed apart from its noun.
void AppendOptionalWord(std::string_view segment, size_t wordAt, size_t wordEnd,
                        std::u16string& out);
// What AppendOptionalWord's result depends on besides the word, the options, the dictionary and
// the lists: whether the word ends a clause (only spaces, then the segment's end or a clause's
// closing mark, follow wordEnd), and for a word that may be written apart from the rules ("ha",
// "o") also its neighbours and the spaces written before it, which it may take back.
bool WordEndsClause(std::string_view segment, size_t wordEnd);
bool MayBeWrittenApart(std::string_view word);
// For such a word, all its neighbours count for: whether it ends a clause (bit 0) and whether a
// Persian word ends right before the spaces in front of it (bit 1).
uint8_t ApartPlaceOf(std::string_view segment, size_t wordAt, size_t wordEnd);
// Forgets the choices kept for words met before, so that the next ones are searched afresh.
void ForgetSmartChoices();
