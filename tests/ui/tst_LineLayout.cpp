#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextList>
#include <QtTest>
#include <memory>
#include <random>

#include "LineLayout.h"
#include "RichEdit.h"

namespace {

const QString kPersian = QStringLiteral(u"\u0633\u0644\u0627\u0645 \u062E\u0648\u0628\u06CC");

// A document laid out as a pane lays it out: one line a paragraph, the page as wide as width.
void SetUpPage(QTextDocument& document, qreal width, Qt::LayoutDirection direction) {
  document.setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 11));
  QTextOption option = document.defaultTextOption();
  option.setWrapMode(QTextOption::NoWrap);
  option.setTextDirection(direction);
  document.setDefaultTextOption(option);
  document.setPageSize(QSizeF(width, -1));
}

void AddParagraph(QTextCursor& cursor, const QString& text, const QTextBlockFormat& format = {},
                  const QTextCharFormat& charFormat = {}) {
  if (cursor.position() > 0) cursor.insertBlock();
  cursor.setBlockFormat(format);
  cursor.insertText(text, charFormat);
}

QTextBlockFormat Aligned(Qt::Alignment alignment) {
  QTextBlockFormat format;
  format.setAlignment(alignment);
  return format;
}

// Every paragraph format the panes use, Persian and Latin text, lines wider than the page.
void FillWithEveryKindOfLine(QTextDocument& document) {
  QTextCursor cursor(&document);
  AddParagraph(cursor, QStringLiteral("plain line"));
  AddParagraph(cursor, QStringLiteral("to the right"), Aligned(Qt::AlignRight));
  AddParagraph(cursor, QStringLiteral("centred"), Aligned(Qt::AlignHCenter));
  AddParagraph(cursor, QStringLiteral("right, absolutely"),
               Aligned(Qt::AlignRight | Qt::AlignAbsolute));
  AddParagraph(cursor, QStringLiteral("left, absolutely"),
               Aligned(Qt::AlignLeft | Qt::AlignAbsolute));
  QTextBlockFormat indented;
  indented.setLeftMargin(30);
  indented.setRightMargin(12);
  indented.setTextIndent(20);
  AddParagraph(cursor, QStringLiteral("indented on both sides"), indented);
  AddParagraph(cursor, kPersian, indented);
  QTextListFormat bullets;
  bullets.setStyle(QTextListFormat::ListDisc);
  bullets.setIndent(1);
  AddParagraph(cursor, QStringLiteral("first bullet"));
  cursor.createList(bullets);
  AddParagraph(cursor, kPersian + QStringLiteral(" bullet"));
  AddParagraph(cursor, QString(), QTextBlockFormat());
  QTextCharFormat loud;
  loud.setFontPointSize(20);
  loud.setFontWeight(QFont::Bold);
  loud.setForeground(QColor(200, 0, 0));
  loud.setBackground(QColor(255, 255, 0));
  loud.setUnderlineStyle(QTextCharFormat::WaveUnderline);
  AddParagraph(cursor, QStringLiteral("small "));
  cursor.insertText(QStringLiteral("LOUD"), loud);
  cursor.insertText(QStringLiteral(" small\tafter a tab"), QTextCharFormat());
  QTextBlockFormat rightToLeft;
  rightToLeft.setLayoutDirection(Qt::RightToLeft);
  AddParagraph(cursor, QStringLiteral("Latin in a right-to-left paragraph"), rightToLeft);
  AddParagraph(cursor, QStringLiteral("long ").repeated(40));
  AddParagraph(cursor, (kPersian + QLatin1Char(' ')).repeated(25));
  AddParagraph(cursor, (kPersian + QLatin1Char(' ')).repeated(25), Aligned(Qt::AlignHCenter));
  AddParagraph(cursor, QStringLiteral("last"));
}

// A second document with the same text and formats, laid out by LineLayout.
std::unique_ptr<QTextDocument> LaidOutCopy(const QTextDocument& document) {
  std::unique_ptr<QTextDocument> copy(document.clone());
  LineLayout::Install(copy.get());
  copy->setDefaultFont(document.defaultFont());
  copy->setDefaultTextOption(document.defaultTextOption());
  copy->setPageSize(document.pageSize());
  return copy;
}

