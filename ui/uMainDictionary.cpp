// The dictionary menu of the input pane: the dictionary kept away from one word or let in again,
// a correction entered for the word, the similar spellings of the word with their Persian
// pictures, and whether the word counts as English.
#include <QApplication>
#include <QGridLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QTextDocument>
#include <QWidgetAction>
#include <algorithm>

#include "AccessibleMenus.h"
#include "CodePage.h"
#include "Dictionary.h"
#include "RomanizedText.h"
#include "SmartSpelling.h"
#include "Variants.h"
#include "WordList.h"
#include "uDicWordEnter.h"
#include "uMain.h"

namespace {

// The pictures: laid out with room to spare, trimmed on the right, drawn this far in.
constexpr int kPictureExtraWidth = 120;
constexpr int kPictureExtraHeight = 40;
constexpr int kPictureTrim = 20;
constexpr int kPictureLeft = 4;
// Room for the mark of a variant that the word list knows.
constexpr int kListedMarkWidth = 14;
// An entry shows one line of its picture, with this much room around the text.
constexpr int kEntryRightMargin = 12;
constexpr int kEntryExtraHeight = 4;
// Between two columns, with a bar in the middle.
constexpr int kColumnGap = 7;

// The characters of a romanized word; anything beyond ASCII ends it.
bool IsWordLetter(char16_t c) {
  return (c >= u'A' && c <= u'Z') || (c >= u'`' && c <= u'z');
}

bool HasCapital(std::u16string_view word) {
  return std::any_of(word.begin(), word.end(), [](char16_t c) { return c >= u'A' && c <= u'Z'; });
}

// One entry of the similar-words columns: its picture, or its item's caption when it has none,
// on the menu, inverted onto the highlight colour while it is the current entry.
class TVariantEntry : public QWidget {
 public:
  // A checkable item (smart spelling is on) keeps room for the mark, shown while it is ticked;
  // a screen reader reads the entry as the item.
  TVariantEntry(QWidgetAction* item, QString caption, QImage picture, QSize size)
      : item_(item), caption_(std::move(caption)), picture_(std::move(picture)) {
    // The columns around it take the pointer and the keys.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setMinimumSize(size + QSize(item->isCheckable() ? kListedMarkWidth : 0, 0));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    // Before the first accessible name: that makes the entry's accessible interface.
    ExposeMenuEntry(this, item);
    setAccessibleName(caption_);
  }
  // Read out as the variant and its Persian rather than as the padded caption.
  void SetSpoken(const QString& word, const QString& persian) {
    setAccessibleName(word);
    setAccessibleDescription(persian);
  }
  void SetHighlighted(bool on) {
    if (on == highlighted_) return;
    highlighted_ = on;
    SetCurrentMenuEntry(this, on);
    update();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    if (highlighted_) painter.fillRect(rect(), palette().color(QPalette::Highlight));
    if (item_->isChecked()) {
      painter.setPen(palette().color(highlighted_ ? QPalette::HighlightedText : QPalette::Text));
      painter.drawText(QRect(0, 0, kPictureLeft + kListedMarkWidth, height()), Qt::AlignCenter,
                       QStringLiteral(u"\u2713"));
    }
    if (item_->isCheckable()) painter.translate(kListedMarkWidth, 0);
    if (picture_.isNull()) {
      painter.setPen(palette().color(highlighted_ ? QPalette::HighlightedText : QPalette::Text));
      painter.drawText(rect().adjusted(kPictureLeft, 0, 0, 0), Qt::AlignVCenter, caption_);
      return;
    }
    // Over the menu's own background the picture's white takes the menu colour and its dark
    // text stays; over the highlight the text turns white.
    painter.setCompositionMode(highlighted_ ? QPainter::RasterOp_NotSourceOrDestination
                                            : QPainter::RasterOp_SourceAndDestination);
    painter.drawImage(kPictureLeft, 0, picture_);
  }

 private:
  QWidgetAction* item_;
  QString caption_;
  QImage picture_;
  bool highlighted_ = false;
};

// The generated items of the similar-words submenu, shown in columns: a menu lays its items out
// in one column only. Each item is a QWidgetAction whose widget is a TVariantEntry; the pointer
// and the arrow keys pick the current entry, a click or Enter triggers its item.
class TVariantColumns : public QWidget {
 public:
  TVariantColumns() {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    grid_ = new QGridLayout(this);
    grid_->setContentsMargins(0, 0, 0, 0);
    grid_->setVerticalSpacing(0);
    grid_->setHorizontalSpacing(kColumnGap);
  }

