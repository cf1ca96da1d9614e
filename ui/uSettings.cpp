#include "uSettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QShowEvent>
#include <QTabWidget>
#include <functional>
#include <iterator>

#include "Dialogs.h"
#include "Dictionary.h"
#include "MessageBoxes.h"
#include "MyStaticText.h"
#include "NamedButton.h"
#include "PersianFont.h"
#include "Place.h"
#include "Registry.h"
#include "RichEdit.h"
#include "SmartSpelling.h"
#include "ValueListEditor.h"
#include "WordList.h"
#include "trans.h"
#include "uMain.h"
#include "uTipOfDay.h"

namespace {

// What choosing each item of EngFaAttrCombo marks English words with, in list order.
struct TMarkItem {
  const char* Caption;
  uint8_t Style;          // a TEnglishStyle
  uint8_t UnderlineType;  // for esUnderline
};
constexpr TMarkItem kMarkItems[] = {
    {"Bold", esBold, utNone},
    {"Italic", esItalic, utNone},
    {"UnderLine_Dotted", esUnderline, utDotted},
    {"UnderLine_Wave", esUnderline, utWave},
    {"UnderLine_Double", esUnderline, utDouble},
    {"Background Color", esBackColor, utNone},
    {"Invisible(No Attribute)", esAnimation, utNone},
};
static_assert(std::size(kMarkItems) == emInvisible + 1);
static_assert(kMarkItems[emBackgroundColor].Style == esBackColor);
// The animation that "Invisible(No Attribute)" marks English words with.
constexpr uint8_t kInvisibleAnimation = 1;

// The item that shows the present marking, or -1 when none does (an underline type that no item
// names, or no style at all).
int EnglishMarkItem() {
  for (int i = 0; i < int(std::size(kMarkItems)); ++i)
    if (kMarkItems[i].Style == EnglishStyle &&
        (EnglishStyle != esUnderline || kMarkItems[i].UnderlineType == EnglishUnderlineType))
      return i;
  return -1;
}

QColor FromColorRef(uint32_t color) {
  return QColor(int(color & 0xFF), int(color >> 8 & 0xFF), int(color >> 16 & 0xFF));
}

uint32_t ToColorRef(const QColor& color) {
  return uint32_t(color.red()) | uint32_t(color.green()) << 8 | uint32_t(color.blue()) << 16;
}

// A colour swatch that reports the mouse buttons pressed on it. It takes the focus, and Space
// or Enter count as the left button, so that the keyboard reaches its colour dialog too.
class TColorSwatch : public QFrame {
 public:
  TColorSwatch(QWidget* parent, std::function<void(Qt::MouseButton)> mouseDown)
      : QFrame(parent), mouseDown_(std::move(mouseDown)) {
    setFrameShape(QFrame::Box);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
  }

 protected:
  void mousePressEvent(QMouseEvent* event) override { mouseDown_(event->button()); }
  void keyPressEvent(QKeyEvent* event) override {
    if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return ||
        event->key() == Qt::Key_Enter)
      mouseDown_(Qt::LeftButton);
    else
      QFrame::keyPressEvent(event);
  }

 private:
  std::function<void(Qt::MouseButton)> mouseDown_;
};

void PaintSwatch(QFrame* swatch, const QColor& colour) {
  QPalette colours = swatch->palette();
  colours.setColor(QPalette::Window, colour);
  swatch->setPalette(colours);
}

QLabel* Caption(QWidget* parent, const QString& text, QPoint topLeft) {
  auto* label = new QLabel(text, parent);
  label->move(topLeft);
  label->resize(label->sizeHint());
  return label;
}

// A read-only right-to-left line that shows an option's effect: the Latin text as typed, then
// its Persian in the Persian face.
TMyStaticText* ExampleLine(QWidget* parent, const char* name, const QString& latin,
                           const QString& persian, QRect place) {
  auto* line = Place(new TMyStaticText(parent), name, place.topLeft(), place.size());
  line->setPlainText(latin + persian);
  TCharFormat face;
  face.Name = PersianFace();
  if (!face.Name.isEmpty())
    line->SetFormat(int(latin.size()), int(latin.size() + persian.size()), face,
                    TCharFormat::fFace);
  return line;
}

// Rows of the engine tab, far enough apart for a check box and an example line beside it.
constexpr int kEngineRowHeight = 24;

}  // namespace

