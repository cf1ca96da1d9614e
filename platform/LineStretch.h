#pragma once
// Painting a paragraph many screens wide: the stretch of its one line that is in sight, laid out
// by itself and drawn where the whole line has it, costs what a short line costs.
#include <QAbstractTextDocumentLayout>
#include <QStringView>

class QPainter;
class QTextBlock;

struct TCharRange {
  int Start;
  int End;
};

// The characters from the last cut before from to the first cut after to, or to the text's
// start or end where none is near. A cut is a space whose nearest strong neighbours on both sides
// run in the paragraph's direction: no run of the other direction crosses it, and each side of
// it reads the same laid out alone as in the whole.
TCharRange StretchAround(QStringView text, bool rightToLeft, int from, int to);

// Draws the part of the block's laid-out line that clip holds, as drawing the whole line would,
// with the selections given in the block's positions. False, having drawn nothing, where the
// stretch cannot stand for the whole: the line not laid out in one with its shaped text kept,
// tabs or objects in sight, a composed text, a selection across the full width.
bool DrawLineStretch(QPainter* painter, const QTextBlock& block, const QRectF& clip,
                     const QList<QTextLayout::FormatRange>& selections, QPaintDevice* device);
