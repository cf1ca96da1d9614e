#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QtTest>
#include <future>
#include <thread>

#include "ExportFile.h"
#include "PdfFile.h"
#include "RichEdit.h"
#include "RtfReader.h"
#include "RtfWriter.h"
#include "SaveFormats.h"
#include "TextFile.h"

namespace {

const QString kSalam = QStringLiteral(u"\u0633\u0644\u0627\u0645");

QByteArray Bytes(std::initializer_list<int> bytes) {
  QByteArray out;
  for (int b : bytes) out += char(b);
  return out;
}

QTextCharFormat FormatAt(const QTextDocument& document, int pos) {
  QTextCursor cursor(const_cast<QTextDocument*>(&document));
  cursor.setPosition(pos + 1);
  return cursor.charFormat();
}

QString ReadRtfText(const QByteArray& rtf) {
  QTextDocument document;
  if (!ReadRtf(rtf, document)) return QStringLiteral("<not rtf>");
  return PlainText(document);
}

}  // namespace

class tst_FileFormats : public QObject {
  Q_OBJECT

 private slots:
  void rtfRoundTripKeepsTextFormatsAndParagraphs();
  void rtfWritesUnicodeWithCodePageFallback();
  void rtfReadsCodePageBytesByTheFontsCharset();
  void rtfSkipsFallbacksAfterUnicodeAsUcSays();
  void rtfSkipsDestinationsItDoesNotShow();
  void rtfGroupsRestoreCharacterProperties();
  void rtfReadsAlignmentAndDirection();
  void rtfKeepsBulletedParagraphs();
  void damagedRtfGivesWhatCouldBeRead_data();
  void damagedRtfGivesWhatCouldBeRead();
  void loadingFallsBackToTextAndReportsUnreadableFiles();
  void onlyFilesUpToTheLimitAreRead();
  void textFilesDecodeEachEncoding_data();
  void textFilesDecodeEachEncoding();
  void textFilesAreUtf8WithLfAfterEveryLine();
  void plainTextOfARangeSeparatesParagraphsByLf();
  void pdfEmbedsItsFontsAndReportsFailure();
  void aSavedNameWithoutExtensionGetsTheFormats();
};

void tst_FileFormats::rtfRoundTripKeepsTextFormatsAndParagraphs() {
  QTextDocument source;
  source.setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 11));
  QTextOption option;
  option.setTextDirection(Qt::RightToLeft);
  source.setDefaultTextOption(option);
  QTextCursor cursor(&source);
  cursor.insertText(kSalam + QStringLiteral(" {a\\b}\tc "));
  QTextCharFormat styled;
  styled.setFontFamilies({QStringLiteral("DejaVu Serif")});
  styled.setFontPointSize(14);
  styled.setFontWeight(QFont::Bold);
  styled.setFontItalic(true);
  styled.setUnderlineStyle(QTextCharFormat::DotLine);
  styled.setFontStrikeOut(true);
  styled.setForeground(QColor(0xFF, 0x00, 0x80));
  cursor.insertText(QStringLiteral(u"\u0628\U0001F600"), styled);
  QTextBlockFormat centred;
  centred.setAlignment(Qt::AlignHCenter);
  cursor.insertBlock(centred);
  cursor.insertBlock(QTextBlockFormat());
  cursor.insertText(QStringLiteral("end"));

  QTextDocument read;
  QVERIFY(ReadRtf(RtfBytes(source), read));
  QCOMPARE(read.toRawText(), source.toRawText());
  QCOMPARE(read.blockCount(), 3);

  const QTextCharFormat plain = FormatAt(read, 0);
  QCOMPARE(plain.fontFamilies().toStringList(), QStringList{QStringLiteral("DejaVu Sans")});
  QCOMPARE(plain.fontPointSize(), 11.0);
  QVERIFY(plain.fontWeight() <= QFont::Normal);
  QVERIFY(!plain.hasProperty(QTextFormat::ForegroundBrush));
  const QTextCharFormat got = FormatAt(read, int(kSalam.size()) + 9);
  QCOMPARE(got.fontFamilies().toStringList(), QStringList{QStringLiteral("DejaVu Serif")});
  QCOMPARE(got.fontPointSize(), 14.0);
  QCOMPARE(got.fontWeight(), int(QFont::Bold));
  QVERIFY(got.fontItalic());
  QCOMPARE(got.underlineStyle(), QTextCharFormat::DotLine);
  QVERIFY(got.fontStrikeOut());
  QCOMPARE(got.foreground().color(), QColor(0xFF, 0x00, 0x80));

  // Directions and alignments as they are seen.
  const QTextBlock first = read.begin();
  QCOMPARE(first.textDirection(), Qt::RightToLeft);
  QCOMPARE(first.blockFormat().alignment() & Qt::AlignRight, Qt::AlignRight);
  QCOMPARE(first.next().blockFormat().alignment() & Qt::AlignHCenter, Qt::AlignHCenter);
}

