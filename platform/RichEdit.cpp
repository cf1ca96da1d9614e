#include "RichEdit.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <algorithm>

#include "KeyboardLayouts.h"
#include "LineLayout.h"

namespace {

// Rich-edit properties that Qt has no field for.
constexpr int kUnderlineType = QTextFormat::UserProperty + 1;
constexpr int kAnimation = QTextFormat::UserProperty + 2;
constexpr int kLanguage = QTextFormat::UserProperty + 3;

uint32_t ToColorRef(const QColor& color) {
  return uint32_t(color.red()) | uint32_t(color.green()) << 8 | uint32_t(color.blue()) << 16;
}

bool IsRgb(uint32_t color) {
  return (color & 0xFF000000) == 0;
}

QColor FromColorRef(uint32_t color) {
  return QColor(int(color & 0xFF), int(color >> 8 & 0xFF), int(color >> 16 & 0xFF));
}

QTextCharFormat::UnderlineStyle DrawnUnderline(int type) {
  switch (type) {
    case utDotted:
      return QTextCharFormat::DotLine;
    case utWave:
      return QTextCharFormat::WaveUnderline;
    default:  // Qt draws no double or word underline: a single line is the nearest
      return QTextCharFormat::SingleUnderline;
  }
}

uint8_t UnderlineTypeOf(QTextCharFormat::UnderlineStyle style) {
  switch (style) {
    case QTextCharFormat::NoUnderline:
      return utNone;
    case QTextCharFormat::DotLine:
      return utDotted;
    case QTextCharFormat::WaveUnderline:
    case QTextCharFormat::SpellCheckUnderline:
      return utWave;
    default:
      return utSingle;
  }
}

bool Underlined(const QTextCharFormat& format, const QFont& paneFont) {
  if (format.hasProperty(QTextFormat::TextUnderlineStyle))
    return format.underlineStyle() != QTextCharFormat::NoUnderline;
  if (format.hasProperty(QTextFormat::FontUnderline)) return format.fontUnderline();
  return paneFont.underline();
}

Qt::Alignment QtAlignment(uint8_t alignment) {
  switch (alignment) {
    case paRight:
      return Qt::AlignRight | Qt::AlignAbsolute;
    case paCenter:
      return Qt::AlignHCenter;
    default:
      return Qt::AlignLeft | Qt::AlignAbsolute;
  }
}

bool IsCapital(QChar c) {
  return c >= u'A' && c <= u'Z';
}

void MakeSmall(QString& text) {
  for (QChar& c : text)
    if (IsCapital(c)) c = QChar(c.unicode() + (u'a' - u'A'));
}

bool IsBulleted(const QTextBlock& block) {
  const QTextList* list = block.textList();
  return list && list->format().style() == QTextListFormat::ListDisc;
}

// A scroll bar repainted only when a new range or value changes what it shows. Each key in a line
// many screens wide widens the document by a few pixels, which leaves the handle where it was.
class SteadyScrollBar : public QScrollBar {
 public:
  explicit SteadyScrollBar(Qt::Orientation orientation) : QScrollBar(orientation) {}

 protected:
  void sliderChange(SliderChange change) override {
    if ((change == SliderRangeChange || change == SliderValueChange) && CurrentLook() == shown_)
      return;
    QScrollBar::sliderChange(change);
  }
  void paintEvent(QPaintEvent* event) override {
    shown_ = CurrentLook();
    QScrollBar::paintEvent(event);
  }

 private:
  // What the range and the value decide of the painting: the handle, and the arrows that can
  // still move it.
  struct TLook {
    QRect Handle;
    bool AtMinimum = false;
    bool AtMaximum = false;
    bool operator==(const TLook&) const = default;
  };

  TLook CurrentLook() const {
    QStyleOptionSlider option;
    initStyleOption(&option);
    return {
        style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this),
        option.sliderPosition <= option.minimum, option.sliderPosition >= option.maximum};
  }

  TLook shown_{QRect(), true, false};  // never a real look: the first change repaints
};

}  // namespace

RichEdit::RichEdit(QWidget* parent) : QTextEdit(parent) {
  LineLayout::Install(document());
  setHorizontalScrollBar(new SteadyScrollBar(Qt::Horizontal));
  setVerticalScrollBar(new SteadyScrollBar(Qt::Vertical));
  setLineWrapMode(NoWrap);
  connect(document(), &QTextDocument::modificationChanged, this, [this](bool changed) {
    if (changed) modified_ = true;
  });
}

