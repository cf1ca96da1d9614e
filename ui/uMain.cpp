#include "uMain.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QTextDocument>

#include "CapsLock.h"
#include "CodePage.h"
#include "Dictionary.h"
#include "MessageBoxes.h"
#include "MyStaticText.h"
#include "ParagraphCopy.h"
#include "PersianFont.h"
#include "Place.h"
#include "trans.h"
#include "uAbout.h"
#include "uKeyMap.h"
#include "uSettings.h"

bool SameAttributes = false;
uint8_t EnglishStyle = esBold;
uint8_t EnglishUnderlineType = utDotted;
uint32_t EnglishBackColor = 0xFF0000;
uint8_t EnglishAnimationType = 5;
bool LowerCasePaste = true;

namespace {

constexpr int kPersianPointSize = 11;

QFont PersianFont() {
  QFont font(PersianFace());
  font.setPointSize(kPersianPointSize);
  return font;
}

TMyStaticText* PersianCaption(QWidget* parent, const char* name, const QString& text, QRect place) {
  auto* caption = new TMyStaticText(parent);
  caption->setObjectName(QLatin1String(name));
  caption->setFont(PersianFont());
  caption->setPlainText(text);
  caption->setAlignment(Qt::AlignHCenter);
  caption->setGeometry(place);
  return caption;
}

}  // namespace

bool IsEnglishStyled(const TCharFormat& format) {
  switch (EnglishStyle) {
    case esBold:
      return format.Style & fsBold;
    case esItalic:
      return format.Style & fsItalic;
    case esUnderline:
      return (format.Style & fsUnderline) && format.UnderlineType == EnglishUnderlineType;
    case esBackColor:
      return format.BackColor == EnglishBackColor;
    case esAnimation:
      return format.Animation == EnglishAnimationType;
    default:
      return false;
  }
}

bool IsEnglishStyled(const RichEdit& edit) {
  return IsEnglishStyled(edit.SelAttributes());
}

TMainForm::TMainForm(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("MainForm"));
  setWindowTitle(QStringLiteral("Advanced Romanesh to Farsi Translator"));
  // The small face the control sizes were drawn for: 8 points at 96 pixels an inch.
  QFont windowFont = font();
  windowFont.setPixelSize(11);
  windowFont.setStretch(QFont::SemiCondensed);
  setFont(windowFont);
  setFixedSize(669, 585);
  SetupCaptions();
  SetupToolBar();
  SetupPanes();
  SetupOptions();
  SetupButtons();
  SetupSending();
  SetupDictionaryMenu();
  FormCreate();
  SetupExport();
  CentreOnDesktop();
}

TMainForm::~TMainForm() {
  FormDestroy();
}

void TMainForm::SetupCaptions() {
  l_romanesh = PersianCaption(this, "l_romanesh", QStringLiteral(u"رومانش را اینجا بنویسید"),
                              {207, 1, 208, 23});
  l_farsi = PersianCaption(this, "l_farsi", QStringLiteral(u"فارسی را اینجا بخوانید"),
                           {241, 239, 160, 27});
}

