#include <unistd.h>

#include <QAccessible>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTimer>
#include <QtTest>
#include <memory>

#include "Dictionary.h"
#include "MessageBoxes.h"
#include "MyStaticText.h"
#include "ValueListEditor.h"
#include "WordList.h"
#include "trans.h"
#include "uMain.h"
#include "uSettings.h"

namespace {

class TSilentReporter : public TDictionaryReporter {
 public:
  void Warning(const std::string&) override {}
  void Error(const std::string&) override {}
};

const QByteArray kFile =
    "[Whole Words]\r\nkhast=khavaast\r\nsalam=salaam\r\n\r\n"
    "[Prefix Words]\r\nghorbon=ghorboon\r\nkhast=khaast\r\n\r\n"
    "[Suffix Words]\r\nton=toon\r\n\r\n"
    "[English Words]\r\nemail=Whole\r\n\r\n";

const QString kLowerCase = QStringLiteral(
    "Please enter words in lower case.Words in uppercase are reserved for applying wothout "
    "dictionary");
const QString kConflict = QStringLiteral(
    "You can not enter a word wich can be changed by persian Dictionaries.\r\nConflict with %1 "
    "Dictionary.");

QByteArray Read(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

bool Write(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

}  // namespace

class tst_uSettingsDictionary : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void theTabShowsTheSectionPagesWithTheirHelpAndPreview();
  void editsMovesAndDeletesReachTheSectionsTheFileAndTheNextShowing();
  void badKeysAreRefusedAndTheGridIsLeftAsItWas();
  void anEntryMovesToAnotherPageButNeverToItsOwn();
  void aWordLeftWithoutAValueIsRefusedNamingItsPage();
  void deleteAndMoveTakeTheTextOfAnOpenCellEditor();
  void englishWordsThatTheDictionaryWouldChangeAreRefused();
  void aFailedSaveWarnsWithThePathAndLeavesTheFileAlone();
  void withoutVisitingTheTabApplyNeitherReloadsNorWrites();
  void aCorrectionFromTheDictionaryMenuShowsOnTheNextOpening();

 private:
  // Shows the dialog as the Settings button does; the first time through the button itself.
  void Open() {
    if (!settings) {
      QTimer::singleShot(0, this, [this] {
        auto* shown = form->findChild<TSettingsForm*>();
        QTRY_VERIFY(shown && shown->isVisible());
        shown->reject();
      });
      QTest::mouseClick(form->findChild<QPushButton*>(QStringLiteral("btnSettings")),
                        Qt::LeftButton);
      settings = form->findChild<TSettingsForm*>();
      QVERIFY(settings);
    }
    settings->show();
    QVERIFY(QTest::qWaitForWindowActive(settings));
  }
  void Close(const char* button) {
    QTest::mouseClick(Button(button), Qt::LeftButton);
    QTRY_VERIFY(!settings->isVisible());
  }
  QPushButton* Button(const char* name) const {
    return settings->findChild<QPushButton*>(QLatin1String(name));
  }
  static void ClickTab(QTabWidget* tabs, int index) {
    QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(index).center());
    QCOMPARE(tabs->currentIndex(), index);
  }
  void OpenDictionaryTab() {
    ClickTab(settings->findChild<QTabWidget*>(QStringLiteral("PageControl1")), 2);
  }
  QTabWidget* Pages() const {
    return settings->findChild<QTabWidget*>(QStringLiteral("PageControl2"));
  }
  TValueListEditor* Grid(const char* page) const {
    return settings->findChild<TValueListEditor*>(QStringLiteral("ValueListEditor_") +
                                                  QLatin1String(page));
  }
  // What a grid shows: one "key=value" per row, the empty last row left out.
  static QStringList Rows(const TValueListEditor* grid) {
    QStringList rows;
    for (int row = 0; row < grid->rowCount(); ++row)
      if (row < grid->rowCount() - 1 || !grid->Key(row).isEmpty() || !grid->Value(row).isEmpty())
        rows << grid->Key(row) + QLatin1Char('=') + grid->Value(row);
    return rows;
  }
  QPoint CellCentre(TValueListEditor* grid, int row, int column) const {
    const QModelIndex index = grid->model()->index(row, column);
    grid->scrollTo(index);
    return grid->visualRect(index).center();
  }
  void ClickCell(TValueListEditor* grid, int row, int column) {
    if (grid->currentRow() == row && grid->currentColumn() == column && grid->hasFocus()) return;
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, CellCentre(grid, row, column));
    QCOMPARE(grid->currentRow(), row);
  }
  // Types text over a cell and presses Enter, as a user does.
  void Type(TValueListEditor* grid, int row, int column, const QString& text) {
    ClickCell(grid, row, column);
    for (const QChar c : text) QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
    if (text.isEmpty()) {
      QTest::keyClick(grid, Qt::Key_F2);
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    // The cell editor commits from the event queue, and a row the edit empties or refuses goes
    // from there too: whatever the edit left queued is delivered before the test looks.
    QTRY_VERIFY(!grid->viewport()->findChild<QLineEdit*>());
    QCoreApplication::sendPostedEvents();
  }
  // Picks a style from the English grid's pick list with the keyboard.
  void PickStyle(int row, Qt::Key key) {
    TValueListEditor* grid = Grid("English");
    ClickCell(grid, row, vcValue);
    QTest::keyClick(grid, Qt::Key_F2);
    auto* pick = grid->viewport()->findChild<QComboBox*>();
    QVERIFY(pick);
    QTest::keyClick(pick, key);
    QTRY_VERIFY(!grid->viewport()->findChild<QComboBox*>());
  }
  QMenu* PopupMenu() const {
    return settings->findChild<QMenu*>(QStringLiteral("ValueListPopupMenu"));
  }
  QMenu* MoveMenu() const {
    return settings->findChild<QMenu*>(QStringLiteral("Moveselectedentryto1"));
  }
  QAction* Item(const char* name) const {
    return settings->findChild<QAction*>(QLatin1String(name));
  }
  void RightClick(TValueListEditor* grid, int row) {
    const QPoint point = grid->viewport()->mapTo(settings, CellCentre(grid, row, vcKey));
    QTest::mousePress(settings->windowHandle(), Qt::RightButton, {}, point);
    QTRY_VERIFY(PopupMenu()->isVisible());
  }
  static void Choose(QMenu* from, QAction* item) {
    QVERIFY(item->isEnabled());
    QTest::mouseClick(from, Qt::LeftButton, {}, from->actionGeometry(item).center());
  }
  void OpenMoveMenu() {
    Choose(PopupMenu(), MoveMenu()->menuAction());
    QTRY_VERIFY(MoveMenu()->isVisible());
  }
  static void CloseMenus() {
    while (QWidget* popup = QApplication::activePopupWidget())
      if (!popup->close()) break;
  }
  QStringList BoxTexts() const {
    QStringList texts;
    for (const auto& box : boxes->Shown) texts << box.Text;
    return texts;
  }

  std::unique_ptr<QTemporaryDir> dir;
  QString path;
  TSilentReporter reporter;
  MessageBoxes::InProcessService* boxes = nullptr;
  std::unique_ptr<TMainForm> form;
  TSettingsForm* settings = nullptr;
};