  // Lays the items out from submenu position kFirstVariantItem on; the last item is the notice
  // when notice is set, and stays in the column before it.
  void SetItems(const std::vector<QWidgetAction*>& items, bool notice) {
    Clear();
    int column = 0;
    int row = 0;
    for (size_t k = 0; k < items.size(); ++k) {
      const size_t position = kFirstVariantItem + k;
      const bool isNotice = notice && k + 1 == items.size();
      if (position % kItemsPerColumn == 0 && !isNotice) {
        ++column;
        row = 0;
      }
      QWidget* entry = items[k]->requestWidget(this);
      grid_->addWidget(entry, row++, column);
      entry->show();
      entries_.push_back({items[k], static_cast<TVariantEntry*>(entry), column});
    }
    // Short columns keep their entries at the top.
    grid_->setRowStretch(grid_->rowCount(), 1);
  }

 protected:
  void mouseMoveEvent(QMouseEvent* event) override {
    SetCurrent(EntryAt(event->position().toPoint()));
    // The menu learns that the pointer left its other items.
    event->ignore();
  }
  void leaveEvent(QEvent*) override { SetCurrent(-1); }
  void mouseReleaseEvent(QMouseEvent* event) override {
    if (const int k = EntryAt(event->position().toPoint()); k >= 0) Pick(k);
  }
  void focusInEvent(QFocusEvent*) override {
    if (current_ < 0 && !entries_.empty()) SetCurrent(0);
  }
  void focusOutEvent(QFocusEvent*) override { SetCurrent(-1); }
  void keyPressEvent(QKeyEvent* event) override {
    const int next = Neighbour(event->key());
    if (next >= 0) {
      SetCurrent(next);
    } else if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && current_ >= 0) {
      Pick(current_);
    } else {
      // The menu moves on to its other items.
      event->ignore();
    }
  }
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Mid));
    for (int column = 1; column < grid_->columnCount(); ++column) {
      const int x = grid_->cellRect(0, column).left() - kColumnGap / 2 - 1;
      painter.drawLine(x, 0, x, height());
    }
  }

 private:
  struct TEntry {
    QWidgetAction* Item;
    TVariantEntry* View;
    int Column;
  };

  void Clear() {
    current_ = -1;
    for (const TEntry& entry : entries_) {
      grid_->removeWidget(entry.View);
      entry.Item->releaseWidget(entry.View);
    }
    entries_.clear();
    for (int row = 0; row < grid_->rowCount(); ++row) grid_->setRowStretch(row, 0);
  }
  int EntryAt(QPoint point) const {
    for (size_t k = 0; k < entries_.size(); ++k)
      if (entries_[k].View->geometry().contains(point)) return int(k);
    return -1;
  }
  void SetCurrent(int k) {
    if (current_ >= 0) entries_[size_t(current_)].View->SetHighlighted(false);
    current_ = k;
    if (current_ >= 0) entries_[size_t(current_)].View->SetHighlighted(true);
  }
  // The entry that an arrow key moves to from the current one, or -1.
  int Neighbour(int key) const {
    if (current_ < 0) return -1;
    const int column = entries_[size_t(current_)].Column;
    const auto inColumn = [&](int k) {
      return k >= 0 && k < int(entries_.size()) && entries_[size_t(k)].Column == column;
    };
    switch (key) {
      case Qt::Key_Up:
        return inColumn(current_ - 1) ? current_ - 1 : -1;
      case Qt::Key_Down:
        return inColumn(current_ + 1) ? current_ + 1 : -1;
      case Qt::Key_Left:
      case Qt::Key_Right: {
        const int step = key == Qt::Key_Right ? 1 : -1;
        const int row = Row(current_);
        int best = -1;
        for (int k = 0; k < int(entries_.size()); ++k)
          if (entries_[size_t(k)].Column == column + step && Row(k) <= row) best = k;
        return best;
      }
      default:
        return -1;
    }
  }
  int Row(int k) const {
    int row = 0;
    while (row < k && entries_[size_t(k - row - 1)].Column == entries_[size_t(k)].Column) ++row;
    return row;
  }
  void Pick(int k) { TriggerAsMenuClick(entries_[size_t(k)].Item); }

  QGridLayout* grid_;
  std::vector<TEntry> entries_;
  int current_ = -1;
};

