// The dictionary tab of the settings dialog: one key/value grid per section, a preview of what the
// letter rules make of the cell being edited, and the grids written back on Apply.
#include <QFile>
#include <QHBoxLayout>
#include <QMenu>
#include <QProgressBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTextLayout>
#include <iterator>

#include "Dictionary.h"
#include "MessageBoxes.h"
#include "MyStaticText.h"
#include "PersianFont.h"
#include "RichEdit.h"
#include "RomanizedText.h"
#include "ValueListEditor.h"
#include "uSettings.h"

namespace {

constexpr int kHelpPointSize = 9;
constexpr int kHelpWidth = 180;
constexpr int kPreviewPointSize = 11;

const QString kWhole = QStringLiteral("Whole");
const QString kPrefix = QStringLiteral("Prefix");

struct TPageInfo {
  const char* Caption;
  const char* GridName;
  // The number that the move targets name the page by; the hidden Chat page shares Polite's.
  int Tag;
  TDicValueObject** Section;  // none for the Chat and English pages
  const char16_t* Help;
};

// The Persian help texts, in pieces that fit a line.
// clang-format off
constexpr const char16_t* kWholeWordHelp =
    u"کلمات ستون اول به کلمات ستون دوم تبدیل می‌شوند. "
    u"کلمات تازه را در انتهای ستون‌ها بنویسید. "
    u"همه حروف را کوچک بنویسید. "
    u"برای حذف یک مورد، هر دو کلمه‌اش را پاک کنید.";
constexpr const char16_t* kPrefixHelp =
    u"اگر کلمه‌ای که می‌نویسید با کلمه‌ای از ستون اول آغاز شود، "
    u"آن بخش مشترک به کلمه روبه‌رویش در ستون دوم تبدیل می‌شود. "
    u"موارد تازه را در انتهای ستون‌ها بنویسید. "
    u"برای حذف یک مورد، هر دو بخش را پاک کنید.";
constexpr const char16_t* kMiddleHelp =
    u"اگر کلمه‌ای از ستون اول در میان کلمه‌ای که می‌نویسید بیاید، "
    u"آن بخش به کلمه روبه‌رویش در ستون دوم تبدیل می‌شود. "
    u"موارد تازه را در انتهای ستون‌ها بنویسید. "
    u"برای حذف یک مورد، هر دو بخش را پاک کنید.";
constexpr const char16_t* kSuffixHelp =
    u"اگر کلمه‌ای که می‌نویسید به کلمه‌ای از ستون اول پایان یابد، "
    u"آن بخش به کلمه روبه‌رویش در ستون دوم تبدیل می‌شود. "
    u"موارد تازه را در انتهای ستون‌ها بنویسید. "
    u"برای حذف یک مورد، هر دو بخش را پاک کنید.";
constexpr const char16_t* kChatHelp = u"این بخش در دست ساخت است.";
constexpr const char16_t* kEnglishHelp =
    u"این کلمات هر جا در متن بیایند انگلیسی می‌مانند؛ "
    u"با سبک Prefix کلمات بلندتری هم که با آن‌ها آغاز شوند. "
    u"کلمات تازه را در انتها بنویسید. "
    u"برای حذف یک کلمه، آن را پاک کنید و به خانه دیگری بروید.";

constexpr TPageInfo kPages[] = {
    {"Whole Words",   "ValueListEditor_Whole",   0, &WholeWords,  kWholeWordHelp},
    {"Prefix Words",  "ValueListEditor_Prefix",  1, &PrefixWords, kPrefixHelp},
    {"Middle Words",  "ValueListEditor_Middle",  2, &MiddleWords, kMiddleHelp},
    {"Suffix Words",  "ValueListEditor_Suffix",  3, &SuffixWords, kSuffixHelp},
    {"Polite Words",  "ValueListEditor_Polite",  4, &PoliteWords, kWholeWordHelp},
    {"Chat Words",    "ValueListEditor_Chat",    4, nullptr,      kChatHelp},
    {"English Words", "ValueListEditor_English", 6, nullptr,      kEnglishHelp},
};
// clang-format on
static_assert(std::size(kPages) == dpEnglish + 1);

// The sections are copied into the pages in this order, and back in the other.
constexpr TDictionaryPage kFillOrder[] = {dpSuffix, dpMiddle, dpWhole, dpPolite, dpPrefix};
constexpr TDictionaryPage kApplyOrder[] = {dpWhole, dpPrefix, dpSuffix, dpPolite, dpMiddle};

// The items of "Move selected entry to", by tag.
constexpr const char* kMoveTargetNames[] = {"WholeWords1", "PrefixWords1", "MiddleWords1",
                                            "SuffixWords1", "PoliteWords1"};

TDicValueObject& SectionOf(TDictionaryPage page) {
  return **kPages[page].Section;
}

TLines EnglishLines() {
  TLines whole, prefix;
  EnglishWholeWords->SaveTo(whole);
  EnglishPrefixWords->SaveTo(prefix);
  for (const std::string_view line : prefix) whole.push_back(line);
  return whole;
}

// The labels lay out each paragraph as one line, so a long text is broken into lines of at most
// width pixels here, between words.
QString BrokenIntoLines(const QString& text, const QFont& font, int width) {
  QTextLayout layout(text, font);
  QTextOption option(Qt::AlignRight);
  option.setTextDirection(Qt::RightToLeft);
  option.setWrapMode(QTextOption::WordWrap);
  layout.setTextOption(option);
  QStringList lines;
  layout.beginLayout();
  for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
    line.setLineWidth(width);
    lines << text.mid(line.textStart(), line.textLength()).trimmed();
  }
  layout.endLayout();
  return lines.join(QLatin1Char('\n'));
}

