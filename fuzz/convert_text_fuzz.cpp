// ConvertText under random flags and a random dictionary, and the filter's conversion of a line
// in pieces, which must give the whole line's result.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "CodePage.h"
#include "Dictionary.h"
#include "LinePieces.h"
#include "trans.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  InitializeEngine();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  for (uint8_t* flag : {&DictionaryMode, &ChatMode, &TashdidMode, &PrefixMode, &PoliteMode,
                        &MiddleMode, &EnglishDetectMode, &TreatAeMode, &FarsiEnabled})
    *flag = input.ConsumeBool();
  TDictionaryIni dictionary;
  dictionary.Parse(input.ConsumeRandomLengthString(512));
  CreateSections();
  LoadSectionsFrom(dictionary, DictionarySections);
  const size_t pieceBytes = input.ConsumeIntegralInRange<size_t>(1, 64);
  const std::string bytes = input.ConsumeRemainingBytesAsString();

  std::u16string text(bytes.size() / 2, u'\0');
  for (size_t i = 0; i < text.size(); ++i)
    text[i] = static_cast<char16_t>(static_cast<uint8_t>(bytes[2 * i]) |
                                    static_cast<uint8_t>(bytes[2 * i + 1]) << 8);
  ConvertText(text);

  FarsiEnabled = 1;
  const std::string line = CodePage::FromUnicode(CodePage::ToUnicode(bytes));
  std::u16string joined;
  ConvertInPieces(line, pieceBytes, [&joined](std::u16string_view piece) { joined += piece; });
  if (joined != ConvertLine(line)) std::abort();
  FinishDictionaryModule();
  return 0;
}
