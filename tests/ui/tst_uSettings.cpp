#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "CodePage.h"
#include "Dialogs.h"
#include "Dictionary.h"
#include "MessageBoxes.h"
#include "Registry.h"
#include "SmartSpelling.h"
#include "UiTestSupport.h"
#include "WordList.h"
#include "trans.h"
#include "uMain.h"
#include "uSettings.h"
#include "uTipOfDay.h"

namespace {

// What the letter rules and the dictionary make of a line with the options as they stand.
QString Converted(const QString& line) {
  return Q(ConvertText(CodePage::ToUnicode(CodePage::FromUnicode(line.toStdU16String()))));
}

const QString kRefusal =
    QStringLiteral("Sorry currently only available on Windows 2000/xp with farse enabled.");

}  // namespace

class tst_uSettings : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void cleanupTestCase();
  void init();
  void cleanup();

  void onlySmartSpellingSaysOnceWhichWordListIsMissing();
  void theCommonTabShowsTheMarkingAndTheOutputFont();
  void aMarkingThatNoItemShowsIsLeftAsItWas();
  void aPickedBackgroundColourSurvivesASecondApply();
  void englishDetectionIsRefusedWithoutPersianSupport();
  void theWholeWordsPageFollowsAtOnceAndTheEngineOnApply();
  void aNewOutputFontReachesTheWholeOutput();
  void cancelKeepsWhatWasAppliedAndDropsTheRest();
  void theTipsBoxIsStoredAtOnceAndFollowsTheTipsWindow();
  void smartSpellingAndModernOrthographyReachTheEngineOnApply();

 private:
  TSettingsForm* Dialog() const { return form->findChild<TSettingsForm*>(); }
  template <typename Control>
  Control* Find(const char* name) const {
    Control* control = Dialog()->findChild<Control*>(QLatin1String(name));
    if (!control) qFatal("no control %s", name);
    return control;
  }
  QCheckBox* Box(const char* name) const { return Find<QCheckBox>(name); }
  QComboBox* Combo() const { return Find<QComboBox>("EngFaAttrCombo"); }
  void Click(const char* name) { QTest::mouseClick(Find<QAbstractButton>(name), Qt::LeftButton); }
  void Click(QWidget* swatch, Qt::MouseButton button = Qt::LeftButton) {
    QTest::mouseClick(swatch, button, {}, QPoint(5, 5));
  }
  // Opens the dialog as the Settings button does, and puts the word-list note aside.
  void Open();
  // Chooses the marking item with the keyboard, as a user steps through the closed list.
  void Choose(const QString& caption);
  // Types the lines, each after the first on a new line.
  void Type(const QString& text) {
    const QStringList lines = text.split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
      if (i) QTest::keyClick(in, Qt::Key_Return);
      QTest::keyClicks(in, lines[i]);
    }
  }
  QColor SwatchColour(const char* name) const {
    return Find<QWidget>(name)->palette().color(QPalette::Window);
  }

  QTemporaryDir dir;
  TSilentReporter reporter;
  std::unique_ptr<TMainForm> form;
  RichEdit* in = nullptr;
  RichEdit* out = nullptr;
  MessageBoxes::InProcessService* boxes = nullptr;
  Dialogs::InProcessService* dialogs = nullptr;
};

void tst_uSettings::initTestCase() {
  QVERIFY(dir.isValid());
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath(QStringLiteral("config"))));
  // Each test starts from empty sections; the file only gives the module a home.
  StartDictionaryModule(QFile::encodeName(dir.filePath(QStringLiteral("Zefra.txt"))).toStdString(),
                        reporter);
  InitializeEngine();
  // No word list at all: quick to load, and the same on every machine.
  TWordListSources none;
  none.AspellProgram.clear();
  SetWordListSources(none);
}

void tst_uSettings::cleanupTestCase() {
  FinishDictionaryModule();
}

void tst_uSettings::init() {
  QFile::remove(Registry::UserFileName());
  CreateSections();
  SetDictionaryFlagDefaults();
  TreatAeMode = 1;
  SmartSpelling = 0;
  ModernOrthography = 0;
  ResetWindowSettings();
  boxes = InstallInProcessBoxes();
  dialogs = InstallInProcessDialogs();
  form = std::make_unique<TMainForm>();
  in = form->findChild<RichEdit*>(QStringLiteral("EnglishRichEdit"));
  out = form->findChild<RichEdit*>(QStringLiteral("FarsiRichEdit"));
  form->show();
  QVERIFY(QTest::qWaitForWindowExposed(form.get()));
}

