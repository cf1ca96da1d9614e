#include "ParagraphCopy.h"

#include <QTextBlock>
#include <QTextDocument>
#include <algorithm>
#include <limits>

namespace {

constexpr size_t kAll = std::numeric_limits<size_t>::max();

std::u16string ParagraphText(const QTextBlock& block) {
  if (block.length() == 1) return u"\r";
  return block.text().toStdU16String();
}

}  // namespace

TParagraphSpan ChangedParagraphs(const QTextDocument& document, int position, int added) {
  const int last = std::max(document.characterCount() - 1, 0);
  return {document.findBlock(std::clamp(position, 0, last)).blockNumber(),
          document.findBlock(std::clamp(position + added, 0, last)).blockNumber()};
}

TParagraphCopy::TParagraphCopy(QTextDocument* document) : QObject(document), document_(document) {
  // Nothing read yet: the first refresh reads every paragraph.
  connect(document, &QTextDocument::contentsChange, this, &TParagraphCopy::ContentsChange);
}

void TParagraphCopy::ContentsChange(int position, int /*removed*/, int added) {
  const TParagraphSpan span = ChangedParagraphs(*document_, position, added);
  unchangedHead_ = std::min(unchangedHead_, size_t(std::max(span.First, 0)));
  unchangedTail_ =
      std::min(unchangedTail_, size_t(std::max(document_->blockCount() - 1 - span.Last, 0)));
}

TParagraphCopy::TSplice TParagraphCopy::Refresh() {
  const size_t count = size_t(document_->blockCount());
  if (unchangedHead_ == kAll && paragraphs_.size() == count) return {count, 0, 0};
  // Every change reads at least one paragraph, so the unchanged ends never overlap; the bounds
  // only guard the copy should a change have gone unreported.
  size_t head = std::min({unchangedHead_, count, paragraphs_.size()});
  size_t tail = std::min({unchangedTail_, count - head, paragraphs_.size() - head});
  if (unchangedHead_ == kAll) head = tail = 0;
  const TSplice splice{head, paragraphs_.size() - tail - head, count - tail - head};

  std::vector<std::u16string> fresh;
  fresh.reserve(splice.Added);
  QTextBlock block = document_->findBlockByNumber(int(head));
  for (size_t n = 0; n < splice.Added; ++n, block = block.next())
    fresh.push_back(ParagraphText(block));
  const auto from = paragraphs_.begin() + ptrdiff_t(head);
  if (splice.Removed == splice.Added) {
    std::move(fresh.begin(), fresh.end(), from);
  } else {
    paragraphs_.erase(from, from + ptrdiff_t(splice.Removed));
    paragraphs_.insert(paragraphs_.begin() + ptrdiff_t(head),
                       std::make_move_iterator(fresh.begin()),
                       std::make_move_iterator(fresh.end()));
  }
  unchangedHead_ = unchangedTail_ = kAll;
  return splice;
}

size_t TParagraphCopy::LineCount() const {
  const size_t count = paragraphs_.size();
  return count > 0 && paragraphs_.back() == u"\r" ? count - 1 : count;
}
