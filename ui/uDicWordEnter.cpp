#include "uDicWordEnter.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QValidator>

#include "Dictionary.h"
#include "EntryRefusal.h"
#include "MessageBoxes.h"
#include "MyStaticText.h"
#include "NamedButton.h"
#include "PersianFont.h"
#include "RichEdit.h"
#include "RomanizedText.h"

namespace {

constexpr int kLabelPointSize = 9;

// Keys and values are lower-case romanized words without blanks, however they are typed or
// pasted.
class TLowerCaseWord : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int& pos) const override {
    pos -= int(input.left(pos).count(QLatin1Char(' ')));
    input.remove(QLatin1Char(' '));
    input = input.toLower();
    return Acceptable;
  }
};

QLineEdit* WordEdit(QWidget* parent, const char* name, QRect place) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QLatin1String(name));
  edit->setValidator(new TLowerCaseWord(edit));
  edit->setGeometry(place);
  return edit;
}

TMyStaticText* PersianLabel(QWidget* parent, const char* name, const QString& text, QRect place) {
  auto* label = new TMyStaticText(parent);
  label->setObjectName(QLatin1String(name));
  QFont font(PersianFace());
  font.setPointSize(kLabelPointSize);
  label->setFont(font);
  label->setPlainText(text);
  label->setGeometry(place);
  return label;
}

}  // namespace

TDicEnterForm::TDicEnterForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint) {
  setObjectName(QStringLiteral("DicEnterForm"));
  setFixedSize(379, 197);

  Edit1 = WordEdit(this, "Edit1", {8, 10, 222, 22});
  MyStaticText1 = PersianLabel(this, "MyStaticText1", QStringLiteral(u"این کلمه تبديل شود :"),
                               {236, 10, 135, 22});
  Edit2 = WordEdit(this, "Edit2", {8, 38, 222, 22});
  MyStaticText2 =
      PersianLabel(this, "MyStaticText2", QStringLiteral(u"به این کلمه :"), {236, 38, 135, 22});
  // Screen readers name each box by the label beside it.
  Edit1->setAccessibleName(MyStaticText1->toPlainText());
  Edit2->setAccessibleName(MyStaticText2->toPlainText());
  ResultRichEdit = NewLetterRulesPreview(this, kLabelPointSize + 2);
  ResultRichEdit->setGeometry(8, 66, 363, 30);

  RadioGroup1 = new QGroupBox(QStringLiteral("Options"), this);
  RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
  RadioGroup1->setGeometry(8, 100, 363, 60);
  RadioItems = new QButtonGroup(this);
  const struct {
    TEntrySection Section;
    const char* Caption;
    TMyStaticText* TDicEnterForm::*Label;
    const char* Name;
    const char16_t* Text;
  } items[] = {
      {esWholeWords, "  (Whole)", &TDicEnterForm::MyStaticText3, "MyStaticText3",
       u"اگر کلمه فقط به این شکل بود تبديل کن"},
      {esPrefixWords, "  (Prefix)", &TDicEnterForm::MyStaticText4, "MyStaticText4",
       u"اگر کلمه به صورت پيشوند بود نيز تبديل کن"},
  };
  for (const auto& item : items) {
    const int y = 16 + 20 * item.Section;
    auto* radio = new QRadioButton(QLatin1String(item.Caption), RadioGroup1);
    radio->setGeometry(8, y, 80, 20);
    RadioItems->addButton(radio, item.Section);
    this->*item.Label =
        PersianLabel(RadioGroup1, item.Name, QString::fromUtf16(item.Text), {92, y, 263, 20});
  }
  RadioItems->button(esWholeWords)->setChecked(true);

  OKBtn = NamedButton(this, "OKBtn", QStringLiteral("OK"), {110, 166, 75, 25});
  OKBtn->setDefault(true);
  CancelBtn = NamedButton(this, "CancelBtn", QStringLiteral("Cancel"), {194, 166, 75, 25});

  for (QWidget* control : {static_cast<QWidget*>(Edit1), static_cast<QWidget*>(Edit2),
                           static_cast<QWidget*>(OKBtn), static_cast<QWidget*>(CancelBtn)})
    control->installEventFilter(this);
  connect(Edit1, &QLineEdit::textChanged, this, &TDicEnterForm::Edit1Change);
  connect(Edit2, &QLineEdit::textChanged, this, &TDicEnterForm::Edit2Change);
  connect(OKBtn, &QPushButton::clicked, this, &TDicEnterForm::OKBtnClick);
  connect(CancelBtn, &QPushButton::clicked, this, &TDicEnterForm::CancelBtnClick);
}

QString TDicEnterForm::Word() const {
  return Edit1->text();
}

void TDicEnterForm::SetWord(const QString& word) {
  Edit1->setText(word);
}

void TDicEnterForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  FormShow();
}

bool TDicEnterForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && Edit2KeyPress(static_cast<QKeyEvent*>(event)))
    return true;
  return QDialog::eventFilter(watched, event);
}

void TDicEnterForm::FormShow() {
  Edit2->setFocus();
  Edit2->selectAll();
  AlignPreviewLeft();
}

void TDicEnterForm::Edit1Change() {
  setWindowTitle(QStringLiteral("Enter your equilivent for \"%1\"").arg(Edit1->text()));
  Edit2->setText(Edit1->text());
  RadioItems->button(esWholeWords)->setChecked(true);
  const std::string key = ToAnsi(Edit1->text());
  if (const std::string prefix = PrefixWords->Find(key); !prefix.empty()) {
    Edit2->setText(FromAnsi(prefix));
    RadioItems->button(esPrefixWords)->setChecked(true);
  } else if (const std::string whole = WholeWords->Find(key); !whole.empty()) {
    Edit2->setText(FromAnsi(whole));
  }
}

void TDicEnterForm::Edit2Change() {
  ResultRichEdit->setPlainText(ByLetterRules(Edit2->text()));
  AlignPreviewLeft();
}

bool TDicEnterForm::Edit2KeyPress(QKeyEvent* key) {
  if (key->key() == Qt::Key_Escape) {
    CancelBtnClick();
    return true;
  }
  // Nor does a blank press a button.
  return key->text() == QStringLiteral(" ");
}

void TDicEnterForm::OKBtnClick() {
  const std::string key = ToAnsi(Edit1->text());
  // An empty key could never be found, and would only leave a stray line in the file.
  if (key.empty()) {
    reject();
    return;
  }
  if (const QString refusal = EntryRefusal(Edit1->text(), Edit2->text()); !refusal.isEmpty()) {
    MessageBoxes::Show(this, MessageBoxes::Type::Error, refusal);
    return;
  }
  const std::string value = ToAnsi(Edit2->text());
  const bool prefix = RadioItems->checkedId() == esPrefixWords;
  TDicValueObject& target = *(prefix ? PrefixWords : WholeWords);
  TDicValueObject& other = *(prefix ? WholeWords : PrefixWords);
  target.SetEntry(key, value);
  if (key == value) target.DeleteEntry(key);
  // A word is corrected by one of the two sections only.
  if (!other.Find(key).empty()) other.DeleteEntry(key);
  accept();
}

void TDicEnterForm::CancelBtnClick() {
  reject();
}

void TDicEnterForm::AlignPreviewLeft() {
  TParaFormat left;
  left.Alignment = paLeft;
  ResultRichEdit->SetParagraph(left, TParaFormat::fAlignment);
}
