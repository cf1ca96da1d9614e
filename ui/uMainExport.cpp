// Getting the Persian text out and Romanesh text in: the output pane's copy menu, the copy-all
// button with its remembered format, "Save to file" and "Load from file". The formats are the
// export units' business; here they are only chosen, and their errors shown.
#include <QActionGroup>
#include <QApplication>
#include <QFileInfo>
#include <QMenu>
#include <QPushButton>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QToolButton>

#include "AccessibleMenus.h"
#include "BitmapFile.h"
#include "ExClipboard.h"
#include "ExportFile.h"
#include "MessageBoxes.h"
#include "NamedButton.h"
#include "PdfFile.h"
#include "RtfReader.h"
#include "RtfWriter.h"
#include "TextFile.h"
#include "trans.h"
#include "uMain.h"
#include "uSaveJpeg.h"

namespace {

// The MIME type of the 8-bit copy for programs that read the Arabic code page.
const QString kAnsiTextType = QStringLiteral("text/plain;charset=windows-1256");

// The copy-all button spans this many cells of the button grid: room for its longest caption
// and its arrow.
constexpr int kArrowButtonCells = 3;

QAction* AddItem(QMenu* menu, const char* name, const QString& caption) {
  QAction* item = menu->addAction(caption);
  item->setObjectName(QLatin1String(name));
  return item;
}

// A radio item of group; its tag is what the handlers read.
QAction* AddRadioItem(QMenu* menu, QActionGroup* group, const char* name, const QString& caption,
                      int tag) {
  QAction* item = AddItem(menu, name, caption);
  item->setData(tag);
  item->setCheckable(true);
  group->addAction(item);
  return item;
}

}  // namespace

void TMainForm::SetupExport() {
  Clipboard = &ExClipboard();

  SnapRichEdit = new RichEdit(this);
  SnapRichEdit->setObjectName(QStringLiteral("SnapRichEdit"));
  SnapRichEdit->setLineWrapMode(QTextEdit::WidgetWidth);
  // Each picture replaces the whole output here; a history would keep every copy.
  SnapRichEdit->setUndoRedoEnabled(false);
  SnapRichEdit->resize(630, 122);
  SnapRichEdit->hide();
  if (FarsiEnabled) SnapRichEdit->SetRightToLeft();
  RTFSnapShot.SetRichedit(SnapRichEdit);

  // The export buttons make a row of the button grid, just above "Settings", "Romanesh Rules"
  // and "About".
  const QRect corner = btnSettings->geometry();
  const int step = btnRomaneshRoles->x() - corner.x();
  const int gap = step - corner.width();
  const auto cells = [&](int column, int count) {
    return QRect(corner.x() + column * step, corner.y() - gap - corner.height(), count * step - gap,
                 corner.height());
  };
  SAvetofileBtn = NamedButton(this, "SAvetofileBtn", QStringLiteral("Save to file"), cells(0, 1));
  LoadfromFileBtn =
      NamedButton(this, "LoadfromFileBtn", QStringLiteral("Load from file"), cells(1, 1));
  connect(SAvetofileBtn, &QPushButton::clicked, this, &TMainForm::SavetoFileBtnClick);
  connect(LoadfromFileBtn, &QPushButton::clicked, this, &TMainForm::LoadFromFileBtnClick);
  SaveRequest.Filter = FilterString(SaveFilters);
  OpenRequest.Filter = FilterString(LoadFilters);

  SetupCopySelectedMenu();
  SetupCopyEntireMenu();
  ArrowButton->setGeometry(cells(2, kArrowButtonCells));
}

