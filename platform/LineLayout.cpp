#include "LineLayout.h"

#include <QPainter>
#include <QStyle>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextList>
#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>

#include "LineStretch.h"
#include "ParagraphCopy.h"

namespace {

constexpr qreal kUnitsPerPixel = 64;

// A change of up to this many paragraphs is laid out at once, so that what follows it has moved
// before anyone asks; a bigger one is laid out as it comes into sight.
constexpr size_t kLaidOutAtOnce = 32;

// Paragraphs being edited are asked for their caret's place again and again: these many keep
// their shaped text, which the text engine would otherwise shape anew for each question.
constexpr size_t kKeptShaped = 4;

int64_t ToFixed(qreal pixels) {
  return std::llround(pixels * kUnitsPerPixel);
}

qreal ToPixels(int64_t fixed) {
  return qreal(fixed) / kUnitsPerPixel;
}

const QRectF kToTheEnd(0, 0, INT_MAX, INT_MAX);

struct TLines {
  qreal Height;
  qreal Right;  // of the widest line
};

// The lines of layout from left, each as wide as width (less indent on the first) unless its
// text is wider: a long line keeps its start in sight whatever its alignment.
TLines LayOutLines(QTextLayout& layout, qreal left, qreal width, qreal indent, bool rightToLeft) {
  TLines lines{0, 0};
  qreal bottom = 0;
  layout.beginLayout();
  for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
    line.setLeadingIncluded(true);
    const qreal lineIndent = line.lineNumber() == 0 ? indent : 0;
    line.setLineWidth(width - lineIndent);
    if (line.naturalTextWidth() > width - lineIndent) line.setLineWidth(line.naturalTextWidth());
    // The indent narrows the line on the side where its text starts.
    line.setPosition(QPointF(left + (rightToLeft ? 0 : lineIndent), lines.Height));
    bottom = lines.Height + line.height();
    lines.Height += std::ceil(line.ascent() + line.descent() + line.leading());
    lines.Right = std::max(lines.Right, line.x() + line.naturalTextWidth());
  }
  layout.endLayout();
  lines.Height = std::max(lines.Height, bottom);
  return lines;
}

bool SameOption(const QTextOption& a, const QTextOption& b) {
  return a.alignment() == b.alignment() && a.textDirection() == b.textDirection() &&
         a.wrapMode() == b.wrapMode() && a.flags() == b.flags() &&
         a.tabStopDistance() == b.tabStopDistance() && a.tabs() == b.tabs() &&
         a.useDesignMetrics() == b.useDesignMetrics();
}

}  // namespace

void LineLayout::THeightSums::Rebuild(const std::vector<TParagraph>& paragraphs, size_t first) {
  tree_.resize(paragraphs.size());
  for (size_t i = first; i < paragraphs.size(); ++i) {
    // Node i sums the paragraphs from i & (i + 1) to i: its own and those of the nodes below it.
    TFixed sum = paragraphs[i].Height;
    for (ptrdiff_t k = ptrdiff_t(i) - 1; k >= ptrdiff_t(i & (i + 1)); k = (k & (k + 1)) - 1)
      sum += tree_[size_t(k)];
    tree_[i] = sum;
  }
}

void LineLayout::THeightSums::Add(size_t index, TFixed delta) {
  for (; index < tree_.size(); index |= index + 1) tree_[index] += delta;
}

LineLayout::TFixed LineLayout::THeightSums::Before(size_t index) const {
  TFixed sum = 0;
  for (ptrdiff_t k = ptrdiff_t(index) - 1; k >= 0; k = (k & (k + 1)) - 1) sum += tree_[size_t(k)];
  return sum;
}

size_t LineLayout::THeightSums::At(TFixed y) const {
  size_t above = 0;  // paragraphs that end at or above y
  for (size_t step = std::bit_floor(tree_.size()); step > 0; step /= 2) {
    if (above + step <= tree_.size() && tree_[above + step - 1] <= y) {
      above += step;
      y -= tree_[above - 1];
    }
  }
  return std::min(above, tree_.empty() ? 0 : tree_.size() - 1);
}

bool LineLayout::TSettings::SameBesidesPageWidth(const TSettings& other) const {
  return Font == other.Font && SameOption(Option, other.Option) && Frame == other.Frame &&
         IndentWidth == other.IndentWidth;
}

