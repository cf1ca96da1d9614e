#include "X11Start.h"

#include <QGuiApplication>

#include "CapsLock.h"

#ifdef ZEFRA_X11
#include <X11/Xlib.h>
#endif

namespace X11Start {

namespace {

constexpr char kPlatformVariable[] = "QT_QPA_PLATFORM";
const QString kNeedsX11 =
    QStringLiteral("Zefra needs an X11 session; on a Wayland desktop XWayland provides one.");

#ifdef ZEFRA_X11
// The probe's connection stays open until Qt has made its own: a server whose last client
// leaves resets (a bare Xvfb does), and a connection made during the reset fails.
Display* probe = nullptr;
#endif

bool CanOpenDisplay() {
#ifdef ZEFRA_X11
  probe = XOpenDisplay(nullptr);
  return probe != nullptr;
#else
  return !qEnvironmentVariableIsEmpty("DISPLAY");
#endif
}

}  // namespace

bool ChoosePlatform(QString& problem) {
  if (qEnvironmentVariableIsEmpty(kPlatformVariable)) qputenv(kPlatformVariable, "xcb");
  // "xcb", "xcb:options" or a list of platforms to try that begins with xcb.
  if (!qEnvironmentVariable(kPlatformVariable).startsWith(QLatin1String("xcb"))) return true;
  if (CanOpenDisplay()) return true;
  // Qt would end the program with an abort of its own.
  const QString display = qEnvironmentVariable("DISPLAY");
  problem =
      (display.isEmpty() ? QStringLiteral("No X display is set (DISPLAY is empty). ")
                         : QStringLiteral("The X display \"%1\" cannot be opened. ").arg(display)) +
      kNeedsX11;
  return false;
}

bool InstallServices(QString& problem) {
#ifdef ZEFRA_X11
  if (probe) XCloseDisplay(probe);
  probe = nullptr;
#endif
  // The windows of other programs need no more of the X server than Caps Lock does; they are
  // made on their first use, which also joins the accessibility bus.
  std::unique_ptr<CapsLock::Service> capsLock =
      CapsLock::ForPlatform(QGuiApplication::platformName());
  if (!capsLock) {
    problem = QStringLiteral(
                  "The Qt platform \"%1\" offers no X server with the XKB and XTEST "
                  "extensions. ")
                  .arg(QGuiApplication::platformName()) +
              kNeedsX11 + QStringLiteral(" Unset QT_QPA_PLATFORM or set it to xcb.");
    return false;
  }
  CapsLock::Install(std::move(capsLock));
  return true;
}

}  // namespace X11Start
