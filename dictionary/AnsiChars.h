#pragma once
// Character classes of 8-bit ANSI text, shared by the dictionary and the engine.

constexpr bool IsLowerLetter(unsigned char c) {
  return c >= 'a' && c <= 'z';
}
constexpr bool IsDigit(unsigned char c) {
  return c >= '0' && c <= '9';
}
// A-Z to a-z, nothing else.
constexpr unsigned char LowerAsciiLetter(unsigned char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}
// Case folding: a-z with A-Z and 0xE0-0xFF with 0xC0-0xDF, nothing else.
constexpr unsigned char FoldAnsiCase(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDF) ? static_cast<unsigned char>(c + 32)
                                                            : c;
}