QTextBlock RichEdit::LineBlock(int i) const {
  if (i < 0 || i >= document()->blockCount()) return {};
  return document()->findBlockByNumber(i);
}

int RichEdit::LineCount() const {
  const int blocks = document()->blockCount();
  return document()->lastBlock().length() == 1 ? blocks - 1 : blocks;
}

std::u16string RichEdit::Line(int i) const {
  if (i >= LineCount()) return {};
  const QTextBlock block = LineBlock(i);
  if (!block.isValid()) return {};
  if (block.length() == 1) return u"\r";
  return block.text().toStdU16String();
}

std::vector<std::u16string> RichEdit::Lines() const {
  // One pass over the raw text: reading the paragraphs one by one costs a search each.
  const QString text = document()->toRawText();
  std::vector<std::u16string> lines;
  lines.reserve(size_t(document()->blockCount()));
  qsizetype start = 0;
  for (;;) {
    const qsizetype end = text.indexOf(QChar::ParagraphSeparator, start);
    const qsizetype stop = end < 0 ? text.size() : end;
    if (stop > start)
      lines.emplace_back(reinterpret_cast<const char16_t*>(text.constData()) + start,
                         size_t(stop - start));
    else if (end >= 0)
      lines.emplace_back(u"\r");
    if (end < 0) break;
    start = end + 1;
  }
  return lines;
}

int RichEdit::LineLength(int i) const {
  if (i >= LineCount()) return 0;
  const QTextBlock block = LineBlock(i);
  return block.isValid() ? block.length() - 1 : 0;
}

int RichEdit::LineIndex(int i) const {
  const QTextBlock block = LineBlock(i);
  return block.isValid() ? block.position() : -1;
}

int RichEdit::LineFromChar(int pos) const {
  pos = std::clamp(pos, 0, TextLength());
  return document()->findBlock(pos).blockNumber();
}

int RichEdit::TextLength() const {
  return document()->characterCount() - 1;
}

void RichEdit::ReplaceLine(int i, const std::u16string& text) {
  if (i >= LineCount()) return;
  const QTextBlock block = LineBlock(i);
  if (!block.isValid()) return;
  const QString line = text == u"\r" ? QString() : QString::fromStdU16String(text);
  QTextCursor cursor(document());
  cursor.beginEditBlock();
  cursor.setPosition(block.position());
  const QTextCharFormat format = cursor.charFormat();
  cursor.setPosition(block.position() + block.length() - 1, QTextCursor::KeepAnchor);
  cursor.insertText(line, format);
  // An emptied last line needs an empty paragraph after it to count as a line, or the next
  // appended line would take its place; a filled one needs none, or the text would end in a
  // blank line.
  const QTextBlock next = block.next();
  if (line.isEmpty() && !next.isValid()) {
    cursor.insertBlock();
  } else if (!line.isEmpty() && next.isValid() && next.length() == 1 && !next.next().isValid()) {
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
  }
  cursor.endEditBlock();
}

void RichEdit::AppendLine(const std::u16string& text) {
  AppendLines({text});
}

namespace {

// Characters that the text cursor turns into paragraph marks as it inserts them.
bool BreaksParagraph(char16_t c) {
  return c == u'\n' || c == u'\r' || c == 0x2029 || c == 0xFDD0 || c == 0xFDD1;
}

}  // namespace

void RichEdit::AppendLines(const std::vector<std::u16string>& lines) {
  // The empty last paragraph is no line: it is filled rather than followed, and an empty new
  // line needs a paragraph after it to count. Lines go in at once, so the pane takes its
  // paragraphs in one insertion rather than one by one; a line holding its own breaks goes in
  // by itself, where no break of the batch can run into it.
  bool lastIsEmpty = document()->lastBlock().length() == 1;
  QString batch;
  const auto insert = [this](const QString& text) {
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text);
  };
  for (const std::u16string& text : lines) {
    const QString line = text == u"\r" ? QString() : QString::fromStdU16String(text);
    const bool ownBreaks = std::any_of(text.begin(), text.end(), BreaksParagraph) && text != u"\r";
    if (ownBreaks && !batch.isEmpty()) {
      insert(batch);
      batch.clear();
    }
    if (!lastIsEmpty) batch += QChar::ParagraphSeparator;
    batch += line;
    if (line.isEmpty()) batch += QChar::ParagraphSeparator;
    if (ownBreaks) {
      insert(batch);
      batch.clear();
      lastIsEmpty = document()->lastBlock().length() == 1;
    } else {
      lastIsEmpty = line.isEmpty();
    }
  }
  if (!batch.isEmpty()) insert(batch);
}

