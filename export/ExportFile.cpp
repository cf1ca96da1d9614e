#include "ExportFile.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
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

QString ReadWholeFile(const QString& fileName, QByteArray& data) {
  const QFileInfo info(fileName);
  // Checked before opening: opening a pipe waits for a writer.
  if (info.exists() && !info.isFile()) return ExportErrors::NotAFile.arg(info.fileName());
  const QString tooLarge =
      ExportErrors::FileTooLarge.arg(info.fileName(), QLocale().formattedDataSize(MaxReadBytes, 0));
  if (info.size() > MaxReadBytes) return tooLarge;
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly)) return ExportErrors::FailedToLoadStream;
  // One byte past the limit tells a file that grew after it was measured.
  QByteArray bytes = file.read(MaxReadBytes + 1);
  if (file.error() != QFileDevice::NoError) return ExportErrors::FailedToLoadStream;
  if (bytes.size() > MaxReadBytes) return tooLarge;
  data = std::move(bytes);
  return {};
}
