#pragma once
// Pictures of rich text: the characters of a pane laid out at a width and drawn on white, and the
// picture of the whole output that the copies and the picture files use.
#include <QImage>
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
  // The picture of the last Snap, width pixels wide, on white; a null image when there is none.
  QImage GetBitmap();
  // Forgets the snapshot and its picture.
  void Clear();

 private:
  QPointer<RichEdit> richedit_;
  std::unique_ptr<QTextDocument> layout_;  // the laid-out snapshot
  QSize size_;
  QImage bitmap_;
};

// The size that snapPane needs to show all of its text at its width, frame included.
QSize NeededSize(const RichEdit& snapPane);
// Fills snapPane with the text of output and its formats, then eight lines of one blank each,
// and snaps it (snapShot bound to snapPane) at the size the pane needs; false when not bound.
bool SnapWholeOutput(TRTFSnapShot& snapShot, RichEdit& snapPane, const RichEdit& output);
