#pragma once
// A push button made a named child of its window at a place: the name is what tests and screen
// readers find it by.
#include <QPushButton>

inline QPushButton* NamedButton(QWidget* parent, const char* name, const QString& caption,
                                QRect place) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(QLatin1String(name));
  button->setGeometry(place);
  return button;
}