void TMainForm::SetupPanes() {
  EnglishRichEdit = Place(new RichEdit(this), "EnglishRichEdit", {17, 52}, {630, 190});
  QFont inputFont = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
  inputFont.setPointSize(kPersianPointSize);
  // Romanesh is drawn as an edit control draws plain Latin letters, without pair kerning, which
  // would cost a fifth of laying out a long line again at every key.
  inputFont.setKerning(false);
  EnglishRichEdit->setFont(inputFont);
  EnglishRichEdit->setAccessibleName(QStringLiteral("Romanesh input"));
  InputParagraphs = new TParagraphCopy(EnglishRichEdit->document());
  PendingFont = EnglishRichEdit->font();
  connect(EnglishRichEdit, &QTextEdit::textChanged, this, &TMainForm::EnglishRichEditChange);
  connect(EnglishRichEdit, &QTextEdit::cursorPositionChanged, this,
          &TMainForm::EnglishRichEditSelectionChange);
  connect(EnglishRichEdit, &QTextEdit::selectionChanged, this,
          &TMainForm::EnglishRichEditSelectionChange);
  DicPopupMenu = new QMenu(EnglishRichEdit);
  DicPopupMenu->setObjectName(QStringLiteral("DicPopupMenu"));
  EnglishRichEdit->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(EnglishRichEdit, &QWidget::customContextMenuRequested, this, [this](QPoint point) {
    DicPopupMenu->popup(EnglishRichEdit->viewport()->mapToGlobal(point));
  });

  FarsiRichEdit = Place(new RichEdit(this), "FarsiRichEdit", {17, 261}, {630, 190});
  FarsiRichEdit->setFont(PersianFont());
  FarsiRichEdit->SetLanguage(LangPersian);
  FarsiRichEdit->setReadOnly(true);
  // The caret stays visible: it is what scrolls the pane to the converted place.
  FarsiRichEdit->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  // Only the program writes here; an undo history would grow with every keystroke.
  FarsiRichEdit->setUndoRedoEnabled(false);
  FarsiRichEdit->setAccessibleName(QStringLiteral("Persian output"));
  OutputParagraphs = new TParagraphCopy(FarsiRichEdit->document());
  CopyPasteSelectedPopupMenu = new QMenu(FarsiRichEdit);
  CopyPasteSelectedPopupMenu->setObjectName(QStringLiteral("CopyPasteSelectedPopupMenu"));
  // Right clicks reach the window's own handler only.
  FarsiRichEdit->setContextMenuPolicy(Qt::NoContextMenu);

  for (QWidget* watched : {static_cast<QWidget*>(EnglishRichEdit), EnglishRichEdit->viewport(),
                           static_cast<QWidget*>(FarsiRichEdit), FarsiRichEdit->viewport()})
    watched->installEventFilter(this);
}

void TMainForm::SetupOptions() {
  StayonTopCheckBox =
      Place(new QCheckBox(QStringLiteral("Stay on Top"), this), "StayonTopCheckBox", {17, 457});
  OneWindow = Place(new QCheckBox(QStringLiteral("Big Window"), this), "OneWindow", {121, 457});
  Label2 = Place(new QLabel(QStringLiteral(" Window Transparency"), this), "Label2", {544, 543});
  TransparencyTrackBar =
      Place(new QSlider(Qt::Horizontal, this), "TransparencyTrackBar", {549, 560}, {113, 18});
  TransparencyTrackBar->setRange(40, 255);
  TransparencyTrackBar->setValue(255);
  TransparencyTrackBar->setSingleStep(15);
  TransparencyTrackBar->setPageStep(15);
  TransparencyTrackBar->setTickPosition(QSlider::NoTicks);
  TransparencyTrackBar->setAccessibleName(QStringLiteral("Window Transparency"));
  connect(OneWindow, &QCheckBox::toggled, this, &TMainForm::OneWindowClick);
  connect(StayonTopCheckBox, &QCheckBox::toggled, this, &TMainForm::StayonTopCheckBoxClick);
  connect(TransparencyTrackBar, &QSlider::valueChanged, this,
          &TMainForm::TransparencyTrackBarChange);
}

void TMainForm::SetupButtons() {
  btnSettings =
      Place(new QPushButton(QStringLiteral("Settings"), this), "btnSettings", {17, 551}, {87, 27});
  btnRomaneshRoles = Place(new QPushButton(QStringLiteral("Romanesh Rules"), this),
                           "btnRomaneshRoles", {112, 551}, {87, 27});
  btnAbout =
      Place(new QPushButton(QStringLiteral("About"), this), "btnAbout", {207, 551}, {87, 27});
  connect(btnSettings, &QPushButton::clicked, this, &TMainForm::btnSettingsClick);
  connect(btnRomaneshRoles, &QPushButton::clicked, this, &TMainForm::btnRomaneshRolesClick);
  connect(btnAbout, &QPushButton::clicked, this, &TMainForm::btnAboutClick);
}

