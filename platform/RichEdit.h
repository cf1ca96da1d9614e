#pragma once
// A rich-text pane whose lines are its paragraphs: the line, caret, selection, format and freeze
// operations that the windows use, over QTextEdit. A paragraph mark counts as one character;
// positions and lengths are plain ints, without any 16-bit or line-length limit.
#include <QTextCursor>
#include <QTextEdit>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "KeyboardLayouts.h"

class QTextCharFormat;
class QTextFragment;

// Colours at this interface are 0x00BBGGRR values or one of these system colours.
inline constexpr uint32_t clWindowText = 0xFF000008;  // text that follows the pane's own colour
inline constexpr uint32_t clWindow = 0xFF000005;      // no background of its own

enum TFontStyle : uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
// Rich-text underline-type codes.
enum TUnderlineType : uint8_t {
  utNone = 0,
  utSingle = 1,
  utWord = 2,
  utDouble = 3,
  utDotted = 4,
  utWave = 5
};
enum TParaAlignment : uint8_t { paLeft = 0, paRight = 1, paCenter = 2 };
enum TNumbering : uint8_t { nsNone = 0, nsBullet = 1 };

struct TCharFormat {
  // Which fields a change sets.
  enum Field : unsigned {
    fColor = 0x01,
    fFace = 0x02,
    fSize = 0x04,
    fStyle = 0x08,
    fUnderlineType = 0x10,
    fBackColor = 0x20,
    fAnimation = 0x40,
    fLanguage = 0x80,
  };
  uint32_t Color = clWindowText;
  QString Name;
  int Size = 0;       // points
  uint8_t Style = 0;  // TFontStyle bits
  uint8_t UnderlineType = utNone;
  uint32_t BackColor = clWindow;
  uint8_t Animation = 0;
  uint16_t Language = 0;
  bool operator==(const TCharFormat&) const = default;
};

struct TParaFormat {
  enum Field : unsigned { fAlignment = 0x01, fIndents = 0x02, fNumbering = 0x04 };
  uint8_t Alignment = paLeft;  // as seen on the screen, whatever the paragraph's direction
  double FirstIndent = 0;      // points
  double LeftIndent = 0;
  double RightIndent = 0;
  uint8_t Numbering = nsNone;
  bool operator==(const TParaFormat&) const = default;
};

// The formats that the caret reports over a stretch of text, one entry per equal run.
struct TFormatRun {
  int Length;
  TCharFormat Format;
};

class RichEdit : public QTextEdit {
  Q_OBJECT
 public:
  explicit RichEdit(QWidget* parent = nullptr);

  // Lines. An empty last paragraph is not a line.
  int LineCount() const;
  // Line i without its paragraph mark; an empty line reads "\r"; "" when there is no line i.
  std::u16string Line(int i) const;
  // Every line, read as Line reads them.
  std::vector<std::u16string> Lines() const;
  // Characters of line i without its paragraph mark; 0 when there is no line i.
  int LineLength(int i) const;
  // Start of paragraph i (the empty last one included), or -1 when there is none.
  int LineIndex(int i) const;
  // Paragraph that holds position pos.
  int LineFromChar(int pos) const;
  // Characters of the whole text, paragraph marks between lines included.
  int TextLength() const;
  // The text of line i replaced; the new text takes the format found at the line's start.
  void ReplaceLine(int i, const std::u16string& text);
  // A new last line; text "" or "\r" makes it an empty line.
  void AppendLine(const std::u16string& text);
  // New last lines, as AppendLine adds them one by one.
  void AppendLines(const std::vector<std::u16string>& lines);
  // A new line i before the present line i; a new last line when i is the line count.
  void InsertLine(int i, const std::u16string& text);
  // Line i removed, so that the lines after it move up; nothing when there is no line i.
  void DeleteLine(int i);
  // Every line removed; the one paragraph left has default formats.
  void ClearAll();

  // Caret and selection (the caret is at the moving end).
  int CaretPos() const;
  void SetCaret(int pos);
  int SelStart() const;
  int SelLength() const;
  // Selects from start to start + length, the caret at the far end.
  void SetSel(int start, int length);
  void ReplaceSel(const std::u16string& text);

  // Character formats.
  TCharFormat SelAttributes() const;  // at the caret
  void SetSelAttributes(const TCharFormat& format, unsigned fields);
  // What SelAttributes reports with the caret at pos and nothing selected.
  TCharFormat FormatAt(int pos) const;
  // What SelAttributes reports with the caret at each of start + 1 .. start + length in turn,
  // without moving the caret.
  std::vector<TFormatRun> CaretFormats(int start, int length) const;
  // The given fields of format set on the characters from start to end.
  void SetFormat(int start, int end, const TCharFormat& format, unsigned fields);