void tst_uSettingsDictionary::init() {
  dir = std::make_unique<QTemporaryDir>();
  path = dir->filePath(QStringLiteral("Zefra.txt"));
  QVERIFY(Write(path, kFile));
  StartDictionaryModule(QFile::encodeName(path).toStdString(), reporter);
  InitializeEngine();
  // The word lists the program finds beside it (scripts/setup installs aspell-fa), so that the
  // dialog has no missing list to report and only this page's boxes show.
  SetWordListSources(DefaultWordListSources(
      QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString()));
  auto service = std::make_unique<MessageBoxes::InProcessService>();
  boxes = service.get();
  MessageBoxes::Install(std::move(service));
  form = std::make_unique<TMainForm>();
  form->show();
  QVERIFY(QTest::qWaitForWindowActive(form.get()));
  settings = nullptr;
}

void tst_uSettingsDictionary::cleanup() {
  CloseMenus();
  form.reset();
  FinishDictionaryModule();
  dir.reset();
}

void tst_uSettingsDictionary::theTabShowsTheSectionPagesWithTheirHelpAndPreview() {
  Open();
  auto* preview = settings->findChild<RichEdit*>(QStringLiteral("ResultRichEdit"));
  QVERIFY(!preview->isVisible());
  OpenDictionaryTab();
  QVERIFY(preview->isVisible() && preview->isReadOnly());
  QCOMPARE(QAccessible::queryAccessibleInterface(preview)->text(QAccessible::Name),
           QStringLiteral("Preview"));
  QCOMPARE(preview->layoutDirection(), Qt::RightToLeft);

  const QStringList captions{"Whole Words",  "Prefix Words", "Middle Words", "Suffix Words",
                             "Polite Words", "Chat Words",   "English Words"};
  for (int page = 0; page < captions.size(); ++page) {
    QCOMPARE(Pages()->tabText(page), captions[page]);
    QCOMPARE(Pages()->isTabVisible(page), page != dpChat);
    // Every shown tab fits the bar: none hides behind scroll buttons.
    if (page != dpChat)
      QVERIFY(Pages()->tabBar()->rect().contains(Pages()->tabBar()->tabRect(page)));
  }
  const QStringList grids{"Whole", "Prefix", "Middle", "Suffix", "Polite", "Chat", "English"};
  for (const QString& name : grids) {
    auto* grid = Grid(qPrintable(name));
    // A screen reader names each grid by its page.
    QCOMPARE(QAccessible::queryAccessibleInterface(grid)->text(QAccessible::Name),
             Pages()->tabText(grids.indexOf(name)));
    const bool english = name == QLatin1String("English");
    QCOMPARE(grid->horizontalHeaderItem(0)->text(),
             english ? QStringLiteral("English Word") : QStringLiteral("Convert this column"));
    QCOMPARE(grid->horizontalHeaderItem(1)->text(),
             english ? QStringLiteral("Style") : QStringLiteral("Into this column"));
    auto* help = settings->findChild<TMyStaticText*>(grid->objectName() + QStringLiteral("Help"));
    QVERIFY(!help->toPlainText().isEmpty());
  }
  QCOMPARE(Rows(Grid("Whole")), (QStringList{"khast=khavaast", "salam=salaam"}));
  QCOMPARE(Rows(Grid("English")), QStringList{"email=Whole"});

  // The preview shows what the letter rules alone make of the selected cell and of the typing.
  ClickCell(Grid("Whole"), 1, vcValue);
  QCOMPARE(preview->toPlainText(), QString::fromStdU16String(ConvertText(u"SALAAM")));
  QTest::keyClick(Grid("Whole"), 'k');
  QTest::keyClick(QApplication::focusWidget(), 'h');
  QCOMPARE(preview->toPlainText(), QString::fromStdU16String(ConvertText(u"KH")));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);

  ClickTab(settings->findChild<QTabWidget*>(QStringLiteral("PageControl1")), 0);
  QVERIFY(!preview->isVisible());
}

