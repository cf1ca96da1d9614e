#include <QAccessible>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTextCursor>
#include <QTimer>
#include <QWidgetAction>
#include <QtTest>
#include <functional>
#include <memory>

#include "CodePage.h"
#include "Dictionary.h"
#include "MessageBoxes.h"
#include "SmartSpelling.h"
#include "WordList.h"
#include "trans.h"
#include "uMain.h"

namespace {

QString Q(const std::u16string& text) {
  return QString::fromStdU16String(text);
}

// The output line that a plain input line gives with the dictionary as it now stands.
QString Converted(const char* line) {
  return Q(ConvertText(CodePage::ToUnicode(line)));
}

// What a similar-words item names: its caption up to the first blank.
QString Variant(const QAction* item) {
  return item->text().section(QLatin1Char(' '), 0, 0);
}

}  // namespace

class tst_uMainDictionary : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void cleanupTestCase();
  void init();
  void cleanup();

  void theMenuActsOnlyOnAWordBeforeTheCaret();
  void dontUseDictionaryCapitalisesTheWordAndUseDictionaryTakesItBack();
  void englishWordShowsTheEnglishSectionsTick();
  void similarWordsShowEveryVariantInColumnsOfTwentyFive();
  void theCurrentEntryIsInvertedOntoTheHighlight();
  void arrowKeysWalkTheColumnsAndEnterPicks();
  void pickingAVariantWithoutCorrectAndAddReplacesTheWord();
  void pickingAVariantWithCorrectAndAddCorrectsTheDictionary();
  void correctAndAddTogglesAndReopensTheMenuWhereItWas();
  void aBacktickIsLeftOutOfTheVariantsButKeptForTheDialog();
  void smartSpellingMarksTheVariantsThatTheWordListKnows();
  void enteringAWordReconvertsItsLinesAndKeepsBothScrollPositions();

 private:
  // Right-clicks the input pane just after character pos, as a user does.
  void RightClickAfter(int pos) {
    QTextCursor cursor(in->document());
    cursor.setPosition(pos);
    const QPoint point = in->viewport()->mapTo(form.get(), in->cursorRect(cursor).center());
    QTest::mousePress(form->windowHandle(), Qt::RightButton, {}, point);
    QTRY_VERIFY(menu->isVisible());
    QCOMPARE(in->CaretPos(), pos);
  }
  static void CloseMenus() {
    while (QWidget* popup = QApplication::activePopupWidget())
      if (!popup->close()) break;
  }
  void Choose(QMenu* from, QAction* item) {
    QVERIFY(item->isEnabled());
    QTest::mouseClick(from, Qt::LeftButton, {}, from->actionGeometry(item).center());
  }
  QAction* Item(const char* name) const { return form->findChild<QAction*>(QLatin1String(name)); }
  QStringList Captions() const {
    QStringList captions;
    for (QAction* action : menu->actions()) captions << action->text();
    return captions;
  }
  // Opens "Similar Words" with the pointer, as a user does.
  void OpenSimilarWords() {
    QTest::mouseClick(menu, Qt::LeftButton, {},
                      menu->actionGeometry(similar->menuAction()).center());
    QTRY_VERIFY(similar->isVisible());
  }
  // The generated items after N2, in submenu order.
  QList<QWidgetAction*> Generated() const {
    QList<QWidgetAction*> items;
    for (QWidgetAction* item : similar->findChildren<QWidgetAction*>(Qt::FindDirectChildrenOnly))
      if (item->objectName().isEmpty()) items << item;
    return items;
  }
  QWidget* Entry(QWidgetAction* item) const { return item->defaultWidget(); }
  QPoint InColumns(QWidgetAction* item) const { return Entry(item)->geometry().center(); }
  QWidget* Columns() const {
    return static_cast<QWidgetAction*>(Item("VariantColumns"))->defaultWidget();
  }
  void Pick(QWidgetAction* item) {
    QTest::mouseMove(Columns(), InColumns(item));
    QTest::mouseClick(Columns(), Qt::LeftButton, {}, InColumns(item));
    QTRY_VERIFY(!menu->isVisible());
  }
  // Runs answer on the word entry dialog as soon as it is shown modally.
  void WhenDialogShows(std::function<void(QDialog*)> answer) {
    QTimer::singleShot(0, this, [this, answer] {
      auto* dialog = form->findChild<QDialog*>(QStringLiteral("DicEnterForm"));
      QTRY_VERIFY(dialog->isVisible());
      answer(dialog);
    });
  }

  std::unique_ptr<TMainForm> form;
  RichEdit* in = nullptr;
  RichEdit* out = nullptr;
  QMenu* menu = nullptr;
  QMenu* similar = nullptr;
};

