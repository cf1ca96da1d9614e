#pragma once
// Message boxes through one replaceable service: on a desktop they are real modal boxes; in
// process (headless runs) each box is recorded with its text, type and buttons and answered
// from a queue, so that a caller's exact texts and its reaction to each answer can be checked.
#include <QString>
#include <deque>
#include <memory>
#include <vector>

class QWidget;

namespace MessageBoxes {

enum class Type { Warning, Information, Error };
enum class Buttons { Ok, YesNo, YesCancel, YesNoCancel };
enum class Answer { Ok, Yes, No, Cancel };

class Service {
 public:
  virtual ~Service() = default;
  virtual Answer Show(QWidget* parent, Type type, const QString& text, Buttons buttons) = 0;
};

// QMessageBox, modal, under the given caption.
class QtService : public Service {
 public:
  explicit QtService(QString caption) : caption_(std::move(caption)) {}
  Answer Show(QWidget* parent, Type type, const QString& text, Buttons buttons) override;

 private:
  QString caption_;
};

// Records every box and answers with the queued answers in order; when the queue is empty,
// with the first button of the set (OK or Yes).
class InProcessService : public Service {
 public:
  struct Box {
    Type BoxType;
    QString Text;
    Buttons BoxButtons;
  };
  Answer Show(QWidget* parent, Type type, const QString& text, Buttons buttons) override;

  std::vector<Box> Shown;
  std::deque<Answer> Answers;
};

// The service for a Qt platform: a headless one gets the in-process boxes, every other real ones.
std::unique_ptr<Service> ForPlatform(const QString& platformName, const QString& caption);

// Makes service the one in use, returning the one it replaces (nullptr: none installed yet).
std::unique_ptr<Service> Install(std::unique_ptr<Service> service);
// The service in use; the first use without Install picks ForPlatform for the running platform.
Service& Current();

// Shows a box through the service in use.
Answer Show(QWidget* parent, Type type, const QString& text, Buttons buttons = Buttons::Ok);

}  // namespace MessageBoxes
