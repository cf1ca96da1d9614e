#pragma once
// What every export and load shares: the messages they report ("" means success), the 8-bit
// form of the text and the whole-file reads and writes.
#include <QByteArray>
#include <QString>

namespace ExportErrors {

inline const QString FailedToSaveStream = QStringLiteral("Failed to Save Stream");
inline const QString FailedToLoadStream = QStringLiteral("Failed to Load Stream");
inline const QString InvalidClipboardFormat = QStringLiteral("Invalid clipboard format");
// %1: the file's name; %2: the largest size that loads.
inline const QString NotAFile =
    QStringLiteral("%1 cannot be loaded: it is a folder, a pipe or a device, not a file.");
inline const QString FileTooLarge =
    QStringLiteral("%1 cannot be loaded: it is larger than %2, the largest file that loads.");

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
// The largest file that is read whole: thousands of pages, far more than anyone types, and
// still converted in seconds; a wrong choice (a disk image, a log) cannot exhaust the memory
// that holds the user's text or stall the window for minutes.
inline constexpr qint64 MaxReadBytes = 8 * 1024 * 1024;
// The bytes of fileName into data; "" or the message. Only a file of at most MaxReadBytes is
// read: a pipe or a device could block the window or never end.
QString ReadWholeFile(const QString& fileName, QByteArray& data);