TSettingsForm::TSettingsForm(TMainForm* mainForm)
    : QDialog(mainForm, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      MainForm(mainForm) {
  setObjectName(QStringLiteral("SettingsForm"));
  setWindowTitle(QStringLiteral("Settings"));
  setFixedSize(539, 321);
  PageControl1 = new QTabWidget(this);
  PageControl1->setObjectName(QStringLiteral("PageControl1"));
  PageControl1->setGeometry(4, 4, 531, 270);
  const struct {
    const char* Caption;
    void (TSettingsForm::*Init)(QWidget*);
  } tabs[] = {
      {"Common Settings", &TSettingsForm::InitCommonTab},
      {"Translation Engine", &TSettingsForm::InitEngineTab},
      {"Dictionary", &TSettingsForm::InitDictionaryTab},
  };
  for (const auto& tab : tabs) {
    auto* page = new QWidget;
    PageControl1->addTab(page, QLatin1String(tab.Caption));
    (this->*tab.Init)(page);
  }
  InitButtons();
  connect(PageControl1, &QTabWidget::currentChanged, this, &TSettingsForm::PageControl1Change);
}

TSettingsForm::~TSettingsForm() {
  // Hiding the dialog as it is destroyed takes the focus from a grid, whose handlers would then
  // run on a form that is already half gone.
  for (TValueListEditor* grid : ValueListEditors)
    if (grid) grid->disconnect(this);
}

void TSettingsForm::InitCommonTab(QWidget* tab) {
  AttrSamechk =
      Place(new QCheckBox(QStringLiteral("Farsi text attributes same as romanesh one"), tab),
            "AttrSamechk", {8, 10});
  AttrSamegrp = Place(new QGroupBox(QStringLiteral("Farsi text attributes"), tab), "AttrSamegrp",
                      {8, 34}, {250, 122});
  Caption(AttrSamegrp, QStringLiteral("Font :"), {12, 30});
  Label4 = Place(new QLabel(AttrSamegrp), "Label4", {56, 30}, {186, 18});
  Caption(AttrSamegrp, QStringLiteral("Size:"), {12, 56});
  Label5 = Place(new QLabel(AttrSamegrp), "Label5", {56, 56}, {60, 18});
  Caption(AttrSamegrp, QStringLiteral("Color:"), {12, 82});
  TextColorShape =
      Place(new TColorSwatch(AttrSamegrp,
                             [this](Qt::MouseButton button) { TextColorShapeMouseDown(button); }),
            "TextColorShape", {56, 82}, {40, 18});
  TextColorShape->setAccessibleName(QStringLiteral("Color:"));
  FontBtn = NamedButton(AttrSamegrp, "FontBtn", QStringLiteral("Font"), {163, 86, 75, 25});

  CheckBox1 =
      Place(new QCheckBox(QStringLiteral("Enable Tips at startup"), tab), "CheckBox1", {8, 166});
  // Shows what the tips window will do, as it reads the same stored value.
  CheckBox1->setChecked(TTipOfDay::ShowOnStartUp());
  LowerCasePastechk = Place(new QCheckBox(QStringLiteral("Lower case Pasted Text"), tab),
                            "LowerCasePastechk", {8, 190});

  auto* comboCaption = Place(
      new QLabel(QStringLiteral("Words with this font attributes are treated as English Words"),
                 tab),
      "EngFaAttrCaption", {276, 34}, {240, 40});
  comboCaption->setWordWrap(true);
  EngFaAttrCombo = Place(new QComboBox(tab), "EngFaAttrCombo", {276, 78}, {200, 26});
  for (const TMarkItem& item : kMarkItems) EngFaAttrCombo->addItem(QLatin1String(item.Caption));
  comboCaption->setBuddy(EngFaAttrCombo);
  EngFaAttrCombo->setAccessibleName(comboCaption->text());
  Label13 = Place(new QLabel(QStringLiteral("Color :"), tab), "Label13", {276, 116});
  Shape1 = Place(new TColorSwatch(tab, [this](Qt::MouseButton button) { Shape1MouseDown(button); }),
                 "Shape1", {330, 115}, {40, 18});
  Shape1->setAccessibleName(Label13->text());
  Shape1Color = EnglishBackColor;
  PaintSwatch(Shape1, FromColorRef(Shape1Color));

  connect(AttrSamechk, &QCheckBox::clicked, this, &TSettingsForm::AttrSamechkClick);
  connect(FontBtn, &QPushButton::clicked, this, &TSettingsForm::FontBtnClick);
  connect(CheckBox1, &QCheckBox::clicked, this, &TSettingsForm::CheckBox1Click);
  connect(EngFaAttrCombo, &QComboBox::activated, this, [this] { EngFaAttrComboSelect(true); });
}

void TSettingsForm::InitEngineTab(QWidget* tab) {
  const struct {
    QCheckBox* TSettingsForm::*Box;
    const char* Name;
    const char* Caption;
    uint8_t* Flag;
  } options[] = {
      {&TSettingsForm::DicBasedchk, "DicBasedchk", "Dictionary Based Translation", &DictionaryMode},
      {&TSettingsForm::ChatModechk, "ChatModechk", "Chat Mode typings", &ChatMode},
      {&TSettingsForm::AutoTashdidchk, "AutoTashdidchk", "Automatic Tashdid", &TashdidMode},
      {&TSettingsForm::AutoPrefixchk, "AutoPrefixchk", "Automatic Suffix", &PrefixMode},
      {&TSettingsForm::EnglishDetectchk, "EnglishDetectchk", "English line detection",
       &EnglishDetectMode},
      {&TSettingsForm::Treataechk, "Treataechk",
       "treat  a'  and  e'  and o'  as  a`  and  e`  and o'", &TreatAeMode},
      {&TSettingsForm::PoliteModechk, "PoliteModechk", "Polite Mode Enabled", &PoliteMode},
      {&TSettingsForm::SmartSpellingchk, "SmartSpellingchk", "Smart spelling (Persian word list)",
       &SmartSpelling},
      {&TSettingsForm::ModernOrthographychk, "ModernOrthographychk", "Modern Persian orthography",
       &ModernOrthography},
  };
  int y = 6;
  for (const auto& option : options) {
    QCheckBox* box = Place(new QCheckBox(QLatin1String(option.Caption), tab), option.Name, {8, y});
    this->*option.Box = box;
    EngineOptionBoxes.emplace_back(box, option.Flag);
    y += kEngineRowHeight;
  }
  const auto besideRow = [](QCheckBox* box) { return QRect(230, box->y(), 285, 20); };
  ExampleLine(tab, "ChatModeExample", QStringLiteral("Example : mer30 ---> "),
              QStringLiteral(u"\u0645\u0631\u0633\u064A"), besideRow(ChatModechk));
  ExampleLine(tab, "AutoTashdidExample", QStringLiteral("Example : banna --->  "),
              QStringLiteral(u"\u0628\u0646\u0651\u0627"), besideRow(AutoTashdidchk));
  ExampleLine(tab, "AutoPrefixExample", QStringLiteral("Example :  ...tan --->  "),
              QStringLiteral(u"\u062A\u0627\u0646..."), besideRow(AutoPrefixchk));

  connect(DicBasedchk, &QCheckBox::clicked, this, &TSettingsForm::DicBasedchkClick);
  connect(EnglishDetectchk, &QCheckBox::clicked, this, &TSettingsForm::EnglishDetectchkClick);
}

void TSettingsForm::InitButtons() {
  ApplyBtn = NamedButton(this, "ApplyBtn", QStringLiteral("Apply"), {287, 290, 75, 25});
  OkBtn = NamedButton(this, "OkBtn", QStringLiteral("Ok"), {371, 290, 75, 25});
  CancelBtn = NamedButton(this, "CancelBtn", QStringLiteral("Cancel"), {455, 290, 75, 25});
  connect(ApplyBtn, &QPushButton::clicked, this, &TSettingsForm::ApplyBtnClick);
  connect(OkBtn, &QPushButton::clicked, this, &TSettingsForm::OkBtnClick);
  connect(CancelBtn, &QPushButton::clicked, this, &TSettingsForm::CancelBtnClick);
}

void TSettingsForm::SetTipsAtStartUp(bool on) {
  CheckBox1->setChecked(on);
}

void TSettingsForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) FormShow();
}

