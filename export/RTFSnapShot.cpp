#include "RTFSnapShot.h"

#include <QAbstractTextDocumentLayout>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextLayout>
#include <cmath>

#include "ExportFile.h"

namespace {

constexpr int kTwipsPerInch = 1440;

// Copies the characters start to end of from, with formats, to the cursor. A copied run or
// paragraph keeps the face, size and direction it showed in from, even where it had them from
// from's defaults.
void InsertFormatted(QTextCursor at, const QTextDocument& from, int start, int end) {
  QTextCursor source(const_cast<QTextDocument*>(&from));
  source.setPosition(start);
  source.setPosition(end, QTextCursor::KeepAnchor);
  // One edit: the layout follows once, not after every paragraph's format.
  at.beginEditBlock();
  const int first = at.position();
  at.insertFragment(source.selection());
  const int last = at.position();

  QTextDocument& to = *at.document();
  QTextCharFormat defaults;
  defaults.setFontFamilies(QStringList{from.defaultFont().family()});
  defaults.setFontPointSize(from.defaultFont().pointSizeF());
  const Qt::LayoutDirection direction = from.defaultTextOption().textDirection();
  for (QTextBlock block = to.findBlock(first); block.isValid() && block.position() <= last;
       block = block.next()) {
    QTextCursor cursor(block);
    if (block.blockFormat().layoutDirection() == Qt::LayoutDirectionAuto) {
      QTextBlockFormat format = block.blockFormat();
      format.setLayoutDirection(direction);
      cursor.setBlockFormat(format);
    }
    QTextCharFormat mark = block.charFormat();
    if (!mark.hasProperty(QTextFormat::FontFamilies)) {
      mark.merge(defaults);
      cursor.setBlockCharFormat(mark);
    }
    struct Piece {
      int From, To;
      QTextCharFormat Format;
    };
    std::vector<Piece> pieces;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      QTextCharFormat format = fragment.charFormat();
      if (format.hasProperty(QTextFormat::FontFamilies) &&
          format.hasProperty(QTextFormat::FontPointSize))
        continue;
      QTextCharFormat filled = defaults;
      filled.merge(format);
      pieces.push_back({fragment.position(), fragment.position() + fragment.length(), filled});
    }
    for (const Piece& piece : pieces) {
      cursor.setPosition(piece.From);
      cursor.setPosition(piece.To, QTextCursor::KeepAnchor);
      cursor.setCharFormat(piece.Format);
    }
  }
  at.endEditBlock();
}

// Bottom of the last whole line of document that ends within pageHeight pixels.
double MeasuredBottom(const QTextDocument& document, double pageHeight) {
  double bottom = 0;
  QAbstractTextDocumentLayout* layout = document.documentLayout();
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    const double top = layout->blockBoundingRect(block).top();
    const QTextLayout* lines = block.layout();
    for (int i = 0; i < lines->lineCount(); ++i) {
      const QTextLine line = lines->lineAt(i);
      const double lineBottom = top + line.y() + line.height();
      if (lineBottom > pageHeight + 0.5) return bottom;
      bottom = lineBottom;
    }
  }
  return bottom;
}

}  // namespace

TRTFSnapShot::TRTFSnapShot() = default;
TRTFSnapShot::~TRTFSnapShot() = default;

void TRTFSnapShot::CopyText(int start, int length) {
  const int textLength = richedit_->TextLength();
  const int first = std::max(std::min(start, textLength - 1), 0);
  const int last = length > 0 ? std::min(first + length, textLength) : textLength;

  const QTextDocument& source = *richedit_->document();
  layout_ = std::make_unique<QTextDocument>();
  layout_->setDefaultFont(source.defaultFont());
  // Pictured text always wraps at the width, whether or not its pane wraps.
  QTextOption option = source.defaultTextOption();
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  layout_->setDefaultTextOption(option);
  InsertFormatted(QTextCursor(layout_.get()), source, first, last);
}

bool TRTFSnapShot::Snap(int start, int length, int width, int height) {
  Clear();
  if (!richedit_) return false;
  const QScreen* screen = QGuiApplication::primaryScreen();
  const int dpiX = qRound(screen->logicalDotsPerInchX());
  const int dpiY = qRound(screen->logicalDotsPerInchY());
  if (height <= 0) height = screen->geometry().height();
  // The text is laid out one inch narrower than the picture.
  const int rightTwips = width * kTwipsPerInch / dpiX - kTwipsPerInch;
  const int bottomTwips = height * kTwipsPerInch / dpiY;

  CopyText(start, length);
  layout_->setDocumentMargin(0);
  layout_->setTextWidth(std::max(rightTwips * double(dpiX) / kTwipsPerInch, 1.0));
  const double bottom = MeasuredBottom(*layout_, bottomTwips * double(dpiY) / kTwipsPerInch);
  size_ = QSize(width, int(std::ceil(bottom)));
  return true;
}

bool TRTFSnapShot::SnapAsShown() {
  Clear();
  if (!richedit_) return false;
  CopyText(0, 0);
  // Measured at the width it is drawn at, so that no wrapped line falls off the bottom.
  const int frame = richedit_->frameWidth();
  layout_->setDocumentMargin(richedit_->document()->documentMargin());
  layout_->setTextWidth(std::max(richedit_->width() - 2 * frame, 1));
  size_ = QSize(richedit_->width(), int(std::ceil(layout_->size().height())) + 2 * frame);
  origin_ = QPoint(frame, frame);
  return true;
}

int TRTFSnapShot::ParagraphsWithin(int height) const {
  if (!layout_) return 0;
  int count = 0;
  QAbstractTextDocumentLayout* layout = layout_->documentLayout();
  for (QTextBlock block = layout_->begin(); block.isValid(); block = block.next(), ++count)
    if (origin_.y() + layout->blockBoundingRect(block).bottom() > height) break;
  return count;
}

QImage TRTFSnapShot::GetBitmap() {
  if (!layout_ || !bitmap_.isNull() || size_.isEmpty()) return bitmap_;
  bitmap_ = QImage(size_, QImage::Format_RGB32);
  // The layout's pixels are the screen's: the picture takes the screen's resolution.
  const QScreen* screen = QGuiApplication::primaryScreen();
  bitmap_.setDotsPerMeterX(qRound(screen->logicalDotsPerInchX() / 0.0254));
  bitmap_.setDotsPerMeterY(qRound(screen->logicalDotsPerInchY() / 0.0254));
  bitmap_.fill(Qt::white);
  {
    QPainter painter(&bitmap_);
    painter.translate(origin_);
    layout_->drawContents(&painter, QRectF(QPointF(0, 0), size_));
  }
  return bitmap_;
}

void TRTFSnapShot::Clear() {
  layout_.reset();
  size_ = {};
  origin_ = {};
  bitmap_ = {};
}

QString SnapWholeOutput(TRTFSnapShot& snapShot, RichEdit& snapPane, const RichEdit& output) {
  snapPane.ClearAll();
  InsertFormatted(QTextCursor(snapPane.document()), *output.document(), 0, output.TextLength());
  if (!snapShot.SnapAsShown()) return ExportErrors::FailedToSaveStream;
  if (snapShot.Size().height() <= kMaxPictureHeight) return {};
  const int fit = snapShot.ParagraphsWithin(kMaxPictureHeight);
  snapShot.Clear();
  return QStringLiteral(
             "The output is too long for a picture: only its first %1 of %2 lines fit in one. "
             "Save it as text, rich text, HTML or PDF instead.")
      .arg(std::min(fit, snapPane.LineCount()))
      .arg(snapPane.LineCount());
}