// Whether a section built from lines would change word.
bool Changes(TDicKind kind, const TLines& lines, const std::string& word) {
  TDicValueObject section(kind);
  section.LoadFromLines(lines);
  return section.MatchesPart(word);
}

void RefuseEnglishWord(QWidget* parent, const char* page) {
  MessageBoxes::Show(parent, MessageBoxes::Type::Error,
                     QStringLiteral("You can not enter a word wich can be changed by persian "
                                    "Dictionaries.\r\nConflict with %1 Dictionary.")
                         .arg(QLatin1String(page)));
}

}  // namespace

void TSettingsForm::InitDictionaryTab(QWidget* tab) {
  PageControl2 = new QTabWidget(tab);
  PageControl2->setObjectName(QStringLiteral("PageControl2"));
  // Six captions share the width of the tab: a smaller face keeps every one of them in sight.
  QFont captions = PageControl2->tabBar()->font();
  captions.setPointSizeF(captions.pointSizeF() - 1.5);
  PageControl2->tabBar()->setFont(captions);
  auto* layout = new QVBoxLayout(tab);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(PageControl2);
  for (int page = dpWhole; page <= dpEnglish; ++page) {
    auto* widget = new QWidget;
    PageControl2->addTab(widget, QLatin1String(kPages[page].Caption));
    InitDictionaryPage(TDictionaryPage(page), widget);
  }
  PageControl2->setTabVisible(dpChat, false);
  InitValueListPopupMenu();
  connect(PageControl2, &QTabWidget::currentChanged, this, &TSettingsForm::PageControl2Change);

  ResultRichEdit = NewLetterRulesPreview(this, kPreviewPointSize);
  ResultRichEdit->SetRightToLeft();
  ResultRichEdit->setGeometry(4, 278, 270, 38);
  ResultRichEdit->hide();

  DicProgressBar = new QProgressBar(this);
  DicProgressBar->setObjectName(QStringLiteral("DicProgressBar"));
  DicProgressBar->setRange(0, int(std::size(kFillOrder)) + 1);
  DicProgressBar->setTextVisible(false);
  DicProgressBar->setGeometry(4, 290, 270, 16);
  DicProgressBar->hide();
}

