#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>
#include <QtTest>
#include <memory>

#include "RichEditToHtml.h"

using Lines = std::vector<std::string>;

namespace {

const Lines kHeadUnicode = {
    "<html dir=\"rtl\">",
    "<head>",
    "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">",
    "<meta name=\"GENERATOR\" content=\"Zefra ::: Advanced Romanesh to Farsi Translator ::: "
    "https://zefra.example.org\">",
    "<meta name=\"Author\" content=\"Quorvel Software Company\">",
    "<meta http-equiv=\"Content-Language\" content=\"fa\">",
    "<title></title>",
    "</head>",
    "<body>",
    "<div dir=rtl>",
};

QString Join(const Lines& lines) {
  QStringList all;
  for (const std::string& line : lines) all << QString::fromStdString(line);
  return all.join(u'\n');
}

}  // namespace

class tst_RichEditToHtml : public QObject {
  Q_OBJECT

 private slots:
  void init();

  void anEmptyOutputGivesHeaderOuterRunAndClosesOnly();
  void aRightAlignedPersianLineOpensItsParagraphAndEndsInABreak();
  void aLeftAlignedPlainLineOpensNoParagraph();
  void aReaderSeesTheTypedTextInBothModes();
  void namedEntitiesWinAndWideCharactersBecomeReferences();
  void aFragmentHoldsTheRangeAndStopsBeforeTheBreakWhereItIsCut();
  void aFragmentAcrossLinesSkipsLinesBeforeTheRange();
  void sizeClasses_data();
  void sizeClasses();
  void styleTagsOpenInOrderAndCloseInReverse();
  void runsAndParagraphsCloseWhereTheyChangeAndMayCross();
  void bulletedParagraphsReopenOnEveryLine();
  void colourConverterTakesSixHexDigitsOnly();
  void theDocumentFileHasCrLfAfterEveryLine();
  void aFileThatCannotBeWrittenIsReported();

 private:
  Lines Convert(int rangeEnd = -1, int rangeStart = 0) {
    Lines lines{"stale"};
    html.ConvertToHtmlLines(*edit, lines, rangeEnd, rangeStart);
    return lines;
  }
  std::string Outer() { return TRichEditToHtml().FontToHtml(edit->FormatAt(0)); }

  std::unique_ptr<RichEdit> edit;
  TRichEditToHtml html;
};

void tst_RichEditToHtml::init() {
  edit = std::make_unique<RichEdit>();
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPointSize(11);
  edit->setFont(font);
  edit->setLayoutDirection(Qt::RightToLeft);
  QTextOption option = edit->document()->defaultTextOption();
  option.setTextDirection(Qt::RightToLeft);
  edit->document()->setDefaultTextOption(option);
  html = TRichEditToHtml();
}

void tst_RichEditToHtml::anEmptyOutputGivesHeaderOuterRunAndClosesOnly() {
  Lines expected = kHeadUnicode;
  expected.push_back("<font Color=#000000 size=3 face=\"" +
                     edit->document()->defaultFont().family().toStdString() + "\">");
  expected.insert(expected.end(), {"", "", "</font>", "</div>", "</body>", "</html>"});
  QCOMPARE(Join(Convert()), Join(expected));

  html.StrTranslation = ansi;
  html.Title = "t";
  const Lines lines = Convert();
  QCOMPARE(lines[2],
           "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1256\">");
  QCOMPARE(lines[6], "<title>t</title>");
}

void tst_RichEditToHtml::aRightAlignedPersianLineOpensItsParagraphAndEndsInABreak() {
  edit->setPlainText(QStringLiteral(u"\u0633\u0644\u0627\u0645"));
  const Lines lines = Convert();
  const size_t body = kHeadUnicode.size() + 1;
  QCOMPARE(lines[body], "<p align=\"right\">&#1587;&#1604;&#1575;&#1605;");
  QCOMPARE(lines[body + 1], "<br>");
  // Nothing opened a run of its own; the paragraph closes before the outer run.
  const Lines tail(lines.begin() + long(body) + 2, lines.end());
  QCOMPARE(Join(tail), Join({"", "</p>", "</font>", "</div>", "</body>", "</html>"}));
}

void tst_RichEditToHtml::aLeftAlignedPlainLineOpensNoParagraph() {
  edit->document()->setDefaultTextOption(QTextOption());
  edit->setPlainText(QStringLiteral("abc\n\ndef"));
  const Lines lines = Convert();
  const size_t body = kHeadUnicode.size() + 1;
  QCOMPARE(Join(Lines(lines.begin() + long(body), lines.begin() + long(body) + 6)),
           Join({"abc", "<br>", "", "<br>", "def", "<br>"}));
  QCOMPARE(lines[body + 7], "");  // no paragraph was opened, so none closes
}