void TSettingsForm::FormShow() {
  ActiveDicEditor = nullptr;
  OptionsChanged = false;
  DicPagesLoaded = false;
  PageControl1->setCurrentIndex(0);
  FontDialogFont = MainForm->FarsiFont();
  FontDialogColor = MainForm->FarsiFontColor();
  ShowDialogFont();
  AttrSamechk->setChecked(SameAttributes);
  AttrSamechkClick();
  LowerCasePastechk->setChecked(LowerCasePaste);
  for (const auto& [box, flag] : EngineOptionBoxes) box->setChecked(*flag != 0);
  DicBasedchkClick();
  // A marking that no item shows leaves the combo without a choice, so that showing the dialog
  // never changes it.
  EngFaAttrCombo->setCurrentIndex(EnglishMarkItem());
  if (EnglishStyle == esBackColor) {
    Shape1Color = EnglishBackColor;
    PaintSwatch(Shape1, FromColorRef(Shape1Color));
  }
  EngFaAttrComboSelect(false);
  // After the dialog is up, so that the note stands over it.
  QMetaObject::invokeMethod(this, &TSettingsForm::ReportMissingWordLists, Qt::QueuedConnection);
}

void TSettingsForm::PageControl1Change(int index) {
  if (index == 2) FillDictionaryPages();
  ResultRichEdit->setVisible(index == 2);
}

