#include "RichEditToHtml.h"

#include <QGuiApplication>
#include <QPalette>
#include <QTextDocument>

#include "CodePage.h"
#include "ExportFile.h"

namespace {

uint32_t ToColorRef(const QColor& color) {
  return uint32_t(color.red()) | uint32_t(color.green()) << 8 | uint32_t(color.blue()) << 16;
}

// The RGB value of a colour that may name a system colour.
uint32_t ResolvedColor(uint32_t color) {
  if (color == clWindowText) return ToColorRef(QGuiApplication::palette().color(QPalette::Text));
  if (color == clWindow) return ToColorRef(QGuiApplication::palette().color(QPalette::Base));
  return color & 0x00FFFFFF;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string NumericReference(uint32_t code) {
  return "&#" + std::to_string(code) + ";";
}

// What a character that would otherwise open a tag, an entity or end an attribute is written as;
// empty for every other character.
std::string_view MarkupEscape(char16_t unit) {
  switch (unit) {
    case u'&':
      return "&amp;";
    case u'<':
      return "&lt;";
    case u'>':
      return "&gt;";
    case u'"':
      return "&quot;";
    default:
      return {};
  }
}

bool IsHighSurrogate(char16_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLowSurrogate(char16_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

// The pane's own character format: what a character without a format of its own reports.
TCharFormat DefaultCharFormat(const RichEdit& edit) {
  const QFont font = edit.document()->defaultFont();
  TCharFormat format;
  format.Name = font.family();
  format.Size = qRound(font.pointSizeF());
  if (font.weight() > QFont::Medium) format.Style |= fsBold;
  if (font.italic()) format.Style |= fsItalic;
  if (font.underline()) format.Style |= fsUnderline;
  if (font.strikeOut()) format.Style |= fsStrikeOut;
  return format;
}

constexpr std::string_view kDocumentHead[] = {
    "<html dir=\"rtl\">",
    "<head>",
};

constexpr std::string_view kDocumentHeadTail[] = {
    "<meta name=\"Author\" content=\"Quorvel Software Company\">",
    "<meta http-equiv=\"Content-Language\" content=\"fa\">",
};

}  // namespace

void TRgbToHtml::SetRgbColor(uint32_t color) {
  rgb_ = ResolvedColor(color);
  static constexpr char kHex[] = "0123456789ABCDEF";
  html_.clear();
  for (int shift : {0, 8, 16}) {
    const unsigned byte = rgb_ >> shift & 0xFF;
    html_ += kHex[byte >> 4];
    html_ += kHex[byte & 0xF];
  }
}

void TRgbToHtml::SetHtmlColor(std::string_view html) {
  if (html.size() != 6) return;
  uint32_t rgb = 0;
  for (int i = 0; i < 3; ++i) {
    const int high = HexDigit(html[size_t(2 * i)]);
    const int low = HexDigit(html[size_t(2 * i + 1)]);
    if (high < 0 || low < 0) return;
    rgb |= uint32_t(high * 16 + low) << (8 * i);
  }
  SetRgbColor(rgb);
}

char HtmlSizeClass(int points) {
  struct Step {
    int UpTo;
    char Class;
  };
  static constexpr Step kSteps[] = {{8, '1'},  {10, '2'}, {12, '3'}, {14, '4'},
                                    {18, '5'}, {24, '6'}, {36, '7'}};
  for (const Step& step : kSteps)
    if (points <= step.UpTo) return step.Class;
  return '8';
}

std::string TRichEditToHtml::FontToHtml(const TCharFormat& font) {
  runClose_ = "</font>";
  colour_.SetRgbColor(font.Color);
  // The name as any text of the document: it may come with pasted text, and a quote in it would
  // end the attribute early.
  const std::u16string name = font.Name.toStdU16String();
  std::string face;
  for (size_t i = 0; i < name.size(); ++i) face += CharsToHtml(name, i);
  std::string tags = "<font Color=#" + colour_.HtmlColor() + " size=" + HtmlSizeClass(font.Size) +
                     " face=\"" + face + "\">";
  struct StyleTag {
    uint8_t Style;
    std::string_view Open, Close;
  };
  // Each tag closes before the ones opened ahead of it: bold underlined closes </u></b></font>.
  static constexpr StyleTag kStyles[] = {{fsBold, "<b>", "</b>"},
                                         {fsItalic, "<i>", "</i>"},
                                         {fsStrikeOut, "<strike>", "</strike>"},
                                         {fsUnderline, "<u>", "</u>"}};
  for (const StyleTag& style : kStyles) {
    if (!(font.Style & style.Style)) continue;
    tags += style.Open;
    runClose_.insert(0, style.Close);
  }
  return tags;
}

std::string TRichEditToHtml::ParagraphToHtml(uint8_t alignment, bool bulleted) {
  paragraphClose_ = "</p>";
  std::string tags;
  switch (alignment) {
    case paRight:
      tags = "<p align=\"right\">";
      break;
    case paCenter:
      tags = "<p align=\"center\">";
      break;
    default:
      tags = "<p align=\"left\">";
      break;
  }
  if (bulleted) {
    tags.insert(0, "<li>");
    paragraphClose_ += "</li>";
  }
  return tags;
}

bool TRichEditToHtml::FontsDiffer(const TCharFormat& a, const TCharFormat& b) {
  return a.Color != b.Color || a.Style != b.Style || a.Name != b.Name || a.Size != b.Size;
}

std::string TRichEditToHtml::WideCharToHtml(char16_t unit) {
  if (unit > 0xFF) return NumericReference(unit);
  if (const std::string_view escaped = MarkupEscape(unit); !escaped.empty())
    return std::string(escaped);
  for (const THtmlEntity& entity : HtmlEntityTable)
    if (entity.Code == unit) return std::string(entity.Text);
  // A raw byte above ASCII would be invalid in the UTF-8 document ("«" and "»" among them).
  if (unit >= 0x80) return NumericReference(unit);
  return std::string(1, char(unit));
}

std::string TRichEditToHtml::CharsToHtml(const std::u16string& text, size_t& i) const {
  const char16_t unit = text[i];
  // A pair is one character: one "?" in the code page, one reference (references to its halves
  // show nothing in a browser).
  if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
    const char32_t code = 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (text[i + 1] - 0xDC00);
    ++i;
    return StrTranslation == ansi ? std::string(1, CodePage::DefaultChar) : NumericReference(code);
  }
  if (StrTranslation == unicode) return WideCharToHtml(unit);
  if (const std::string_view escaped = MarkupEscape(unit); !escaped.empty())
    return std::string(escaped);
  return std::string(1, AnsiChar(unit));
}

void TRichEditToHtml::ConvertToHtmlLines(const RichEdit& edit, std::vector<std::string>& lines,
                                         int rangeEnd, int rangeStart) {
  const bool fragment = rangeEnd != -1;
  lines.clear();
  if (!fragment) {
    lines.assign(std::begin(kDocumentHead), std::end(kDocumentHead));
    lines.emplace_back(StrTranslation == ansi
                           ? "<meta http-equiv=\"Content-Type\" content=\"text/html; "
                             "charset=windows-1256\">"
                           : "<meta http-equiv=\"Content-Type\" content=\"text/html; "
                             "charset=utf-8\">");
    lines.push_back(
        "<meta name=\"GENERATOR\" content=\"Zefra ::: Advanced Romanesh to Farsi Translator ::: " +
        std::string(ZefraWebAddress) + "\">");
    lines.insert(lines.end(), std::begin(kDocumentHeadTail), std::end(kDocumentHeadTail));
    lines.push_back("<title>" + Title + "</title>");
    lines.emplace_back("</head>");
    lines.emplace_back("<body>");
  }
  lines.emplace_back("<div dir=rtl>");

  TCharFormat current = DefaultCharFormat(edit);
  lines.push_back(FontToHtml(current));
  const std::string outerClose = runClose_;
  runClose_.clear();
  uint8_t alignment = paLeft;
  bool bulleted = false;
  paragraphClose_.clear();

  const int count = edit.LineCount();
  for (int line = 0; line < count; ++line) {
    const int lineStart = edit.LineIndex(line);
    const int len = edit.LineLength(line);
    if (fragment && len + lineStart < rangeStart) continue;
    if (fragment && lineStart > rangeEnd) break;
    std::string entry;
    bulleted = false;
    bool cut = false;
    if (len > 0) {
      int first = 1;
      int last = len;
      if (fragment && lineStart + len > rangeEnd) {
        last = rangeEnd - lineStart;
        cut = true;
      }
      if (fragment && rangeStart > lineStart) first = rangeStart - lineStart + 1;
      if (first <= last) {
        // Cut at the range's end, so that a pair split by it is not read whole.
        const std::u16string text = edit.Line(line).substr(0, size_t(last));
        const TParaFormat paragraph = edit.ParagraphAt(lineStart);
        const bool lineBulleted = paragraph.Numbering == nsBullet;
        size_t i = size_t(first - 1);
        bool firstCharacter = true;
        for (const TFormatRun& run : edit.CaretFormats(lineStart + first - 1, last - first + 1)) {
          const size_t runEnd = std::min(i + size_t(run.Length), size_t(last));
          if (FontsDiffer(run.Format, current)) {
            entry += runClose_;
            current = run.Format;
            entry += FontToHtml(current);
          }
          // A paragraph's format is the same for all its characters: only its first can differ.
          if (firstCharacter && (paragraph.Alignment != alignment || lineBulleted != bulleted)) {
            entry += paragraphClose_;
            alignment = paragraph.Alignment;
            bulleted = lineBulleted;
            entry += ParagraphToHtml(alignment, bulleted);
          }
          firstCharacter = false;
          for (; i < runEnd; ++i) entry += CharsToHtml(text, i);
        }
      }
    }
    lines.push_back(std::move(entry));
    if (fragment && cut) break;
    lines.emplace_back("<br>");
  }

  lines.push_back(runClose_);
  lines.push_back(paragraphClose_);
  lines.push_back(outerClose);
  lines.emplace_back("</div>");
  if (!fragment) {
    lines.emplace_back("</body>");
    lines.emplace_back("</html>");
  }
}

QString TRichEditToHtml::ConvertToHtmlFile(const RichEdit& edit, const QString& fileName) {
  std::vector<std::string> lines;
  ConvertToHtmlLines(edit, lines, -1, 0);
  return SaveHtmlLines(lines, fileName);
}

std::string JoinHtmlLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

QString HtmlLinesToText(const std::vector<std::string>& lines) {
  return QString::fromStdU16String(CodePage::ToUnicode(JoinHtmlLines(lines)));
}

QString SaveHtmlLines(const std::vector<std::string>& lines, const QString& fileName) {
  const std::string text = JoinHtmlLines(lines);
  return WriteWholeFile(fileName, QByteArray(text.data(), qsizetype(text.size())));
}
