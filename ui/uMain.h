#pragma once
// The main window: the Romanesh input pane, the Persian output pane and the live conversion of
// every changed input line into the matching output line.
#include <QFont>
#include <QWidget>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Dialogs.h"
#include "ParagraphCopy.h"
#include "RTFSnapShot.h"
#include "RichEdit.h"
#include "RichEditToHtml.h"
#include "SaveFormats.h"
#include "WideStringList.h"
#include "WindowTargets.h"

class QAction;
class QCheckBox;
class QComboBox;
class QKeyEvent;
class QMouseEvent;
class QFontComboBox;
class QLabel;
class QMenu;
class QPushButton;
class QSlider;
class QToolBar;
class QToolButton;
class TExClipboard;
class THighlightFrame;
class TMyStaticText;
class QWidgetAction;
class TDicEnterForm;
struct TSimilarWord;
class Registry;
class TTipOfDay;
class TSettingsForm;
class TMainForm;

// How the user marks the words that stay in Latin letters.
enum TEnglishStyle : uint8_t {
  esBold = 0,
  esItalic = 1,
  esUnderline = 2,  // of the underline type EnglishUnderlineType
  esBackColor = 3,  // EnglishBackColor
  esAnimation = 4,  // EnglishAnimationType
};

// Window settings, alive for the whole run.
extern bool SameAttributes;           // copy paragraph and word formats onto the output
extern uint8_t EnglishStyle;          // a TEnglishStyle; any other value marks nothing
extern uint8_t EnglishUnderlineType;  // rich-text underline-type code
extern uint32_t EnglishBackColor;     // 0x00BBGGRR
extern uint8_t EnglishAnimationType;  // rich-text animation code
extern bool LowerCasePaste;           // lower-case what the keyboard pastes into the input

// Formats chosen in the tool bar that the next typed character still has to receive.
enum TPendingFlag : uint8_t {
  pfStyle = 0x01,
  pfColor = 0x02,
  pfBullet = 0x04,
  pfAlignment = 0x08,
  pfFont = 0x10,
  pfEnglishBackColor = 0x20,
  pfEnglishAnimation = 0x40,
};

// The Persian keyboard layout's language: Zefra carries its own Persian layout, so it is
// always there.
inline constexpr uint16_t FarsiLanguageId = LangPersian;

// Start-up and the stored settings (uMainSettings.cpp).
// Where users send bug reports and suggestions.
inline constexpr char MakerEmail[] = "zefra@example.org";
// A note on a settings file Zefra could not read whole, of which it keeps a copy; the first run's
// welcome (not after that note), or an upgrade's note and the tips switched on again; then
// "Version".
void CheckVersion(Registry& registry);
// Reads the stored values into the settings and form, each applied at once: the engine and
// English-word values, the window's, then the options that later versions added. The first
// missing or mistyped value ends the reading, leaving it and the later ones as they were.
void LoadSettings(const Registry& registry, TMainForm& form);
// Writes the engine and English-word values, then, unless engineOnly, form's own; the first
// failed write ends the writing. False when anything was not written.
bool SaveSettings(Registry& registry, bool engineOnly, const TMainForm* form);

// True when the format carries the English marking that EnglishStyle names.
bool IsEnglishStyled(const TCharFormat& format);
// True when the format at edit's caret carries the English marking.
bool IsEnglishStyled(const RichEdit& edit);

// One word's character format, taken from its first character.
struct WordProp {
  uint32_t Color;
  QString Name;  // captured, never applied
  int Size;
  uint8_t Style;
};

// The formats captured from the input line being converted.
struct LineAttributes {
  uint8_t Alignment = paLeft;
  double FirstIndent = 0;
  double LeftIndent = 0;
  double RightIndent = 0;
  uint8_t Numbering = nsNone;
  std::vector<WordProp> Words;
};

class TMainForm : public QWidget {
  Q_OBJECT
 public:
  explicit TMainForm(QWidget* parent = nullptr);
  ~TMainForm() override;

  // Converts every input line that changed since the last conversion into its output line.
  void EnglishRichEditChange();
  // Converts every input line afresh.
  void ReconvertAll();
  // Makes the lines under the input selection count as changed, so that a change of format
  // alone reaches the output.
  void InvalidateSelectedLines();

