// A Qt line edit for the input method's test: prints its text and its pre-edit at each change.
#include <QApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <cstdio>

namespace {

void Print(const char* what, const QString& text) {
  std::printf("%s:%s\n", what, text.toUtf8().constData());
  std::fflush(stdout);
}

class TPreeditPrinter : public QObject {
 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::InputMethod)
      Print("PREEDIT", static_cast<QInputMethodEvent*>(event)->preeditString());
    return QObject::eventFilter(watched, event);
  }
};

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QLineEdit edit;
  edit.setWindowTitle(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("zefra-qt"));
  TPreeditPrinter printer;
  edit.installEventFilter(&printer);
  QObject::connect(&edit, &QLineEdit::textChanged,
                   [](const QString& text) { Print("TEXT", text); });
  edit.show();
  return application.exec();
}
