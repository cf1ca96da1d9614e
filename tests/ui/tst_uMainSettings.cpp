#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFontComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>
#include <cerrno>
#include <cstring>
#include <memory>

#include "CapsLock.h"
#include "Dictionary.h"
#include "MessageBoxes.h"
#include "Registry.h"
#include "SmartSpelling.h"
#include "uMain.h"
#include "uTipOfDay.h"

namespace {

class TSilentReporter : public TDictionaryReporter {
 public:
  void Warning(const std::string&) override {}
  void Error(const std::string&) override {}
};

const QString kWelcome = QStringLiteral(
    "\r\n"
    "\r\n"
    "I hope you enjoy this program.please read Readme.html before using.\r\n"
    "Please report any bugs you might encounter to zefra@example.org .\r\n"
    "Please let me know your toughts and suggestions and how you feel using this software,\r\n"
    "and what you want to be added in next releases and ... .\r\n"
    "\r\n"
    "                                               Happy Romaneshing       ");
const QString kUpgrade = QStringLiteral(
    "Very glad to see you have upgraded your Zefra.\r\n"
    "\r\n"
    "Dont forget to check out new enhancment and features.Zefra is always getting better.Have "
    "fun and enjoy it.\r\n"
    "Zefra team");

// The values in their stored order, as "name=value".
QStringList Stored(const Registry& registry) {
  QFile file(registry.FileName());
  if (!file.open(QIODevice::ReadOnly)) return {QStringLiteral("<no file>")};
  QStringList values;
  for (const TRegValue& value : ParseRegFile(file.readAll()).Values) {
    if (const auto* number = std::get_if<uint32_t>(&value.Data))
      values << value.Name + u'=' + QString::number(*number);
    else
      values << value.Name + QStringLiteral("=\"") + std::get<QString>(value.Data) + u'"';
  }
  return values;
}

const QStringList kEngineDefaults = {
    "Trans.Dictionary Mode=1",
    "Trans.Chat Mode=1",
    "Trans.Tashdid Mode=1",
    "Trans.Prefix Mode=0",
    "Same Attributes=0",
    "English_Romanesh.Style=0",
    "English_Romanesh.UnderLineType=4",
    "English_Romanesh.AnimationType=5",
    "English_Romanesh.Background Color=16711680",
    "Trans.Smart Spelling=0",
    "Trans.Modern Orthography=0",
};

}  // namespace

class tst_uMainSettings : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void init();
  void cleanup();

  void theFirstRunWelcomesAndStoresTheEngineValues();
  void anUpgradeNotesItselfOnceAndShowsTheTipsAgain();
  void theTipsWindowKeepsItsCheckBoxInTheSettings();
  void settingsSavedAtTheEndComeBackAtTheNextStart();
  void aDeletedValueLeavesItAndTheLaterOnesAsTheyWere();
  void theSmartOptionsComeBackAndAnOlderFileLosesNothing();
  void storedValuesNoPaneCanTakeAreNotApplied();
  void aDamagedFileNeverStopsTheStartAndIsWrittenCleanAgain();
  void theWindowStartsWithCapsLockOffAndTheInputFaceInTheToolBar();
  void closingTheWindowSavesTheDictionary();
  void aDictionaryThatCannotBeSavedIsToldOnceWithTheReason();
  void theWindowCannotBeMaximised();

 private:
  // The settings as a new process of the program has them before the stored ones are read.
  void NewProcess();
  // A start of the program as far as the message loop: the version check, the window, the
  // stored settings, the window shown.
  void Start();
  // The end of a run: the settings saved, then the window gone.
  void Finish();
  void SetOutputSize(int size) {
    QFont font = form->FarsiFont();
    font.setPointSize(size);
    form->SetFarsiFont(font);
  }
  TTipOfDay* Tips() const { return form->findChild<TTipOfDay*>(); }
  RichEdit* Output() const { return form->findChild<RichEdit*>(QStringLiteral("FarsiRichEdit")); }

  QTemporaryDir dir;
  TSilentReporter reporter;
  std::unique_ptr<Registry> registry;
  MessageBoxes::InProcessService* boxes = nullptr;
  std::unique_ptr<TMainForm> form;
  QString dictionaryPath;
};

void tst_uMainSettings::initTestCase() {
  QVERIFY(dir.isValid());
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath(QStringLiteral("config"))));
  dictionaryPath = dir.filePath(QStringLiteral("Zefra.txt"));
}

