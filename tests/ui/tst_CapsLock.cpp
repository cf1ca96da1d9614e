#include <QtTest>

#include "CapsLock.h"

namespace {

// A focusable widget that records the Caps Lock keys it receives and, like the main window's
// English switch, answers a Caps Lock key-up that turned Caps Lock on with a simulated press.
class TCapsLockReceiver : public QWidget {
 public:
  explicit TCapsLockReceiver(CapsLock::Service& service) : service_(service) {
    setFocusPolicy(Qt::StrongFocus);
  }

  QStringList Keys;  // "press", "release", in order of arrival
  bool SwitchOff = false;
  int Switches = 0;

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (event->key() == Qt::Key_CapsLock) Keys << QStringLiteral("press");
    QWidget::keyPressEvent(event);
  }
  void keyReleaseEvent(QKeyEvent* event) override {
    if (event->key() != Qt::Key_CapsLock) return;
    Keys << QStringLiteral("release");
    if (echo_) {
      echo_ = false;
      return;
    }
    if (!SwitchOff || !service_.IsOn()) return;
    ++Switches;
    echo_ = true;
    const qsizetype before = Keys.size();
    service_.SimulatePress();
    QCOMPARE(Keys.size(), before);  // the echo arrives after this handler returns
  }

 private:
  CapsLock::Service& service_;
  bool echo_ = false;
};

const QStringList kOnePress = {QStringLiteral("press"), QStringLiteral("release")};

}  // namespace

class tst_CapsLock : public QObject {
  Q_OBJECT

 private slots:
  void theToggleFollowsEachPressOnce();
  void aSimulatedPressFlipsAndReachesTheFocusedWidgetLater();
  void theSwitchTurnsCapsLockOffThroughItsEcho();
  void theXServerKeepsTheStateAndEchoesTheSimulatedPress();

 private:
  // A shown, focused receiver in a parent that receives the presses it leaves unaccepted.
  // Without a window manager an X server gives a window the focus only when it asks.
  [[nodiscard]] static bool Show(QWidget& parent, TCapsLockReceiver& receiver) {
    parent.resize(200, 100);
    receiver.setParent(&parent);
    parent.show();
    parent.activateWindow();
    receiver.setFocus();
    return QTest::qWaitFor([&] { return QApplication::focusWidget() == &receiver; });
  }
};

void tst_CapsLock::theToggleFollowsEachPressOnce() {
  CapsLock::InProcessService service;
  QWidget parent;
  TCapsLockReceiver receiver(service);
  QVERIFY(Show(parent, receiver));
  QVERIFY(!service.IsOn());

  // The receiver leaves the press unaccepted, so the parent sees the same event.
  QTest::keyClick(&receiver, Qt::Key_CapsLock);
  QVERIFY(service.IsOn());
  // From the window system: through the window to the focused widget and on to the parent.
  QTest::keyClick(parent.windowHandle(), Qt::Key_CapsLock);
  QVERIFY(!service.IsOn());
  QTest::keyClick(parent.windowHandle(), Qt::Key_CapsLock);
  QVERIFY(service.IsOn());
  QCOMPARE(receiver.Keys, kOnePress + kOnePress + kOnePress);

  // Other keys, a lone release and a held key's repeats leave the toggle alone.
  QTest::keyClick(&receiver, Qt::Key_A);
  QTest::keyRelease(&receiver, Qt::Key_CapsLock);
  QKeyEvent repeat(QEvent::KeyPress, Qt::Key_CapsLock, Qt::NoModifier, QString(), true);
  QApplication::sendEvent(&receiver, &repeat);
  QVERIFY(service.IsOn());
}

void tst_CapsLock::aSimulatedPressFlipsAndReachesTheFocusedWidgetLater() {
  CapsLock::InProcessService service;
  // With nothing focused (as at start-up) the toggle still flips.
  service.SimulatePress();
  QVERIFY(service.IsOn());

  QWidget parent;
  TCapsLockReceiver receiver(service);
  QVERIFY(Show(parent, receiver));
  service.SimulatePress();
  QVERIFY(!service.IsOn());
  QVERIFY(receiver.Keys.isEmpty());
  QTRY_COMPARE(receiver.Keys, kOnePress);
  // Its own press, arriving, does not flip the toggle a second time.
  QVERIFY(!service.IsOn());
}

void tst_CapsLock::theSwitchTurnsCapsLockOffThroughItsEcho() {
  CapsLock::InProcessService service;
  QWidget parent;
  TCapsLockReceiver receiver(service);
  receiver.SwitchOff = true;
  QVERIFY(Show(parent, receiver));

  QTest::keyClick(&receiver, Qt::Key_CapsLock);
  QVERIFY(!service.IsOn());
  QTRY_COMPARE(receiver.Keys, kOnePress + kOnePress);
  QCOMPARE(receiver.Switches, 1);

  QTest::keyClick(&receiver, Qt::Key_CapsLock);
  QTRY_COMPARE(receiver.Keys.size(), 8);
  QCOMPARE(receiver.Switches, 2);
  QVERIFY(!service.IsOn());
}

// Runs under an X server only (ctest runs it under xvfb-run when there is one).
void tst_CapsLock::theXServerKeepsTheStateAndEchoesTheSimulatedPress() {
  if (QGuiApplication::platformName() != QLatin1String("xcb")) QSKIP("needs an X display");
  std::unique_ptr<CapsLock::Service> service = CapsLock::ForPlatform(QStringLiteral("xcb"));
  QVERIFY(!dynamic_cast<CapsLock::InProcessService*>(service.get()));
  if (service->IsOn()) {
    service->SimulatePress();
    QTRY_VERIFY(!service->IsOn());
  }

  QWidget parent;
  TCapsLockReceiver receiver(*service);
  QVERIFY(Show(parent, receiver));
  service->SimulatePress();
  QTRY_VERIFY(service->IsOn());
  QTRY_COMPARE(receiver.Keys, kOnePress);

  // A press that turns Caps Lock off is left alone; one that turns it on is switched off again.
  receiver.SwitchOff = true;
  service->SimulatePress();
  QTRY_COMPARE(receiver.Keys.size(), 4);
  QVERIFY(!service->IsOn());
  service->SimulatePress();
  QTRY_COMPARE(receiver.Keys.size(), 8);
  QCOMPARE(receiver.Switches, 1);
  QVERIFY(!service->IsOn());
}

QTEST_MAIN(tst_CapsLock)
#include "tst_CapsLock.moc"
