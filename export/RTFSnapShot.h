#pragma once
// Pictures of rich text: the characters of a pane laid out at a width and drawn on white, and the
// picture of the whole output that the copies and the picture files use.
#include <QImage>
#include <QPoint>
#include <QPointer>
#include <QSize>
#include <memory>

#include "RichEdit.h"

class QTextDocument;

class TRTFSnapShot {
 public:
  TRTFSnapShot();
  ~TRTFSnapShot();
  TRTFSnapShot(const TRTFSnapShot&) = delete;
  TRTFSnapShot& operator=(const TRTFSnapShot&) = delete;

  // The pane pictured; forgotten by itself when the pane is destroyed.
  RichEdit* Richedit() const { return richedit_; }
  void SetRichedit(RichEdit* edit) { richedit_ = edit; }

  // Lays out the characters start to start + length (length <= 0: to the end) one inch narrower
  // than width pixels, keeping the whole lines that fit in height pixels (<= 0: the screen's);
  // false when no pane is bound.
  bool Snap(int start, int length, int width, int height);
  // Lays out the whole text across the bound pane: wrapped at the pane's width less its frame,
  // within the pane's margins, every line; the picture is the pane's width and as tall as the
  // text. False when no pane is bound.
  bool SnapAsShown();
  // The size of the picture of the last snap; empty when there is none.
  QSize Size() const { return size_; }
  // How many paragraphs of the last snap end within height pixels of its picture.
  int ParagraphsWithin(int height) const;
  // The picture of the last snap, on white; a null image when there is none.
  QImage GetBitmap();
  // Forgets the snapshot and its picture.
  void Clear();

 private:
  // Copies the characters start to start + length (length <= 0: to the end) of the pane, with
  // their formats, into a fresh layout.
  void CopyText(int start, int length);

  QPointer<RichEdit> richedit_;
  std::unique_ptr<QTextDocument> layout_;  // the laid-out snapshot
  QSize size_;
  QPoint origin_;  // where the laid-out text starts in the picture
  QImage bitmap_;
};

// The tallest picture of the output: the most a JPEG file holds, so that a picture that can be
// copied or saved as a bitmap can also be saved as JPEG. It also bounds the memory one picture
// takes (about 170 MB at the pane's width).
constexpr int kMaxPictureHeight = 65500;

// Fills snapPane with the text of output and its formats and snaps it (snapShot bound to
// snapPane) as the pane shows it; "" or the message. An output too tall for one picture is
// refused, with how many of its lines would fit, before any picture is made.
QString SnapWholeOutput(TRTFSnapShot& snapShot, RichEdit& snapPane, const RichEdit& output);