void tst_uSettingsDictionary::editsMovesAndDeletesReachTheSectionsTheFileAndTheNextShowing() {
  auto* in = form->findChild<RichEdit*>(QStringLiteral("EnglishRichEdit"));
  auto* out = form->findChild<RichEdit*>(QStringLiteral("FarsiRichEdit"));
  in->setFocus();
  QTest::keyClicks(in, QStringLiteral("merci salam"));
  const QString before = QString::fromStdU16String(out->Line(0));

  Open();
  OpenDictionaryTab();
  TValueListEditor* whole = Grid("Whole");
  // A new entry on the empty last row, a value changed, an entry deleted.
  Type(whole, 2, vcKey, QStringLiteral("merci"));
  Type(whole, 2, vcValue, QStringLiteral("mersi"));
  Type(whole, 0, vcValue, QStringLiteral("khaast"));
  RightClick(whole, 1);
  Choose(PopupMenu(), Item("DeleteSelectedEntry1"));
  QCOMPARE(Rows(whole), (QStringList{"khast=khaast", "merci=mersi"}));
  // An entry moved from the Suffix page to the Polite page.
  ClickTab(Pages(), dpSuffix);
  RightClick(Grid("Suffix"), 0);
  OpenMoveMenu();
  Choose(MoveMenu(), Item("PoliteWords1"));
  QCOMPARE(Pages()->currentIndex(), int(dpPolite));
  QCOMPARE(Rows(Grid("Polite")), QStringList{"ton=toon"});
  QVERIFY(Rows(Grid("Suffix")).isEmpty());
  QVERIFY(boxes->Shown.empty());

  QTest::mouseClick(Button("ApplyBtn"), Qt::LeftButton);
  QCOMPARE(WholeWords->Find("merci"), "mersi");
  QCOMPARE(WholeWords->Find("khast"), "khaast");
  QCOMPARE(WholeWords->Find("salam"), "");
  QCOMPARE(PoliteWords->FindPart("ton"), "toon");
  QCOMPARE(SuffixWords->Count(), size_t(0));
  const QByteArray saved = Read(path);
  QVERIFY(saved.contains("[Whole Words]\r\nkhast=khaast\r\nmerci=mersi\r\n\r\n"));
  QVERIFY(saved.contains("[Polite Words]\r\nton=toon\r\n"));
  QVERIFY(saved.contains("[Suffix Words]\r\n\r\n"));
  // The whole input was converted again with the new entries.
  QCOMPARE(QString::fromStdU16String(out->Line(0)),
           QString::fromStdU16String(ConvertText(u"merci salam")));
  QVERIFY(QString::fromStdU16String(out->Line(0)) != before);

  // The next showing shows what was applied; edits closed with Cancel are dropped.
  Close("CancelBtn");
  Open();
  OpenDictionaryTab();
  QCOMPARE(Rows(whole), (QStringList{"khast=khaast", "merci=mersi"}));
  QCOMPARE(Rows(Grid("Polite")), QStringList{"ton=toon"});
  Type(whole, 0, vcKey, QString());
  Type(whole, 0, vcValue, QString());
  Type(whole, 0, vcKey, QString());
  QCOMPARE(Rows(whole), QStringList{"merci=mersi"});
  Close("CancelBtn");
  Open();
  OpenDictionaryTab();
  QCOMPARE(Rows(whole), (QStringList{"khast=khaast", "merci=mersi"}));
  QCOMPARE(Read(path), saved);
}