void TMainForm::SetupCopySelectedMenu() {
  QMenu* menu = CopyPasteSelectedPopupMenu;
  // The menu's words run left to right, whatever the pane it opens over.
  menu->setLayoutDirection(Qt::LeftToRight);
  connect(AddItem(menu, "AnsiCopy", QStringLiteral("Copy Selected as Ansi")), &QAction::triggered,
          this, &TMainForm::AnsiCopyClick);
  connect(AddItem(menu, "UnicodeCopy", QStringLiteral("Copy Selected as Unicode")),
          &QAction::triggered, this, &TMainForm::UnicodeCopyClick);
  connect(AddItem(menu, "BitmapCopy", QStringLiteral("Copy Selected as Bitmap Image")),
          &QAction::triggered, this, &TMainForm::BitmapCopyClick);
  QMenu* CopySelectedasHTMLformat = menu->addMenu(QStringLiteral("Copy Selected as HTML format"));
  CopySelectedasHTMLformat->setObjectName(QStringLiteral("CopySelectedasHTMLformat"));
  auto* encodings = new QActionGroup(CopySelectedasHTMLformat);
  AddRadioItem(CopySelectedasHTMLformat, encodings, "Unicode1",
               QStringLiteral("Unicode(Recommended)"), 1)
      ->setChecked(true);
  AddRadioItem(CopySelectedasHTMLformat, encodings, "Ansi1", QStringLiteral("Ansi"), 2);
  connect(encodings, &QActionGroup::triggered, this, &TMainForm::Ansi1Click);
}

void TMainForm::SetupCopyEntireMenu() {
  ArrowButton = new QToolButton(this);
  ArrowButton->setObjectName(QStringLiteral("ArrowButton"));
  ArrowButton->setToolButtonStyle(Qt::ToolButtonTextOnly);
  ArrowButton->setPopupMode(QToolButton::MenuButtonPopup);
  ExposeSplitButton(ArrowButton);
  CopyPasteEntirePopupMenu = new QMenu(ArrowButton);
  CopyPasteEntirePopupMenu->setObjectName(QStringLiteral("CopyPasteEntirePopupMenu"));
  ArrowButton->setMenu(CopyPasteEntirePopupMenu);
  connect(ArrowButton, &QToolButton::clicked, this, &TMainForm::ArrowButtonClick);

  QMenu* menu = CopyPasteEntirePopupMenu;
  auto* modes = new QActionGroup(menu);
  QAction* first = AddRadioItem(menu, modes, "Copytoclipboardas1",
                                QStringLiteral("Copy all to clipboard as Ansi Text"), 0);
  AddRadioItem(menu, modes, "CopytoclipboardasUnicodeText1",
               QStringLiteral("Copy all to clipboard as Unicode Text"), 1);
  AddRadioItem(menu, modes, "CopytoclipboardasBitmapImage1",
               QStringLiteral("Copy all to clipboard as Bitmap Image"), 2);
  QMenu* CopyAlltoClipboardasHTMLformat1 =
      menu->addMenu(QStringLiteral("Copy All to Clipboard as HTML format"));
  CopyAlltoClipboardasHTMLformat1->setObjectName(QStringLiteral("CopyAlltoClipboardasHTMLformat1"));
  QAction* html = CopyAlltoClipboardasHTMLformat1->menuAction();
  html->setData(3);
  html->setCheckable(true);
  modes->addAction(html);
  connect(modes, &QActionGroup::triggered, this, &TMainForm::CopyPasteEntireClick);
  // An item with a submenu is chosen by opening its submenu.
  connect(CopyAlltoClipboardasHTMLformat1, &QMenu::aboutToShow, this,
          [this, html] { CopyPasteEntireClick(html); });

  auto* encodings = new QActionGroup(CopyAlltoClipboardasHTMLformat1);
  UnicodeSubPopUp = AddRadioItem(CopyAlltoClipboardasHTMLformat1, encodings, "UnicodeSubPopUp",
                                 QStringLiteral("Unicode(Recomended)"), 3);
  UnicodeSubPopUp->setChecked(true);
  AddRadioItem(CopyAlltoClipboardasHTMLformat1, encodings, "AnsiSubPopUp", QStringLiteral("Ansi"),
               4);
  connect(encodings, &QActionGroup::triggered, this, &TMainForm::AnsiSubPopUpClick);
  CopyPasteEntireClick(first);
}

bool TMainForm::SetCopyEntireMode(int mode) {
  const QList<QAction*> items = CopyPasteEntirePopupMenu->actions();
  // A mode without an item would copy in one format under the caption of another.
  if (mode < 0 || mode >= items.size()) return false;
  CopyPasteEntireClick(items[mode]);
  return true;
}