TVariantColumns* Columns(QWidgetAction* action) {
  return static_cast<TVariantColumns*>(action->defaultWidget());
}

}  // namespace

bool TMainForm::CorrectAndAdd() const {
  return CorrecAddDicMNU->isChecked();
}

void TMainForm::SetCorrectAndAdd(bool on) {
  CorrecAddDicMNU->setChecked(on);
}

void TMainForm::SetupDictionaryMenu() {
  const auto name = [](QAction* action, const char* objectName) {
    action->setObjectName(QLatin1String(objectName));
    return action;
  };
  DicPopupMenu->setLayoutDirection(Qt::LeftToRight);
  ListOpenMenus(this);
  NoDictionaryMNU =
      name(DicPopupMenu->addAction(QStringLiteral("Dont use Dictionary")), "NoDictionaryMNU");
  EnterinDictionaryMNU =
      name(DicPopupMenu->addAction(QStringLiteral("Enter in Dictionary")), "EnterinDictionaryMNU");
  N1 = name(DicPopupMenu->addSeparator(), "N1");
  SimilarWordsMenuItem = new QMenu(QStringLiteral("Similar Words"), DicPopupMenu);
  SimilarWordsMenuItem->setObjectName(QStringLiteral("SimilarWordsMenuItem"));
  DicPopupMenu->addMenu(SimilarWordsMenuItem);
  CorrecAddDicMNU =
      name(SimilarWordsMenuItem->addAction(QStringLiteral("Correct and add to Dictionary")),
           "CorrecAddDicMNU");
  CorrecAddDicMNU->setCheckable(true);
  CorrecAddDicMNU->setChecked(true);
  N2 = name(SimilarWordsMenuItem->addSeparator(), "N2");
  VariantColumns = new QWidgetAction(SimilarWordsMenuItem);
  VariantColumns->setObjectName(QStringLiteral("VariantColumns"));
  VariantColumns->setDefaultWidget(new TVariantColumns);
  VariantColumns->setVisible(false);
  SimilarWordsMenuItem->addAction(VariantColumns);
  EnglishWordMenuItem =
      name(DicPopupMenu->addAction(QStringLiteral("English Word")), "EnglishWordMenuItem");
  EnglishWordMenuItem->setCheckable(true);

  // The pictures match the menu: its font one point larger, in its text colour.
  PicRichEdit = new RichEdit(this);
  PicRichEdit->setObjectName(QStringLiteral("PicRichEdit"));
  PicRichEdit->hide();
  PicRichEdit->setReadOnly(true);
  PicRichEdit->SetLanguage(LangPersian);
  QFont menuFont = QApplication::font(SimilarWordsMenuItem);
  if (menuFont.pointSizeF() > 0)
    menuFont.setPointSizeF(menuFont.pointSizeF() + 1);
  else
    menuFont.setPixelSize(menuFont.pixelSize() + 1);
  PicRichEdit->setFont(menuFont);
  QTextCharFormat menuText;
  menuText.setForeground(QApplication::palette(SimilarWordsMenuItem).color(QPalette::Text));
  PicRichEdit->setCurrentCharFormat(menuText);
  PicSnapShot.SetRichedit(PicRichEdit);

  DicEnterForm = new TDicEnterForm(this);

  connect(DicPopupMenu, &QMenu::aboutToShow, this, &TMainForm::DicPopupMenuPopup);
  connect(NoDictionaryMNU, &QAction::triggered, this, &TMainForm::NoDictionaryMNUClick);
  connect(EnterinDictionaryMNU, &QAction::triggered, this, &TMainForm::EnterinDictionaryMNUClick);
  connect(CorrecAddDicMNU, &QAction::triggered, this, &TMainForm::CorrecAddDicMNUClick);
  connect(EnglishWordMenuItem, &QAction::triggered, this, &TMainForm::EnglishWordMenuItemClick);
}

char16_t TMainForm::CharBeforeCaret() const {
  const int caret = EnglishRichEdit->CaretPos();
  return caret > 0 ? EnglishRichEdit->document()->characterAt(caret - 1).unicode() : 0;
}