void tst_uSettings::cleanup() {
  form.reset();
}

void tst_uSettings::Open() {
  if (!Dialog()) {
    // The first press makes the dialog and runs it modally; it is closed at once, and the test
    // shows it as a plain window from then on, which runs the same preparation.
    QTimer::singleShot(0, form.get(), [this] { Dialog()->reject(); });
    QTest::mouseClick(form->findChild<QPushButton*>(QStringLiteral("btnSettings")), Qt::LeftButton);
    QVERIFY(Dialog() && !Dialog()->isVisible());
  }
  Dialog()->show();
  QVERIFY(QTest::qWaitForWindowExposed(Dialog()));
  QCoreApplication::processEvents();
  boxes->Shown.clear();
}

void tst_uSettings::Choose(const QString& caption) {
  QComboBox* combo = Combo();
  const int target = combo->findText(caption);
  QVERIFY(target >= 0);
  combo->setFocus();
  while (combo->currentIndex() != target)
    QTest::keyClick(combo, combo->currentIndex() < target ? Qt::Key_Down : Qt::Key_Up);
}

void tst_uSettings::onlySmartSpellingSaysOnceWhichWordListIsMissing() {
  // Smart spelling off: the lists are nobody's concern.
  QTimer::singleShot(0, form.get(), [this] { Dialog()->reject(); });
  QTest::mouseClick(form->findChild<QPushButton*>(QStringLiteral("btnSettings")), Qt::LeftButton);
  QCoreApplication::processEvents();
  QVERIFY(boxes->Shown.empty());
  Open();
  Click("SmartSpellingchk");
  Click("ApplyBtn");
  QTRY_COMPARE(boxes->Shown.size(), size_t(1));
  QCOMPARE(boxes->Shown[0].Text, QString::fromStdString(MissingWordListsText()));
  QVERIFY(boxes->Shown[0].Text.contains(QStringLiteral("aspell-fa")));
  QCOMPARE(boxes->Shown[0].BoxType, MessageBoxes::Type::Information);
  QCOMPARE(boxes->Shown[0].BoxButtons, MessageBoxes::Buttons::Ok);
  Open();
  Click("CancelBtn");
  Open();
  QVERIFY(boxes->Shown.empty());
}

void tst_uSettings::theCommonTabShowsTheMarkingAndTheOutputFont() {
  EnglishStyle = esUnderline;
  EnglishUnderlineType = utWave;
  Open();
  QCOMPARE(Dialog()->size(), QSize(539, 321));
  QCOMPARE(Find<QTabWidget>("PageControl1")->currentIndex(), 0);
  QCOMPARE(Combo()->currentText(), QStringLiteral("UnderLine_Wave"));
  QVERIFY(!Find<QWidget>("Shape1")->isVisible() && !Find<QLabel>("Label13")->isVisible());
  const QFont font = out->font();
  QCOMPARE(Find<QLabel>("Label4")->text(), font.family());
  QCOMPARE(Find<QLabel>("Label5")->text(), QString::number(font.pointSize()));
  QCOMPARE(SwatchColour("TextColorShape"), out->palette().color(QPalette::Text));
  // The swatches are found by the captions beside them.
  QCOMPARE(Find<QWidget>("TextColorShape")->accessibleName(), QStringLiteral("Color:"));
  QCOMPARE(Find<QWidget>("Shape1")->accessibleName(), QStringLiteral("Color :"));

  auto* group = Find<QGroupBox>("AttrSamegrp");
  QVERIFY(group->isEnabled());
  QCOMPARE(group->title(), QStringLiteral("Farsi text attributes"));
  Click("AttrSamechk");
  QVERIFY(!group->isEnabled());
  QCOMPARE(group->title(), QStringLiteral("Farsi text attributes (Disabled)"));
  Click("CancelBtn");
  QVERIFY(!SameAttributes);

  EnglishStyle = esBackColor;
  EnglishBackColor = 0x00FF00;
  Open();
  QCOMPARE(Combo()->currentText(), QStringLiteral("Background Color"));
  QVERIFY(Find<QWidget>("Shape1")->isVisible() && Find<QLabel>("Label13")->isVisible());
  QCOMPARE(SwatchColour("Shape1"), QColor(Qt::green));
  QVERIFY(dialogs->Shown.empty());
  QVERIFY(!Box("AttrSamechk")->isChecked() && group->isEnabled());
  Click("CancelBtn");

  EnglishStyle = esAnimation;
  SameAttributes = true;
  Open();
  QCOMPARE(Combo()->currentText(), QStringLiteral("Invisible(No Attribute)"));
  QVERIFY(Box("AttrSamechk")->isChecked() && !group->isEnabled());
}

