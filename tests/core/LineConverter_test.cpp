// The filter's fast path (ASCII lines converted where they lie, recent words remembered) against
// the plain path that decodes every line and converts every word anew.
#include "LineConverter.h"

#include <random>

#include "CodePage.h"
#include "EngineTestSupport.h"
#include "LinePieces.h"
#include "SmartSpelling.h"
#include "StandIns.h"
#include "Utf8.h"
#include "WordListFiles.h"

namespace {

class LineConverterTest : public EngineTest {
 protected:
  void TearDown() override {
    SmartSpelling = ModernOrthography = 0;
    SetWordListSources({});
    EngineTest::TearDown();
  }
};

// The plain path: every line through the stand-ins and the code page, no word remembered.
bool PlainConvert(const std::string& line, bool cp1256, std::string& out) {
  TStandIns standIns(line);
  std::string ansi;
  if (!DecodeLine(line, ansi, kDecodeBlockBytes, &standIns)) return false;
  std::u16string converted = ConvertLine(ansi);
  standIns.Restore(converted);
  if (cp1256)
    out += PersianToAnsi(converted);
  else
    Utf8::Append(converted, out);
  return true;
}

constexpr const char* kPieces[] = {
    "sa", "la", "kh",  "oo",  "mi",  "na",   "be", "nemi", "ast",   "an",  "on",  "ee",
    "ea", "ae", "a`",  "e``", "gh`", "ll",   "bb", "x",    "iy",    "yii", "30",  "2",
    "1",  "3",  "A",   "SH",  "'",   "o'",   "ha", "va",   "y",     "kkh", "ssh", "w",
    "q",  "i",  "z``", "e",   "o",   "haye", "ke", "ro",   "ketab",
};
constexpr const char* kSeparators[] = {" ",
                                       ", ",
                                       "? ",
                                       "; ",
                                       ". ",
                                       "!",
                                       "\r",
                                       "-",
                                       "\t",
                                       "  ",
                                       "\xD8\xB3",
                                       "\xDB\x8C",
                                       "\xF0\x9F\x98\x80",
                                       "\x01",
                                       ""};

std::string RandomWord(std::mt19937& random, size_t maxPieces) {
  std::string word;
  for (size_t n = 1 + random() % maxPieces; n > 0; --n)
    word += kPieces[random() % std::size(kPieces)];
  return word;
}

std::string RandomLine(std::mt19937& random) {
  std::string line;
  // Now and then a word longer than the remembered ones, more words than the filter looks up
  // at once, or a run of separators longer than the filter writes ahead.
  for (size_t n = random() % (random() % 8 == 0 ? 60 : 12); n > 0; --n) {
    line += RandomWord(random, random() % 20 == 0 ? 16 : 4);
    const char* separator = kSeparators[random() % std::size(kSeparators)];
    for (size_t k = random() % 100 == 0 ? 1500 : 1; k > 0; --k) line += separator;
  }
  return line;
}

void FillRandomDictionary(std::mt19937& random) {
  TDicValueObject* const sections[] = {WholeWords,        PoliteWords, SuffixWords,
                                       PrefixWords,       MiddleWords, EnglishWholeWords,
                                       EnglishPrefixWords};
  for (TDicValueObject* section : sections) {
    section->Clear();
    for (size_t n = random() % 40; n > 0; --n)
      section->AddEntry(RandomWord(random, 3), RandomWord(random, 3));
  }
}

void SetRandomFlags(std::mt19937& random) {
  uint8_t* const flags[] = {&DictionaryMode,    &ChatMode,     &TashdidMode,       &PrefixMode,
                            &PoliteMode,        &MiddleMode,   &EnglishDetectMode, &TreatAeMode,
                            &ModernOrthography, &SmartSpelling};
  for (uint8_t* flag : flags) *flag = random() % 2;
  FarsiEnabled = random() % 2;
}

// A frequency list of what the rules make of short random words, so that smart spelling finds
// listed spellings near the words it reads; "ketabe" reads as a listed word only within a clause.
std::string RandomFrequencyList(std::mt19937& random) {
  std::string list = "\u06A9\u062A\u0627\u0628 50\n";
  for (int i = 0; i < 400; ++i) {
    Utf8::Append(ConvertLine(RandomWord(random, 2)), list);
    list += " " + std::to_string(1 + random() % 500) + "\n";
  }
  return list;
}

// Random dictionaries, flags changed between batches of lines under the same converter, and
// both output encodings: the remembered words never change a byte, whatever their neighbours.
TEST_F(LineConverterTest, FastPathMatchesThePlainPath) {
  std::mt19937 random(24);
  TWordListFiles lists;
  lists.Use("", "", RandomFrequencyList(random));
  for (int dictionary = 0; dictionary < 40; ++dictionary) {
    FillRandomDictionary(random);
    const bool cp1256 = dictionary % 4 == 3;
    TLineConverter converter(cp1256);
    for (int batch = 0; batch < 5; ++batch) {
      SetRandomFlags(random);
      for (int i = 0; i < 200; ++i) {
        const std::string line = RandomLine(random);
        std::string plain, fast, copy = line;
        ASSERT_EQ(PlainConvert(line, cp1256, plain), converter.Convert(copy, fast)) << line;
        ASSERT_EQ(fast, plain) << "line \"" << line << "\" dictionary " << dictionary;
      }
    }
  }
}

}  // namespace
