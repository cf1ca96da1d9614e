#include "LineStretch.h"

#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <algorithm>

namespace {

// Below this many characters a line is drawn whole: laying out a stretch would cost more.
constexpr int kDrawnWhole = 2000;
// How far a cut or a strong neighbour is looked for, in characters, and the characters kept
// beyond the edges of sight on either side.
constexpr int kCutReach = 1000;
constexpr int kNeighbourReach = 64;
constexpr int kMargin = 8;

bool IsNeutral(QChar::Direction direction) {
  switch (direction) {
    case QChar::DirWS:
    case QChar::DirON:
    case QChar::DirS:
    case QChar::DirB:
    case QChar::DirBN:
    case QChar::DirNSM:
      return true;
    default:
      return false;
  }
}

bool IsStrongIn(QChar::Direction direction, bool rightToLeft) {
  return rightToLeft ? direction == QChar::DirR || direction == QChar::DirAL
                     : direction == QChar::DirL;
}

// The embeddings, overrides and isolates, which change the direction of everything up to their
// end: told by their code points, as looking up every character's direction would cost more.
bool IsExplicit(QChar c) {
  return (c >= u'\u202A' && c <= u'\u202E') || (c >= u'\u2066' && c <= u'\u2069');
}

// Whether the first character other than a neutral, from at on by step, is strong in the
// paragraph's direction.
bool StrongNeighbour(QStringView text, qsizetype at, int step, bool rightToLeft) {
  for (int n = 0; n < kNeighbourReach && at >= 0 && at < text.size(); ++n, at += step) {
    const QChar::Direction direction = text[at].direction();
    if (!IsNeutral(direction)) return IsStrongIn(direction, rightToLeft);
  }
  return false;
}

bool IsCut(QStringView text, qsizetype at, bool rightToLeft) {
  return text[at] == u' ' && StrongNeighbour(text, at - 1, -1, rightToLeft) &&
         StrongNeighbour(text, at + 1, 1, rightToLeft);
}

}  // namespace

TCharRange StretchAround(QStringView text, bool rightToLeft, int from, int to) {
  const int length = int(text.size());
  if (length == 0 || std::any_of(text.begin(), text.end(), IsExplicit)) return {0, length};
  int start = std::clamp(from, 0, length - 1);
  const int startLimit = start - kCutReach;
  while (start > 0 && !IsCut(text, start, rightToLeft)) start = start > startLimit ? start - 1 : 0;
  int end = std::clamp(to, start, length);
  const int endLimit = end + kCutReach;
  while (end < length && !IsCut(text, end, rightToLeft)) end = end < endLimit ? end + 1 : length;
  return {start, end};
}

namespace {

bool HasFullWidthSelection(const QList<QTextLayout::FormatRange>& selections) {
  return std::any_of(selections.begin(), selections.end(), [](const auto& selection) {
    return selection.format.hasProperty(QTextFormat::FullWidthSelection);
  });
}

// Ranges shifted from the block's positions to the stretch's, those outside it left out.
QList<QTextLayout::FormatRange> Shifted(const QList<QTextLayout::FormatRange>& ranges,
                                        TCharRange stretch) {
  QList<QTextLayout::FormatRange> shifted;
  for (const QTextLayout::FormatRange& range : ranges) {
    const int from = std::max(range.start, stretch.Start);
    const int to = std::min(range.start + range.length, stretch.End);
    if (from < to) shifted.append({from - stretch.Start, to - from, range.format});
  }
  return shifted;
}

QList<QTextLayout::FormatRange> CharFormats(const QTextBlock& block) {
  QList<QTextLayout::FormatRange> formats;
  for (auto it = block.begin(); !it.atEnd(); ++it) {
    const QTextFragment fragment = it.fragment();
    formats.append(
        {fragment.position() - block.position(), fragment.length(), fragment.charFormat()});
  }
  return formats;
}

}  // namespace

bool DrawLineStretch(QPainter* painter, const QTextBlock& block, const QRectF& clip,
                     const QList<QTextLayout::FormatRange>& selections, QPaintDevice* device) {
  const QTextLayout* whole = block.layout();
  if (block.length() < kDrawnWhole || !clip.isValid() || whole->lineCount() != 1 ||
      !whole->cacheEnabled() || !whole->preeditAreaText().isEmpty() ||
      HasFullWidthSelection(selections))
    return false;
  const QTextLine line = whole->lineAt(0);
  const QPointF origin = whole->position();
  const int left = line.xToCursor(clip.left() - origin.x());
  const int right = line.xToCursor(clip.right() - origin.x());
  const QString text = block.text();
  const bool rightToLeft = whole->textOption().textDirection() == Qt::RightToLeft;
  const TCharRange stretch = StretchAround(text, rightToLeft, std::min(left, right) - kMargin,
                                           std::max(left, right) + kMargin);
  const QStringView shown = QStringView(text).sliced(stretch.Start, stretch.End - stretch.Start);
  if (stretch.End - stretch.Start >= kDrawnWhole || shown.contains(u'\t') ||
      shown.contains(QChar::ObjectReplacementCharacter))
    return false;

  QTextLayout part(shown.toString(), block.document()->defaultFont(), device);
  part.setTextOption(whole->textOption());
  part.setFormats(Shifted(CharFormats(block), stretch));
  part.beginLayout();
  QTextLine partLine = part.createLine();
  partLine.setLeadingIncluded(true);
  partLine.setLineWidth(0);
  partLine.setLineWidth(partLine.naturalTextWidth());
  part.endLayout();
  // Backgrounds and selections fill the line's height: the stretch must have the whole line's.
  if (partLine.ascent() != line.ascent() || partLine.descent() != line.descent() ||
      partLine.height() != line.height())
    return false;
  // The stretch starts where the whole line has its first character; its glyphs have the same
  // advances from there on.
  const QPointF at(origin.x() + line.cursorToX(stretch.Start) - partLine.cursorToX(0),
                   origin.y() + line.y() - partLine.y());
  part.draw(painter, at, Shifted(selections, stretch), clip);
  return true;
}