void tst_uMainSettings::init() {
  QFile::remove(Registry::UserFileName());
  QFile::remove(dictionaryPath);
  NewProcess();
  auto service = std::make_unique<MessageBoxes::InProcessService>();
  boxes = service.get();
  MessageBoxes::Install(std::move(service));
  registry = std::make_unique<Registry>();
}

void tst_uMainSettings::cleanup() {
  form.reset();
  registry.reset();
  FinishDictionaryModule();
}

void tst_uMainSettings::NewProcess() {
  // The module's start sets the engine's defaults; the window's settings start from theirs.
  StartDictionaryModule(QFile::encodeName(dictionaryPath).toStdString(), reporter);
  SmartSpelling = 0;
  ModernOrthography = 0;
  SameAttributes = false;
  EnglishStyle = esBold;
  EnglishUnderlineType = utDotted;
  EnglishBackColor = 0xFF0000;
  EnglishAnimationType = 5;
}

void tst_uMainSettings::Start() {
  form.reset();
  boxes->Shown.clear();
  CheckVersion(*registry);
  form = std::make_unique<TMainForm>();
  LoadSettings(*registry, *form);
  form->ShowAtStartUp();
}

void tst_uMainSettings::Finish() {
  SaveSettings(*registry, false, form.get());
  form.reset();
}

void tst_uMainSettings::theFirstRunWelcomesAndStoresTheEngineValues() {
  QCOMPARE(registry->FileName(),
           dir.filePath(QStringLiteral("config/Quorvel Software Company/Zefra.reg")));
  Start();
  QCOMPARE(boxes->Shown.size(), size_t(1));
  QCOMPARE(boxes->Shown[0].Text, kWelcome);
  QCOMPARE(boxes->Shown[0].BoxType, MessageBoxes::Type::Information);
  QCOMPARE(boxes->Shown[0].BoxButtons, MessageBoxes::Buttons::Ok);
  QCOMPARE(Stored(*registry), QStringList{"Version=\"0.3.4a beta\""} + kEngineDefaults);
  // No "Tips of day" yet: the tips show.
  QVERIFY(Tips() && Tips()->isVisible());

  Finish();
  Start();
  QVERIFY(boxes->Shown.empty());
  QCOMPARE(Stored(*registry).first(), QStringLiteral("Version=\"0.3.4a beta\""));
}

void tst_uMainSettings::anUpgradeNotesItselfOnceAndShowsTheTipsAgain() {
  for (const char* older : {"0.3.3 beta", ""}) {
    QVERIFY(registry->WriteBool(QStringLiteral("Tips of day"), false));
    if (*older)
      QVERIFY(registry->WriteString(QStringLiteral("Version"), QLatin1String(older)));
    else
      registry->DeleteValue(QStringLiteral("Version"));
    Start();
    QCOMPARE(boxes->Shown.size(), size_t(1));
    QCOMPARE(boxes->Shown[0].Text, kUpgrade);
    QCOMPARE(boxes->Shown[0].BoxType, MessageBoxes::Type::Information);
    // One value under both spellings, switched on again.
    QCOMPARE(registry->ReadBool(QStringLiteral("Tips of Day")), std::optional<bool>(true));
    QCOMPARE(Stored(*registry).filter(QStringLiteral("tips of day"), Qt::CaseInsensitive).size(),
             qsizetype(1));
    QCOMPARE(registry->ReadString(QStringLiteral("Version")),
             std::optional<QString>(QStringLiteral("0.3.4a beta")));
    QVERIFY(Tips() && Tips()->isVisible());
    Finish();
    Start();
    QVERIFY(boxes->Shown.empty());
    Finish();
  }

  // A version of another type is no upgrade; it is written again as text.
  QVERIFY(registry->WriteBool(QStringLiteral("Tips of day"), false));
  QVERIFY(registry->WriteInteger(QStringLiteral("Version"), 3));
  Start();
  QVERIFY(boxes->Shown.empty());
  QVERIFY(!Tips());
  QCOMPARE(registry->ReadString(QStringLiteral("Version")),
           std::optional<QString>(QStringLiteral("0.3.4a beta")));
}

