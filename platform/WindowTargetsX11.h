#pragma once
// Other applications' windows on the X server: found by descending the window tree, their
// controls and texts on the accessibility bus (AT-SPI), keys typed with XTest.
#include "WindowTargets.h"

namespace WindowTargets {

/// The service on the application's X display; nullptr when there is none or when the server
/// lacks the XTest extension. A window whose control is not found on the accessibility bus (none
/// is, without the bus) has no text and takes none: only keys reach it.
std::unique_ptr<Service> X11Service();

}  // namespace WindowTargets
