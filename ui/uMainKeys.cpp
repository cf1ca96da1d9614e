// What keys and the mouse do around the two panes: line-keeping keys, pending formats at the
// next typed character, lower-cased pastes, Caps Lock as the English switch, the way from an
// output word back to its input word, and the keys typed into the output in "Big Window".
#include <QCheckBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <algorithm>

#include "CapsLock.h"
#include "StandIns.h"
#include "WordUtils.h"
#include "uMain.h"

namespace {

bool IsPasteKey(const QKeyEvent* key) {
  const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
  return (key->key() == Qt::Key_V && modifiers == Qt::ControlModifier) ||
         (key->key() == Qt::Key_Insert && modifiers == Qt::ShiftModifier);
}

// The UTF-16 units that the first count characters of line take: a character outside the
// Basic Multilingual Plane is two.
size_t UnitsOf(std::u16string_view line, size_t count) {
  size_t units = 0;
  for (; count > 0 && units < line.size(); --count)
    units += QChar::isHighSurrogate(line[units]) && units + 1 < line.size() ? 2 : 1;
  return units;
}

// Column of word n of an input line, counted in characters as the engine reads the line: in the
// code page, with each character the code page lacks one byte of its own and no separator, so
// that a FARSI YEH or an emoji neither splits a word nor moves the ones after it.
size_t InputWordColumn(size_t n, const std::u16string& line) {
  return AnsiWordStart(n, TStandIns(line).ToAnsi(line));
}

// What "Big Window" hands to the hidden input: typed characters and the keys that edit text.
// Shortcuts stay with the output the user sees, so that Ctrl+C copies the Persian shown there
// and Ctrl+A selects it, rather than acting unseen on the Romanesh.
bool IsTypingKey(const QKeyEvent* key) {
  if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
  switch (key->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Tab:
      return true;
    default:
      return !key->text().isEmpty() && key->text().front().isPrint();
  }
}

// Delivers the key to the receiver as if typed there. Delivery is immediate, so a key the
// receiver refuses once it would refuse again: it is offered once.
void ForwardKey(QWidget* receiver, const QKeyEvent& key) {
  QKeyEvent copy(key.type(), key.key(), key.modifiers(), key.text(), key.isAutoRepeat());
  QCoreApplication::sendEvent(receiver, &copy);
}

}  // namespace

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == ZefraImage) return ZefraImageEvent(event);
  const QEvent::Type type = event->type();
  const bool keyPress = type == QEvent::KeyPress;
  const bool keyRelease = type == QEvent::KeyRelease;
  auto* key = keyPress || keyRelease ? static_cast<QKeyEvent*>(event) : nullptr;
  if (watched == EnglishRichEdit) {
    if (keyPress) {
      if (EnglishRichEditKeyDown(key)) return true;
      EnglishRichEditKeyPress(key);
    } else if (keyRelease) {
      EnglishRichEditKeyUp(key);
    }
  } else if (watched == EnglishRichEdit->viewport()) {
    if (type == QEvent::MouseButtonPress)
      return EnglishRichEditMouseDown(static_cast<QMouseEvent*>(event));
  } else if (watched == FarsiRichEdit) {
    if (keyPress) return FarsiRichEditKeyDown(key) || FarsiRichEditKeyPress(key);
    if (keyRelease && OneWindow->isChecked()) FarsiRichEditKeyUp();
  } else if (watched == FarsiRichEdit->viewport()) {
    if (type == QEvent::MouseButtonPress)
      return FarsiRichEditMouseDown(static_cast<QMouseEvent*>(event));
    if (type == QEvent::MouseButtonDblClick) {
      FarsiRichEditDoubleClick(static_cast<QMouseEvent*>(event));
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

bool TMainForm::EnglishRichEditKeyDown(QKeyEvent* key) {
  // Line breaks made or removed by a key are followed by the conversion, from what the key
  // actually did to the text.
  if (IsPasteKey(key) && LowerCasePaste) {
    // Nothing to paste (an empty clipboard, a picture): the selected text stays as it is.
    if (!EnglishRichEdit->canPaste()) return true;
    // Capitals change the transliteration of Romanesh. Pasted and lower-cased at once,
    // whichever key the user lets go of first, and converted once, lower-cased.
    ConversionDeferred = true;
    EnglishRichEdit->PasteLowerCased();
    ConversionDeferred = false;
    if (ConversionDue) EnglishRichEditChange();
    return true;
  }
  return false;
}

void TMainForm::EnglishRichEditKeyPress(QKeyEvent* key) {
  // Control characters (Backspace, Tab, Enter, ...) leave the pending formats for the next
  // character; code 20 and above take them.
  if (key->text().isEmpty() || key->text().front().unicode() < 20 || PendingFormat == 0) return;
  ApplyPendingFormats();
}

void TMainForm::ApplyPendingFormats() {
  TParaFormat paragraph;
  unsigned paragraphFields = 0;
  if (PendingFormat & pfBullet) {
    paragraph.Numbering = PendingBullet ? nsBullet : nsNone;
    paragraphFields |= TParaFormat::fNumbering;
  }
  if (PendingFormat & pfAlignment) {
    paragraph.Alignment = PendingAlignment;
    paragraphFields |= TParaFormat::fAlignment;
  }
  if (paragraphFields) EnglishRichEdit->SetParagraph(paragraph, paragraphFields);

  TCharFormat format;
  unsigned fields = TCharFormat::fBackColor | TCharFormat::fAnimation;
  if (PendingFormat & pfStyle) {
    format.Style = PendingStyle;
    fields |= TCharFormat::fStyle;
    if (PendingStyle & fsUnderline) {
      format.UnderlineType = PendingUnderlineType;
      fields |= TCharFormat::fUnderlineType;
    }
  }
  if (PendingFormat & pfFont) {
    format.Name = PendingFont.family();
    format.Size = PendingFont.pointSize();
    fields |= TCharFormat::fFace | TCharFormat::fSize;
  }
  if (PendingFormat & pfColor) {
    format.Color = SelectedColor();
    fields |= TCharFormat::fColor;
  }
  // Without the English background the text has none of its own: the pane's background shows,
  // whatever the desktop's theme.
  format.BackColor = PendingFormat & pfEnglishBackColor ? EnglishBackColor : clWindow;
  format.Animation = PendingFormat & pfEnglishAnimation ? EnglishAnimationType : 0;
  EnglishRichEdit->SetSelAttributes(format, fields);
  if (PendingFormat & pfStyle) InvalidateSelectedLines();
  PendingFormat = 0;
}

void TMainForm::EnglishRichEditKeyUp(QKeyEvent* key) {
  if (key->key() == Qt::Key_CapsLock && !key->isAutoRepeat()) CapsLockSwitch(key);
}

void TMainForm::CapsLockSwitch(QKeyEvent* key) {
  // Typing with the Persian keyboard needs no English switch.
  if (EnglishRichEdit->SelAttributes().Language == LangPersian) return;
  if (CapsLockEcho) {
    CapsLockEcho = false;
    return;
  }
  // Caps Lock turned off, or Shift+Caps Lock for real capitals, is left alone.
  if (!CapsLock::Current().IsOn() || (key->modifiers() & Qt::ShiftModifier)) return;
  if (IsEnglishStyled(*EnglishRichEdit)) {
    PendingStyle = 0;
    PendingFormat &= ~(pfEnglishBackColor | pfEnglishAnimation);
  } else {
    switch (EnglishStyle) {
      case esBold:
        PendingStyle = fsBold;
        break;
      case esItalic:
        PendingStyle = fsItalic;
        break;
      case esUnderline:
        PendingStyle = fsUnderline;
        PendingUnderlineType = EnglishUnderlineType;
        break;
      case esBackColor:
        PendingFormat |= pfEnglishBackColor;
        break;
      case esAnimation:
        PendingFormat |= pfEnglishAnimation;
        break;
    }
  }
  PendingFormat |= pfStyle;
  InvalidateSelectedLines();
  TCharFormat format;
  unsigned fields = TCharFormat::fBackColor | TCharFormat::fAnimation;
  if (EnglishStyle <= esUnderline) {
    format.Style = PendingStyle;
    fields |= TCharFormat::fStyle;
  }
  if ((PendingStyle & fsUnderline) && EnglishStyle == esUnderline) {
    PendingUnderlineType = EnglishUnderlineType;
    format.UnderlineType = EnglishUnderlineType;
    fields |= TCharFormat::fUnderlineType;
  }
  const bool backColor = (PendingFormat & pfEnglishBackColor) && EnglishStyle == esBackColor;
  format.BackColor = backColor ? EnglishBackColor : clWindow;
  const bool animated = (PendingFormat & pfEnglishAnimation) && EnglishStyle == esAnimation;
  format.Animation = animated ? EnglishAnimationType : 0;
  EnglishRichEdit->SetSelAttributes(format, fields);
  // Caps Lock goes off again at once: the switch, not the capitals, is what the user wanted.
  CapsLockEcho = true;
  CapsLock::Current().SimulatePress();
}

bool TMainForm::EnglishRichEditMouseDown(QMouseEvent* mouse) {
  // The caret goes to the pointer first, so that the menu works on the word under it.
  if (mouse->button() == Qt::RightButton)
    EnglishRichEdit->setTextCursor(EnglishRichEdit->cursorForPosition(mouse->position().toPoint()));
  return false;
}

void TMainForm::PutInputCaretOnOutputWord(bool insideWord) {
  const int caret = FarsiRichEdit->CaretPos();
  const int line = FarsiRichEdit->LineFromChar(caret);
  const size_t column = size_t(caret - FarsiRichEdit->LineIndex(line));
  const size_t word = WordNumberAt(column, FarsiRichEdit->Line(line));
  const std::u16string input = EnglishRichEdit->Line(line);
  const size_t start = InputWordColumn(word, input);
  const int lineStart = EnglishRichEdit->LineIndex(line);
  if (lineStart < 0) return;
  if (!insideWord) {
    // Just after the word's first character, where the dictionary menu finds the word.
    EnglishRichEdit->SetCaret(lineStart + int(UnitsOf(input, start)));
    return;
  }
  // Inside the word, before its last character.
  const size_t end = UnitsOf(input, start > 0 ? start - 1 : 0) + WordText(word, input).size();
  EnglishRichEdit->SetCaret(lineStart + int(end) + 1);
  const bool pairAtEnd = end >= 2 && QChar::isLowSurrogate(input[end - 1]);
  // No word there (a click past the line's last one) leaves the caret in its own line.
  EnglishRichEdit->SetCaret(std::max(lineStart, lineStart + int(end) - (pairAtEnd ? 2 : 1)));
}

void TMainForm::FarsiRichEditDoubleClick(QMouseEvent* mouse) {
  if (mouse->button() != Qt::LeftButton) return;
  FarsiRichEdit->setTextCursor(FarsiRichEdit->cursorForPosition(mouse->position().toPoint()));
  EnglishRichEdit->setFocus();
  PutInputCaretOnOutputWord(true);
}

bool TMainForm::FarsiRichEditMouseDown(QMouseEvent* mouse) {
  if (mouse->button() != Qt::RightButton) return false;
  const QPoint point = mouse->position().toPoint();
  const int pos = FarsiRichEdit->cursorForPosition(point).position();
  const int start = FarsiRichEdit->SelStart();
  if (FarsiRichEdit->SelLength() > 0 && pos >= start && pos < start + FarsiRichEdit->SelLength()) {
    CopyPasteSelectedPopupMenu->popup(mouse->globalPosition().toPoint());
    return true;
  }
  FarsiRichEdit->SetCaret(pos);
  PutInputCaretOnOutputWord(false);
  DicPopupMenu->popup(mouse->globalPosition().toPoint());
  return true;
}

bool TMainForm::FarsiRichEditKeyDown(QKeyEvent* key) {
  if (!OneWindow->isChecked() || !IsTypingKey(key)) return false;
  // Typed into the enlarged output, the keys edit the hidden input, which the output follows.
  if (key->key() == Qt::Key_Backspace) {
    BackspaceLayout = EnglishRichEdit->InputLayout();
    ForwardKey(EnglishRichEdit, *key);
    FarsiRichEdit->SetInputLayout(BackspaceLayout);
    return true;
  }
  return false;
}

bool TMainForm::FarsiRichEditKeyPress(QKeyEvent* key) {
  if (!OneWindow->isChecked() || !IsTypingKey(key)) return false;
  // The input pane's Enter makes the line itself: nothing more to append.
  ForwardKey(EnglishRichEdit, *key);
  return true;
}

void TMainForm::FarsiRichEditKeyUp() {
  FarsiRichEdit->setFocus();
}
