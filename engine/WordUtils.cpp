#include "WordUtils.h"

#include <algorithm>

namespace {

// Column of word n, walking the line with the given separator test.
template <typename Char, typename IsSeparator>
size_t WordStartIn(size_t n, std::basic_string_view<Char> line, IsSeparator isSeparator) {
  size_t words = 0;
  bool inWord = false;
  for (size_t i = 0; i < line.size(); ++i) {
    const bool separator = isSeparator(line[i]);
    if (!separator && !inWord && ++words == n) return i + 1;
    inWord = !separator;
  }
  // A line with exactly n - 1 words answers with its last column.
  return words + 1 == n ? line.size() : 0;
}

}  // namespace

bool IsWordSeparator(char16_t c) {
  switch (c) {
    case u' ':
    case u'!':
    case u'(':
    case u')':
    case u',':
    case u'.':
    case u';':
    case u'?':
    case u'\u060C':
    case u'\u061B':
    case u'\u061F':
    case u'\u06BB':
      return true;
    default:
      return false;
  }
}

bool IsAnsiWordSeparator(char c) {
  switch (c) {
    case ' ':
    case '!':
    case '(':
    case ')':
    case ',':
    case '.':
    case ';':
    case '?':
      return true;
    default:
      return false;
  }
}

size_t WordStart(size_t n, std::u16string_view line) {
  return WordStartIn(n, line, IsWordSeparator);
}

size_t AnsiWordStart(size_t n, std::string_view line) {
  return WordStartIn(n, line, IsAnsiWordSeparator);
}

size_t WordNumberAt(size_t c, std::u16string_view line) {
  size_t words = 0;
  bool inWord = false;
  for (size_t i = 0; i < line.size(); ++i) {
    const bool separator = IsWordSeparator(line[i]);
    if (!separator && !inWord) ++words;
    if (!separator && i + 1 >= c) return words;
    inWord = !separator;
  }
  return 0;
}

std::u16string WordText(size_t n, std::u16string_view line) {
  const size_t start = WordStart(n, line);
  if (start == 0) return {};
  size_t end = start - 1;
  while (end < line.size() && !IsWordSeparator(line[end])) ++end;
  return std::u16string(line.substr(start - 1, end - (start - 1)));
}

size_t CommonPrefixLength(std::u16string_view a, std::u16string_view b) {
  const size_t m = std::min(a.size(), b.size());
  size_t p = 0;
  while (p < m && a[p] == b[p]) ++p;
  return p;
}

size_t CommonSuffixLength(std::u16string_view a, std::u16string_view b) {
  if (a.empty() || b.empty()) return 0;
  const size_t p = CommonPrefixLength(a, b);
  const size_t m = std::min(a.size(), b.size());
  if (p == m) return 0;
  // Up to m - p + 1 pairs from the end, so the suffix may overlap the prefix by one character.
  size_t equal = 0;
  for (size_t i = 0; i <= m - p; ++i) {
    if (i >= a.size() || i >= b.size()) continue;  // a 1-based position of 0
    if (a[a.size() - 1 - i] != b[b.size() - 1 - i]) break;
    ++equal;
  }
  return equal;
}
