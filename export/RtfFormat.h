#pragma once
// What Zefra's RTF writer and reader agree on: the code page, the alignment words, the charsets.
#include <QTextBlock>
#include <cstdint>
#include <string_view>

// The code page that \ansicpg names and that \'hh fallbacks use when a font names none.
inline constexpr int RtfCodePage = 1256;

enum class TRtfAlignment : uint8_t { Left, Right, Center, Justify };

// The alignment of block as seen on the screen, whatever its direction.
TRtfAlignment VisualAlignment(const QTextBlock& block);
// The paragraph control word for a seen alignment. Word processors take \ql and \qr as the
// sides seen on the screen in right-to-left paragraphs too.
std::string_view AlignmentWord(TRtfAlignment seen);
// The seen alignment that a paragraph control word ("ql", "qr", "qc", "qj") gives.
TRtfAlignment AlignmentOfWord(std::string_view word);
// The Qt alignment that shows a seen alignment.
Qt::Alignment QtAlignment(TRtfAlignment seen);

// The Windows code page of an RTF \fcharset value, or 0 when it names none.
int CodePageOfCharset(int charset);
// True when the character belongs to a right-to-left script.
bool IsRightToLeft(char16_t unit);
