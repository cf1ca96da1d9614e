#pragma once
// A control made a named child at a place: the name is what tests and screen readers find it by;
// without a size it takes the size it asks for.
#include <QWidget>

template <typename Control>
Control* Place(Control* control, const char* name, QPoint topLeft, QSize size = {}) {
  control->setObjectName(QLatin1String(name));
  control->move(topLeft);
  control->resize(size.isValid() ? size : control->sizeHint());
  return control;
}
