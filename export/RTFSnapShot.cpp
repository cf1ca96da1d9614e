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

namespace {

constexpr int kTwipsPerInch = 1440;
constexpr int kBlankLinesAfterOutput = 8;

// Copies the characters start to end of from, with formats, to the cursor. A copied run or
// paragraph keeps the face, size and direction it showed in from, even where it had them from
// from's defaults.
void InsertFormatted(QTextCursor at, const QTextDocument& from, int start, int end) {
  QTextCursor source(const_cast<QTextDocument*>(&from));
  source.setPosition(start);
  source.setPosition(end, QTextCursor::KeepAnchor);
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
  layout_->setDocumentMargin(0);
  InsertFormatted(QTextCursor(layout_.get()), source, first, last);
  layout_->setTextWidth(std::max(rightTwips * double(dpiX) / kTwipsPerInch, 1.0));
  const double bottom = MeasuredBottom(*layout_, bottomTwips * double(dpiY) / kTwipsPerInch);
  size_ = QSize(width, int(std::ceil(bottom)));
  return true;
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
    layout_->drawContents(&painter, QRectF(QPointF(0, 0), size_));
  }
  return bitmap_;
}

void TRTFSnapShot::Clear() {
  layout_.reset();
  size_ = {};
  bitmap_ = {};
}

QSize NeededSize(const RichEdit& snapPane) {
  const int frame = snapPane.frameWidth();
  std::unique_ptr<QTextDocument> copy(snapPane.document()->clone());
  copy->setTextWidth(snapPane.width() - 2 * frame);
  return QSize(snapPane.width(), int(std::ceil(copy->size().height())) + 2 * frame);
}

bool SnapWholeOutput(TRTFSnapShot& snapShot, RichEdit& snapPane, const RichEdit& output) {
  snapPane.ClearAll();
  InsertFormatted(QTextCursor(snapPane.document()), *output.document(), 0, output.TextLength());
  for (int i = 0; i < kBlankLinesAfterOutput; ++i) snapPane.AppendLine(u" ");
  const QSize needed = NeededSize(snapPane);
  return snapShot.Snap(0, 0, needed.width(), needed.height());
}
