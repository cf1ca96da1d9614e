// The program as a user starts and ends it: a copy of the built program with a home of its own,
// so that its dictionary, settings and lock are the test's alone.
#include <signal.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QByteArray kSettings =
    "Windows Registry Editor Version 5.00\n\n"
    "[HKEY_CURRENT_USER\\Software\\Quorvel Software Company\\Zefra]\n"
    "\"Version\"=\"0.3.4a beta\"\n"
    "\"Tips of Day\"=dword:00000000\n";

constexpr int kStartMilliseconds = 30000;

}  // namespace

class tst_ProgramLife : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void aSignalToEndSavesTheDictionaryAndTheSettings_data();
  void aSignalToEndSavesTheDictionaryAndTheSettings();
  void aSecondStartRaisesTheFirstAndEndsButALockOfTheDeadDoesNot();
  void withoutAnXDisplayZefraSaysSoAndEnds();
  void settingsThatCannotBeSavedAreToldOnce();

 private:
  QString Path(const QString& name) const { return dir->filePath(name); }
  QString Settings() const {
    return Path(QStringLiteral("config/Quorvel Software Company/Zefra.reg"));
  }
  QString Dictionary() const { return Path(QStringLiteral("bin/Zefra.txt")); }
  QString Lock() const { return Path(QStringLiteral("runtime/Zefra.lock")); }
  // A start on platform; nullptr when no X server is there for xcb.
  QProcess* Start(const char* platform = "xcb");
  // Waits until the process holds the lock, with its answer to signals in place.
  void WaitUntilReady(QProcess& zefra);
  // Sends signal to the running process; false when it has ended.
  static bool Signal(const QProcess& zefra, int signal);
  QByteArray Read(const QString& path) const {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }

  std::unique_ptr<QTemporaryDir> dir;
  std::vector<std::unique_ptr<QProcess>> started;
};

void tst_ProgramLife::init() {
  dir = std::make_unique<QTemporaryDir>();
  QVERIFY(dir->isValid());
  for (const char* sub : {"bin", "home", "config/Quorvel Software Company", "runtime", "data"})
    QVERIFY(QDir().mkpath(Path(QLatin1String(sub))));
  QVERIFY(QFile::setPermissions(Path(QStringLiteral("runtime")),
                                QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
  // Beside the copy, the dictionary is the test's own.
  QVERIFY(QFile::copy(QStringLiteral(ZEFRA_PROGRAM), Path(QStringLiteral("bin/zefra"))));
  QFile settings(Settings());
  QVERIFY(settings.open(QIODevice::WriteOnly));
  settings.write(kSettings);
}

void tst_ProgramLife::cleanup() {
  for (const auto& zefra : started) {
    if (zefra->state() == QProcess::NotRunning) continue;
    zefra->kill();
    zefra->waitForFinished();
  }
  started.clear();
}

QProcess* tst_ProgramLife::Start(const char* platform) {
  // Only where the test itself runs on an X server of its own, never on the desktop's.
  if (qstrcmp(platform, "xcb") == 0 && qgetenv("QT_QPA_PLATFORM") != "xcb") return nullptr;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QLatin1String(platform));
  environment.insert(QStringLiteral("HOME"), Path(QStringLiteral("home")));
  environment.insert(QStringLiteral("XDG_CONFIG_HOME"), Path(QStringLiteral("config")));
  environment.insert(QStringLiteral("XDG_DATA_HOME"), Path(QStringLiteral("data")));
  environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), Path(QStringLiteral("runtime")));
  auto zefra = std::make_unique<QProcess>();
  zefra->setProcessEnvironment(environment);
  zefra->start(Path(QStringLiteral("bin/zefra")), {});
  if (!zefra->waitForStarted()) return nullptr;
  started.push_back(std::move(zefra));
  return started.back().get();
}

void tst_ProgramLife::WaitUntilReady(QProcess& zefra) {
  const QByteArray pid = QByteArray::number(zefra.processId());
  QTRY_VERIFY_WITH_TIMEOUT(
      Read(Lock()).split('\n').value(0) == pid || zefra.state() == QProcess::NotRunning,
      kStartMilliseconds);
  QVERIFY2(zefra.state() == QProcess::Running, zefra.readAllStandardError().constData());
}

