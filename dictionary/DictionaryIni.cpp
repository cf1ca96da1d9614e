#include "DictionaryIni.h"

#include <algorithm>

#include "AtomicFile.h"

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Blanks and control characters, trimmed from both ends of every line.
bool IsTrimmed(unsigned char c) {
  return c <= ' ' || c == 0x7F;
}
// Blanks, removed on both sides of a line's first "=".
bool IsBlank(unsigned char c) {
  return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && IsTrimmed(s[b])) ++b;
  while (e > b && IsTrimmed(s[e - 1])) --e;
  return s.substr(b, e - b);
}

// Calls f for every line of text; lines end at CR, LF or CR LF, and a last line needs no end.
template <typename F>
void ForEachLine(std::string_view text, F&& f) {
  size_t start = 0;
  const size_t n = text.size();
  while (start < n) {
    size_t end = start;
    while (end < n && text[end] != '\r' && text[end] != '\n') ++end;
    f(text.substr(start, end - start));
    if (end < n && text[end] == '\r' && end + 1 < n && text[end + 1] == '\n') ++end;
    start = end + 1;
  }
}

}  // namespace

TKeyFault KeyFault(std::string_view key) {
  if (key.find('=') != std::string_view::npos) return TKeyFault::HoldsEquals;
  const std::string_view line = Trim(key);
  if (!line.empty() && (line.front() == ';' || line.front() == '['))
    return TKeyFault::ReadsAsMarkup;
  return TKeyFault::None;
}

bool SameTextAnsi(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (FoldAnsiCase(a[i]) != FoldAnsiCase(b[i])) return false;
  return true;
}

bool LessTextAnsi(std::string_view a, std::string_view b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    unsigned char fa = FoldAnsiCase(a[i]), fb = FoldAnsiCase(b[i]);
    if (fa != fb) return fa < fb;
  }
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;
}

namespace {

std::string Folded(std::string_view name) {
  std::string folded(name);
  for (char& c : folded) c = static_cast<char>(FoldAnsiCase(c));
  return folded;
}

}  // namespace

void TDictionaryIni::Clear() {
  sections_.clear();
  byName_.clear();
  current_ = -1;
  skipped_ = 0;
  hasText_ = false;
}

const TDictionaryIni::TSection* TDictionaryIni::Find(std::string_view name) const {
  const auto it = byName_.find(Folded(name));
  return it == byName_.end() ? nullptr : &sections_[it->second];
}

TDictionaryIni::TSection& TDictionaryIni::Add(std::string_view name) {
  byName_.emplace(Folded(name), sections_.size());
  return sections_.emplace_back(TSection{std::string(name), {}});
}

void TDictionaryIni::Parse(std::string_view text) {
  Clear();
  hasText_ = text.find_first_not_of(" \t\r\n") != std::string_view::npos;
  ForEachLine(text, [this](std::string_view line) { AddLine(line); });
}

void TDictionaryIni::Assign(const std::vector<std::string>& lines) {
  Clear();
  for (const std::string& line : lines) Append(line);
}

void TDictionaryIni::Append(std::string_view line) {
  // A line holding a line break counts as several lines, as it would once written and read back.
  ForEachLine(line, [this](std::string_view l) { AddLine(l); });
}

void TDictionaryIni::AddLine(std::string_view raw) {
  std::string_view line = Trim(raw);
  if (line.empty()) return;
  if (line.front() == ';') {
    ++skipped_;
    return;
  }
  if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
    std::string_view name = Trim(line.substr(1, line.size() - 2));
    current_ = -1;
    if (Find(name)) {
      ++skipped_;
      return;
    }
    Add(name);
    current_ = static_cast<long>(sections_.size()) - 1;
    return;
  }
  if (current_ < 0) {
    ++skipped_;
    return;
  }
  TLines& lines = sections_[static_cast<size_t>(current_)].Lines;
  size_t eq = line.find('=');
  if (eq == std::string_view::npos) {
    lines.push_back(line);
    return;
  }
  size_t keyEnd = eq, valueStart = eq + 1;
  while (keyEnd > 0 && IsBlank(line[keyEnd - 1])) --keyEnd;
  while (valueStart < line.size() && IsBlank(line[valueStart])) ++valueStart;
  std::string out;
  out.reserve(keyEnd + 1 + (line.size() - valueStart));
  out.append(line.substr(0, keyEnd)).append(1, '=').append(line.substr(valueStart));
  lines.push_back(out);
}

bool TDictionaryIni::LoadFromFile(const std::string& fileName) {
  Clear();
  std::string text;
  if (!AtomicFile::Read(fileName, text)) return false;
  // Editors may begin a UTF-8 file with a byte-order mark, which would hide the first header.
  std::string_view content(text);
  if (content.starts_with(kByteOrderMark)) content.remove_prefix(kByteOrderMark.size());
  Parse(content);
  return true;
}

std::string TDictionaryIni::Text() const {
  size_t size = 0;
  for (const TSection& s : sections_) {
    size += s.Name.size() + 6;
    for (const std::string_view line : s.Lines) size += line.size() + 2;
  }
  std::string text;
  text.reserve(size);
  for (const TSection& s : sections_) {
    text.append(1, '[').append(s.Name).append("]\r\n");
    for (const std::string_view line : s.Lines) text.append(line).append("\r\n");
    text.append("\r\n");
  }
  return text;
}

bool TDictionaryIni::SaveToFile(const std::string& fileName) const {
  return AtomicFile::Replace(fileName, Text());
}

const TLines* TDictionaryIni::SectionLines(std::string_view name) const {
  const TSection* section = Find(name);
  return section ? &section->Lines : nullptr;
}

void TDictionaryIni::WriteString(std::string_view section, std::string_view key,
                                 std::string_view value) {
  const TSection* found = Find(section);
  TSection& target =
      found ? sections_[static_cast<size_t>(found - sections_.data())] : Add(section);
  std::string line = std::string(key) + "=" + std::string(value);
  // Rebuilt whole: written only for the few default entries of a new file.
  TLines lines;
  bool replaced = false;
  for (const std::string_view existing : target.Lines) {
    const size_t eq = existing.find('=');
    const bool same =
        !replaced && eq != std::string_view::npos && SameTextAnsi(existing.substr(0, eq), key);
    lines.push_back(same ? std::string_view(line) : existing);
    replaced = replaced || same;
  }
  if (!replaced) lines.push_back(line);
  target.Lines = std::move(lines);
}