void tst_uMainDictionary::initTestCase() {
  // Empty sections for every test, flags at their start values; no file is read or written.
  InitializeEngine();
  MessageBoxes::Install(std::make_unique<MessageBoxes::InProcessService>());
}

void tst_uMainDictionary::cleanupTestCase() {
  FinishDictionaryModule();
}

void tst_uMainDictionary::init() {
  CreateSections();
  EnglishStyle = esBold;
  form = std::make_unique<TMainForm>();
  in = form->findChild<RichEdit*>(QStringLiteral("EnglishRichEdit"));
  out = form->findChild<RichEdit*>(QStringLiteral("FarsiRichEdit"));
  menu = form->findChild<QMenu*>(QStringLiteral("DicPopupMenu"));
  similar = form->findChild<QMenu*>(QStringLiteral("SimilarWordsMenuItem"));
  QVERIFY(in && out && menu && similar);
  form->show();
  QVERIFY(QTest::qWaitForWindowActive(form.get()));
  in->setFocus();
}

void tst_uMainDictionary::cleanup() {
  CloseMenus();
  form.reset();
}

void tst_uMainDictionary::theMenuActsOnlyOnAWordBeforeTheCaret() {
  QTest::keyClicks(in, QStringLiteral("salam, khoobi? "));
  const struct {
    int Caret;
    bool Enabled;
  } places[] = {
      {5, true},    // right after "salam"
      {3, true},    // inside it
      {0, false},   // at the start
      {7, false},   // after a blank
      {14, false},  // after "?", with no letter on either side
  };
  for (const auto& place : places) {
    RightClickAfter(place.Caret);
    QCOMPARE(Captions(), QStringList({"Dont use Dictionary", "Enter in Dictionary", "",
                                      "Similar Words", "English Word"}));
    QCOMPARE(Item("NoDictionaryMNU")->isEnabled(), place.Enabled);
    QCOMPARE(Item("EnterinDictionaryMNU")->isEnabled(), place.Enabled);
    QCOMPARE(similar->menuAction()->isEnabled(), place.Enabled);
    CloseMenus();
  }
  QCOMPARE(menu->layoutDirection(), Qt::LeftToRight);

  // Words marked as English are left alone.
  in->SetSel(7, 6);
  TCharFormat bold;
  bold.Style = fsBold;
  in->SetSelAttributes(bold, TCharFormat::fStyle);
  RightClickAfter(11);
  QVERIFY(!Item("NoDictionaryMNU")->isEnabled());
}

void tst_uMainDictionary::dontUseDictionaryCapitalisesTheWordAndUseDictionaryTakesItBack() {
  WholeWords->AddEntry("salam", "salaam");
  QTest::keyClicks(in, QStringLiteral("salam man"));
  const QString withDictionary = Converted("salam man");
  QCOMPARE(Q(out->Line(0)), withDictionary);

  RightClickAfter(3);
  Choose(menu, Item("NoDictionaryMNU"));
  QCOMPARE(in->toPlainText(), QStringLiteral("Salam man"));
  QCOMPARE(in->CaretPos(), 3);
  QCOMPARE(Q(out->Line(0)), Converted("Salam man"));
  QVERIFY(Converted("Salam man") != withDictionary);

  RightClickAfter(5);
  QCOMPARE(Item("NoDictionaryMNU")->text(), QStringLiteral("Use Dictionary"));
  QVERIFY(!Item("EnterinDictionaryMNU")->isEnabled());
  QVERIFY(!similar->menuAction()->isEnabled());
  Choose(menu, Item("NoDictionaryMNU"));
  QCOMPARE(in->toPlainText(), QStringLiteral("salam man"));
  QCOMPARE(Q(out->Line(0)), withDictionary);
  RightClickAfter(5);
  QCOMPARE(Item("NoDictionaryMNU")->text(), QStringLiteral("Dont use Dictionary"));
}