void tst_uSettingsDictionary::badKeysAreRefusedAndTheGridIsLeftAsItWas() {
  Open();
  OpenDictionaryTab();
  TValueListEditor* whole = Grid("Whole");
  const QStringList rows = Rows(whole);
  const struct {
    int Row, Column;
    const char* Typed;
    QString Message;
  } refused[] = {
      {0, vcKey, "Khast", kLowerCase},
      {1, vcValue, "salAam", kLowerCase},
      {2, vcKey, "Merci", kLowerCase},
      {2, vcKey, "a=b",
       QStringLiteral("\"a=b\" cannot be entered: a word that the dictionary looks up may not "
                      "contain \"=\".")},
      {1, vcKey, "khast",
       QStringLiteral("\"khast\" is already in the first column. Each word can "
                      "be entered there only once.")},
      {0, vcKey, "",
       QStringLiteral("Each entry needs a word in the first column. To remove an "
                      "entry, delete both of its words.")},
  };
  for (const auto& edit : refused) {
    boxes->Shown.clear();
    Type(whole, edit.Row, edit.Column, QLatin1String(edit.Typed));
    QCOMPARE(BoxTexts(), QStringList{edit.Message});
    QCOMPARE(boxes->Shown[0].BoxType, MessageBoxes::Type::Error);
    QCOMPARE(Rows(whole), rows);
    QCOMPARE(whole->rowCount(), rows.size() + 1);
    // The preview follows the cell back too.
    QCOMPARE(
        settings->findChild<RichEdit*>(QStringLiteral("ResultRichEdit"))->toPlainText(),
        QString::fromStdU16String(ConvertText(
            whole->Text(whole->currentRow(), whole->currentColumn()).toUpper().toStdU16String())));
  }
  // A row inserted from the menu goes again when its first words are refused.
  RightClick(whole, 1);
  Choose(PopupMenu(), Item("InsertNewEntryPopUp"));
  QCOMPARE(whole->rowCount(), rows.size() + 2);
  QCOMPARE(whole->currentRow(), 1);
  Type(whole, 1, vcKey, QStringLiteral("Abc"));
  QCOMPARE(BoxTexts().last(), kLowerCase);
  QCOMPARE(Rows(whole), rows);
  QCOMPARE(whole->rowCount(), rows.size() + 1);

  // Nothing of it reaches the sections or the file.
  const QByteArray file = Read(path);
  QTest::mouseClick(Button("ApplyBtn"), Qt::LeftButton);
  QCOMPARE(WholeWords->Count(), size_t(2));
  QCOMPARE(WholeWords->Find("khast"), "khavaast");
  QVERIFY(Read(path).contains("[Whole Words]\r\nkhast=khavaast\r\nsalam=salaam\r\n\r\n"));
  QVERIFY(!file.isEmpty());
}

