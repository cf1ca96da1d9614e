#include "ExportFile.h"

#include <QFile>
#include <QSaveFile>

QString WriteWholeFile(const QString& fileName, const QByteArray& data) {
  QSaveFile file(fileName);
  if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit())
    return ExportErrors::FailedToSaveStream;
  return {};
}

std::optional<QByteArray> ReadWholeFile(const QString& fileName) {
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  QByteArray data = file.readAll();
  if (file.error() != QFileDevice::NoError) return std::nullopt;
  return data;
}
