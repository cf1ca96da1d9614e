#pragma once
// The tips window shown at the program's start: one tip about typing Romanesh at a time, and the
// switch that keeps it from showing at later starts, kept in the "Tips of day" value.
#include <QDialog>

#include "Registry.h"

class QCheckBox;
class QLabel;
class QPushButton;

class TTipOfDay : public QDialog {
  Q_OBJECT
 public:
  explicit TTipOfDay(QWidget* parent);

  // Whether the tips show at start: unless "Tips of day" is stored as false.
  static bool ShowOnStartUp();
  // Stores whether the tips show at start; false when it could not be written.
  static bool SetShowOnStartUp(Registry& registry, bool show);
  // Shows the window over its parent, which waits for it, from the next tip on.
  void Execute();

 private:
  void ShowTipsChkClick();
  void NextBtnClick();

  QLabel* TipLabel;
  QCheckBox* ShowTipsChk;
  QPushButton* NextBtn;
  QPushButton* CloseBtn;
  size_t TipIndex;
  Registry Settings;
};