LineLayout::LineLayout(QTextDocument* document) : QAbstractTextDocumentLayout(document) {}

void LineLayout::Install(QTextDocument* document) {
  const QVariant width = document->documentLayout()->property("cursorWidth");
  auto* layout = new LineLayout(document);
  if (width.isValid()) layout->cursorWidth_ = width.toInt();
  document->setDocumentLayout(layout);
  layout->KeepInStep();
}

LineLayout::TSettings LineLayout::CurrentSettings() const {
  const QTextDocument* document = this->document();
  return {document->pageSize().width(), document->defaultFont(), document->defaultTextOption(),
          document->rootFrame()->frameFormat(), document->indentWidth()};
}

QMarginsF LineLayout::Margins() const {
  const QTextFrameFormat& frame = settings_.Frame;
  const qreal edge = frame.border() + frame.padding();
  return {frame.leftMargin() + edge, frame.topMargin() + edge, frame.rightMargin() + edge,
          frame.bottomMargin() + edge};
}

void LineLayout::Reset() {
  settings_ = CurrentSettings();
  QTextLayout probe(QString(), settings_.Font, paintDevice());
  estimate_ = {int32_t(ToFixed(LayOutLines(probe, 0, 0, 0, false).Height)), -1};
  paragraphs_.assign(size_t(document()->blockCount()), estimate_);
  widths_.clear();
  for (QTextBlock block = document()->begin(); block.isValid(); block = block.next())
    block.clearLayout();
  sums_.Rebuild(paragraphs_, 0);
}

void LineLayout::KeepInStep() {
  if (paragraphs_.size() == size_t(document()->blockCount())) return;
  Reset();
  emit update(kToTheEnd);
  ReportSize();
}

void LineLayout::Splice(size_t first, size_t removed, size_t added) {
  // The paragraphs kept (at the start of the span) keep their sizes until laid out again.
  const size_t kept = std::min(removed, added);
  const auto from = paragraphs_.begin() + ptrdiff_t(first + kept);
  if (removed > kept) {
    const auto to = from + ptrdiff_t(removed - kept);
    for (auto it = from; it != to; ++it)
      if (it->Width >= 0) widths_.erase(widths_.find(it->Width));
    paragraphs_.erase(from, to);
  } else if (added > kept) {
    paragraphs_.insert(from, added - kept, estimate_);
  }
  if (removed != added) sums_.Rebuild(paragraphs_, first + kept);
}

void LineLayout::documentChanged(int from, int charsRemoved, int charsAdded) {
  QTextDocument* document = this->document();
  const size_t count = size_t(document->blockCount());
  if (from == 0 && charsRemoved == 0 && charsAdded == document->characterCount()) {
    // So the document tells of new settings, and of some edits too. A new page width only
    // moves lines sideways: it is laid out as an edit of every paragraph.
    const TSettings now = CurrentSettings();
    if (!now.SameBesidesPageWidth(settings_)) {
      Reset();
      emit update(kToTheEnd);
      ReportSize();
      return;
    }
    settings_.PageWidth = now.PageWidth;
  }
  const TParagraphSpan span = ChangedParagraphs(*document, from, charsAdded);
  const size_t first = size_t(span.First);
  const size_t added = size_t(span.Last - span.First + 1);
  const ptrdiff_t removed = ptrdiff_t(added + paragraphs_.size()) - ptrdiff_t(count);
  if (removed < 0 || first + size_t(removed) > paragraphs_.size()) {
    KeepInStep();
    return;
  }
  Splice(first, size_t(removed), added);
  bool moved = size_t(removed) != added || added > kLaidOutAtOnce;
  QTextBlock block = document->findBlockByNumber(span.First);
  if (added <= kLaidOutAtOnce) KeepShaped(document->findBlockByNumber(span.Last));
  for (size_t index = first; index < first + added; ++index, block = block.next()) {
    if (added > kLaidOutAtOnce) {
      block.clearLayout();
      continue;
    }
    const int32_t height = paragraphs_[index].Height;
    LayOut(block, index);
    moved = moved || paragraphs_[index].Height != height;
  }
  const qreal top = ToPixels(Top(first));
  emit update(QRectF(0, top, INT_MAX, moved ? INT_MAX : ToPixels(Top(first + added)) - top));
  ReportSize();
}

