#pragma once
// The about window. The main window disables itself while it shows; hiding it, by its OK button
// or otherwise, enables the main window again.
#include <QWidget>

class QPushButton;

class TAboutForm : public QWidget {
  Q_OBJECT
 public:
  // mainWindow is also the parent, so the window stays above it and goes with it.
  explicit TAboutForm(QWidget* mainWindow);

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void OkBtnClick();

  QWidget* MainWindow;
  QPushButton* OkBtn;
};