// Where the layout puts each paragraph, its first line and each caret position in it, asked
// paragraph by paragraph from the top, and the size of the whole.
struct TPlaces {
  std::vector<QRectF> Paragraphs, Lines;
  std::vector<qreal> Carets;
  QSizeF Size;
  bool operator==(const TPlaces&) const = default;
};

TPlaces Places(const QTextDocument& document) {
  TPlaces places;
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    places.Paragraphs.push_back(document.documentLayout()->blockBoundingRect(block));
    const QTextLine line = block.layout()->lineAt(0);
    places.Lines.push_back(line.naturalTextRect());
    for (int pos = 0; pos < block.length(); ++pos) places.Carets.push_back(line.cursorToX(pos));
  }
  places.Size = document.documentLayout()->documentSize();
  return places;
}

// The first paragraph placed otherwise, or the size.
QString FirstDifference(const TPlaces& a, const TPlaces& b) {
  for (size_t i = 0; i < std::min(a.Paragraphs.size(), b.Paragraphs.size()); ++i) {
    if (a.Paragraphs[i] != b.Paragraphs[i] || a.Lines[i] != b.Lines[i])
      return QStringLiteral("paragraph %1").arg(i);
  }
  return QStringLiteral("carets or size");
}

QString FirstDifference(const QImage& a, const QImage& b) {
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x)
      if (a.pixel(x, y) != b.pixel(x, y))
        return QStringLiteral("first differing pixel at %1,%2").arg(x).arg(y);
  return {};
}

QImage Painted(QTextDocument& document, const QSize& size, int selectionStart, int selectionEnd,
               int caret) {
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::white);
  QPainter painter(&image);
  QAbstractTextDocumentLayout::PaintContext context;
  context.clip = QRectF(QPointF(), size);
  context.cursorPosition = caret;
  QAbstractTextDocumentLayout::Selection selection;
  selection.cursor = QTextCursor(&document);
  selection.cursor.setPosition(selectionStart);
  selection.cursor.setPosition(selectionEnd, QTextCursor::KeepAnchor);
  selection.format.setBackground(QColor(40, 80, 200));
  selection.format.setForeground(Qt::white);
  context.selections << selection;
  document.documentLayout()->draw(&painter, context);
  return image;
}

}  // namespace

class tst_LineLayout : public QObject {
  Q_OBJECT

 private slots:
  void linesArePlacedAndPaintedAsTheStockLayoutDoes_data();
  void linesArePlacedAndPaintedAsTheStockLayoutDoes();
  void placesStayTrueThroughRandomEdits();
  void hitTestsFindTheCaretPositions();
  void aBiggerFontInOneLineMovesTheLinesBelow();
  void theCaretStaysInSightInALongDocument();
};

void tst_LineLayout::linesArePlacedAndPaintedAsTheStockLayoutDoes_data() {
  QTest::addColumn<Qt::LayoutDirection>("direction");
  QTest::newRow("left-to-right pane") << Qt::LeftToRight;
  QTest::newRow("right-to-left pane") << Qt::RightToLeft;
}

void tst_LineLayout::linesArePlacedAndPaintedAsTheStockLayoutDoes() {
  QFETCH(Qt::LayoutDirection, direction);
  QTextDocument stock;
  SetUpPage(stock, 420, direction);
  FillWithEveryKindOfLine(stock);
  const std::unique_ptr<QTextDocument> ours = LaidOutCopy(stock);
  const TPlaces expectedPlaces = Places(stock);
  const TPlaces actualPlaces = Places(*ours);
  QVERIFY2(actualPlaces == expectedPlaces,
           qPrintable(FirstDifference(actualPlaces, expectedPlaces)));

  // A selection from inside one paragraph across a bullet into another, a caret elsewhere.
  const int selectionStart = stock.findBlockByNumber(5).position() + 4;
  const int selectionEnd = stock.findBlockByNumber(8).position() + 3;
  const int caret = stock.findBlockByNumber(10).position() + 7;
  const QSize size(460, int(stock.documentLayout()->documentSize().height()) + 10);
  const QImage expected = Painted(stock, size, selectionStart, selectionEnd, caret);
  const QImage actual = Painted(*ours, size, selectionStart, selectionEnd, caret);
  QVERIFY2(actual == expected, qPrintable(FirstDifference(actual, expected)));
}

