// Sending the output into real applications' windows on an X server: a Qt program, a GTK
// program and a terminal, started by the test. Needs the xcb platform, a session bus and the
// accessibility bus (see tests/CMakeLists.txt); on any other platform every test is skipped.
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>
#include <functional>
#include <memory>

#include "Dictionary.h"
#include "MessageBoxes.h"
#include "WindowTargets.h"
#include "trans.h"
#include "uMain.h"

#ifdef ZEFRA_XTEST
// After Qt: Xlib defines macros that clash with Qt's names.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#endif

using Answer = MessageBoxes::Answer;

namespace {

class TSilentReporter : public TDictionaryReporter {
 public:
  void Warning(const std::string&) override {}
  void Error(const std::string&) override {}
};

constexpr int kStartMs = 15000;
constexpr int kDeliveryMs = 10000;

// Left of the main window, which the 1600 by 900 screen centres at x 465.
const QPoint kQtPlace(50, 50);
const QPoint kLineEdit = kQtPlace + QPoint(150, 25);
const QPoint kTextEdit = kQtPlace + QPoint(150, 100);
const QPoint kToolBar = kQtPlace + QPoint(250, 175);
const QPoint kButton = kQtPlace + QPoint(60, 215);
const QPoint kGtkPlace(50, 400);
const QPoint kTerminalPlace(50, 600);

// A program of the test, whose report lines ("ready", or a name and a percent-encoded text)
// are collected as they come.
class TTargetProgram {
 public:
  TTargetProgram(const QString& program, const QStringList& arguments) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // Qt shows its controls on the accessibility bus only when asked; GTK always does.
    environment.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.remove(QStringLiteral("NO_AT_BRIDGE"));
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    process_.setProcessEnvironment(environment);
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QObject::connect(&process_, &QProcess::readyReadStandardOutput, [this] {
      while (process_.canReadLine()) {
        const QString line = QString::fromUtf8(process_.readLine()).trimmed();
        const qsizetype blank = line.indexOf(u' ');
        if (line == QLatin1String("ready"))
          ready_ = true;
        else if (blank > 0)
          texts_[line.left(blank)] = QUrl::fromPercentEncoding(line.mid(blank + 1).toUtf8());
        else if (!line.isEmpty())
          texts_[line] = QString();
      }
    });
    process_.start(program, arguments);
  }
  ~TTargetProgram() { Stop(); }

  void Stop() {
    process_.kill();
    process_.waitForFinished(5000);
  }
  bool Ready() const { return ready_; }
  bool Running() const { return process_.state() != QProcess::NotRunning; }
  QString Text(const QString& name) const { return texts_.value(name); }

 private:
  QProcess process_;
  bool ready_ = false;
  QMap<QString, QString> texts_;
};

WindowTargets::Service& Targets() {
  return WindowTargets::Current();
}

// The key of the X server's keyboard held down while it lives, as a user holds the key (or the
// Ctrl of a paste) whose press changed the input while the output is sent; no window has the
// keyboard meanwhile.
class THeldKey {
 public:
  explicit THeldKey([[maybe_unused]] const char* keyName) {
#ifdef ZEFRA_XTEST
    XGetInputFocus(display_, &focus_, &revert_);
    XSetInputFocus(display_, None, RevertToNone, CurrentTime);
    code_ = XKeysymToKeycode(display_, XStringToKeysym(keyName));
    XTestFakeKeyEvent(display_, code_, True, CurrentTime);
    XSync(display_, False);
#endif
  }
  ~THeldKey() {
#ifdef ZEFRA_XTEST
    XTestFakeKeyEvent(display_, code_, False, CurrentTime);
    XSetInputFocus(display_, focus_, revert_, CurrentTime);
    XSync(display_, False);
#endif
  }

 private:
#ifdef ZEFRA_XTEST
  Display* display_ = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->display();
  Window focus_ = 0;
  int revert_ = 0;
  KeyCode code_ = 0;
#endif
};

QString ClassAt(QPoint point) {
  return Targets().ClassName(Targets().WindowFromPoint(point));
}

QString NotAnEditBox(const char* fragment) {
  return QStringLiteral("The window you have selected seems not to be a EditBox.It is a ") +
         QLatin1String(fragment) + QStringLiteral(",Are you Sure you want to send output to it?");
}

}  // namespace