void RichEdit::InsertLine(int i, const std::u16string& text) {
  if (i >= LineCount()) {
    AppendLine(text);
    return;
  }
  const QTextBlock block = LineBlock(i);
  if (!block.isValid()) return;
  QTextCursor cursor(document());
  cursor.beginEditBlock();
  cursor.setPosition(block.position());
  cursor.insertText(text == u"\r" ? QString() : QString::fromStdU16String(text));
  cursor.insertBlock();
  cursor.endEditBlock();
}

void RichEdit::DeleteLine(int i) {
  const int count = LineCount();
  if (i < 0 || i >= count) return;
  const QTextBlock block = LineBlock(i);
  QTextCursor cursor(document());
  if (i < count - 1) {
    cursor.setPosition(block.position());
    cursor.setPosition(block.next().position(), QTextCursor::KeepAnchor);
  } else {
    // The last line goes with everything after it. An empty line before it needs an empty
    // paragraph after it to stay a line; any other line ends the text, or copies and saves of
    // the pane would carry a blank line.
    const QTextBlock previous = block.previous();
    const bool keepMark = previous.isValid() && previous.length() == 1;
    cursor.setPosition(keepMark || !previous.isValid() ? block.position() : block.position() - 1);
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
  }
  cursor.removeSelectedText();
}

void RichEdit::ClearAll() {
  QTextCursor cursor(document());
  cursor.select(QTextCursor::Document);
  cursor.removeSelectedText();
  cursor.setBlockFormat(QTextBlockFormat());
  cursor.setBlockCharFormat(QTextCharFormat());
}

int RichEdit::CaretPos() const {
  return textCursor().position();
}

void RichEdit::SetCaret(int pos) {
  SetSel(pos, 0);
}

int RichEdit::SelStart() const {
  return textCursor().selectionStart();
}

int RichEdit::SelLength() const {
  const QTextCursor cursor = textCursor();
  return cursor.selectionEnd() - cursor.selectionStart();
}

void RichEdit::SetSel(int start, int length) {
  const int anchor = std::clamp(start, 0, TextLength());
  const int caret = std::clamp(start + length, 0, TextLength());
  // Placing the caret measures the line up to it several times over; a key that types or
  // deletes places it afresh itself once it is done.
  if (keyPlacesCaret_ && SelectionStands(anchor, caret)) return;
  // A fresh cursor: moving the caret drops any format chosen for the next typed character.
  QTextCursor cursor(document());
  cursor.setPosition(anchor);
  if (caret != anchor) cursor.setPosition(caret, QTextCursor::KeepAnchor);
  setTextCursor(cursor);
}

bool RichEdit::SelectionStands(int anchor, int caret) const {
  const QTextCursor current = textCursor();
  if (current.anchor() != anchor || current.position() != caret) return false;
  // Unless a format chosen for the next typed character would be dropped.
  QTextCursor fresh = current;
  fresh.movePosition(QTextCursor::NoMove);
  return fresh.charFormat() == current.charFormat();
}

void RichEdit::ReplaceSel(const std::u16string& text) {
  QTextCursor cursor = textCursor();
  cursor.insertText(QString::fromStdU16String(text));
  setTextCursor(cursor);
}

