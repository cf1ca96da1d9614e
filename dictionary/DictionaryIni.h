#pragma once
// The in-memory image of the dictionary file: named sections of lines, read and written in the
// file's INI layout.
#include <string>
#include <string_view>
#include <vector>

// Case folding for 8-bit ANSI text: a-z with A-Z and 0xE0-0xFF with 0xC0-0xDF, nothing else.
constexpr unsigned char FoldAnsiCase(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDF) ? static_cast<unsigned char>(c + 32)
                                                            : c;
}
// Equality of two strings under FoldAnsiCase.
bool SameTextAnsi(std::string_view a, std::string_view b);
// Ascending order under FoldAnsiCase, ties broken by byte order so that the order is total.
bool LessTextAnsi(std::string_view a, std::string_view b);

class TDictionaryIni {
 public:
  struct TSection {
    std::string Name;
    std::vector<std::string> Lines;
    bool operator==(const TSection&) const = default;
  };

  // Replaces the content by the text parsed with the reading rules.
  void Parse(std::string_view text);
  // Replaces the content by the given lines, parsed as if they were the lines of a file.
  void Assign(const std::vector<std::string>& lines);
  void Clear() {
    sections_.clear();
    current_ = -1;
  }

  // Reads the file; false (content emptied) when it is missing, not a regular file or unreadable.
  bool LoadFromFile(const std::string& fileName);
  // Replaces the file by the content in the writing layout, through a temporary file in the same
  // directory renamed over it; false, with the file untouched, on any failure.
  bool SaveToFile(const std::string& fileName) const;
  // The content in the writing layout: each section as its header, its lines and an empty line,
  // lines ending in CR LF.
  std::string Text() const;

  // The lines of the first section of that name (without regard to case), or nullptr.
  const std::vector<std::string>* SectionLines(std::string_view name) const;
  // Sets key=value in the section (appended when missing); a line already holding the key (without
  // regard to case) gets the new value in place, otherwise the line is appended.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);

  const std::vector<TSection>& Sections() const { return sections_; }

 private:
  void AddLine(std::string_view raw);

  std::vector<TSection> sections_;
  // The section that following lines belong to; -1 before the first header and under a repeated
  // header, whose lines are not read.
  long current_ = -1;
};
