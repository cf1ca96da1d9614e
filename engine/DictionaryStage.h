#pragma once
// Where the user dictionary enters the engine.
#include <cstdint>
#include <string>
#include <string_view>

#include "Dictionary.h"

// Keeps the user dictionary out of the engine for the life of the object, and then restores
// DictionaryMode as it was, also when an exception leaves: generated spellings of a typed word
// are read by the letter rules alone.
class TDictionaryOff {
 public:
  TDictionaryOff() : saved_(DictionaryMode) { DictionaryMode = 0; }
  ~TDictionaryOff() { DictionaryMode = saved_; }
  TDictionaryOff(const TDictionaryOff&) = delete;
  TDictionaryOff& operator=(const TDictionaryOff&) = delete;

 private:
  uint8_t saved_;
};

// Every chat digit ("2", "3", "30" and the rest) holds one of these: a word without one has none.
inline constexpr std::string_view kChatDigitMarks = "123";

// What the dictionary stage learnt about a word that holds for every rest of it after a verbal
// prefix too, so that a long run of prefixes is not searched from its start again at each one.
// Forgotten whenever a lookup rewrites the word, but for that.
struct TPrefixRun {
  bool NoChatDigits = false;  // the chat digits were read (or the word had none), and none is left
  bool NoMiddleKey = false;   // no middle key occurs in the word
  bool Rewritten = false;     // a lookup rewrote the word, which lies in storage since
};

// The dictionary stage of TransliterateWord, run when DictionaryMode is on, on word. Either leaves
// there the word to hand on to normalisation and returns false (a lookup that rewrites the word
// puts it whole in storage, which word then views), or, for a verbal prefix, appends the
// transliterated prefix to out, moves word past it and returns true; the rest is then
// transliterated as a word of its own.
bool DictionaryStage(std::string_view& word, std::string& storage, TPrefixRun& run,
                     std::u16string& out);
// The polite pass, the last step of normalisation while PoliteMode is on.
void PolitePass(std::string& word);
// True when the word is to stay in Latin letters.
bool IsEnglishWord(std::string_view word);
