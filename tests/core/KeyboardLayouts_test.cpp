#include "KeyboardLayouts.h"

#include <gtest/gtest.h>

#include <set>

namespace {

struct TKeyCase {
  char16_t Us;
  char16_t Persian;
};

// Both levels of a few keys, as the standard Persian layout types them.
constexpr TKeyCase kKeys[] = {
    {u'q', u'\u0636'},  {u'Q', u'\u0652'},  // zad, sukun
    {u'd', u'\u06CC'},  {u'D', u'\u064A'},  // FARSI YEH; the Arabic yeh only shifted
    {u';', u'\u06A9'},  {u':', u':'},       // keheh, not the Arabic kaf
    {u'\'', u'\u06AF'}, {u'"', u'\u061B'},  // gaf, Arabic semicolon
    {u'h', u'\u0627'},  {u'H', u'\u0622'},  // alef, alef with madda
    {u'm', u'\u067E'},  {u'M', u'\u0621'},  // peh, hamza
    {u',', u'\u0648'},  {u'<', u'>'},       // waw
    {u'/', u'/'},       {u'?', u'\u061F'},  // Arabic question mark
    {u'1', u'\u06F1'},  {u'@', u'\u066C'},  // Persian digit one, thousands separator
    {u'0', u'\u06F0'},  {u')', u'('},       // the parentheses mirror for right-to-left text
    {u'b', u'\u0630'},  {u'B', u'\u200C'},  // thal, ZWNJ
};

TEST(KeyboardLayoutsTest, KeysTypeWhatThePersianLayoutTypesOnBothLevels) {
  for (const TKeyCase& key : kKeys)
    EXPECT_EQ(PersianKey(key.Us), key.Persian) << "U.S. key " << char(key.Us);
}

TEST(KeyboardLayoutsTest, CapsLockDoesNotShiftThePersianLetters) {
  EXPECT_EQ(PersianKey(u'Q', true), u'\u0636');
  EXPECT_EQ(PersianKey(u'q', true), u'\u0652');  // Shift with Caps Lock
  EXPECT_EQ(PersianKey(u';', true), u'\u06A9');
  EXPECT_EQ(PersianKey(u':', true), u':');
  EXPECT_EQ(PersianKey(u'\u0636', true), u'\u0636');
}

TEST(KeyboardLayoutsTest, CharactersOffTheMainBlockStayAsTheyAre) {
  for (const char16_t c :
       {u' ', u'\r', u'\t', u'\b', u'\x7F', u'\u00E9', u'\u0636', u'\u06CC', u'\u200C', u'\uFFFF'})
    EXPECT_EQ(PersianKey(c), c) << int(c);
}

bool IsPunctuationOrSymbol(char16_t c) {
  const bool ascii = c < 0x7F && c > u' ' && !(c >= u'0' && c <= u'9') &&
                     !(c >= u'A' && c <= u'Z') && !(c >= u'a' && c <= u'z');
  const bool latin1 = c == u'\u00AB' || c == u'\u00BB' || c == u'\u00D7' || c == u'\u00F7';
  const bool general = c >= 0x2000 && c <= 0x206F;  // ZWNJ, ZWJ
  return ascii || latin1 || general;
}

TEST(KeyboardLayoutsTest, EveryKeyTypesADistinctPersianCharacterOrPunctuation) {
  std::set<char16_t> typed;
  for (char16_t us = 0x21; us < 0x7F; ++us) {
    const char16_t persian = PersianKey(us);
    EXPECT_TRUE(IsPersianCharacter(persian) || IsPunctuationOrSymbol(persian))
        << "U.S. key " << char(us) << " types " << std::hex << int(persian);
    EXPECT_TRUE(typed.insert(persian).second) << "typed twice: " << std::hex << int(persian);
  }
}

TEST(KeyboardLayoutsTest, PersianCharactersAreTheArabicScriptBlocksAndZwnj) {
  for (const char16_t c : {0x0600, 0x06CC, 0x06FF, 0xFB50, 0xFDFF, 0xFE70, 0xFEFC, 0x200C})
    EXPECT_TRUE(IsPersianCharacter(c)) << std::hex << int(c);
  for (const char16_t c : {0x05FF, 0x0700, 0xFB4F, 0xFE00, 0xFE6F, 0x200D, 0x61, 0x3F})
    EXPECT_FALSE(IsPersianCharacter(c)) << std::hex << int(c);
}

TEST(KeyboardLayoutsTest, TypedCharactersArePersianInThePersianLayoutOrWhenTheyArePersian) {
  EXPECT_EQ(TypedLanguage(u'a', LangEnglishUS), LangEnglishUS);
  EXPECT_EQ(TypedLanguage(u' ', LangEnglishUS), LangEnglishUS);
  EXPECT_EQ(TypedLanguage(u' ', LangPersian), LangPersian);
  EXPECT_EQ(TypedLanguage(u'\u06CC', LangEnglishUS), LangPersian);  // from a system layout
  EXPECT_EQ(TypedLanguage(u'\u200C', LangEnglishUS), LangPersian);
}

}  // namespace
