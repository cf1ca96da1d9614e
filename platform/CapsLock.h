#pragma once
// The Caps Lock key through one replaceable service: its toggle state, and a press of the key as
// if the user made it. Qt keeps no Caps Lock state of its own, so on X11 both go to the X server;
// in process (headless runs) a toggle follows the Caps Lock presses that the application sees.
#include <QObject>
#include <QString>
#include <memory>

class QWidget;

namespace CapsLock {

class Service {
 public:
  virtual ~Service() = default;
  /// Whether Caps Lock is on.
  virtual bool IsOn() = 0;
  /// Presses and releases Caps Lock: the toggle flips, and the focused widget receives the press
  /// and the release later, through the event queue, never from inside this call.
  virtual void SimulatePress() = 0;
};

// A toggle flipped by every Caps Lock press that a widget receives; a simulated press is posted
// to the focused widget as a Key_CapsLock press and release.
class InProcessService : public Service, private QObject {
 public:
  InProcessService();
  ~InProcessService() override;
  bool IsOn() override { return on_; }
  void SimulatePress() override;

 protected:
  bool eventFilter(QObject* receiver, QEvent* event) override;

 private:
  bool on_ = false;
  // A press that a widget leaves unaccepted goes on to the widget's parent as the same event and
  // is still one press: the last press seen, and the parent it would go on to.
  const QEvent* lastPress_ = nullptr;
  quint64 lastTimestamp_ = 0;
  const QObject* nextReceiver_ = nullptr;
};

// The service for a Qt platform: a headless one gets the in-process toggle, every other the X
// server's Caps Lock, or none when there is no X server with the keyboard and test extensions.
std::unique_ptr<Service> ForPlatform(const QString& platformName);

// Makes service the one in use, returning the one it replaces (nullptr: none installed yet).
std::unique_ptr<Service> Install(std::unique_ptr<Service> service);
// The service in use; the first use without Install picks ForPlatform for the running platform.
Service& Current();

}  // namespace CapsLock