void TMainForm::CopyAsRichText(int start, int length) {
  QTextCursor range(FarsiRichEdit->document());
  range.setPosition(start);
  range.setPosition(start + length, QTextCursor::KeepAnchor);
  QTextDocument selected;
  selected.setDefaultFont(FarsiRichEdit->document()->defaultFont());
  selected.setDefaultTextOption(FarsiRichEdit->document()->defaultTextOption());
  QTextCursor(&selected).insertFragment(range.selection());
  const QString text = PlainText(selected);
  Clipboard->Open();
  Clipboard->SetBuffer(QStringLiteral("text/rtf"), RtfBytes(selected));
  Clipboard->SetBuffer(QStringLiteral("text/html"), selected.toHtml().toUtf8());
  Clipboard->SetAsText(text);
  Clipboard->SetBuffer(kAnsiTextType, AnsiBytes(text));
  Clipboard->Close();
}

void TMainForm::CopyAsHtml(TStrTransKind translation, int rangeEnd, int rangeStart) {
  RichEditToHtml.StrTranslation = translation;
  std::vector<std::string> lines;
  RichEditToHtml.ConvertToHtmlLines(*FarsiRichEdit, lines, rangeEnd, rangeStart);
  // The HTML source itself, as text.
  Clipboard->SetAsText(HtmlLinesToText(lines));
}

QString TMainForm::WholeOutputPicture(QImage& picture) {
  // A long output takes seconds to lay out.
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const QString error = SnapWholeOutput(RTFSnapShot, *SnapRichEdit, *FarsiRichEdit);
  if (error.isEmpty()) picture = RTFSnapShot.GetBitmap();
  RTFSnapShot.Clear();
  QApplication::restoreOverrideCursor();
  return error;
}

void TMainForm::AnsiCopyClick() {
  if (FarsiRichEdit->SelLength() > 0)
    CopyAsRichText(FarsiRichEdit->SelStart(), FarsiRichEdit->SelLength());
}

void TMainForm::UnicodeCopyClick() {
  if (FarsiRichEdit->SelLength() > 0)
    Clipboard->SetAsText(PlainText(*FarsiRichEdit->document(), FarsiRichEdit->SelStart(),
                                   FarsiRichEdit->SelLength()));
}

void TMainForm::BitmapCopyClick() {
  if (FarsiRichEdit->SelLength() == 0) return;
  TRTFSnapShot snapShot;
  snapShot.SetRichedit(FarsiRichEdit);
  snapShot.Snap(FarsiRichEdit->SelStart(), FarsiRichEdit->SelLength(),
                FarsiRichEdit->viewport()->width(), 0);
  Clipboard->Assign(snapShot.GetBitmap());
}

void TMainForm::Ansi1Click(QAction* item) {
  item->setChecked(true);
  const int start = FarsiRichEdit->SelStart();
  CopyAsHtml(item->data().toInt() == 1 ? unicode : ansi, start + FarsiRichEdit->SelLength(), start);
}

void TMainForm::CopyPasteEntireClick(QAction* item) {
  item->setChecked(true);
  ArrowButton->setText(item->text());
  ArrowButtonTag = item->data().toInt();
}

void TMainForm::AnsiSubPopUpClick(QAction* item) {
  item->setChecked(true);
}

void TMainForm::ArrowButtonClick() {
  FarsiRichEdit->selectAll();
  switch (ArrowButtonTag) {
    case 0:
      CopyAsRichText(0, FarsiRichEdit->TextLength());
      break;
    case 1:
      Clipboard->SetAsText(PlainText(*FarsiRichEdit->document()));
      break;
    case 2: {
      QImage picture;
      if (const QString error = WholeOutputPicture(picture); !error.isEmpty())
        MessageBoxes::Show(this, MessageBoxes::Type::Error, error);
      else
        Clipboard->Assign(picture);
      break;
    }
    default:
      CopyAsHtml(UnicodeSubPopUp->isChecked() ? unicode : ansi, -1, 0);
      break;
  }
}

