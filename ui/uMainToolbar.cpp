// The formatting tool bar over the input pane. Every conversion walks the caret over the
// changed line, so a format chosen with nothing selected would be gone before the next key:
// each action also records itself as pending, and the next typed character takes it again.
#include <QCheckBox>
#include <QComboBox>
#include <QFontComboBox>
#include <QPainter>
#include <QPixmap>
#include <QShortcut>
#include <QToolBar>
#include <QToolButton>
#include <array>
#include <utility>

#include "CapsLock.h"
#include "ToolbarImages.h"
#include "uMain.h"

namespace {

constexpr std::array kFontSizes = {"6",  "8",  "9",  "10", "11", "12", "14", "16",
                                   "18", "20", "22", "24", "26", "28", "30", "34",
                                   "36", "40", "48", "52", "64", "76"};

struct TNamedColor {
  const char* Name;
  uint32_t Color;  // 0x00BBGGRR
};

// The standard colours, then the extended ones, each with its name.
constexpr TNamedColor kNamedColors[] = {
    {"Black", 0x000000}, {"Maroon", 0x000080},      {"Green", 0x008000},
    {"Olive", 0x008080}, {"Navy", 0x800000},        {"Purple", 0x800080},
    {"Teal", 0x808000},  {"Gray", 0x808080},        {"Silver", 0xC0C0C0},
    {"Red", 0x0000FF},   {"Lime", 0x00FF00},        {"Yellow", 0x00FFFF},
    {"Blue", 0xFF0000},  {"Fuchsia", 0xFF00FF},     {"Aqua", 0xFFFF00},
    {"White", 0xFFFFFF}, {"Money Green", 0xC0DCC0}, {"Sky Blue", 0xF0CAA6},
    {"Cream", 0xF0FBFF}, {"Medium Gray", 0xA4A0A0},
};

QIcon Swatch(uint32_t color) {
  QPixmap swatch(16, 12);
  swatch.fill(QColor(int(color & 0xFF), int(color >> 8 & 0xFF), int(color >> 16 & 0xFF)));
  QPainter(&swatch).drawRect(0, 0, 15, 11);
  return swatch;
}

}  // namespace

QToolButton* TMainForm::AddToolButton(const char* name, int image, const QString& hint,
                                      bool checkable) {
  auto* button = new QToolButton(ToolBar1);
  button->setObjectName(QLatin1String(name));
  button->setIcon(ToolbarImage(image));
  button->setToolTip(hint);
  button->setAccessibleName(hint);
  button->setCheckable(checkable);
  button->setAutoRaise(true);
  button->setFixedSize(25, 23);
  ToolBar1->addWidget(button);
  return button;
}

