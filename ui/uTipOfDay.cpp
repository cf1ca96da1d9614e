#include "uTipOfDay.h"

#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRandomGenerator>
#include <QVBoxLayout>
#include <array>

namespace {

// Spelt as the tips window has always spelt it; names compare without regard to case, so older
// files that hold it as "Tips of Day" name the same value.
const QString kShowTipsValue = QStringLiteral("Tips of day");

constexpr std::array kTips = {
    u"Type Persian the way you write it in a chat: \"khoobi?\" becomes خوبی؟ in the lower pane "
    u"as you type.",
    u"Caps Lock switches between Romanesh and English: words typed while it is on stay in Latin "
    u"letters. Write capitals with Shift, or use Shift+Caps Lock.",
    u"A backtick (`) after a letter picks the rarer Persian letter of the same sound: \"s`abr\" "
    u"is صبر, \"h`asan\" is حسن, \"chet`oori\" is چطوری. \"Romanesh Rules\" shows them all.",
    u"Digits inside a word are read as letters, the way chats write them: \"mer30\" becomes "
    u"مرسی.",
    u"Write a consonant twice for a tashdid: \"tashakkor\" becomes تشکّر.",
    u"Right-click a word in the Romanesh pane for the dictionary menu: enter a correction for "
    u"the word, keep the dictionary away from it, or pick one of its similar spellings.",
    u"Words you make bold stay in Latin letters, so English names and terms can stand inside "
    u"Persian text.",
    u"Tick \"Big Window\" to give the whole window to the Persian text; what you type still goes "
    u"into the hidden Romanesh pane.",
    u"\"Stay on Top\" keeps Zefra above other windows, and the transparency slider lets you see "
    u"what lies beneath it.",
};

}  // namespace

TTipOfDay::TTipOfDay(QWidget* parent)
    : QDialog(parent), TipIndex(QRandomGenerator::global()->bounded(uint32_t(kTips.size()))) {
  setObjectName(QStringLiteral("TipOfDay1"));
  setWindowTitle(QStringLiteral("Tips of Day"));
  auto* heading = new QLabel(QStringLiteral("Did you know..."));
  QFont large = heading->font();
  large.setPointSizeF(large.pointSizeF() * 1.4);
  large.setBold(true);
  heading->setFont(large);
  TipLabel = new QLabel;
  TipLabel->setObjectName(QStringLiteral("TipLabel"));
  TipLabel->setWordWrap(true);
  TipLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  TipLabel->setFixedSize(360, 96);
  auto* card = new QFrame;
  card->setFrameShape(QFrame::StyledPanel);
  card->setBackgroundRole(QPalette::Base);
  card->setAutoFillBackground(true);
  auto* cardLayout = new QVBoxLayout(card);
  cardLayout->addWidget(heading);
  cardLayout->addWidget(TipLabel);

  ShowTipsChk = new QCheckBox(QStringLiteral("&Show Tips on Startup"));
  ShowTipsChk->setObjectName(QStringLiteral("ShowTipsChk"));
  NextBtn = new QPushButton(QStringLiteral("&Next Tip"));
  NextBtn->setObjectName(QStringLiteral("NextBtn"));
  CloseBtn = new QPushButton(QStringLiteral("&Close"));
  CloseBtn->setObjectName(QStringLiteral("CloseBtn"));
  CloseBtn->setDefault(true);
  // Only the user's clicks are stored, not the box being set from the stored value.
  connect(ShowTipsChk, &QCheckBox::clicked, this, &TTipOfDay::ShowTipsChkClick);
  connect(NextBtn, &QPushButton::clicked, this, &TTipOfDay::NextBtnClick);
  connect(CloseBtn, &QPushButton::clicked, this, &QDialog::accept);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(ShowTipsChk);
  buttons->addStretch();
  buttons->addWidget(NextBtn);
  buttons->addWidget(CloseBtn);
  auto* page = new QVBoxLayout(this);
  page->setSizeConstraint(QLayout::SetFixedSize);
  page->addWidget(card);
  page->addLayout(buttons);
}

bool TTipOfDay::ShowOnStartUp() {
  return Registry().ReadBool(kShowTipsValue).value_or(true);
}

bool TTipOfDay::SetShowOnStartUp(Registry& registry, bool show) {
  return registry.WriteBool(kShowTipsValue, show);
}

void TTipOfDay::Execute() {
  ShowTipsChk->setChecked(ShowOnStartUp());
  NextBtnClick();
  open();
  CloseBtn->setFocus();
}

void TTipOfDay::ShowTipsChkClick() {
  SetShowOnStartUp(Settings, ShowTipsChk->isChecked());
}

void TTipOfDay::NextBtnClick() {
  TipIndex = (TipIndex + 1) % kTips.size();
  TipLabel->setText(QString::fromUtf16(kTips[TipIndex]));
}
