#pragma once
// Where the user dictionary enters the engine.
#include <string>
#include <string_view>

// The dictionary stage of TransliterateWord, run when DictionaryMode is on and the word is not
// empty. Either rewrites word for normalisation and returns false, or appends the finished
// result of a verbal prefix split to out and returns true.
bool DictionaryStage(std::string& word, std::u16string& out);
// The polite pass, the last step of normalisation.
void PolitePass(std::string& word);
// True when the word is to stay in Latin letters.
bool IsEnglishWord(std::string_view word);