void tst_uSettingsDictionary::anEntryMovesToAnotherPageButNeverToItsOwn() {
  Open();
  OpenDictionaryTab();
  const char* targets[] = {"WholeWords1", "PrefixWords1", "MiddleWords1", "SuffixWords1",
                           "PoliteWords1"};
  for (const TDictionaryPage page : {dpWhole, dpPrefix}) {
    ClickTab(Pages(), page);
    RightClick(Grid(page == dpWhole ? "Whole" : "Prefix"), 0);
    OpenMoveMenu();
    for (int tag = 0; tag < 5; ++tag) QCOMPARE(Item(targets[tag])->isEnabled(), tag != page);
    CloseMenus();
  }

  // To an empty page: exactly that entry, selected there.
  ClickTab(Pages(), dpWhole);
  RightClick(Grid("Whole"), 1);
  OpenMoveMenu();
  Choose(MoveMenu(), Item("MiddleWords1"));
  QCOMPARE(Pages()->currentIndex(), int(dpMiddle));
  TValueListEditor* middle = Grid("Middle");
  QCOMPARE(Rows(middle), QStringList{"salam=salaam"});
  QCOMPARE(middle->currentRow(), 0);
  QVERIFY(middle->hasFocus());
  QCOMPARE(Rows(Grid("Whole")), QStringList{"khast=khavaast"});

  // Onto a page that has the word already: refused, the entry stays.
  ClickTab(Pages(), dpWhole);
  RightClick(Grid("Whole"), 0);
  OpenMoveMenu();
  Choose(MoveMenu(), Item("PrefixWords1"));
  QCOMPARE(BoxTexts(), QStringList{QStringLiteral(
                           "\"khast\" is already on the page \"Prefix Words\", so the entry stays "
                           "where it is.")});
  QCOMPARE(Rows(Grid("Whole")), QStringList{"khast=khavaast"});
  QCOMPARE(Rows(Grid("Prefix")), (QStringList{"ghorbon=ghorboon", "khast=khaast"}));

  QTest::mouseClick(Button("OkBtn"), Qt::LeftButton);
  QTRY_VERIFY(!settings->isVisible());
  QCOMPARE(MiddleWords->FindPart("salam"), "salaam");
  QCOMPARE(WholeWords->Find("salam"), "");
  QVERIFY(Read(path).contains("[Middle Words]\r\nsalam=salaam\r\n\r\n"));
}

void tst_uSettingsDictionary::aWordLeftWithoutAValueIsRefusedNamingItsPage() {
  Open();
  OpenDictionaryTab();
  ClickTab(Pages(), dpPrefix);
  TValueListEditor* prefix = Grid("Prefix");
  const QStringList rows = Rows(prefix);
  const QString refusal = QStringLiteral(
      "Please enter a word in the second column for \"%1\" too. An entry on the page \"Prefix "
      "Words\" needs both of its words; to remove it, delete both.");
  // A new word and a cleared value, each refused once its row is left: the row returns to what
  // it held.
  Type(prefix, 2, vcKey, QStringLiteral("mi"));
  ClickCell(prefix, 0, vcKey);
  QTRY_COMPARE(BoxTexts(), QStringList{refusal.arg("mi")});
  QCOMPARE(Rows(prefix), rows);
  Type(prefix, 0, vcValue, QString());
  ClickCell(prefix, 1, vcKey);
  QTRY_COMPARE(BoxTexts().size(), 2);
  QCOMPARE(BoxTexts().last(), refusal.arg("ghorbon"));
  QCOMPARE(Rows(prefix), rows);
  QCOMPARE(boxes->Shown[0].BoxType, MessageBoxes::Type::Error);

  // Nor does Apply take a row the user has not left yet.
  Type(prefix, 1, vcValue, QString());
  QTest::mouseClick(Button("ApplyBtn"), Qt::LeftButton);
  QCOMPARE(BoxTexts().size(), 3);
  QCOMPARE(BoxTexts().last(), refusal.arg("khast"));
  QCOMPARE(PrefixWords->FindPart("khaste"), "khaaste");
  QVERIFY(Read(path).contains("[Prefix Words]\r\nghorbon=ghorboon\r\nkhast=khaast\r\n"));
}