void TMainForm::DicPopupMenuPopup() {
  SimilarWordsMenuItem->menuAction()->setEnabled(false);
  EnterinDictionaryMNU->setEnabled(false);
  NoDictionaryMNU->setEnabled(false);
  if (EnglishRichEdit->CaretPos() == 0 || CharBeforeCaret() == u' ' ||
      IsEnglishStyled(*EnglishRichEdit))
    return;
  // Every word letter is one the dictionary can take; only a caret after a sign, with no
  // letters on either side, finds nothing to act on.
  const std::u16string typed = FindDicWord();
  if (typed.empty()) return;
  std::string word = CodePage::FromUnicode(typed);
  std::erase(word, '`');
  NoDictionaryMNU->setEnabled(true);
  EnglishWordMenuItem->setChecked(EnglishWholeWords->MatchesPart(word) ||
                                  EnglishPrefixWords->MatchesPart(word));
  if (HasCapital(typed)) {
    NoDictionaryMNU->setText(QStringLiteral("Use Dictionary"));
    return;
  }
  NoDictionaryMNU->setText(QStringLiteral("Dont use Dictionary"));
  EnterinDictionaryMNU->setEnabled(true);
  SimilarWordsMenuItem->menuAction()->setEnabled(true);
  CorrecAddDicMNU->setText(CorrecAddDicMNU->isChecked()
                               ? QStringLiteral("Correct and add to Dictionary(Enabled)")
                               : QStringLiteral("Correct and add to Dictionary(Disabled)"));
  ClearVariantItems();
  AddVariantItems(word);
}

std::u16string TMainForm::FindDicWord() {
  const QTextDocument& text = *EnglishRichEdit->document();
  int start = EnglishRichEdit->CaretPos();
  while (start > 0 && IsWordLetter(text.characterAt(start - 1).unicode())) --start;
  int end = start;
  while (IsWordLetter(text.characterAt(end).unicode())) ++end;
  DicWordStart = start;
  DicWordLength = end - start;
  return DicWord();
}

std::u16string TMainForm::DicWord() const {
  // Read without selecting: the user sees no selection come and go.
  QTextCursor stretch(EnglishRichEdit->document());
  stretch.setPosition(DicWordStart);
  stretch.setPosition(DicWordStart + DicWordLength, QTextCursor::KeepAnchor);
  return stretch.selectedText().toStdU16String();
}

void TMainForm::ClearVariantItems() {
  VariantBitmaps.clear();
  Columns(VariantColumns)->SetItems({}, false);
  for (QWidgetAction* item : VariantItems) delete item;
  VariantItems.clear();
  VariantColumns->setVisible(false);
}

void TMainForm::AddVariantItems(const std::string& word) {
  const TSimilarWords similar = SimilarWords(word);
  for (const TSimilarWord& variant : similar.Words) {
    auto* item = new QWidgetAction(SimilarWordsMenuItem);
    const QString caption = FromAnsi(VariantCaption(variant));
    item->setText(caption);
    QSize textSize;
    VariantBitmaps.push_back(VariantPicture(variant, textSize));
    item->setData(int(VariantBitmaps.size() - 1));
    // Smart spelling chooses among these by the word list, so the menu ticks those it knows.
    item->setCheckable(SmartSpelling);
    item->setChecked(SmartSpelling && IsListedWord(variant.Persian));
    auto* entry = new TVariantEntry(item, caption, VariantBitmaps.back(),
                                    {kPictureLeft + textSize.width() + kEntryRightMargin,
                                     textSize.height() + kEntryExtraHeight});
    entry->SetSpoken(FromAnsi(variant.Word), QString::fromStdU16String(variant.Persian));
    item->setDefaultWidget(entry);
    connect(item, &QAction::triggered, this, [this, item] { N2Click(item); });
    VariantItems.push_back(item);
  }
  if (similar.Omitted) {
    auto* notice = new QWidgetAction(SimilarWordsMenuItem);
    const QString caption = FromAnsi(kOmittedNotice);
    notice->setText(caption);
    const QFontMetrics metrics(SimilarWordsMenuItem->font());
    notice->setDefaultWidget(
        new TVariantEntry(notice, caption, {},
                          {kPictureLeft + metrics.horizontalAdvance(caption) + kEntryRightMargin,
                           metrics.height() + kEntryExtraHeight}));
    VariantItems.push_back(notice);
  }
  Columns(VariantColumns)->SetItems(VariantItems, similar.Omitted);
  // Shown again after ClearVariantItems hid it, so that the submenu measures it afresh.
  VariantColumns->setVisible(!VariantItems.empty());
}

