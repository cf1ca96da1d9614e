#include <QScrollBar>
#include <QTextBlock>
#include <QtTest>
#include <functional>
#include <random>

#include "ParagraphCopy.h"
#include "RichEdit.h"

class tst_RichEdit : public QObject {
  Q_OBJECT

 private slots:
  void linesReadAsTheRichEditReadsThem();
  void anEmptiedLastLineStaysALine();
  void linesAppendedTogetherEndAsAppendedOneByOne();
  void caretFormatsMatchTheCaretWalk();
  void formatsFollowThePanesLanguageAndFont();
  void softLineBreaksBecomeParagraphs();
  void theParagraphCopyFollowsEveryEdit();
  void aScrollBarRepaintsWhenItsHandleMoves();
};

void tst_RichEdit::linesReadAsTheRichEditReadsThem() {
  RichEdit edit;
  QCOMPARE(edit.LineCount(), 0);
  QCOMPARE(edit.LineIndex(0), 0);
  QCOMPARE(edit.LineIndex(1), -1);
  edit.setPlainText(QStringLiteral("ab\n\ncd\n"));
  QCOMPARE(edit.LineCount(), 3);
  QCOMPARE(edit.Lines(), std::vector<std::u16string>({u"ab", u"\r", u"cd"}));
  QCOMPARE(edit.LineIndex(2), 4);
  QCOMPARE(edit.LineIndex(3), 7);
  QCOMPARE(edit.LineIndex(4), -1);
  QCOMPARE(edit.LineFromChar(2), 0);
  QCOMPARE(edit.LineFromChar(3), 1);
  QCOMPARE(edit.Line(3), std::u16string());
  edit.DeleteLine(1);
  QCOMPARE(edit.toPlainText(), QStringLiteral("ab\ncd\n"));
  edit.AppendLine(u"ef");
  edit.AppendLine(u"\r");
  edit.AppendLine(u"gh");
  QCOMPARE(edit.toPlainText(), QStringLiteral("ab\ncd\nef\n\ngh"));
  // The empty line before the deleted last one stays a line.
  edit.DeleteLine(4);
  QCOMPARE(edit.LineCount(), 4);
  QCOMPARE(edit.Line(3), std::u16string(u"\r"));

  TCharFormat colour;
  colour.Color = 0x00336699;
  edit.SetFormat(0, 2, colour, TCharFormat::fColor);
  QCOMPARE(edit.document()->begin().begin().fragment().charFormat().foreground().color(),
           QColor(0x99, 0x66, 0x33));
  QCOMPARE(edit.FormatAt(1).Color, 0x00336699u);
}

void tst_RichEdit::caretFormatsMatchTheCaretWalk() {
  RichEdit edit;
  edit.setPlainText(QStringLiteral("one two three\n\nfour"));
  TCharFormat bold;
  bold.Style = fsBold;
  edit.SetFormat(4, 7, bold, TCharFormat::fStyle);
  TCharFormat dotted;
  dotted.Style = fsUnderline;
  dotted.UnderlineType = utDotted;
  edit.SetFormat(15, 17, dotted, TCharFormat::fStyle | TCharFormat::fUnderlineType);
  for (const auto& [start, length] : {std::pair{0, 13}, {14, 1}, {15, 4}, {2, 9}}) {
    std::vector<TCharFormat> walked, runs;
    for (int pos = start + 1; pos <= start + length; ++pos) {
      edit.SetCaret(pos);
      walked.push_back(edit.SelAttributes());
    }
    for (const TFormatRun& run : edit.CaretFormats(start, length))
      runs.insert(runs.end(), size_t(run.Length), run.Format);
    QVERIFY(runs == walked);
  }
  QCOMPARE(edit.FormatAt(6).Style, uint8_t(fsBold));
  QCOMPARE(edit.FormatAt(16).UnderlineType, uint8_t(utDotted));
}

void tst_RichEdit::anEmptiedLastLineStaysALine() {
  RichEdit edit;
  edit.AppendLine(u"one");
  edit.ReplaceLine(0, u"");
  QCOMPARE(edit.LineCount(), 1);
  QCOMPARE(edit.Line(0), std::u16string(u"\r"));
  // The next line goes after it, not into it.
  edit.AppendLine(u"two");
  QCOMPARE(edit.Lines(), std::vector<std::u16string>({u"\r", u"two"}));
  edit.ReplaceLine(1, u"\r");
  edit.ReplaceLine(0, u"zero");
  QCOMPARE(edit.Lines(), std::vector<std::u16string>({u"zero", u"\r"}));
}

void tst_RichEdit::linesAppendedTogetherEndAsAppendedOneByOne() {
  // Empty lines, and lines holding breaks of their own that could run into the batch's.
  const std::vector<std::u16string> lines{u"a", u"\r", u"", u"b\r", u"\nc", u"d", u"\r", u"e"};
  for (const bool startEmpty : {false, true}) {
    RichEdit together;
    RichEdit oneByOne;
    for (RichEdit* edit : {&together, &oneByOne}) edit->setPlainText(startEmpty ? "x\n" : "x");
    together.AppendLines(lines);
    for (const std::u16string& line : lines) oneByOne.AppendLine(line);
    QCOMPARE(together.toPlainText(), oneByOne.toPlainText());
    QCOMPARE(together.LineCount(), oneByOne.LineCount());
  }
}

