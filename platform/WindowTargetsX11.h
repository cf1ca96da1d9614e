#pragma once
// Other applications' windows on the X server: found by descending the window tree, their
// controls and texts on the accessibility bus (AT-SPI), keys typed with XTest.
#include "WindowTargets.h"

namespace WindowTargets {

/// The service on the application's X display; nullptr when there is none or when the server
/// lacks the XTest extension. Without an accessibility bus, windows have their titles as texts.
std::unique_ptr<Service> X11Service();

}  // namespace WindowTargets