void TMainForm::SetupToolBar() {
  ToolBar1 = new QToolBar(this);
  ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
  ToolBar1->setGeometry(16, 29, 633, 25);
  ToolBar1->setIconSize({16, 16});
  ToolBar1->setMovable(false);
  // The design's items fill the bar edge to edge: no room between them for Qt's spacing.
  ToolBar1->setStyleSheet(QStringLiteral("QToolBar { spacing: 0px; padding: 0px; border: 0px; }"));
  ToolBar1->setContentsMargins(0, 0, 0, 0);

  FontCombo = new QFontComboBox(ToolBar1);
  FontCombo->setObjectName(QStringLiteral("FontCombo"));
  FontCombo->setFixedWidth(137);
  FontCombo->setAccessibleName(QStringLiteral("Font"));
  ToolBar1->addWidget(FontCombo);
  FontSizeCombo = new QComboBox(ToolBar1);
  FontSizeCombo->setObjectName(QStringLiteral("FontSizeCombo"));
  FontSizeCombo->setFixedWidth(80);
  FontSizeCombo->setMaxVisibleItems(25);
  FontSizeCombo->setAccessibleName(QStringLiteral("Font Size"));
  for (const char* size : kFontSizes) FontSizeCombo->addItem(QLatin1String(size));
  ToolBar1->addWidget(FontSizeCombo);

  EngFaToolBtn = AddToolButton("EngFaToolBtn", tiEnglishOff, QStringLiteral("English word"), true);
  EngFarsiToolBtn =
      AddToolButton("EngFarsiToolBtn", tiPersianKeyboard, QStringLiteral("Persian keyboard"), true);
  BoldToolBtn = AddToolButton("BoldToolBtn", tiBold, QStringLiteral("Bold"), true);
  ItalicToolBtn = AddToolButton("ItalicToolBtn", tiItalic, QStringLiteral("Italic"), true);
  UnderLineToolBtn =
      AddToolButton("UnderLineToolBtn", tiUnderline, QStringLiteral("Underline"), true);
  LeftToolBtn = AddToolButton("LeftToolBtn", tiAlignLeft, QStringLiteral("Align Left"), true);
  CenterToolBtn = AddToolButton("CenterToolBtn", tiAlignCenter, QStringLiteral("Center"), true);
  RightToolBtn = AddToolButton("RightToolBtn", tiAlignRight, QStringLiteral("Align Right"), true);
  BulletToolBtn = AddToolButton("BulletToolBtn", tiBullets, QStringLiteral("Bullets"), true);
  // The keys that every editor gives its styles. They click at once (a button's own shortcut
  // clicks a moment later), so that the very next key typed takes the style.
  const std::pair<QKeySequence::StandardKey, QToolButton*> styleKeys[] = {
      {QKeySequence::Bold, BoldToolBtn},
      {QKeySequence::Italic, ItalicToolBtn},
      {QKeySequence::Underline, UnderLineToolBtn}};
  for (const auto& [keys, button] : styleKeys)
    connect(new QShortcut(keys, this), &QShortcut::activated, button, &QToolButton::click);

  ColorBox1 = new QComboBox(ToolBar1);
  ColorBox1->setObjectName(QStringLiteral("ColorBox1"));
  ColorBox1->setFixedWidth(135);
  ColorBox1->setMaxVisibleItems(40);
  ColorBox1->setAccessibleName(QStringLiteral("Text Color"));
  for (const TNamedColor& color : kNamedColors)
    ColorBox1->addItem(Swatch(color.Color), QLatin1String(color.Name), color.Color);
  ToolBar1->addWidget(ColorBox1);

  UndoToolBtn = AddToolButton("UndoToolBtn", tiUndo, QStringLiteral("Undo"), false);
  PasteToolBtn = AddToolButton("PasteToolBtn", tiPaste, QStringLiteral("Paste"), false);

  // Only the user's own choices act: the refresh from the caret sets the controls silently.
  connect(FontCombo, &QComboBox::activated, this, &TMainForm::FontComboChange);
  connect(FontSizeCombo, &QComboBox::activated, this, &TMainForm::FontSizeComboChange);
  connect(ColorBox1, &QComboBox::activated, this, &TMainForm::ColorBox1Change);
  connect(EngFaToolBtn, &QToolButton::clicked, this, &TMainForm::EngFaToolBtnClick);
  connect(EngFarsiToolBtn, &QToolButton::clicked, this, &TMainForm::EngFarsiToolBtnClick);
  connect(BoldToolBtn, &QToolButton::clicked, this, &TMainForm::BoldToolBtnClick);
  connect(ItalicToolBtn, &QToolButton::clicked, this, &TMainForm::ItalicToolBtnClick);
  connect(UnderLineToolBtn, &QToolButton::clicked, this, &TMainForm::UnderLineToolBtnClick);
  connect(LeftToolBtn, &QToolButton::clicked, this, &TMainForm::LeftToolBtnClick);
  connect(CenterToolBtn, &QToolButton::clicked, this, &TMainForm::CenterToolBtnClick);
  connect(RightToolBtn, &QToolButton::clicked, this, &TMainForm::RightToolBtnClick);
  connect(BulletToolBtn, &QToolButton::clicked, this, &TMainForm::BulletToolBtnClick);
  connect(UndoToolBtn, &QToolButton::clicked, this, &TMainForm::UndoToolBtnClick);
  connect(PasteToolBtn, &QToolButton::clicked, this, &TMainForm::PasteToolBtnClick);
}

void TMainForm::EnglishRichEditSelectionChange() {
  // A conversion walks the caret over whole lines: none of that reaches the tool bar.
  if (!Converting) UpdateToolbar();
}

void TMainForm::UpdateToolbar() {
  const TCharFormat format = EnglishRichEdit->SelAttributes();
  const TParaFormat paragraph = EnglishRichEdit->Paragraph();
  // Text in the pane's own colour is drawn black.
  const uint32_t color = format.Color == clWindowText ? 0x000000 : format.Color;
  ColorBox1->setCurrentIndex(ColorBox1->findData(color));
  BoldToolBtn->setChecked(format.Style & fsBold);
  ItalicToolBtn->setChecked(format.Style & fsItalic);
  UnderLineToolBtn->setChecked(format.Style & fsUnderline);
  BulletToolBtn->setChecked(paragraph.Numbering == nsBullet);
  FontCombo->setCurrentIndex(FontCombo->findText(format.Name));
  FontSizeCombo->setCurrentIndex(FontSizeCombo->findText(QString::number(format.Size)));
  const bool english = IsEnglishStyled(format);
  EngFaToolBtn->setChecked(english);
  // A new icon repaints the button, as every caret move would: it is set only on a change.
  if (EnglishIconShown != english) {
    EnglishIconShown = english;
    EngFaToolBtn->setIcon(ToolbarImage(english ? tiEnglishOn : tiEnglishOff));
  }
  EngFarsiToolBtn->setChecked(format.Language == LangPersian);
  CenterToolBtn->setChecked(paragraph.Alignment == paCenter);
  LeftToolBtn->setChecked(paragraph.Alignment == paLeft);
  RightToolBtn->setChecked(paragraph.Alignment == paRight);
}