void TSettingsForm::InitDictionaryPage(TDictionaryPage page, QWidget* tab) {
  const TPageInfo& info = kPages[page];
  const bool english = page == dpEnglish;
  auto* grid =
      english ? new TValueListEditor(QStringLiteral("English Word"), QStringLiteral("Style"), tab)
              : new TValueListEditor(QStringLiteral("Convert this column"),
                                     QStringLiteral("Into this column"), tab);
  grid->setObjectName(QLatin1String(info.GridName));
  grid->setAccessibleName(QLatin1String(info.Caption));
  ValueListEditors[page] = grid;

  auto* help = new TMyStaticText(tab);
  help->setObjectName(QLatin1String(info.GridName) + QStringLiteral("Help"));
  QFont font(PersianFace());
  font.setPointSize(kHelpPointSize);
  help->setFont(font);
  help->setFixedWidth(kHelpWidth);
  const int lineWidth = kHelpWidth - 2 * int(help->document()->documentMargin()) - 2;
  help->setPlainText(BrokenIntoLines(QString::fromUtf16(info.Help), font, lineWidth));
  auto* layout = new QHBoxLayout(tab);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addWidget(grid);
  layout->addWidget(help);

  if (english) {
    grid->SetPickList({kWhole, kPrefix});
    grid->SetDeleteRowsWithoutKey(true);
    grid->SetValidate([this](int, QString& key, QString& value) {
      return ValueListEditor_EnglishValidate(key, value);
    });
    connect(grid, &QTableWidget::currentCellChanged, this,
            &TSettingsForm::ValueListEditor_EnglishSelectCell);
    connect(grid, &TValueListEditor::StringsChange, this, [this] { PageEdited[dpEnglish] = true; });
    return;
  }
  grid->SetValidate(
      [this](int, QString& key, QString& value) { return ValueListEditorValidate(key, value); });
  // An empty value would cut the matched part out of every word typed (on the Polite page the
  // whole word), and on the Whole page it would mean nothing.
  grid->SetValueRequired(QLatin1String(info.Caption));
  connect(grid, &TValueListEditor::Entered, this,
          [this, grid] { ValueListEditor_WholeEnter(grid); });
  connect(grid, &TValueListEditor::Exited, this, [this, grid] { ValueListEditor_WholeExit(grid); });
  connect(grid, &TValueListEditor::EditStarted, this,
          [this, grid] { ValueListEditorGetEditText(grid); });
  connect(grid, &TValueListEditor::EditTextChanged, this, &TSettingsForm::ShowPreview);
  // A refused edit leaves the cell as it was, and the preview follows it back.
  connect(grid, &TValueListEditor::EditEnded, this, [this, grid] {
    ValueListEditor_WholeSelectCell(grid, grid->currentRow(), grid->currentColumn());
  });
  connect(grid, &QTableWidget::currentCellChanged, this, [this, grid](int row, int column) {
    ValueListEditor_WholeSelectCell(grid, row, column);
  });
  connect(grid, &TValueListEditor::StringsChange, this,
          [this, grid] { ValueListEditor_WholeStringsChange(grid); });
  if (page == dpChat) return;
  grid->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(grid, &QWidget::customContextMenuRequested, this,
          [this, grid](const QPoint& pos) { ValueListEditorContextPopup(grid, pos); });
}

void TSettingsForm::InitValueListPopupMenu() {
  ValueListPopupMenu = new QMenu(this);
  ValueListPopupMenu->setObjectName(QStringLiteral("ValueListPopupMenu"));
  InsertNewEntryPopUp = ValueListPopupMenu->addAction(QStringLiteral("Insert new entry"));
  InsertNewEntryPopUp->setObjectName(QStringLiteral("InsertNewEntryPopUp"));
  Moveselectedentryto1 = ValueListPopupMenu->addMenu(QStringLiteral("Move selected entry to"));
  Moveselectedentryto1->setObjectName(QStringLiteral("Moveselectedentryto1"));
  for (int tag = dpWhole; tag <= dpPolite; ++tag) {
    QAction* target = Moveselectedentryto1->addAction(QLatin1String(kPages[tag].Caption));
    target->setObjectName(QLatin1String(kMoveTargetNames[tag]));
    target->setData(tag);
    MoveTargets[tag] = target;
  }
  DeleteSelectedEntry1 = ValueListPopupMenu->addAction(QStringLiteral("Delete Selected Entry"));
  DeleteSelectedEntry1->setObjectName(QStringLiteral("DeleteSelectedEntry1"));
  connect(ValueListPopupMenu, &QMenu::aboutToShow, this, &TSettingsForm::ValueListPopupMenuPopup);
  connect(Moveselectedentryto1, &QMenu::aboutToShow, this,
          &TSettingsForm::Moveselectedentryto1Click);
  connect(Moveselectedentryto1, &QMenu::triggered, this, &TSettingsForm::MoveWordsClick);
  connect(InsertNewEntryPopUp, &QAction::triggered, this, &TSettingsForm::InsertNewEntryPopUpClick);
  connect(DeleteSelectedEntry1, &QAction::triggered, this,
          &TSettingsForm::DeleteSelectedEntry1Click);
}

