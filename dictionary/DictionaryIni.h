#pragma once
// The in-memory image of the dictionary file: named sections of lines, read and written in the
// file's INI layout.
#include <initializer_list>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "AnsiChars.h"

// Equality of two strings under FoldAnsiCase.
bool SameTextAnsi(std::string_view a, std::string_view b);
// Ascending order under FoldAnsiCase, ties broken by byte order so that the order is total.
bool LessTextAnsi(std::string_view a, std::string_view b);

// Lines kept end to end in one buffer, so that a large file's image costs its bytes and one
// offset per line rather than a string object per line.
class TLines {
 public:
  TLines() = default;
  TLines(std::initializer_list<std::string_view> lines) {
    for (const std::string_view line : lines) push_back(line);
  }
  void push_back(std::string_view line) {
    bytes_.append(line);
    ends_.push_back(bytes_.size());
  }
  size_t size() const { return ends_.size(); }
  bool empty() const { return ends_.empty(); }
  std::string_view operator[](size_t i) const {
    const size_t start = i == 0 ? 0 : ends_[i - 1];
    return std::string_view(bytes_).substr(start, ends_[i] - start);
  }
  bool operator==(const TLines&) const = default;

  class Iterator {
   public:
    Iterator(const TLines& lines, size_t i) : lines_(&lines), i_(i) {}
    std::string_view operator*() const { return (*lines_)[i_]; }
    Iterator& operator++() {
      ++i_;
      return *this;
    }
    bool operator==(const Iterator&) const = default;

   private:
    const TLines* lines_;
    size_t i_;
  };
  Iterator begin() const { return {*this, 0}; }
  Iterator end() const { return {*this, size()}; }

 private:
  std::string bytes_;
  std::vector<size_t> ends_;
};

// Why a key could not be read back from its line "key=value": the line would end the key at an
// "=" inside it, or read as a comment (";") or a section header ("[") whatever the value.
enum class TKeyFault { None, HoldsEquals, ReadsAsMarkup };
TKeyFault KeyFault(std::string_view key);

class TDictionaryIni {
 public:
  struct TSection {
    std::string Name;
    TLines Lines;
    bool operator==(const TSection&) const = default;
  };

  // Replaces the content by the text parsed with the reading rules.
  void Parse(std::string_view text);
  // Replaces the content by the given lines, parsed as if they were the lines of a file.
  void Assign(const std::vector<std::string>& lines);
  // Adds one line, read as a line of a file would be.
  void Append(std::string_view line);
  void Clear();

  // Reads the file, skipping a UTF-8 byte-order mark; false (content emptied) when it is missing,
  // not a regular file or unreadable.
  bool LoadFromFile(const std::string& fileName);
  // Replaces the file (at the end of its chain of links) by the content in the writing layout, as
  // AtomicFile::Replace does; false, with the file untouched, on any failure.
  bool SaveToFile(const std::string& fileName) const;
  // The content in the writing layout: each section as its header, its lines and an empty line,
  // lines ending in CR LF.
  std::string Text() const;

  // The lines of the first section of that name (without regard to case), or nullptr.
  const TLines* SectionLines(std::string_view name) const;
  // Sets key=value in the section (appended when missing); a line already holding the key (without
  // regard to case) gets the new value in place, otherwise the line is appended.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);

  const std::vector<TSection>& Sections() const { return sections_; }
  // Lines of text that the reading rules passed over: comments, lines before the first header,
  // repeated headers and the lines under them.
  size_t SkippedLines() const { return skipped_; }
  // Whether the text last parsed held more than blanks and line breaks.
  bool HasText() const { return hasText_; }

 private:
  void AddLine(std::string_view raw);
  // The section of that name (without regard to case), or nullptr.
  const TSection* Find(std::string_view name) const;
  TSection& Add(std::string_view name);

  std::vector<TSection> sections_;
  // Positions in sections_ by folded name: a file of many sections loads in linear time.
  std::unordered_map<std::string, size_t> byName_;
  // The section that following lines belong to; -1 before the first header and under a repeated
  // header, whose lines are not read.
  long current_ = -1;
  size_t skipped_ = 0;
  bool hasText_ = false;
};