void tst_LineLayout::placesStayTrueThroughRandomEdits() {
  QTextDocument document;
  LineLayout::Install(&document);
  SetUpPage(document, 300, Qt::LeftToRight);
  const QAbstractTextDocumentLayout* layout = document.documentLayout();
  std::mt19937 random(11);
  const auto pick = [&random](int n) { return int(random() % uint32_t(n)); };
  const QString pieces[] = {"a", "bc\n", "\n", "\n\nd", "word ", kPersian, "x\ty", ""};
  QString many;
  for (int n = 0; n < 40; ++n) many += QStringLiteral("line %1\n").arg(n);
  for (int step = 0; step < 1500; ++step) {
    QTextCursor cursor(&document);
    const int length = document.characterCount() - 1;
    cursor.setPosition(pick(length + 1));
    cursor.setPosition(pick(length + 1), QTextCursor::KeepAnchor);
    switch (pick(13)) {
      case 0:
        document.undo();
        break;
      case 1: {
        QTextCharFormat size;
        size.setFontPointSize(6 + pick(20));
        cursor.mergeCharFormat(size);
        break;
      }
      case 2:
        cursor.mergeBlockFormat(Aligned(pick(2) ? Qt::AlignRight : Qt::AlignHCenter));
        break;
      case 3: {
        QTextBlockFormat margins;
        margins.setLeftMargin(pick(40));
        margins.setTextIndent(pick(20));
        cursor.mergeBlockFormat(margins);
        break;
      }
      case 4:
        // More paragraphs than are laid out at once.
        cursor.insertText(many);
        break;
      case 5:
        document.setPageSize(QSizeF(200 + pick(200), -1));
        break;
      case 6:
        cursor.removeSelectedText();
        break;
      case 7:
        // A whole new text, as the text control sets one: the document tells of it as of new
        // settings.
        cursor.beginEditBlock();
        document.setPlainText(pieces[pick(int(std::size(pieces)))].repeated(1 + pick(3)));
        cursor.select(QTextCursor::Document);
        cursor.setCharFormat(QTextCharFormat());
        cursor.endEditBlock();
        break;
      default:
        cursor.insertText(pieces[pick(int(std::size(pieces)))]);
    }
    // Some paragraphs are laid out between edits, as painting and the caret lay them out.
    for (int n = pick(4); n > 0; --n)
      layout->blockBoundingRect(document.findBlockByNumber(pick(document.blockCount())));
    if (step % 50 != 49) continue;
    const TPlaces kept = Places(document);
    LineLayout::Install(&document);
    layout = document.documentLayout();
    const TPlaces fresh = Places(document);
    QVERIFY2(kept == fresh,
             qPrintable(QStringLiteral("step %1: %2").arg(step).arg(FirstDifference(kept, fresh))));
  }
}

void tst_LineLayout::hitTestsFindTheCaretPositions() {
  QTextDocument document;
  LineLayout::Install(&document);
  SetUpPage(document, 400, Qt::RightToLeft);
  // Words without ligatures, which share one place among several caret positions.
  const QString persian = QStringLiteral(u"\u06A9\u062A\u0627\u0628 \u062E\u0648\u0628");
  QTextCursor cursor(&document);
  AddParagraph(cursor, persian + QStringLiteral(" ") + persian);
  // Latin text in left-to-right paragraphs: in a right-to-left one, both of its ends would be
  // at one end of the line.
  QTextBlockFormat latin = Aligned(Qt::AlignLeft | Qt::AlignAbsolute);
  latin.setLayoutDirection(Qt::LeftToRight);
  AddParagraph(cursor, QStringLiteral("the quick brown fox"), latin);
  AddParagraph(cursor, QString());
  latin.setAlignment(Qt::AlignHCenter);
  AddParagraph(cursor, QStringLiteral("centred"), latin);
  AddParagraph(cursor, persian);
  const QAbstractTextDocumentLayout* layout = document.documentLayout();
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    const QRectF rect = layout->blockBoundingRect(block);
    const QTextLine line = block.layout()->lineAt(0);
    const QString where = QStringLiteral("paragraph %1").arg(block.blockNumber());
    // Every row of the line's pixels, the top one included, belongs to the paragraph.
    for (const qreal y : {rect.top(), rect.center().y(), rect.bottom() - 0.5}) {
      for (int pos = 0; pos < block.length(); ++pos) {
        const QPointF point(rect.left() + line.cursorToX(pos), y);
        QVERIFY2(layout->hitTest(point, Qt::FuzzyHit) == block.position() + pos, qPrintable(where));
      }
    }
  }
  // Beside a line, the nearer end of it; above and below the text, its start and end.
  const QTextBlock fox = document.findBlockByNumber(1);
  const qreal middle = layout->blockBoundingRect(fox).center().y();
  QCOMPARE(layout->hitTest(QPointF(-50, middle), Qt::FuzzyHit), fox.position());
  QCOMPARE(layout->hitTest(QPointF(1000, middle), Qt::FuzzyHit), fox.position() + fox.length() - 1);
  QCOMPARE(layout->hitTest(QPointF(1000, middle), Qt::ExactHit), -1);
  QCOMPARE(layout->hitTest(QPointF(100, -20), Qt::FuzzyHit), 0);
  QCOMPARE(layout->hitTest(QPointF(100, 1e6), Qt::FuzzyHit), document.characterCount() - 1);
}

