#include "RtfReader.h"

#include <QStringDecoder>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <algorithm>
#include <cctype>
#include <map>
#include <optional>
#include <string_view>
#include <vector>

#include "CodePage.h"
#include "ExportFile.h"
#include "RtfFormat.h"
#include "TextFile.h"

namespace {

// Starred: a {\* group waiting for its word; Numbering: the {\*\pn} group of a paragraph.
enum class TDestination : uint8_t { Text, FontTable, ColourTable, Starred, Numbering, Skip };

// Character properties. The associated ones (\af, \afs, \ab, \ai) are what word processors draw
// right-to-left scripts with; -1 means "not given".
struct TRtfChar {
  int Font = -1;
  int AssocFont = -1;
  int HalfPoints = 24;
  int AssocHalfPoints = -1;
  int Colour = 0;
  bool Bold = false;
  bool Italic = false;
  int8_t AssocBold = -1;
  int8_t AssocItalic = -1;
  QTextCharFormat::UnderlineStyle Underline = QTextCharFormat::NoUnderline;
  bool Strike = false;
  bool operator==(const TRtfChar&) const = default;
};

struct TRtfParagraph {
  std::string_view Alignment = "ql";
  bool Rtl = false;
  bool Bulleted = false;  // lists of every kind come in as bullets, the one kind panes show
};

struct TGroup {
  TRtfChar Char;
  TRtfParagraph Paragraph;
  TDestination Destination = TDestination::Text;
  int SkipAfterUnicode = 1;  // \uc
};

struct TRtfFont {
  QString Name;
  int CodePage = 0;  // 0: the document's
};

// Destinations whose text is not part of the document.
constexpr std::string_view kSkipped[] = {
    "annotation",
    "atnauthor",
    "atnid",
    "author",
    "buptim",
    "colorschememapping",
    "comment",
    "company",
    "creatim",
    "datastore",
    "doccomm",
    "fldinst",
    "footer",
    "footerf",
    "footerl",
    "footerr",
    "footnote",
    "ftncn",
    "ftnsep",
    "ftnsepc",
    "generator",
    "header",
    "headerf",
    "headerl",
    "headerr",
    "info",
    "keywords",
    "latentstyles",
    "listoverridetable",
    "listtable",
    "listtext",
    "mmathPr",
    "nonshppict",
    "objdata",
    "operator",
    "pgdsctbl",
    "pict",
    "pntext",
    "pntxta",
    "pntxtb",
    "printim",
    "private",
    "revtbl",
    "revtim",
    "rsidtbl",
    "shp",
    "shpinst",
    "stylesheet",
    "subject",
    "tc",
    "themedata",
    "title",
    "txe",
    "xe",
    "xmlnstbl",
};

struct TSpecialChar {
  std::string_view Word;
  char16_t Char;
};
constexpr TSpecialChar kSpecialChars[] = {
    {"bullet", 0x2022},  {"emdash", 0x2014},    {"emspace", 0x2003},   {"endash", 0x2013},
    {"enspace", 0x2002}, {"ldblquote", 0x201C}, {"line", 0x2028},      {"lquote", 0x2018},
    {"ltrmark", 0x200E}, {"qmspace", 0x2005},   {"rdblquote", 0x201D}, {"rquote", 0x2019},
    {"rtlmark", 0x200F}, {"tab", u'\t'},        {"cell", u'\t'},       {"nestcell", u'\t'},
    {"zwj", 0x200D},     {"zwnj", 0x200C},
};

constexpr std::string_view kAlignmentWords[] = {"ql", "qr", "qc", "qj"};

// Deeper groups than this share the state of the deepest one: damaged input must not grow
// memory without bound.
constexpr size_t kMaxDepth = 256;

// The cursor's paragraph made a bullet, in the list of the paragraph before when that is one.
void Bullet(QTextCursor& cursor) {
  const QTextBlock previous = cursor.block().previous();
  QTextList* list = previous.isValid() ? previous.textList() : nullptr;
  if (list && list->format().style() == QTextListFormat::ListDisc) {
    list->add(cursor.block());
    return;
  }
  QTextListFormat bullets;
  bullets.setStyle(QTextListFormat::ListDisc);
  bullets.setIndent(1);
  cursor.createList(bullets);
}

QString Decode(const QByteArray& bytes, int codePage) {
  if (codePage == 1256)
    return QString::fromStdU16String(
        CodePage::ToUnicode(std::string_view(bytes.constData(), size_t(bytes.size()))));
  if (codePage == 65001) return QString::fromUtf8(bytes);
  const QByteArray name =
      (codePage >= 1250 && codePage <= 1258 ? "windows-" : "cp") + QByteArray::number(codePage);
  QStringDecoder decoder(name.constData());
  if (!decoder.isValid()) return QString::fromLatin1(bytes);
  return decoder.decode(bytes);
}

class TRtfParser {
 public:
  TRtfParser(const QByteArray& bytes, QTextDocument& document)
      : p_(bytes.constData()), end_(p_ + bytes.size()), cursor_(&document) {}