void TMainForm::StyleButtonClick(uint8_t style, bool down) {
  PendingFormat |= pfStyle;
  const uint8_t caret = EnglishRichEdit->SelAttributes().Style;
  PendingStyle = down ? caret | style : caret & ~style;
  if (style == fsUnderline) PendingUnderlineType = utSingle;
  TCharFormat format;
  format.Style = PendingStyle;
  format.UnderlineType = PendingUnderlineType;
  unsigned fields = TCharFormat::fStyle;
  if (style == fsUnderline) fields |= TCharFormat::fUnderlineType;
  EnglishRichEdit->SetSelAttributes(format, fields);
}

void TMainForm::BoldToolBtnClick() {
  StyleButtonClick(fsBold, BoldToolBtn->isChecked());
}

void TMainForm::ItalicToolBtnClick() {
  StyleButtonClick(fsItalic, ItalicToolBtn->isChecked());
}

void TMainForm::UnderLineToolBtnClick() {
  StyleButtonClick(fsUnderline, UnderLineToolBtn->isChecked());
}

void TMainForm::AlignmentButtonClick(QToolButton* clicked, uint8_t alignment) {
  PendingFormat |= pfAlignment;
  if (clicked->isChecked()) PendingAlignment = alignment;
  TParaFormat format;
  format.Alignment = PendingAlignment;
  EnglishRichEdit->SetParagraph(format, TParaFormat::fAlignment);
  for (QToolButton* other : {LeftToolBtn, CenterToolBtn, RightToolBtn})
    if (other != clicked) other->setChecked(false);
  InvalidateSelectedLines();
  EnglishRichEditChange();
}

void TMainForm::LeftToolBtnClick() {
  AlignmentButtonClick(LeftToolBtn, paLeft);
}

void TMainForm::CenterToolBtnClick() {
  AlignmentButtonClick(CenterToolBtn, paCenter);
}

void TMainForm::RightToolBtnClick() {
  AlignmentButtonClick(RightToolBtn, paRight);
}

void TMainForm::BulletToolBtnClick() {
  PendingFormat |= pfBullet;
  InvalidateSelectedLines();
  PendingBullet = BulletToolBtn->isChecked();
  TParaFormat format;
  format.Numbering = PendingBullet ? nsBullet : nsNone;
  EnglishRichEdit->SetParagraph(format, TParaFormat::fNumbering);
}

uint32_t TMainForm::SelectedColor() const {
  return ColorBox1->currentIndex() < 0 ? 0x000000 : ColorBox1->currentData().toUInt();
}

void TMainForm::FocusEditingPane() {
  (OneWindow->isChecked() ? FarsiRichEdit : EnglishRichEdit)->setFocus();
}

void TMainForm::ColorBox1Change() {
  PendingFormat |= pfColor;
  InvalidateSelectedLines();
  TCharFormat format;
  format.Color = SelectedColor();
  EnglishRichEdit->SetSelAttributes(format, TCharFormat::fColor);
  FocusEditingPane();
}

void TMainForm::FontComboChange() {
  PendingFont.setFamily(FontCombo->currentText());
  TCharFormat format;
  format.Name = PendingFont.family();
  ApplyFontChange(format, TCharFormat::fFace);
}

void TMainForm::FontSizeComboChange() {
  PendingFont.setPointSize(FontSizeCombo->currentText().toInt());
  TCharFormat format;
  format.Size = PendingFont.pointSize();
  ApplyFontChange(format, TCharFormat::fSize);
}

void TMainForm::ApplyFontChange(const TCharFormat& format, unsigned field) {
  PendingFormat |= pfFont;
  FocusEditingPane();
  InvalidateSelectedLines();
  EnglishRichEdit->SetSelAttributes(format, field);
  EnglishRichEditChange();
}

void TMainForm::UndoToolBtnClick() {
  EnglishRichEdit->undo();
}

void TMainForm::PasteToolBtnClick() {
  EnglishRichEdit->paste();
}

void TMainForm::EngFaToolBtnClick() {
  EnglishRichEdit->setFocus();
  CapsLock::Current().SimulatePress();
}

void TMainForm::EngFarsiToolBtnClick() {
  EnglishRichEdit->SetInputLayout(EngFarsiToolBtn->isChecked() ? FarsiLanguageId : LangEnglishUS);
  UpdateToolbar();
}