void tst_RichEditToHtml::aReaderSeesTheTypedTextInBothModes() {
  // English-marked text that looks like markup, and a Persian word ending in FARSI YEH.
  const QString typed = QStringLiteral(u"<b>x</b> & \"q\" ^ ~ \u00E9 \u062E\u0648\u0628\u06CC");
  edit->setPlainText(typed);
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("out.htm"));
  for (const TStrTransKind kind : {unicode, ansi}) {
    html.StrTranslation = kind;
    QCOMPARE(html.ConvertToHtmlFile(*edit, path), QString());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    // Read as a browser reads it: in the character set that the document names.
    QStringDecoder decoder = QStringDecoder::decoderForHtml(bytes);
    QVERIFY(decoder.isValid());
    QTextDocument reader;
    reader.setHtml(decoder.decode(bytes));
    QString expected = typed;
    // The code page lacks FARSI YEH; ARABIC YEH looks the same, and is what the 8-bit copy holds.
    if (kind == ansi) expected.replace(u'\u06CC', u'\u064A');
    QCOMPARE(reader.toPlainText().trimmed(), expected);
  }
}

void tst_RichEditToHtml::namedEntitiesWinAndWideCharactersBecomeReferences() {
  QCOMPARE(TRichEditToHtml::WideCharToHtml(0xE0), "&agrave;");
  QCOMPARE(TRichEditToHtml::WideCharToHtml(0xE1), "&#225;");
  QCOMPARE(TRichEditToHtml::WideCharToHtml(0x5E), "^");
  QCOMPARE(TRichEditToHtml::WideCharToHtml(0x7E), "~");
  QCOMPARE(TRichEditToHtml::WideCharToHtml(0x0633), "&#1587;");
  // Bytes without an entry would break the UTF-8 document; Persian quotes are among them.
  QCOMPARE(TRichEditToHtml::WideCharToHtml(0xAB), "&#171;");
  QCOMPARE(TRichEditToHtml::WideCharToHtml(0xA0), "&#160;");

  // A character outside the BMP is one reference in unicode mode and one "?" in ansi mode.
  edit->setPlainText(QStringLiteral(u"\u00BB\U0001F600\u0633"));
  const size_t body = kHeadUnicode.size() + 1;
  QCOMPARE(Convert()[body], "<p align=\"right\">&#187;&#128512;&#1587;");
  html.StrTranslation = ansi;
  QCOMPARE(Convert()[body], "<p align=\"right\">\xBB?\xD3");
}

void tst_RichEditToHtml::aFragmentHoldsTheRangeAndStopsBeforeTheBreakWhereItIsCut() {
  edit->setPlainText(QStringLiteral("abcdefgh"));
  const Lines lines = Convert(5, 2);
  QCOMPARE(Join(lines), Join({"<div dir=rtl>", Outer(), "<p align=\"right\">cde", "", "</p>",
                              "</font>", "</div>"}));
}

void tst_RichEditToHtml::aFragmentAcrossLinesSkipsLinesBeforeTheRange() {
  edit->setPlainText(QStringLiteral("abc\ndef\nghi\njkl"));
  // From "e" (5) to before "h" (9): the first line is skipped, the third is cut.
  const Lines lines = Convert(9, 5);
  QCOMPARE(Join(Lines(lines.begin() + 2, lines.end())),
           Join({"<p align=\"right\">ef", "<br>", "g", "", "</p>", "</font>", "</div>"}));
  // A range that ends at a line's end keeps that line's break, and stops at the next line.
  const Lines whole = Convert(7, 4);
  QCOMPARE(Join(Lines(whole.begin() + 2, whole.begin() + 4)),
           Join({"<p align=\"right\">def", "<br>"}));
  QCOMPARE(whole.size(), size_t(8));
}

void tst_RichEditToHtml::sizeClasses_data() {
  QTest::addColumn<int>("points");
  QTest::addColumn<char>("sizeClass");
  for (auto [points, sizeClass] : {std::pair{1, '1'},
                                   {8, '1'},
                                   {9, '2'},
                                   {10, '2'},
                                   {11, '3'},
                                   {12, '3'},
                                   {13, '4'},
                                   {14, '4'},
                                   {15, '5'},
                                   {18, '5'},
                                   {19, '6'},
                                   {24, '6'},
                                   {25, '7'},
                                   {36, '7'},
                                   {37, '8'}})
    QTest::addRow("%d", points) << points << sizeClass;
}

void tst_RichEditToHtml::sizeClasses() {
  QFETCH(int, points);
  QFETCH(char, sizeClass);
  QCOMPARE(HtmlSizeClass(points), sizeClass);
}