class tst_uMainSendX11 : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void init();
  void cleanup();

  void controlsOfAQtProgramAreFramedAndAskedAbout();
  void bothMethodsReachAQtLineEdit();
  void theStandardMethodFillsAQtTextEdit();
  void bothMethodsReachAGtkEntry();
  void theSpecialMethodTypesIntoATerminal();
  void aClosedProgramStopsSendingWithTheWarning();

 private:
  std::unique_ptr<TTargetProgram> StartQtTarget();
  void Drag(QPoint corner, std::initializer_list<Answer> answers = {});
  // Sends a line with letters that carry a shadda and an emoji by the special method, then edits
  // it in the middle, before each of them; after every change the target's text is the output.
  void TypeAndEditInTheMiddle(const std::function<QString()>& targetText);
  void Type(const QString& text) { QTest::keyClicks(in, text); }
  QCheckBox* Box(const char* name) const { return form->findChild<QCheckBox*>(name); }
  QString Output() const { return out->toPlainText(); }

  QTemporaryDir dir;
  TSilentReporter reporter;
  MessageBoxes::InProcessService* boxes = nullptr;
  std::unique_ptr<TMainForm> form;
  RichEdit* in = nullptr;
  RichEdit* out = nullptr;
};

void tst_uMainSendX11::initTestCase() {
  if (QGuiApplication::platformName() != QLatin1String("xcb"))
    QSKIP("needs an X display, a session bus and the accessibility bus");
  if (dynamic_cast<WindowTargets::InProcessService*>(&Targets()))
    QSKIP("the X server has no XTest extension");
  QVERIFY(dir.isValid());
  QFile empty(dir.filePath(QStringLiteral("Zefra.txt")));
  QVERIFY(empty.open(QIODevice::WriteOnly));
  empty.close();
  StartDictionaryModule(QFile::encodeName(empty.fileName()).toStdString(), reporter);
  InitializeEngine();
}

void tst_uMainSendX11::init() {
  auto service = std::make_unique<MessageBoxes::InProcessService>();
  boxes = service.get();
  MessageBoxes::Install(std::move(service));
  form = std::make_unique<TMainForm>();
  in = form->findChild<RichEdit*>(QStringLiteral("EnglishRichEdit"));
  out = form->findChild<RichEdit*>(QStringLiteral("FarsiRichEdit"));
  form->show();
  QVERIFY(QTest::qWaitForWindowExposed(form.get()));
  QVERIFY(!form->frameGeometry().contains(kQtPlace + QPoint(300, 250)));
  boxes->Shown.clear();
}

void tst_uMainSendX11::cleanup() {
  form.reset();
}

std::unique_ptr<TTargetProgram> tst_uMainSendX11::StartQtTarget() {
  auto target = std::make_unique<TTargetProgram>(
      QStringLiteral(ZEFRA_QT_TARGET),
      QStringList{QString::number(kQtPlace.x()), QString::number(kQtPlace.y())});
  // Its controls reach the accessibility bus a moment after the window shows.
  [&] { QTRY_VERIFY_WITH_TIMEOUT(ClassAt(kLineEdit).startsWith("EDIT "), kStartMs); }();
  return target;
}

void tst_uMainSendX11::Drag(QPoint corner, std::initializer_list<Answer> answers) {
  boxes->Answers.assign(answers.begin(), answers.end());
  auto* icon = form->findChild<QLabel*>(QStringLiteral("ZefraImage"));
  QTest::mousePress(icon, Qt::LeftButton, {}, QPoint(4, 4));
  QTest::mouseMove(icon, icon->mapFromGlobal(corner + QPoint(16, 16)));
  QTest::mouseRelease(icon, Qt::LeftButton, {}, icon->mapFromGlobal(corner + QPoint(16, 16)));
}

void tst_uMainSendX11::TypeAndEditInTheMiddle(const std::function<QString()>& targetText) {
  const auto edit = [&](const std::function<void()>& change) {
    change();
    QTRY_COMPARE_WITH_TIMEOUT(targetText(), Output(), kDeliveryMs);
  };
  for (const char* step : {"salam", " amma", " motavajjeh?"})
    edit([&] { Type(QString::fromLatin1(step)); });
  edit([&] { in->ReplaceSel(u" \U0001F600 mer30"); });
  edit([&] {
    in->SetCaret(6);
    THeldKey held("Control_L");
    Type(QStringLiteral("chetori "));
  });
  edit([&] {
    in->SetCaret(int(in->toPlainText().indexOf(QStringLiteral("jj"))) + 1);
    THeldKey held("Delete");
    QTest::keyClick(in, Qt::Key_Delete);
  });
  edit([&] {
    in->SetSel(int(in->toPlainText().indexOf(QStringLiteral(" m"))), 2);
    QTest::keyClick(in, Qt::Key_Backspace);
  });
}

