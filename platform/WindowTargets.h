#pragma once
// Windows of other applications that receive the output, through one replaceable service: the
// window under a point, its place and kind, its text, and keys typed into it. On X11 the windows
// are found on the X server and their controls on the accessibility bus, and keys are typed with
// XTest; in process (headless runs) the windows are stand-ins that record what reaches them.
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <vector>

#include "ServiceSlot.h"

namespace WindowTargets {

// A window as the service knows it; 0 is none. The same window found twice gets the same handle.
using Handle = uint64_t;

// Left moves the caret one character back, towards the start of its line, as it does on a line
// that runs left to right.
enum class Key { Left, Delete, End, Down, Enter };

class Service {
 public:
  virtual ~Service() = default;
  /// The window of another application at the screen point; 0 when there is none.
  virtual Handle WindowFromPoint(QPoint point) = 0;
  /// Its rectangle on the screen; empty when it is gone.
  virtual QRect WindowRect(Handle window) = 0;
  /// Its kind: the class name the standard control of its role would have ("EDIT", "BUTTON",
  /// "TOOLBAR", ...), then a blank and the application's window class.
  virtual QString ClassName(Handle window) = 0;
  /// Its text; "" when it has none.
  virtual QString Text(Handle window) = 0;
  /// Replaces its whole text; false when it takes no text.
  virtual bool SetText(Handle window, const QString& text) = 0;
  /// Whether its text is a single line, as in a chat's entry box.
  virtual bool SingleLine(Handle window) = 0;
  /// Whether the window still exists.
  virtual bool IsWindow(Handle window) = 0;
  /// Asks for the keyboard layout that the next typed character belongs to. Where characters are
  /// typed by their code points, as here, no layout has to be switched.
  virtual void RequestLayout(Handle window, uint16_t layout) = 0;
  /// Tells which line the next Left presses move on, as the caller last sent it. Text controls
  /// move the caret the way the arrow points, so on a right-to-left line back is to the right.
  virtual void SetCaretLine(Handle window, const QString& line) = 0;
  /// One press and release of the key in the window; false when it was not delivered.
  virtual bool PostKey(Handle window, Key key) = 0;
  /// The character typed into the window; false when it was not delivered.
  virtual bool PostCharacter(Handle window, char32_t character) = 0;
  /// Ends a run of posts: the keyboard goes back to where it was before the first.
  virtual void FinishPosts() = 0;
};

// Stand-in windows, each a rectangle of the screen with a class name and a text, which a test
// adds and removes. Every layout request and post is recorded; the posts also edit the window's
// text as a plain editor would, at a caret that starts at the text's end.
class InProcessService : public Service {
 public:
  struct Window {
    QRect Rect;
    QString ClassName;
    QString Text;
    bool TakesText = true;  // SetText replaces the text
    bool SingleLine = false;
    bool Exists = true;
    int Caret = 0;
    int RefusedPosts = 0;  // the next posts refused, as by a full queue
  };

  /// A new window on top of the others.
  Handle AddWindow(QRect rect, const QString& className, const QString& text = {},
                   bool takesText = true);
  /// The window as it stands; removed windows are kept, with Exists false.
  Window& At(Handle window) { return windows_.at(window - 1); }
  void Remove(Handle window) { At(window).Exists = false; }

  Handle WindowFromPoint(QPoint point) override;
  QRect WindowRect(Handle window) override;
  QString ClassName(Handle window) override;
  QString Text(Handle window) override;
  bool SetText(Handle window, const QString& text) override;
  bool SingleLine(Handle window) override;
  bool IsWindow(Handle window) override;
  void RequestLayout(Handle window, uint16_t layout) override;
  void SetCaretLine(Handle, const QString&) override {}
  bool PostKey(Handle window, Key key) override;
  bool PostCharacter(Handle window, char32_t character) override;
  void FinishPosts() override { ++FinishedRuns; }

  /// The posts delivered, in order: "Left", "Delete", "End", "Down", "Enter" or the character.
  QStringList Posts;
  /// The layouts requested, in order.
  std::vector<uint16_t> Layouts;
  /// Every text set, in order.
  QStringList TextsSet;
  int FinishedRuns = 0;

 private:
  Window* Live(Handle window);
  bool Deliver(Handle window, const QString& post);
  std::vector<Window> windows_;
};

// The service for a Qt platform: a headless one gets the in-process stand-ins, every other the X
// server's windows, or none when there is no X server with the test extension.
std::unique_ptr<Service> ForPlatform(const QString& platformName);

// Makes service the one in use, returning the one it replaces (nullptr: none installed yet).
inline std::unique_ptr<Service> Install(std::unique_ptr<Service> service) {
  return ServiceSlot<Service>::Install(std::move(service));
}
// The service in use; the first use without Install picks ForPlatform for the running platform.
inline Service& Current() {
  return ServiceSlot<Service>::Current(ForPlatform);
}

}  // namespace WindowTargets