void tst_uMainSettings::theTipsWindowKeepsItsCheckBoxInTheSettings() {
  Start();
  TTipOfDay* tips = Tips();
  QVERIFY(tips && tips->isVisible());
  QVERIFY(tips->isModal());
  auto* tip = tips->findChild<QLabel*>(QStringLiteral("TipLabel"));
  auto* showTips = tips->findChild<QCheckBox*>(QStringLiteral("ShowTipsChk"));
  QCOMPARE(showTips->text(), QStringLiteral("&Show Tips on Startup"));
  QVERIFY(showTips->isChecked());
  const QString first = tip->text();
  QVERIFY(!first.isEmpty());
  QTest::mouseClick(tips->findChild<QPushButton*>(QStringLiteral("NextBtn")), Qt::LeftButton);
  QVERIFY(tip->text() != first);

  QTest::mouseClick(showTips, Qt::LeftButton);
  QCOMPARE(registry->ReadBool(QStringLiteral("Tips of day")), std::optional<bool>(false));
  QTest::mouseClick(tips->findChild<QPushButton*>(QStringLiteral("CloseBtn")), Qt::LeftButton);
  QVERIFY(!tips->isVisible());
  // The end of the run keeps the tips' choice.
  Finish();
  Start();
  QVERIFY(!Tips());
  QCOMPARE(registry->ReadBool(QStringLiteral("Tips of day")), std::optional<bool>(false));

  QVERIFY(registry->WriteBool(QStringLiteral("Tips of day"), true));
  Start();
  QVERIFY(Tips() && Tips()->isVisible());
  QTest::mouseClick(Tips()->findChild<QCheckBox*>(QStringLiteral("ShowTipsChk")), Qt::LeftButton);
  QTest::mouseClick(Tips()->findChild<QCheckBox*>(QStringLiteral("ShowTipsChk")), Qt::LeftButton);
  QCOMPARE(registry->ReadBool(QStringLiteral("Tips of day")), std::optional<bool>(true));
}

void tst_uMainSettings::settingsSavedAtTheEndComeBackAtTheNextStart() {
  Start();
  DictionaryMode = 0;
  ChatMode = 0;
  TashdidMode = 0;
  PrefixMode = 1;
  SameAttributes = true;
  EnglishStyle = esUnderline;
  EnglishUnderlineType = utWave;
  EnglishAnimationType = 2;
  EnglishBackColor = 0x00FF00;
  SetOutputSize(18);
  form->SetFarsiFontColor(0x0000FF);
  const QString face = form->FarsiFont().family();
  Finish();
  QCOMPARE(
      Stored(*registry).mid(1),
      QStringList({"Trans.Dictionary Mode=0", "Trans.Chat Mode=0", "Trans.Tashdid Mode=0",
                   "Trans.Prefix Mode=1", "Same Attributes=1", "English_Romanesh.Style=2",
                   "English_Romanesh.UnderLineType=5", "English_Romanesh.AnimationType=2",
                   "English_Romanesh.Background Color=65280", "Trans.Smart Spelling=0",
                   "Trans.Modern Orthography=0", "Correct and Add=1", ".Font Name=\"" + face + '"',
                   ".Font Size=18", ".Font Color=255", "Copy Entire Mode=0"}));

  // A new run from the defaults gets them all back.
  NewProcess();
  Start();
  QVERIFY(boxes->Shown.empty());
  QVERIFY(!DictionaryMode && !ChatMode && !TashdidMode && PrefixMode && SameAttributes);
  QCOMPARE(EnglishStyle, uint8_t(esUnderline));
  QCOMPARE(EnglishUnderlineType, uint8_t(utWave));
  QCOMPARE(EnglishAnimationType, uint8_t(2));
  QCOMPARE(EnglishBackColor, 0x00FF00u);
  QCOMPARE(Output()->font().family(), face);
  QCOMPARE(Output()->font().pointSize(), 18);
  QCOMPARE(Output()->palette().color(QPalette::Text), QColor(Qt::red));
  QCOMPARE(form->FarsiFontColor(), 0x0000FFu);

  // The dictionary menu's check mark and the copy-all button's mode come back too.
  form->SetCorrectAndAdd(false);
  QVERIFY(form->SetCopyEntireMode(2));
  const QString copyCaption = form->findChild<QToolButton*>(QStringLiteral("ArrowButton"))->text();
  Finish();
  NewProcess();
  Start();
  QVERIFY(!form->CorrectAndAdd());
  QCOMPARE(form->CopyEntireMode(), 2);
  QCOMPARE(form->findChild<QToolButton*>(QStringLiteral("ArrowButton"))->text(), copyCaption);
}

