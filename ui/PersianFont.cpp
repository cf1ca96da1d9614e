#include "PersianFont.h"

#include <QFontDatabase>
#include <QStringList>

QString PersianFace() {
  const QStringList installed = QFontDatabase::families();
  for (const char* face :
       {"Tahoma", "Noto Sans Arabic", "Noto Naskh Arabic", "Vazirmatn", "DejaVu Sans"}) {
    if (installed.contains(QLatin1String(face), Qt::CaseInsensitive)) return QLatin1String(face);
  }
  return {};
}