void tst_uMainSendX11::controlsOfAQtProgramAreFramedAndAskedAbout() {
  auto target = StartQtTarget();
  QVERIFY(!QTest::currentTestFailed());
  // The frame follows the control under the icon's corner, not the whole window.
  auto* icon = form->findChild<QLabel*>(QStringLiteral("ZefraImage"));
  QTest::mousePress(icon, Qt::LeftButton, {}, QPoint(4, 4));
  QTest::mouseMove(icon, icon->mapFromGlobal(kLineEdit + QPoint(16, 16)));
  auto* frame = form->findChild<QWidget*>(QStringLiteral("HighlightFrame"));
  QVERIFY(frame->isVisible());
  QCOMPARE(frame->geometry(),
           QRect(kQtPlace + QPoint(10, 10), QSize(280, 30)).adjusted(-2, -2, 2, 2));
  QTest::mouseMove(icon, icon->mapFromGlobal(kTextEdit + QPoint(16, 16)));
  QCOMPARE(frame->geometry(),
           QRect(kQtPlace + QPoint(10, 50), QSize(280, 100)).adjusted(-2, -2, 2, 2));
  QTest::mouseRelease(icon, Qt::LeftButton, {}, icon->mapFromGlobal(kTextEdit + QPoint(16, 16)));
  QVERIFY(!frame->isVisible());
  QVERIFY(boxes->Shown.empty());

  Drag(kButton, {Answer::Cancel});
  Drag(kToolBar, {Answer::Cancel});
  QCOMPARE(boxes->Shown.size(), size_t(2));
  QCOMPARE(boxes->Shown[0].Text, NotAnEditBox("BUTTON"));
  QCOMPARE(boxes->Shown[1].Text, NotAnEditBox("TOOLBAR"));
  // The text edit chosen before is still the target.
  QVERIFY(Box("CheckBox1")->isChecked() && Box("CheckBox2")->isChecked());
}

void tst_uMainSendX11::bothMethodsReachAQtLineEdit() {
  auto target = StartQtTarget();
  QVERIFY(!QTest::currentTestFailed());
  Drag(kLineEdit);
  QVERIFY(boxes->Shown.empty());
  QVERIFY(Box("CheckBox2")->isChecked());
  // A single line takes the output's lines side by side, without line breaks.
  Type(QStringLiteral("salam"));
  QTest::keyClick(in, Qt::Key_Return);
  Type(QStringLiteral("khoobi?"));
  QTRY_COMPARE_WITH_TIMEOUT(target->Text("line"), Output().replace(u'\n', u' '), kDeliveryMs);
  in->selectAll();
  QTest::keyClick(in, Qt::Key_Delete);
  QTRY_COMPARE_WITH_TIMEOUT(target->Text("line"), QString(), kDeliveryMs);

  // The special method: keys typed into the program's focused control.
  QTest::mouseClick(Box("CheckBox2"), Qt::LeftButton);
  TypeAndEditInTheMiddle([&] { return target->Text("line"); });
}

void tst_uMainSendX11::theStandardMethodFillsAQtTextEdit() {
  auto target = StartQtTarget();
  QVERIFY(!QTest::currentTestFailed());
  Drag(kTextEdit);
  QVERIFY(boxes->Shown.empty());
  Type(QStringLiteral("salam"));
  QTest::keyClick(in, Qt::Key_Return);
  Type(QStringLiteral("khoobi"));
  QCOMPARE(out->LineCount(), 2);
  // The text edit keeps the text as it came; its plain text shows each CR LF as one break.
  QTRY_COMPARE_WITH_TIMEOUT(target->Text("text").remove(u'\r'), Output() + "\n", kDeliveryMs);
}

