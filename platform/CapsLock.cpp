#include "CapsLock.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

#include "ServiceSlot.h"

#ifdef ZEFRA_X11
#include "CapsLockX11.h"
#endif

namespace CapsLock {

namespace {

// A press or release of InProcessService's own, which has already flipped the toggle.
class SimulatedKeyEvent : public QKeyEvent {
 public:
  explicit SimulatedKeyEvent(Type type) : QKeyEvent(type, Qt::Key_CapsLock, Qt::NoModifier) {}
};

}  // namespace

InProcessService::InProcessService() {
  if (QCoreApplication* application = QCoreApplication::instance())
    application->installEventFilter(this);
}

InProcessService::~InProcessService() {
  if (QCoreApplication* application = QCoreApplication::instance())
    application->removeEventFilter(this);
}

void InProcessService::SimulatePress() {
  on_ = !on_;
  // Posted, not sent: the caller may be handling a Caps Lock key itself, as on X11, where the
  // simulated keys come back only through the event queue.
  if (QWidget* focus = QApplication::focusWidget()) {
    QCoreApplication::postEvent(focus, new SimulatedKeyEvent(QEvent::KeyPress));
    QCoreApplication::postEvent(focus, new SimulatedKeyEvent(QEvent::KeyRelease));
  }
}

bool InProcessService::eventFilter(QObject* receiver, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  const auto* key = static_cast<const QKeyEvent*>(event);
  // The window hands its key events on to a widget, where they are counted.
  const auto* widget = qobject_cast<const QWidget*>(receiver);
  if (key->key() != Qt::Key_CapsLock || key->isAutoRepeat() || !widget) return false;
  const bool handedOn =
      event == lastPress_ && key->timestamp() == lastTimestamp_ && receiver == nextReceiver_;
  lastPress_ = event;
  lastTimestamp_ = key->timestamp();
  nextReceiver_ = widget->parentWidget();
  if (!handedOn && !dynamic_cast<const SimulatedKeyEvent*>(key)) on_ = !on_;
  return false;
}

std::unique_ptr<Service> ForPlatform(const QString& platformName) {
  return ServiceSlot<Service>::ForPlatform<InProcessService>(platformName, [] {
#ifdef ZEFRA_X11
    return X11Service();
#else
    return std::unique_ptr<Service>();
#endif
  });
}

std::unique_ptr<Service> Install(std::unique_ptr<Service> service) {
  return ServiceSlot<Service>::Install(std::move(service));
}

Service& Current() {
  return ServiceSlot<Service>::Current(ForPlatform);
}

}  // namespace CapsLock
