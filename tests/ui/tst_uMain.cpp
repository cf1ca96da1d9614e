#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextList>
#include <QToolButton>
#include <QtTest>
#include <functional>
#include <memory>
#include <random>

#include "CapsLock.h"
#include "CodePage.h"
#include "Dictionary.h"
#include "MessageBoxes.h"
#include "MyStaticText.h"
#include "trans.h"
#include "uMain.h"

namespace {

// With an empty dictionary the letter rules alone decide.
const std::u16string kSalam = u"\u0633\u0644\u0645";         // SEEN LAM MEEM
const std::u16string kKhoobi = u"\u062E\u0648\u0628\u06CC";  // KHAH WAW BEH FARSI YEH
const std::u16string kSalamKhoobi = kSalam + u" " + kKhoobi + u"\u061F";

class TSilentReporter : public TDictionaryReporter {
 public:
  void Warning(const std::string&) override {}
  void Error(const std::string&) override {}
};

QString Q(const std::u16string& text) {
  return QString::fromStdU16String(text);
}

// What the output must show for the input as it stands, unformatted: each line converted on
// its own, an empty result read as an empty line.
QStringList ExpectedOutput(const RichEdit& input) {
  QStringList lines;
  for (const std::u16string& line : input.Lines()) {
    const std::u16string converted = ConvertText(CodePage::ToUnicode(CodePage::FromUnicode(line)));
    lines << (converted.empty() ? QStringLiteral("\r") : Q(converted));
  }
  return lines;
}

QStringList Shown(const RichEdit& output) {
  QStringList lines;
  for (const std::u16string& line : output.Lines()) lines << Q(line);
  return lines;
}

// Nothing follows the pane's last line: an empty paragraph at the end only where an empty last
// line needs one, else copies and saves carry a blank line.
bool EndsAfterItsLastLine(const RichEdit& pane) {
  const QTextBlock last = pane.document()->lastBlock();
  return last.length() > 1 || !last.previous().isValid() || last.previous().length() == 1;
}

uint32_t EnvironmentNumber(const char* name, uint32_t fallback) {
  bool ok = false;
  const uint32_t value = qEnvironmentVariable(name).toUInt(&ok);
  return ok ? value : fallback;
}

}  // namespace

class tst_uMain : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void init();
  void cleanup();

  void windowHasTheDesignedControls();
  void typingShowsThePersianLine();
  void onlyTheChangedLineIsConvertedAndTheOutputScrollsToIt();
  void aChangeBeforeTheOutputsEndPutsTheCaretAtColumnZero();
  void bigWindowKeepsTheFocusInTheOutput();
  void deletingEverythingClearsTheOutput();
  void deletingTheLastLinesDeletesTheirOutputLines();
  void reloadingAShorterTextLeavesNoStaleOutput();
  void anEmptyParagraphAppendedAtTheEndGivesAnEmptyOutputLine();
  void undoingToTheOriginalTextStillConverts();
  void englishStyledLastWordStaysLatinWithOneMarker();
  void englishMarkingFollowsTheChosenStyle();
  void twoSpacesStartAPieceOfTheirOwn();
  void sameAttributesSwapsAlignmentAndKeepsBullets();
  void withoutSameAttributesNoFormatReachesTheOutput();
  void aChangeOfEnglishMarkingAloneReachesTheOutput();
  void theSelectionOutlastsTheConversion();
  void loadingSuppressesConversion();
  void aTextLongerThan65535CharactersConvertsTheRightLine();
  void editsNearTheLastLineKeepEveryOutputLine();
  void randomEditingKeepsEveryOutputLineInStep();
  void shiftEnterStartsANewLine();
  void ctrlYRedoes();
  void everyCaptionFitsItsControl();

  void capsLockSwitchesBetweenRomaneshAndEnglishWords();
  void capsLockWithTheBackgroundColourStyle();
  void lineKeepingKeysConvertOnlyTheChangedLines();
  void keyboardPastesAreLowerCasedWithTheirFormats();
  void boldChosenWithNothingSelectedSurvivesTheConversion();
  void theToolBarFollowsTheCaret();
  void theNextLetterKeepsItsFormatThroughTheConversion();
  void ctrlBIAndUPressTheStyleButtons();
  void alignmentButtonsReachTheOutput();
  void rightAndDoubleClicksLeadFromOutputWordsToInputWords();
  void typingIntoTheBigWindowEditsTheHiddenInput();
  void transparencyAndStayOnTop();
  void thePersianLayoutTypesPersianLetters();

 private:
  void Type(const QString& text) { QTest::keyClicks(in, text); }
  void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(in, key, modifiers);
  }
  void Paste(const QString& text) {
    QGuiApplication::clipboard()->setText(text);
    Key(Qt::Key_V, Qt::ControlModifier);
  }
  // Types each step, or presses the key it names ("Enter", "Ctrl+Z"), or pastes "paste:text".
  void Play(const QStringList& steps);
  void RandomEdit(std::mt19937& random);
  void ShowAndFocusInput() {
    form->show();
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
    in->setFocus();
  }
  QToolButton* Button(const char* name) const {
    return form->findChild<QToolButton*>(QLatin1String(name));
  }
  void PressCapsLock(Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(in, Qt::Key_CapsLock, modifiers);
    // The window's own press to switch Caps Lock off again arrives through the event queue.
    QCoreApplication::processEvents();
  }
  void Insert(const QString& text) { in->textCursor().insertText(text); }
  std::u16string Out(int line) const { return out->Line(line); }

  QTemporaryDir dir;
  TSilentReporter reporter;
  MessageBoxes::InProcessService* boxes = nullptr;
  std::unique_ptr<TMainForm> form;
  RichEdit* in = nullptr;
  RichEdit* out = nullptr;
};

void tst_uMain::initTestCase() {
  QVERIFY(dir.isValid());
  const QString path = dir.filePath(QStringLiteral("Zefra.txt"));
  QFile empty(path);
  QVERIFY(empty.open(QIODevice::WriteOnly));
  empty.close();
  StartDictionaryModule(QFile::encodeName(path).toStdString(), reporter);
  InitializeEngine();
}

