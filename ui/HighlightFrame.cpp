#include "HighlightFrame.h"

#include <QPainter>
#include <QRegion>

namespace {

// The pen is 4 pixels wide and centred on the window's edge.
constexpr int kHalfPen = 2;

}  // namespace

THighlightFrame::THighlightFrame(QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                         Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus |
                         Qt::X11BypassWindowManagerHint) {
  setObjectName(QStringLiteral("HighlightFrame"));
  setAttribute(Qt::WA_ShowWithoutActivating);
}

void THighlightFrame::Frame(const QRect& rect) {
  if (rect.isEmpty()) {
    hide();
    return;
  }
  const QRect outer = rect.adjusted(-kHalfPen, -kHalfPen, kHalfPen, kHalfPen);
  setGeometry(outer);
  const QRect inside(2 * kHalfPen, 2 * kHalfPen, outer.width() - 4 * kHalfPen,
                     outer.height() - 4 * kHalfPen);
  setMask(QRegion(0, 0, outer.width(), outer.height()) - QRegion(inside));
  show();
  raise();
}

void THighlightFrame::paintEvent(QPaintEvent*) {
  // Black and white in a fine pattern shows on any background, as the inverted pen did.
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  painter.fillRect(rect(), QBrush(Qt::black, Qt::Dense4Pattern));
}
