#pragma once
// What every export and load shares: the messages they report ("" means success), the 8-bit
// form of the text and the whole-file reads and writes.
#include <QByteArray>
#include <QString>
#include <optional>

namespace ExportErrors {

inline const QString FailedToSaveStream = QStringLiteral("Failed to Save Stream");
inline const QString FailedToLoadStream = QStringLiteral("Failed to Load Stream");
inline const QString InvalidClipboardFormat = QStringLiteral("Invalid clipboard format");

}  // namespace ExportErrors

// The code page 1256 byte of a character. Persian letters that the code page lacks (FARSI YEH,
// ...) take the byte of the Arabic letter that the engine's letter table gives them, so that no
// Persian word turns into question marks; other characters without a byte give the default one.
char AnsiChar(char16_t unit);
// text as code page 1256 bytes, each character through AnsiChar; a character outside the BMP
// gives one default byte.
QByteArray AnsiBytes(const QString& text);

// Replaces fileName with data at once (a failed write leaves the old file); "" or the message.
QString WriteWholeFile(const QString& fileName, const QByteArray& data);
// The bytes of fileName, or nothing when it cannot be read.
std::optional<QByteArray> ReadWholeFile(const QString& fileName);