void tst_FileFormats::rtfWritesUnicodeWithCodePageFallback() {
  QTextDocument document;
  QTextCursor(&document).insertText(kSalam + QStringLiteral(u"\u00FF\u4E00\u00E9"));
  const QByteArray rtf = RtfBytes(document);
  QVERIFY(rtf.startsWith("{\\rtf1\\ansi\\ansicpg1256"));
  QVERIFY(rtf.contains("\\u1587\\'d3\\u1604\\'e1\\u1575\\'c7\\u1605\\'e3"));
  // No byte in the code page: "?"; above 32767: a negative number.
  QVERIFY(rtf.contains("\\u255?\\u19968?\\u233\\'e9"));
  document.clear();
  QTextCursor(&document).insertText(QStringLiteral(u"\uFEFF"));
  QVERIFY(RtfBytes(document).contains("\\u-257?"));
  QVERIFY(RtfBytes(document).endsWith("}\r\n"));
}

void tst_FileFormats::rtfReadsCodePageBytesByTheFontsCharset() {
  // As old word processors write Persian: bytes only, the font naming its charset.
  QCOMPARE(ReadRtfText("{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0\\fnil Arial;}"
                       "{\\f1\\fnil\\fcharset178 Tahoma;}}\\f1 \\'d3\\'e1\\'c7\\'e3 \\f0 \\'e9}"),
           kSalam + QStringLiteral(u" \u00E9"));
  // Without a charset the document's code page holds.
  QCOMPARE(ReadRtfText("{\\rtf1\\ansi\\ansicpg1256 \\'d3\\'e1\\'c7\\'e3}"), kSalam);
  QCOMPARE(ReadRtfText("{\\rtf1\\ansi \\'e9}"), QStringLiteral(u"\u00E9"));
}

void tst_FileFormats::rtfSkipsFallbacksAfterUnicodeAsUcSays() {
  QCOMPARE(ReadRtfText("{\\rtf1 \\u1587\\'d3x}"), QStringLiteral(u"\u0633x"));
  QCOMPARE(ReadRtfText("{\\rtf1\\uc2 \\u1587\\'d3\\'d3x}"), QStringLiteral(u"\u0633x"));
  QCOMPARE(ReadRtfText("{\\rtf1\\uc0 \\u1587 x}"), QStringLiteral(u"\u0633x"));
  QCOMPARE(ReadRtfText("{\\rtf1 \\u-257?a}"), QStringLiteral(u"\uFEFFa"));
  // A control word counts as one fallback character; a group ends the fallback.
  QCOMPARE(ReadRtfText("{\\rtf1\\uc1 \\u1587\\par x}"), QStringLiteral(u"\u0633x"));
  QCOMPARE(ReadRtfText("{\\rtf1\\uc3 \\u1587{b}c}"), QStringLiteral(u"\u0633bc"));
  // \uc is part of the group's state.
  QCOMPARE(ReadRtfText("{\\rtf1{\\uc2 \\u1587ab}\\u1587ab}"), QStringLiteral(u"\u0633\u0633b"));
  // A pair of surrogates is one character.
  QCOMPARE(ReadRtfText("{\\rtf1 \\u-10179?\\u-8704?}"), QStringLiteral(u"\U0001F600"));
}