void LineLayout::LayOut(const QTextBlock& block, size_t index) {
  QTextLayout* layout = block.layout();
  const QTextBlockFormat format = block.blockFormat();
  const Qt::LayoutDirection direction = block.textDirection();
  const bool rightToLeft = direction == Qt::RightToLeft;
  QTextOption option = settings_.Option;
  option.setTextDirection(direction);
  option.setTabs(format.tabPositions());
  option.setWrapMode(QTextOption::NoWrap);
  // An alignment to the left or right without AlignAbsolute is mirrored in a right-to-left
  // paragraph: its default alignment puts it against the right edge.
  option.setAlignment(QStyle::visualAlignment(
      direction,
      format.hasProperty(QTextFormat::BlockAlignment) ? format.alignment() : option.alignment()));
  layout->setTextOption(option);

  qreal indent = format.indent();
  if (const QTextList* list = block.textList()) indent += list->format().indent();
  indent *= settings_.IndentWidth;
  const qreal leftMargin = format.leftMargin() + (rightToLeft ? 0 : indent);
  const qreal rightMargin = format.rightMargin() + (rightToLeft ? indent : 0);
  const QMarginsF margins = Margins();
  const qreal frameWidth = settings_.PageWidth - margins.left() - margins.right();
  const TLines lines = LayOutLines(*layout, leftMargin, frameWidth - leftMargin - rightMargin,
                                   format.textIndent(), rightToLeft);
  SetHeight(index, block.isVisible() ? int32_t(ToFixed(lines.Height)) : 0);
  SetWidth(index, int32_t(ToFixed(lines.Right + rightMargin)));
}

void LineLayout::KeepShaped(const QTextBlock& block) {
  const auto kept = std::find_if(shaped_.begin(), shaped_.end(),
                                 [&block](const QTextCursor& at) { return at.block() == block; });
  if (kept != shaped_.end()) {
    std::rotate(shaped_.begin(), kept, kept + 1);
    return;
  }
  block.layout()->setCacheEnabled(true);
  shaped_.insert(shaped_.begin(), QTextCursor(block));
  if (shaped_.size() <= kKeptShaped) return;
  Forget(shaped_.back().block());
  shaped_.pop_back();
}

void LineLayout::Forget(const QTextBlock& block) {
  if (!block.isValid()) return;
  QTextLayout* layout = block.layout();
  layout->setCacheEnabled(false);
  // The engine lets the shaped text go at the end of a layout.
  if (layout->lineCount() > 0) LayOut(block, size_t(block.blockNumber()));
}

void LineLayout::SetHeight(size_t index, int32_t height) {
  TParagraph& paragraph = paragraphs_[index];
  sums_.Add(index, TFixed(height) - paragraph.Height);
  paragraph.Height = height;
}

void LineLayout::SetWidth(size_t index, int32_t width) {
  TParagraph& paragraph = paragraphs_[index];
  if (paragraph.Width >= 0) widths_.erase(widths_.find(paragraph.Width));
  paragraph.Width = width;
  widths_.insert(width);
}

LineLayout::TFixed LineLayout::Top(size_t index) const {
  return ToFixed(Margins().top()) + sums_.Before(index);
}

void LineLayout::Place(const QTextBlock& block, size_t index) {
  QTextLayout* layout = block.layout();
  if (layout->lineCount() == 0) {
    const int32_t height = paragraphs_[index].Height;
    LayOut(block, index);
    if (paragraphs_[index].Height != height) Moved(index);
  }
  layout->setPosition(QPointF(Margins().left(), ToPixels(Top(index))));
}

void LineLayout::Moved(size_t index) {
  emit update(QRectF(0, ToPixels(Top(index)), INT_MAX, INT_MAX));
  ReportSize();
}

void LineLayout::ReportSize() {
  if (painting_) {
    // The view would adjust its scroll bars in the middle of painting.
    if (!sizeReportPending_)
      QMetaObject::invokeMethod(this, &LineLayout::ReportSize, Qt::QueuedConnection);
    sizeReportPending_ = true;
    return;
  }
  sizeReportPending_ = false;
  const QSizeF size = documentSize();
  if (size == reportedSize_) return;
  reportedSize_ = size;
  emit documentSizeChanged(size);
}