TCharFormat RichEdit::ToCharFormat(const QTextCharFormat& format) const {
  const QFont paneFont = document()->defaultFont();
  TFormatCache& cache = formatCache_;
  if (cache.Valid && format == cache.Format && language_ == cache.Language &&
      paneFont == cache.PaneFont)
    return cache.Result;
  TCharFormat result;
  const QBrush foreground = format.foreground();
  if (format.hasProperty(QTextFormat::ForegroundBrush) && foreground.style() != Qt::NoBrush)
    result.Color = ToColorRef(foreground.color());
  const QStringList families = format.fontFamilies().toStringList();
  result.Name = families.isEmpty() ? paneFont.family() : families.front();
  result.Size = qRound(format.hasProperty(QTextFormat::FontPointSize) ? format.fontPointSize()
                                                                      : paneFont.pointSizeF());
  const int weight =
      format.hasProperty(QTextFormat::FontWeight) ? format.fontWeight() : paneFont.weight();
  if (weight > QFont::Medium) result.Style |= fsBold;
  if (format.hasProperty(QTextFormat::FontItalic) ? format.fontItalic() : paneFont.italic())
    result.Style |= fsItalic;
  const bool underlined = Underlined(format, paneFont);
  if (underlined) result.Style |= fsUnderline;
  if (format.hasProperty(QTextFormat::FontStrikeOut) ? format.fontStrikeOut()
                                                     : paneFont.strikeOut())
    result.Style |= fsStrikeOut;
  if (format.hasProperty(kUnderlineType))
    result.UnderlineType = uint8_t(format.intProperty(kUnderlineType));
  else
    result.UnderlineType = underlined ? UnderlineTypeOf(format.underlineStyle()) : uint8_t(utNone);
  const QBrush background = format.background();
  if (format.hasProperty(QTextFormat::BackgroundBrush) && background.style() != Qt::NoBrush)
    result.BackColor = ToColorRef(background.color());
  result.Animation = uint8_t(format.intProperty(kAnimation));
  result.Language =
      format.hasProperty(kLanguage) ? uint16_t(format.intProperty(kLanguage)) : language_;
  cache = {true, format, paneFont, language_, result};
  return result;
}

void RichEdit::Apply(QTextCharFormat& target, const TCharFormat& format, unsigned fields) const {
  using F = TCharFormat;
  if (fields & F::fColor) {
    if (IsRgb(format.Color))
      target.setForeground(FromColorRef(format.Color));
    else
      target.clearForeground();
  }
  if (fields & F::fFace) target.setFontFamilies(QStringList{format.Name});
  if (fields & F::fSize) {
    if (format.Size > 0)
      target.setFontPointSize(format.Size);
    else
      target.clearProperty(QTextFormat::FontPointSize);
  }
  if (fields & F::fUnderlineType) target.setProperty(kUnderlineType, int(format.UnderlineType));
  if (fields & F::fStyle) {
    target.setFontWeight(format.Style & fsBold ? QFont::Bold : QFont::Normal);
    target.setFontItalic(format.Style & fsItalic);
    target.setFontStrikeOut(format.Style & fsStrikeOut);
    const int type =
        target.hasProperty(kUnderlineType) ? target.intProperty(kUnderlineType) : int(utSingle);
    target.setUnderlineStyle(format.Style & fsUnderline ? DrawnUnderline(type)
                                                        : QTextCharFormat::NoUnderline);
  } else if ((fields & F::fUnderlineType) &&
             target.underlineStyle() != QTextCharFormat::NoUnderline) {
    target.setUnderlineStyle(DrawnUnderline(format.UnderlineType));
  }
  if (fields & F::fBackColor) {
    if (IsRgb(format.BackColor))
      target.setBackground(FromColorRef(format.BackColor));
    else
      target.clearBackground();
  }
  if (fields & F::fAnimation) target.setProperty(kAnimation, int(format.Animation));
  if (fields & F::fLanguage) target.setProperty(kLanguage, int(format.Language));
}

TCharFormat RichEdit::SelAttributes() const {
  return ToCharFormat(textCursor().charFormat());
}

void RichEdit::SetSelAttributes(const TCharFormat& format, unsigned fields) {
  QTextCursor cursor = textCursor();
  if (cursor.hasSelection()) {
    SetFormat(cursor.selectionStart(), cursor.selectionEnd(), format, fields);
    return;
  }
  QTextCharFormat next = cursor.charFormat();
  Apply(next, format, fields);
  setCurrentCharFormat(next);
}

TCharFormat RichEdit::FormatAt(int pos) const {
  QTextCursor cursor(document());
  cursor.setPosition(std::clamp(pos, 0, TextLength()));
  return ToCharFormat(cursor.charFormat());
}

std::vector<TFormatRun> RichEdit::CaretFormats(int start, int length) const {
  std::vector<TFormatRun> runs;
  auto add = [&runs](int count, TCharFormat format) {
    if (!runs.empty() && runs.back().Format == format)
      runs.back().Length += count;
    else
      runs.push_back({count, std::move(format)});
  };
  const QTextBlock block = document()->findBlock(start);
  const int end = start + length;
  if (!block.isValid() || end > block.position() + block.length() - 1) {
    // Across a paragraph mark the caret's rule has special cases: ask it position by position.
    for (int pos = start + 1; pos <= end; ++pos) add(1, FormatAt(pos));
    return runs;
  }
  // Inside one paragraph the caret after a character reports that character's format.
  ForEachFragment(start, end, [&](int from, int to, const QTextFragment& fragment) {
    add(to - from, ToCharFormat(fragment.charFormat()));
  });
  return runs;
}

