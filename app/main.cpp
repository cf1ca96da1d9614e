#include <QApplication>
#include <QFile>
#include <QStandardPaths>

#include "Dictionary.h"
#include "MessageBoxes.h"
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

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setOrganizationName(QStringLiteral("Quorvel Software Company"));
  QApplication::setApplicationName(QStringLiteral("Zefra"));
  MessageBoxes::Install(MessageBoxes::ForPlatform(
      QApplication::platformName(), QStringLiteral("Advanced Romanesh Translator  -  Zefra")));

  TBoxReporter reporter;
  StartDictionaryModule(
      ChooseDictionaryFile(
          LocalPath(QCoreApplication::applicationDirPath()),
          LocalPath(QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation))),
      reporter);
  InitializeEngine();

  int result = 0;
  {
    TMainForm mainForm;
    mainForm.show();
    result = app.exec();
  }
  // Nothing is shown at exit: the settings dialog already reports a file it cannot write.
  SaveDictionary();
  FinishDictionaryModule();
  return result;
}
