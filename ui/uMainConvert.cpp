// The live conversion: each change of the input pane converts the changed lines into the same
// lines of the output pane, then scrolls the output to the change.
#include <QCheckBox>
#include <algorithm>
#include <exception>

#include "CodePage.h"
#include "MessageBoxes.h"
#include "ParagraphCopy.h"
#include "WordUtils.h"
#include "trans.h"
#include "uMain.h"

namespace {

class TRaisedFlag {
 public:
  explicit TRaisedFlag(bool& flag) : flag_(flag) { flag_ = true; }
  ~TRaisedFlag() { flag_ = false; }
  TRaisedFlag(const TRaisedFlag&) = delete;
  TRaisedFlag& operator=(const TRaisedFlag&) = delete;

 private:
  bool& flag_;
};

// The output runs right to left, so the user's left and right trade places.
uint8_t MirroredAlignment(uint8_t alignment) {
  switch (alignment) {
    case paLeft:
      return paRight;
    case paRight:
      return paLeft;
    default:
      return alignment;
  }
}

// The marking only says which words stay Latin; it is not shown on the output.
uint8_t WithoutEnglishMarking(uint8_t style) {
  switch (EnglishStyle) {
    case esBold:
      return style & ~fsBold;
    case esItalic:
      return style & ~fsItalic;
    case esUnderline:
      return style & ~fsUnderline;
    default:
      return style;
  }
}

}  // namespace

void TMainForm::EnglishRichEditChange() {
  if (!EnglishRichEdit->Modified() || Loading) return;
  if (ConversionDeferred) {
    ConversionDue = true;
    return;
  }
  ConversionDue = false;
  try {
    TRaisedFlag converting(Converting);
    CurrentLine = size_t(FarsiRichEdit->LineCount());
    const uint16_t layout = EnglishRichEdit->InputLayout();
    // The selection too: a format set on it, or a letter about to replace it, must still find
    // it after the conversion.
    const int anchor = EnglishRichEdit->textCursor().anchor();
    const int caret = EnglishRichEdit->CaretPos();
    if (PendingFormat & pfStyle) InvalidateSelectedLines();
    {
      TFrozenDisplay frozen(*EnglishRichEdit);
      // The output is laid out once for all converted lines rather than once per edit.
      TBatchedUpdate batch(*FarsiRichEdit);
      ConvertChangedLines();
    }
    ScrollOutput();
    // The trip through the Persian output must not change what the keyboard types.
    FarsiRichEdit->SetInputLayout(layout);
    EnglishRichEdit->SetSel(anchor, caret - anchor);
    if (SendingActive) SendToOutPut();
    RememberLines();
  } catch (const std::exception& error) {
    // The lists may be half written: the next change compares every line.
    ++RememberedInputRevision;
    MessageBoxes::Show(this, MessageBoxes::Type::Error, QString::fromLocal8Bit(error.what()));
  }
}

void TMainForm::ReconvertAll() {
  PreviousInputLines.Clear();
  EnglishRichEditChange();
}

void TMainForm::InvalidateSelectedLines() {
  const int start = EnglishRichEdit->SelStart();
  const int length = EnglishRichEdit->SelLength();
  if (PendingFormat == 0 || (length == 0 && !(PendingFormat & pfAlignment))) return;
  const int last =
      std::min(EnglishRichEdit->LineFromChar(start + length), int(PreviousInputLines.size()) - 1);
  for (int line = EnglishRichEdit->LineFromChar(start); line <= last; ++line)
    PreviousInputLines.Set(size_t(line), {});
}

void TMainForm::ConvertChangedLines() {
  const size_t oldCount = InputParagraphs->LineCount();
  const TParagraphCopy::TSplice edited = InputParagraphs->Refresh();
  const std::vector<std::u16string>& lines = InputParagraphs->Paragraphs();
  const size_t count = InputParagraphs->LineCount();
  ConvertedLines.clear();
  NewOutputLines.clear();  // what a failed conversion left
  if (count == 0) FarsiRichEdit->ClearAll();
  const auto convertIfChanged = [&](size_t i) {
    // A line the edit touched may have kept its text and changed its English marking (a
    // format set, undone or redone): it is converted again all the same.
    const bool touched = i >= edited.First && i < edited.First + edited.Added;
    if (!touched && i < PreviousInputLines.size() && lines[i] == PreviousInputLines[i]) return;
    ConvertInputLine(i, lines[i]);
    ConvertedLines.push_back(i);
  };
  const bool listAsLeft = PreviousInputLines.Revision() == RememberedInputRevision;
  if (FollowLineBreaks(edited, oldCount) && listAsLeft) {
    // Every other line kept its text and its number, and so still equals its copy.
    const size_t end = std::min(count, edited.First + edited.Added);
    for (size_t i = edited.First; i < end; ++i) convertIfChanged(i);
    for (size_t i = std::max(end, PreviousInputLines.size()); i < count; ++i) convertIfChanged(i);
  } else {
    // Lines moved, or the copies were changed between conversions: any later line may now
    // differ from the copy of the same number.
    for (size_t i = listAsLeft ? edited.First : 0; i < count; ++i) convertIfChanged(i);
  }
  AppendOutputLines();
  DeleteSurplusOutputLines(int(count));
}