void tst_LineLayout::aBiggerFontInOneLineMovesTheLinesBelow() {
  RichEdit edit;
  edit.resize(300, 120);
  edit.show();
  for (int n = 0; n < 12; ++n) edit.AppendLine(QStringLiteral("line %1").arg(n).toStdU16String());
  QAbstractTextDocumentLayout* layout = edit.document()->documentLayout();
  const QTextBlock third = edit.document()->findBlockByNumber(3);
  const QTextBlock seventh = edit.document()->findBlockByNumber(7);
  const QRectF thirdBefore = layout->blockBoundingRect(third);
  const qreal seventhBefore = layout->blockBoundingRect(seventh).top();
  const qreal heightBefore = layout->documentSize().height();

  TCharFormat big;
  big.Size = 30;
  edit.SetFormat(edit.LineIndex(3), edit.LineIndex(3) + 4, big, TCharFormat::fSize);
  const qreal grown = layout->blockBoundingRect(third).height() - thirdBefore.height();
  QVERIFY(grown > 10);
  QCOMPARE(layout->blockBoundingRect(third).top(), thirdBefore.top());
  QCOMPARE(layout->blockBoundingRect(seventh).top(), seventhBefore + grown);
  QCOMPARE(layout->documentSize().height(), heightBefore + grown);
  QTRY_COMPARE(edit.verticalScrollBar()->maximum(),
               qRound(layout->documentSize().height()) - edit.viewport()->height());
}

void tst_LineLayout::theCaretStaysInSightInALongDocument() {
  RichEdit edit;
  edit.resize(400, 300);
  edit.show();
  QString text;
  for (int n = 0; n < 100'000; ++n) text += QStringLiteral("line number %1\n").arg(n);
  edit.setPlainText(text);
  const auto caretInSight = [&edit] { return edit.viewport()->rect().contains(edit.cursorRect()); };

  edit.SetCaret(edit.LineIndex(90'000) + 5);
  QVERIFY(caretInSight());
  QTRY_VERIFY(edit.verticalScrollBar()->value() > 0);
  QCOMPARE(edit.document()
               ->findBlock(edit.cursorForPosition(edit.cursorRect().center()).position())
               .blockNumber(),
           90'000);

  QTest::keyClick(&edit, Qt::Key_PageUp);
  QVERIFY(caretInSight());
  const int afterPageUp = edit.textCursor().blockNumber();
  QVERIFY(afterPageUp < 90'000 && afterPageUp > 89'950);
  QTest::keyClick(&edit, Qt::Key_End, Qt::ControlModifier);
  QVERIFY(caretInSight());
  // Only the document's bottom margin may stay out of sight.
  QVERIFY(edit.verticalScrollBar()->maximum() - edit.verticalScrollBar()->value() <=
          edit.document()->documentMargin());
  QTest::keyClick(&edit, Qt::Key_Up);
  QCOMPARE(edit.textCursor().blockNumber(), 99'999);
  QTest::keyClick(&edit, Qt::Key_Home, Qt::ControlModifier);
  QVERIFY(caretInSight());
  QVERIFY(edit.verticalScrollBar()->value() <= edit.document()->documentMargin());
}

QTEST_MAIN(tst_LineLayout)
#include "tst_LineLayout.moc"