void tst_uMainDictionary::englishWordShowsTheEnglishSectionsTick() {
  EnglishWholeWords->AddEntry("email", "Whole");
  EnglishPrefixWords->AddEntry("web", "Prefix");
  QTest::keyClicks(in, QStringLiteral("email emails website salam"));
  QAction* english = Item("EnglishWordMenuItem");
  const struct {
    int Caret;
    bool Ticked;
  } words[] = {{5, true}, {12, false}, {20, true}, {26, false}};
  for (const auto& word : words) {
    RightClickAfter(word.Caret);
    QCOMPARE(english->isChecked(), word.Ticked);
    CloseMenus();
  }
  // Clicking the item changes nothing.
  RightClickAfter(5);
  Choose(menu, english);
  QVERIFY(english->isChecked());
}

void tst_uMainDictionary::similarWordsShowEveryVariantInColumnsOfTwentyFive() {
  QTest::keyClicks(in, QStringLiteral("ozsta to"));
  RightClickAfter(8);
  OpenSimilarWords();
  QCOMPARE(Item("CorrecAddDicMNU")->text(),
           QStringLiteral("Correct and add to Dictionary(Enabled)"));
  QVERIFY(Item("CorrecAddDicMNU")->isChecked());
  QList<QWidgetAction*> items = Generated();
  QStringList variants;
  for (QWidgetAction* item : items) variants << Variant(item);
  QCOMPARE(variants, QStringList({"to", "too", "to`", "t`o", "t`oo", "t`o`"}));
  // Each caption pads the word to thirty characters before its Persian in code page 1256.
  QCOMPARE(items[0]->text(), QStringLiteral("to") + QString(27, QLatin1Char(' ')) +
                                 Q(CodePage::ToUnicode(PersianToAnsi(TransliterateWord("to")))));
  // One column: each entry below the one before.
  for (qsizetype k = 1; k < items.size(); ++k) {
    QCOMPARE(Entry(items[k])->x(), Entry(items[0])->x());
    QVERIFY(Entry(items[k])->y() > Entry(items[k - 1])->y());
  }
  CloseMenus();

  // Seventy-three variants and the notice; new columns at positions 25 and 50.
  const uint8_t modeBefore = DictionaryMode;
  RightClickAfter(5);
  OpenSimilarWords();
  QCOMPARE(DictionaryMode, modeBefore);
  items = Generated();
  QCOMPARE(items.size(), 74);
  QCOMPARE(Variant(items[0]), QStringLiteral("ozsta"));
  QCOMPARE(items.back()->text(), QStringLiteral("Too many variations,omitted from here!!!"));
  const auto position = [&](int p) { return Entry(items[p - 2]); };
  for (int p : {25, 50}) {
    QVERIFY(position(p)->x() > position(p - 1)->geometry().right());
    QCOMPARE(position(p)->y(), position(2)->y());
    QVERIFY(position(p + 1)->y() > position(p)->y());
  }
  QCOMPARE(position(24)->x(), position(2)->x());
  QCOMPARE(position(75)->x(), position(74)->x());
  QVERIFY(position(75)->y() > position(74)->y());
  // Every entry lies within the submenu the user sees.
  for (QWidgetAction* item : items)
    QVERIFY(similar->rect().contains(Entry(item)->geometry().translated(Columns()->pos())));
}

