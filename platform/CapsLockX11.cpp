#include "CapsLockX11.h"

#include <QGuiApplication>

// After Qt: Xlib defines macros (KeyPress, Bool, None) that clash with Qt's names.
#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace CapsLock {

namespace {

class XServerCapsLock : public Service {
 public:
  XServerCapsLock(Display* display, KeyCode capsLock) : display_(display), capsLock_(capsLock) {}

  bool IsOn() override {
    XkbStateRec state;
    return XkbGetState(display_, XkbUseCoreKbd, &state) == Success &&
           (state.locked_mods & LockMask) != 0;
  }

  void SimulatePress() override {
    XTestFakeKeyEvent(display_, capsLock_, True, CurrentTime);
    XTestFakeKeyEvent(display_, capsLock_, False, CurrentTime);
    XFlush(display_);
  }

 private:
  Display* display_;  // Qt's connection, open for the life of the application
  KeyCode capsLock_;
};

}  // namespace

std::unique_ptr<Service> X11Service() {
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  Display* display = x11 ? x11->display() : nullptr;
  if (!display) return nullptr;
  int opcode, event, error;
  int major = XkbMajorVersion, minor = XkbMinorVersion;
  if (!XkbQueryExtension(display, &opcode, &event, &error, &major, &minor)) return nullptr;
  if (!XTestQueryExtension(display, &event, &error, &major, &minor)) return nullptr;
  const KeyCode capsLock = XKeysymToKeycode(display, XK_Caps_Lock);
  if (!capsLock) return nullptr;
  return std::make_unique<XServerCapsLock>(display, capsLock);
}

}  // namespace CapsLock