void RichEdit::ForEachFragment(
    int start, int end, const std::function<void(int, int, const QTextFragment&)>& visit) const {
  for (QTextBlock block = document()->findBlock(start); block.isValid() && block.position() < end;
       block = block.next()) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      const int from = std::max(fragment.position(), start);
      const int to = std::min(fragment.position() + fragment.length(), end);
      if (from < to) visit(from, to, fragment);
    }
  }
}

void RichEdit::SetFormat(int start, int end, const TCharFormat& format, unsigned fields) {
  start = std::clamp(start, 0, TextLength());
  end = std::clamp(end, start, TextLength());
  struct Piece {
    int From, To;
    QTextCharFormat Format;
  };
  // Each piece keeps what it had in the fields not set; collected first because setting a
  // format splits and merges the fragments being walked.
  std::vector<Piece> pieces;
  ForEachFragment(start, end, [&pieces](int from, int to, const QTextFragment& fragment) {
    pieces.push_back({from, to, fragment.charFormat()});
  });
  QTextCursor cursor(document());
  for (Piece& piece : pieces) {
    Apply(piece.Format, format, fields);
    cursor.setPosition(piece.From);
    cursor.setPosition(piece.To, QTextCursor::KeepAnchor);
    cursor.setCharFormat(piece.Format);
  }
}

double RichEdit::PixelsPerPoint() const {
  return logicalDpiX() / 72.0;
}

TParaFormat RichEdit::Paragraph() const {
  return ParagraphAt(CaretPos());
}

TParaFormat RichEdit::ParagraphAt(int pos) const {
  const QTextBlock block = document()->findBlock(std::clamp(pos, 0, TextLength()));
  const QTextBlockFormat format = block.blockFormat();
  TParaFormat result;
  const Qt::Alignment seen = QStyle::visualAlignment(block.textDirection(), format.alignment());
  if (seen & Qt::AlignHCenter)
    result.Alignment = paCenter;
  else if (seen & Qt::AlignRight)
    result.Alignment = paRight;
  const double ppp = PixelsPerPoint();
  result.FirstIndent = format.textIndent() / ppp;
  result.LeftIndent = format.leftMargin() / ppp;
  result.RightIndent = format.rightMargin() / ppp;
  result.Numbering = IsBulleted(block) ? nsBullet : nsNone;
  return result;
}

void RichEdit::ApplyParagraph(const QTextBlock& block, const TParaFormat& format, unsigned fields) {
  QTextCursor cursor(block);
  QTextBlockFormat blockFormat = block.blockFormat();
  if (fields & TParaFormat::fAlignment) blockFormat.setAlignment(QtAlignment(format.Alignment));
  if (fields & TParaFormat::fIndents) {
    const double ppp = PixelsPerPoint();
    blockFormat.setTextIndent(format.FirstIndent * ppp);
    blockFormat.setLeftMargin(format.LeftIndent * ppp);
    blockFormat.setRightMargin(format.RightIndent * ppp);
  }
  cursor.setBlockFormat(blockFormat);
  if (!(fields & TParaFormat::fNumbering) || IsBulleted(block) == (format.Numbering == nsBullet))
    return;
  if (QTextList* list = block.textList()) {
    // Leaving a list adds the list's indent to the paragraph; the paragraph keeps its own.
    const int indent = block.blockFormat().indent();
    list->remove(block);
    QTextBlockFormat unlisted = block.blockFormat();
    unlisted.setIndent(indent);
    cursor.setBlockFormat(unlisted);
  }
  if (format.Numbering != nsBullet) return;
  if (IsBulleted(block.previous())) {
    block.previous().textList()->add(block);
  } else {
    QTextListFormat bullets;
    bullets.setStyle(QTextListFormat::ListDisc);
    bullets.setIndent(1);
    cursor.createList(bullets);
  }
}