void tst_uMain::init() {
  SameAttributes = false;
  EnglishStyle = esBold;
  EnglishUnderlineType = utDotted;
  EnglishBackColor = 0xFF0000;
  EnglishAnimationType = 5;
  auto service = std::make_unique<MessageBoxes::InProcessService>();
  boxes = service.get();
  MessageBoxes::Install(std::move(service));
  form = std::make_unique<TMainForm>();
  in = form->findChild<RichEdit*>(QStringLiteral("EnglishRichEdit"));
  out = form->findChild<RichEdit*>(QStringLiteral("FarsiRichEdit"));
  QVERIFY(in && out);
}

void tst_uMain::cleanup() {
  form.reset();
}

void tst_uMain::windowHasTheDesignedControls() {
  QCOMPARE(form->windowTitle(), QStringLiteral("Advanced Romanesh to Farsi Translator"));
  QCOMPARE(form->size(), QSize(669, 585));
  QCOMPARE(form->minimumSize(), form->maximumSize());
  QVERIFY(!(form->windowFlags() & Qt::WindowMaximizeButtonHint));
  QVERIFY(form->windowFlags() & Qt::WindowMinimizeButtonHint);
  QVERIFY(boxes->Shown.empty());

  QCOMPARE(in->geometry(), QRect(17, 52, 630, 190));
  QCOMPARE(out->geometry(), QRect(17, 261, 630, 190));
  QVERIFY(out->isReadOnly());
  QCOMPARE(out->layoutDirection(), Qt::RightToLeft);
  QCOMPARE(out->font().pointSize(), 11);
  QVERIFY(
      QStringList({"Tahoma", "Noto Sans Arabic", "Noto Naskh Arabic", "Vazirmatn", "DejaVu Sans"})
          .contains(out->font().family()));
  QCOMPARE(in->lineWrapMode(), QTextEdit::NoWrap);
  QVERIFY(FarsiEnabled);

  auto* romanesh = form->findChild<TMyStaticText*>(QStringLiteral("l_romanesh"));
  auto* farsi = form->findChild<TMyStaticText*>(QStringLiteral("l_farsi"));
  QVERIFY(romanesh && farsi);
  QCOMPARE(romanesh->toPlainText(), QStringLiteral(u"رومانش را اینجا بنویسید"));
  QCOMPARE(farsi->toPlainText(), QStringLiteral(u"فارسی را اینجا بخوانید"));
  QCOMPARE(romanesh->geometry(), QRect(207, 1, 208, 23));
  QVERIFY(!romanesh->isEnabled());
  QCOMPARE(romanesh->palette().color(QPalette::Disabled, QPalette::Text), QColor(Qt::black));

  const auto button = [this](const char* name) {
    return form->findChild<QPushButton*>(QLatin1String(name));
  };
  QCOMPARE(button("btnSettings")->text(), QStringLiteral("Settings"));
  QCOMPARE(button("btnRomaneshRoles")->text(), QStringLiteral("Romanesh Rules"));
  QCOMPARE(button("btnAbout")->geometry(), QRect(207, 551, 87, 27));
  QCOMPARE(form->findChild<QCheckBox*>(QStringLiteral("OneWindow"))->text(),
           QStringLiteral("Big Window"));
  QCOMPARE(form->findChild<QCheckBox*>(QStringLiteral("StayonTopCheckBox"))->pos(),
           QPoint(17, 457));
  QCOMPARE(form->findChild<QLabel*>(QStringLiteral("Label2"))->text(),
           QStringLiteral(" Window Transparency"));
  auto* slider = form->findChild<QSlider*>(QStringLiteral("TransparencyTrackBar"));
  QCOMPARE(slider->geometry(), QRect(549, 560, 113, 18));
  QCOMPARE(slider->minimum(), 40);
  QCOMPARE(slider->maximum(), 255);
  QCOMPARE(slider->value(), 255);
  QCOMPARE(slider->pageStep(), 15);
}

void tst_uMain::typingShowsThePersianLine() {
  Type(QStringLiteral("salam khoobi?"));
  QCOMPARE(out->LineCount(), 1);
  QCOMPARE(Q(Out(0)), Q(kSalamKhoobi));
  QCOMPARE(in->CaretPos(), 13);
}

void tst_uMain::onlyTheChangedLineIsConvertedAndTheOutputScrollsToIt() {
  for (int i = 0; i < 10; ++i)
    Insert(i ? QStringLiteral("\nsalam salam salam") : "salam salam salam");
  QCOMPARE(out->LineCount(), 10);
  // Lines that are converted again lose these marks.
  for (int i : {2, 4, 9}) out->ReplaceLine(i, u"mark");

  in->SetCaret(in->LineIndex(3) + in->LineLength(3));
  Type(QStringLiteral("?"));
  const std::u16string converted = kSalam + u" " + kSalam + u" " + kSalam + u"\u061F";
  QCOMPARE(Q(Out(3)), Q(converted));
  for (int i : {2, 4, 9}) QCOMPARE(Q(Out(i)), QStringLiteral("mark"));
  QCOMPARE(out->LineCount(), 10);
  // Nothing of the old line's end survives, so the caret goes 10 before the output line's end.
  QCOMPARE(out->CaretPos(), out->LineIndex(3) + int(converted.size()) - 10);
  QCOMPARE(in->CaretPos(), in->LineIndex(3) + 18);
}

void tst_uMain::aChangeBeforeTheOutputsEndPutsTheCaretAtColumnZero() {
  Insert(QStringLiteral("salam\nsalam khoobi salam khoobi salam khoobi"));
  out->SetCaret(0);
  // The unchanged input tail is longer than the whole output line.
  in->SetCaret(in->LineIndex(1) + 5);
  Type(QStringLiteral("?"));
  QCOMPARE(out->CaretPos(), out->LineIndex(1));
}

void tst_uMain::bigWindowKeepsTheFocusInTheOutput() {
  form->show();
  QVERIFY(QTest::qWaitForWindowActive(form.get()));
  in->setFocus();
  form->findChild<QCheckBox*>(QStringLiteral("OneWindow"))->setChecked(true);
  Insert(QStringLiteral("salam\nkhoobi"));
  QCOMPARE(out->CaretPos(), out->TextLength() - 1);
  QVERIFY(out->hasFocus());

  form->findChild<QCheckBox*>(QStringLiteral("OneWindow"))->setChecked(false);
  in->setFocus();
  Type(QStringLiteral("?"));
  QVERIFY(in->hasFocus());
}

