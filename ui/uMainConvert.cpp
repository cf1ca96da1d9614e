// The live conversion: each change of the input pane converts the changed lines into the same
// lines of the output pane, then scrolls the output to the change.
#include <QCheckBox>
#include <algorithm>
#include <exception>

#include "CodePage.h"
#include "MessageBoxes.h"
#include "WordUtils.h"
#include "trans.h"
#include "uMain.h"

namespace {

// One word's character format, taken from its first character.
struct WordProp {
  uint32_t Color;
  QString Name;  // captured, never applied
  int Size;
  uint8_t Style;
};

// The formats captured from the input line being converted.
struct LineAttributes {
  uint8_t Alignment = paLeft;
  double FirstIndent = 0;
  double LeftIndent = 0;
  double RightIndent = 0;
  uint8_t Numbering = nsNone;
  std::vector<WordProp> Words;
};

// The output line to scroll to: the last converted line, else the old output line count.
int CurrentLine = 0;
LineAttributes CapturedAttributes;

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
  try {
    TRaisedFlag converting(Converting);
    CurrentLine = FarsiRichEdit->LineCount();
    const int caret = EnglishRichEdit->CaretPos();
    if (PendingFormat & pfStyle) InvalidateSelectedLines();
    // The handler never changes the input text: one reading serves the whole change.
    std::vector<std::u16string> lines = EnglishRichEdit->Lines();
    {
      TFrozenDisplay frozen(*EnglishRichEdit);
      // The output is laid out once for all converted lines rather than once per edit.
      TBatchedUpdate batch(*FarsiRichEdit);
      ConvertChangedLines(lines);
    }
    ScrollOutput();
    EnglishRichEdit->SetCaret(caret);
    if (SendingActive) SendToOutPut();
    RememberLines(std::move(lines));
  } catch (const std::exception& error) {
    MessageBoxes::Show(this, MessageBoxes::Type::Error, QString::fromLocal8Bit(error.what()));
  }
}

void TMainForm::ReconvertAll() {
  PreviousInputLines.clear();
  EnglishRichEditChange();
}

void TMainForm::InvalidateSelectedLines() {
  const int start = EnglishRichEdit->SelStart();
  const int length = EnglishRichEdit->SelLength();
  if (PendingFormat == 0 || (length == 0 && !(PendingFormat & pfAlignment))) return;
  const int last =
      std::min(EnglishRichEdit->LineFromChar(start + length), int(PreviousInputLines.size()) - 1);
  for (int line = EnglishRichEdit->LineFromChar(start); line <= last; ++line)
    PreviousInputLines[size_t(line)].clear();
}

void TMainForm::ConvertChangedLines(const std::vector<std::u16string>& lines) {
  const int count = int(lines.size());
  if (count == 0) FarsiRichEdit->ClearAll();
  for (int i = 0; i < count; ++i) {
    if (size_t(i) < PreviousInputLines.size() && lines[size_t(i)] == PreviousInputLines[size_t(i)])
      continue;
    ConvertInputLine(i, lines[size_t(i)]);
  }
  DeleteSurplusOutputLines(count);
}

void TMainForm::ConvertInputLine(int line, const std::u16string& text) {
  CurrentLine = line;
  const int inStart = EnglishRichEdit->LineIndex(line);
  // The engine reads 8-bit text: what the code page lacks must reach it as "?".
  const std::string marked = CodePage::FromUnicode(MarkEnglishRuns(inStart, text));
  LastConvertedLine = ConvertText(CodePage::ToUnicode(marked));
  if (FarsiRichEdit->LineCount() > line)
    FarsiRichEdit->ReplaceLine(line, LastConvertedLine);
  else
    FarsiRichEdit->AppendLine(marked == "\r" ? u"\r" : LastConvertedLine);
  if (SameAttributes) CopyLineAttributes(line);
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
  size_t pos = 0;
  // Each space-separated piece, with its following space, takes the next word's format.
  for (const WordProp& word : captured.Words) {
    const size_t space = std::min(text.find(u' ', pos), length);
    const size_t end = space < length ? space + 1 : length;
    TCharFormat format;
    format.Color = word.Color;
    format.Size = word.Size;
    format.Style = WithoutEnglishMarking(word.Style);
    FarsiRichEdit->SetFormat(outStart + int(pos), outStart + int(end), format,
                             TCharFormat::fColor | TCharFormat::fSize | TCharFormat::fStyle);
    // Entries beyond the output's pieces are dropped rather than laid over its first pieces.
    if (end == length) break;
    pos = end;
  }
}

void TMainForm::DeleteSurplusOutputLines(int inputLineCount) {
  // Counted on the output itself: after a reload the old output may be longer than the list.
  for (int line = FarsiRichEdit->LineCount() - 1; line >= inputLineCount; --line)
    FarsiRichEdit->DeleteLine(line);
}

void TMainForm::ScrollOutput() {
  FarsiRichEdit->setFocus();
  TFrozenDisplay frozen(*FarsiRichEdit);
  if (OneWindow->isChecked()) {
    FarsiRichEdit->SetCaret(std::max(FarsiRichEdit->TextLength() - 1, 0));
  } else if (FarsiRichEdit->LineCount() > 0) {
    const int start = FarsiRichEdit->LineIndex(CurrentLine);
    if (start >= 0) FarsiRichEdit->SetCaret(start + ScrollColumn());
  }
  (OneWindow->isChecked() ? FarsiRichEdit : EnglishRichEdit)->setFocus();
}

int TMainForm::ScrollColumn() const {
  const int length = FarsiRichEdit->LineLength(CurrentLine);
  if (size_t(CurrentLine) >= PreviousInputLines.size()) return length;
  // Roughly where the change sits in the output line: its length less the unchanged tail of
  // the input line (which still holds the old text in the list).
  const size_t unchanged = CommonSuffixLength(EnglishRichEdit->Line(CurrentLine),
                                              PreviousInputLines[size_t(CurrentLine)]);
  const int distance = size_t(length) > unchanged ? length - int(unchanged) : 0;
  return distance >= 10 ? distance - 10 : 0;
}

void TMainForm::RememberLines(std::vector<std::u16string> inputLines) {
  PreviousInputLines.Assign(std::move(inputLines));
  std::vector<std::u16string> output = FarsiRichEdit->Lines();
  for (std::u16string& line : output)
    if (line == u"\r") line.clear();
  PreviousOutputLines.Assign(std::move(output));
}
