#pragma once
// Where the user dictionary enters the engine.
#include <string>
#include <string_view>

// The dictionary stage of TransliterateWord, run when DictionaryMode is on and the word is not
// empty. Either rewrites word for normalisation and returns 0, or, for a verbal prefix, appends
// the transliterated prefix to out and returns where the rest of word begins; the rest is then
// transliterated as a word of its own.
size_t DictionaryStage(std::string& word, std::u16string& out);
// The polite pass, the last step of normalisation.
void PolitePass(std::string& word);
// True when the word is to stay in Latin letters.
bool IsEnglishWord(std::string_view word);
