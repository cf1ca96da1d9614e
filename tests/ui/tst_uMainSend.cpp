#include <QCheckBox>
#include <QLabel>
#include <QTemporaryFile>
#include <QtTest>
#include <functional>
#include <memory>

#include "Dictionary.h"
#include "MessageBoxes.h"
#include "WindowTargets.h"
#include "trans.h"
#include "uMain.h"

using Answer = MessageBoxes::Answer;
using Posts = QStringList;

namespace {

class TSilentReporter : public TDictionaryReporter {
 public:
  void Warning(const std::string&) override {}
  void Error(const std::string&) override {}
};

// Places beside the main window, which the offscreen screen centres at x 65 to 734.
const QRect kEditPlace(900, 100, 300, 30);
const QRect kOtherPlace(900, 300, 300, 200);

const QString kItWorksQuestion = QStringLiteral(
    "Sorry,the window you have selected is not registered as standard window so i can NOT send "
    "your romanesh output to it normally,and then we should use some hacking methods.These "
    "methods are still under development but sometimes there is NO way at all to send output so "
    "it is better to use standard Copy and Paste for those windows.\r\n"
    "If you can see the \"It Works!!\" text at your window so i can use my standard routines.\r\n"
    "Can you see   \"It Works!!\"   text at your window?");
const QString kSpecialQuestion = QStringLiteral(
    "So your window is not implemented in standard way,i can still use some methods for sending "
    "output to it NOTE that it is still experimental.You might not get exactly what you typed.But "
    "no harm to your system at all.\r\nDo you want me to use special methods?");
const QString kGone = QStringLiteral(
    "It seems that your windows is destroyed.Inactiving Sending output to that window");

QString NotAnEditBox(const char* fragment) {
  return QStringLiteral("The window you have selected seems not to be a EditBox.It is a ") +
         QLatin1String(fragment) + QStringLiteral(",Are you Sure you want to send output to it?");
}

Posts Repeat(const QString& post, int count) {
  return Posts(count, post);
}

// Answers as the in-process boxes do, letting the test look at the target when a box opens.
class TWatchingBoxes : public MessageBoxes::Service {
 public:
  TWatchingBoxes(MessageBoxes::InProcessService& boxes, std::function<void()> opening)
      : boxes_(boxes), opening_(std::move(opening)) {}
  Answer Show(QWidget* parent, MessageBoxes::Type type, const QString& text,
              MessageBoxes::Buttons buttons) override {
    opening_();
    return boxes_.Show(parent, type, text, buttons);
  }

 private:
  MessageBoxes::InProcessService& boxes_;
  std::function<void()> opening_;
};

}  // namespace

class tst_uMainSend : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void init();
  void cleanup();

  void theSendingControlsStartDisabled();
  void draggingFramesTheWindowUnderTheIconsCorner();
  void aDropWithoutAFramedWindowChangesNothing();
  void anEditBoxGetsTheWholeOutputWithoutQuestions();
  void controlsThatAreNoEditBoxesAreAskedAbout();
  void theItWorksTestChoosesTheMethod_data();
  void theItWorksTestChoosesTheMethod();
  void aWindowThatTakesNoTextIsOfferedOnlyKeys();
  void anEndedChoiceKeepsThePreviousTarget();
  void theSpecialMethodAfterAStandardTargetTypesKeys();
  void theSpecialMethodTypesOnlyTheChangedMiddle();
  void theSpecialMethodRequestsEachCharactersLayout();
  void aLineThatStaysEmptyIsNotTypedAgain();
  void theSpecialMethodKeepsASingleLineTargetInStep();
  void aVanishedTargetStopsSendingWithTheWarning();
  void refusedKeysAreOfferedAgainButNotForever();
  void theCheckBoxesSwitchTheMethodAndStopSending();

 private:
  // Drags the icon so that its corner ends at the point, passing over the given points.
  void Drag(QPoint corner, std::initializer_list<QPoint> via = {});
  // Picks a stand-in window by dragging onto it, giving the answers to the boxes on the way.
  WindowTargets::Handle Pick(const QString& className, const QString& text,
                             std::initializer_list<Answer> answers = {}, QRect place = kEditPlace);
  void TypeBold(const QString& text);
  // The text put in by one change.
  void InsertBold(const QString& text);
  void Type(const QString& text) { QTest::keyClicks(in, text); }
  QCheckBox* Box(const char* name) const { return form->findChild<QCheckBox*>(name); }
  QWidget* Frame() const { return form->findChild<QWidget*>(QStringLiteral("HighlightFrame")); }
  QString Output() const { return out->toPlainText(); }

  QTemporaryFile dictionary;
  TSilentReporter reporter;
  MessageBoxes::InProcessService* boxes = nullptr;
  WindowTargets::InProcessService* targets = nullptr;
  std::unique_ptr<TMainForm> form;
  RichEdit* in = nullptr;
  RichEdit* out = nullptr;
};