void tst_uMain::deletingEverythingClearsTheOutput() {
  Insert(QStringLiteral("salam\nkhoobi\n"));
  QCOMPARE(out->LineCount(), 2);
  in->selectAll();
  QTest::keyClick(in, Qt::Key_Delete);
  QCOMPARE(out->LineCount(), 0);
  QCOMPARE(out->toPlainText(), QString());
}

void tst_uMain::deletingTheLastLinesDeletesTheirOutputLines() {
  Insert(QStringLiteral("salam\nkhoobi?\nsalam\nkhoobi"));
  QCOMPARE(out->LineCount(), 4);
  in->SetSel(in->LineIndex(1) + in->LineLength(1), in->TextLength());
  QTest::keyClick(in, Qt::Key_Backspace);
  QCOMPARE(out->LineCount(), 2);
  QCOMPARE(out->Lines(), std::vector<std::u16string>({kSalam, kKhoobi + u"\u061F"}));
}

void tst_uMain::reloadingAShorterTextLeavesNoStaleOutput() {
  Insert(QStringLiteral("salam\nsalam\nsalam\nsalam\nsalam"));
  QCOMPARE(out->LineCount(), 5);
  form->Loading = true;
  in->setPlainText(QStringLiteral("khoobi\nkhoobi"));
  QCOMPARE(out->LineCount(), 5);
  form->Loading = false;
  form->ReconvertAll();
  QCOMPARE(out->Lines(), std::vector<std::u16string>({kKhoobi, kKhoobi}));
}

void tst_uMain::anEmptyParagraphAppendedAtTheEndGivesAnEmptyOutputLine() {
  Type(QStringLiteral("salam"));
  QTest::keyClick(in, Qt::Key_Return);
  QTest::keyClick(in, Qt::Key_Return);
  QCOMPARE(in->LineCount(), 2);
  QCOMPARE(out->LineCount(), 2);
  QCOMPARE(Q(Out(1)), QStringLiteral("\r"));
  Type(QStringLiteral("khoobi"));
  QCOMPARE(out->LineCount(), 3);
  QCOMPARE(out->toPlainText(), Q(kSalam + u"\n\n" + kKhoobi));
}

void tst_uMain::undoingToTheOriginalTextStillConverts() {
  Type(QStringLiteral("salam"));
  QCOMPARE(Q(Out(0)), Q(kSalam));
  while (in->document()->isUndoAvailable()) in->undo();
  QCOMPARE(in->toPlainText(), QString());
  QCOMPARE(out->toPlainText(), QString());
  // Back at the original text Qt counts the document unmodified; the pane's flag stays set.
  QVERIFY(!in->document()->isModified());
  QVERIFY(in->Modified());
  in->redo();
  QCOMPARE(Q(Out(0)), Q(kSalam));
}

void tst_uMain::englishStyledLastWordStaysLatinWithOneMarker() {
  Type(QStringLiteral("salam "));
  in->setFontWeight(QFont::Bold);
  Type(QStringLiteral("John"));
  QCOMPARE(Q(Out(0)), Q(kSalam + u" John"));

  in->setFontWeight(QFont::Normal);
  Type(QStringLiteral(" khoobi"));
  QCOMPARE(Q(Out(0)), Q(kSalam + u" John " + kKhoobi));
}

void tst_uMain::englishMarkingFollowsTheChosenStyle() {
  struct Case {
    uint8_t Style;
    TCharFormat Format;
    unsigned Fields;
    bool English;
  };
  TCharFormat bold, italic, dotted, single, blue, red, animated;
  bold.Style = fsBold;
  italic.Style = fsItalic;
  dotted.Style = single.Style = fsUnderline;
  dotted.UnderlineType = utDotted;
  single.UnderlineType = utSingle;
  blue.BackColor = 0xFF0000;
  red.BackColor = 0x0000FF;
  animated.Animation = 5;
  const unsigned underline = TCharFormat::fStyle | TCharFormat::fUnderlineType;
  const Case cases[] = {
      {esBold, bold, TCharFormat::fStyle, true},
      {esBold, italic, TCharFormat::fStyle, false},
      {esItalic, italic, TCharFormat::fStyle, true},
      {esUnderline, dotted, underline, true},
      {esUnderline, single, underline, false},
      {esBackColor, blue, TCharFormat::fBackColor, true},
      {esBackColor, red, TCharFormat::fBackColor, false},
      {esAnimation, animated, TCharFormat::fAnimation, true},
      {esAnimation, bold, TCharFormat::fStyle, false},
      {7, bold, TCharFormat::fStyle, false},
  };
  for (const Case& c : cases) {
    in->clear();
    EnglishStyle = c.Style;
    Type(QStringLiteral("salam "));
    in->SetSelAttributes(c.Format, c.Fields);
    Type(QStringLiteral("bye"));
    QVERIFY(IsEnglishStyled(*in) == c.English);
    QCOMPARE(Q(Out(0)), c.English ? Q(kSalam + u" bye") : Q(kSalam + u" " + ConvertText(u"bye")));
  }
}

void tst_uMain::twoSpacesStartAPieceOfTheirOwn() {
  SameAttributes = true;
  Type(QStringLiteral("salam  "));
  TCharFormat english;
  english.Style = fsBold;
  english.Color = 0x0000FF;
  english.Size = 14;
  in->SetSelAttributes(english, TCharFormat::fStyle | TCharFormat::fColor | TCharFormat::fSize);
  Type(QStringLiteral("John"));

  QCOMPARE(Q(Out(0)), Q(kSalam + u"  John"));
  const TCharFormat plain = out->FormatAt(1);
  const TCharFormat john = out->FormatAt(6);
  QCOMPARE(john.Color, 0x0000FFu);
  QCOMPARE(john.Size, 14);
  QCOMPARE(john.Style, uint8_t(0));
  QCOMPARE(plain.Color, clWindowText);
  QCOMPARE(plain.Size, 11);
  // The second space is a piece of its own and carries its own (plain) format.
  QCOMPARE(out->FormatAt(5).Size, 11);
}