void tst_uSettingsDictionary::deleteAndMoveTakeTheTextOfAnOpenCellEditor() {
  Open();
  OpenDictionaryTab();
  TValueListEditor* whole = Grid("Whole");
  // A click commits the cell editor first; the menu's items chosen without one (as assistive
  // tools do) find it still open, holding what was typed.
  const auto typeWithoutEnter = [&](int row, const char* text) {
    ClickCell(whole, row, vcValue);
    for (const char* c = text; *c; ++c) QTest::keyClick(QApplication::focusWidget(), *c);
    QVERIFY(whole->viewport()->findChild<QLineEdit*>());
  };
  typeWithoutEnter(1, "salaaam");
  Item("PoliteWords1")->trigger();
  QCOMPARE(Rows(Grid("Polite")), QStringList{"salam=salaaam"});
  QCOMPARE(Rows(whole), QStringList{"khast=khavaast"});

  ClickTab(Pages(), dpWhole);
  typeWithoutEnter(0, "khaast");
  Item("DeleteSelectedEntry1")->trigger();
  QTRY_VERIFY(Rows(whole).isEmpty());
  // The grid is not left in its editing state: a new entry can be typed.
  Type(whole, 0, vcKey, QStringLiteral("merci"));
  Type(whole, 0, vcValue, QStringLiteral("mersi"));
  QCOMPARE(Rows(whole), QStringList{"merci=mersi"});
  QVERIFY(boxes->Shown.empty());
}

void tst_uSettingsDictionary::englishWordsThatTheDictionaryWouldChangeAreRefused() {
  Open();
  OpenDictionaryTab();
  // An entry of the Whole Words page not yet applied counts already.
  Type(Grid("Whole"), 2, vcKey, QStringLiteral("hello"));
  Type(Grid("Whole"), 2, vcValue, QStringLiteral("helo"));
  ClickTab(Pages(), dpEnglish);
  TValueListEditor* english = Grid("English");

  // The style cell of the empty row cannot be chosen before the word is there.
  QTest::mouseClick(english->viewport(), Qt::LeftButton, {}, CellCentre(english, 1, vcValue));
  QTRY_COMPARE(english->currentColumn(), int(vcKey));

  for (const char* word : {"salam", "Salam", "hello"}) {
    boxes->Shown.clear();
    Type(english, 1, vcKey, QLatin1String(word));
    QCOMPARE(BoxTexts(), QStringList{kConflict.arg(QStringLiteral("Whole Words"))});
    QCOMPARE(Rows(english), QStringList{"email=Whole"});
  }
  // A word that begins with a prefix is refused only with the style "Prefix".
  boxes->Shown.clear();
  Type(english, 1, vcKey, QStringLiteral("Ghorbonet"));
  QVERIFY(boxes->Shown.empty());
  QCOMPARE(Rows(english), (QStringList{"email=Whole", "ghorbonet=Whole"}));
  PickStyle(1, Qt::Key_Down);
  QCOMPARE(BoxTexts(), QStringList{kConflict.arg(QStringLiteral("Prefix Words"))});
  QCOMPARE(Rows(english), (QStringList{"email=Whole", "ghorbonet=Whole"}));
  Type(english, 2, vcKey, QStringLiteral("internet"));
  PickStyle(2, Qt::Key_Down);
  QCOMPARE(Rows(english), (QStringList{"email=Whole", "ghorbonet=Whole", "internet=Prefix"}));
  // A word deleted takes its row with it.
  Type(english, 0, vcKey, QString());
  QCOMPARE(Rows(english), (QStringList{"ghorbonet=Whole", "internet=Prefix"}));

  QTest::mouseClick(Button("ApplyBtn"), Qt::LeftButton);
  QVERIFY(EnglishWholeWords->MatchesPart("ghorbonet"));
  QVERIFY(EnglishPrefixWords->MatchesPart("internets"));
  QVERIFY(!EnglishWholeWords->MatchesPart("email"));
  QVERIFY(Read(path).contains("[English Words]\r\nghorbonet=Whole\r\ninternet=Prefix\r\n"));
}

