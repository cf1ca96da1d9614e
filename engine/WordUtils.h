#pragma once
// Finding words in the lines of the panes and comparing two versions of a line.
// Columns and word numbers are 1-based; 0 means none. Positions are size_t: no 16-bit wrap.
#include <cstddef>
#include <string>
#include <string_view>

// Space and ! ( ) , . ; ? and the Arabic comma, semicolon, question mark and RNOON.
bool IsWordSeparator(char16_t c);
// Space and ! ( ) , . ; ?
bool IsAnsiWordSeparator(char c);

// Column of the first character of word n; the line's length when it holds exactly n - 1 words.
size_t WordStart(size_t n, std::u16string_view line);
size_t AnsiWordStart(size_t n, std::string_view line);
// Number of the word at column c, or of the next word when c is on separators; 0 after the last.
size_t WordNumberAt(size_t c, std::u16string_view line);
// Text of word n (empty when there is none).
std::u16string WordText(size_t n, std::u16string_view line);
// Number of equal leading characters.
size_t CommonPrefixLength(std::u16string_view a, std::u16string_view b);
// Number of equal trailing characters, at most (shorter length - common prefix + 1): the suffix
// may overlap the common prefix by one character.
size_t CommonSuffixLength(std::u16string_view a, std::u16string_view b);
