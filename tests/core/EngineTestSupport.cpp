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

void EngineTest::SetUp() {
  InitializeEngine();
  SetDictionaryFlagDefaults();
  FarsiEnabled = 1;
  CreateSections();
}

void EngineTest::TearDown() {
  FinishDictionaryModule();
}
