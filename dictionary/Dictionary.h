#pragma once
// The user dictionary: seven sections of romanized corrections, their file and their lookups.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "DictionaryIni.h"
#include "KeyLeads.h"

// Engine option flags: bytes, true when non-zero, read by the engine at every call.
extern uint8_t DictionaryMode;
extern uint8_t ChatMode;
extern uint8_t TashdidMode;
extern uint8_t PrefixMode;  // the "Automatic Suffix" option
extern uint8_t PoliteMode;
extern uint8_t MiddleMode;
extern uint8_t EnglishDetectMode;

// The initial values of the flags above, set by the module's start.
struct TDictionaryFlags {
  uint8_t Dictionary, Chat, Tashdid, Prefix, Polite, Middle;
  // On by the operating system's version, and every system this runs on is new enough.
  uint8_t EnglishDetect;
};
inline constexpr TDictionaryFlags kDictionaryFlagDefaults{1, 1, 1, 0, 0, 1, 1};
// Sets the flags above to their initial values.
void SetDictionaryFlagDefaults();

namespace detail {
class TKeyTable;
class TMiddleMatcher;
}  // namespace detail

enum TDicKind : uint8_t { dkNone = 0, dkWhole = 1, dkSuffix = 2, dkPrefix = 3, dkMiddle = 4 };

// One dictionary section: sorted "key=value" lines, read for their keys and values in place, and
// a letter index.
class TDicValueObject {
 public:
  explicit TDicValueObject(TDicKind kind);  // Create

  void Clear();
  void AddEntry(std::string_view key, std::string_view value);
  void SetEntry(std::string_view key, std::string_view value);
  void DeleteEntry(std::string_view key);
  // Replaces all entries by "name=value" lines, in one batch.
  void LoadFromStrings(const std::vector<std::string>& lines);
  void LoadFromLines(const TLines& lines);
  // One "key=value" line per entry, keys in normal order, sorted without regard to case.
  void SaveToStrings(std::vector<std::string>& lines) const;
  void SaveTo(TLines& lines) const;

  // Value of the first entry whose key equals key, or "" (kinds 1 and 3; a suffix section answers
  // by its own keys, the other kinds always "").
  std::string Find(std::string_view key);
  // Find's value in place, valid until the next change. This and the lookups below answer most
  // words here, by MayMatch, without a call: the engine asks them about every word.
  std::string_view FindValue(std::string_view key) {
    return MayMatch(key) ? LookUpValue(key) : std::string_view();
  }
  // word with the part that the section's kind matches replaced by its value.
  std::string FindPart(std::string_view word);
  // True exactly when FindPart(word) differs from word.
  bool MatchesPart(std::string_view word) { return FindChangedPart(word, part_); }
  // The same, with FindPart(word) then in out (out is otherwise left in no particular state).
  bool FindChangedPart(std::string_view word, std::string& out) {
    // FindPart of an empty word is the empty word.
    return !word.empty() && MayMatch(word) && ComputePart(word, out) && out != word;
  }
  // For a prefix section, what the engine asks about every word, from one walk over its
  // beginnings: FindValue(word), and when that is "", whether FindChangedPart(word, out) holds.
  struct TBeginningMatch {
    std::string_view Value;
    bool Changed = false;
  };
  TBeginningMatch MatchBeginning(std::string_view word, std::string& out) {
    return kind_ == dkPrefix && MayMatch(word) ? WalkBeginning(word, out) : TBeginningMatch();
  }
  enum class TMiddleMatch : uint8_t { NoKey, Unchanged, Changed };
  // For a middle section: whether a key occurs in word and, when one does, whether FindPart(word)
  // differs from word, which it then puts in out.
  TMiddleMatch MatchMiddleIn(std::string_view word, std::string& out);

  // False when no key of a whole-word, prefix or suffix section can be word, begin it or end it,
  // as the kind reads it: most words, told by a bit test. True for the other kinds.
  bool MayMatch(std::string_view word) const {
    switch (kind_) {
      case dkWhole:
      case dkPrefix:
        return leads_.MayBegin(word);
      case dkSuffix:
        return leads_.MayEnd(word);
      default:
        return true;
    }
  }