  void Run();

 private:
  TGroup& Top() { return groups_.back(); }
  TRtfParagraph& NumberedParagraph();
  void OpenGroup();
  bool CloseGroup();
  void ControlWord();
  void ControlSymbol();
  void Word(std::string_view word, std::optional<int> number);
  bool CharacterWord(std::string_view word, std::optional<int> number);
  bool ParagraphWord(std::string_view word);
  void Byte(unsigned char byte);
  void Char(char16_t c);
  void FontTableText(unsigned char byte);
  void FinishFontName();
  void FlushBytes();
  void FlushRun();
  void EndParagraph(bool more);
  int CurrentCodePage() const;
  QTextCharFormat QtFormat(const TRtfChar& c, bool rightToLeftText) const;

  const char* p_;
  const char* end_;
  QTextCursor cursor_;
  std::vector<TGroup> groups_{TGroup{}};
  size_t overflow_ = 0;
  int skipCount_ = 0;  // fallback characters of a \u still to skip
  bool started_ = false;
  bool finished_ = false;

  int documentCodePage_ = 1252;
  int defaultFont_ = 0;
  std::map<int, TRtfFont> fonts_;
  int fontNumber_ = 0;
  int fontCodePage_ = 0;
  QByteArray fontName_;
  std::vector<std::optional<QRgb>> colours_;
  int red_ = -1, green_ = -1, blue_ = -1;

