#include "EngineTestSupport.h"

#include <cstdio>

std::string Units(const std::u16string& text) {
  std::string out;
  for (const char16_t c : text) {
    char unit[12];
    std::snprintf(unit, sizeof unit, "%sU+%04X", out.empty() ? "" : " ", unsigned(c));
    out += unit;
  }
  return out;
}

namespace {
TDicValueObject** const kSections[] = {&WholeWords,        &PoliteWords, &SuffixWords,
                                       &PrefixWords,       &MiddleWords, &EnglishWholeWords,
                                       &EnglishPrefixWords};
constexpr TDicKind kKinds[] = {dkWhole, dkWhole, dkSuffix, dkPrefix, dkMiddle, dkWhole, dkPrefix};
}  // namespace

void EngineTest::SetUp() {
  InitializeEngine();
  FarsiEnabled = 1;
  DictionaryMode = ChatMode = TashdidMode = MiddleMode = EnglishDetectMode = 1;
  PrefixMode = PoliteMode = 0;
  for (size_t i = 0; i < std::size(kSections); ++i) *kSections[i] = new TDicValueObject(kKinds[i]);
}

void EngineTest::TearDown() {
  for (TDicValueObject** section : kSections) {
    delete *section;
    *section = nullptr;
  }
}
