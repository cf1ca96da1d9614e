#pragma once
// The settings dialog: the engine's options, the output's own font, the marking of English words,
// a few editing options, and the dictionary's sections edited as key/value grids.
#include <QDialog>
#include <QFont>
#include <cstdint>
#include <utility>
#include <vector>

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QMenu;
class QAction;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTableWidget;
class QTableWidgetItem;
class RichEdit;
class TMainForm;
class TMyStaticText;
class TValueListEditor;

// EngFaAttrCombo's items, in list order.
enum TEnglishMarkItem : int {
  emBold = 0,
  emItalic = 1,
  emUnderlineDotted = 2,
  emUnderlineWave = 3,
  emUnderlineDouble = 4,
  emBackgroundColor = 5,
  emInvisible = 6,
};

// PageControl2's pages, in tab order.
enum TDictionaryPage : int {
  dpWhole = 0,
  dpPrefix = 1,
  dpMiddle = 2,
  dpSuffix = 3,
  dpPolite = 4,
  dpChat = 5,
  dpEnglish = 6,
};

class TSettingsForm : public QDialog {
  Q_OBJECT
 public:
  // mainForm is the window whose output and input the options apply to.
  explicit TSettingsForm(TMainForm* mainForm);
  ~TSettingsForm() override;
  // Shows whether the tips window shows at start, without writing it again.
  void SetTipsAtStartUp(bool on);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void InitCommonTab(QWidget* tab);
  void InitEngineTab(QWidget* tab);
  void InitDictionaryTab(QWidget* tab);
  void InitButtons();

  // The first two tabs and the buttons (uSettings.cpp).
  void FormShow();
  void PageControl1Change(int index);
  void ApplyBtnClick();
  void OkBtnClick();
  void CancelBtnClick();
  void AttrSamechkClick();
  void FontBtnClick();
  void TextColorShapeMouseDown(Qt::MouseButton button);
  void CheckBox1Click();
  // fromUser: the user chose the item, so choosing "Background Color" asks for the colour.
  void EngFaAttrComboSelect(bool fromUser);
  void Shape1MouseDown(Qt::MouseButton button);
  void DicBasedchkClick();
  void EnglishDetectchkClick();
  // The font dialog's font and colour shown beside FontBtn.
  void ShowDialogFont();
  // Says once a run, while smart spelling is on, which word list it lacks.
  void ReportMissingWordLists();

  // The dictionary tab (uSettingsDictionary.cpp).
  void InitDictionaryPage(TDictionaryPage page, QWidget* tab);
  void InitValueListPopupMenu();
  void FillDictionaryPages();
  // Writes the grids back into the sections and saves the file, when the pages were filled.
  void ApplyDictionaryPages();
  void PageControl2Change(int index);
  void ValueListEditor_WholeEnter(TValueListEditor* grid);
  void ValueListEditor_WholeExit(TValueListEditor* grid);
  void ValueListEditorGetEditText(TValueListEditor* grid);
  void ValueListEditor_WholeSelectCell(TValueListEditor* grid, int row, int column);
  void ValueListEditor_WholeStringsChange(TValueListEditor* grid);
  bool ValueListEditorValidate(QString& key, QString& value);
  void ValueListEditorContextPopup(TValueListEditor* grid, const QPoint& pos);
  void ValueListPopupMenuPopup();
  void InsertNewEntryPopUpClick();
  void Moveselectedentryto1Click();
  void MoveWordsClick(QAction* target);
  void DeleteSelectedEntry1Click();
  void ValueListEditor_EnglishSelectCell(int row, int column);
  bool ValueListEditor_EnglishValidate(QString& key, QString& value);
  // ActiveDicEditor as the grid it is, or nullptr.
  TValueListEditor* ActiveGrid() const;
  void ShowPreview(const QString& romanized);

  TMainForm* MainForm;
  QTabWidget* PageControl1;
  QPushButton* ApplyBtn;
  QPushButton* OkBtn;
  QPushButton* CancelBtn;
  RichEdit* ResultRichEdit;  // the dictionary tab's preview, below the tabs

  // Shared by the tabs.
  bool DicPagesLoaded = false;
  bool OptionsChanged = false;
  QTableWidget* ActiveDicEditor = nullptr;

  // Common Settings and Translation Engine controls (uSettings.cpp).
  QCheckBox* AttrSamechk;
  QGroupBox* AttrSamegrp;
  QPushButton* FontBtn;
  QLabel* Label4;
  QLabel* Label5;
  QFrame* TextColorShape;
  QCheckBox* CheckBox1;
  QComboBox* EngFaAttrCombo;
  QLabel* Label13;
  QFrame* Shape1;
  QCheckBox* LowerCasePastechk;
  QCheckBox* DicBasedchk;
  QCheckBox* ChatModechk;
  QCheckBox* AutoTashdidchk;
  QCheckBox* AutoPrefixchk;
  QCheckBox* EnglishDetectchk;
  QCheckBox* Treataechk;
  QCheckBox* PoliteModechk;
  QCheckBox* SmartSpellingchk;
  QCheckBox* ModernOrthographychk;
  // The font dialog's choice: the output font that Apply gives the whole output, and its colour
  // (0x00BBGGRR, or clWindowText for the pane's own), which the font dialog cannot pick.
  QFont FontDialogFont;
  uint32_t FontDialogColor;
  uint32_t Shape1Color;  // the candidate background colour of English words
  // Each engine option's check box and the flag that Apply sets from it.
  std::vector<std::pair<QCheckBox*, uint8_t*>> EngineOptionBoxes;
  bool WordListsReported = false;

  // Dictionary tab controls (uSettingsDictionary.cpp).
  QTabWidget* PageControl2;
  TValueListEditor* ValueListEditors[dpEnglish + 1] = {};  // by page
  QMenu* ValueListPopupMenu;
  QAction* InsertNewEntryPopUp;
  QMenu* Moveselectedentryto1;
  QAction* MoveTargets[dpPolite + 1] = {};  // by tag
  QAction* DeleteSelectedEntry1;
  QProgressBar* DicProgressBar;
  // Pages edited since they last took or gave their sections: the next showing fills them again,
  // so that edits closed without Apply are dropped rather than applied later with other changes.
  bool PageEdited[dpEnglish + 1] = {};
};