QSizeF LineLayout::documentSize() const {
  const QMarginsF margins = Margins();
  const qreal widest = widths_.empty() ? 0 : ToPixels(*widths_.rbegin());
  return {std::max(settings_.PageWidth, widest + margins.left() + margins.right()),
          ToPixels(Top(paragraphs_.size())) + margins.bottom()};
}

int LineLayout::pageCount() const {
  return 1;
}

QRectF LineLayout::frameBoundingRect(QTextFrame* frame) const {
  if (!frame) return {};
  const QSizeF size = documentSize();
  if (frame == document()->rootFrame()) return {QPointF(), size};
  // A frame inside is laid out as its paragraphs, across the document.
  Self()->KeepInStep();
  const size_t first = size_t(document()->findBlock(frame->firstPosition()).blockNumber());
  const size_t last = size_t(document()->findBlock(frame->lastPosition()).blockNumber());
  const qreal top = ToPixels(Top(first));
  return {0, top, size.width(), ToPixels(Top(last + 1)) - top};
}

QRectF LineLayout::blockBoundingRect(const QTextBlock& block) const {
  if (!block.isValid() || block.document() != document()) return {};
  Self()->KeepInStep();
  Self()->KeepShaped(block);
  Self()->Place(block, size_t(block.blockNumber()));
  if (!block.isVisible()) return {};
  // As the text control expects: at the layout's place, whatever the first line's indent.
  const QTextLayout* layout = block.layout();
  QRectF rect = layout->boundingRect();
  rect.moveTopLeft(layout->position());
  return rect;
}

int LineLayout::hitTest(const QPointF& point, Qt::HitTestAccuracy accuracy) const {
  Self()->KeepInStep();
  const size_t index = sums_.At(ToFixed(point.y() - Margins().top()));
  const QTextBlock block = document()->findBlockByNumber(int(index));
  Self()->Place(block, index);
  const QTextLayout* layout = block.layout();
  const QRectF rect = layout->boundingRect().translated(layout->position());
  int last = document()->characterCount() - 1;
  int position = block.position();
  bool exact = false;
  if (point.y() >= rect.bottom()) {
    position += block.length();
  } else if (point.y() >= rect.top()) {
    const QPointF local = point - layout->position();
    int n = 0;
    while (n + 1 < layout->lineCount() && local.y() >= layout->lineAt(n).rect().bottom()) ++n;
    const QTextLine line = layout->lineAt(n);
    const QRectF text = line.naturalTextRect();
    exact = text.left() <= local.x() && local.x() <= text.right();
    position +=
        line.xToCursor(local.x(), accuracy == Qt::ExactHit ? QTextLine::CursorOnCharacter
                                                           : QTextLine::CursorBetweenCharacters);
    last += int(layout->preeditAreaText().size());
  }
  if (accuracy == Qt::ExactHit && !exact) return -1;
  return std::clamp(position, 0, last);
}

void LineLayout::draw(QPainter* painter, const PaintContext& context) {
  KeepInStep();
  const QRectF& clip = context.clip;
  const QSizeF size = documentSize();
  const QMarginsF margins = Margins();
  const QRectF frameRect = QRectF(QPointF(), size).adjusted(margins.left(), 0, -margins.right(), 0);
  const QRectF textClip = clip.isValid() ? clip & frameRect : frameRect;
  size_t index = clip.isValid() ? sums_.At(ToFixed(clip.top() - margins.top())) : 0;
  painting_ = true;
  for (QTextBlock block = document()->findBlockByNumber(int(index)); block.isValid();
       block = block.next(), ++index) {
    if (clip.isValid() && ToPixels(Top(index)) > clip.bottom()) break;
    Place(block, index);
    if (block.isVisible()) DrawParagraph(painter, context, block, textClip);
  }
  painting_ = false;
}