QImage TMainForm::VariantPicture(const TSimilarWord& variant, QSize& textSize) {
  const QString text = QString::fromStdU16String(VariantPictureText(variant));
  PicRichEdit->setPlainText(text);
  const QFontMetrics metrics(PicRichEdit->font());
  textSize = {metrics.horizontalAdvance(text), metrics.height()};
  const QSize area = textSize + QSize(kPictureExtraWidth, kPictureExtraHeight);
  PicSnapShot.Snap(0, 0, area.width(), area.height());
  QImage picture(area, QImage::Format_RGB32);
  picture.fill(Qt::white);
  {
    QPainter painter(&picture);
    painter.drawImage(0, 0, PicSnapShot.GetBitmap());
  }
  PicSnapShot.Clear();
  return picture.copy(0, 0, area.width() - kPictureTrim, area.height());
}

void TMainForm::NoDictionaryMNUClick() {
  if (EnglishRichEdit->TextLength() == 0 || CharBeforeCaret() == u' ') return;
  const int caret = EnglishRichEdit->CaretPos();
  TFrozenDisplay frozen(*EnglishRichEdit);
  const std::u16string word = DicWord();
  // The lookups match only words that begin with a small letter, and the letter rules lower-case
  // a word only after them: a capital keeps the dictionary away from this one word.
  if (HasCapital(word)) {
    EnglishRichEdit->SetSel(DicWordStart, DicWordLength);
    EnglishRichEdit->ReplaceSel(QString::fromStdU16String(word).toLower().toStdU16String());
  } else if (!word.empty()) {
    EnglishRichEdit->SetSel(DicWordStart, 1);
    EnglishRichEdit->ReplaceSel(QString(QChar(word.front())).toUpper().toStdU16String());
  }
  EnglishRichEdit->SetCaret(caret);
}

void TMainForm::EnterinDictionaryMNUClick() {
  if (EnglishRichEdit->TextLength() == 0 || CharBeforeCaret() == u' ') return;
  DicEnterForm->SetWord(QString::fromStdU16String(DicWord()));
  if (DicEnterForm->exec() != QDialog::Accepted) return;
  EnglishRichEdit->setFocus();
  // The lines that hold the word are converted again.
  const std::u16string key = DicEnterForm->Word().toStdU16String();
  for (size_t i = 0; i < PreviousInputLines.size(); ++i)
    if (PreviousInputLines[i].find(key) != std::u16string::npos) PreviousInputLines.Set(i, {});
  struct TScroll {
    RichEdit* Pane;
    int X, Y;
  };
  std::vector<TScroll> scrolls;
  for (RichEdit* pane : {EnglishRichEdit, FarsiRichEdit})
    scrolls.push_back(
        {pane, pane->horizontalScrollBar()->value(), pane->verticalScrollBar()->value()});
  EnglishRichEditChange();
  for (const TScroll& scroll : scrolls) {
    scroll.Pane->horizontalScrollBar()->setValue(scroll.X);
    scroll.Pane->verticalScrollBar()->setValue(scroll.Y);
  }
}

void TMainForm::CorrecAddDicMNUClick() {
  // The item has ticked or unticked itself; the menu opens again where it was, a hidden menu
  // keeping its place, with the new caption and a new list.
  DicPopupMenu->popup(DicPopupMenu->pos());
}

void TMainForm::N2Click(QAction* item) {
  const std::string source(CaptionVariant(ToAnsi(VariantItems.front()->text())));
  const std::string chosen(CaptionVariant(ToAnsi(item->text())));
  TFrozenDisplay frozen(*EnglishRichEdit);
  if (CorrecAddDicMNU->isChecked()) {
    // The text stays as typed; its conversion follows the new entry.
    WholeWords->SetEntry(source, chosen);
    if (source == chosen) {
      WholeWords->DeleteEntry(source);
      SuffixWords->DeleteEntry(source);
    }
    ReconvertAll();
  } else {
    EnglishRichEdit->SetSel(DicWordStart, DicWordLength);
    EnglishRichEdit->ReplaceSel(CodePage::ToUnicode(chosen));
  }
}

void TMainForm::EnglishWordMenuItemClick(bool checked) {
  // The tick only shows what the dictionary says; a click leaves it as it was.
  EnglishWordMenuItem->setChecked(!checked);
}