  // Paragraph formats.
  TParaFormat Paragraph() const;  // at the caret
  TParaFormat ParagraphAt(int pos) const;
  void SetParagraph(const TParaFormat& format, unsigned fields);  // every selected paragraph
  void SetParagraphAt(int pos, const TParaFormat& format, unsigned fields);

  // The language that text without a language of its own carries.
  uint16_t Language() const { return language_; }
  void SetLanguage(uint16_t language) { language_ = language; }
  // The keyboard layout of the pane: LangEnglishUS, or LangPersian for Zefra's own Persian
  // layout. Setting it is the pane's input-language change request: what is typed next
  // carries that language.
  uint16_t InputLayout() const { return inputLayout_; }
  void SetInputLayout(uint16_t layout);

  // The letters A to Z from start to end made small, every format kept.
  void LowerCase(int start, int end);
  // Pastes the clipboard with the letters A to Z made small, every pasted format kept.
  void PasteLowerCased();

  // Set by the first change of text or format and kept, undo or not, until cleared here.
  bool Modified() const;
  void SetModified(bool modified);

  // The pane lays out and aligns its text right to left.
  void SetRightToLeft();
  // Every line separator from start to end becomes a paragraph mark, so that each line of the
  // text is a line of the pane.
  void BreakSoftLines(int start, int end);

  // Repainting stops at the first Freeze and starts again at the matching Unfreeze.
  void Freeze();
  void Unfreeze();

  // Changes of text and format between BeginUpdate and the matching EndUpdate are laid out
  // once, at the end, instead of one by one.
  void BeginUpdate();
  void EndUpdate();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void insertFromMimeData(const QMimeData* source) override;

 private:
  // The text that a key types into the pane, through its keyboard layout; "" for keys that
  // type nothing.
  QString TypedText(const QKeyEvent* event);
  // Whether the pane, in handling the key, places the caret afresh (its column for Up and
  // Down, the view scrolled to it, the caret shown) once the text has changed.
  bool PlacesCaret(const QKeyEvent* event, const QString& typed) const;
  // Whether the selection is already from anchor to caret, with no format waiting for the next
  // typed character.
  bool SelectionStands(int anchor, int caret) const;
  QTextBlock LineBlock(int i) const;
  // Each piece of the text from start to end that has one character format, in order.
  void ForEachFragment(int start, int end,
                       const std::function<void(int, int, const QTextFragment&)>& visit) const;
  TCharFormat ToCharFormat(const QTextCharFormat& format) const;
  void Apply(QTextCharFormat& target, const TCharFormat& format, unsigned fields) const;
  void ApplyParagraph(const QTextBlock& block, const TParaFormat& format, unsigned fields);
  double PixelsPerPoint() const;

  // The last format converted, with all that the answer depends on: the lines of a text mostly
  // share their formats.
  struct TFormatCache {
    bool Valid = false;
    QTextCharFormat Format;
    QFont PaneFont;
    uint16_t Language = 0;
    TCharFormat Result;
  };
  mutable TFormatCache formatCache_;

  uint16_t language_ = LangEnglishUS;
  uint16_t inputLayout_ = LangEnglishUS;
  bool modified_ = false;
  bool keyPlacesCaret_ = false;  // while such a key is handled
  int freezeCount_ = 0;
  int updateCount_ = 0;
  QTextCursor updateCursor_;
};

// Keeps a pane's changes batched for the life of the object.
class TBatchedUpdate {
 public:
  explicit TBatchedUpdate(RichEdit& edit) : edit_(edit) { edit_.BeginUpdate(); }
  ~TBatchedUpdate() { edit_.EndUpdate(); }
  TBatchedUpdate(const TBatchedUpdate&) = delete;
  TBatchedUpdate& operator=(const TBatchedUpdate&) = delete;

 private:
  RichEdit& edit_;
};

// Keeps a pane frozen for the life of the object.
class TFrozenDisplay {
 public:
  explicit TFrozenDisplay(RichEdit& edit) : edit_(edit) { edit_.Freeze(); }
  ~TFrozenDisplay() { edit_.Unfreeze(); }
  TFrozenDisplay(const TFrozenDisplay&) = delete;
  TFrozenDisplay& operator=(const TFrozenDisplay&) = delete;

 private:
  RichEdit& edit_;
};