void tst_FileFormats::rtfSkipsDestinationsItDoesNotShow() {
  QCOMPARE(ReadRtfText("{\\rtf1{\\*\\unknown hidden{nested}}{\\stylesheet{\\s0 Normal;}}"
                       "{\\info{\\title T}}{\\pict 0123abcd}{\\*\\generator G;}"
                       "{\\field{\\*\\fldinst HYPERLINK x}{\\fldrslt shown}}"
                       "{\\pntext \\'b7\\tab}text\\~\\emdash\\zwnj}"),
           QStringLiteral(u"showntext\u00A0\u2014\u200C"));
  QCOMPARE(ReadRtfText("{\\rtf1 a\\\\b\\{c\\}\\tab d\\line e}"), QStringLiteral("a\\b{c}\td\ne"));
}

void tst_FileFormats::rtfGroupsRestoreCharacterProperties() {
  QTextDocument read;
  QVERIFY(
      ReadRtf("{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1 Courier;}}"
              "{\\colortbl;\\red255\\green0\\blue0;}"
              "a{\\b\\i\\ul\\cf1\\f1\\fs40 b}c\\b d\\plain e\\ul f\\ulnone g\\ul0 h}",
              read));
  QCOMPARE(PlainText(read), QStringLiteral("abcdefgh"));
  const QTextCharFormat b = FormatAt(read, 1);
  QCOMPARE(b.fontWeight(), int(QFont::Bold));
  QVERIFY(b.fontItalic());
  QCOMPARE(b.underlineStyle(), QTextCharFormat::SingleUnderline);
  QCOMPARE(b.foreground().color(), QColor(Qt::red));
  QCOMPARE(b.fontFamilies().toStringList(), QStringList{QStringLiteral("Courier")});
  QCOMPARE(b.fontPointSize(), 20.0);
  const QTextCharFormat c = FormatAt(read, 2);
  QCOMPARE(c.fontWeight(), int(QFont::Normal));
  QVERIFY(!c.fontItalic());
  QVERIFY(!c.hasProperty(QTextFormat::ForegroundBrush));
  QCOMPARE(c.fontFamilies().toStringList(), QStringList{QStringLiteral("Arial")});
  QCOMPARE(c.fontPointSize(), 12.0);
  QCOMPARE(FormatAt(read, 3).fontWeight(), int(QFont::Bold));
  QCOMPARE(FormatAt(read, 4).fontWeight(), int(QFont::Normal));
  QCOMPARE(FormatAt(read, 5).underlineStyle(), QTextCharFormat::SingleUnderline);
  QCOMPARE(FormatAt(read, 6).underlineStyle(), QTextCharFormat::NoUnderline);
  QCOMPARE(FormatAt(read, 7).underlineStyle(), QTextCharFormat::NoUnderline);
}

void tst_FileFormats::rtfReadsAlignmentAndDirection() {
  QTextDocument read;
  QVERIFY(
      ReadRtf("{\\rtf1\\pard\\rtlpar\\qr a\\par\\pard\\rtlpar\\ql b\\par\\qc c\\par"
              "\\pard\\qj d}",
              read));
  QTextBlock block = read.begin();
  QCOMPARE(block.textDirection(), Qt::RightToLeft);
  QCOMPARE(block.blockFormat().alignment(), Qt::AlignRight | Qt::AlignAbsolute);
  block = block.next();
  QCOMPARE(block.blockFormat().alignment(), Qt::AlignLeft | Qt::AlignAbsolute);
  block = block.next();
  QCOMPARE(block.textDirection(), Qt::RightToLeft);  // \par keeps the paragraph's properties
  QCOMPARE(block.blockFormat().alignment(), Qt::AlignHCenter);
  block = block.next();
  QCOMPARE(block.textDirection(), Qt::LeftToRight);
  QCOMPARE(block.blockFormat().alignment(), Qt::AlignJustify);
}

