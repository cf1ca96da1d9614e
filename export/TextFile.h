#pragma once
// Plain text files: written as UTF-8 with LF line ends; read as UTF-8, as UTF-16 with a
// byte-order mark, or else as code page 1256.
#include <QByteArray>
#include <QString>

class QTextDocument;

// The text of the characters start to start + length (length < 0: to the end) of document,
// its paragraphs separated by LF.
QString PlainText(const QTextDocument& document, int start = 0, int length = -1);
// The bytes of a text file holding document: UTF-8, every line ended by LF.
QByteArray TextFileBytes(const QTextDocument& document);
// The text of a file's bytes, line ends of any kind read as LF, one final line end dropped.
QString DecodeTextFile(const QByteArray& bytes);

// document replaced by the text of a text file's bytes.
void ReadTextFile(const QByteArray& bytes, QTextDocument& document);

// document written to fileName as a text file; "" or the message.
QString SaveTextFile(const QTextDocument& document, const QString& fileName);
// document replaced by the text of fileName, as plain text; "" or the message.
QString LoadTextFile(QTextDocument& document, const QString& fileName);