void tst_uMainSend::initTestCase() {
  QVERIFY(dictionary.open());
  StartDictionaryModule(QFile::encodeName(dictionary.fileName()).toStdString(), reporter);
  InitializeEngine();
}

void tst_uMainSend::init() {
  auto boxService = std::make_unique<MessageBoxes::InProcessService>();
  boxes = boxService.get();
  MessageBoxes::Install(std::move(boxService));
  auto targetService = std::make_unique<WindowTargets::InProcessService>();
  targets = targetService.get();
  WindowTargets::Install(std::move(targetService));
  form = std::make_unique<TMainForm>();
  in = form->findChild<RichEdit*>(QStringLiteral("EnglishRichEdit"));
  out = form->findChild<RichEdit*>(QStringLiteral("FarsiRichEdit"));
  form->show();
  QVERIFY(QTest::qWaitForWindowExposed(form.get()));
  in->setFocus();
}

void tst_uMainSend::cleanup() {
  form.reset();
}

void tst_uMainSend::Drag(QPoint corner, std::initializer_list<QPoint> via) {
  auto* icon = form->findChild<QLabel*>(QStringLiteral("ZefraImage"));
  QTest::mousePress(icon, Qt::LeftButton, {}, QPoint(4, 4));
  // The pointer's tip is half an icon below and right of the corner.
  const auto moveTo = [icon](QPoint point) {
    QTest::mouseMove(icon, icon->mapFromGlobal(point + QPoint(16, 16)));
  };
  for (const QPoint point : via) moveTo(point);
  moveTo(corner);
  QTest::mouseRelease(icon, Qt::LeftButton, {}, icon->mapFromGlobal(corner + QPoint(16, 16)));
}

WindowTargets::Handle tst_uMainSend::Pick(const QString& className, const QString& text,
                                          std::initializer_list<Answer> answers, QRect place) {
  const WindowTargets::Handle window = targets->AddWindow(place, className, text);
  boxes->Answers.assign(answers.begin(), answers.end());
  Drag(place.center());
  return window;
}

void tst_uMainSend::TypeBold(const QString& text) {
  TCharFormat bold;
  bold.Style = fsBold;
  in->SetSelAttributes(bold, TCharFormat::fStyle);
  Type(text);
}

void tst_uMainSend::InsertBold(const QString& text) {
  TCharFormat bold;
  bold.Style = fsBold;
  in->SetSelAttributes(bold, TCharFormat::fStyle);
  in->ReplaceSel(text.toStdU16String());
}

