#include "ToolbarImages.h"

#include <QFont>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <algorithm>

#include "PersianFont.h"

namespace {

// Glyphs are drawn on a 16-unit square; bars and dots sit on whole units so that they stay
// sharp at 16 pixels and at every whole multiple.
constexpr qreal kGrid = 16;

struct TInks {
  QColor Ink;
  QColor Accent;
  QColor Paper;
  QColor Wood;
};

TInks InksFor(QIcon::Mode mode) {
  if (mode == QIcon::Disabled)
    return {{150, 150, 150}, {170, 170, 170}, {235, 235, 235}, {190, 190, 190}};
  return {{32, 32, 32}, {30, 100, 200}, {255, 255, 255}, {170, 120, 60}};
}

// Text scaled into box, keeping its proportions, centred.
void FillText(QPainter& p, const QString& text, QFont font, const QRectF& box,
              const QColor& colour) {
  font.setPixelSize(100);
  QPainterPath path;
  path.addText(0, 0, font, text);
  const QRectF bounds = path.boundingRect();
  if (bounds.isEmpty()) return;
  const qreal scale = std::min(box.width() / bounds.width(), box.height() / bounds.height());
  QTransform fit;
  fit.translate(box.center().x(), box.center().y());
  fit.scale(scale, scale);
  fit.translate(-bounds.center().x(), -bounds.center().y());
  p.fillPath(fit.map(path), colour);
}

QFont Bold(const QString& face) {
  QFont font(face);
  font.setBold(true);
  return font;
}

QFont LatinBold() {
  return Bold(QStringLiteral("DejaVu Sans"));
}

void DrawBold(QPainter& p, const TInks& inks) {
  FillText(p, QStringLiteral("B"), LatinBold(), {2, 1.5, 12, 13}, inks.Ink);
}

void DrawItalic(QPainter& p, const TInks& inks) {
  QFont serif = Bold(QStringLiteral("DejaVu Serif"));
  serif.setItalic(true);
  FillText(p, QStringLiteral("I"), serif, {3, 1.5, 10, 13}, inks.Ink);
}

void DrawUnderline(QPainter& p, const TInks& inks) {
  FillText(p, QStringLiteral("U"), LatinBold(), {2.5, 1, 11, 10.5}, inks.Ink);
  p.fillRect(QRectF(2, 13, 12, 2), inks.Ink);
}

// Four text lines; short ones stand where alignment puts them (0 left, 1 centre, 2 right).
void DrawLines(QPainter& p, const TInks& inks, int alignment) {
  for (int line = 0; line < 4; ++line) {
    const qreal width = line % 2 ? 8 : 14;
    const qreal left = alignment == 0 ? 1 : alignment == 1 ? (kGrid - width) / 2 : 15 - width;
    p.fillRect(QRectF(left, 2 + line * 3.5, width, 2), inks.Ink);
  }
}

void DrawBullets(QPainter& p, const TInks& inks) {
  for (int item = 0; item < 3; ++item) {
    const qreal top = 2 + item * 5;
    p.setBrush(inks.Accent);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QRectF(1, top, 3, 3));
    p.fillRect(QRectF(6, top + 0.5, 9, 2), inks.Ink);
  }
}

// A key cap, the Caps Lock key that drives the English-word switch.
void DrawKeyCap(QPainter& p, const QColor& face, const QColor& edge) {
  p.setPen(QPen(edge, 1));
  p.setBrush(face);
  p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 3, 3);
}

void DrawEnglishOff(QPainter& p, const TInks& inks) {
  DrawKeyCap(p, inks.Paper, inks.Ink);
  FillText(p, QStringLiteral(u"\u0641"), Bold(PersianFace()), {3.5, 3.5, 9, 9}, inks.Ink);  // FEH
}

void DrawEnglishOn(QPainter& p, const TInks& inks) {
  DrawKeyCap(p, inks.Accent, inks.Accent.darker(140));
  FillText(p, QStringLiteral("A"), LatinBold(), {4, 4, 8, 8}, inks.Paper);
}

void DrawPersianKeyboard(QPainter& p, const TInks& inks) {
  FillText(p, QStringLiteral(u"\u0641\u0627"), Bold(PersianFace()), {2.5, 0, 11, 7}, inks.Accent);
  p.setPen(QPen(inks.Ink, 1));
  p.setBrush(inks.Paper);
  p.drawRoundedRect(QRectF(0.5, 7.5, 15, 8), 1.5, 1.5);
  for (int key = 0; key < 5; ++key) p.fillRect(QRectF(2 + key * 2.5, 9, 1.5, 1.5), inks.Ink);
  for (int key = 0; key < 4; ++key) p.fillRect(QRectF(3 + key * 2.5, 11, 1.5, 1.5), inks.Ink);
  p.fillRect(QRectF(4, 13, 8, 1), inks.Ink);
}

void DrawPaste(QPainter& p, const TInks& inks) {
  p.setPen(Qt::NoPen);
  p.setBrush(inks.Wood);
  p.drawRoundedRect(QRectF(1, 2, 10, 13), 1.5, 1.5);
  p.fillRect(QRectF(3.5, 1, 5, 3), inks.Ink);
  p.setPen(QPen(inks.Ink, 1));
  p.setBrush(inks.Paper);
  p.drawRect(QRectF(6.5, 6.5, 8, 9));
  for (int line = 0; line < 3; ++line) p.fillRect(QRectF(8, 9 + line * 2, 5, 1), inks.Ink);
}

void DrawUndo(QPainter& p, const TInks& inks) {
  QPainterPath arc;
  arc.moveTo(13.5, 14);
  arc.cubicTo(15, 8, 11, 5.5, 6, 5.5);
  p.setPen(QPen(inks.Accent, 2, Qt::SolidLine, Qt::RoundCap));
  p.setBrush(Qt::NoBrush);
  p.drawPath(arc);
  p.setPen(Qt::NoPen);
  p.setBrush(inks.Accent);
  p.drawPolygon(QPolygonF({QPointF(0.5, 5.5), QPointF(7, 1), QPointF(7, 10)}));
}

using TDraw = void (*)(QPainter&, const TInks&);

// Indexed by TToolbarImage.
const TDraw kGlyphs[ToolbarImageCount] = {
    DrawBold,
    DrawItalic,
    DrawUnderline,
    [](QPainter& p, const TInks& inks) { DrawLines(p, inks, 0); },
    [](QPainter& p, const TInks& inks) { DrawLines(p, inks, 1); },
    [](QPainter& p, const TInks& inks) { DrawLines(p, inks, 2); },
    DrawBullets,
    DrawEnglishOff,
    DrawPersianKeyboard,
    DrawEnglishOn,
    DrawPaste,
    DrawUndo,
};

class TGlyphEngine : public QIconEngine {
 public:
  explicit TGlyphEngine(int index) : Index(index) {}

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
    const qreal side = std::min(rect.width(), rect.height());
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->translate(rect.x() + (rect.width() - side) / 2, rect.y() + (rect.height() - side) / 2);
    painter->scale(side / kGrid, side / kGrid);
    kGlyphs[Index](*painter, InksFor(mode));
    painter->restore();
  }

  // The base class paints onto an uninitialised pixmap.
  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    QPixmap image(size);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    paint(&painter, image.rect(), mode, state);
    return image;
  }

  QIconEngine* clone() const override { return new TGlyphEngine(Index); }

 private:
  int Index;
};

}  // namespace

QIcon ToolbarImage(int index) {
  if (index < 0 || index >= ToolbarImageCount) return {};
  return QIcon(new TGlyphEngine(index));
}
