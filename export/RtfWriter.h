#pragma once
// Zefra's RTF writer: the text with its faces, sizes, colours, styles, paragraph alignments and
// directions, every character beyond ASCII as \uN with its code page 1256 byte as the fallback.
#include <QByteArray>
#include <QString>

class QTextDocument;

// document as an RTF file's bytes.
QByteArray RtfBytes(const QTextDocument& document);
// document written to fileName as RTF; "" or the message.
QString SaveRtfFile(const QTextDocument& document, const QString& fileName);
