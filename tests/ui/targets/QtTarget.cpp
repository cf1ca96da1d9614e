// A window of another application for the tests of sending the output: a line edit, a text
// edit, a tool bar and a button at fixed places. It stands at the position given as its two
// arguments, and writes "ready" when shown, then each edit's name and text, percent-encoded,
// whenever the text changes.
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <cstdio>

namespace {

void Report(const char* name, const QString& text) {
  std::printf("%s %s\n", name, QUrl::toPercentEncoding(text).constData());
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  if (argc < 3) return 2;
  QWidget window;
  window.setWindowTitle(QStringLiteral("Qt target"));
  window.setGeometry(QString::fromLocal8Bit(argv[1]).toInt(),
                     QString::fromLocal8Bit(argv[2]).toInt(), 300, 250);
  auto* line = new QLineEdit(&window);
  line->setGeometry(10, 10, 280, 30);
  auto* text = new QTextEdit(&window);
  text->setGeometry(10, 50, 280, 100);
  auto* tools = new QToolBar(&window);
  tools->setGeometry(10, 160, 280, 30);
  tools->addAction(QStringLiteral("Tool"));
  auto* button = new QPushButton(QStringLiteral("Push"), &window);
  button->setGeometry(10, 200, 100, 30);
  QObject::connect(line, &QLineEdit::textChanged, [](const QString& now) { Report("line", now); });
  QObject::connect(text, &QTextEdit::textChanged, [text] { Report("text", text->toPlainText()); });
  window.show();
  line->setFocus();
  QTimer::singleShot(0, [] {
    std::printf("ready\n");
    std::fflush(stdout);
  });
  return app.exec();
}
