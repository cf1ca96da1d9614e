#include "DictionaryStage.h"

#include <cstdlib>

#include "Dictionary.h"
#include "Replace.h"
#include "trans.h"

namespace {

// An absent or empty section answers at once: most users' sections are small or empty, and the
// lookups run several times for every word typed.
bool IsEmpty(const TDicValueObject* section) {
  return !section || section->Count() == 0;
}

std::string Find(TDicValueObject* section, std::string_view key) {
  return IsEmpty(section) ? std::string() : section->Find(key);
}

std::string FindPart(TDicValueObject* section, std::string_view word) {
  return IsEmpty(section) ? std::string(word) : section->FindPart(word);
}

bool MatchesPart(TDicValueObject* section, std::string_view word) {
  return !IsEmpty(section) && section->MatchesPart(word);
}

// v with its last two characters replaced by "oon": the colloquial -on form of an -an entry.
std::string WithOonEnding(const std::string& v) {
  return v.substr(0, v.size() >= 2 ? v.size() - 2 : 0) + "oon";
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// A whole word that reads as a floating-point number ("2", "2.5", "2e3") keeps its digits.
bool IsNumber(std::string_view s) {
  size_t i = 0;
  const auto blank = [&](size_t k) { return k < s.size() && (s[k] == ' ' || s[k] == '\t'); };
  while (blank(i)) ++i;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  size_t digits = 0;
  for (; i < s.size() && IsDigit(s[i]); ++i) ++digits;
  if (i < s.size() && s[i] == '.')
    for (++i; i < s.size() && IsDigit(s[i]); ++i) ++digits;
  if (digits == 0) return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    size_t exponent = 0;
    for (; i < s.size() && IsDigit(s[i]); ++i) ++exponent;
    if (exponent == 0) return false;
  }
  while (blank(i)) ++i;
  return i == s.size();
}

void ReadChatDigits(std::string& word) {
  ReplaceAll(word, "30", "si");
  ReplaceAll(word, "2", "doo");
  ReplaceAll(word, "3", "se");
  ReplaceAll(word, "1", "yek");
}

// The verbal prefixes mi, nemi, be and na are transliterated apart from the rest of the word:
// appends the prefix and returns where the rest begins, or 0 when the word has none.
size_t SplitVerbalPrefix(const std::string& word, std::u16string& out) {
  std::string_view prefix;
  size_t restAt = 2;
  if (word.starts_with("mi")) {
    prefix = "mi";
  } else if (word.starts_with("na")) {
    prefix = "n";
  } else if (word.starts_with("be")) {
    prefix = "b";
  } else if (word.starts_with("nemi")) {
    prefix = "nemi";
    restAt = 4;
  } else {
    return 0;
  }
  if (word.size() <= restAt) return 0;
  const size_t headAt = out.size();
  out += TransliterateWord(prefix);
  // mi and nemi end in the Arabic YEH that joins the verb, not the final FARSI YEH.
  if ((prefix == "mi" || prefix == "nemi") && out.size() > headAt) out.back() = u'\u064A';
  return restAt;
}

}  // namespace

size_t DictionaryStage(std::string& word, std::u16string& out) {
  if (word.empty() || !DictionaryMode) return 0;
  const std::string alt =
      word.ends_with("on") ? word.substr(0, word.size() - 2) + "an" : std::string();

  if (std::string v = Find(WholeWords, word); !v.empty()) {
    word = std::move(v);
    return 0;
  }
  if (std::string v = Find(WholeWords, alt); !v.empty()) {
    word = WithOonEnding(v);
    return 0;
  }
  if (std::string v = Find(PrefixWords, alt); !v.empty()) {
    word = WithOonEnding(v);
    return 0;
  }

  bool changed = false;
  bool exactPrefix = false;
  if (std::string v = Find(PrefixWords, word); !v.empty()) {
    if (v != word) {
      word = std::move(v);
      changed = exactPrefix = true;
    }
  } else {
    std::string r = FindPart(PrefixWords, word);
    if (r != word) changed = true;
    word = std::move(r);
  }

  if (ChatMode && !changed && !IsNumber(word)) ReadChatDigits(word);

  if (MiddleMode && !exactPrefix) {
    std::string r = FindPart(MiddleWords, word);
    if (r != word) {
      word = std::move(r);
      changed = true;
    }
  }
  if (PrefixMode && !exactPrefix) {
    std::string r = FindPart(SuffixWords, word);
    if (r != word) {
      word = std::move(r);
      changed = true;
    }
  }
  if (changed || exactPrefix) return 0;
  return SplitVerbalPrefix(word, out);
}

void PolitePass(std::string& word) {
  if (PoliteMode && !word.empty()) word = FindPart(PoliteWords, word);
}

bool IsEnglishWord(std::string_view word) {
  return EnglishDetectMode &&
         (MatchesPart(EnglishWholeWords, word) || MatchesPart(EnglishPrefixWords, word));
}
