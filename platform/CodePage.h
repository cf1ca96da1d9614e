#pragma once
// The system ANSI code page of the design: Windows-1256, a fixed table both ways.
#include <string>
#include <string_view>

namespace CodePage {

// The byte written for a character the code page lacks.
inline constexpr char DefaultChar = '?';

// UTF-16 code unit of a Windows-1256 byte (every byte has one).
char16_t ToUnicode(unsigned char byte);
// Windows-1256 byte of a UTF-16 code unit, or DefaultChar when the code page has none.
char FromUnicode(char16_t unit);

std::u16string ToUnicode(std::string_view ansi);
// A surrogate pair (one character outside the BMP) gives one DefaultChar.
std::string FromUnicode(std::u16string_view text);

}  // namespace CodePage
