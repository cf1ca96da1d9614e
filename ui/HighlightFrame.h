#pragma once
// The frame drawn around the window under the pointer while the user looks for a target: a
// window of its own, on top of every other, shaped as the frame and transparent to the pointer,
// since drawing on the desktop itself does not show on composited desktops.
#include <QWidget>

class THighlightFrame : public QWidget {
 public:
  /// A window of its own, deleted with owner.
  explicit THighlightFrame(QWidget* owner);
  /// Frames the screen rectangle, or hides the frame when it is empty.
  void Frame(const QRect& rect);

 protected:
  void paintEvent(QPaintEvent* event) override;
};