void LineLayout::DrawParagraph(QPainter* painter, const PaintContext& context,
                               const QTextBlock& block, const QRectF& clip) const {
  const QTextLayout* layout = block.layout();
  const QRectF rect = layout->boundingRect().translated(layout->position());
  if (context.clip.isValid() &&
      (rect.bottom() < context.clip.top() || rect.top() > context.clip.bottom()))
    return;
  const QBrush background = block.blockFormat().background();
  if (background.style() != Qt::NoBrush) {
    painter->save();
    painter->setBrushOrigin(rect.topLeft());
    painter->fillRect(rect, background);
    painter->restore();
  }

  const int start = block.position();
  const int length = block.length();
  QList<QTextLayout::FormatRange> selections;
  const QTextCharFormat* bulletSelection = nullptr;
  for (const Selection& selection : context.selections) {
    const int from = selection.cursor.selectionStart() - start;
    const int to = selection.cursor.selectionEnd() - start;
    if (from < length && to > 0 && to > from) {
      selections.append({from, to - from, selection.format});
    } else if (!selection.cursor.hasSelection() &&
               selection.format.hasProperty(QTextFormat::FullWidthSelection) &&
               block.contains(selection.cursor.position())) {
      // A full-width selection needs only a caret to name its line, paragraph mark included.
      const QTextLine line = layout->lineForTextPosition(selection.cursor.position() - start);
      const int end = line.textStart() + line.textLength();
      selections.append(
          {line.textStart(), line.textLength() + (end == length - 1 ? 1 : 0), selection.format});
    }
    if (from < 0 && to >= 1) bulletSelection = &selection.format;
  }
  DrawBullet(painter, context, block, bulletSelection);

  const QPen pen = painter->pen();
  painter->setPen(context.palette.color(QPalette::Text));
  // Without a clip of the caller's, the whole line is drawn, however far it reaches.
  const QRectF sight = context.clip.isValid() ? clip : QRectF();
  if (!DrawLineStretch(painter, block, sight, selections, paintDevice()))
    layout->draw(painter, QPointF(), selections, clip);
  const int caret = context.cursorPosition;
  if (caret >= start && caret < start + length)
    layout->drawCursor(painter, QPointF(), caret - start, cursorWidth_);
  else if (caret < -1 && !layout->preeditAreaText().isEmpty())
    layout->drawCursor(painter, QPointF(), layout->preeditAreaPosition() - (caret + 2),
                       cursorWidth_);
  painter->setPen(pen);
}

void LineLayout::DrawBullet(QPainter* painter, const PaintContext& context, const QTextBlock& block,
                            const QTextCharFormat* selection) const {
  const QTextList* list = block.textList();
  if (!list) return;
  const QTextBlockFormat format = block.blockFormat();
  const int style = format.hasProperty(QTextFormat::ListStyle)
                        ? format.intProperty(QTextFormat::ListStyle)
                        : list->format().style();
  if (style != QTextListFormat::ListDisc && style != QTextListFormat::ListCircle &&
      style != QTextListFormat::ListSquare)
    return;
  // A mark a third of a line across, a space before the text's start.
  const QTextCharFormat charFormat = QTextCursor(block).charFormat();
  const QFontMetrics metrics(charFormat.font());
  const QTextLayout* layout = block.layout();
  const QRectF text = layout->lineAt(0).naturalTextRect();
  const bool rightToLeft = block.textDirection() == Qt::RightToLeft;
  QPointF start = layout->position().toPoint() + text.topLeft().toPoint();
  if (rightToLeft) start.rx() += text.width();
  const qreal side = metrics.lineSpacing() / 3;
  const qreal space = metrics.horizontalAdvance(QLatin1Char(' '));
  const QRectF mark =
      QRectF(start, QSizeF(side, side))
          .translated(rightToLeft ? space : -space - side, metrics.height() / 2 - side / 2);

  painter->save();
  painter->setRenderHint(QPainter::Antialiasing);
  if (selection) painter->fillRect(mark, selection->background());
  const QBrush brush = context.palette.brush(QPalette::Text);
  switch (style) {
    case QTextListFormat::ListDisc:
      painter->setBrush(brush);
      painter->setPen(Qt::NoPen);
      painter->drawEllipse(mark);
      break;
    case QTextListFormat::ListCircle:
      painter->setPen(QPen(brush, 0));
      painter->drawEllipse(mark.translated(0.5, 0.5));
      break;
    default:
      painter->fillRect(mark, brush);
  }
  painter->restore();
}
