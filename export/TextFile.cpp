#include "TextFile.h"

#include <QStringDecoder>
#include <QTextCursor>
#include <QTextDocument>

#include "CodePage.h"
#include "ExportFile.h"

namespace {

bool StartsWith(const QByteArray& bytes, std::initializer_list<unsigned char> mark) {
  return bytes.size() >= qsizetype(mark.size()) &&
         std::equal(mark.begin(), mark.end(), bytes.begin(),
                    [](unsigned char m, char b) { return m == static_cast<unsigned char>(b); });
}

QString Decode(QStringConverter::Encoding encoding, QByteArrayView bytes, bool* valid = nullptr) {
  QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
  QString text = decoder.decode(bytes);
  if (valid) *valid = !decoder.hasError();
  return text;
}

}  // namespace

QString PlainText(const QTextDocument& document, int start, int length) {
  QString text = document.toRawText();
  start = std::clamp(start, 0, int(text.size()));
  text = text.mid(start, length < 0 ? -1 : length);
  // Paragraph and line separators both end a line in a text file; nothing else is changed.
  text.replace(QChar::ParagraphSeparator, u'\n');
  text.replace(QChar::LineSeparator, u'\n');
  return text;
}

QByteArray TextFileBytes(const QTextDocument& document) {
  QString text = PlainText(document);
  if (!text.isEmpty()) text += u'\n';
  return text.toUtf8();
}

QString DecodeTextFile(const QByteArray& bytes) {
  QString text;
  bool utf8 = false;
  if (StartsWith(bytes, {0xEF, 0xBB, 0xBF})) {
    text = Decode(QStringConverter::Utf8, QByteArrayView(bytes).sliced(3));
  } else if (StartsWith(bytes, {0xFF, 0xFE})) {
    text = Decode(QStringConverter::Utf16LE, QByteArrayView(bytes).sliced(2));
  } else if (StartsWith(bytes, {0xFE, 0xFF})) {
    text = Decode(QStringConverter::Utf16BE, QByteArrayView(bytes).sliced(2));
  } else {
    text = Decode(QStringConverter::Utf8, bytes, &utf8);
    // Bytes that are not UTF-8 come from a Persian Windows program: its code page.
    if (!utf8)
      text = QString::fromStdU16String(
          CodePage::ToUnicode(std::string_view(bytes.constData(), size_t(bytes.size()))));
  }
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(u'\r', u'\n');
  if (text.endsWith(u'\n')) text.chop(1);
  return text;
}

void ReadTextFile(const QByteArray& bytes, QTextDocument& document) {
  document.clear();
  QTextCursor(&document).insertText(DecodeTextFile(bytes));
}

QString SaveTextFile(const QTextDocument& document, const QString& fileName) {
  return WriteWholeFile(fileName, TextFileBytes(document));
}

QString LoadTextFile(QTextDocument& document, const QString& fileName) {
  QByteArray bytes;
  if (QString error = ReadWholeFile(fileName, bytes); !error.isEmpty()) return error;
  ReadTextFile(bytes, document);
  return {};
}
