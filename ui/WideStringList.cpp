#include "WideStringList.h"

#include <iterator>

void TWideStringList::Set(size_t i, std::u16string line) {
  lines_[i] = std::move(line);
  ++revision_;
}

void TWideStringList::Insert(size_t i, std::u16string line) {
  lines_.insert(lines_.begin() + ptrdiff_t(i), std::move(line));
  ++revision_;
}

void TWideStringList::Delete(size_t i) {
  lines_.erase(lines_.begin() + ptrdiff_t(i));
  ++revision_;
}

void TWideStringList::Clear() {
  lines_.clear();
  ++revision_;
}

void TWideStringList::Resize(size_t count) {
  if (count == lines_.size()) return;
  lines_.resize(count);
  ++revision_;
}

void TWideStringList::Splice(size_t first, size_t removed, std::vector<std::u16string> lines) {
  const auto from = lines_.begin() + ptrdiff_t(first);
  if (removed == lines.size()) {
    std::move(lines.begin(), lines.end(), from);
  } else {
    lines_.erase(from, from + ptrdiff_t(removed));
    lines_.insert(lines_.begin() + ptrdiff_t(first), std::make_move_iterator(lines.begin()),
                  std::make_move_iterator(lines.end()));
  }
  ++revision_;
}
