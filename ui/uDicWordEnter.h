#pragma once
// The word entry dialog: the user's correction of one romanized word, stored as a whole-word or
// a prefix entry of the dictionary, with a preview of the correction by the letter rules alone.
#include <QDialog>

class QButtonGroup;
class QGroupBox;
class QKeyEvent;
class QLineEdit;
class QPushButton;
class QRadioButton;
class RichEdit;
class TMyStaticText;

// RadioGroup1's items: the section that takes the entry.
enum TEntrySection : int { esWholeWords = 0, esPrefixWords = 1 };

class TDicEnterForm : public QDialog {
  Q_OBJECT
 public:
  explicit TDicEnterForm(QWidget* parent = nullptr);

  // The word to correct (the key), as Edit1 holds it.
  QString Word() const;
  // Puts word into Edit1; a different word refills the dialog from the dictionary.
  void SetWord(const QString& word);

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FormShow();
  void Edit1Change();
  void Edit2Change();
  // True when the key is used up: Escape closes, a blank does nothing.
  bool Edit2KeyPress(QKeyEvent* key);
  void OKBtnClick();
  void CancelBtnClick();
  void AlignPreviewLeft();

  QLineEdit* Edit1;
  QLineEdit* Edit2;
  RichEdit* ResultRichEdit;
  QGroupBox* RadioGroup1;
  QButtonGroup* RadioItems;
  QPushButton* OKBtn;
  QPushButton* CancelBtn;
  TMyStaticText* MyStaticText1;
  TMyStaticText* MyStaticText2;
  TMyStaticText* MyStaticText3;
  TMyStaticText* MyStaticText4;
};