void tst_uSettings::aMarkingThatNoItemShowsIsLeftAsItWas() {
  // A single underline has no item: showing, applying or cancelling keeps it.
  EnglishStyle = esUnderline;
  EnglishUnderlineType = utSingle;
  for (const char* button : {"CancelBtn", "ApplyBtn"}) {
    Open();
    QCOMPARE(Combo()->currentIndex(), -1);
    Click(button);
    QCOMPARE(EnglishStyle, uint8_t(esUnderline));
    QCOMPARE(EnglishUnderlineType, uint8_t(utSingle));
  }
  Choose(QStringLiteral("Italic"));
  Click("OkBtn");
  QVERIFY(!Dialog()->isVisible());
  QCOMPARE(EnglishStyle, uint8_t(esItalic));
}

void tst_uSettings::aPickedBackgroundColourSurvivesASecondApply() {
  in->setFocus();
  Type(QStringLiteral("salam word"));
  TCharFormat red;
  red.BackColor = 0x0000FF;
  in->SetFormat(6, 10, red, TCharFormat::fBackColor);
  QVERIFY(!out->Line(0).ends_with(u"word"));
  Open();
  dialogs->ColourAnswers.push_back(QColor(0x12, 0x34, 0x56));
  Choose(QStringLiteral("Background Color"));
  QCOMPARE(dialogs->Shown.size(), size_t(1));
  QCOMPARE(dialogs->Shown[0].RequestKind, Dialogs::InProcessService::Kind::Colour);
  QCOMPARE(SwatchColour("Shape1"), QColor(0x12, 0x34, 0x56));
  QVERIFY(Find<QWidget>("Shape1")->isVisible());
  QCOMPARE(EnglishStyle, uint8_t(esBold));  // only Apply stores the choice
  Click("ApplyBtn");
  QCOMPARE(EnglishStyle, uint8_t(esBackColor));
  QCOMPARE(EnglishBackColor, 0x563412u);
  Click("CancelBtn");

  Open();
  Click("ApplyBtn");
  QCOMPARE(EnglishBackColor, 0x563412u);
  QCOMPARE(dialogs->Shown.size(), size_t(1));

  // A click on the swatch picks again; a cancelled pick or another button keeps the colour.
  Click(Find<QWidget>("Shape1"));
  QCOMPARE(dialogs->Shown.size(), size_t(2));
  QCOMPARE(dialogs->Shown[1].InitialColour, QColor(0x12, 0x34, 0x56));
  Click(Find<QWidget>("Shape1"), Qt::RightButton);
  QCOMPARE(dialogs->Shown.size(), size_t(2));
  dialogs->ColourAnswers.push_back(QColor(Qt::red));
  Click(Find<QWidget>("Shape1"));
  QCOMPARE(SwatchColour("Shape1"), QColor(Qt::red));
  Click("OkBtn");
  QCOMPARE(EnglishBackColor, 0x0000FFu);
  // The input was converted again with the new marking: the word on red stays Latin.
  QVERIFY(out->Line(0).ends_with(u"word"));
}

