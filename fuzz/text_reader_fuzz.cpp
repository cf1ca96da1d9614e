// libFuzzer target: any bytes through the text-file decoder (byte-order marks, UTF-8, the code
// page fallback, line ends). A crash or a sanitizer report is a finding.
#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

#include "TextFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes =
      QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
  const QString text = DecodeTextFile(bytes);
  // Decoding never makes more characters than bytes, and leaves no CR.
  if (text.size() > bytes.size() || text.contains(u'\r')) __builtin_trap();
  return 0;
}
