#pragma once
// Zefra's RTF reader: the text of RTF that Zefra, LibreOffice and word processors write, with
// faces, sizes, colours, styles, paragraph alignments and directions. Groups and destinations
// it does not know are skipped; damaged RTF gives what could be read.
#include <QByteArray>
#include <QString>

class QTextDocument;

// True when bytes start as an RTF file does.
bool LooksLikeRtf(const QByteArray& bytes);
// document replaced by the RTF in bytes; false (document untouched) when bytes are not RTF.
bool ReadRtf(const QByteArray& bytes, QTextDocument& document);
// document replaced by fileName, read as RTF or, when it is not RTF, as a text file;
// "" or the message.
QString LoadRtfFile(QTextDocument& document, const QString& fileName);