  // The copy-all mode: the index of the chosen item of the copy-all button's menu.
  int CopyEntireMode() const { return ArrowButtonTag; }
  // Chooses the copy-all mode and shows it on the button and in its menu; false, changing
  // nothing, when no item has that index.
  bool SetCopyEntireMode(int mode);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void SetupCaptions();
  void SetupToolBar();
  void SetupPanes();
  void SetupOptions();
  void SetupButtons();
  void FormCreate();
  void CentreOnDesktop();

  // Tool bar (uMainToolbar.cpp).
  QToolButton* AddToolButton(const char* name, int image, const QString& hint, bool checkable);
  void UpdateToolbar();
  void EnglishRichEditSelectionChange();
  void StyleButtonClick(uint8_t style, bool down);
  void BoldToolBtnClick();
  void ItalicToolBtnClick();
  void UnderLineToolBtnClick();
  void AlignmentButtonClick(QToolButton* clicked, uint8_t alignment);
  void LeftToolBtnClick();
  void CenterToolBtnClick();
  void RightToolBtnClick();
  void BulletToolBtnClick();
  void ColorBox1Change();
  void FontComboChange();
  void FontSizeComboChange();
  void ApplyFontChange(const TCharFormat& format, unsigned field);
  void UndoToolBtnClick();
  void PasteToolBtnClick();
  void EngFaToolBtnClick();
  void EngFarsiToolBtnClick();
  void FocusEditingPane();
  uint32_t SelectedColor() const;

  // Keys and mouse (uMainKeys.cpp).
  bool EnglishRichEditKeyDown(QKeyEvent* key);
  void EnglishRichEditKeyPress(QKeyEvent* key);
  void EnglishRichEditKeyUp(QKeyEvent* key);
  void ApplyPendingFormats();
  void CapsLockSwitch(QKeyEvent* key);
  bool EnglishRichEditMouseDown(QMouseEvent* mouse);
  bool FarsiRichEditKeyDown(QKeyEvent* key);
  bool FarsiRichEditKeyPress(QKeyEvent* key);
  void FarsiRichEditKeyUp();
  bool FarsiRichEditMouseDown(QMouseEvent* mouse);
  void FarsiRichEditDoubleClick(QMouseEvent* mouse);
  void PutInputCaretOnOutputWord(bool insideWord);

  // Clipboard copies, saving and loading (uMainExport.cpp).
  void SetupExport();
  void SetupCopySelectedMenu();
  void SetupCopyEntireMenu();
  void AnsiCopyClick();
  void UnicodeCopyClick();
  void BitmapCopyClick();
  void Ansi1Click(QAction* item);
  void CopyPasteEntireClick(QAction* item);
  void AnsiSubPopUpClick(QAction* item);
  void ArrowButtonClick();
  void SavetoFileBtnClick();
  void LoadFromFileBtnClick();
  void CopyAsRichText(int start, int length);
  void CopyAsHtml(TStrTransKind translation, int rangeEnd, int rangeStart);
  // The picture of the whole output; "" or the message.
  QString WholeOutputPicture(QImage& picture);
  QString SaveOutput(const QString& fileName, TSaveFormat format);
  QString SaveJpeg(const QString& fileName);
  QString LoadInput(const QString& fileName, TLoadFormat format);

  QPushButton* SAvetofileBtn;
  QPushButton* LoadfromFileBtn;
  QToolButton* ArrowButton;
  QMenu* CopyPasteEntirePopupMenu;
  QAction* UnicodeSubPopUp;
  RichEdit* SnapRichEdit;  // scratch space for the pictures of the output
  TExClipboard* Clipboard = nullptr;
  TRichEditToHtml RichEditToHtml;
  TRTFSnapShot RTFSnapShot;
  int ArrowButtonTag = 0;
  // The file dialogs open where the user left them.
  Dialogs::FileRequest SaveRequest;
  Dialogs::FileRequest OpenRequest;

  // Window options and buttons (uMain.cpp).
  void OneWindowClick();
  void StayonTopCheckBoxClick();
  void TransparencyTrackBarChange();
  void btnSettingsClick();
  void btnRomaneshRolesClick();
  void btnAboutClick();