bool TMainForm::FollowLineBreaks(const TParagraphCopy::TSplice& edited, size_t oldCount) {
  // Decided from what the edit did, not from the key that made it: a key that made or removed
  // no line break moves no output line.
  if (edited.Added == edited.Removed) return true;
  const size_t below = edited.First + edited.Removed;
  if (below >= oldCount) return true;  // nothing below the edit to keep in step
  if (PreviousInputLines.size() != oldCount || size_t(FarsiRichEdit->LineCount()) != oldCount)
    return false;
  // The lines below the edit move with their copies and output lines, so they keep comparing
  // equal and are not converted again; the new lines get empty copies, which differ from every
  // line, so they are.
  if (edited.Added > edited.Removed) {
    const size_t added = edited.Added - edited.Removed;
    PreviousInputLines.Splice(below, 0, std::vector<std::u16string>(added));
    for (size_t n = 0; n < added; ++n) FarsiRichEdit->InsertLine(int(below), u"\r");
  } else {
    const size_t first = edited.First + edited.Added;
    const size_t removed = edited.Removed - edited.Added;
    PreviousInputLines.Splice(first, removed, {});
    for (size_t n = 0; n < removed; ++n) FarsiRichEdit->DeleteLine(int(first));
  }
  return true;
}

void TMainForm::ConvertInputLine(size_t line, const std::u16string& text) {
  CurrentLine = line;
  const int inStart = EnglishRichEdit->LineIndex(int(line));
  const std::u16string marked = MarkEnglishRuns(inStart, text);
  const std::u16string converted = ConvertText(marked);
  if (size_t(FarsiRichEdit->LineCount()) > line) {
    FarsiRichEdit->ReplaceLine(int(line), converted);
  } else {
    // Lines are converted in order: the ones past the output's end are appended together.
    NewOutputLines.push_back(marked == u"\r" ? u"\r" : converted);
  }
  if (SameAttributes) {
    AppendOutputLines();
    CopyLineAttributes(int(line));
  }
}

void TMainForm::AppendOutputLines() {
  FarsiRichEdit->AppendLines(NewOutputLines);
  NewOutputLines.clear();
}

std::u16string TMainForm::MarkEnglishRuns(int lineStart, const std::u16string& lineText) {
  if (lineText.empty()) return {};
  if (SameAttributes) {
    const TParaFormat paragraph = EnglishRichEdit->ParagraphAt(lineStart + 1);
    CapturedAttributes.Alignment = paragraph.Alignment;
    CapturedAttributes.FirstIndent = paragraph.FirstIndent;
    CapturedAttributes.LeftIndent = paragraph.LeftIndent;
    CapturedAttributes.RightIndent = paragraph.RightIndent;
    CapturedAttributes.Numbering = paragraph.Numbering;
    CapturedAttributes.Words.clear();
  }
  std::u16string result;
  bool insideRun = false;
  bool newWord = true;
  size_t j = 0;
  // Each character's format is the one the caret reports just after it.
  for (const TFormatRun& run : EnglishRichEdit->CaretFormats(lineStart, int(lineText.size()))) {
    const bool english = IsEnglishStyled(run.Format);
    for (int n = 0; n < run.Length && j < lineText.size(); ++n, ++j) {
      const char16_t c = lineText[j];
      if (SameAttributes) {
        if (newWord) {
          const TCharFormat& f = run.Format;
          CapturedAttributes.Words.push_back({f.Color, f.Name, f.Size, f.Style});
        }
        newWord = c == u' ';
      }
      // A run that reaches the line's end keeps only its opening marker.
      if (english != insideRun) {
        insideRun = english;
        result += u'\r';
      }
      result += c;
    }
  }
  return result;
}

