#pragma once
// Zefra works on an X server (XWayland serves on a Wayland desktop): Qt's xcb platform unless
// the user names another, and the X server's Caps Lock and windows of other programs.
#include <QString>

namespace X11Start {

/// Before the application object: picks xcb when QT_QPA_PLATFORM names no platform. False, with
/// a sentence for the user in problem, when xcb is to be used and no X display can be opened.
bool ChoosePlatform(QString& problem);
/// After the application object: installs the X server's Caps Lock for the running platform (the
/// in-process one on a headless platform). False, with a sentence for the user in problem, when
/// the platform has no X server to give it, nor the windows of other programs.
bool InstallServices(QString& problem);

}  // namespace X11Start
