#pragma once
// Documents saved as PDF: A4 pages, fonts embedded, text selectable.
#include <QString>

class QTextDocument;

// document written to fileName as PDF; "" or the message.
QString SavePdfFile(const QTextDocument& document, const QString& fileName);
