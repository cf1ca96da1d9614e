#pragma once
// Where the user dictionary enters the engine.
#include <string>
#include <string_view>

// What the dictionary stage learnt about a word that holds for every rest of it after a verbal
// prefix too, so that a long run of prefixes is not searched from its start again at each one.
// Forgotten whenever a lookup rewrites the word.
struct TPrefixRun {
  bool NoChatDigits = false;  // the chat digits were read, and none is left
  bool NoMiddleKey = false;   // no middle key occurs in the word
};

// The dictionary stage of TransliterateWord, run when DictionaryMode is on, on word[at..]. Either
// leaves there the word to hand on to normalisation and returns false (a lookup that rewrites the
// word replaces it whole and sets at to 0), or, for a verbal prefix, appends the transliterated
// prefix to out, moves at to where the rest begins and returns true; the rest is then
// transliterated as a word of its own.
bool DictionaryStage(std::string& word, size_t& at, TPrefixRun& run, std::u16string& out);
// The polite pass, the last step of normalisation.
void PolitePass(std::string& word);
// True when the word is to stay in Latin letters.
bool IsEnglishWord(std::string_view word);
