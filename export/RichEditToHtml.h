#pragma once
// The formatted text of a rich-text pane as HTML lines: a whole right-to-left document or a
// fragment, with font, style and paragraph tags wherever they change. Characters go out either
// as code page 1256 bytes or as ASCII with character references; in both, "&", "<", ">" and '"'
// are escaped, so that text typed as English never becomes markup.
#include <QString>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "RichEdit.h"

// Where the product lives on the web; the HTML generator line names it.
inline constexpr std::string_view ZefraWebAddress = "https://zefra.example.org";

// How characters are written.
enum TStrTransKind : uint8_t {
  unicode = 0,  // ASCII, entities and numeric references
  ansi = 1,     // the code page 1256 bytes, markup characters escaped
};

struct THtmlEntity {
  unsigned char Code;
  std::string_view Text;
};

// Searched in order, the first match wins: the named entries shadow the numeric ones after them.
// The characters a reader would take for markup are escaped before this table is searched.
inline constexpr std::array<THtmlEntity, 74> HtmlEntityTable = {{
    {0xE0, "&agrave;"},
    {0xE7, "&ccedil;"},
    {0xE9, "&eacute;"},
    {0xE8, "&egrave;"},
    {0xEA, "&ecirc;"},
    {0xF9, "&ugrave;"},
    {0xEB, "&euml;"},
    // A3 A7 B0 B2 B3 B5 B7 BC BD BF
    {0xA3, "&#163;"},
    {0xA7, "&#167;"},
    {0xB0, "&#176;"},
    {0xB2, "&#178;"},
    {0xB3, "&#179;"},
    {0xB5, "&#181;"},
    {0xB7, "&#183;"},
    {0xBC, "&#188;"},
    {0xBD, "&#189;"},
    {0xBF, "&#191;"},
    // C0 to CF
    {0xC0, "&#192;"},
    {0xC1, "&#193;"},
    {0xC2, "&#194;"},
    {0xC3, "&#195;"},
    {0xC4, "&#196;"},
    {0xC5, "&#197;"},
    {0xC6, "&#198;"},
    {0xC7, "&#199;"},
    {0xC8, "&#200;"},
    {0xC9, "&#201;"},
    {0xCA, "&#202;"},
    {0xCB, "&#203;"},
    {0xCC, "&#204;"},
    {0xCD, "&#205;"},
    {0xCE, "&#206;"},
    {0xCF, "&#207;"},
    // D1 to D6, D9 to DD, DF
    {0xD1, "&#209;"},
    {0xD2, "&#210;"},
    {0xD3, "&#211;"},
    {0xD4, "&#212;"},
    {0xD5, "&#213;"},
    {0xD6, "&#214;"},
    {0xD9, "&#217;"},
    {0xDA, "&#218;"},
    {0xDB, "&#219;"},
    {0xDC, "&#220;"},
    {0xDD, "&#221;"},
    {0xDF, "&#223;"},
    // E0 to EF
    {0xE0, "&#224;"},
    {0xE1, "&#225;"},
    {0xE2, "&#226;"},
    {0xE3, "&#227;"},
    {0xE4, "&#228;"},
    {0xE5, "&#229;"},
    {0xE6, "&#230;"},
    {0xE7, "&#231;"},
    {0xE8, "&#232;"},
    {0xE9, "&#233;"},
    {0xEA, "&#234;"},
    {0xEB, "&#235;"},
    {0xEC, "&#236;"},
    {0xED, "&#237;"},
    {0xEE, "&#238;"},
    {0xEF, "&#239;"},
    // F1 to F7, F9 to FD, FF
    {0xF1, "&#241;"},
    {0xF2, "&#242;"},
    {0xF3, "&#243;"},
    {0xF4, "&#244;"},
    {0xF5, "&#245;"},
    {0xF6, "&#246;"},
    {0xF7, "&#247;"},
    {0xF9, "&#249;"},
    {0xFA, "&#250;"},
    {0xFB, "&#251;"},
    {0xFC, "&#252;"},
    {0xFD, "&#253;"},
    {0xFF, "&#255;"},
}};

// A colour as the six hexadecimal digits of HTML.
class TRgbToHtml {
 public:
  uint32_t RgbColor() const { return rgb_; }
  // Sets the colour (0x00BBGGRR or a system colour, resolved to its RGB value).
  void SetRgbColor(uint32_t color);
  // RRGGBB in upper case.
  const std::string& HtmlColor() const { return html_; }
  // Takes six hexadecimal digits RRGGBB; anything else is ignored.
  void SetHtmlColor(std::string_view html);

 private:
  uint32_t rgb_ = 0;
  std::string html_ = "000000";
};

class TRichEditToHtml {
 public:
  std::string Title;  // the document's <title>
  TStrTransKind StrTranslation = unicode;

  // Replaces lines with the HTML of edit: rangeEnd -1 gives the whole document (rangeStart is
  // ignored), otherwise the fragment of the characters rangeStart (inclusive) to rangeEnd.
  void ConvertToHtmlLines(const RichEdit& edit, std::vector<std::string>& lines, int rangeEnd,
                          int rangeStart);
  // The document form of edit written to fileName, CR LF after every line; "" or the message.
  QString ConvertToHtmlFile(const RichEdit& edit, const QString& fileName);

  // Opening tags of a character run; remembers its closing tags.
  std::string FontToHtml(const TCharFormat& font);
  // Opening tags of a paragraph; remembers its closing tags.
  std::string ParagraphToHtml(uint8_t alignment, bool bulleted);
  // True when colour, style, face or (same face) size differ; nothing else counts.
  static bool FontsDiffer(const TCharFormat& a, const TCharFormat& b);
  // What one UTF-16 code unit is written as in unicode mode.
  static std::string WideCharToHtml(char16_t unit);

 private:
  std::string CharsToHtml(const std::u16string& text, size_t& i) const;

  TRgbToHtml colour_;
  std::string runClose_;
  std::string paragraphClose_;
};

// The HTML size class ("1" to "8") of a point size.
char HtmlSizeClass(int points);
// The lines, CR LF after each.
std::string JoinHtmlLines(const std::vector<std::string>& lines);
// The lines as text (bytes read through code page 1256), CR LF after each: the HTML source that
// the clipboard copies hand over as plain text.
QString HtmlLinesToText(const std::vector<std::string>& lines);
// The lines written to fileName as 8-bit text, CR LF after each; "" or the message.
QString SaveHtmlLines(const std::vector<std::string>& lines, const QString& fileName);