void tst_uSettings::englishDetectionIsRefusedWithoutPersianSupport() {
  FarsiEnabled = 0;
  EnglishDetectMode = 0;
  Open();
  QVERIFY(!Box("EnglishDetectchk")->isChecked());
  Click("EnglishDetectchk");
  QCOMPARE(boxes->Shown.size(), size_t(1));
  QCOMPARE(boxes->Shown[0].Text, kRefusal);
  QCOMPARE(boxes->Shown[0].BoxType, MessageBoxes::Type::Information);
  QCOMPARE(boxes->Shown[0].BoxButtons, MessageBoxes::Buttons::Ok);
  QVERIFY(!Box("EnglishDetectchk")->isChecked());
  Click("ApplyBtn");
  QVERIFY(!EnglishDetectMode);

  FarsiEnabled = 1;
  Click("EnglishDetectchk");
  QCOMPARE(boxes->Shown.size(), size_t(1));
  QVERIFY(Box("EnglishDetectchk")->isChecked());
  Click("ApplyBtn");
  QVERIFY(EnglishDetectMode);
}

void tst_uSettings::theWholeWordsPageFollowsAtOnceAndTheEngineOnApply() {
  WholeWords->AddEntry("ketab", "ketaab");
  in->setFocus();
  Type(QStringLiteral("ketab"));
  const QString byDictionary = Q(out->Line(0));
  Open();
  auto* pages = Find<QTabWidget>("PageControl2");
  // Until the dictionary tab has its pages, stand-ins keep the index meaningful.
  while (pages->count() <= dpWhole) pages->addTab(new QWidget, QStringLiteral("Whole Words"));
  Click("CancelBtn");
  Open();
  QVERIFY(Box("DicBasedchk")->isChecked());
  QVERIFY(pages->isTabEnabled(dpWhole));
  Click("DicBasedchk");
  QVERIFY(!pages->isTabEnabled(dpWhole));
  QVERIFY(DictionaryMode);
  QCOMPARE(Q(out->Line(0)), byDictionary);
  Click("ApplyBtn");
  QVERIFY(!DictionaryMode);
  const QString byRules = Converted(QStringLiteral("ketab"));
  QVERIFY(byRules != byDictionary);
  QCOMPARE(Q(out->Line(0)), byRules);
  Click("CancelBtn");

  Open();
  QVERIFY(!Box("DicBasedchk")->isChecked() && !pages->isTabEnabled(dpWhole));
  Click("DicBasedchk");
  QVERIFY(pages->isTabEnabled(dpWhole));
}

void tst_uSettings::aNewOutputFontReachesTheWholeOutput() {
  in->setFocus();
  Type(QStringLiteral("salam\nkhoobi\nmer30"));
  QCOMPARE(out->LineCount(), 3);
  Open();
  QFont chosen(QStringLiteral("DejaVu Serif"));
  chosen.setPointSize(20);
  chosen.setItalic(true);
  dialogs->FontAnswers.push_back(chosen);
  Click("FontBtn");
  QCOMPARE(dialogs->Shown.back().InitialFont, out->font());
  QCOMPARE(Find<QLabel>("Label4")->text(), QStringLiteral("DejaVu Serif"));
  QCOMPARE(Find<QLabel>("Label5")->text(), QStringLiteral("20"));
  dialogs->ColourAnswers.push_back(QColor(Qt::blue));
  Click(Find<QWidget>("TextColorShape"));
  QCOMPARE(SwatchColour("TextColorShape"), QColor(Qt::blue));
  // Nothing reaches the output before Apply.
  QCOMPARE(out->FormatAt(1).Size, 11);

  // A line the conversion no longer matches shows that Apply converts everything again.
  out->ReplaceLine(1, u"mark");
  Click("ApplyBtn");
  QCOMPARE(Q(out->Line(1)), Converted(QStringLiteral("khoobi")));
  for (const TFormatRun& run : out->CaretFormats(0, out->TextLength())) {
    QCOMPARE(run.Format.Name, QStringLiteral("DejaVu Serif"));
    QCOMPARE(run.Format.Size, 20);
    QCOMPARE(run.Format.Style, uint8_t(fsItalic));
    QCOMPARE(run.Format.Color, 0xFF0000u);
  }
  QCOMPARE(out->font().family(), QStringLiteral("DejaVu Serif"));
  QCOMPARE(form->FarsiFontColor(), 0xFF0000u);
  // What is typed later takes the font too.
  Type(QStringLiteral("\nsalam"));
  QCOMPARE(out->FormatAt(out->LineIndex(3) + 1).Name, QStringLiteral("DejaVu Serif"));
  Click("CancelBtn");

  // With the attributes copied from the input, Apply leaves the output's font alone.
  Open();
  dialogs->FontAnswers.push_back(QFont(QStringLiteral("DejaVu Sans"), 9));
  Click("FontBtn");
  Click("AttrSamechk");
  Click("OkBtn");
  QVERIFY(SameAttributes);
  QCOMPARE(out->font().family(), QStringLiteral("DejaVu Serif"));
}

