#pragma once
// The X server's Caps Lock: the locked modifiers of the XKB state, and presses made with XTest.
#include "CapsLock.h"

namespace CapsLock {

/// The service on the application's X display; nullptr when there is none, when the server lacks
/// the XKB or XTest extension, or when no key of the keymap types Caps Lock.
std::unique_ptr<Service> X11Service();

}  // namespace CapsLock