void tst_FileFormats::rtfKeepsBulletedParagraphs() {
  const auto bulleted = [](const QTextBlock& block) {
    return block.textList() && block.textList()->format().style() == QTextListFormat::ListDisc;
  };
  QTextDocument source;
  QTextCursor cursor(&source);
  cursor.insertText(QStringLiteral("a"));
  QTextListFormat bullets;
  bullets.setStyle(QTextListFormat::ListDisc);
  cursor.createList(bullets);
  cursor.insertBlock();
  cursor.insertText(QStringLiteral("b"));
  cursor.insertBlock(QTextBlockFormat());
  cursor.insertText(QStringLiteral("c"));
  QVERIFY(!bulleted(source.lastBlock()));

  QTextDocument read;
  QVERIFY(ReadRtf(RtfBytes(source), read));
  QCOMPARE(PlainText(read), QStringLiteral("a\nb\nc"));
  QVERIFY(bulleted(read.begin()));
  QCOMPARE(read.begin().next().textList(), read.begin().textList());
  QVERIFY(!bulleted(read.lastBlock()));

  // As word processors write lists: list numbers, and the bullet's text to be skipped.
  QVERIFY(ReadRtf("{\\rtf1{\\listtext\\'b7\\tab}\\ls1 x\\par\\pard y}", read));
  QCOMPARE(PlainText(read), QStringLiteral("x\ny"));
  QVERIFY(bulleted(read.begin()));
  QVERIFY(!bulleted(read.lastBlock()));
}

void tst_FileFormats::damagedRtfGivesWhatCouldBeRead_data() {
  QTest::addColumn<QByteArray>("rtf");
  QTest::addColumn<QString>("text");
  QTest::newRow("cut short") << QByteArray("{\\rtf1 abc\\'d") << QStringLiteral("abc");
  QTest::newRow("cut in a word") << QByteArray("{\\rtf1 ab\\pa") << QStringLiteral("ab");
  QTest::newRow("extra closing") << QByteArray("{\\rtf1 a}}}b") << QStringLiteral("a");
  QTest::newRow("unclosed") << QByteArray("{\\rtf1 a{\\b b{c") << QStringLiteral("abc");
  QTest::newRow("huge numbers") << QByteArray("{\\rtf1\\fs99999999999\\uc99999999 \\u99999999999a}")
                                << QStringLiteral(u"\uFFFF");
  QTest::newRow("colour out of the table")
      << QByteArray("{\\rtf1\\cf7 x\\cf-3 y}") << QStringLiteral("xy");
  QTest::newRow("deep nesting") << QByteArray("{\\rtf1 ") + QByteArray(100000, '{') + "x" +
                                       QByteArray(100000, '}') + "y}"
                                << QStringLiteral("xy");
  QTest::newRow("long word") << QByteArray("{\\rtf1\\") + QByteArray(1000, 'a') + " x}"
                             << QStringLiteral("x");
  QTest::newRow("nul bytes") << QByteArray("{\\rtf1 a\0b}", 11) << QStringLiteral("ab");
  QTest::newRow("unterminated font table")
      << QByteArray("{\\rtf1{\\fonttbl{\\f0\\fcharset178 ") + QByteArray(5000, 'x') << QString();
}

void tst_FileFormats::damagedRtfGivesWhatCouldBeRead() {
  QFETCH(QByteArray, rtf);
  QFETCH(QString, text);
  QCOMPARE(ReadRtfText(rtf), text);
}