void tst_uMain::sameAttributesSwapsAlignmentAndKeepsBullets() {
  SameAttributes = true;
  Insert(QStringLiteral("salam\nsalam\nsalam\nsalam"));
  TParaFormat format;
  const unsigned all = TParaFormat::fAlignment | TParaFormat::fIndents | TParaFormat::fNumbering;
  format.Alignment = paLeft;
  in->SetParagraphAt(in->LineIndex(0), format, all);
  format.Alignment = paRight;
  format.FirstIndent = 12;
  in->SetParagraphAt(in->LineIndex(1), format, all);
  format = {};
  format.Alignment = paCenter;
  in->SetParagraphAt(in->LineIndex(2), format, all);
  format.Alignment = paLeft;
  format.Numbering = nsBullet;
  in->SetParagraphAt(in->LineIndex(3), format, all);
  form->ReconvertAll();

  QCOMPARE(out->LineCount(), 4);
  QCOMPARE(out->ParagraphAt(out->LineIndex(0)).Alignment, uint8_t(paRight));
  QCOMPARE(out->ParagraphAt(out->LineIndex(1)).Alignment, uint8_t(paLeft));
  QCOMPARE(out->ParagraphAt(out->LineIndex(1)).FirstIndent, 12.0);
  QCOMPARE(out->ParagraphAt(out->LineIndex(2)).Alignment, uint8_t(paCenter));
  QCOMPARE(out->ParagraphAt(out->LineIndex(3)).Numbering, uint8_t(nsBullet));
  QCOMPARE(out->ParagraphAt(out->LineIndex(0)).Numbering, uint8_t(nsNone));
  QCOMPARE(Q(Out(3)), Q(kSalam));
}

void tst_uMain::withoutSameAttributesNoFormatReachesTheOutput() {
  TCharFormat loud;
  loud.Style = fsItalic | fsUnderline;
  loud.Color = 0x0000FF;
  loud.Size = 20;
  in->SetSelAttributes(loud, TCharFormat::fStyle | TCharFormat::fColor | TCharFormat::fSize);
  Type(QStringLiteral("salam"));
  TParaFormat right;
  right.Alignment = paRight;
  in->SetParagraphAt(0, right, TParaFormat::fAlignment);
  form->ReconvertAll();
  QCOMPARE(Q(Out(0)), Q(kSalam));
  const TCharFormat format = out->FormatAt(1);
  QCOMPARE(format.Style, uint8_t(0));
  QCOMPARE(format.Color, clWindowText);
  QCOMPARE(format.Size, 11);
  QVERIFY(!out->document()->begin().blockFormat().hasProperty(QTextFormat::BlockAlignment));
}

void tst_uMain::aChangeOfEnglishMarkingAloneReachesTheOutput() {
  Insert(QStringLiteral("salam\nsalam\nsalam"));
  out->ReplaceLine(0, u"mark");
  in->SetSel(in->LineIndex(1), 5);
  in->setFontWeight(QFont::Bold);
  QCOMPARE(Q(Out(1)), QStringLiteral("salam"));
  QCOMPARE(Q(Out(0)), QStringLiteral("mark"));
  QCOMPARE(Q(Out(2)), Q(kSalam));
  // Undone and redone, the format alone changes the output again.
  in->undo();
  QCOMPARE(Q(Out(1)), Q(kSalam));
  in->redo();
  QCOMPARE(Q(Out(1)), QStringLiteral("salam"));
  QCOMPARE(Q(Out(0)), QStringLiteral("mark"));
}

void tst_uMain::theSelectionOutlastsTheConversion() {
  ShowAndFocusInput();
  // Text without a language of its own, as a loaded file has it.
  Insert(QStringLiteral("salam khoobi"));
  in->SetSel(6, 6);
  QTest::mouseClick(Button("BoldToolBtn"), Qt::LeftButton);
  QTest::mouseClick(Button("ItalicToolBtn"), Qt::LeftButton);
  QCOMPARE(in->FormatAt(8).Style, uint8_t(fsBold | fsItalic));
  in->setFocus();
  Type("man");
  QCOMPARE(in->toPlainText(), QStringLiteral("salam man"));
}

void tst_uMain::loadingSuppressesConversion() {
  form->Loading = true;
  Type(QStringLiteral("salam"));
  QCOMPARE(out->toPlainText(), QString());
  form->Loading = false;
  form->ReconvertAll();
  QCOMPARE(Q(Out(0)), Q(kSalam));
}

void tst_uMain::aTextLongerThan65535CharactersConvertsTheRightLine() {
  QString text;
  const QString line = QStringLiteral("salam khoobi salam khoobi salam");
  for (int i = 0; i < 2200; ++i) text += (i ? QStringLiteral("\n") : QString()) + line;
  QVERIFY(text.size() > 65535);
  Insert(text);
  QCOMPARE(out->LineCount(), 2200);
  for (int i : {2099, 2100, 2101}) out->ReplaceLine(i, u"mark");

  const int caret = in->LineIndex(2100) + line.size();
  QVERIFY(caret > 65535);
  in->SetCaret(caret);
  Type(QStringLiteral("?"));
  QCOMPARE(Q(Out(2100)),
           Q(kSalam + u" " + kKhoobi + u" " + kSalam + u" " + kKhoobi + u" " + kSalam + u"\u061F"));
  QCOMPARE(Q(Out(2099)), QStringLiteral("mark"));
  QCOMPARE(Q(Out(2101)), QStringLiteral("mark"));
  QCOMPARE(in->CaretPos(), caret + 1);
  QCOMPARE(out->LineFromChar(out->CaretPos()), 2100);

  // One line longer than any 16-bit or 8,192-character buffer.
  in->SetCaret(in->TextLength());
  Insert(QStringLiteral("\n") + QStringLiteral("ba ").repeated(3000) + QStringLiteral("salam"));
  QCOMPARE(out->LineCount(), 2201);
  const std::u16string longLine = Out(2200);
  QCOMPARE(std::count(longLine.begin(), longLine.end(), u' '), 3000);
  QVERIFY(longLine.ends_with(u" " + kSalam));
}