void tst_RichEdit::formatsFollowThePanesLanguageAndFont() {
  // Text without a language or size of its own reports the pane's, as they are now.
  RichEdit edit;
  edit.setPlainText(QStringLiteral("ab"));
  const TCharFormat before = edit.FormatAt(1);
  edit.SetLanguage(LangPersian);
  QCOMPARE(edit.FormatAt(1).Language, uint16_t(LangPersian));
  QFont font = edit.document()->defaultFont();
  font.setPointSize(before.Size + 3);
  edit.document()->setDefaultFont(font);
  QCOMPARE(edit.FormatAt(1).Size, before.Size + 3);
}

void tst_RichEdit::softLineBreaksBecomeParagraphs() {
  RichEdit edit;
  edit.setPlainText(QStringLiteral(u"ab\u2028cd\u2028ef\ngh\u2028"));
  edit.BreakSoftLines(0, 6);
  QCOMPARE(edit.Lines(), std::vector<std::u16string>({u"ab", u"cd", u"ef", u"gh\u2028"}));
}

void tst_RichEdit::theParagraphCopyFollowsEveryEdit() {
  RichEdit edit;
  TParagraphCopy copy(edit.document());
  std::mt19937 random(7);
  const auto pick = [&random](int n) { return int(random() % uint32_t(n)); };
  const QString pieces[] = {"a", "bc\n", "\n", "\n\nd", "efg", ""};
  for (int step = 0; step < 3000; ++step) {
    QTextCursor cursor(edit.document());
    const int length = edit.TextLength();
    cursor.setPosition(pick(length + 1));
    cursor.setPosition(pick(length + 1), QTextCursor::KeepAnchor);
    switch (pick(5)) {
      case 0:
        edit.undo();
        break;
      case 1:
        cursor.setCharFormat(QTextCharFormat());
        break;
      default:
        cursor.insertText(pieces[pick(int(std::size(pieces)))]);
    }
    // Several edits may pass between two refreshes.
    if (pick(3) == 0) continue;
    const std::vector<std::u16string> before = copy.Paragraphs();
    const TParagraphCopy::TSplice splice = copy.Refresh();
    std::vector<std::u16string> paragraphs = edit.Lines();
    if (edit.document()->lastBlock().length() == 1) paragraphs.push_back(u"\r");
    QVERIFY2(copy.Paragraphs() == paragraphs, qPrintable(QString::number(step)));
    QCOMPARE(copy.LineCount(), size_t(edit.LineCount()));
    // What the splice names as kept is what was there before.
    QCOMPARE(before.size() - splice.Removed, paragraphs.size() - splice.Added);
    QVERIFY(
        std::equal(before.begin(), before.begin() + ptrdiff_t(splice.First), paragraphs.begin()));
  }
}

namespace {

class TPaintCounter : public QObject {
 public:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++count;
    return false;
  }
  int count = 0;
};

}  // namespace

void tst_RichEdit::aScrollBarRepaintsWhenItsHandleMoves() {
  RichEdit edit;
  edit.resize(300, 100);
  edit.show();
  QVERIFY(QTest::qWaitForWindowExposed(&edit));
  edit.AppendLine(QStringLiteral("a long line ").repeated(2000).toStdU16String());
  QScrollBar* bar = edit.horizontalScrollBar();
  QTRY_VERIFY(bar->maximum() > 10'000);
  QCoreApplication::processEvents();
  TPaintCounter paints;
  bar->installEventFilter(&paints);
  const auto paintsAfter = [&](const std::function<void()>& change) {
    paints.count = 0;
    change();
    QCoreApplication::processEvents();
    return paints.count;
  };

  // A change far below a pixel's worth of the range leaves the handle in place.
  QCOMPARE(paintsAfter([&] { bar->setMaximum(bar->maximum() + 1); }), 0);
  // What the screen shows is what the bar would paint afresh.
  const auto shown = [bar] {
    const QPoint at = bar->mapTo(bar->window(), QPoint());
    return bar->screen()
        ->grabWindow(bar->window()->winId(), at.x(), at.y(), bar->width(), bar->height())
        .toImage();
  };
  QCOMPARE(shown(), bar->grab().toImage().convertToFormat(shown().format()));
  QCOMPARE(paintsAfter([&] { bar->setValue(1); }), 1);  // off the start: the left arrow wakes
  QCOMPARE(paintsAfter([&] { bar->setValue(2); }), 0);
  QCOMPARE(paintsAfter([&] { bar->setValue(bar->maximum() / 2); }), 1);
  QCOMPARE(paintsAfter([&] { bar->setValue(bar->maximum()); }), 1);
  // A page step is no range or value: it repaints, whatever it changes.
  QCOMPARE(paintsAfter([&] { bar->setPageStep(bar->pageStep() * 2); }), 1);
}

QTEST_MAIN(tst_RichEdit)
#include "tst_RichEdit.moc"
