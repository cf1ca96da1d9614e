#pragma once
// The files by which the running window is known: its lock and its socket, in the user's
// runtime directory. The input method looks at the same lock before it writes the dictionary.
#include <QStandardPaths>
#include <QString>

inline constexpr char kInstanceLockName[] = "Zefra.lock";
inline constexpr char kInstanceSocketName[] = "Zefra.socket";

inline QString RuntimePath(const char* name) {
  return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) + u'/' +
         QLatin1String(name);
}
