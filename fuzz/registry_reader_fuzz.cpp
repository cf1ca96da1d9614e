// libFuzzer target: any bytes through the settings file reader, as a damaged or hand-edited
// Zefra.reg reaches it at start. A crash, a sanitizer report or a hang is a finding; so is a
// clean file that does not read back as what it was written from.
#include <QByteArray>
#include <cstddef>
#include <cstdint>

#include "Registry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes =
      QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
  const TRegKey read = ParseRegFile(bytes);
  const QByteArray clean = FormatRegFile(read);
  if (ParseRegFile(clean) != read || FormatRegFile(ParseRegFile(clean)) != clean) __builtin_trap();
  return 0;
}
