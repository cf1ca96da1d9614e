#include "MessageBoxes.h"

#include <QGuiApplication>
#include <QMessageBox>

#include "ServiceSlot.h"

namespace MessageBoxes {

namespace {

QMessageBox::StandardButtons QtButtons(Buttons buttons) {
  switch (buttons) {
    case Buttons::YesNo:
      return QMessageBox::Yes | QMessageBox::No;
    case Buttons::YesCancel:
      return QMessageBox::Yes | QMessageBox::Cancel;
    case Buttons::YesNoCancel:
      return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case Buttons::Ok:
      break;
  }
  return QMessageBox::Ok;
}

QMessageBox::Icon QtIcon(Type type) {
  switch (type) {
    case Type::Warning:
      return QMessageBox::Warning;
    case Type::Error:
      return QMessageBox::Critical;
    case Type::Information:
      break;
  }
  return QMessageBox::Information;
}

Answer FromQt(int button) {
  switch (button) {
    case QMessageBox::Yes:
      return Answer::Yes;
    case QMessageBox::No:
      return Answer::No;
    case QMessageBox::Cancel:
      return Answer::Cancel;
    default:
      return Answer::Ok;
  }
}

}  // namespace

Answer QtService::Show(QWidget* parent, Type type, const QString& text, Buttons buttons) {
  QMessageBox box(QtIcon(type), caption_, text, QtButtons(buttons), parent);
  return FromQt(box.exec());
}

Answer InProcessService::Show(QWidget*, Type type, const QString& text, Buttons buttons) {
  Shown.push_back({type, text, buttons});
  if (!Answers.empty()) {
    const Answer answer = Answers.front();
    Answers.pop_front();
    return answer;
  }
  return buttons == Buttons::Ok ? Answer::Ok : Answer::Yes;
}

std::unique_ptr<Service> ForPlatform(const QString& platformName, const QString& caption) {
  if (IsHeadlessPlatform(platformName)) return std::make_unique<InProcessService>();
  return std::make_unique<QtService>(caption);
}

std::unique_ptr<Service> Install(std::unique_ptr<Service> service) {
  return ServiceSlot<Service>::Install(std::move(service));
}

Service& Current() {
  return ServiceSlot<Service>::Current([](const QString& platformName) {
    return ForPlatform(platformName, QGuiApplication::applicationName());
  });
}

Answer Show(QWidget* parent, Type type, const QString& text, Buttons buttons) {
  return Current().Show(parent, type, text, buttons);
}

}  // namespace MessageBoxes
