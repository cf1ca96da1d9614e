#pragma once
// The common open, save, font and colour dialogs through one replaceable service: on a desktop
// they are real modal dialogs; in process (headless runs) each request is recorded and answered
// from a queue, so that a caller's titles and filters and its reaction to each answer can be
// checked.
#include <QColor>
#include <QFont>
#include <QString>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

class QWidget;

namespace Dialogs {

// What a file dialog is opened with.
struct FileRequest {
  QString Title;        // empty: the dialog's own title
  QString Filter;       // the filters in Qt's syntax, joined by ";;"
  int FilterIndex = 1;  // the filter shown first, counted from 1
  QString FileName;     // the name proposed, or empty
};

// The file the user chose and the filter it was chosen under, counted from 1.
struct FileChoice {
  QString FileName;
  int FilterIndex = 1;
};

class Service {
 public:
  virtual ~Service() = default;
  // An existing file; nothing when cancelled.
  virtual std::optional<FileChoice> Open(QWidget* parent, const FileRequest& request) = 0;
  // A file to write, asking before an existing one is replaced; nothing when cancelled.
  virtual std::optional<FileChoice> Save(QWidget* parent, const FileRequest& request) = 0;
  virtual std::optional<QFont> Font(QWidget* parent, const QFont& initial) = 0;
  virtual std::optional<QColor> Colour(QWidget* parent, const QColor& initial) = 0;
};

// QFileDialog, QFontDialog, QColorDialog, modal.
class QtService : public Service {
 public:
  std::optional<FileChoice> Open(QWidget* parent, const FileRequest& request) override;
  std::optional<FileChoice> Save(QWidget* parent, const FileRequest& request) override;
  std::optional<QFont> Font(QWidget* parent, const QFont& initial) override;
  std::optional<QColor> Colour(QWidget* parent, const QColor& initial) override;
};

// Records every request and answers with the queued answers of its kind in order; when that
// queue is empty, the dialog counts as cancelled.
class InProcessService : public Service {
 public:
  enum class Kind { Open, Save, Font, Colour };
  struct Request {
    Kind RequestKind;
    FileRequest File;  // open and save
    QFont InitialFont;
    QColor InitialColour;
  };
  std::optional<FileChoice> Open(QWidget* parent, const FileRequest& request) override;
  std::optional<FileChoice> Save(QWidget* parent, const FileRequest& request) override;
  std::optional<QFont> Font(QWidget* parent, const QFont& initial) override;
  std::optional<QColor> Colour(QWidget* parent, const QColor& initial) override;

  std::vector<Request> Shown;
  std::deque<std::optional<FileChoice>> FileAnswers;  // for open and save alike
  std::deque<std::optional<QFont>> FontAnswers;
  std::deque<std::optional<QColor>> ColourAnswers;
};

// The service for a Qt platform: a headless one gets the in-process dialogs, every other real
// ones.
std::unique_ptr<Service> ForPlatform(const QString& platformName);

// Makes service the one in use, returning the one it replaces (nullptr: none installed yet).
std::unique_ptr<Service> Install(std::unique_ptr<Service> service);
// The service in use; the first use without Install picks ForPlatform for the running platform.
Service& Current();

}  // namespace Dialogs