void tst_uMain::Play(const QStringList& steps) {
  static const QHash<QString, std::pair<Qt::Key, Qt::KeyboardModifiers>> keys = {
      {"Enter", {Qt::Key_Return, Qt::NoModifier}},
      {"Home", {Qt::Key_Home, Qt::NoModifier}},
      {"End", {Qt::Key_End, Qt::NoModifier}},
      {"Up", {Qt::Key_Up, Qt::NoModifier}},
      {"Ctrl+Home", {Qt::Key_Home, Qt::ControlModifier}},
      {"Ctrl+End", {Qt::Key_End, Qt::ControlModifier}},
      {"Shift+Home", {Qt::Key_Home, Qt::ShiftModifier}},
      {"Ctrl+Z", {Qt::Key_Z, Qt::ControlModifier}},
  };
  for (const QString& step : steps) {
    if (keys.contains(step))
      Key(keys[step].first, keys[step].second);
    else if (step.startsWith(QLatin1String("paste:")))
      Paste(step.mid(6));
    else
      Type(step);
  }
}

void tst_uMain::editsNearTheLastLineKeepEveryOutputLine() {
  const std::pair<const char*, QStringList> runs[] = {
      {"Enter at the start of the only line", {"salam", "Home", "Enter", "Up", "aval"}},
      {"Enter after the first line of a text with a blank line before its last",
       {"salam", "Enter", "khoobi?", "Enter", "Enter", "khodahafez", "Ctrl+Home", "End", "Enter",
        "Ctrl+End", "e"}},
      {"Enter twice at the start of the last line",
       {"salam", "Enter", "khoobi", "Home", "Enter", "Enter"}},
      {"a bare line break pasted at the start of the last line",
       {"salam", "Home", "paste:\n", "x"}},
      {"the last line's text selected and replaced by Enter",
       {"salam", "Enter", "khoobi", "Shift+Home", "Enter", "man"}},
      {"one undo in a longer history",
       {"salam", "Enter", "khoobi", "Home", "Enter", "man", "Ctrl+Z", "Ctrl+Z"}},
  };
  for (const auto& [name, steps] : runs) {
    in->clear();
    Play(steps);
    QVERIFY2(in->LineCount() > 0, name);
    QVERIFY2(Shown(*out) == ExpectedOutput(*in),
             qPrintable(QStringLiteral("%1: %2 shown for %3")
                            .arg(QLatin1String(name), Shown(*out).join(u'|'), in->toPlainText())));
  }
}

void tst_uMain::RandomEdit(std::mt19937& random) {
  const auto pick = [&random](int n) { return int(random() % uint32_t(n)); };
  const auto randomText = [&](int maximum) {
    static const QString letters = QStringLiteral("aabdeeghiklmnoorsstuyz  `?,.");
    QString text;
    for (int n = pick(maximum) + 1; n > 0; --n) text += letters[pick(int(letters.size()))];
    return text;
  };
  // The caret where lines are made and joined: line starts, the last line, the very end.
  const auto placeCaret = [&] {
    const int lines = std::max(in->LineCount(), 1);
    switch (pick(4)) {
      case 0:
        in->SetCaret(in->LineIndex(pick(lines)));
        break;
      case 1:
        in->SetCaret(in->LineIndex(lines - 1));
        break;
      case 2:
        in->SetCaret(in->TextLength());
        break;
      default:
        in->SetCaret(pick(in->TextLength() + 1));
    }
  };
  const auto selectSomething = [&] {
    const int start = pick(in->TextLength() + 1);
    in->SetSel(start, pick(in->TextLength() - start + 1));
  };
  const auto selectAcrossLines = [&] {
    const int lines = in->LineCount();
    if (lines < 2) return selectSomething();
    const int first = pick(lines - 1);
    const int last = first + 1 + pick(lines - first - 1);
    const int start = in->LineIndex(first) + pick(in->LineLength(first) + 1);
    in->SetSel(start, in->LineIndex(last) + pick(in->LineLength(last) + 1) - start);
  };
  // Mostly none: the keys that make and join lines, now and then with a modifier.
  const auto someModifier = [&] {
    static const Qt::KeyboardModifier modifiers[] = {Qt::ControlModifier, Qt::AltModifier,
                                                     Qt::ShiftModifier, Qt::MetaModifier};
    return pick(3) ? Qt::NoModifier : modifiers[pick(4)];
  };
  static const QString pastes[] = {"\n",     "\nsalam", "salam\n", "\n\nman to\n",
                                   "a\r\nb", "\r\n",    "x\ry",    QStringLiteral(u"ab\u2028cd")};
  switch (pick(16)) {
    case 0:
    case 1:
    case 2:
      placeCaret();
      Type(randomText(8));
      break;
    case 3:
    case 4:
      placeCaret();
      Key(Qt::Key_Return, someModifier());
      break;
    case 5:
      placeCaret();
      Key(Qt::Key_Backspace, someModifier());
      break;
    case 6:
      placeCaret();
      Key(Qt::Key_Delete, someModifier());
      break;
    case 7:
      selectSomething();
      Type(randomText(4));
      break;
    case 8:
      selectSomething();
      Key(pick(2) ? Qt::Key_Return : Qt::Key_Delete);
      break;
    case 9:
      placeCaret();
      Paste(pastes[pick(int(std::size(pastes)))]);
      break;
    case 10:
      Key(Qt::Key_Z, Qt::ControlModifier);
      break;
    case 11:
      Key(pick(2) ? Qt::Key_Y : Qt::Key_Z,
          pick(2) ? Qt::ControlModifier : Qt::ControlModifier | Qt::ShiftModifier);
      break;
    case 12:
      placeCaret();
      Key(Qt::Key_Return, Qt::ShiftModifier);
      break;
    case 13:
      selectAcrossLines();
      Key(pick(2) ? Qt::Key_Backspace : Qt::Key_Delete);
      break;
    case 14:
      selectAcrossLines();
      if (pick(2))
        Type(randomText(4));
      else
        Paste(pastes[pick(int(std::size(pastes)))]);
      break;
    default:
      if (pick(4) == 0) {
        Key(Qt::Key_A, Qt::ControlModifier);
        Key(Qt::Key_Delete);
      } else {
        placeCaret();
        Type(randomText(3));
      }
  }
}