void tst_uMainSettings::aDeletedValueLeavesItAndTheLaterOnesAsTheyWere() {
  Start();
  EnglishStyle = esItalic;
  EnglishBackColor = 0x123456;
  PrefixMode = 1;
  SetOutputSize(20);
  Finish();
  QVERIFY(registry->DeleteValue(QStringLiteral("same attributes")));

  NewProcess();
  SameAttributes = true;  // as the run left it, not as stored
  Start();
  const int defaultSize = Output()->font().pointSize();
  QVERIFY(defaultSize != 20);
  QVERIFY(PrefixMode);  // before the gap
  QVERIFY(SameAttributes);
  QCOMPARE(EnglishStyle, uint8_t(esBold));
  QCOMPARE(EnglishBackColor, 0xFF0000u);

  // The end of the run writes every value again, with what the run had.
  Finish();
  const QStringList stored = Stored(*registry);
  QCOMPARE(stored.size(), qsizetype(17));
  QVERIFY(stored.contains(QStringLiteral("Same Attributes=1")));
  QVERIFY(stored.contains(QStringLiteral("English_Romanesh.Style=0")));
  QVERIFY(stored.contains(".Font Size=" + QString::number(defaultSize)));
}

void tst_uMainSettings::theSmartOptionsComeBackAndAnOlderFileLosesNothing() {
  Start();
  SmartSpelling = 1;
  ModernOrthography = 1;
  Finish();
  NewProcess();
  Start();
  QVERIFY(SmartSpelling && ModernOrthography);
  ModernOrthography = 0;
  Finish();
  NewProcess();
  Start();
  QVERIFY(SmartSpelling && !ModernOrthography);

  // A file of a version without the two options: every value it holds is read, and the two
  // keep their defaults until the end of the run writes them.
  SetOutputSize(17);
  form->SetCopyEntireMode(3);
  Finish();
  QVERIFY(registry->DeleteValue(QStringLiteral("Trans.Smart Spelling")));
  QVERIFY(registry->DeleteValue(QStringLiteral("Trans.Modern Orthography")));
  NewProcess();
  Start();
  QVERIFY(!SmartSpelling && !ModernOrthography);
  QCOMPARE(Output()->font().pointSize(), 17);
  QCOMPARE(form->CopyEntireMode(), 3);
  QVERIFY(!registry->ValueExists(QStringLiteral("Trans.Smart Spelling")));
  Finish();
  QCOMPARE(registry->ReadBool(QStringLiteral("Trans.Smart Spelling")), std::optional<bool>(false));
}

void tst_uMainSettings::storedValuesNoPaneCanTakeAreNotApplied() {
  Start();
  Finish();
  const int size = Registry().ReadInteger(QStringLiteral(".Font Size")).value_or(0);
  for (uint32_t badSize : {0u, 5000u, 0xFFFFFFFFu}) {
    QVERIFY(registry->WriteInteger(QStringLiteral(".Font Size"), badSize));
    QVERIFY(registry->WriteString(QStringLiteral(".Font Name"), QString()));
    QVERIFY(registry->WriteInteger(QStringLiteral(".Font Color"), 0x00FF00));
    Start();
    QCOMPARE(Output()->font().pointSize(), size);
    QVERIFY(!Output()->font().family().isEmpty());
    // The reading went on past the refused size.
    QCOMPARE(form->FarsiFontColor(), 0x00FF00u);
    Finish();
  }
  // A colour that is no plain colour means the pane's own.
  QVERIFY(registry->WriteInteger(QStringLiteral(".Font Color"), 0x7F123456));
  Start();
  QCOMPARE(form->FarsiFontColor(), clWindowText);
  QCOMPARE(Output()->palette().color(QPalette::Text), form->palette().color(QPalette::Text));
}

