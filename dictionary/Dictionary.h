#pragma once
// The user dictionary: seven sections of romanized corrections, their file and their lookups.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Engine option flags: bytes, true when non-zero, read by the engine at every call.
extern uint8_t DictionaryMode;
extern uint8_t ChatMode;
extern uint8_t TashdidMode;
extern uint8_t PrefixMode;  // the "Automatic Suffix" option
extern uint8_t PoliteMode;
extern uint8_t MiddleMode;
extern uint8_t EnglishDetectMode;

enum TDicKind : uint8_t { dkNone = 0, dkWhole = 1, dkSuffix = 2, dkPrefix = 3, dkMiddle = 4 };

// One dictionary section: sorted "key=value" lines with parallel key and value arrays, a letter
// index and a one-entry cache of the last lookup.
class TDicValueObject {
 public:
  explicit TDicValueObject(TDicKind kind);  // Create

  void Clear();
  void AddEntry(std::string_view key, std::string_view value);
  void SetEntry(std::string_view key, std::string_view value);
  void DeleteEntry(std::string_view key);
  // Replaces all entries by "name=value" lines, in one batch.
  void LoadFromStrings(const std::vector<std::string>& lines);
  // One "key=value" line per entry, keys in normal order, sorted without regard to case.
  void SaveToStrings(std::vector<std::string>& lines) const;

  // Value of the first entry whose key equals key, or "" (kinds 1 and 3).
  std::string Find(std::string_view key);
  // word with the part that the section's kind matches replaced by its value.
  std::string FindPart(std::string_view word);
  // True exactly when FindPart(word) differs from word.
  bool MatchesPart(std::string_view word);

  TDicKind Kind() const { return kind_; }
  size_t Count() const { return keys_.size(); }
  const std::vector<std::string>& Keys() const { return keys_; }
  const std::vector<std::string>& Values() const { return values_; }
  // The stored lines, in list order (suffix keys reversed).
  const std::vector<std::string>& Entries() const { return entries_; }
  bool Modified = false;

 private:
  // implementation's choice
  TDicKind kind_;
  std::vector<std::string> entries_;
  std::vector<std::string> keys_;
  std::vector<std::string> values_;
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

// Where the dictionary file lives: in programDir when that directory is writable, else in
// perUserDir (created when needed), seeded from a copy of programDir's file when there is one.
std::string ChooseDictionaryFile(const std::string& programDir, const std::string& perUserDir);
// The module's start: flag defaults, sections, file loaded or created with default entries.
void StartDictionaryModule(const std::string& fileName, TDictionaryReporter& reporter);
// Writes the whole file; false (old file and sections untouched) when it could not be written.
bool SaveDictionary();
// Frees the sections and the file image.
void FinishDictionaryModule();