void tst_uMain::randomEditingKeepsEveryOutputLineInStep() {
  // ZEFRA_EDIT_SEED and ZEFRA_EDIT_STEPS run a longer or another sequence on request.
  const uint32_t seed = EnvironmentNumber("ZEFRA_EDIT_SEED", 2026);
  const uint32_t steps = EnvironmentNumber("ZEFRA_EDIT_STEPS", 2000);
  std::mt19937 random(seed);
  for (uint32_t step = 1; step <= steps; ++step) {
    RandomEdit(random);
    if (Shown(*out) != ExpectedOutput(*in) || !EndsAfterItsLastLine(*out))
      QFAIL(qPrintable(QStringLiteral("seed %1, step %2: input %3, output %4")
                           .arg(seed)
                           .arg(step)
                           .arg(in->toPlainText(), Shown(*out).join(u'|'))));
    // What the sender will compare against next time.
    QCOMPARE(form->PreviousOutputLines.size(), size_t(out->LineCount()));
  }
}

void tst_uMain::shiftEnterStartsANewLine() {
  Type("salam");
  Key(Qt::Key_Return, Qt::ShiftModifier);
  Type("khoobi");
  QCOMPARE(in->LineCount(), 2);
  QCOMPARE(Shown(*out), QStringList({Q(kSalam), Q(kKhoobi)}));

  Paste(QStringLiteral(u"\u2028salam"));
  QCOMPARE(in->LineCount(), 3);
  QCOMPARE(Shown(*out), QStringList({Q(kSalam), Q(kKhoobi), Q(kSalam)}));
  // The paste and its line break go in one undo step.
  Key(Qt::Key_Z, Qt::ControlModifier);
  QCOMPARE(in->toPlainText(), QStringLiteral("salam\nkhoobi"));
}

void tst_uMain::ctrlYRedoes() {
  Type("salam");
  Key(Qt::Key_Z, Qt::ControlModifier);
  QCOMPARE(out->LineCount(), 0);
  Key(Qt::Key_Y, Qt::ControlModifier);
  QCOMPARE(Shown(*out), QStringList({Q(kSalam)}));
  Key(Qt::Key_Z, Qt::ControlModifier);
  Key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  QCOMPARE(Shown(*out), QStringList({Q(kSalam)}));
}

void tst_uMain::everyCaptionFitsItsControl() {
  for (QPushButton* button : form->findChildren<QPushButton*>()) {
    const int margins = 2 * button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
    QVERIFY2(button->fontMetrics().horizontalAdvance(button->text()) + margins <= button->width(),
             qPrintable(button->text()));
  }
  for (QCheckBox* box : form->findChildren<QCheckBox*>())
    QVERIFY2(box->sizeHint().width() <= box->width(), qPrintable(box->text()));
  for (QLabel* label : form->findChildren<QLabel*>())
    QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->width(),
             qPrintable(label->text()));
}

void tst_uMain::capsLockSwitchesBetweenRomaneshAndEnglishWords() {
  ShowAndFocusInput();
  Type("salam ");
  PressCapsLock();
  QVERIFY(!CapsLock::Current().IsOn());
  Type("John");
  PressCapsLock();
  QVERIFY(!CapsLock::Current().IsOn());
  Type(" khoobi");
  QCOMPARE(Q(Out(0)), Q(kSalam + u" John " + kKhoobi));
  QVERIFY(in->FormatAt(8).Style & fsBold);
  QVERIFY(!(in->FormatAt(13).Style & fsBold));

  // Shift+Caps Lock is for real capitals: Caps Lock stays on and nothing is marked.
  PressCapsLock(Qt::ShiftModifier);
  QVERIFY(CapsLock::Current().IsOn());
  Type("x");
  QVERIFY(!(in->FormatAt(in->TextLength()).Style & fsBold));
  PressCapsLock(Qt::ShiftModifier);
  QVERIFY(!CapsLock::Current().IsOn());
}

void tst_uMain::capsLockWithTheBackgroundColourStyle() {
  EnglishStyle = esBackColor;
  ShowAndFocusInput();
  Type("salam ");
  PressCapsLock();
  Type("John");
  QCOMPARE(in->FormatAt(8).BackColor, EnglishBackColor);
  QCOMPARE(Q(Out(0)), Q(kSalam + u" John"));
  PressCapsLock();
  Type(" man");
  // No background of its own, so that a dark theme's pane does not show light text on white.
  QCOMPARE(in->FormatAt(in->TextLength()).BackColor, clWindow);
  QVERIFY(!IsEnglishStyled(in->FormatAt(in->TextLength())));
}

void tst_uMain::lineKeepingKeysConvertOnlyTheChangedLines() {
  Insert(QStringLiteral("salam\nsalam khoobi\nsalam\nkhoobi\nsalam"));
  // Lines that are converted again lose these marks.
  const auto mark = [this] {
    for (int i = 0; i < out->LineCount(); ++i) out->ReplaceLine(i, u"mark");
  };
  // Keys that change no text move no output line.
  mark();
  in->SetCaret(in->LineIndex(1) + 5);
  Key(Qt::Key_Return, Qt::ControlModifier);
  Key(Qt::Key_Return, Qt::AltModifier);
  in->SetCaret(in->LineIndex(1) + in->LineLength(1));
  Key(Qt::Key_Delete, Qt::ShiftModifier);
  QCOMPARE(Shown(*out), QStringList(5, QStringLiteral("mark")));

  in->SetCaret(in->LineIndex(1) + 5);
  Key(Qt::Key_Return);
  QCOMPARE(Shown(*out),
           QStringList({"mark", Q(kSalam), Q(u" " + kKhoobi), "mark", "mark", "mark"}));

  mark();
  in->SetCaret(in->LineIndex(4));
  Key(Qt::Key_Backspace);
  QCOMPARE(Shown(*out), QStringList({"mark", "mark", "mark", Q(kSalam + kKhoobi), "mark"}));

  mark();
  in->SetCaret(in->LineIndex(0) + in->LineLength(0));
  Key(Qt::Key_Delete);
  QCOMPARE(Shown(*out), QStringList({Q(kSalam + kSalam), "mark", "mark", "mark"}));
  QCOMPARE(Shown(*out).size(), in->LineCount());
}

