// The filter's UTF-8 reader: valid input round-trips exactly, and reading in blocks gives what
// reading at once gives.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "CodePage.h"
#include "LinePieces.h"
#include "Utf8.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t blockBytes = data[0] % 16 + 1;
  const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);

  std::u16string text;
  const bool valid = Utf8::Decode(bytes, text);
  if (valid) {
    std::string again;
    Utf8::Append(text, again);
    if (again != bytes) std::abort();
  }
  std::string line;
  if (DecodeLine(bytes, line, blockBytes) != valid) std::abort();
  if (valid && line != CodePage::FromUnicode(text)) std::abort();
  return 0;
}