  TDicKind Kind() const { return kind_; }
  size_t Count() const { return entries_.size(); }
  // Key and value of entry i in list order; the key in normal order.
  std::string Key(size_t i) const;
  std::string_view Value(size_t i) const;
  // The length of the longest key: a longer word is no key.
  size_t LongestKey() const { return longestKey_; }
  // The stored lines, in list order (suffix keys reversed).
  const std::vector<std::string>& Entries() const { return entries_; }
  bool Modified = false;

  // The positions [first, last) in Entries of the lines whose stored key begins with letter a..z;
  // empty for other characters and for kinds 0 and 4.
  std::pair<size_t, size_t> LetterRange(char letter) const;
  // Rebuilds the letter index from the current lines.
  void BuildLetterIndex();

 private:
  // Index and cache from the current lines; Modified set.
  void EntriesChanged();
  template <typename Lines>
  void Load(const Lines& lines);
  std::string StoredKey(std::string_view key) const;
  // Value(i) when the key of line i is known to be keyLength long.
  std::string_view ValueAfter(size_t i, size_t keyLength) const;
  size_t FirstLineWithKey(size_t first, size_t last, std::string_view storedKey) const;
  // The table of the stored keys of the letter ranges, built on first use after a change.
  const detail::TKeyTable& Table();
  // The first line whose key is key in a whole-word section's letter ranges, or none.
  uint32_t FindWhole(std::string_view key);
  // The first line with the longest key of a prefix section that begins word, and that key's
  // length; the key is the word when the lengths agree.
  struct TPrefixHits {
    uint32_t Longest = 0;
    size_t LongestLength = 0;
  };
  TPrefixHits WalkPrefixes(std::string_view word);
  // MatchPrefix once the walk is done.
  bool ReplacePrefix(std::string_view word, const TPrefixHits& walk, std::string& out) const;
  // FindValue and MatchBeginning for a key or word that MayMatch lets through.
  std::string_view LookUpValue(std::string_view key);
  TBeginningMatch WalkBeginning(std::string_view word, std::string& out);
  // Each writes FindPart's result to out and returns true, or returns false when the result is
  // the word itself (out then untouched); for a nonempty word that MayMatch lets through.
  bool ComputePart(std::string_view word, std::string& out);
  bool MatchWhole(std::string_view word, std::string& out);
  bool MatchSuffix(std::string_view word, std::string& out);
  bool MatchPrefix(std::string_view word, std::string& out);
  bool MatchMiddle(std::string_view word, std::string& out);
  // The line of the middle section's first key, in list order, that occurs in word, or none.
  uint32_t FirstMiddleKeyIn(std::string_view word);
  // out := word with that key replaced by its value.
  void ReplaceMiddleKey(std::string_view word, uint32_t line, std::string& out) const;

  TDicKind kind_;
  std::vector<std::string> entries_;
  size_t longestKey_ = 0;
  // letterStart_[c] .. letterStart_[c + 1] is the range of letter 'a' + c.
  std::array<size_t, 27> letterStart_{};
  detail::TKeyLeads leads_;  // of the stored keys
  // MatchesPart's result, kept to spare an allocation per call.
  std::string part_;
  // Both built on the first lookup that needs them after a change, so that loading and editing
  // stay cheap; shared by copies of the section, never changed once built.
  std::shared_ptr<const detail::TKeyTable> table_;  // whole-word, prefix and suffix sections
  std::shared_ptr<const detail::TMiddleMatcher> middle_;
};

// The seven sections, created by the module's start and alive until the program ends.
extern TDicValueObject* WholeWords;
extern TDicValueObject* PoliteWords;
extern TDicValueObject* SuffixWords;
extern TDicValueObject* PrefixWords;
extern TDicValueObject* MiddleWords;
extern TDicValueObject* EnglishWholeWords;
extern TDicValueObject* EnglishPrefixWords;