void tst_uMain::keyboardPastesAreLowerCasedWithTheirFormats() {
  ShowAndFocusInput();
  auto* data = new QMimeData;
  data->setHtml(QStringLiteral("<b>SALAM</b> Khoobi"));
  data->setText(QStringLiteral("SALAM Khoobi"));
  QGuiApplication::clipboard()->setMimeData(data);
  Key(Qt::Key_V, Qt::ControlModifier);
  QCOMPARE(in->toPlainText(), QStringLiteral("salam khoobi"));
  // Converted as lower-cased, the bold word kept as English.
  QCOMPARE(Shown(*out), QStringList({Q(u"salam " + kKhoobi)}));
  QVERIFY(in->FormatAt(2).Style & fsBold);
  QVERIFY(!(in->FormatAt(8).Style & fsBold));
  // One undo takes back the paste with its lower-casing.
  Key(Qt::Key_Z, Qt::ControlModifier);
  QCOMPARE(in->toPlainText(), QString());

  Key(Qt::Key_Insert, Qt::ShiftModifier);
  QCOMPARE(in->toPlainText(), QStringLiteral("salam khoobi"));
  in->clear();
  QTest::mouseClick(Button("PasteToolBtn"), Qt::LeftButton);
  QCOMPARE(in->toPlainText(), QStringLiteral("SALAM Khoobi"));

  // Nothing to paste leaves the selected text as it was.
  in->selectAll();
  QGuiApplication::clipboard()->setImage(QImage(4, 4, QImage::Format_RGB32));
  Key(Qt::Key_V, Qt::ControlModifier);
  QGuiApplication::clipboard()->clear();
  Key(Qt::Key_V, Qt::ControlModifier);
  QCOMPARE(in->toPlainText(), QStringLiteral("SALAM Khoobi"));

  in->clear();
  // Plain text, on lines of its own, lower-cased likewise.
  QGuiApplication::clipboard()->setText(QStringLiteral("SALAM\nKhoobi"));
  Key(Qt::Key_V, Qt::ControlModifier);
  QCOMPARE(in->toPlainText(), QStringLiteral("salam\nkhoobi"));
  QCOMPARE(Shown(*out), QStringList({Q(kSalam), Q(kKhoobi)}));
  Key(Qt::Key_Z, Qt::ControlModifier);
  QCOMPARE(in->toPlainText(), QString());
}

void tst_uMain::boldChosenWithNothingSelectedSurvivesTheConversion() {
  ShowAndFocusInput();
  Type("salam ");
  QTest::mouseClick(Button("BoldToolBtn"), Qt::LeftButton);
  in->setFocus();
  // A conversion walks the caret over the line in between.
  form->ReconvertAll();
  Type("John");
  QVERIFY(in->FormatAt(8).Style & fsBold);
  QCOMPARE(in->FormatAt(8).BackColor, clWindow);
  QCOMPARE(Q(Out(0)), Q(kSalam + u" John"));
}

void tst_uMain::theToolBarFollowsTheCaret() {
  ShowAndFocusInput();
  Type("salam ");
  TCharFormat bold;
  bold.Style = fsBold;
  bold.Color = 0x0000FF;
  in->SetSelAttributes(bold, TCharFormat::fStyle | TCharFormat::fColor);
  Type("John");
  QVERIFY(Button("BoldToolBtn")->isChecked());
  QVERIFY(Button("EngFaToolBtn")->isChecked());
  QCOMPARE(form->findChild<QComboBox*>("ColorBox1")->currentText(), QStringLiteral("Red"));
  in->SetCaret(2);
  QVERIFY(!Button("BoldToolBtn")->isChecked());
  QVERIFY(!Button("EngFaToolBtn")->isChecked());
  QVERIFY(!Button("EngFarsiToolBtn")->isChecked());
  QCOMPARE(form->findChild<QComboBox*>("ColorBox1")->currentText(), QStringLiteral("Black"));
  QCOMPARE(form->findChild<QComboBox*>("FontSizeCombo")->count(), 22);
}

// Each key converts the line and puts the selection back: what the next letter is typed with,
// what the tool bar shows and where the caret stands must be as if no conversion had run.
void tst_uMain::theNextLetterKeepsItsFormatThroughTheConversion() {
  ShowAndFocusInput();
  const auto styleShown = [this] {
    return uint8_t((Button("BoldToolBtn")->isChecked() ? fsBold : 0) |
                   (Button("ItalicToolBtn")->isChecked() ? fsItalic : 0) |
                   (Button("UnderLineToolBtn")->isChecked() ? fsUnderline : 0));
  };
  const auto typedWith = [this](const char* letter) {
    Type(QLatin1String(letter));
    return in->FormatAt(in->CaretPos()).Style;
  };
  Type("sa");
  Key(Qt::Key_B, Qt::ControlModifier);  // chosen with nothing selected
  QCOMPARE(styleShown(), uint8_t(fsBold));
  QCOMPARE(typedWith("l"), uint8_t(fsBold));
  QCOMPARE(typedWith("a"), uint8_t(fsBold));  // after typing
  QCOMPARE(styleShown(), uint8_t(fsBold));
  Key(Qt::Key_Backspace);
  QCOMPARE(styleShown(), uint8_t(fsBold));
  QCOMPARE(typedWith("m"), uint8_t(fsBold));  // after Backspace over a bold letter
  for (int n = 0; n < 2; ++n) Key(Qt::Key_Backspace);
  QCOMPARE(in->CaretPos(), 2);
  QCOMPARE(styleShown(), uint8_t(0));
  QCOMPARE(typedWith("x"), uint8_t(0));  // after Backspace back to a plain letter
  Key(Qt::Key_I, Qt::ControlModifier);
  Key(Qt::Key_Delete);  // nothing after the caret: the text stays, the choice too
  QCOMPARE(styleShown(), uint8_t(fsItalic));
  QCOMPARE(typedWith("y"), uint8_t(fsItalic));
  Key(Qt::Key_Home, Qt::ShiftModifier);
  Key(Qt::Key_U, Qt::ControlModifier);  // on a selection
  QCOMPARE(in->SelLength(), 4);
  QCOMPARE(in->FormatAt(1).Style, uint8_t(fsUnderline));
  QCOMPARE(styleShown(), uint8_t(fsUnderline));
  Key(Qt::Key_End);
  QCOMPARE(styleShown(), uint8_t(fsUnderline));  // the style set replaced the italic
  QCOMPARE(typedWith("z"), uint8_t(fsUnderline));
  QCOMPARE(in->toPlainText(), QStringLiteral("saxyz"));
  QCOMPARE(in->CaretPos(), 5);
}

