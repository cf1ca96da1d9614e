#pragma once
// What every export and load shares: the messages they report ("" means success) and the
// whole-file reads and writes.
#include <QByteArray>
#include <QString>
#include <optional>

namespace ExportErrors {

inline const QString FailedToSaveStream = QStringLiteral("Failed to Save Stream");
inline const QString FailedToLoadStream = QStringLiteral("Failed to Load Stream");
inline const QString InvalidClipboardFormat = QStringLiteral("Invalid clipboard format");

}  // namespace ExportErrors

// Replaces fileName with data at once (a failed write leaves the old file); "" or the message.
QString WriteWholeFile(const QString& fileName, const QByteArray& data);
// The bytes of fileName, or nothing when it cannot be read.
std::optional<QByteArray> ReadWholeFile(const QString& fileName);
