#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QSessionManager>
#include <QStandardPaths>
#include <cstdio>
#include <memory>

#include "Dictionary.h"
#include "MessageBoxes.h"
#include "QuitSignals.h"
#include "Registry.h"
#include "SingleInstance.h"
#include "WordList.h"
#include "X11Start.h"
#include "trans.h"
#include "uMain.h"

namespace {

// The dictionary module's warnings and errors reach the user as message boxes.
class TBoxReporter : public TDictionaryReporter {
 public:
  void Warning(const std::string& text) override { Show(MessageBoxes::Type::Warning, text); }
  void Error(const std::string& text) override { Show(MessageBoxes::Type::Error, text); }

 private:
  static void Show(MessageBoxes::Type type, const std::string& text) {
    MessageBoxes::Show(nullptr, type, QString::fromStdString(text));
  }
};

std::string LocalPath(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

int Refuse(const QString& problem) {
  std::fprintf(stderr, "zefra: %s\n", qPrintable(problem));
  return EXIT_FAILURE;
}

}  // namespace

int main(int argc, char* argv[]) {
  QString problem;
  if (!X11Start::ChoosePlatform(problem)) return Refuse(problem);
  // Qt needs the application object before any box or window, even the first run's note.
  QApplication app(argc, argv);
  Registry::NameApplication();
  // The window belongs to the desktop entry, by which the task bar groups it and a compositor
  // knows it, and shows its icon: the theme's when installed, else the one built in.
  QGuiApplication::setDesktopFileName(QStringLiteral(ZEFRA_APP_ID));
  QIcon builtIn;
  for (const char* size : {"48", "256"})
    builtIn.addFile(QStringLiteral(":/icons/" ZEFRA_APP_ID "-%1.png").arg(QLatin1String(size)));
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral(ZEFRA_APP_ID), builtIn));
  if (!X11Start::InstallServices(problem)) return Refuse(problem);
  TQuitSignals quitSignals;
  // Every event loop ends, the main one and that of any box or dialog open at the moment.
  QObject::connect(&quitSignals, &TQuitSignals::QuitRequested, &app, [] { QApplication::exit(); });
  // Before anything reads or writes the user's files.
  TSingleInstance instance;
  if (!instance.Start()) return EXIT_SUCCESS;

  TBoxReporter reporter;
  StartDictionaryModule(
      ChooseDictionaryFile(
          LocalPath(QCoreApplication::applicationDirPath()),
          LocalPath(QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation))),
      reporter);
  InitializeEngine();
  // Read only when smart spelling or modern orthography first needs them.
  SetWordListSources(DefaultWordListSources(LocalPath(QCoreApplication::applicationDirPath())));

  auto registry = std::make_unique<Registry>();
  CheckVersion(*registry);
  // The title captions every box from here on; the notes above carry the program's name.
  MessageBoxes::Install(MessageBoxes::ForPlatform(
      QApplication::platformName(), QStringLiteral("Advanced Romanesh Translator  -  Zefra")));
  int result = EXIT_FAILURE;
  {
    TMainForm MainForm;
    LoadSettings(*registry, MainForm);
    QObject::connect(&instance, &TSingleInstance::RaiseRequested, &MainForm,
                     &TMainForm::BringToFront);
    // The session may end the program without a quit of its own after this.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &MainForm,
                     [&](QSessionManager&) { MainForm.SaveUserFiles(*registry); });
    // A signal during a note of the start ended that note's loop, not the main one to come.
    if (!quitSignals.Received()) {
      MainForm.ShowAtStartUp();
      try {
        result = app.exec();
      } catch (...) {
        // Nothing is reported: the settings are still saved and the program ends.
      }
    } else {
      result = EXIT_SUCCESS;
    }
    // What cannot be saved from here on is told on standard error, not in a box that would hold
    // up a logout or a kill.
    MainForm.hide();
    MainForm.SaveSettingsFile(*registry);
    registry.reset();
  }
  FinishDictionaryModule();
  return result;
}
