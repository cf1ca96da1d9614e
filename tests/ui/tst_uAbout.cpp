#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>
#include <memory>

#include "uAbout.h"

class tst_uAbout : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void showsTheProductAndItsVersion();
  void okReenablesTheMainWindow();
  void hidingReenablesTheMainWindow();
  void escapeReenablesTheMainWindow();
  void worksAgainWhenShownASecondTime();

 private:
  // As the main window opens it: disabled first, then the about window shown.
  void Open() {
    mainWindow->setEnabled(false);
    about->show();
  }
  QPushButton* Ok() const { return about->findChild<QPushButton*>(QStringLiteral("OkBtn")); }

  std::unique_ptr<QWidget> mainWindow;
  TAboutForm* about = nullptr;
};

void tst_uAbout::init() {
  mainWindow = std::make_unique<QWidget>();
  mainWindow->show();
  about = new TAboutForm(mainWindow.get());
}

void tst_uAbout::cleanup() {
  mainWindow.reset();
}

void tst_uAbout::showsTheProductAndItsVersion() {
  Open();
  QStringList texts;
  for (const QLabel* label : about->findChildren<QLabel*>()) texts << label->text();
  QVERIFY(texts.contains(QStringLiteral("Zefra")));
  QVERIFY(texts.contains(QStringLiteral("Advanced Romanesh to Farsi Translator")));
  QVERIFY(!texts.filter(QRegularExpression(QStringLiteral("^Version \\d+\\.\\d+"))).isEmpty());
  QVERIFY(about->isWindow());
  QCOMPARE(about->windowModality(), Qt::NonModal);
}

void tst_uAbout::okReenablesTheMainWindow() {
  Open();
  QVERIFY(!mainWindow->isEnabled());
  // The about window must stay usable although its parent is disabled.
  QVERIFY(Ok()->isEnabled());
  QTest::mouseClick(Ok(), Qt::LeftButton);
  QVERIFY(about->isHidden());
  QVERIFY(mainWindow->isEnabled());
}

void tst_uAbout::hidingReenablesTheMainWindow() {
  Open();
  about->close();
  QVERIFY(mainWindow->isEnabled());
}

void tst_uAbout::escapeReenablesTheMainWindow() {
  Open();
  QTest::keyClick(about, Qt::Key_Escape);
  QVERIFY(about->isHidden());
  QVERIFY(mainWindow->isEnabled());
}

void tst_uAbout::worksAgainWhenShownASecondTime() {
  Open();
  QTest::mouseClick(Ok(), Qt::LeftButton);
  Open();
  QVERIFY(!mainWindow->isEnabled());
  QVERIFY(about->isVisible());
  QTest::mouseClick(Ok(), Qt::LeftButton);
  QVERIFY(mainWindow->isEnabled());
}

QTEST_MAIN(tst_uAbout)
#include "tst_uAbout.moc"