  void ConvertChangedLines();
  // Moves the line copies and output lines below an edit that made or removed line breaks
  // with their input lines; false when they cannot follow and every later line must be compared.
  bool FollowLineBreaks(const TParagraphCopy::TSplice& edited, size_t oldCount);
  void ConvertInputLine(size_t line, const std::u16string& text);
  void AppendOutputLines();
  std::u16string MarkEnglishRuns(int lineStart, const std::u16string& lineText);
  void CopyLineAttributes(int line);
  void DeleteSurplusOutputLines(int inputLineCount);
  void ScrollOutput();
  int ScrollColumn() const;
  void RememberLines();
  void RememberOutputLines();

  TMyStaticText* l_romanesh;
  QToolBar* ToolBar1;
  QFontComboBox* FontCombo;
  QComboBox* FontSizeCombo;
  QToolButton* EngFaToolBtn;
  std::optional<bool> EnglishIconShown;  // which icon EngFaToolBtn shows, once set
  QToolButton* EngFarsiToolBtn;
  QToolButton* BoldToolBtn;
  QToolButton* ItalicToolBtn;
  QToolButton* UnderLineToolBtn;
  QToolButton* LeftToolBtn;
  QToolButton* CenterToolBtn;
  QToolButton* RightToolBtn;
  QToolButton* BulletToolBtn;
  QComboBox* ColorBox1;
  QToolButton* UndoToolBtn;
  QToolButton* PasteToolBtn;
  RichEdit* EnglishRichEdit;
  TMyStaticText* l_farsi;
  RichEdit* FarsiRichEdit;
  QCheckBox* StayonTopCheckBox;
  QCheckBox* OneWindow;
  QLabel* Label2;
  QSlider* TransparencyTrackBar;
  QPushButton* btnSettings;
  QPushButton* btnRomaneshRoles;
  QPushButton* btnAbout;
  QMenu* DicPopupMenu;
  QMenu* CopyPasteSelectedPopupMenu;
  QWidget* KeyMapForm = nullptr;
  QWidget* AboutForm = nullptr;
  TSettingsForm* SettingsForm = nullptr;  // made at the first press of btnSettings

  uint8_t PendingFormat = 0;  // TPendingFlag bits
  uint8_t PendingStyle = 0;   // TFontStyle bits
  uint8_t PendingAlignment = paLeft;
  bool PendingBullet = false;
  QFont PendingFont;
  uint8_t PendingUnderlineType = utSingle;
  // The next Caps Lock release in the input is the window's own press.
  bool CapsLockEcho = false;
  // The input pane's keyboard layout when Backspace was forwarded in "Big Window".
  uint16_t BackspaceLayout = LangEnglishUS;
  // Where the output pane and its caption stood before "Big Window" moved them.
  int FarsiRichEditTag = 0;
  int FarsiCaptionTag = 0;
  bool Converting = false;
  // While set, a change of the input is only noted: it is converted when the edit ends.
  bool ConversionDeferred = false;
  bool ConversionDue = false;
  TWideStringList PreviousInputLines;
  TWideStringList PreviousOutputLines;
  bool Loading = false;
  bool SendingActive = false;

  // The output line to scroll to: the last converted line, else the old output line count.
  size_t CurrentLine = 0;
  LineAttributes CapturedAttributes;
  // Copies of both panes' paragraphs that follow their edits, so that a change reads and
  // compares only the lines it touched.
  TParagraphCopy* InputParagraphs = nullptr;
  TParagraphCopy* OutputParagraphs = nullptr;
  // What the line lists held when this window last wrote them; any other value means that
  // someone else has changed them since.
  uint64_t RememberedInputRevision = 0;
  uint64_t RememberedOutputRevision = 0;
  std::vector<size_t> ConvertedLines;          // during a change
  std::vector<std::u16string> NewOutputLines;  // converted, waiting to be appended

  // The dictionary menu of the input pane (uMainDictionary.cpp).
 public:
  // The check mark of "Correct and add to Dictionary": a picked similar word then corrects the
  // dictionary instead of the text.
  bool CorrectAndAdd() const;
  void SetCorrectAndAdd(bool on);