void tst_FileFormats::loadingFallsBackToTextAndReportsUnreadableFiles() {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("a.rtf"));
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(QStringLiteral(u"not rich \u0633\r\nsecond").toUtf8());
  file.close();
  QTextDocument document;
  QTextCursor(&document).insertText(QStringLiteral("old"));
  QCOMPARE(LoadRtfFile(document, path), QString());
  QCOMPARE(PlainText(document), QStringLiteral(u"not rich \u0633\nsecond"));

  QCOMPARE(LoadRtfFile(document, dir.filePath(QStringLiteral("missing.rtf"))),
           QStringLiteral("Failed to Load Stream"));
  QCOMPARE(PlainText(document), QStringLiteral(u"not rich \u0633\nsecond"));
}

void tst_FileFormats::onlyFilesUpToTheLimitAreRead() {
  QTemporaryDir dir;
  QTextDocument document;
  QTextCursor(&document).insertText(QStringLiteral("typed"));
  const QString notAFile =
      QStringLiteral("%1 cannot be loaded: it is a folder, a pipe or a device, not a file.");
  QCOMPARE(LoadTextFile(document, dir.path()), notAFile.arg(QFileInfo(dir.path()).fileName()));
  QCOMPARE(LoadTextFile(document, QStringLiteral("/dev/zero")), notAFile.arg("zero"));

  // A pipe whose writer never finishes: reading it would wait for ever. Should it be read all the
  // same, the writer goes after a while, so that the test fails rather than hangs.
  const QString pipe = dir.filePath(QStringLiteral("pipe.txt"));
  QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
  const int writer = ::open(QFile::encodeName(pipe).constData(), O_RDWR);
  QVERIFY(writer >= 0);
  std::promise<void> loaded;
  std::thread closer([writer, done = loaded.get_future()] {
    done.wait_for(std::chrono::seconds(5));
    ::close(writer);
  });
  const QString piped = LoadRtfFile(document, pipe);
  loaded.set_value();
  closer.join();
  QCOMPARE(piped, notAFile.arg("pipe.txt"));

  // Sparse files: the size costs no disk.
  const QString big = dir.filePath(QStringLiteral("big.txt"));
  QFile bigFile(big);
  QVERIFY(bigFile.open(QIODevice::WriteOnly));
  QVERIFY(bigFile.resize(MaxReadBytes));
  QByteArray bytes;
  QCOMPARE(ReadWholeFile(big, bytes), QString());
  QCOMPARE(bytes.size(), MaxReadBytes);
  QVERIFY(bigFile.resize(MaxReadBytes + 1));
  QCOMPARE(LoadTextFile(document, big),
           QStringLiteral("big.txt cannot be loaded: it is larger than 8 MiB, the largest file "
                          "that loads."));
  QCOMPARE(PlainText(document), QStringLiteral("typed"));
}

void tst_FileFormats::textFilesDecodeEachEncoding_data() {
  QTest::addColumn<QByteArray>("bytes");
  QTest::addColumn<QString>("text");
  const QString two = kSalam + QStringLiteral("\nb");
  QTest::newRow("utf-8") << (kSalam + QStringLiteral("\r\nb\n")).toUtf8() << two;
  QTest::newRow("utf-8 with mark") << Bytes({0xEF, 0xBB, 0xBF}) + (kSalam + "\nb").toUtf8() << two;
  QTest::newRow("utf-16le") << Bytes({0xFF, 0xFE, 0x33, 0x06, 0x0D, 0x00, 0x0A, 0x00, 0x62, 0x00})
                            << QStringLiteral(u"\u0633\nb");
  QTest::newRow("utf-16be") << Bytes({0xFE, 0xFF, 0x06, 0x33, 0x00, 0x0D, 0x00, 0x62})
                            << QStringLiteral(u"\u0633\nb");
  QTest::newRow("code page 1256") << Bytes({0xD3, 0xE1, 0xC7, 0xE3, 0x0D, 0x62}) << two;
  QTest::newRow("empty") << QByteArray() << QString();
  QTest::newRow("empty lines kept") << QByteArray("a\n\n\nb\n\n") << QStringLiteral("a\n\n\nb\n");
}