void TSettingsForm::FillDictionaryPages() {
  if (DicPagesLoaded) return;
  int step = 0;
  DicProgressBar->setValue(step);
  DicProgressBar->show();
  const auto advance = [&] {
    DicProgressBar->setValue(++step);
    DicProgressBar->repaint();
  };
  for (const TDictionaryPage page : kFillOrder) {
    TDicValueObject& section = SectionOf(page);
    // The grid of an unchanged section still holds what the user last saw and applied.
    if (section.Modified || PageEdited[page]) {
      TLines lines;
      section.SaveTo(lines);
      ValueListEditors[page]->SetLines(lines);
      section.Modified = false;
      PageEdited[page] = false;
    }
    advance();
  }
  if (EnglishWholeWords->Modified || EnglishPrefixWords->Modified || PageEdited[dpEnglish]) {
    ValueListEditors[dpEnglish]->SetLines(EnglishLines());
    EnglishWholeWords->Modified = false;
    EnglishPrefixWords->Modified = false;
    PageEdited[dpEnglish] = false;
  }
  advance();
  DicPagesLoaded = true;
  DicProgressBar->hide();
}

void TSettingsForm::ApplyDictionaryPages() {
  if (!DicPagesLoaded) return;
  for (const TDictionaryPage page : kApplyOrder) {
    TValueListEditor* grid = ValueListEditors[page];
    grid->RefuseRowWithoutValue();
    TDicValueObject& section = SectionOf(page);
    section.LoadFromLines(grid->Lines());
    section.Modified = false;
    PageEdited[page] = false;
  }
  LoadEnglishWords(ValueListEditors[dpEnglish]->Lines());
  EnglishWholeWords->Modified = false;
  EnglishPrefixWords->Modified = false;
  PageEdited[dpEnglish] = false;
  if (!SaveDictionary())
    MessageBoxes::Show(this, MessageBoxes::Type::Warning,
                       QStringLiteral("Cannot write to file \"%1\".All your changes might lost if "
                                      "you exit program!!")
                           .arg(QFile::decodeName(DictionaryFileName.c_str())));
}

void TSettingsForm::PageControl2Change(int index) {
  // The page's grid takes the keys, as the move of an entry to another page expects.
  if (isVisible()) ValueListEditors[index]->setFocus(Qt::OtherFocusReason);
  const TValueListEditor* grid = ActiveGrid();
  ShowPreview(grid ? grid->Text(grid->currentRow(), grid->currentColumn()) : QString());
}

void TSettingsForm::ValueListEditor_WholeEnter(TValueListEditor* grid) {
  ActiveDicEditor = grid;
}

void TSettingsForm::ValueListEditor_WholeExit(TValueListEditor* grid) {
  if (ActiveDicEditor == grid) ActiveDicEditor = nullptr;
}

void TSettingsForm::ValueListEditorGetEditText(TValueListEditor* grid) {
  ActiveDicEditor = grid;
}

void TSettingsForm::ValueListEditor_WholeSelectCell(TValueListEditor* grid, int row, int column) {
  ShowPreview(grid->Text(row, column));
}

void TSettingsForm::ValueListEditor_WholeStringsChange(TValueListEditor* grid) {
  OptionsChanged = true;
  for (int page = dpWhole; page <= dpChat; ++page)
    if (ValueListEditors[page] == grid) PageEdited[page] = true;
  if (TValueListEditor* active = ActiveGrid())
    ShowPreview(active->Text(active->currentRow(), active->currentColumn()));
}

bool TSettingsForm::ValueListEditorValidate(QString& key, QString& value) {
  if (key == key.toLower() && value == value.toLower()) return true;
  MessageBoxes::Show(this, MessageBoxes::Type::Error,
                     QStringLiteral("Please enter words in lower case.Words in uppercase are "
                                    "reserved for applying wothout dictionary"));
  return false;
}

void TSettingsForm::ValueListEditorContextPopup(TValueListEditor* grid, const QPoint& pos) {
  // The entry under the pointer is the one the menu acts on.
  if (const QModelIndex index = grid->indexAt(pos); index.isValid())
    grid->setCurrentCell(index.row(), index.column());
  ActiveDicEditor = grid;
  ValueListPopupMenu->popup(grid->viewport()->mapToGlobal(pos));
}