void tst_RichEditToHtml::styleTagsOpenInOrderAndCloseInReverse() {
  TCharFormat font;
  font.Name = QStringLiteral("Tahoma");
  font.Size = 20;
  font.Color = 0x0000FF;
  font.Style = fsBold | fsItalic | fsUnderline | fsStrikeOut;
  QCOMPARE(html.FontToHtml(font), "<font Color=#FF0000 size=6 face=\"Tahoma\"><b><i><strike><u>");
  // A name that came with pasted text is written as text: its quote cannot end the attribute.
  font.Name = QStringLiteral("A\"><script>");
  font.Style = 0;
  QCOMPARE(html.FontToHtml(font), "<font Color=#FF0000 size=6 face=\"A&quot;&gt;&lt;script&gt;\">");

  edit->setPlainText(QStringLiteral("x"));
  font.Style = fsBold | fsUnderline;
  edit->SetFormat(0, 1, font, TCharFormat::fColor | TCharFormat::fStyle);
  const Lines lines = Convert(1, 0);
  QCOMPARE(Join(Lines(lines.begin() + 2, lines.begin() + 5)),
           Join({"<font Color=#FF0000 size=3 face=\"" +
                     edit->document()->defaultFont().family().toStdString() +
                     "\"><b><u><p align=\"right\">x",
                 "<br>", "</u></b></font>"}));
}

void tst_RichEditToHtml::runsAndParagraphsCloseWhereTheyChangeAndMayCross() {
  edit->setPlainText(QStringLiteral("ab\ncd"));
  TCharFormat red;
  red.Color = 0x0000FF;
  // "b" and "c" red; the second line centred.
  edit->SetFormat(1, 4, red, TCharFormat::fColor);
  edit->SetParagraphAt(3, {paCenter}, TParaFormat::fAlignment);
  const Lines lines = Convert(5, 0);
  const std::string face = edit->document()->defaultFont().family().toStdString();
  const std::string plain = "<font Color=#000000 size=3 face=\"" + face + "\">";
  const std::string redRun = "<font Color=#FF0000 size=3 face=\"" + face + "\">";
  // The outer run's close is kept apart: the first change closes nothing.
  QCOMPARE(Join(Lines(lines.begin() + 2, lines.end())),
           Join({"<p align=\"right\">a" + redRun + "b", "<br>",
                 // The red run goes on into the next paragraph: the tags cross.
                 "</p><p align=\"center\">c</font>" + plain + "d", "<br>", "</font>", "</p>",
                 "</font>", "</div>"}));
}

void tst_RichEditToHtml::bulletedParagraphsReopenOnEveryLine() {
  edit->setPlainText(QStringLiteral("a\nb"));
  TParaFormat bullet;
  bullet.Numbering = nsBullet;
  edit->SetSel(0, 3);
  edit->SetParagraph(bullet, TParaFormat::fNumbering);
  const Lines lines = Convert(3, 0);
  QCOMPARE(
      Join(Lines(lines.begin() + 2, lines.begin() + 7)),
      Join({"<li><p align=\"right\">a", "<br>", "</p></li><li><p align=\"right\">b", "<br>", ""}));
  QCOMPARE(lines[7], "</p></li>");
}

void tst_RichEditToHtml::colourConverterTakesSixHexDigitsOnly() {
  TRgbToHtml colour;
  QCOMPARE(colour.HtmlColor(), "000000");
  colour.SetRgbColor(0x0080FF);
  QCOMPARE(colour.HtmlColor(), "FF8000");
  colour.SetHtmlColor("00ff7f");
  QCOMPARE(colour.RgbColor(), 0x7FFF00u);
  QCOMPARE(colour.HtmlColor(), "00FF7F");
  for (const char* wrong : {"12345", "1234567", "GG0000", "", "#12345"}) {
    colour.SetHtmlColor(wrong);
    QCOMPARE(colour.RgbColor(), 0x7FFF00u);
  }
  colour.SetRgbColor(clWindowText);
  QCOMPARE(colour.HtmlColor(), "000000");
}

void tst_RichEditToHtml::theDocumentFileHasCrLfAfterEveryLine() {
  QTemporaryDir dir;
  edit->setPlainText(QStringLiteral(u"\u0633"));
  html.StrTranslation = ansi;
  const QString path = dir.filePath(QStringLiteral("out.htm"));
  QCOMPARE(html.ConvertToHtmlFile(*edit, path), QString());
  QFile file(path);
  QVERIFY(file.open(QIODevice::ReadOnly));
  Lines lines;
  html.ConvertToHtmlLines(*edit, lines, -1, 0);
  QCOMPARE(file.readAll().toStdString(), JoinHtmlLines(lines));
  QVERIFY(JoinHtmlLines(lines).ends_with("</html>\r\n"));
  QVERIFY(JoinHtmlLines(lines).find("\xD3") != std::string::npos);
  QVERIFY(HtmlLinesToText(lines).contains(QStringLiteral(u"\u0633")));
}

void tst_RichEditToHtml::aFileThatCannotBeWrittenIsReported() {
  QCOMPARE(html.ConvertToHtmlFile(*edit, QStringLiteral("/nonexistent-dir/x.htm")),
           QStringLiteral("Failed to Save Stream"));
}

QTEST_MAIN(tst_RichEditToHtml)
#include "tst_RichEditToHtml.moc"
