#pragma once
// The layout of the panes, whose paragraphs are single lines: a paragraph is laid out when it is
// painted, measured or hit, and again only after it changes; its place comes from the heights
// of the paragraphs before it, kept in a sum tree, so that an edit costs the same in a long
// document as in a short one. A paragraph not yet laid out counts as one line of the document's
// font.
#include <QAbstractTextDocumentLayout>
#include <QFont>
#include <QMarginsF>
#include <QTextCursor>
#include <QTextFrameFormat>
#include <QTextOption>
#include <cstdint>
#include <set>
#include <vector>

class LineLayout : public QAbstractTextDocumentLayout {
  Q_OBJECT
  // The caret's width in pixels, as the text control reads and sets it.
  Q_PROPERTY(int cursorWidth MEMBER cursorWidth_)

 public:
  explicit LineLayout(QTextDocument* document);
  // A new LineLayout becomes document's layout, keeping the caret width of the one before.
  static void Install(QTextDocument* document);

  void draw(QPainter* painter, const PaintContext& context) override;
  int hitTest(const QPointF& point, Qt::HitTestAccuracy accuracy) const override;
  int pageCount() const override;
  QSizeF documentSize() const override;
  QRectF frameBoundingRect(QTextFrame* frame) const override;
  QRectF blockBoundingRect(const QTextBlock& block) const override;

 protected:
  void documentChanged(int from, int charsRemoved, int charsAdded) override;

 private:
  // Lengths in 64ths of a pixel, as the text engine keeps them, so that sums stay exact.
  using TFixed = int64_t;

  struct TParagraph {
    int32_t Height = 0;
    // From the frame's left margin to the end of the widest line and the paragraph's right
    // margin; -1 until laid out.
    int32_t Width = -1;
  };

  // Running sums of the paragraphs' heights (a Fenwick tree).
  class THeightSums {
   public:
    // Sums again from paragraph first on, after the paragraphs from there on changed.
    void Rebuild(const std::vector<TParagraph>& paragraphs, size_t first);
    void Add(size_t index, TFixed delta);
    // Heights of the paragraphs before index.
    TFixed Before(size_t index) const;
    // The paragraph that reaches below y, or the last one.
    size_t At(TFixed y) const;

   private:
    std::vector<TFixed> tree_;
  };

  // What the place of every line depends on besides the paragraphs themselves.
  struct TSettings {
    qreal PageWidth = 0;
    QFont Font;
    QTextOption Option;
    QTextFrameFormat Frame;
    qreal IndentWidth = 0;
    bool SameBesidesPageWidth(const TSettings& other) const;
  };

  TSettings CurrentSettings() const;
  void Reset();
  void Splice(size_t first, size_t removed, size_t added);
  // Starts afresh should a change have gone unreported, as while the document tells of a change
  // before it tells the layout.
  void KeepInStep();

  void LayOut(const QTextBlock& block, size_t index);
  // The block keeps its shaped text between uses, as do the few used just before it.
  void KeepShaped(const QTextBlock& block);
  void Forget(const QTextBlock& block);
  // Lays the block out when it has no lines, then puts it at its place.
  void Place(const QTextBlock& block, size_t index);
  void SetHeight(size_t index, int32_t height);
  void SetWidth(size_t index, int32_t width);
  TFixed Top(size_t index) const;
  // The root frame's margins, border and padding.
  QMarginsF Margins() const;
  // Everything from paragraph index down may have moved.
  void Moved(size_t index);

  void DrawParagraph(QPainter* painter, const PaintContext& context, const QTextBlock& block,
                     const QRectF& clip) const;
  void DrawBullet(QPainter* painter, const PaintContext& context, const QTextBlock& block,
                  const QTextCharFormat* selection) const;

  // Tells the view of a new document size; while painting, after the painting.
  void ReportSize();
  // The const entry points lay out on demand.
  LineLayout* Self() const { return const_cast<LineLayout*>(this); }

  std::vector<TParagraph> paragraphs_;
  THeightSums sums_;
  std::multiset<int32_t> widths_;    // of the paragraphs laid out
  std::vector<QTextCursor> shaped_;  // at the paragraphs that keep their shaped text, latest first
  TSettings settings_;
  TParagraph estimate_;  // of a paragraph not yet laid out
  int cursorWidth_ = 1;
  QSizeF reportedSize_;
  bool painting_ = false;
  bool sizeReportPending_ = false;
};