void TMainForm::SavetoFileBtnClick() {
  const std::optional<Dialogs::FileChoice> choice = Dialogs::Current().Save(this, SaveRequest);
  if (!choice) return;
  SaveRequest.FilterIndex = choice->FilterIndex;
  const auto format = TSaveFormat(choice->FilterIndex);
  const QString fileName = WithDefaultExtension(choice->FileName, format);
  SaveRequest.FileName = fileName;
  // The dialog asked about the name as typed; the name with its extension may be another file.
  if (fileName != choice->FileName && QFileInfo::exists(fileName) &&
      MessageBoxes::Show(this, MessageBoxes::Type::Warning,
                         QStringLiteral("%1 already exists.\nDo you want to replace it?")
                             .arg(QFileInfo(fileName).fileName()),
                         MessageBoxes::Buttons::YesNo) != MessageBoxes::Answer::Yes)
    return;
  const QString error = SaveOutput(fileName, format);
  if (!error.isEmpty()) MessageBoxes::Show(this, MessageBoxes::Type::Error, error);
}

QString TMainForm::SaveOutput(const QString& fileName, TSaveFormat format) {
  const QTextDocument& output = *FarsiRichEdit->document();
  switch (format) {
    case sfRichText:
      return SaveRtfFile(output, fileName);
    case sfUnicodeText:
      return SaveTextFile(output, fileName);
    case sfBitmap: {
      QImage picture;
      const QString error = WholeOutputPicture(picture);
      return error.isEmpty() ? SaveBitmapFile(picture, fileName) : error;
    }
    case sfJpeg:
      return SaveJpeg(fileName);
    case sfHtmlUnicode:
    case sfHtmlAnsi:
      RichEditToHtml.StrTranslation = format == sfHtmlUnicode ? unicode : ansi;
      return RichEditToHtml.ConvertToHtmlFile(*FarsiRichEdit, fileName);
    case sfPdf:
      return SavePdfFile(output, fileName);
  }
  return {};
}

QString TMainForm::SaveJpeg(const QString& fileName) {
  QImage rows;
  if (QString error = WholeOutputPicture(rows); !error.isEmpty()) return error;
  TJpegImage picture(std::move(rows));
  TJpegForm options(picture, this);
  options.exec();
  // Saved however the options were closed: the user has already chosen to save.
  return picture.SaveToFile(fileName);
}

void TMainForm::LoadFromFileBtnClick() {
  const std::optional<Dialogs::FileChoice> choice = Dialogs::Current().Open(this, OpenRequest);
  if (!choice) return;
  OpenRequest.FilterIndex = choice->FilterIndex;
  OpenRequest.FileName = choice->FileName;
  // The loaded file replaces the typed text and its undo history: nothing typed goes unasked.
  if (!EnglishRichEdit->document()->isEmpty() &&
      MessageBoxes::Show(this, MessageBoxes::Type::Warning,
                         QStringLiteral("The input holds text.\nDo you want to replace it with %1?")
                             .arg(QFileInfo(choice->FileName).fileName()),
                         MessageBoxes::Buttons::YesNo) != MessageBoxes::Answer::Yes)
    return;
  const QString error = LoadInput(choice->FileName, TLoadFormat(choice->FilterIndex));
  if (!error.isEmpty()) MessageBoxes::Show(this, MessageBoxes::Type::Error, error);
}

QString TMainForm::LoadInput(const QString& fileName, TLoadFormat format) {
  QTextDocument& input = *EnglishRichEdit->document();
  QString error;
  {
    TFrozenDisplay frozen(*EnglishRichEdit);
    Loading = true;
    // A file that cannot be read leaves the input as it was, its undo history included.
    error = format == lfRichText ? LoadRtfFile(input, fileName) : LoadTextFile(input, fileName);
    if (error.isEmpty()) {
      // Lines are paragraphs: a line break inside a paragraph would join two lines into one.
      EnglishRichEdit->BreakSoftLines(0, EnglishRichEdit->TextLength());
      // A loaded file starts a history of its own.
      input.clearUndoRedoStacks();
    }
    Loading = false;
  }
  if (!error.isEmpty()) return error;
  // Every line is converted afresh: the output is rebuilt from empty rather than trimmed, which
  // would leave the old output's line ends behind a shorter file's lines.
  FarsiRichEdit->ClearAll();
  ReconvertAll();
  return {};
}