void tst_uSettings::cancelKeepsWhatWasAppliedAndDropsTheRest() {
  Open();
  Click("ChatModechk");
  Click("LowerCasePastechk");
  Choose(QStringLiteral("UnderLine_Double"));
  Click("ApplyBtn");
  Click("PoliteModechk");
  Click("AutoTashdidchk");
  Choose(QStringLiteral("Italic"));
  Click("CancelBtn");
  QVERIFY(!Dialog()->isVisible());
  QVERIFY(!ChatMode && !LowerCasePaste);
  QVERIFY(!PoliteMode && TashdidMode);
  QCOMPARE(EnglishStyle, uint8_t(esUnderline));
  QCOMPARE(EnglishUnderlineType, uint8_t(utDouble));

  Open();
  QVERIFY(!Box("ChatModechk")->isChecked() && !Box("LowerCasePastechk")->isChecked());
  QVERIFY(!Box("PoliteModechk")->isChecked() && Box("AutoTashdidchk")->isChecked());
  QCOMPARE(Combo()->currentText(), QStringLiteral("UnderLine_Double"));
}

void tst_uSettings::theTipsBoxIsStoredAtOnceAndFollowsTheTipsWindow() {
  Registry settings;
  QVERIFY(TTipOfDay::SetShowOnStartUp(settings, false));
  Open();
  // It shows what the tips window will do.
  QVERIFY(!Box("CheckBox1")->isChecked());
  Click("CheckBox1");
  QCOMPARE(settings.ReadBool(QStringLiteral("Tips of day")), std::optional<bool>(true));
  Click("CancelBtn");
  QCOMPARE(settings.ReadBool(QStringLiteral("Tips of day")), std::optional<bool>(true));

  // The tips window's own switch reaches the dialog when the window closes.
  form->ShowAtStartUp();
  auto* tips = form->findChild<TTipOfDay*>();
  QVERIFY(tips && tips->isVisible());
  QTest::mouseClick(tips->findChild<QCheckBox*>(QStringLiteral("ShowTipsChk")), Qt::LeftButton);
  QVERIFY(Box("CheckBox1")->isChecked());
  QTest::mouseClick(tips->findChild<QPushButton*>(QStringLiteral("CloseBtn")), Qt::LeftButton);
  QVERIFY(!Box("CheckBox1")->isChecked());
  Open();
  QVERIFY(!Box("CheckBox1")->isChecked());
}

void tst_uSettings::smartSpellingAndModernOrthographyReachTheEngineOnApply() {
  const QString text = QStringLiteral("mer30 mikonim");
  in->setFocus();
  Type(text);
  const QString plain = Q(out->Line(0));
  ModernOrthography = 1;
  const QString modern = Converted(text);
  ModernOrthography = 0;
  QVERIFY(modern != plain);

  Open();
  QCOMPARE(Box("SmartSpellingchk")->text(), QStringLiteral("Smart spelling (Persian word list)"));
  QCOMPARE(Box("ModernOrthographychk")->text(), QStringLiteral("Modern Persian orthography"));
  QVERIFY(!Box("SmartSpellingchk")->isChecked() && !Box("ModernOrthographychk")->isChecked());
  Click("SmartSpellingchk");
  Click("ModernOrthographychk");
  QVERIFY(!SmartSpelling && !ModernOrthography);
  QCOMPARE(Q(out->Line(0)), plain);
  Click("ApplyBtn");
  QVERIFY(SmartSpelling && ModernOrthography);
  QCOMPARE(Q(out->Line(0)), modern);
  Click("CancelBtn");

  Open();
  QVERIFY(Box("SmartSpellingchk")->isChecked() && Box("ModernOrthographychk")->isChecked());
  Click("ModernOrthographychk");
  Click("OkBtn");
  QVERIFY(!ModernOrthography);
  QCOMPARE(Q(out->Line(0)), Converted(text));
}

QTEST_MAIN(tst_uSettings)
#include "tst_uSettings.moc"
