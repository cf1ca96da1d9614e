#pragma once
// A label for Persian captions: rich text, right to left, read-only and disabled, without a
// border, black text on the button-face colour.
#include "RichEdit.h"

class TMyStaticText : public RichEdit {
  Q_OBJECT
 public:
  explicit TMyStaticText(QWidget* parent = nullptr);

 private:
  void MakeDefaultTextBlack();
};