// Failures of the module reach the user through this; the window layer shows message boxes.
class TDictionaryReporter {
 public:
  virtual ~TDictionaryReporter() = default;
  virtual void Warning(const std::string& text) = 0;
  virtual void Error(const std::string& text) = 0;
};

// The file's full path, set by the module's start.
extern std::string DictionaryFileName;

// Bits naming the file sections that LoadDictionary reads.
enum TDictionarySection : uint8_t {
  dsPolite = 0x01,
  dsWhole = 0x02,
  dsSuffix = 0x04,
  dsChat = 0x08,  // never read
  dsPrefix = 0x10,
  dsMiddle = 0x20,
  dsEnglish = 0x40,
};
// The sections that the module's start reads: all of them.
inline constexpr uint8_t DictionarySections = 0x7F;

struct TDicPair {
  std::string_view Key;
  std::string_view Value;
};

// The entries that seed a new dictionary; the seventh whole-word pair occurs again as the last.
inline constexpr std::array<TDicPair, 15> DefaultWholeWords{{
    {"khast", "khavaast"},
    {"khah", "khavaah"},
    {"khan", "khavaan"},
    {"khaj", "khavaaj"},
    {"egan", "egaan"},
    {"khahar", "khavaahar"},
    {"aya", "aaya"},
    {"yani", "ya`ni"},
    {"anha", "aanha"},
    {"ary", "aary"},
    {"bayad", "baayad"},
    {"anjam", "anjaam"},
    {"payan", "paayaan"},
    {"salam", "salaam"},
    {"aya", "aaya"},
}};
inline constexpr std::array<TDicPair, 1> DefaultPrefixWords{{
    {"ghorbon", "ghorboon"},
}};
inline constexpr std::array<TDicPair, 8> DefaultSuffixWords{{
    {"ton", "toon"},
    {"tan", "taan"},
    {"haton", "haatoon"},
    {"hatan", "haataan"},
    {"shon", "shoon"},
    {"hashon", "haashoon"},
    {"shan", "shaan"},
    {"hashan", "haashaan"},
}};

// Where the dictionary file lives: in programDir when that directory is writable, else in
// perUserDir (created when needed), seeded from a copy of programDir's file when there is one.
std::string ChooseDictionaryFile(const std::string& programDir, const std::string& perUserDir);
// The file ChooseDictionaryFile picks, without creating or copying anything.
std::string DictionaryFileFor(const std::string& programDir, const std::string& perUserDir);
// The module's start: flag defaults, sections, file loaded or created with default entries.
void StartDictionaryModule(const std::string& fileName, TDictionaryReporter& reporter);
// Loads the given file sections from the file image into the sections; false, changing nothing,
// when the file does not exist.
bool LoadDictionary(uint8_t sections);
// Loads the given file sections from image into the sections, as LoadDictionary does from the file.
void LoadSectionsFrom(const TDictionaryIni& image, uint8_t sections);
// Fills EnglishWholeWords ("name=Whole" lines) and EnglishPrefixWords (all other lines).
void LoadEnglishWords(const std::vector<std::string>& lines);
void LoadEnglishWords(const TLines& lines);
// Writes a new file holding the default entries; false after an error to the reporter.
bool CreateDefaultDictionary(TDictionaryReporter& reporter);
// The image of the file that SaveDictionary writes, from the sections as they stand.
TDictionaryIni SavedImage();
// Writes the whole file; false (old file and sections untouched) when it could not be written.
bool SaveDictionary();
// Whether SaveDictionary leaves the file alone, as the user was told at the start: it could not
// be read, or it held what a save would drop and no copy of it could be kept.
bool DictionaryFileKept();
// Frees the sections and the file image.
void FinishDictionaryModule();

// The seven sections, created empty (any earlier ones are freed).
void CreateSections();
// The default entries, added to the sections in memory as when no file can be written.
void AddDefaultEntries();
// Reads the file at path into the file image and loads all seven sections from it, without ever
// writing it; false, leaving the sections as they were, when it cannot be read.
bool ReadDictionaryFile(const std::string& path);