void tst_uMain::ctrlBIAndUPressTheStyleButtons() {
  ShowAndFocusInput();
  Type("salam ");
  Key(Qt::Key_B, Qt::ControlModifier);
  Key(Qt::Key_I, Qt::ControlModifier);
  Key(Qt::Key_U, Qt::ControlModifier);
  Type("John");
  QCOMPARE(in->FormatAt(8).Style, uint8_t(fsBold | fsItalic | fsUnderline));
  QCOMPARE(Q(Out(0)), Q(kSalam + u" John"));
  QVERIFY(Button("BoldToolBtn")->isChecked());
  Key(Qt::Key_B, Qt::ControlModifier);
  Type(" man");
  QCOMPARE(in->FormatAt(in->TextLength()).Style, uint8_t(fsItalic | fsUnderline));
}

void tst_uMain::alignmentButtonsReachTheOutput() {
  SameAttributes = true;
  ShowAndFocusInput();
  Type("salam");
  QTest::mouseClick(Button("RightToolBtn"), Qt::LeftButton);
  QVERIFY(Button("RightToolBtn")->isChecked());
  QCOMPARE(in->Paragraph().Alignment, uint8_t(paRight));
  // Mirrored in the right-to-left output.
  QCOMPARE(out->ParagraphAt(0).Alignment, uint8_t(paLeft));
  QTest::mouseClick(Button("CenterToolBtn"), Qt::LeftButton);
  QVERIFY(!Button("RightToolBtn")->isChecked());
  QCOMPARE(out->ParagraphAt(0).Alignment, uint8_t(paCenter));
}

void tst_uMain::rightAndDoubleClicksLeadFromOutputWordsToInputWords() {
  ShowAndFocusInput();
  // A FARSI YEH and an emoji, which the code page lacks, are words of their own.
  Insert(QStringLiteral(u"salam \u06CC \U0001F600 khoobi man"));
  const auto pointOf = [this](int pos) {
    QTextCursor cursor(out->document());
    cursor.setPosition(pos);
    return out->cursorRect(cursor).center();
  };
  auto* dictionaryMenu = form->findChild<QMenu*>(QStringLiteral("DicPopupMenu"));
  // The output word khoobi: the input caret goes into the same word.
  const int khoobi = int(kSalam.size()) + 8;
  QTest::mouseDClick(out->viewport(), Qt::LeftButton, {}, pointOf(khoobi));
  QVERIFY(in->hasFocus());
  // Before the word's last letter.
  QCOMPARE(in->CaretPos(), 16);

  QTest::mousePress(out->viewport(), Qt::RightButton, {}, pointOf(khoobi));
  QCOMPARE(in->CaretPos(), 12);
  dictionaryMenu->hide();

  // Inside a selection the copy menu opens instead.
  out->SetSel(0, out->TextLength());
  QTest::mousePress(out->viewport(), Qt::RightButton, {}, pointOf(khoobi));
  QVERIFY(form->findChild<QMenu*>(QStringLiteral("CopyPasteSelectedPopupMenu"))->isVisible());
}

void tst_uMain::typingIntoTheBigWindowEditsTheHiddenInput() {
  SameAttributes = true;
  ShowAndFocusInput();
  Type("salam");
  auto* big = form->findChild<QCheckBox*>(QStringLiteral("OneWindow"));
  const QRect outputPlace = out->geometry();
  big->setChecked(true);
  QVERIFY(!in->isVisible());
  QCOMPARE(out->geometry().top(), in->geometry().top());
  QCOMPARE(out->geometry().bottom(), outputPlace.bottom());
  QVERIFY(!SameAttributes);
  out->setFocus();
  QTest::keyClicks(out, QStringLiteral(" khoobi"));
  QTest::keyClick(out, Qt::Key_Backspace);
  QTest::keyClick(out, Qt::Key_Return);
  QTest::keyClicks(out, QStringLiteral("man"));
  QCOMPARE(in->toPlainText(), QStringLiteral("salam khoob\nman"));
  QCOMPARE(Shown(*out), ExpectedOutput(*in));
  QVERIFY(out->hasFocus());
  // Shortcuts act on the Persian the user sees, not on the hidden input.
  QTest::keyClick(out, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(out, Qt::Key_C, Qt::ControlModifier);
  QCOMPARE(QGuiApplication::clipboard()->text(), out->toPlainText());
  QTest::keyClicks(out, QStringLiteral("i"));
  QCOMPARE(in->toPlainText(), QStringLiteral("salam khoob\nmani"));

  big->setChecked(false);
  QVERIFY(in->isVisible());
  QCOMPARE(out->geometry(), outputPlace);
}

void tst_uMain::transparencyAndStayOnTop() {
  form->show();
  auto* slider = form->findChild<QSlider*>(QStringLiteral("TransparencyTrackBar"));
  slider->setValue(40);
  QCOMPARE(form->windowOpacity(), 40 / 255.0);
  slider->setValue(255);
  QCOMPARE(form->windowOpacity(), 1.0);
  const QPoint place = form->pos();
  form->findChild<QCheckBox*>(QStringLiteral("StayonTopCheckBox"))->setChecked(true);
  QVERIFY(form->windowFlags() & Qt::WindowStaysOnTopHint);
  QVERIFY(form->isVisible());
  QCOMPARE(form->pos(), place);
}

void tst_uMain::thePersianLayoutTypesPersianLetters() {
  ShowAndFocusInput();
  QTest::mouseClick(Button("EngFarsiToolBtn"), Qt::LeftButton);
  QVERIFY(Button("EngFarsiToolBtn")->isChecked());
  in->setFocus();
  // The keys s, l, a, m and d in the Persian layout.
  Type("sdghl");
  const QString typed = in->toPlainText();
  QCOMPARE(typed, QString::fromUtf16(u"\u0633\u06CC\u0644\u0627\u0645"));
  QCOMPARE(in->FormatAt(2).Language, LangPersian);
  QVERIFY(Button("EngFarsiToolBtn")->isChecked());
  // Persian letters reach the output as they are, FARSI YEH included.
  QCOMPARE(Q(Out(0)), typed);
  // Caps Lock does not switch while typing Persian.
  PressCapsLock();
  QVERIFY(CapsLock::Current().IsOn());
  PressCapsLock();
}

QTEST_MAIN(tst_uMain)
#include "tst_uMain.moc"
