#include "uKeyMap.h"

#include <QFontDatabase>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>
#include <algorithm>
#include <iterator>
#include <string_view>
#include <vector>

#include "PersianFont.h"
#include "trans.h"

namespace {

constexpr int kColumns = 7;
constexpr int kKeyPointSize = 13;
constexpr int kLetterPointSize = 20;

// Rows of LetterRules that share a first character; the closing row " " is no key.
struct TRuleGroup {
  int First;
  int Last;
};

std::vector<TRuleGroup> RuleGroups() {
  std::vector<TRuleGroup> groups;
  for (int row = 1; row < std::ssize(LetterRules) && LetterRules[row].Key[0] != ' '; ++row) {
    if (groups.empty() || LetterRules[groups.back().First].Key[0] != LetterRules[row].Key[0]) {
      groups.push_back({row, row});
    } else {
      groups.back().Last = row;
    }
  }
  return groups;
}

QString KeyText(const TLetterRule& rule) {
  return QString::fromLatin1(std::string_view(rule.Key, rule.Length));
}

// A mark such as FATHATAN is shown on a tatweel, which it needs to be seen at all.
QString LetterText(int letter) {
  const QChar code(PersianLetters[letter].Code);
  if (code.category() == QChar::Mark_NonSpacing) return QChar(0x0640) + QString(code);
  return code;
}

// Text on the baseline that every line of the map shares, in a line only as tall as the
// letters' ink: the Persian face's own line spacing is nearly twice that.
class TMapText : public QLabel {
 public:
  TMapText(const QString& text, const QFont& font, const QRect& ink, Qt::Alignment side)
      : QLabel(text), Ink(ink) {
    setFont(font);
    setAlignment(side | Qt::AlignVCenter);
  }

  QSize sizeHint() const override {
    return {fontMetrics().horizontalAdvance(text()), Ink.height() + 2 * kInkMargin};
  }
  QSize minimumSizeHint() const override { return sizeHint(); }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    const int width = fontMetrics().horizontalAdvance(text());
    const int x = alignment() & Qt::AlignRight ? contentsRect().right() + 1 - width : 0;
    painter.drawText(QPoint(x, kInkMargin - Ink.top()), text());
  }

 private:
  static constexpr int kInkMargin = 3;
  QRect Ink;  // relative to the baseline
};

struct TMapFonts {
  QFont Key;
  QFont Letter;
  QRect Ink;  // the union of every letter's and key's ink
};

TMapFonts MapFonts() {
  TMapFonts fonts{QFontDatabase::systemFont(QFontDatabase::FixedFont), QFont(PersianFace()), {}};
  fonts.Key.setPointSize(kKeyPointSize);
  fonts.Key.setBold(true);
  fonts.Letter.setPointSize(kLetterPointSize);
  const QFontMetrics letters(fonts.Letter);
  for (int letter = 1; letter < std::ssize(PersianLetters); ++letter) {
    fonts.Ink |= letters.tightBoundingRect(LetterText(letter));
  }
  fonts.Ink |= QFontMetrics(fonts.Key).tightBoundingRect(QStringLiteral("`Akgy"));
  return fonts;
}

QLabel* LetterLabel(const TLetterRule& rule, const TMapFonts& fonts) {
  if (rule.Letter) {
    return new TMapText(LetterText(rule.Letter), fonts.Letter, fonts.Ink, Qt::AlignRight);
  }
  auto* none = new TMapText(QStringLiteral(u"\u2013"), fonts.Key, fonts.Ink, Qt::AlignRight);
  none->setForegroundRole(QPalette::PlaceholderText);
  return none;
}

// One group as a card, one line per rule.
QFrame* GroupCard(const TRuleGroup& group, const TMapFonts& fonts) {
  auto* card = new QFrame;
  card->setFrameShape(QFrame::StyledPanel);
  card->setBackgroundRole(QPalette::Base);
  card->setAutoFillBackground(true);
  auto* rows = new QGridLayout(card);
  rows->setContentsMargins(8, 2, 8, 2);
  rows->setVerticalSpacing(0);
  rows->setHorizontalSpacing(20);
  for (int row = group.First; row <= group.Last; ++row) {
    const TLetterRule& rule = LetterRules[row];
    rows->addWidget(new TMapText(KeyText(rule), fonts.Key, fonts.Ink, Qt::AlignLeft),
                    row - group.First, 0);
    rows->addWidget(LetterLabel(rule, fonts), row - group.First, 1);
  }
  return card;
}

}  // namespace

TKeyMapForm::TKeyMapForm(QWidget* parent) : QWidget(parent, Qt::Tool) {
  setWindowTitle(QStringLiteral("Key Map"));
  auto* page = new QVBoxLayout(this);
  page->setSizeConstraint(QLayout::SetFixedSize);
  page->addWidget(SetupRules());
  page->addWidget(SetupNotes());
}

QWidget* TKeyMapForm::SetupRules() {
  auto* picture = new QWidget;
  picture->setAccessibleName(QStringLiteral("Letter rules"));
  auto* columns = new QHBoxLayout(picture);
  columns->setContentsMargins(0, 0, 0, 0);
  // Groups fill the columns in order; a group moves on to the next column when more than half
  // of it would stand below the columns' even share of the rules.
  const std::vector<TRuleGroup> groups = RuleGroups();
  const double share = double(groups.back().Last) / kColumns;
  const TMapFonts fonts = MapFonts();
  QVBoxLayout* column = nullptr;
  double filled = 0;
  std::vector<QFrame*> cards;
  for (const TRuleGroup& group : groups) {
    const int size = group.Last - group.First + 1;
    if (!column || (filled + size / 2.0 > share && columns->count() < kColumns)) {
      column = new QVBoxLayout;
      column->setAlignment(Qt::AlignTop);
      columns->addLayout(column);
      filled = 0;
    }
    cards.push_back(GroupCard(group, fonts));
    column->addWidget(cards.back());
    filled += size;
  }
  // Cards of one width keep the columns in line.
  int width = 0;
  for (const QFrame* card : cards) width = std::max(width, card->sizeHint().width());
  for (QFrame* card : cards) card->setFixedWidth(width);
  return picture;
}

QWidget* TKeyMapForm::SetupNotes() {
  auto* notes = new QWidget;
  auto* lines = new QVBoxLayout(notes);
  lines->setContentsMargins(0, 4, 0, 0);
  lines->addWidget(new QLabel(QStringLiteral(
      "A backtick ( ` ) after a letter picks a rarer Persian letter of the same sound.")));
  lines->addWidget(new QLabel(QStringLiteral(u"\u2013  the key writes no letter of its own.")));
  auto* capsLock = new QLabel(QStringLiteral(
      "Caps Lock is for changing Language,Write capitals with Shift,or Use Shift+Caps Lock."));
  QFont bold = capsLock->font();
  bold.setBold(true);
  capsLock->setFont(bold);
  lines->addWidget(capsLock);
  return notes;
}