  QByteArray pendingBytes_;
  int pendingCodePage_ = 0;
  QString runText_;
  TRtfChar runChar_;
};

void TRtfParser::Run() {
  cursor_.beginEditBlock();
  while (p_ < end_ && !finished_) {
    const unsigned char c = static_cast<unsigned char>(*p_++);
    if (c == '{') {
      skipCount_ = 0;
      OpenGroup();
    } else if (c == '}') {
      skipCount_ = 0;
      finished_ = !CloseGroup();
    } else if (c == '\\') {
      if (p_ < end_ && std::isalpha(static_cast<unsigned char>(*p_)))
        ControlWord();
      else
        ControlSymbol();
    } else if (c == '\r' || c == '\n') {
      continue;
    } else if (skipCount_ > 0) {
      --skipCount_;
    } else {
      Byte(c);
    }
  }
  EndParagraph(false);
  cursor_.endEditBlock();
}

void TRtfParser::OpenGroup() {
  if (!started_) {
    started_ = true;
    return;
  }
  if (groups_.size() >= kMaxDepth) {
    ++overflow_;
    return;
  }
  groups_.push_back(Top());
}

// False when the outermost group closes: the document ends there.
bool TRtfParser::CloseGroup() {
  if (overflow_ > 0) {
    --overflow_;
    return true;
  }
  if (groups_.size() == 1) return false;
  if (Top().Destination == TDestination::FontTable) FinishFontName();
  groups_.pop_back();
  return true;
}

// The paragraph that a numbering group describes: that of the nearest group around it.
TRtfParagraph& TRtfParser::NumberedParagraph() {
  for (auto it = groups_.rbegin(); it != groups_.rend(); ++it)
    if (it->Destination != TDestination::Numbering) return it->Paragraph;
  return groups_.front().Paragraph;
}

void TRtfParser::ControlWord() {
  const char* start = p_;
  while (p_ < end_ && std::isalpha(static_cast<unsigned char>(*p_))) ++p_;
  const std::string_view word(start, size_t(std::min<ptrdiff_t>(p_ - start, 32)));
  std::optional<int> number;
  bool negative = false;
  if (p_ < end_ && *p_ == '-' && p_ + 1 < end_ && std::isdigit(static_cast<unsigned char>(p_[1]))) {
    negative = true;
    ++p_;
  }
  if (p_ < end_ && std::isdigit(static_cast<unsigned char>(*p_))) {
    int64_t value = 0;
    while (p_ < end_ && std::isdigit(static_cast<unsigned char>(*p_))) {
      value = std::min<int64_t>(value * 10 + (*p_ - '0'), INT32_MAX);
      ++p_;
    }
    number = int(negative ? -value : value);
  }
  if (p_ < end_ && *p_ == ' ') ++p_;
  if (skipCount_ > 0) {
    --skipCount_;
    return;
  }
  Word(word, number);
}

void TRtfParser::ControlSymbol() {
  if (p_ >= end_) return;
  const char symbol = *p_++;
  if (symbol == '\'') {
    int value = 0;
    for (int i = 0; i < 2; ++i) {
      const char h = p_ < end_ ? *p_ : 0;
      const int digit = std::isdigit(static_cast<unsigned char>(h)) ? h - '0'
                        : (h >= 'a' && h <= 'f')                    ? h - 'a' + 10
                        : (h >= 'A' && h <= 'F')                    ? h - 'A' + 10
                                                                    : -1;
      if (digit < 0) break;
      value = value * 16 + digit;
      ++p_;
    }
    if (skipCount_ > 0)
      --skipCount_;
    else
      Byte(static_cast<unsigned char>(value));
    return;
  }
  if (skipCount_ > 0) {
    --skipCount_;
    return;
  }
  switch (symbol) {
    case '\\':
    case '{':
    case '}':
      Byte(static_cast<unsigned char>(symbol));
      break;
    case '~':
      Char(0x00A0);
      break;
    case '_':
      Char(0x2011);
      break;
    case '*':
      if (Top().Destination != TDestination::Skip) Top().Destination = TDestination::Starred;
      break;
    case '\r':
    case '\n':
      Word("par", std::nullopt);
      break;
    default:
      break;
  }
}

void TRtfParser::Word(std::string_view word, std::optional<int> number) {
  TGroup& group = Top();
  if (group.Destination == TDestination::Skip) return;
  if (group.Destination == TDestination::Starred) {
    group.Destination = word == "pn" ? TDestination::Numbering : TDestination::Skip;
    return;
  }
  if (word == "pn") {
    group.Destination = TDestination::Numbering;
    return;
  }
  if (group.Destination == TDestination::Numbering) {
    if (word == "pnlvlblt") NumberedParagraph().Bulleted = true;
    return;
  }
  if (std::find(std::begin(kSkipped), std::end(kSkipped), word) != std::end(kSkipped)) {
    group.Destination = TDestination::Skip;
    return;
  }
  if (word == "fonttbl") {
    group.Destination = TDestination::FontTable;
    return;
  }
  if (word == "colortbl") {
    group.Destination = TDestination::ColourTable;
    return;
  }
  if (group.Destination == TDestination::FontTable) {
    if (word == "f") {
      FinishFontName();
      fontNumber_ = number.value_or(0);
      fontCodePage_ = 0;
    } else if (word == "fcharset") {
      fontCodePage_ = CodePageOfCharset(number.value_or(0));
    } else if (word == "cpg") {
      fontCodePage_ = number.value_or(0);
    }
    return;
  }
  if (group.Destination == TDestination::ColourTable) {
    const int value = std::clamp(number.value_or(0), 0, 255);
    if (word == "red") red_ = value;
    if (word == "green") green_ = value;
    if (word == "blue") blue_ = value;
    return;
  }
  if (word == "u") {
    Char(char16_t(number.value_or(0) & 0xFFFF));
    skipCount_ = group.SkipAfterUnicode;
    return;
  }
  if (word == "uc") {
    group.SkipAfterUnicode = std::clamp(number.value_or(1), 0, 16);
    return;
  }
  if (word == "ansicpg") {
    documentCodePage_ = number.value_or(documentCodePage_);
    return;
  }
  if (word == "deff") {
    defaultFont_ = number.value_or(0);
    return;
  }
  if (word == "par" || word == "sect" || word == "page" || word == "row" || word == "nestrow") {
    EndParagraph(true);
    return;
  }
  for (const TSpecialChar& special : kSpecialChars) {
    if (special.Word == word) {
      Char(special.Char);
      return;
    }
  }
  if (CharacterWord(word, number)) return;
  ParagraphWord(word);
}

bool TRtfParser::CharacterWord(std::string_view word, std::optional<int> number) {
  TRtfChar& c = Top().Char;
  const bool on = number.value_or(1) != 0;
  if (word == "plain") {
    c = TRtfChar{};
  } else if (word == "f") {
    c.Font = number.value_or(0);
  } else if (word == "af") {
    c.AssocFont = number.value_or(0);
  } else if (word == "fs") {
    c.HalfPoints = std::clamp(number.value_or(24), 2, 3276);
  } else if (word == "afs") {
    c.AssocHalfPoints = std::clamp(number.value_or(24), 2, 3276);
  } else if (word == "cf") {
    c.Colour = number.value_or(0);
  } else if (word == "b") {
    c.Bold = on;
  } else if (word == "ab") {
    c.AssocBold = on;
  } else if (word == "i") {
    c.Italic = on;
  } else if (word == "ai") {
    c.AssocItalic = on;
  } else if (word == "strike" || word == "striked") {
    c.Strike = on;
  } else if (word == "ulnone" || (word == "ul" && !on)) {
    c.Underline = QTextCharFormat::NoUnderline;
  } else if (word == "uld" || word == "uldb" || word == "ulth" || word == "ulhair") {
    c.Underline = word == "uld" ? QTextCharFormat::DotLine : QTextCharFormat::SingleUnderline;
  } else if (word == "ulwave" || word == "ulhwave" || word == "ululdbwave") {
    c.Underline = QTextCharFormat::WaveUnderline;
  } else if (word.starts_with("uldash")) {
    c.Underline = QTextCharFormat::DashUnderline;
  } else if (word == "ul" || word == "ulw" || word == "ulthd") {
    c.Underline = QTextCharFormat::SingleUnderline;
  } else {
    return false;
  }
  return true;
}

bool TRtfParser::ParagraphWord(std::string_view word) {
  TRtfParagraph& paragraph = Top().Paragraph;
  if (word == "pard") {
    paragraph = TRtfParagraph{};
  } else if (word == "ls") {
    paragraph.Bulleted = true;
  } else if (word == "rtlpar") {
    paragraph.Rtl = true;
  } else if (word == "ltrpar") {
    paragraph.Rtl = false;
  } else if (word == "qd") {
    paragraph.Alignment = "qj";
  } else if (const auto it =
                 std::find(std::begin(kAlignmentWords), std::end(kAlignmentWords), word);
             it != std::end(kAlignmentWords)) {
    paragraph.Alignment = *it;
  } else {
    return false;
  }
  return true;
}

void TRtfParser::Byte(unsigned char byte) {
  switch (Top().Destination) {
    case TDestination::Skip:
    case TDestination::Starred:
    case TDestination::Numbering:
      return;
    case TDestination::FontTable:
      FontTableText(byte);
      return;
    case TDestination::ColourTable:
      if (byte == ';') {
        colours_.push_back(red_ < 0 && green_ < 0 && blue_ < 0
                               ? std::nullopt
                               : std::optional<QRgb>(qRgb(std::max(red_, 0), std::max(green_, 0),
                                                          std::max(blue_, 0))));
        red_ = green_ = blue_ = -1;
      }
      return;
    case TDestination::Text:
      break;
  }
  if (byte < 0x20 && byte != '\t') return;
  if (byte < 0x80) {
    Char(byte);
    return;
  }
  const int codePage = CurrentCodePage();
  if (!(Top().Char == runChar_)) FlushRun();
  if (!pendingBytes_.isEmpty() && codePage != pendingCodePage_) FlushBytes();
  pendingBytes_ += char(byte);
  pendingCodePage_ = codePage;
}

void TRtfParser::Char(char16_t c) {
  if (Top().Destination != TDestination::Text) return;
  FlushBytes();
  if (!(Top().Char == runChar_)) FlushRun();
  runText_ += QChar(c);
}

void TRtfParser::FontTableText(unsigned char byte) {
  if (byte == ';')
    FinishFontName();
  else if (fontName_.size() < 256)
    fontName_ += char(byte);
}

void TRtfParser::FinishFontName() {
  const QString name = Decode(fontName_, fontCodePage_ ? fontCodePage_ : documentCodePage_);
  if (!name.trimmed().isEmpty()) fonts_[fontNumber_] = {name.trimmed(), fontCodePage_};
  fontName_.clear();
}

int TRtfParser::CurrentCodePage() const {
  const int font = groups_.back().Char.Font < 0 ? defaultFont_ : groups_.back().Char.Font;
  const auto it = fonts_.find(font);
  return it != fonts_.end() && it->second.CodePage ? it->second.CodePage : documentCodePage_;
}

void TRtfParser::FlushBytes() {
  if (pendingBytes_.isEmpty()) return;
  runText_ += Decode(pendingBytes_, pendingCodePage_);
  pendingBytes_.clear();
}

QTextCharFormat TRtfParser::QtFormat(const TRtfChar& c, bool rightToLeftText) const {
  QTextCharFormat format;
  const bool assoc = rightToLeftText;
  int font = assoc && c.AssocFont >= 0 ? c.AssocFont : c.Font;
  if (font < 0) font = defaultFont_;
  if (const auto it = fonts_.find(font); it != fonts_.end())
    format.setFontFamilies(QStringList{it->second.Name});
  const int halfPoints = assoc && c.AssocHalfPoints > 0 ? c.AssocHalfPoints : c.HalfPoints;
  format.setFontPointSize(halfPoints / 2.0);
  const bool bold = assoc && c.AssocBold >= 0 ? c.AssocBold : c.Bold;
  const bool italic = assoc && c.AssocItalic >= 0 ? c.AssocItalic : c.Italic;
  format.setFontWeight(bold ? QFont::Bold : QFont::Normal);
  format.setFontItalic(italic);
  format.setUnderlineStyle(c.Underline);
  format.setFontStrikeOut(c.Strike);
  if (c.Colour > 0 && size_t(c.Colour) < colours_.size() && colours_[size_t(c.Colour)])
    format.setForeground(QColor(*colours_[size_t(c.Colour)]));
  else if (c.Colour == 0 && !colours_.empty() && colours_[0])
    format.setForeground(QColor(*colours_[0]));
  return format;
}

void TRtfParser::FlushRun() {
  FlushBytes();
  if (!runText_.isEmpty()) {
    const bool rtl = std::any_of(runText_.begin(), runText_.end(),
                                 [](QChar c) { return IsRightToLeft(c.unicode()); });
    cursor_.insertText(runText_, QtFormat(runChar_, rtl));
    runText_.clear();
  }
  runChar_ = Top().Char;
}

void TRtfParser::EndParagraph(bool more) {
  FlushRun();
  const TRtfParagraph& paragraph = Top().Paragraph;
  QTextBlockFormat format;
  format.setLayoutDirection(paragraph.Rtl ? Qt::RightToLeft : Qt::LeftToRight);
  format.setAlignment(QtAlignment(AlignmentOfWord(paragraph.Alignment)));
  cursor_.setBlockFormat(format);
  if (paragraph.Bulleted) Bullet(cursor_);
  if (more) cursor_.insertBlock(format, QtFormat(Top().Char, false));
}

}  // namespace

bool LooksLikeRtf(const QByteArray& bytes) {
  return bytes.startsWith("{\\rtf");
}

bool ReadRtf(const QByteArray& bytes, QTextDocument& document) {
  if (!LooksLikeRtf(bytes)) return false;
  document.clear();
  TRtfParser(bytes, document).Run();
  return true;
}

QString LoadRtfFile(QTextDocument& document, const QString& fileName) {
  QByteArray bytes;
  if (QString error = ReadWholeFile(fileName, bytes); !error.isEmpty()) return error;
  if (!ReadRtf(bytes, document)) ReadTextFile(bytes, document);
  return {};
}