bool tst_ProgramLife::Signal(const QProcess& zefra, int signal) {
  // A process that has ended has no id: kill(0) would end the test and its runner with it.
  const qint64 pid = zefra.processId();
  return pid > 0 && ::kill(pid_t(pid), signal) == 0;
}

void tst_ProgramLife::aSignalToEndSavesTheDictionaryAndTheSettings_data() {
  QTest::addColumn<int>("quitSignal");
  QTest::newRow("SIGTERM") << SIGTERM;
  QTest::newRow("SIGHUP") << SIGHUP;
}

void tst_ProgramLife::aSignalToEndSavesTheDictionaryAndTheSettings() {
  QFETCH(int, quitSignal);
  // A file Zefra reads whole, but writes with every section.
  QFile dictionary(Dictionary());
  QVERIFY(dictionary.open(QIODevice::WriteOnly));
  dictionary.write("[Whole Words]\nsalam=salaam\n");
  dictionary.close();
  QProcess* zefra = Start();
  if (!zefra) QSKIP("needs an X display");
  WaitUntilReady(*zefra);
  if (QTest::currentTestFailed()) return;
  QVERIFY(Signal(*zefra, quitSignal));
  QVERIFY(zefra->waitForFinished(kStartMilliseconds));
  QCOMPARE(zefra->exitStatus(), QProcess::NormalExit);
  QCOMPARE(zefra->exitCode(), 0);
  QVERIFY(Read(Settings()).contains("\"Copy Entire Mode\"="));
  QVERIFY(Read(Dictionary()).contains("[Polite Words]"));
  QVERIFY(Read(Dictionary()).contains("salam=salaam"));
}

void tst_ProgramLife::aSecondStartRaisesTheFirstAndEndsButALockOfTheDeadDoesNot() {
  QProcess* first = Start();
  if (!first) QSKIP("needs an X display");
  WaitUntilReady(*first);
  if (QTest::currentTestFailed()) return;
  QProcess* second = Start();
  QVERIFY(second);
  QVERIFY(second->waitForFinished(kStartMilliseconds));
  QCOMPARE(second->exitStatus(), QProcess::NormalExit);
  QCOMPARE(second->exitCode(), 0);
  QCOMPARE(first->state(), QProcess::Running);

  // Killed without a chance to clean up: its lock and socket stay behind.
  first->kill();
  QVERIFY(first->waitForFinished());
  QVERIFY(QFile::exists(Lock()));
  QProcess* third = Start();
  QVERIFY(third);
  WaitUntilReady(*third);
}

void tst_ProgramLife::withoutAnXDisplayZefraSaysSoAndEnds() {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.remove(QStringLiteral("DISPLAY"));
  environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
  environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
  environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), Path(QStringLiteral("runtime")));
  QProcess zefra;
  zefra.setProcessEnvironment(environment);
  zefra.start(Path(QStringLiteral("bin/zefra")), {});
  QVERIFY(zefra.waitForFinished(kStartMilliseconds));
  QCOMPARE(zefra.exitStatus(), QProcess::NormalExit);
  QCOMPARE(zefra.exitCode(), 1);
  QVERIFY(zefra.readAllStandardError().contains("Zefra needs an X11 session"));
}

void tst_ProgramLife::settingsThatCannotBeSavedAreToldOnce() {
  // A folder where the file should be: nothing can replace it, not even for the superuser.
  QVERIFY(QFile::remove(Settings()));
  QVERIFY(QDir().mkpath(Settings()));
  // Headless: the boxes of the start answer themselves.
  QProcess* zefra = Start("offscreen");
  QVERIFY(zefra);
  WaitUntilReady(*zefra);
  if (QTest::currentTestFailed()) return;
  QVERIFY(Signal(*zefra, SIGTERM));
  QVERIFY(zefra->waitForFinished(kStartMilliseconds));
  QCOMPARE(zefra->exitStatus(), QProcess::NormalExit);
  const QByteArray errors = zefra->readAllStandardError();
  QCOMPARE(errors.count("Zefra could not save \"" + QFile::encodeName(Settings()) + "\": "),
           qsizetype(1));
}

QTEST_GUILESS_MAIN(tst_ProgramLife)
#include "tst_ProgramLife.moc"