void tst_uSettingsDictionary::aFailedSaveWarnsWithThePathAndLeavesTheFileAlone() {
  Open();
  OpenDictionaryTab();
  Type(Grid("Whole"), 2, vcKey, QStringLiteral("merci"));
  Type(Grid("Whole"), 2, vcValue, QStringLiteral("mersi"));

  // A directory that is a file stops the save whoever runs the test.
  const QString blocker = dir->filePath(QStringLiteral("blocker"));
  QVERIFY(Write(blocker, "not a directory"));
  const QString blocked = blocker + QStringLiteral("/Zefra.txt");
  DictionaryFileName = QFile::encodeName(blocked).toStdString();
  QTest::mouseClick(Button("ApplyBtn"), Qt::LeftButton);
  QCOMPARE(boxes->Shown.size(), size_t(1));
  QCOMPARE(boxes->Shown[0].Text, QStringLiteral("Cannot write to file \"%1\".All your changes "
                                                "might lost if you exit program!!")
                                     .arg(blocked));
  QCOMPARE(boxes->Shown[0].BoxType, MessageBoxes::Type::Warning);
  QCOMPARE(boxes->Shown[0].BoxButtons, MessageBoxes::Buttons::Ok);
  QCOMPARE(Read(blocker), QByteArray("not a directory"));
  // The sections keep what was applied, for the save at exit.
  QCOMPARE(WholeWords->Find("merci"), "mersi");

  // A read-only directory stops it too, where permissions count.
  if (geteuid() == 0) return;
  DictionaryFileName = QFile::encodeName(path).toStdString();
  QVERIFY(QFile::setPermissions(dir->path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
  QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner));
  QTest::mouseClick(Button("ApplyBtn"), Qt::LeftButton);
  QFile::setPermissions(dir->path(),
                        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  QCOMPARE(boxes->Shown.size(), size_t(2));
  QVERIFY(boxes->Shown[1].Text.contains(path));
  QCOMPARE(Read(path), kFile);
}

void tst_uSettingsDictionary::withoutVisitingTheTabApplyNeitherReloadsNorWrites() {
  Open();
  OpenDictionaryTab();
  Close("CancelBtn");
  // A section changed while the dialog was closed, as the dictionary menu does.
  WholeWords->SetEntry("khoob", "khub");
  Open();
  QTest::mouseClick(Button("ApplyBtn"), Qt::LeftButton);
  QCOMPARE(WholeWords->Find("khoob"), "khub");
  QCOMPARE(Read(path), kFile);
  QVERIFY(boxes->Shown.empty());
}

void tst_uSettingsDictionary::aCorrectionFromTheDictionaryMenuShowsOnTheNextOpening() {
  Open();
  OpenDictionaryTab();
  Close("OkBtn");

  auto* in = form->findChild<RichEdit*>(QStringLiteral("EnglishRichEdit"));
  auto* menu = form->findChild<QMenu*>(QStringLiteral("DicPopupMenu"));
  in->setFocus();
  QTest::keyClicks(in, QStringLiteral("khoob"));
  const QPoint point = in->viewport()->mapTo(form.get(), in->cursorRect().center());
  QTest::mousePress(form->windowHandle(), Qt::RightButton, {}, point);
  QTRY_VERIFY(menu->isVisible());
  QTimer::singleShot(0, this, [this] {
    auto* dialog = form->findChild<QDialog*>(QStringLiteral("DicEnterForm"));
    QTRY_VERIFY(dialog && dialog->isVisible());
    QTest::keyClicks(dialog->findChild<QLineEdit*>(QStringLiteral("Edit2")),
                     QStringLiteral("khub"));
    QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("OKBtn")), Qt::LeftButton);
  });
  QAction* enter = form->findChild<QAction*>(QStringLiteral("EnterinDictionaryMNU"));
  QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(enter).center());
  QCOMPARE(WholeWords->Find("khoob"), "khub");

  Open();
  OpenDictionaryTab();
  QCOMPARE(Rows(Grid("Whole")), (QStringList{"khast=khavaast", "khoob=khub", "salam=salaam"}));
}

QTEST_MAIN(tst_uSettingsDictionary)
#include "tst_uSettingsDictionary.moc"
