// The dictionary reader: any file loads, and what it loads survives a save and a second load.
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "Dictionary.h"

namespace {

std::vector<std::vector<std::string>> AllEntries() {
  std::vector<std::vector<std::string>> all;
  for (const TDicValueObject* section : {WholeWords, PoliteWords, SuffixWords, PrefixWords,
                                         MiddleWords, EnglishWholeWords, EnglishPrefixWords})
    all.push_back(section->Entries());
  return all;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TDictionaryIni file;
  file.Parse(std::string_view(reinterpret_cast<const char*>(data), size));
  CreateSections();
  LoadSectionsFrom(file, DictionarySections);
  const auto loaded = AllEntries();
  // Every lookup kind on a word made of the input's first bytes.
  const std::string word(reinterpret_cast<const char*>(data), size < 12 ? size : 12);
  for (TDicValueObject* section : {WholeWords, SuffixWords, PrefixWords, MiddleWords}) {
    section->Find(word);
    section->FindPart(word);
    section->MatchesPart(word);
  }

  const std::string saved = SavedImage().Text();
  TDictionaryIni reread;
  reread.Parse(saved);
  CreateSections();
  LoadSectionsFrom(reread, DictionarySections);
  if (AllEntries() != loaded || SavedImage().Text() != saved) std::abort();
  FinishDictionaryModule();
  return 0;
}
