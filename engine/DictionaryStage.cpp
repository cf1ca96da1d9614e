#include "DictionaryStage.h"

#include <algorithm>

#include "AnsiChars.h"
#include "Dictionary.h"
#include "Replace.h"
#include "trans.h"

namespace {

// An absent or empty section answers at once: most users' sections are small or empty, and the
// lookups run several times for every word typed.
bool IsEmpty(const TDicValueObject* section) {
  return !section || section->Count() == 0;
}

std::string_view FindValue(TDicValueObject* section, std::string_view key) {
  return IsEmpty(section) ? std::string_view() : section->FindValue(key);
}

// Whether the section changes word, the changed word then in out.
bool FindChangedPart(TDicValueObject* section, std::string_view word, std::string& out) {
  return !IsEmpty(section) && section->FindChangedPart(word, out);
}

bool MatchesPart(TDicValueObject* section, std::string_view word) {
  return !IsEmpty(section) && section->MatchesPart(word);
}

// Whether a word of that length could be a key of the section.
bool MayBeKey(const TDicValueObject* section, size_t length) {
  return !IsEmpty(section) && length <= section->LongestKey();
}

// v with its last two characters replaced by "oon": the colloquial -on form of an -an entry.
std::string WithOonEnding(std::string_view v) {
  return std::string(v.substr(0, v.size() >= 2 ? v.size() - 2 : 0)) + "oon";
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
size_t SplitVerbalPrefix(std::string_view word, std::u16string& out) {
  std::string_view prefix;
  size_t restAt = 2;
  // Most words begin with none of the three letters, told by the first one.
  switch (word.empty() ? '\0' : word[0]) {
    case 'm':
      if (!word.starts_with("mi")) return 0;
      prefix = "mi";
      break;
    case 'n':
      if (word.starts_with("na")) {
        prefix = "n";
      } else if (word.starts_with("nemi")) {
        prefix = "nemi";
        restAt = 4;
      } else {
        return 0;
      }
      break;
    case 'b':
      if (!word.starts_with("be")) return 0;
      prefix = "b";
      break;
    default:
      return 0;
  }
  if (word.size() <= restAt) return 0;
  const size_t headAt = out.size();
  AppendTransliteratedWord(prefix, out);
  // mi and nemi end in the Arabic YEH that joins the verb, not the final FARSI YEH.
  if ((prefix == "mi" || prefix == "nemi") && out.size() > headAt) out.back() = u'\u064A';
  return restAt;
}

// The whole-word lookups: the word's entry, else for a word ending in -on the entry of its -an form
// (a whole word's, else a prefix's) with the -on ending put back. Either puts the new word in into
// and returns true, or returns false.
bool LookUpWholeWord(std::string_view word, std::string& into) {
  if (const std::string_view v = FindValue(WholeWords, word); !v.empty()) {
    into = v;
    return true;
  }
  // Built only when a section could hold it, so that a long word is not copied at every prefix.
  if (!word.ends_with("on") ||
      !(MayBeKey(WholeWords, word.size()) || MayBeKey(PrefixWords, word.size())))
    return false;
  const std::string alt = std::string(word.substr(0, word.size() - 2)) + "an";
  std::string_view v = FindValue(WholeWords, alt);
  if (v.empty()) v = FindValue(PrefixWords, alt);
  if (v.empty()) return false;
  into = WithOonEnding(v);
  return true;
}

}  // namespace

bool DictionaryStage(std::string_view& word, std::string& storage, TPrefixRun& run,
                     std::u16string& out) {
  if (word.empty() || !DictionaryMode) return false;
  std::string part;  // a section's change to the word
  const auto become = [&](std::string& text) {
    storage.swap(text);
    word = storage;
    run = {.Rewritten = true};
  };
  if (LookUpWholeWord(word, part)) {
    become(part);
    return false;
  }

  bool changed = false;
  bool exactPrefix = false;
  if (!IsEmpty(PrefixWords)) {
    const TDicValueObject::TBeginningMatch prefix = PrefixWords->MatchBeginning(word, part);
    if (!prefix.Value.empty()) {
      if (prefix.Value != word) {
        std::string value(prefix.Value);
        become(value);
        changed = exactPrefix = true;
      }
    } else if (prefix.Changed) {
      become(part);
      changed = true;
    }
  }

  if (ChatMode && !changed && !run.NoChatDigits) {
    // A word without a chat digit is passed over at once, and a number keeps its digits.
    if (word.find_first_of(kChatDigitMarks) == std::string_view::npos) {
      run.NoChatDigits = true;
    } else if (!IsNumber(word)) {
      part = word;
      ReadChatDigits(part);
      become(part);
      run.NoChatDigits = true;
    }
  }

  if (MiddleMode && !exactPrefix && !run.NoMiddleKey && !IsEmpty(MiddleWords)) {
    switch (MiddleWords->MatchMiddleIn(word, part)) {
      case TDicValueObject::TMiddleMatch::NoKey:
        run.NoMiddleKey = true;
        break;
      case TDicValueObject::TMiddleMatch::Changed:
        become(part);
        changed = true;
        break;
      case TDicValueObject::TMiddleMatch::Unchanged:
        break;
    }
  }
  if (PrefixMode && !exactPrefix && FindChangedPart(SuffixWords, word, part)) {
    become(part);
    changed = true;
  }
  if (changed || exactPrefix) return false;
  const size_t restAt = SplitVerbalPrefix(word, out);
  word.remove_prefix(restAt);
  return restAt != 0;
}

void PolitePass(std::string& word) {
  std::string part;
  if (FindChangedPart(PoliteWords, word, part)) word = std::move(part);
}

bool IsEnglishWord(std::string_view word) {
  return EnglishDetectMode &&
         (MatchesPart(EnglishWholeWords, word) || MatchesPart(EnglishPrefixWords, word));
}