void tst_uMainSettings::aDamagedFileNeverStopsTheStartAndIsWrittenCleanAgain() {
  // Cut short inside the key, with garbage: what was read counts, the rest keeps its default.
  QDir().mkpath(QFileInfo(registry->FileName()).absolutePath());
  QFile file(registry->FileName());
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(
      "Windows Registry Editor Version 5.00\n\n"
      "[HKEY_CURRENT_USER\\Software\\Quorvel Software Company\\Zefra]\n"
      "\"Version\"=\"0.3.4a beta\"\n"
      "\"Trans.Dictionary Mode\"=dword:00000000\n"
      "\xff\xfe\x01 ] [ \"\"\"=\n"
      "\"Trans.Chat Mode\"=\"0\"\n"
      "\"Trans.Tashdid Mode\"=dword:0000");
  file.close();
  const QString backup = registry->FileName() + QStringLiteral(".bak");
  Start();
  // Said once, with the copy named; the file Zefra then writes holds nothing it would drop.
  QCOMPARE(boxes->Shown.size(), size_t(1));
  QCOMPARE(boxes->Shown[0].BoxType, MessageBoxes::Type::Warning);
  QVERIFY(boxes->Shown[0].Text.contains(u'"' + backup + u'"'));
  QVERIFY(QFile::exists(backup));
  QVERIFY(!DictionaryMode);
  QVERIFY(ChatMode);  // of the wrong type: the reading ends here
  const QString face = Output()->font().family();
  Finish();
  const QStringList expected =
      QStringList{"Version=\"0.3.4a beta\"", "Trans.Dictionary Mode=0"} + kEngineDefaults.mid(1) +
      QStringList{"Correct and Add=1", ".Font Name=\"" + face + '"', ".Font Size=11",
                  ".Font Color=" + QString::number(clWindowText), "Copy Entire Mode=0"};
  QCOMPARE(Stored(*registry), expected);

  NewProcess();
  Start();
  QVERIFY(boxes->Shown.empty());

  // Nothing readable at all: no welcome for a user who is not new, and a clean file after it.
  NewProcess();
  QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write(QByteArray(4096, '\0'));
  file.close();
  Start();
  QCOMPARE(boxes->Shown.size(), size_t(1));
  QCOMPARE(boxes->Shown[0].BoxType, MessageBoxes::Type::Warning);
  QCOMPARE(QFile(backup).size(), 4096);
  QCOMPARE(Stored(*registry), QStringList{"Version=\"0.3.4a beta\""} + kEngineDefaults);
}

void tst_uMainSettings::theWindowStartsWithCapsLockOffAndTheInputFaceInTheToolBar() {
  QWidget other;
  other.show();
  QTest::keyClick(&other, Qt::Key_CapsLock);
  QVERIFY(CapsLock::Current().IsOn());
  Start();
  QTRY_VERIFY(!CapsLock::Current().IsOn());

  auto* input = form->findChild<RichEdit*>(QStringLiteral("EnglishRichEdit"));
  const QFont inputFont = input->font();
  auto* faces = form->findChild<QFontComboBox*>(QStringLiteral("FontCombo"));
  auto* sizes = form->findChild<QComboBox*>(QStringLiteral("FontSizeCombo"));
  QCOMPARE(faces->currentText(), inputFont.family());
  QCOMPARE(sizes->currentText(), QString::number(inputFont.pointSize()));
  QCOMPARE(form->focusWidget(), static_cast<QWidget*>(input));
}

void tst_uMainSettings::closingTheWindowSavesTheDictionary() {
  Start();
  WholeWords->AddEntry("ketab", "ketaab");
  QFile::remove(dictionaryPath);
  Finish();
  QFile file(dictionaryPath);
  QVERIFY(file.open(QIODevice::ReadOnly));
  QVERIFY(file.readAll().contains("ketab=ketaab"));
}

void tst_uMainSettings::aDictionaryThatCannotBeSavedIsToldOnceWithTheReason() {
  FinishDictionaryModule();
  const QString gone = dir.filePath(QStringLiteral("gone/Zefra.txt"));
  StartDictionaryModule(QFile::encodeName(gone).toStdString(), reporter);
  Start();
  boxes->Shown.clear();
  WholeWords->AddEntry("ketab", "ketaab");
  form->SaveUserFiles(*registry);
  form->SaveUserFiles(*registry);
  QCOMPARE(boxes->Shown.size(), size_t(1));
  QCOMPARE(boxes->Shown[0].BoxType, MessageBoxes::Type::Error);
  QCOMPARE(boxes->Shown[0].Text, QStringLiteral("Zefra could not save \"%1\": %2.")
                                     .arg(gone, QString::fromLocal8Bit(std::strerror(ENOENT))));
  // The settings beside it were saved.
  QVERIFY(registry->ValueExists(QStringLiteral("Copy Entire Mode")));
}

void tst_uMainSettings::theWindowCannotBeMaximised() {
  Start();
  const QRect place = form->geometry();
  for (const Qt::WindowState larger : {Qt::WindowMaximized, Qt::WindowFullScreen}) {
    form->setWindowState(larger);
    QTRY_COMPARE(form->geometry(), place);
    QCOMPARE(form->windowState(), Qt::WindowNoState);
  }
}

QTEST_MAIN(tst_uMainSettings)
#include "tst_uMainSettings.moc"
