#include "RtfWriter.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>
#include <cmath>
#include <vector>

#include "CodePage.h"
#include "ExportFile.h"
#include "RtfFormat.h"

namespace {

// Entry 0 of the colour table is "auto": text without a colour of its own.
class TRtfTables {
 public:
  int Font(const QString& family) {
    const qsizetype i = fonts_.indexOf(family);
    if (i >= 0) return int(i);
    fonts_.append(family);
    return int(fonts_.size() - 1);
  }
  int Colour(const QColor& colour) {
    const auto it = std::find(colours_.begin(), colours_.end(), colour.rgb());
    if (it != colours_.end()) return int(it - colours_.begin()) + 1;
    colours_.push_back(colour.rgb());
    return int(colours_.size());
  }
  const QStringList& Fonts() const { return fonts_; }
  const std::vector<QRgb>& Colours() const { return colours_; }

 private:
  QStringList fonts_;
  std::vector<QRgb> colours_;
};

void AppendNumber(QByteArray& out, const char* word, long value) {
  out += '\\';
  out += word;
  out += QByteArray::number(qlonglong(value));
}

// Text of the body or of a table, escaped; beyond ASCII as \uN and its code page byte.
void AppendText(QByteArray& out, QStringView text) {
  for (const QChar qc : text) {
    const char16_t c = qc.unicode();
    switch (c) {
      case u'\\':
      case u'{':
      case u'}':
        out += '\\';
        out += char(c);
        continue;
      case u'\t':
        out += "\\tab ";
        continue;
      case QChar::LineSeparator:
        out += "\\line ";
        continue;
      case QChar::ObjectReplacementCharacter:
        continue;
      default:
        break;
    }
    if (c >= 0x20 && c < 0x80) {
      out += char(c);
      continue;
    }
    if (c < 0x20) continue;
    // \uN takes a signed 16-bit number.
    AppendNumber(out, "u", long(int16_t(c)));
    const unsigned char fallback = static_cast<unsigned char>(CodePage::FromUnicode(c));
    if (fallback < 0x80) {
      out += char(fallback);
    } else {
      static constexpr char kHex[] = "0123456789abcdef";
      out += "\\'";
      out += kHex[fallback >> 4];
      out += kHex[fallback & 0xF];
    }
  }
}

const char* UnderlineWord(QTextCharFormat::UnderlineStyle style) {
  switch (style) {
    case QTextCharFormat::DotLine:
      return "\\uld";
    case QTextCharFormat::DashUnderline:
      return "\\uldash";
    case QTextCharFormat::WaveUnderline:
    case QTextCharFormat::SpellCheckUnderline:
      return "\\ulwave";
    default:
      return "\\ul";
  }
}

// One run as a group of its own, so that its properties end with it. Word processors keep two
// sets of properties and draw Persian with the complex-script one (\af, \afs, \ab, \ai, given
// after \rtlch) and Latin with the other (after \ltrch): both are written.
void AppendRun(QByteArray& out, TRtfTables& tables, const QTextCharFormat& format,
               const QFont& defaultFont, QStringView text) {
  const QFont font = format.font().resolve(defaultFont);
  const QStringList families = format.fontFamilies().toStringList();
  const int face = tables.Font(families.isEmpty() ? defaultFont.family() : families.front());
  const long halfPoints = std::lround(font.pointSizeF() > 0 ? font.pointSizeF() * 2 : 24);
  out += "{\\rtlch\\fcs1";
  AppendNumber(out, "af", face);
  AppendNumber(out, "afs", halfPoints);
  if (font.bold()) out += "\\ab";
  if (font.italic()) out += "\\ai";
  out += "\\ltrch\\fcs0";
  AppendNumber(out, "f", face);
  AppendNumber(out, "fs", halfPoints);
  if (font.bold()) out += "\\b";
  if (font.italic()) out += "\\i";
  const QBrush foreground = format.foreground();
  if (format.hasProperty(QTextFormat::ForegroundBrush) && foreground.style() != Qt::NoBrush)
    AppendNumber(out, "cf", tables.Colour(foreground.color()));
  if (format.underlineStyle() != QTextCharFormat::NoUnderline || font.underline())
    out += UnderlineWord(format.underlineStyle());
  if (font.strikeOut()) out += "\\strike";
  out += ' ';
  AppendText(out, text);
  out += '}';
}

QByteArray Body(const QTextDocument& document, TRtfTables& tables) {
  QByteArray out;
  const QFont defaultFont = document.defaultFont();
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    const bool rtl = block.textDirection() == Qt::RightToLeft;
    out += "\\pard";
    out += rtl ? "\\rtlpar" : "\\ltrpar";
    // The bullet as old word processors number paragraphs, and as text for readers without.
    const QTextList* list = block.textList();
    if (list && list->format().style() == QTextListFormat::ListDisc)
      out += "{\\pntext\\u8226\\'95\\tab}{\\*\\pn\\pnlvlblt\\pnindent360{\\pntxtb\\u8226\\'95}}";
    // Last, so that the blank after it ends the word rather than starts the text.
    out += '\\';
    out += AlignmentWord(VisualAlignment(block)).data();
    out += ' ';
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      AppendRun(out, tables, fragment.charFormat(), defaultFont, fragment.text());
    }
    // An empty paragraph keeps its size: the paragraph mark carries the block's format.
    if (block.length() == 1) AppendRun(out, tables, block.charFormat(), defaultFont, {});
    if (block.next().isValid()) out += "\\par\r\n";
  }
  return out;
}

}  // namespace

QByteArray RtfBytes(const QTextDocument& document) {
  TRtfTables tables;
  tables.Font(document.defaultFont().family());
  const QByteArray body = Body(document, tables);
  QByteArray out = "{\\rtf1\\ansi";
  AppendNumber(out, "ansicpg", RtfCodePage);
  out += "\\deff0\\uc1\r\n{\\fonttbl";
  for (int i = 0; i < tables.Fonts().size(); ++i) {
    out += "{";
    AppendNumber(out, "f", i);
    out += "\\fnil\\fcharset178 ";
    AppendText(out, tables.Fonts()[i]);
    out += ";}";
  }
  out += "}\r\n{\\colortbl;";
  for (const QRgb colour : tables.Colours()) {
    AppendNumber(out, "red", qRed(colour));
    AppendNumber(out, "green", qGreen(colour));
    AppendNumber(out, "blue", qBlue(colour));
    out += ';';
  }
  out += "}\r\n{\\*\\generator Zefra;}\r\n";
  out += body;
  out += "}\r\n";
  return out;
}

QString SaveRtfFile(const QTextDocument& document, const QString& fileName) {
  return WriteWholeFile(fileName, RtfBytes(document));
}
