#pragma once
// The face that Persian text is shown in, shared by every window.
#include <QString>

// The first installed face that shows Persian well, or "" when there is none.
QString PersianFace();