void RichEdit::SetParagraph(const TParaFormat& format, unsigned fields) {
  const QTextCursor cursor = textCursor();
  const QTextBlock last = document()->findBlock(cursor.selectionEnd());
  for (QTextBlock block = document()->findBlock(cursor.selectionStart()); block.isValid();
       block = block.next()) {
    ApplyParagraph(block, format, fields);
    if (block == last) break;
  }
}

void RichEdit::SetParagraphAt(int pos, const TParaFormat& format, unsigned fields) {
  ApplyParagraph(document()->findBlock(std::clamp(pos, 0, TextLength())), format, fields);
}

bool RichEdit::Modified() const {
  return modified_ || document()->isModified();
}

void RichEdit::SetModified(bool modified) {
  modified_ = modified;
  document()->setModified(modified);
}

void RichEdit::SetRightToLeft() {
  setLayoutDirection(Qt::RightToLeft);
  QTextOption option = document()->defaultTextOption();
  option.setTextDirection(Qt::RightToLeft);
  document()->setDefaultTextOption(option);
}

void RichEdit::SetInputLayout(uint16_t layout) {
  inputLayout_ = layout;
  language_ = layout;
  // The insertion point takes the language at once, as typed text will.
  QTextCharFormat next;
  next.setProperty(kLanguage, int(layout));
  mergeCurrentCharFormat(next);
}

void RichEdit::LowerCase(int start, int end) {
  start = std::clamp(start, 0, TextLength());
  end = std::clamp(end, start, TextLength());
  struct Piece {
    int From;
    QString Text;
    QTextCharFormat Format;
  };
  std::vector<Piece> pieces;
  // Read from the paragraphs' text, and the fragments of those with capitals: a cursor would
  // lay out every line it is put in.
  for (QTextBlock block = document()->findBlock(start); block.isValid(); block = block.next()) {
    const int blockStart = block.position();
    if (blockStart >= end) break;
    const QString text = block.text();
    const int offset = std::max(start - blockStart, 0);
    const int limit = std::min(end - blockStart, int(text.size()));
    const QStringView range = QStringView(text).sliced(offset, limit - offset);
    if (std::none_of(range.begin(), range.end(), IsCapital)) continue;
    ForEachFragment(blockStart + offset, blockStart + limit,
                    [&](int from, int to, const QTextFragment& fragment) {
                      QString piece = text.mid(from - blockStart, to - from);
                      if (std::none_of(piece.begin(), piece.end(), IsCapital)) return;
                      MakeSmall(piece);
                      pieces.push_back({from, std::move(piece), fragment.charFormat()});
                    });
  }
  if (pieces.empty()) return;
  QTextCursor cursor(document());
  // Part of the paste for undo: one step takes back both.
  cursor.joinPreviousEditBlock();
  for (const Piece& piece : pieces) {
    cursor.setPosition(piece.From);
    cursor.setPosition(piece.From + int(piece.Text.size()), QTextCursor::KeepAnchor);
    cursor.insertText(piece.Text, piece.Format);
  }
  cursor.endEditBlock();
}

void RichEdit::PasteLowerCased() {
  const QMimeData* source = QGuiApplication::clipboard()->mimeData();
  if (!source) return;
  const QStringList formats = source->formats();
  const bool plain =
      !formats.isEmpty() && std::all_of(formats.begin(), formats.end(), [](const QString& format) {
        return format.startsWith(QLatin1String("text/plain"));
      });
  if (plain) {
    // Plain text takes the caret's format whatever its case: it goes in already small.
    QString text = source->text();
    MakeSmall(text);
    QMimeData small;
    small.setText(text);
    insertFromMimeData(&small);
  } else {
    // Capitals are made small in place, so that the pasted formats stay.
    const int start = SelStart();
    paste();
    TFrozenDisplay frozen(*this);
    LowerCase(start, CaretPos());
  }
  SetCaret(CaretPos());
}

void RichEdit::BreakSoftLines(int start, int end) {
  std::vector<int> separators;
  for (QTextBlock block = document()->findBlock(std::max(start, 0));
       block.isValid() && block.position() < end; block = block.next()) {
    const QString text = block.text();
    for (qsizetype at = text.indexOf(QChar::LineSeparator); at >= 0;
         at = text.indexOf(QChar::LineSeparator, at + 1)) {
      const int pos = block.position() + int(at);
      if (pos >= start && pos < end) separators.push_back(pos);
    }
  }
  if (separators.empty()) return;
  // A line separator and a paragraph mark are one character each: positions stay put.
  QTextCursor cursor(document());
  cursor.beginEditBlock();
  for (const int pos : separators) {
    cursor.setPosition(pos);
    cursor.setPosition(pos + 1, QTextCursor::KeepAnchor);
    cursor.insertBlock();
  }
  cursor.endEditBlock();
}

