#include "SaveFormats.h"

#include <QFileInfo>

QString WithDefaultExtension(const QString& fileName, TSaveFormat format) {
  if (format < sfRichText || format > SaveFilters.size()) return fileName;
  if (QFileInfo(fileName).fileName().contains(u'.')) return fileName;
  const std::string_view extension = SaveFilters[format - 1].Extension;
  return fileName + QString::fromLatin1(extension.data(), qsizetype(extension.size()));
}