void tst_uMainSendX11::bothMethodsReachAGtkEntry() {
  if (!QFile::exists(QStringLiteral("/usr/bin/python3"))) QSKIP("needs /usr/bin/python3");
  TTargetProgram target(QStringLiteral("/usr/bin/python3"),
                        {QStringLiteral(ZEFRA_GTK_TARGET), QString::number(kGtkPlace.x()),
                         QString::number(kGtkPlace.y())});
  const QPoint entry = kGtkPlace + QPoint(100, 15);
  if (!QTest::qWaitFor([&] { return target.Ready() || !target.Running(); }, kStartMs) ||
      !target.Ready())
    QSKIP("needs GTK 3 for Python (python3-gi, gir1.2-gtk-3.0)");
  QTRY_VERIFY_WITH_TIMEOUT(ClassAt(entry).startsWith("EDIT "), kStartMs);

  Drag(entry);
  QVERIFY(boxes->Shown.empty());
  Type(QStringLiteral("salam"));
  QTRY_COMPARE_WITH_TIMEOUT(target.Text("entry"), Output(), kDeliveryMs);
  in->selectAll();
  QTest::keyClick(in, Qt::Key_Delete);
  QTRY_COMPARE_WITH_TIMEOUT(target.Text("entry"), QString(), kDeliveryMs);

  QTest::mouseClick(Box("CheckBox2"), Qt::LeftButton);
  TypeAndEditInTheMiddle([&] { return target.Text("entry"); });
}

void tst_uMainSendX11::theSpecialMethodTypesIntoATerminal() {
  if (!QFile::exists(QStringLiteral("/usr/bin/xterm"))) QSKIP("needs xterm");
  const QString lineFile = dir.filePath(QStringLiteral("line"));
  const auto fileText = [&lineFile] {
    QFile file(lineFile);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
  };
  TTargetProgram terminal(
      QStringLiteral("/usr/bin/xterm"),
      {QStringLiteral("-geometry"),
       QStringLiteral("60x4+%1+%2").arg(kTerminalPlace.x()).arg(kTerminalPlace.y()),
       QStringLiteral("-e"), QStringLiteral("/usr/bin/python3"),
       QStringLiteral(ZEFRA_TERMINAL_LINE), lineFile});
  QTRY_COMPARE_WITH_TIMEOUT(fileText(), QStringLiteral("ready"), kStartMs);
  const QPoint inside = kTerminalPlace + QPoint(40, 20);
  QCOMPARE(ClassAt(inside).toUpper(), QStringLiteral("XTERM"));

  // No control of its own on the accessibility bus: it takes no text, so only the special
  // method is offered, and its title stays as it was.
  const WindowTargets::Handle window = Targets().WindowFromPoint(inside);
  QVERIFY(!Targets().SetText(window, QStringLiteral("It Works!!")));
  Drag(inside, {Answer::Yes});
  QCOMPARE(boxes->Shown.size(), size_t(1));
  QVERIFY(!Box("CheckBox2")->isEnabled());
  Type(QStringLiteral("salam khoobi"));
  in->SetSel(5, 1);
  Type(QStringLiteral(", "));
  in->SetCaret(in->TextLength());
  Type(QStringLiteral("?"));
  // Enter ends the line in the terminal.
  QVERIFY(Targets().PostKey(window, WindowTargets::Key::Enter));
  Targets().FinishPosts();
  QTRY_COMPARE_WITH_TIMEOUT(
      fileText(), "line " + QString::fromLatin1(QUrl::toPercentEncoding(Output())), kDeliveryMs);
}

void tst_uMainSendX11::aClosedProgramStopsSendingWithTheWarning() {
  auto target = StartQtTarget();
  QVERIFY(!QTest::currentTestFailed());
  Drag(kLineEdit);
  Type(QStringLiteral("salam"));
  QTRY_COMPARE_WITH_TIMEOUT(target->Text("line"), Output(), kDeliveryMs);
  target->Stop();
  Type(QStringLiteral("?"));
  QCOMPARE(boxes->Shown.size(), size_t(1));
  QCOMPARE(boxes->Shown[0].Text,
           QStringLiteral(
               "It seems that your windows is destroyed.Inactiving Sending output to that window"));
  QVERIFY(!Box("CheckBox1")->isChecked() && !Box("CheckBox1")->isEnabled());
}

QTEST_MAIN(tst_uMainSendX11)
#include "tst_uMainSendX11.moc"