void RichEdit::keyPressEvent(QKeyEvent* event) {
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (enter && (event->modifiers() & Qt::ShiftModifier)) {
    // Lines are paragraphs: a soft line break would join two lines into one.
    QKeyEvent plain(event->type(), event->key(), event->modifiers() & ~Qt::ShiftModifier,
                    event->text(), event->isAutoRepeat(), ushort(event->count()));
    QTextEdit::keyPressEvent(&plain);
    event->setAccepted(plain.isAccepted());
    return;
  }
  if (event->key() == Qt::Key_Y && event->modifiers() == Qt::ControlModifier && !isReadOnly()) {
    // Redo on Ctrl+Y as well as on Ctrl+Shift+Z, as users of other editors expect.
    redo();
    event->accept();
    return;
  }
  const QString typed = TypedText(event);
  const QScopedValueRollback<bool> placing(keyPlacesCaret_, PlacesCaret(event, typed));
  if (typed.isEmpty() || typed == event->text()) {
    QTextEdit::keyPressEvent(event);
    return;
  }
  QKeyEvent mapped(event->type(), event->key(), event->modifiers(), typed, event->isAutoRepeat(),
                   ushort(event->count()));
  QTextEdit::keyPressEvent(&mapped);
  event->setAccepted(mapped.isAccepted());
}

bool RichEdit::PlacesCaret(const QKeyEvent* event, const QString& typed) const {
  if (isReadOnly()) return false;
  if (!typed.isEmpty()) return true;
  const QTextCursor cursor = textCursor();
  // Backspace at a paragraph's start may only take away its bullet or indent.
  if (event->key() == Qt::Key_Backspace)
    return !(event->modifiers() & ~Qt::ShiftModifier) && !cursor.atBlockStart();
  return event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier;
}

QString RichEdit::TypedText(const QKeyEvent* event) {
  const QString text = event->text();
  const Qt::KeyboardModifiers commands = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
  if (isReadOnly() || text.isEmpty() || text.front().unicode() < 0x20 ||
      (event->modifiers() & commands))
    return {};
  QString typed = text;
  if (inputLayout_ == LangPersian) {
    // A key's Persian level follows Shift alone: Caps Lock may have turned the letter's case.
    const bool shifted = event->modifiers() & Qt::ShiftModifier;
    for (QChar& c : typed) {
      if (c.isLetter() && c.unicode() < 0x80) c = shifted ? c.toUpper() : c.toLower();
      c = QChar(PersianKey(c.unicode()));
    }
  }
  // What is typed carries its language: Persian in the Persian layout or when it arrives
  // Persian from the system's own layout, else English.
  const bool persian = inputLayout_ == LangPersian ||
                       std::any_of(typed.begin(), typed.end(),
                                   [](QChar c) { return IsPersianCharacter(c.unicode()); });
  const int language = persian ? LangPersian : LangEnglishUS;
  if (currentCharFormat().intProperty(kLanguage) != language) {
    QTextCharFormat next;
    next.setProperty(kLanguage, language);
    mergeCurrentCharFormat(next);
  }
  return typed;
}

void RichEdit::insertFromMimeData(const QMimeData* source) {
  // One edit: the paste and its broken soft lines are converted and undone together.
  QTextCursor edit = textCursor();
  edit.beginEditBlock();
  const int start = edit.selectionStart();
  QTextEdit::insertFromMimeData(source);
  BreakSoftLines(start, textCursor().position());
  edit.endEditBlock();
}

void RichEdit::Freeze() {
  if (freezeCount_++ == 0) viewport()->setUpdatesEnabled(false);
}

void RichEdit::Unfreeze() {
  if (freezeCount_ > 0 && --freezeCount_ == 0) viewport()->setUpdatesEnabled(true);
}

void RichEdit::BeginUpdate() {
  if (updateCount_++ > 0) return;
  updateCursor_ = QTextCursor(document());
  updateCursor_.beginEditBlock();
}

void RichEdit::EndUpdate() {
  if (updateCount_ > 0 && --updateCount_ == 0) updateCursor_.endEditBlock();
}