void TMainForm::FormCreate() {
  const QRect area = screen()->availableGeometry();
  if (area.height() < height() || area.width() < width())
    MessageBoxes::Show(this, MessageBoxes::Type::Warning,
                       QStringLiteral("You may encounter difficulties with current screen "
                                      "resolution.please increase your screen resolution"));
  if (PersianFace().isEmpty()) {
    MessageBoxes::Show(this, MessageBoxes::Type::Information,
                       QStringLiteral("Your System does not have tahoma font using anather font"));
    QFont fallback = FarsiRichEdit->font();
    fallback.setFamily(QStringLiteral("Courier New"));
    FarsiRichEdit->setFont(fallback);
  }
  // The tool bar starts with the input pane's face and size.
  UpdateToolbar();
  PreviousOutputLines.LanguageId = FarsiRichEdit->Language();
  // Caps Lock is the English switch, so it starts off.
  if (CapsLock::Current().IsOn()) CapsLock::Current().SimulatePress();
  // The code page is fixed, so this holds; the engine assembles runs in reverse without it.
  FarsiEnabled = CodePage::FromUnicode(PersianLetters[1].Code) != CodePage::DefaultChar;
  if (FarsiEnabled) FarsiRichEdit->SetRightToLeft();
  EnglishDetectMode = FarsiEnabled;
}

void TMainForm::OneWindowClick() {
  if (OneWindow->isChecked()) {
    // The output takes the room of both panes; the hidden input still holds the text.
    l_romanesh->hide();
    EnglishRichEdit->hide();
    FarsiCaptionTag = l_farsi->y();
    FarsiRichEditTag = FarsiRichEdit->y();
    l_farsi->move(l_farsi->x(), l_romanesh->y());
    const int bottom = FarsiRichEdit->geometry().bottom();
    FarsiRichEdit->setGeometry(FarsiRichEdit->x(), EnglishRichEdit->y(), FarsiRichEdit->width(),
                               bottom - EnglishRichEdit->y() + 1);
    SameAttributes = false;
  } else {
    FarsiRichEdit->setGeometry(FarsiRichEdit->x(), FarsiRichEditTag, FarsiRichEdit->width(),
                               EnglishRichEdit->height());
    l_farsi->move(l_farsi->x(), FarsiCaptionTag);
    l_romanesh->show();
    EnglishRichEdit->show();
  }
}

void TMainForm::StayonTopCheckBoxClick() {
  // Changing the flag hides the window: it comes back where it was.
  const QPoint place = pos();
  const bool shown = isVisible();
  setWindowFlag(Qt::WindowStaysOnTopHint, StayonTopCheckBox->isChecked());
  move(place);
  if (shown) show();
}

void TMainForm::TransparencyTrackBarChange() {
  // 255 is fully opaque, which switches blending off.
  setWindowOpacity(TransparencyTrackBar->value() / 255.0);
}

void TMainForm::btnRomaneshRolesClick() {
  if (!KeyMapForm) KeyMapForm = new TKeyMapForm(this);
  KeyMapForm->show();
  KeyMapForm->raise();
}

void TMainForm::btnAboutClick() {
  setEnabled(false);
  if (!AboutForm) AboutForm = new TAboutForm(this);
  AboutForm->show();
}

void TMainForm::CentreOnDesktop() {
  const QRect area = screen()->availableGeometry();
  move(area.center() - rect().center());
}

void TMainForm::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  // The panes and buttons are placed for one size: a window manager that maximises the window
  // regardless of its fixed size, or a full-screen request, gets the normal window back.
  constexpr Qt::WindowStates kLarger = Qt::WindowMaximized | Qt::WindowFullScreen;
  if (event->type() == QEvent::WindowStateChange && (windowState() & kLarger))
    setWindowState(windowState() & ~kLarger);
}

void TMainForm::btnSettingsClick() {
  if (!SettingsForm) SettingsForm = new TSettingsForm(this);
  SettingsForm->exec();
}
