#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QtTest>
#include <iterator>
#include <set>
#include <string_view>

#include "trans.h"
#include "uKeyMap.h"

namespace {

struct TShownRule {
  QString Key;
  QString Letter;
};

// The lines of each card: a key and, beside it, what it writes.
QList<QList<TShownRule>> ShownCards(const TKeyMapForm& form) {
  QList<QList<TShownRule>> cards;
  for (const QFrame* card : form.findChildren<QFrame*>()) {
    const auto* grid = qobject_cast<const QGridLayout*>(card->layout());
    if (!grid) continue;
    QList<TShownRule> lines;
    for (int row = 0; row < grid->rowCount(); ++row) {
      const auto* key = qobject_cast<QLabel*>(grid->itemAtPosition(row, 0)->widget());
      const auto* letter = qobject_cast<QLabel*>(grid->itemAtPosition(row, 1)->widget());
      if (key && letter) lines.append({key->text(), letter->text()});
    }
    cards.append(lines);
  }
  return cards;
}

}  // namespace

class tst_uKeyMap : public QObject {
  Q_OBJECT

 private slots:
  void everyRuleShowsItsKeyBesideItsLetter();
  void cardsFollowTheTablesGroups();
  void carriesTheCapsLockNote();
  void isANonModalToolWindow();
};

void tst_uKeyMap::everyRuleShowsItsKeyBesideItsLetter() {
  TKeyMapForm form;
  QList<TShownRule> shown;
  for (const QList<TShownRule>& card : ShownCards(form)) shown += card;
  // Every row but the closing " ".
  QCOMPARE(shown.size(), std::ssize(LetterRules) - 2);
  for (int row = 1; row < std::ssize(LetterRules) - 1; ++row) {
    const TLetterRule& rule = LetterRules[row];
    const TShownRule& line = shown[row - 1];
    QCOMPARE(line.Key, QString::fromLatin1(std::string_view(rule.Key, rule.Length)));
    if (rule.Letter) {
      QVERIFY2(line.Letter.contains(QChar(PersianLetters[rule.Letter].Code)), qPrintable(line.Key));
    } else {
      // No Persian character: the key writes no letter.
      for (const QChar c : line.Letter)
        QVERIFY2(c.script() != QChar::Script_Arabic, qPrintable(line.Key));
    }
  }
}

void tst_uKeyMap::cardsFollowTheTablesGroups() {
  TKeyMapForm form;
  std::set<QChar> seen;
  for (const QList<TShownRule>& card : ShownCards(form)) {
    QVERIFY(!card.isEmpty());
    const QChar first = card.front().Key.front();
    QVERIFY2(seen.insert(first).second, "a first letter split over two cards");
    for (const TShownRule& line : card) QCOMPARE(line.Key.front(), first);
  }
  QCOMPARE(seen.size(), size_t(25));  // a to z without x
}

void tst_uKeyMap::carriesTheCapsLockNote() {
  TKeyMapForm form;
  QStringList texts;
  for (const QLabel* label : form.findChildren<QLabel*>()) texts << label->text();
  QVERIFY(texts.contains(QStringLiteral(
      "Caps Lock is for changing Language,Write capitals with Shift,or Use Shift+Caps Lock.")));
}

void tst_uKeyMap::isANonModalToolWindow() {
  QWidget mainWindow;
  mainWindow.show();
  auto* form = new TKeyMapForm(&mainWindow);
  form->show();
  QVERIFY(QTest::qWaitForWindowExposed(form));
  QCOMPARE(form->windowTitle(), QStringLiteral("Key Map"));
  QCOMPARE(form->windowType(), Qt::Tool);
  QCOMPARE(form->windowModality(), Qt::NonModal);
  QVERIFY(mainWindow.isEnabled());
}

QTEST_MAIN(tst_uKeyMap)
#include "tst_uKeyMap.moc"
