#include "ExportFile.h"

#include <QFile>
#include <QSaveFile>

#include "CodePage.h"
#include "trans.h"

char AnsiChar(char16_t unit) {
  const char byte = CodePage::FromUnicode(unit);
  if (byte != CodePage::DefaultChar) return byte;
  const std::string letter = PersianToAnsi(std::u16string_view(&unit, 1));
  return letter.empty() ? CodePage::DefaultChar : letter[0];
}

QByteArray AnsiBytes(const QString& text) {
  std::u16string units = text.toStdU16String();
  // Only the letters are replaced here: a surrogate pair must stay whole for the code page.
  for (char16_t& unit : units)
    if (const char byte = AnsiChar(unit); byte != CodePage::DefaultChar)
      unit = CodePage::ToUnicode(static_cast<unsigned char>(byte));
  const std::string bytes = CodePage::FromUnicode(units);
  return QByteArray(bytes.data(), qsizetype(bytes.size()));
}

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