void TSettingsForm::ValueListPopupMenuPopup() {
  for (QAction* target : MoveTargets) target->setEnabled(true);
  // The empty row for a new entry holds nothing to move or delete.
  const TValueListEditor* grid = ActiveGrid();
  const bool onEntry = grid && grid->currentRow() >= 0 && grid->currentRow() < grid->EntryCount();
  InsertNewEntryPopUp->setEnabled(grid != nullptr);
  Moveselectedentryto1->setEnabled(onEntry);
  DeleteSelectedEntry1->setEnabled(onEntry);
}

void TSettingsForm::InsertNewEntryPopUpClick() {
  TValueListEditor* grid = ActiveGrid();
  if (!grid) return;
  const int row = grid->currentRow() < 0 ? grid->EntryCount() : grid->currentRow();
  grid->InsertEntryRow(row);
  grid->setCurrentCell(row, vcKey);
}

void TSettingsForm::Moveselectedentryto1Click() {
  const int own = kPages[PageControl2->currentIndex()].Tag;
  for (QAction* target : MoveTargets) target->setEnabled(target->data().toInt() != own);
}

void TSettingsForm::MoveWordsClick(QAction* target) {
  TValueListEditor* from = ActiveGrid();
  const int tag = target->data().toInt();
  TValueListEditor* to = ValueListEditors[tag];
  if (!from || from == to) return;
  // The entry moves as its cell editor leaves it.
  from->CloseEditor();
  if (from->RefuseRowWithoutValue()) return;
  const int row = from->currentRow();
  if (row < 0 || row >= from->EntryCount()) return;
  const QString key = from->Key(row);
  const QString value = from->Value(row);
  if (to->FindKey(key) >= 0) {
    MessageBoxes::Show(this, MessageBoxes::Type::Error,
                       QStringLiteral("\"%1\" is already on the page \"%2\", so the entry stays "
                                      "where it is.")
                           .arg(key, QLatin1String(kPages[tag].Caption)));
    return;
  }
  from->DeleteEntryRow(row);
  PageControl2->setCurrentIndex(tag);
  to->AppendEntry(key, value);
  to->setCurrentCell(to->EntryCount() - 1, vcKey);
}

void TSettingsForm::DeleteSelectedEntry1Click() {
  TValueListEditor* grid = ActiveGrid();
  if (!grid) return;
  // Removed under an open cell editor, the row would leave the grid stuck in editing.
  grid->CloseEditor();
  grid->DeleteEntryRow(grid->currentRow());
}

void TSettingsForm::ValueListEditor_EnglishSelectCell(int row, int column) {
  TValueListEditor* grid = ValueListEditors[dpEnglish];
  // A style belongs to a word: the value cell of a row without one is passed by, once the view
  // has finished moving there.
  if (column != vcValue || !grid->Key(row).isEmpty()) return;
  QMetaObject::invokeMethod(
      grid,
      [grid, row] {
        if (grid->currentColumn() == vcValue && grid->currentRow() == row &&
            grid->Key(row).isEmpty())
          grid->setCurrentCell(row, vcKey);
      },
      Qt::QueuedConnection);
}

bool TSettingsForm::ValueListEditor_EnglishValidate(QString& key, QString& value) {
  key = key.toLower();
  if (value.isEmpty()) value = kWhole;
  // The word is checked as it will be stored: a capital would slip past the lookups.
  const std::string word = ToAnsi(key);
  if (Changes(dkWhole, ValueListEditors[dpWhole]->Lines(), word)) {
    RefuseEnglishWord(this, "Whole Words");
    return false;
  }
  if (value == kPrefix && Changes(dkPrefix, ValueListEditors[dpPrefix]->Lines(), word)) {
    RefuseEnglishWord(this, "Prefix Words");
    return false;
  }
  return true;
}

TValueListEditor* TSettingsForm::ActiveGrid() const {
  for (TValueListEditor* grid : ValueListEditors)
    if (grid == ActiveDicEditor) return grid;
  return nullptr;
}

void TSettingsForm::ShowPreview(const QString& romanized) {
  ResultRichEdit->setPlainText(ByLetterRules(romanized));
}