void tst_uMainDictionary::theCurrentEntryIsInvertedOntoTheHighlight() {
  QTest::keyClicks(in, QStringLiteral("to"));
  RightClickAfter(2);
  OpenSimilarWords();
  QWidgetAction* item = Generated()[1];
  const QColor highlight = similar->palette().color(QPalette::Highlight);
  // The share of pixels of each colour, to tell the picture's text from its background.
  const auto share = [](const QImage& image, QColor colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) count += image.pixelColor(x, y) == colour;
    return double(count) / (image.width() * image.height());
  };
  const auto darkest = [](const QImage& image) {
    int value = 255;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) value = std::min(value, qGray(image.pixel(x, y)));
    return value;
  };
  QImage plain = similar->grab(Entry(item)->geometry().translated(Columns()->pos())).toImage();
  QVERIFY(share(plain, highlight) == 0);
  QVERIFY(darkest(plain) < 80);  // the text shows

  QTest::mouseMove(Columns(), InColumns(item));
  QImage current = similar->grab(Entry(item)->geometry().translated(Columns()->pos())).toImage();
  QVERIFY(share(current, highlight) > 0.5);
  QVERIFY(darkest(current) >= qGray(highlight.rgb()) - 1);  // no dark text left: it is white

  QTest::mouseMove(Columns(), InColumns(Generated()[0]));
  plain = similar->grab(Entry(item)->geometry().translated(Columns()->pos())).toImage();
  QVERIFY(share(plain, highlight) == 0);
}

void tst_uMainDictionary::arrowKeysWalkTheColumnsAndEnterPicks() {
  form->SetCorrectAndAdd(false);
  QTest::keyClicks(in, QStringLiteral("ozsta"));
  RightClickAfter(5);
  OpenSimilarWords();
  Columns()->setFocus();
  const QList<QWidgetAction*> items = Generated();
  // Into the second column at the same row, one down, then back left.
  QTest::keyClick(Columns(), Qt::Key_Right);
  QTest::keyClick(Columns(), Qt::Key_Down);
  QTest::keyClick(Columns(), Qt::Key_Left);
  QTest::keyClick(Columns(), Qt::Key_Return);
  QTRY_VERIFY(!menu->isVisible());
  QCOMPARE(in->toPlainText(), Variant(items[1]));
}

void tst_uMainDictionary::pickingAVariantWithoutCorrectAndAddReplacesTheWord() {
  form->SetCorrectAndAdd(false);
  QTest::keyClicks(in, QStringLiteral("salam to khoobi"));
  RightClickAfter(7);
  OpenSimilarWords();
  QCOMPARE(Item("CorrecAddDicMNU")->text(),
           QStringLiteral("Correct and add to Dictionary(Disabled)"));
  Pick(Generated()[3]);
  QCOMPARE(in->toPlainText(), QStringLiteral("salam t`o khoobi"));
  QCOMPARE(Q(out->Line(0)), Converted("salam t`o khoobi"));
  QCOMPARE(WholeWords->Count(), 0u);
}

void tst_uMainDictionary::pickingAVariantWithCorrectAndAddCorrectsTheDictionary() {
  QTest::keyClicks(in, QStringLiteral("to man"));
  QTest::keyClick(in, Qt::Key_Return);
  QTest::keyClicks(in, QStringLiteral("mano to"));
  RightClickAfter(2);
  OpenSimilarWords();
  Pick(Generated()[3]);
  QCOMPARE(WholeWords->Find("to"), "t`o");
  QCOMPARE(in->toPlainText(), QStringLiteral("to man\nmano to"));
  QCOMPARE(Q(out->Line(0)), Converted("to man"));
  QCOMPARE(Q(out->Line(1)), Converted("mano to"));
  QVERIFY(Converted("to") == Q(TransliterateWord("t`o")));

  // The word itself takes its corrections away, also a suffix entry with the same key.
  SuffixWords->AddEntry("to", "too");
  RightClickAfter(2);
  OpenSimilarWords();
  Pick(Generated()[0]);
  QCOMPARE(WholeWords->Count(), 0u);
  QCOMPARE(SuffixWords->Count(), 0u);
  QCOMPARE(in->toPlainText(), QStringLiteral("to man\nmano to"));
  QCOMPARE(Q(out->Line(0)), Converted("to man"));
}

void tst_uMainDictionary::correctAndAddTogglesAndReopensTheMenuWhereItWas() {
  QTest::keyClicks(in, QStringLiteral("to"));
  RightClickAfter(2);
  const QPoint place = menu->pos();
  OpenSimilarWords();
  Choose(similar, Item("CorrecAddDicMNU"));
  QTRY_VERIFY(menu->isVisible());
  QCOMPARE(menu->pos(), place);
  QVERIFY(!form->CorrectAndAdd());
  OpenSimilarWords();
  QCOMPARE(Item("CorrecAddDicMNU")->text(),
           QStringLiteral("Correct and add to Dictionary(Disabled)"));
  QCOMPARE(Generated().size(), 6);
  Choose(similar, Item("CorrecAddDicMNU"));
  QTRY_VERIFY(menu->isVisible());
  QVERIFY(form->CorrectAndAdd());
}