void tst_uMainSend::theSendingControlsStartDisabled() {
  auto* icon = form->findChild<QLabel*>(QStringLiteral("ZefraImage"));
  QCOMPARE(icon->accessibleName(), QStringLiteral("Drag the icon to Target Window"));
  QVERIFY(!icon->pixmap().isNull());
  QCOMPARE(form->findChild<QLabel*>(QStringLiteral("Label1"))->text(),
           QStringLiteral("Drag the icon to Target Window"));
  QCOMPARE(Box("CheckBox1")->text(), QStringLiteral("Sending Output to"));
  QCOMPARE(Box("CheckBox2")->text(), QStringLiteral("Standard Method"));
  QCOMPARE(Box("CheckBox2")->toolTip(),
           QStringLiteral(
               "Sometimes works,for Editboxes or things like notepad,not for internet exploer"));
  // In a free place of the window, clear of every other control.
  for (QWidget* placed : QWidgetList{icon, Box("CheckBox1"), Box("CheckBox2")}) {
    QVERIFY(!placed->isEnabled() || placed == icon);
    QVERIFY(form->rect().contains(placed->geometry()));
    for (QWidget* other : form->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
      if (other != placed && other->isVisible() && !other->isWindow())
        QVERIFY2(!other->geometry().intersects(placed->geometry()),
                 qPrintable(other->objectName()));
  }
  QVERIFY(!Box("CheckBox1")->isChecked() && !Box("CheckBox2")->isChecked());
}

void tst_uMainSend::draggingFramesTheWindowUnderTheIconsCorner() {
  targets->AddWindow(kEditPlace, QStringLiteral("EDIT one"));
  targets->AddWindow(kOtherPlace, QStringLiteral("EDIT two"));
  auto* icon = form->findChild<QLabel*>(QStringLiteral("ZefraImage"));
  QTest::mousePress(icon, Qt::LeftButton, {}, QPoint(4, 4));
  QVERIFY(QApplication::overrideCursor());
  const auto moveCornerTo = [icon](QPoint corner) {
    QTest::mouseMove(icon, icon->mapFromGlobal(corner + QPoint(16, 16)));
  };
  moveCornerTo(kEditPlace.topLeft() + QPoint(2, 2));
  QVERIFY(Frame()->isVisible());
  QCOMPARE(Frame()->geometry(), kEditPlace.adjusted(-2, -2, 2, 2));
  QVERIFY(Frame()->windowFlags().testFlags(Qt::WindowTransparentForInput |
                                           Qt::WindowStaysOnTopHint | Qt::FramelessWindowHint));
  // Only the pen is shown: the framed window stays visible inside.
  QVERIFY(!Frame()->mask().contains(Frame()->rect().center()));
  QVERIFY(Frame()->mask().contains(QPoint(1, 1)));
  // The pointer's tip over the window, the icon's corner still above it: not framed.
  moveCornerTo(kOtherPlace.topLeft() - QPoint(10, 10));
  QVERIFY(!Frame()->isVisible());
  moveCornerTo(kOtherPlace.center());
  QCOMPARE(Frame()->geometry(), kOtherPlace.adjusted(-2, -2, 2, 2));
  // Over the main window nothing changes.
  moveCornerTo(form->frameGeometry().center());
  QCOMPARE(Frame()->geometry(), kOtherPlace.adjusted(-2, -2, 2, 2));
  QTest::mouseRelease(icon, Qt::LeftButton, {},
                      icon->mapFromGlobal(kOtherPlace.center() + QPoint(16, 16)));
  QVERIFY(!Frame()->isVisible());
  QVERIFY(!QApplication::overrideCursor());
  QVERIFY(Box("CheckBox1")->isChecked());
}

void tst_uMainSend::aDropWithoutAFramedWindowChangesNothing() {
  // A text box hidden behind the main window is never a target.
  targets->AddWindow(form->frameGeometry(), QStringLiteral("EDIT hidden"),
                     QStringLiteral("secret"));
  targets->AddWindow(kEditPlace, QStringLiteral("EDIT one"), QStringLiteral("kept"));
  // On the main window itself, then on the desktop beside the window after framing it, then
  // back on the main window after framing it.
  Drag(form->frameGeometry().center() - QPoint(16, 16));
  Drag(kEditPlace.bottomRight() + QPoint(20, 20), {kEditPlace.center()});
  Drag(form->frameGeometry().center() - QPoint(16, 16), {kEditPlace.center()});
  QVERIFY(in->toPlainText().isEmpty());
  QVERIFY(boxes->Shown.empty());
  QVERIFY(!Box("CheckBox1")->isEnabled());
  QVERIFY(!QApplication::overrideCursor());
  Type(QStringLiteral("salam"));
  QVERIFY(targets->TextsSet.empty() && targets->Posts.empty());
}

void tst_uMainSend::anEditBoxGetsTheWholeOutputWithoutQuestions() {
  const auto target = Pick(QStringLiteral("Edit gtk-entry"), QStringLiteral("hello there"));
  QVERIFY(boxes->Shown.empty());
  QVERIFY(Box("CheckBox1")->isChecked() && Box("CheckBox1")->isEnabled());
  QVERIFY(Box("CheckBox2")->isChecked() && Box("CheckBox2")->isEnabled());
  // The target's text comes into the input in bold, the English marking, so that it comes
  // back as it was; loading it sends nothing.
  QCOMPARE(in->toPlainText(), QStringLiteral("hello there"));
  QVERIFY(in->FormatAt(3).Style & fsBold);
  QCOMPARE(Output(), QStringLiteral("hello there"));
  QVERIFY(targets->TextsSet.empty());

  Type(QStringLiteral(" salam"));
  QVERIFY(!(in->SelAttributes().Style & fsBold));
  QVERIFY(Output().endsWith(QStringLiteral(u" \u0633\u0644\u0645")));
  QCOMPARE(targets->At(target).Text, Output() + QStringLiteral("\r\n"));
  QTest::keyClick(in, Qt::Key_Return);
  Type(QStringLiteral("khoobi"));
  QCOMPARE(targets->At(target).Text, Output().replace(u'\n', QStringLiteral("\r\n")) + "\r\n");
  QCOMPARE(targets->At(target).Text.count(QStringLiteral("\r\n")), 2);
  // Everything deleted: the target is emptied.
  in->selectAll();
  QTest::keyClick(in, Qt::Key_Delete);
  QCOMPARE(targets->At(target).Text, QString());
  QVERIFY(targets->Posts.empty());
}

void tst_uMainSend::controlsThatAreNoEditBoxesAreAskedAbout() {
  // Only the first matching fragment is asked about; Cancel ends the choice.
  Pick(QStringLiteral("Menu Button qt-target"), QStringLiteral("OK"), {Answer::Cancel});
  QCOMPARE(boxes->Shown.size(), size_t(1));
  QCOMPARE(boxes->Shown[0].Text, NotAnEditBox("BUTTON"));
  QCOMPARE(boxes->Shown[0].BoxType, MessageBoxes::Type::Error);
  QCOMPARE(boxes->Shown[0].BoxButtons, MessageBoxes::Buttons::YesCancel);
  QVERIFY(!Box("CheckBox1")->isEnabled());
  QVERIFY(targets->TextsSet.empty());

  // Yes goes on to the test of the window's text.
  Pick(QStringLiteral("toolbar qt-target"), QStringLiteral("tools"), {Answer::Yes, Answer::Yes},
       kOtherPlace);
  QCOMPARE(boxes->Shown.size(), size_t(3));
  QCOMPARE(boxes->Shown[1].Text, NotAnEditBox("TOOLBAR"));
  QCOMPARE(boxes->Shown[2].Text, kItWorksQuestion);
  QVERIFY(Box("CheckBox2")->isChecked());

  // A warned-about control whose class also says EDIT needs no test once confirmed.
  boxes->Shown.clear();
  Pick(QStringLiteral("STATIC EDIT"), QStringLiteral("label"), {Answer::Yes});
  QCOMPARE(boxes->Shown.size(), size_t(1));
  QCOMPARE(boxes->Shown[0].Text, NotAnEditBox("STATIC"));
}

void tst_uMainSend::theItWorksTestChoosesTheMethod_data() {
  QTest::addColumn<QList<Answer>>("answers");
  QTest::addColumn<int>("boxCount");
  QTest::addColumn<bool>("chosen");
  QTest::addColumn<bool>("standard");
  QTest::newRow("seen") << QList<Answer>{Answer::Yes} << 1 << true << true;
  QTest::newRow("special") << QList<Answer>{Answer::No, Answer::Yes} << 2 << true << false;
  QTest::newRow("neither") << QList<Answer>{Answer::No, Answer::No} << 2 << false << false;
  QTest::newRow("cancelled") << QList<Answer>{Answer::Cancel} << 1 << false << false;
}

void tst_uMainSend::theItWorksTestChoosesTheMethod() {
  QFETCH(QList<Answer>, answers);
  QFETCH(int, boxCount);
  QFETCH(bool, chosen);
  QFETCH(bool, standard);
  const auto target =
      targets->AddWindow(kEditPlace, QStringLiteral("TEXT xterm"), QStringLiteral("old text"));
  // The window shows the test text exactly while the question is open.
  QString shownDuringQuestion;
  boxes->Answers.assign(answers.begin(), answers.end());
  auto owned = MessageBoxes::Install(std::make_unique<TWatchingBoxes>(*boxes, [&] {
    if (shownDuringQuestion.isEmpty()) shownDuringQuestion = targets->At(target).Text;
  }));
  Drag(kEditPlace.center());
  MessageBoxes::Install(std::move(owned));

  QCOMPARE(shownDuringQuestion, QStringLiteral("It Works!!"));
  QCOMPARE(targets->TextsSet, QStringList({"It Works!!", "old text"}));
  QCOMPARE(int(boxes->Shown.size()), boxCount);
  QCOMPARE(boxes->Shown[0].Text, kItWorksQuestion);
  QCOMPARE(boxes->Shown[0].BoxType, MessageBoxes::Type::Information);
  QCOMPARE(boxes->Shown[0].BoxButtons, MessageBoxes::Buttons::YesNoCancel);
  if (boxCount == 2) {
    QCOMPARE(boxes->Shown[1].Text, kSpecialQuestion);
    QCOMPARE(boxes->Shown[1].BoxType, MessageBoxes::Type::Warning);
    QCOMPARE(boxes->Shown[1].BoxButtons, MessageBoxes::Buttons::YesNo);
  }
  QCOMPARE(Box("CheckBox1")->isChecked(), chosen);
  QCOMPARE(Box("CheckBox1")->isEnabled(), chosen);
  QCOMPARE(Box("CheckBox2")->isChecked(), standard);
  QCOMPARE(Box("CheckBox2")->isEnabled(), standard);
  QCOMPARE(in->toPlainText(), standard ? QStringLiteral("old text") : QString());
  QCOMPARE(targets->Layouts,
           chosen && !standard ? std::vector<uint16_t>{LangPersian} : std::vector<uint16_t>{});

  Type(QStringLiteral("x"));
  if (!chosen) QCOMPARE(targets->At(target).Text, QStringLiteral("old text"));
  if (chosen && standard) QCOMPARE(targets->At(target).Text, Output() + "\r\n");
  // The special method types at the caret, after the target's own text.
  if (chosen && !standard) QCOMPARE(targets->At(target).Text, "old text" + Output());
}

void tst_uMainSend::aWindowThatTakesNoTextIsOfferedOnlyKeys() {
  // No text control found (a sandboxed program's window): its title is not its text.
  const auto target = targets->AddWindow(kEditPlace, QStringLiteral("PANEL sandboxed"),
                                         QStringLiteral("Window title"), false);
  boxes->Answers = {Answer::Yes};
  Drag(kEditPlace.center());
  QCOMPARE(boxes->Shown.size(), size_t(1));
  QCOMPARE(boxes->Shown[0].Text, kSpecialQuestion);
  QVERIFY(Box("CheckBox1")->isChecked() && !Box("CheckBox2")->isChecked());
  QVERIFY(in->toPlainText().isEmpty());
  TypeBold(QStringLiteral("ab"));
  QCOMPARE(targets->At(target).Text, QStringLiteral("Window titleab"));
}

void tst_uMainSend::anEndedChoiceKeepsThePreviousTarget() {
  const auto first = Pick(QStringLiteral("EDIT first"), QString());
  Pick(QStringLiteral("BUTTON second"), QString(), {Answer::Cancel}, kOtherPlace);
  Type(QStringLiteral("salam"));
  QCOMPARE(targets->At(first).Text, Output() + "\r\n");
  QVERIFY(Box("CheckBox1")->isChecked());
}

void tst_uMainSend::theSpecialMethodAfterAStandardTargetTypesKeys() {
  Pick(QStringLiteral("EDIT first"), QString());
  const auto second = Pick(QStringLiteral("PANEL second"), QStringLiteral("own text"),
                           {Answer::No, Answer::Yes}, kOtherPlace);
  QVERIFY(!Box("CheckBox2")->isChecked() && !Box("CheckBox2")->isEnabled());
  TypeBold(QStringLiteral("ab"));
  QCOMPARE(targets->At(second).Text, QStringLiteral("own textab"));
}

void tst_uMainSend::theSpecialMethodTypesOnlyTheChangedMiddle() {
  // Bold words stay Latin in the output, so the output lines are the typed ones.
  Pick(QStringLiteral("PANEL target"), QString(), {Answer::No, Answer::Yes});
  TypeBold(QStringLiteral("abcd"));
  QCOMPARE(Output(), QStringLiteral("abcd"));

  // abcd to abXd: two left, one deleted, X typed, then to the line's end.
  targets->Posts.clear();
  in->SetSel(2, 1);
  Type(QStringLiteral("X"));
  QCOMPARE(targets->Posts, Posts({"Left", "Left", "Delete", "X", "End"}));

  // ab to aab: the common end is cut to what the shorter line leaves after the common start.
  in->selectAll();
  QTest::keyClick(in, Qt::Key_Delete);
  TypeBold(QStringLiteral("ab"));
  targets->Posts.clear();
  in->SetCaret(1);
  Type(QStringLiteral("a"));
  QCOMPARE(Output(), QStringLiteral("aab"));
  QCOMPARE(targets->Posts, Posts({"Left", "a", "End"}));

  // An emptied output: every old character deleted, nothing typed.
  targets->Posts.clear();
  in->selectAll();
  QTest::keyClick(in, Qt::Key_Delete);
  QCOMPARE(targets->Posts, Repeat("Left", 3) + Repeat("Delete", 3) + Posts({"End"}));

  // A line the output did not have is typed whole at the caret.
  TypeBold(QStringLiteral("ab"));
  QTest::keyClick(in, Qt::Key_Return);
  QTest::keyClick(in, Qt::Key_Return);
  targets->Posts.clear();
  InsertBold(QStringLiteral("ef"));
  QCOMPARE(Output(), QStringLiteral("ab\n\nef"));
  QCOMPARE(targets->Posts, Posts({"e", "f"}));

  // A change on the third line goes down twice from the first first.
  targets->Posts.clear();
  in->SetCaret(in->LineIndex(2) + 1);
  Type(QStringLiteral("X"));
  QCOMPARE(targets->Posts, Posts({"Down", "Down", "Left", "X", "End"}));
  QVERIFY(targets->FinishedRuns > 0);
}

void tst_uMainSend::theSpecialMethodRequestsEachCharactersLayout() {
  Pick(QStringLiteral("PANEL target"), QString(), {Answer::No, Answer::Yes});
  targets->Layouts.clear();
  TypeBold(QStringLiteral("ok"));
  in->SetSelAttributes(TCharFormat(), TCharFormat::fStyle);
  Type(QStringLiteral(" man"));
  // The bold run stays Latin, the rest is Persian: each typed character got its layout first.
  const QString output = Output();
  QCOMPARE(output.left(3), QStringLiteral("ok "));
  std::vector<uint16_t> expected;
  for (const QString& post : targets->Posts)
    if (post.size() == 1)
      expected.push_back(post.at(0).unicode() > 0xFF ? LangPersian : LangEnglishUS);
  QCOMPARE(targets->Layouts, expected);
  QVERIFY(std::count(expected.begin(), expected.end(), LangPersian) > 0);
}

void tst_uMainSend::aLineThatStaysEmptyIsNotTypedAgain() {
  const auto target = Pick(QStringLiteral("PANEL target"), QString(), {Answer::No, Answer::Yes});
  TypeBold(QStringLiteral("ab"));
  QTest::keyClick(in, Qt::Key_Return);
  QTest::keyClick(in, Qt::Key_Return);
  TypeBold(QStringLiteral("c"));
  targets->Posts.clear();
  TypeBold(QStringLiteral("d"));
  // The empty middle line reads as a lone paragraph mark in the pane.
  QCOMPARE(out->Line(1), std::u16string(u"\r"));
  QCOMPARE(targets->Posts, Posts({"Down", "Down", "d", "End"}));
  // The one line break typed is the one made when the empty line came.
  QCOMPARE(targets->At(target).Text.count(u'\n'), 1);
}

void tst_uMainSend::theSpecialMethodKeepsASingleLineTargetInStep() {
  const auto target = Pick(QStringLiteral("PANEL chat"), QString(), {Answer::No, Answer::Yes});
  targets->TextsSet.clear();
  // Letters with a shadda, and an emoji, which the target moves over and deletes as one.
  for (const QChar c : QStringLiteral("salam, amma motavajjeh shodi? mer30")) {
    Type(QString(c));
    QCOMPARE(targets->At(target).Text, Output());
  }
  in->ReplaceSel(u" \U0001F600");
  QCOMPARE(targets->At(target).Text, Output());
  // Edits in the middle, and deletions.
  in->SetCaret(3);
  Type(QStringLiteral("aa"));
  QCOMPARE(targets->At(target).Text, Output());
  in->SetSel(6, 8);
  QTest::keyClick(in, Qt::Key_Backspace);
  QCOMPARE(targets->At(target).Text, Output());
  // Right before a shadda: the shared start ends before the letter that carries it.
  in->SetCaret(in->toPlainText().indexOf(QStringLiteral("jj")) + 1);
  QTest::keyClick(in, Qt::Key_Delete);
  QCOMPARE(targets->At(target).Text, Output());
  QVERIFY(targets->TextsSet.empty());
}

void tst_uMainSend::aVanishedTargetStopsSendingWithTheWarning() {
  const auto target = Pick(QStringLiteral("EDIT gone"), QString());
  targets->Remove(target);
  Type(QStringLiteral("s"));
  QCOMPARE(boxes->Shown.size(), size_t(1));
  QCOMPARE(boxes->Shown[0].Text, kGone);
  QCOMPARE(boxes->Shown[0].BoxType, MessageBoxes::Type::Warning);
  QCOMPARE(boxes->Shown[0].BoxButtons, MessageBoxes::Buttons::Ok);
  for (const char* name : {"CheckBox1", "CheckBox2"})
    QVERIFY(!Box(name)->isChecked() && !Box(name)->isEnabled());
  // Sending has stopped: no more warnings.
  Type(QStringLiteral("alam"));
  QCOMPARE(boxes->Shown.size(), size_t(1));
}

void tst_uMainSend::refusedKeysAreOfferedAgainButNotForever() {
  const auto target = Pick(QStringLiteral("PANEL target"), QString(), {Answer::No, Answer::Yes});
  targets->At(target).RefusedPosts = 3;
  TypeBold(QStringLiteral("ab"));
  QCOMPARE(targets->At(target).Text, QStringLiteral("ab"));
  // A target that takes nothing any more does not hold the window up.
  targets->At(target).RefusedPosts = 1000000;
  TypeBold(QStringLiteral("cdefgh"));
  QCOMPARE(in->toPlainText(), QStringLiteral("abcdefgh"));
  QCOMPARE(targets->At(target).Text, QStringLiteral("ab"));
  QVERIFY(targets->At(target).RefusedPosts > 1000000 - 6 * 100);
}

void tst_uMainSend::theCheckBoxesSwitchTheMethodAndStopSending() {
  const auto target = Pick(QStringLiteral("EDIT target"), QString());
  TypeBold(QStringLiteral("ab"));
  QCOMPARE(targets->At(target).Text, QStringLiteral("ab\r\n"));
  // Unchecked: the special method, from the output before the change.
  QTest::mouseClick(Box("CheckBox2"), Qt::LeftButton);
  QVERIFY(!Box("CheckBox2")->isChecked() && Box("CheckBox2")->isEnabled());
  TypeBold(QStringLiteral("c"));
  QCOMPARE(targets->Posts, Posts({"c", "End"}));
  QCOMPARE(targets->At(target).Text, QStringLiteral("ab\r\nc"));
  QTest::mouseClick(Box("CheckBox2"), Qt::LeftButton);
  TypeBold(QStringLiteral("d"));
  QCOMPARE(targets->At(target).Text, QStringLiteral("abcd\r\n"));

  // Unchecking the first box stops sending; only a new drag starts it again.
  QTest::mouseClick(Box("CheckBox1"), Qt::LeftButton);
  for (const char* name : {"CheckBox1", "CheckBox2"})
    QVERIFY(!Box(name)->isChecked() && !Box(name)->isEnabled());
  TypeBold(QStringLiteral("e"));
  QCOMPARE(targets->At(target).Text, QStringLiteral("abcd\r\n"));
  // The input starts again from the target's text.
  Drag(kEditPlace.center());
  QCOMPARE(in->toPlainText(), QStringLiteral("abcd\n"));
  TypeBold(QStringLiteral("f"));
  QCOMPARE(targets->At(target).Text, QStringLiteral("abcdf\r\n"));
}

QTEST_MAIN(tst_uMainSend)
#include "tst_uMainSend.moc"