void TMainForm::CopyLineAttributes(int line) {
  const int outStart = FarsiRichEdit->LineIndex(line);
  TFrozenDisplay frozen(*FarsiRichEdit);
  const LineAttributes& captured = CapturedAttributes;
  const TParaFormat paragraph{MirroredAlignment(captured.Alignment), captured.FirstIndent,
                              captured.LeftIndent, captured.RightIndent, captured.Numbering};
  FarsiRichEdit->SetParagraphAt(
      outStart, paragraph,
      TParaFormat::fAlignment | TParaFormat::fIndents | TParaFormat::fNumbering);
  const std::u16string text = FarsiRichEdit->Line(line);
  const size_t length = size_t(FarsiRichEdit->LineLength(line));
  const unsigned fields = TCharFormat::fColor | TCharFormat::fSize | TCharFormat::fStyle;
  // Each space-separated piece, with its following space, takes the next word's format; pieces
  // in a row with one format are set at once, as a line mostly is.
  TCharFormat runFormat;
  size_t runStart = 0;
  size_t pos = 0;
  for (const WordProp& word : captured.Words) {
    const size_t space = std::min(text.find(u' ', pos), length);
    const size_t end = space < length ? space + 1 : length;
    TCharFormat format;
    format.Color = word.Color;
    format.Size = word.Size;
    format.Style = WithoutEnglishMarking(word.Style);
    if (pos > runStart && !(format == runFormat)) {
      FarsiRichEdit->SetFormat(outStart + int(runStart), outStart + int(pos), runFormat, fields);
      runStart = pos;
    }
    runFormat = format;
    pos = end;
    // Entries beyond the output's pieces are dropped rather than laid over its first pieces.
    if (end == length) break;
  }
  if (!captured.Words.empty())
    FarsiRichEdit->SetFormat(outStart + int(runStart), outStart + int(pos), runFormat, fields);
}

void TMainForm::DeleteSurplusOutputLines(int inputLineCount) {
  // Counted on the output itself: after a reload the old output may be longer than the list.
  for (int line = FarsiRichEdit->LineCount() - 1; line >= inputLineCount; --line)
    FarsiRichEdit->DeleteLine(line);
}

void TMainForm::ScrollOutput() {
  // Setting the caret scrolls the pane whether it has the focus or not; passing the focus
  // through it would repaint both panes whole, frames and all, and the tool bar beside them.
  TFrozenDisplay frozen(*FarsiRichEdit);
  if (OneWindow->isChecked()) {
    FarsiRichEdit->SetCaret(std::max(FarsiRichEdit->TextLength() - 1, 0));
  } else if (FarsiRichEdit->LineCount() > 0) {
    const int start = FarsiRichEdit->LineIndex(int(CurrentLine));
    if (start >= 0) FarsiRichEdit->SetCaret(start + ScrollColumn());
  }
  (OneWindow->isChecked() ? FarsiRichEdit : EnglishRichEdit)->setFocus();
}

int TMainForm::ScrollColumn() const {
  const int length = FarsiRichEdit->LineLength(int(CurrentLine));
  if (CurrentLine >= PreviousInputLines.size()) return length;
  // Roughly where the change sits in the output line: its length less the unchanged tail of
  // the input line (which still holds the old text in the list).
  const size_t unchanged = CommonSuffixLength(InputParagraphs->Paragraphs()[CurrentLine],
                                              PreviousInputLines[CurrentLine]);
  const int distance = size_t(length) > unchanged ? length - int(unchanged) : 0;
  return distance >= 10 ? distance - 10 : 0;
}

void TMainForm::RememberLines() {
  // Lines not converted equal their copies already; those past the old end were all converted.
  const std::vector<std::u16string>& lines = InputParagraphs->Paragraphs();
  PreviousInputLines.Resize(InputParagraphs->LineCount());
  for (const size_t i : ConvertedLines) PreviousInputLines.Set(i, lines[i]);
  RememberedInputRevision = PreviousInputLines.Revision();
  RememberOutputLines();
}

void TMainForm::RememberOutputLines() {
  const size_t before = OutputParagraphs->Paragraphs().size();
  const bool emptyLastBefore = OutputParagraphs->LineCount() < before;
  TParagraphCopy::TSplice edited = OutputParagraphs->Refresh();
  const std::vector<std::u16string>& paragraphs = OutputParagraphs->Paragraphs();
  // The list holds the output's lines: an empty paragraph reads "", an empty last one is no
  // line. It follows the paragraphs' splice with that last one put back for the moment.
  const bool listAsLeft = PreviousOutputLines.Revision() == RememberedOutputRevision &&
                          PreviousOutputLines.size() + emptyLastBefore == before;
  if (!listAsLeft)
    edited = {0, PreviousOutputLines.size(), paragraphs.size()};
  else if (emptyLastBefore)
    PreviousOutputLines.Insert(PreviousOutputLines.size(), {});
  std::vector<std::u16string> fresh;
  fresh.reserve(edited.Added);
  for (size_t i = edited.First; i < edited.First + edited.Added; ++i)
    fresh.push_back(paragraphs[i] == u"\r" ? std::u16string() : paragraphs[i]);
  PreviousOutputLines.Splice(edited.First, edited.Removed, std::move(fresh));
  if (OutputParagraphs->LineCount() < paragraphs.size())
    PreviousOutputLines.Delete(PreviousOutputLines.size() - 1);
  RememberedOutputRevision = PreviousOutputLines.Revision();
}