void TSettingsForm::ApplyBtnClick() {
  ApplyDictionaryPages();
  SameAttributes = AttrSamechk->isChecked();
  LowerCasePaste = LowerCasePastechk->isChecked();
  for (const auto& [box, flag] : EngineOptionBoxes) *flag = box->isChecked() ? 1 : 0;
  if (!SameAttributes) MainForm->SetWholeOutputFont(FontDialogFont, FontDialogColor);
  EngFaAttrComboSelect(false);
  if (OptionsChanged) MainForm->ReconvertAll();
  ReportMissingWordLists();
}

void TSettingsForm::OkBtnClick() {
  ApplyBtn->click();
  accept();
}

void TSettingsForm::CancelBtnClick() {
  reject();
}

void TSettingsForm::AttrSamechkClick() {
  const bool same = AttrSamechk->isChecked();
  AttrSamegrp->setEnabled(!same);
  AttrSamegrp->setTitle(same ? QStringLiteral("Farsi text attributes (Disabled)")
                             : QStringLiteral("Farsi text attributes"));
}

void TSettingsForm::FontBtnClick() {
  const std::optional<QFont> font = Dialogs::Current().Font(this, FontDialogFont);
  if (!font) return;
  FontDialogFont = *font;
  OptionsChanged = true;
  ShowDialogFont();
}

void TSettingsForm::TextColorShapeMouseDown(Qt::MouseButton button) {
  // The font dialog has no colour of its own: the swatch beside it picks the font's colour.
  if (button != Qt::LeftButton) return;
  const QColor shown = TextColorShape->palette().color(QPalette::Window);
  const std::optional<QColor> colour = Dialogs::Current().Colour(this, shown);
  if (!colour) return;
  FontDialogColor = ToColorRef(*colour);
  OptionsChanged = true;
  ShowDialogFont();
}

void TSettingsForm::ShowDialogFont() {
  Label4->setText(FontDialogFont.family());
  Label5->setText(QString::number(FontDialogFont.pointSize()));
  PaintSwatch(TextColorShape, FontDialogColor == clWindowText
                                  ? MainForm->palette().color(QPalette::Text)
                                  : FromColorRef(FontDialogColor));
}

void TSettingsForm::CheckBox1Click() {
  Registry settings;
  TTipOfDay::SetShowOnStartUp(settings, CheckBox1->isChecked());
}

void TSettingsForm::EngFaAttrComboSelect(bool fromUser) {
  OptionsChanged = true;
  const int index = EngFaAttrCombo->currentIndex();
  // The user's choice takes effect on Apply, which stores it through the call without a sender;
  // a cancelled dialog leaves the marking as it was.
  if (!fromUser && index >= 0) {
    const TMarkItem& item = kMarkItems[index];
    EnglishStyle = item.Style;
    if (item.Style == esUnderline) EnglishUnderlineType = item.UnderlineType;
    if (item.Style == esBackColor) EnglishBackColor = Shape1Color;
    if (item.Style == esAnimation) EnglishAnimationType = kInvisibleAnimation;
  }
  const bool backColor = index == emBackgroundColor;
  Label13->setVisible(backColor);
  Shape1->setVisible(backColor);
  if (backColor && fromUser) Shape1MouseDown(Qt::LeftButton);
}

void TSettingsForm::Shape1MouseDown(Qt::MouseButton button) {
  if (button != Qt::LeftButton) return;
  // A cancelled dialog keeps the swatch's colour: the dialog opened on it.
  const std::optional<QColor> colour = Dialogs::Current().Colour(this, FromColorRef(Shape1Color));
  if (!colour) return;
  Shape1Color = ToColorRef(*colour);
  PaintSwatch(Shape1, *colour);
}

void TSettingsForm::DicBasedchkClick() {
  PageControl2->setTabEnabled(dpWhole, DicBasedchk->isChecked());
}

void TSettingsForm::EnglishDetectchkClick() {
  if (!EnglishDetectchk->isChecked() || FarsiEnabled) return;
  MessageBoxes::Show(
      this, MessageBoxes::Type::Information,
      QStringLiteral("Sorry currently only available on Windows 2000/xp with farse enabled."));
  EnglishDetectchk->setChecked(false);
}

void TSettingsForm::ReportMissingWordLists() {
  // Only smart spelling needs the lists; asking about them would load them.
  if (WordListsReported || !SmartSpelling) return;
  const std::string missing = MissingWordListsText();
  if (missing.empty()) return;
  WordListsReported = true;
  MessageBoxes::Show(this, MessageBoxes::Type::Information, QString::fromStdString(missing));
}
