#include "BitmapFile.h"

#include <QBuffer>

#include "ExportFile.h"

QString SaveBitmapFile(const QImage& picture, const QString& fileName) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  if (!picture.save(&buffer, "BMP")) return ExportErrors::FailedToSaveStream;
  return WriteWholeFile(fileName, buffer.data());
}