void tst_uMainDictionary::aBacktickIsLeftOutOfTheVariantsButKeptForTheDialog() {
  QTest::keyClicks(in, QStringLiteral("khas`t"));
  RightClickAfter(6);
  OpenSimilarWords();
  QCOMPARE(Variant(Generated()[0]), QStringLiteral("khast"));
  QCOMPARE(Generated().size(), 30);
  CloseMenus();

  RightClickAfter(6);
  QString shown;
  WhenDialogShows([&](QDialog* dialog) {
    shown = dialog->findChild<QLineEdit*>(QStringLiteral("Edit1"))->text();
    dialog->reject();
  });
  Choose(menu, Item("EnterinDictionaryMNU"));
  QCOMPARE(shown, QStringLiteral("khas`t"));
}

void tst_uMainDictionary::enteringAWordReconvertsItsLinesAndKeepsBothScrollPositions() {
  QStringList lines;
  for (int i = 0; i < 60; ++i)
    lines << (i % 3 == 0 ? QStringLiteral("man salam %1").arg(i)
                         : QStringLiteral("khoobi %1").arg(i));
  in->textCursor().insertText(lines.join(QLatin1Char('\n')));
  in->verticalScrollBar()->setValue(in->verticalScrollBar()->maximum() / 2);
  out->verticalScrollBar()->setValue(out->verticalScrollBar()->maximum() / 3);
  const int inScroll = in->verticalScrollBar()->value();
  const int outScroll = out->verticalScrollBar()->value();
  const QRect shown = in->viewport()->rect();
  const int line = in->LineFromChar(in->cursorForPosition(shown.center()).position()) / 3 * 3;
  RightClickAfter(in->LineIndex(line) + 6);

  WhenDialogShows([](QDialog* dialog) {
    auto* value = dialog->findChild<QLineEdit*>(QStringLiteral("Edit2"));
    QCOMPARE(value->selectedText(), QStringLiteral("salam"));
    QTest::keyClicks(value, QStringLiteral("salaam"));
    QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("OKBtn")), Qt::LeftButton);
  });
  Choose(menu, Item("EnterinDictionaryMNU"));
  QCOMPARE(WholeWords->Find("salam"), "salaam");
  for (int i = 0; i < 60; ++i)
    QCOMPARE(Q(out->Line(i)), Converted(lines[i].toLatin1().constData()));
  QCOMPARE(in->verticalScrollBar()->value(), inScroll);
  QCOMPARE(out->verticalScrollBar()->value(), outScroll);
  QCOMPARE(form->focusWidget(), in);
}

QTEST_MAIN(tst_uMainDictionary)
#include "tst_uMainDictionary.moc"

void tst_uMainDictionary::smartSpellingMarksTheVariantsThatTheWordListKnows() {
  QTemporaryDir dir;
  const QString list = dir.filePath(QStringLiteral("words.txt"));
  {
    QFile file(list);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral(u"تو 100\n").toUtf8());  // "to"
  }
  TWordListSources sources;
  sources.FrequencyFile = QFile::encodeName(list).toStdString();
  sources.AspellProgram.clear();
  SetWordListSources(sources);
  const auto marked = [&] {
    QStringList known;
    for (QWidgetAction* item : Generated())
      if (QAccessible::queryAccessibleInterface(Entry(item))->state().checked)
        known << Variant(item);
    return known;
  };
  QTest::keyClicks(in, QStringLiteral("to"));

  // Off, the menu is as it always was.
  RightClickAfter(2);
  OpenSimilarWords();
  QCOMPARE(marked(), QStringList());
  CloseMenus();

  SmartSpelling = 1;
  RightClickAfter(2);
  OpenSimilarWords();
  QCOMPARE(marked(), QStringList({"to", "too"}));
  CloseMenus();
  SmartSpelling = 0;
  SetWordListSources({});
}
