#pragma once
// An ordered list of UTF-16 lines that carries a language identifier and counts its changes, so
// that a reader can tell whether anyone changed the list since it last looked.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

class TWideStringList {
 public:
  TWideStringList() = default;
  TWideStringList(std::initializer_list<std::u16string> lines) : lines_(lines) {}

  size_t size() const { return lines_.size(); }
  bool empty() const { return lines_.empty(); }
  const std::u16string& operator[](size_t i) const { return lines_[i]; }
  auto begin() const { return lines_.begin(); }
  auto end() const { return lines_.end(); }
  // The lines alone: the language is not compared.
  bool operator==(const TWideStringList& other) const { return lines_ == other.lines_; }

  void Set(size_t i, std::u16string line);
  void Insert(size_t i, std::u16string line);
  void Delete(size_t i);
  void Clear();
  // Cut to count lines, or padded with empty ones.
  void Resize(size_t count);
  // Removed lines from first replaced by the given ones.
  void Splice(size_t first, size_t removed, std::vector<std::u16string> lines);

  // Grows with every change.
  uint64_t Revision() const { return revision_; }

  uint16_t LanguageId = 0;

 private:
  std::vector<std::u16string> lines_;
  uint64_t revision_ = 0;
};
