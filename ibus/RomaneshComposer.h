#pragma once
// Typing Romanesh into any program: the keys of an input method, turned into the current word's
// Persian as pre-edit text, committed text and a list of candidate spellings. Plain C++ over the
// engine and the dictionary; the input-method framework only feeds it keys and shows its state.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

enum class TComposerKey : uint8_t {
  Character,  // a key that types Character (the space bar too)
  Enter,
  Backspace,
  Escape,
  Tab,
  Up,
  Down,
  PageUp,
  PageDown,
  CapsLock,
  Other,  // any other key: cursor movement, function keys, ...
};

struct TComposerEvent {
  TComposerKey Key = TComposerKey::Other;
  char32_t Character = 0;  // for TComposerKey::Character
  bool Shift = false;
  bool Command = false;     // Control, Alt or Super held: a shortcut, never text
  bool CapsLockOn = false;  // Caps Lock was on before this key
};

/// One spelling the lookup table offers: its Romanesh and its Persian.
struct TComposerCandidate {
  std::string Romanesh;
  std::u16string Persian;
};

/// A choice the user made over the rules' spelling, for the dictionary's whole words: the word
/// as typed and the Romanesh of the spelling chosen.
struct TLearnedWord {
  std::string Typed;
  std::string Chosen;
};

class TRomaneshComposer {
 public:
  /// Digits choose among this many candidates, the page the cursor is on.
  static constexpr size_t kPageSize = 9;

  /// Handles one key press; false when the key is left to the program, after whatever it
  /// committed first.
  bool Handle(const TComposerEvent& event);
  /// Commits the word being typed, as Persian.
  void Flush();
  /// Drops the word being typed: the program has taken the pre-edit itself (the focus left).
  void Clear();
  /// Commits the candidate at index of Candidates() and closes the table.
  void ChooseCandidate(size_t index);

  /// The current word's Persian as the engine writes it with the options in force.
  const std::u16string& Preedit() const { return preedit_; }
  /// The text committed since the last call, handed over once.
  std::u16string TakeCommitted();
  /// The lookup table: empty when it is closed, else the pre-edit's own spelling first.
  const std::vector<TComposerCandidate>& Candidates() const { return candidates_; }
  size_t CandidateCursor() const { return cursor_; }
  /// The last candidate chosen that differs from the rules' spelling, handed over once.
  std::optional<TLearnedWord> TakeLearned();

  /// English typing, switched by Caps Lock: keys then reach the program as they are.
  bool English() const { return english_; }
  void SetEnglish(bool english);

  /// Converts the word being typed anew, after the options or the dictionary changed.
  void Refresh();

 private:
  bool HandleCandidateKey(const TComposerEvent& event);
  bool HandleEditingKey(const TComposerEvent& event);
  bool HandleCharacter(char32_t c);
  bool TakesIntoWord(char c) const;
  void OpenCandidates();
  void Commit(std::u16string_view text);
  void CommitWord(std::string_view separator = {});
  void SetTyped(std::string typed);

  std::string typed_;  // the current word's Romanesh
  std::u16string preedit_;
  std::u16string committed_;
  std::vector<TComposerCandidate> candidates_;
  std::optional<TLearnedWord> learned_;
  size_t cursor_ = 0;
  bool english_ = false;
};