 private:
  void SetupDictionaryMenu();
  void DicPopupMenuPopup();
  // The character before the caret, or 0 at the start.
  char16_t CharBeforeCaret() const;
  // Sets DicWordStart and DicWordLength to the word around the caret and returns its text.
  std::u16string FindDicWord();
  std::u16string DicWord() const;
  void ClearVariantItems();
  void AddVariantItems(const std::string& word);
  QImage VariantPicture(const TSimilarWord& variant, QSize& textSize);
  void NoDictionaryMNUClick();
  void EnterinDictionaryMNUClick();
  void CorrecAddDicMNUClick();
  void N2Click(QAction* item);
  void EnglishWordMenuItemClick(bool checked);

  QAction* NoDictionaryMNU;
  QAction* EnterinDictionaryMNU;
  QAction* N1;
  QMenu* SimilarWordsMenuItem;
  QAction* CorrecAddDicMNU;
  QAction* N2;
  QWidgetAction* VariantColumns;  // lays the generated items out in columns
  QAction* EnglishWordMenuItem;
  RichEdit* PicRichEdit;
  TRTFSnapShot PicSnapShot;
  TDicEnterForm* DicEnterForm;
  // The word of the menu's last opening.
  int DicWordStart = 0;
  int DicWordLength = 0;
  // The generated items after N2 and their pictures, in submenu order.
  std::vector<QWidgetAction*> VariantItems;
  std::vector<QImage> VariantBitmaps;
  // Start-up and shut-down (uMainSettings.cpp).
 public:
  // Shows the window at the program's start, with the tips unless the user switched them off.
  void ShowAtStartUp();
  // The output pane's own font, and its colour: 0x00BBGGRR, or clWindowText for the pane's
  // default.
  QFont FarsiFont() const;
  void SetFarsiFont(const QFont& font);
  uint32_t FarsiFontColor() const { return FarsiFontColorRef; }
  void SetFarsiFontColor(uint32_t color);
  // Gives the output pane this font and colour, and every character of the output with them.
  void SetWholeOutputFont(const QFont& font, uint32_t color);
  // Brings the window to the front, out of the task bar when minimised.
  void BringToFront();
  // Writes the settings and the dictionary file, as at the end of the program; each file that
  // cannot be written is reported once.
  void SaveUserFiles(Registry& registry);
  // Writes the settings, as SaveSettings at the end of the program, reporting a failure once.
  void SaveSettingsFile(Registry& registry);

 private:
  void FormDestroy();
  void SaveDictionaryFile();
  // Says once per file that it could not be written and why: in a box while the window is shown,
  // else on standard error.
  void ReportUnsavedFile(const QString& fileName, const QString& reason);
  QStringList UnsavedFilesReported;
  void TipOfDay1AfterExecute();
  uint32_t FarsiFontColorRef = clWindowText;
  TTipOfDay* TipOfDay1 = nullptr;

  // Sending the output into another application's window (uMainSend.cpp).
 private:
  void SetupSending();
  bool ZefraImageEvent(QEvent* event);
  void ZefraImageStartDrag();
  void FollowDragPointer(QPoint pointer);
  void ZefraImageEndDrag(int X, int Y);
  // Asks where the candidate looks unsuitable; false when the user ends the choice, else the
  // method chosen in standard.
  bool ChooseMethod(WindowTargets::Handle candidate, const QString& className, const QString& text,
                    bool& standard);
  void LoadTargetText(const QString& text);
  void SendToOutPut();
  void SendWholeOutput();
  void SendChangedLines();
  void CheckBox1Click();
  void CheckBox2Click();
  // Both false when the target took none of the tries of a key.
  bool PostKeyPresses(WindowTargets::Key key, int count);
  bool TypeCharacters(const std::u16string& text, int first, int last);

  QLabel* ZefraImage = nullptr;
  QLabel* Label1;
  QCheckBox* CheckBox1;
  QCheckBox* CheckBox2;
  TWideStringList SendTextLines;
  bool PickingTarget = false;
  THighlightFrame* HighlightFrame;
  WindowTargets::Handle HighlightedWindow = 0;
  WindowTargets::Handle SendTarget = 0;

  friend class tst_uMain;
};
