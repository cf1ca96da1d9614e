// libFuzzer target: any bytes through the RTF reader (and, when they are not RTF, the text
// reader) into a document, as "Load from file" does. A crash, a sanitizer report or a hang is
// a finding.
#include <QByteArray>
#include <QGuiApplication>
#include <QTextDocument>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "RtfReader.h"
#include "TextFile.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  // Documents lay out their text with fonts, which need an application; none is shown.
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  static QGuiApplication app(*argc, *argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes =
      QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
  QTextDocument document;
  if (!ReadRtf(bytes, document)) ReadTextFile(bytes, document);
  // Reading the result back walks every block the reader made.
  document.toRawText();
  return 0;
}
