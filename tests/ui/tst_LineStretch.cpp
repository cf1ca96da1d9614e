#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QtTest>

#include "LineLayout.h"
#include "LineStretch.h"

namespace {

const QString kPersianWord = QStringLiteral(u"\u0633\u0644\u0627\u0645");

// One paragraph of many words laid out as a pane lays it out.
struct TLongLine {
  TLongLine(const QString& text, Qt::LayoutDirection direction) {
    LineLayout::Install(&document);
    document.setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 11));
    QTextOption option = document.defaultTextOption();
    option.setWrapMode(QTextOption::NoWrap);
    option.setTextDirection(direction);
    document.setDefaultTextOption(option);
    document.setPageSize(QSizeF(400, -1));
    QTextCursor(&document).insertText(text);
  }
  QTextDocument document;
};

// The line painted in a window scrolled to left, whole or by its stretch in sight.
QImage Painted(const QTextBlock& block, const QList<QTextLayout::FormatRange>& selections,
               qreal left, bool whole) {
  QImage image(QSize(400, 40), QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.translate(-left, 0);
  const QRectF clip(left, 0, image.width(), image.height());
  if (whole)
    block.layout()->draw(&painter, QPointF(), selections, clip);
  else if (!DrawLineStretch(&painter, block, clip, selections, nullptr))
    image.fill(Qt::black);
  return image;
}

}  // namespace

class tst_LineStretch : public QObject {
  Q_OBJECT

 private slots:
  void aRunOfTheOtherDirectionStaysInOnePiece();
  void theStretchInSightLooksAsTheWholeLine_data();
  void theStretchInSightLooksAsTheWholeLine();
};

void tst_LineStretch::aRunOfTheOtherDirectionStaysInOnePiece() {
  // Latin words and a number in a right-to-left line: their spaces are no cuts, those between
  // Persian words are.
  const QString text = kPersianWord + QStringLiteral(" abc def 12 34 ") + kPersianWord +
                       QLatin1Char(' ') + kPersianWord;
  const int d = int(text.indexOf(u'd'));
  const TCharRange around = StretchAround(text, true, d, d);
  QCOMPARE(around.Start, 0);
  QCOMPARE(around.End, int(text.lastIndexOf(u' ')));
  // In a left-to-right line the same spaces are the cuts.
  QCOMPARE(StretchAround(text, false, d, d).Start, d - 1);
  // An embedding changes the direction of what follows it: the line is not cut at all.
  const QString embedded = QStringLiteral(u"\u202B") + text;
  QCOMPARE(StretchAround(embedded, false, d, d).End, int(embedded.size()));
}

void tst_LineStretch::theStretchInSightLooksAsTheWholeLine_data() {
  QTest::addColumn<QString>("words");
  QTest::addColumn<Qt::LayoutDirection>("direction");
  QTest::newRow("Latin") << QStringLiteral("word, Wave; kerning AV To! ") << Qt::LeftToRight;
  QTest::newRow("Persian with Latin and numbers")
      << kPersianWord + QLatin1Char(' ') + kPersianWord + QStringLiteral(u"\u060C Latin run 12 ") +
             kPersianWord + QStringLiteral(u"\u061F \u06F1\u06F2 ") + kPersianWord +
             QLatin1Char(' ')
      << Qt::RightToLeft;
}

void tst_LineStretch::theStretchInSightLooksAsTheWholeLine() {
  QFETCH(QString, words);
  QFETCH(Qt::LayoutDirection, direction);
  TLongLine line(words.repeated(200), direction);
  const QTextBlock block = line.document.firstBlock();
  // Formats and a selection about the middle, where the window looks.
  QTextCharFormat loud;
  loud.setForeground(QColor(200, 0, 0));
  loud.setBackground(QColor(255, 255, 0));
  loud.setFontWeight(QFont::Bold);
  loud.setUnderlineStyle(QTextCharFormat::WaveUnderline);
  QTextCursor cursor(&line.document);
  cursor.setPosition(block.length() / 2 - 40);
  cursor.setPosition(block.length() / 2 + 25, QTextCursor::KeepAnchor);
  cursor.mergeCharFormat(loud);
  // Asked for its place, as the caret asks while it is edited, the line keeps its shaped text.
  line.document.documentLayout()->blockBoundingRect(block);
  QTextCharFormat selected;
  selected.setBackground(QColor(40, 80, 200));
  selected.setForeground(Qt::white);
  const QList<QTextLayout::FormatRange> selections{{block.length() / 2 - 10, 60, selected}};

  const QTextLine laidOut = block.layout()->lineAt(0);
  const qreal middle = laidOut.cursorToX(block.length() / 2) - 200;
  for (const qreal left : {laidOut.naturalTextRect().left(), middle, middle + 0.5,
                           laidOut.naturalTextRect().right() - 400}) {
    const QImage whole = Painted(block, selections, left, true);
    QCOMPARE(Painted(block, selections, left, false), whole);
  }
}

QTEST_MAIN(tst_LineStretch)
#include "tst_LineStretch.moc"