void tst_FileFormats::textFilesDecodeEachEncoding() {
  QFETCH(QByteArray, bytes);
  QFETCH(QString, text);
  QCOMPARE(DecodeTextFile(bytes), text);
}

void tst_FileFormats::textFilesAreUtf8WithLfAfterEveryLine() {
  QTextDocument document;
  QTextCursor cursor(&document);
  cursor.insertText(kSalam);
  cursor.insertBlock();
  cursor.insertText(QStringLiteral(u"b\u00A0c"));
  QCOMPARE(TextFileBytes(document), (kSalam + QStringLiteral(u"\nb\u00A0c\n")).toUtf8());
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("a.txt"));
  QCOMPARE(SaveTextFile(document, path), QString());
  QTextDocument read;
  QCOMPARE(LoadTextFile(read, path), QString());
  QCOMPARE(read.toRawText(), document.toRawText());
  QCOMPARE(TextFileBytes(QTextDocument()), QByteArray());
  QCOMPARE(SaveTextFile(document, dir.filePath(QStringLiteral("no/such/dir.txt"))),
           QStringLiteral("Failed to Save Stream"));
}

void tst_FileFormats::plainTextOfARangeSeparatesParagraphsByLf() {
  QTextDocument document;
  QTextCursor cursor(&document);
  cursor.insertText(QStringLiteral("abc"));
  cursor.insertBlock();
  cursor.insertText(QStringLiteral("def"));
  QCOMPARE(PlainText(document, 2, 3), QStringLiteral("c\nd"));
  QCOMPARE(PlainText(document, 5), QStringLiteral("ef"));
  QCOMPARE(PlainText(document, 50), QString());
}

void tst_FileFormats::pdfEmbedsItsFontsAndReportsFailure() {
  // As the output pane holds it: right to left, without wrapping.
  RichEdit pane;
  pane.setFont(QFont(QStringLiteral("Noto Sans Arabic"), 14));
  QTextOption option = pane.document()->defaultTextOption();
  option.setTextDirection(Qt::RightToLeft);
  pane.document()->setDefaultTextOption(option);
  pane.setPlainText((kSalam + QStringLiteral(" abc ")).repeated(40));
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("a.pdf"));
  QCOMPARE(SavePdfFile(*pane.document(), path), QString());
  QFile file(path);
  QVERIFY(file.open(QIODevice::ReadOnly));
  const QByteArray pdf = file.readAll();
  QVERIFY(pdf.startsWith("%PDF-"));
  QVERIFY(pdf.contains("/FontFile2"));
  // The text can be selected and copied: the fonts map their glyphs back to characters.
  QVERIFY(pdf.contains("/ToUnicode"));
  QCOMPARE(SavePdfFile(*pane.document(), dir.filePath(QStringLiteral("no/such/dir.pdf"))),
           QStringLiteral("Failed to Save Stream"));
}

void tst_FileFormats::aSavedNameWithoutExtensionGetsTheFormats() {
  QCOMPARE(WithDefaultExtension(QStringLiteral("/tmp/out"), sfRichText),
           QStringLiteral("/tmp/out.rtf"));
  QCOMPARE(WithDefaultExtension(QStringLiteral("/tmp/a.b/out"), sfHtmlAnsi),
           QStringLiteral("/tmp/a.b/out.htm"));
  QCOMPARE(WithDefaultExtension(QStringLiteral("/tmp/out.txt"), sfJpeg),
           QStringLiteral("/tmp/out.txt"));
  QCOMPARE(WithDefaultExtension(QStringLiteral("out"), sfPdf), QStringLiteral("out.pdf"));
  QCOMPARE(FilterString(SaveFilters).split(QStringLiteral(";;"))[4],
           QStringLiteral("Html Format [unicode] (*.htm *.html)"));
  QCOMPARE(FilterString(LoadFilters),
           QStringLiteral("Text Documents (*.txt);;Rich Text Format (*.rtf)"));
}

QTEST_MAIN(tst_FileFormats)
#include "tst_FileFormats.moc"
