#pragma once
// A copy of a document's paragraphs that follows its changes: a refresh reads again only the
// paragraphs changed since the previous refresh, so that keeping the copy costs nothing that
// grows with the document.
#include <QObject>
#include <string>
#include <vector>

class QTextDocument;

// The paragraphs, by number, that a change of the document spans: from the one holding its start
// to the one holding its end. Those before it kept their text; so did those after it, perhaps at
// other numbers.
struct TParagraphSpan {
  int First;
  int Last;
};
TParagraphSpan ChangedParagraphs(const QTextDocument& document, int position, int added);

class TParagraphCopy : public QObject {
  Q_OBJECT
 public:
  // Which paragraphs a refresh replaced: Removed old ones from First by Added new ones.
  struct TSplice {
    size_t First = 0;
    size_t Removed = 0;
    size_t Added = 0;
  };

  explicit TParagraphCopy(QTextDocument* document);

  // Brings the copy up to date with the document.
  TSplice Refresh();
  // Every paragraph as of the last refresh, the empty last one included; an empty paragraph
  // reads "\r", as the panes read an empty line.
  const std::vector<std::u16string>& Paragraphs() const { return paragraphs_; }
  // Lines as the panes count them: the paragraphs without an empty last one.
  size_t LineCount() const;

 private:
  void ContentsChange(int position, int removed, int added);

  QTextDocument* document_;
  std::vector<std::u16string> paragraphs_;
  // Paragraphs at the start and at the end that kept their text since the last refresh.
  size_t unchangedHead_ = 0;
  size_t unchangedTail_ = 0;
};
