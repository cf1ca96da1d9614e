#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QToolButton>
#include <QtTest>
#include <memory>

#include "CodePage.h"
#include "Dialogs.h"
#include "Dictionary.h"
#include "MessageBoxes.h"
#include "RtfReader.h"
#include "RtfWriter.h"
#include "SaveFormats.h"
#include "trans.h"
#include "uMain.h"

namespace {

// With an empty dictionary the letter rules alone decide.
const QString kSalam = QStringLiteral(u"\u0633\u0644\u0645");         // SEEN LAM MEEM
const QString kKhoobi = QStringLiteral(u"\u062E\u0648\u0628\u06CC");  // ... FARSI YEH
const QByteArray kSalamKhoobiAnsi = "\xD3\xE1\xE3 \xCE\xE6\xC8\xED";  // YEH as ARABIC YEH
const QString kAnsiTextType = QStringLiteral("text/plain;charset=windows-1256");

class TSilentReporter : public TDictionaryReporter {
 public:
  void Warning(const std::string&) override {}
  void Error(const std::string&) override {}
};

QStringList Shown(const RichEdit& pane) {
  QStringList lines;
  for (const std::u16string& line : pane.Lines()) lines << QString::fromStdU16String(line);
  return lines;
}

// What the output must show for the input as it stands: each line converted on its own.
QStringList Converted(const RichEdit& input) {
  QStringList lines;
  for (const std::u16string& line : input.Lines()) {
    const std::u16string converted = ConvertText(CodePage::ToUnicode(CodePage::FromUnicode(line)));
    lines << (converted.empty() ? QStringLiteral("\r") : QString::fromStdU16String(converted));
  }
  return lines;
}

QByteArray ReadFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

QString RtfText(const QByteArray& rtf) {
  QTextDocument document;
  return ReadRtf(rtf, document) ? document.toPlainText() : QStringLiteral("(not RTF)");
}

// Clicks the item of an open menu as a user does; name names an action or a submenu.
void ClickItem(QMenu* menu, const char* name) {
  QAction* item = menu->findChild<QAction*>(QLatin1String(name));
  if (auto* submenu = menu->findChild<QMenu*>(QLatin1String(name))) item = submenu->menuAction();
  QVERIFY2(item && menu->actions().contains(item), name);
  const QPoint centre = menu->actionGeometry(item).center();
  QTest::mouseMove(menu, centre);
  QTest::mouseClick(menu, Qt::LeftButton, {}, centre);
}

QMenu* OpenPopup() {
  return qobject_cast<QMenu*>(QApplication::activePopupWidget());
}

}  // namespace

class tst_uMainExport : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void init();
  void cleanup();

  void theExportButtonsFillARowOfTheButtonGrid();
  void theSelectionMenuCopiesEachFormat();
  void selectionCopiesNeedASelectionButHtmlDoesNot();
  void theCopyAllButtonCopiesInTheChosenMode();
  void theCopyAllModeIsSetOnlyToAnItem();
  void savingWritesEachFormat_data();
  void savingWritesEachFormat();
  void theSaveDialogOffersTheFiltersAndRemembersTheChoice();
  void anAppendedExtensionAsksBeforeReplacingAFile();
  void loadingFillsTheInputAndConvertsIt_data();
  void loadingFillsTheInputAndConvertsIt();
  void loadingOverTypedTextAsksFirst();
  void failuresShowTheExactMessageAndChangeNothing();
  void anOutputTooTallForAPictureIsRefusedSayingHowMuchFits();
  void theDialogServiceRecordsRequestsAndAnswersInOrder();

 private:
  void ShowForm() {
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
  }
  void TypeSalamKhoobi() {
    QTest::keyClicks(in, QStringLiteral("salam khoobi"));
    QCOMPARE(Shown(*out), QStringList{kSalam + u' ' + kKhoobi});
  }
  // Right-clicks inside the output's selection, which opens the selection menu.
  QMenu* RightClickOnSelection() {
    QTextCursor middle(out->document());
    middle.setPosition(out->SelStart() + out->SelLength() / 2);
    QTest::mouseClick(out->viewport(), Qt::RightButton, {}, out->cursorRect(middle).center());
    return OpenPopup();
  }
  // Chooses the copy-all item through the button's arrow; a submenu's item follows in subItem.
  void ChooseCopyAllItem(const char* name, const char* subItem = nullptr);
  // Clicks "Save to file", answering the dialog with fileName under the filter.
  void SaveAs(const QString& fileName, int filterIndex);
  void LoadFrom(const QString& fileName, int filterIndex);
  QString Path(const char* name) const { return dir.filePath(QLatin1String(name)); }
  QPushButton* Button(const char* name) const {
    return form->findChild<QPushButton*>(QLatin1String(name));
  }
  const QMimeData& Clipboard() const { return *QGuiApplication::clipboard()->mimeData(); }

  QTemporaryDir dir;
  TSilentReporter reporter;
  MessageBoxes::InProcessService* boxes = nullptr;
  Dialogs::InProcessService* dialogs = nullptr;
  std::unique_ptr<TMainForm> form;
  RichEdit* in = nullptr;
  RichEdit* out = nullptr;
  QToolButton* arrow = nullptr;
};

void tst_uMainExport::initTestCase() {
  QVERIFY(dir.isValid());
  const QString path = dir.filePath(QStringLiteral("Zefra.txt"));
  WriteFile(path, {});
  StartDictionaryModule(QFile::encodeName(path).toStdString(), reporter);
  InitializeEngine();
}

void tst_uMainExport::init() {
  auto boxService = std::make_unique<MessageBoxes::InProcessService>();
  boxes = boxService.get();
  MessageBoxes::Install(std::move(boxService));
  auto dialogService = std::make_unique<Dialogs::InProcessService>();
  dialogs = dialogService.get();
  Dialogs::Install(std::move(dialogService));
  QGuiApplication::clipboard()->setText(QStringLiteral("before"));
  form = std::make_unique<TMainForm>();
  in = form->findChild<RichEdit*>(QStringLiteral("EnglishRichEdit"));
  out = form->findChild<RichEdit*>(QStringLiteral("FarsiRichEdit"));
  arrow = form->findChild<QToolButton*>(QStringLiteral("ArrowButton"));
  QVERIFY(in && out && arrow);
}

void tst_uMainExport::cleanup() {
  form.reset();
}

void tst_uMainExport::ChooseCopyAllItem(const char* name, const char* subItem) {
  bool chosen = false;
  // The arrow opens the menu modally: the user's clicks come while it is open.
  QTimer::singleShot(0, this, [&] {
    QMenu* menu = OpenPopup();
    QVERIFY(menu);
    ClickItem(menu, name);
    if (subItem) {
      QTRY_VERIFY(OpenPopup() != menu);
      ClickItem(OpenPopup(), subItem);
    }
    chosen = true;
  });
  const QRect button = arrow->rect();
  QTest::mouseClick(arrow, Qt::LeftButton, {}, QPoint(button.right() - 3, button.center().y()));
  QVERIFY(chosen);
  QTRY_VERIFY(!OpenPopup());
}

void tst_uMainExport::SaveAs(const QString& fileName, int filterIndex) {
  dialogs->FileAnswers.push_back(Dialogs::FileChoice{fileName, filterIndex});
  QTest::mouseClick(Button("SAvetofileBtn"), Qt::LeftButton);
}

void tst_uMainExport::LoadFrom(const QString& fileName, int filterIndex) {
  dialogs->FileAnswers.push_back(Dialogs::FileChoice{fileName, filterIndex});
  QTest::mouseClick(Button("LoadfromFileBtn"), Qt::LeftButton);
}

void tst_uMainExport::theExportButtonsFillARowOfTheButtonGrid() {
  QCOMPARE(Button("SAvetofileBtn")->text(), QStringLiteral("Save to file"));
  QCOMPARE(Button("LoadfromFileBtn")->text(), QStringLiteral("Load from file"));
  // Each sits above a button of the bottom row, as wide, with the bottom row's spacing.
  const QRect settings = Button("btnSettings")->geometry();
  const QRect save = Button("SAvetofileBtn")->geometry();
  const QRect load = Button("LoadfromFileBtn")->geometry();
  QCOMPARE(save, settings.translated(0, -(settings.height() + 8)));
  QCOMPARE(load, Button("btnRomaneshRoles")->geometry().translated(0, save.y() - settings.y()));
  QCOMPARE(arrow->geometry().topLeft(), QPoint(Button("btnAbout")->x(), save.y()));
  QCOMPARE(arrow->height(), save.height());
  const QRect options = form->findChild<QCheckBox*>(QStringLiteral("OneWindow"))->geometry();
  QVERIFY(save.top() > options.bottom());
  QVERIFY(arrow->geometry().right() < out->geometry().right());

  // Every caption the copy-all button takes fits beside its arrow.
  for (QAction* item : arrow->menu()->actions()) {
    arrow->setText(item->text());
    QVERIFY2(arrow->sizeHint().width() <= arrow->width(), qPrintable(item->text()));
  }

  auto* snap = form->findChild<RichEdit*>(QStringLiteral("SnapRichEdit"));
  auto* pic = form->findChild<RichEdit*>(QStringLiteral("PicRichEdit"));
  QVERIFY(snap && pic);
  QVERIFY(snap->isHidden() && pic->isHidden());
  QCOMPARE(snap->layoutDirection(), Qt::RightToLeft);
  QCOMPARE(snap->lineWrapMode(), QTextEdit::WidgetWidth);
  QCOMPARE(pic->font().pointSizeF(), QApplication::font("QMenu").pointSizeF() + 1);
}

void tst_uMainExport::theSelectionMenuCopiesEachFormat() {
  ShowForm();
  TypeSalamKhoobi();
  const QString text = kSalam + u' ' + kKhoobi;

  out->SetSel(0, out->TextLength());
  QMenu* menu = RightClickOnSelection();
  QVERIFY(menu);
  QCOMPARE(menu->layoutDirection(), Qt::LeftToRight);
  ClickItem(menu, "AnsiCopy");
  QCOMPARE(Clipboard().text(), text);
  QCOMPARE(Clipboard().data(kAnsiTextType), kSalamKhoobiAnsi);
  QCOMPARE(RtfText(Clipboard().data(QStringLiteral("text/rtf"))), text);
  QVERIFY(Clipboard().html().contains(text));

  // Three characters from position 5: exactly those.
  out->SetSel(5, 3);
  ClickItem(RightClickOnSelection(), "UnicodeCopy");
  QCOMPARE(Clipboard().formats(), QStringList{QStringLiteral("text/plain")});
  QCOMPARE(Clipboard().text(), kKhoobi.mid(1, 3));

  out->SetSel(0, 3);
  ClickItem(RightClickOnSelection(), "BitmapCopy");
  QVERIFY(Clipboard().hasImage());
  const QImage picture = qvariant_cast<QImage>(Clipboard().imageData());
  QCOMPARE(picture.width(), out->viewport()->width());
  QVERIFY(picture.height() > 0);
  QVERIFY(picture.pixelColor(0, 0) == Qt::white);
  bool inked = false;
  for (int y = 0; y < picture.height() && !inked; ++y)
    for (int x = 0; x < picture.width() && !inked; ++x)
      inked = picture.pixelColor(x, y).value() < 128;
  QVERIFY(inked);

  // The encoding of the selection's HTML is chosen in its submenu, checked there from then on.
  out->SetSel(0, 5);
  menu = RightClickOnSelection();
  ClickItem(menu, "CopySelectedasHTMLformat");
  QTRY_VERIFY(OpenPopup() != menu);
  ClickItem(OpenPopup(), "Ansi1");
  const QString ansiHtml = Clipboard().text();
  QVERIFY2(ansiHtml.startsWith(QStringLiteral("<div dir=rtl>\r\n")), qPrintable(ansiHtml));
  QVERIFY(ansiHtml.contains(kSalam + u' ' + kKhoobi.left(1)));
  QVERIFY(!ansiHtml.contains(QStringLiteral("<br>")));
  QVERIFY(form->findChild<QAction*>(QStringLiteral("Ansi1"))->isChecked());
  QVERIFY(!form->findChild<QAction*>(QStringLiteral("Unicode1"))->isChecked());

  menu = RightClickOnSelection();
  ClickItem(menu, "CopySelectedasHTMLformat");
  QTRY_VERIFY(OpenPopup() != menu);
  ClickItem(OpenPopup(), "Unicode1");
  QVERIFY(Clipboard().text().contains(QStringLiteral("&#1587;&#1604;&#1605; &#1582;")));
  QVERIFY(form->findChild<QAction*>(QStringLiteral("Unicode1"))->isChecked());
}

void tst_uMainExport::selectionCopiesNeedASelectionButHtmlDoesNot() {
  TypeSalamKhoobi();
  out->SetCaret(2);
  for (const char* name : {"AnsiCopy", "UnicodeCopy", "BitmapCopy"}) {
    form->findChild<QAction*>(QLatin1String(name))->trigger();
    QCOMPARE(Clipboard().text(), QStringLiteral("before"));
  }
  form->findChild<QAction*>(QStringLiteral("Unicode1"))->trigger();
  QVERIFY(Clipboard().text().startsWith(QStringLiteral("<div dir=rtl>")));
}

void tst_uMainExport::theCopyAllButtonCopiesInTheChosenMode() {
  ShowForm();
  QTest::keyClicks(in, QStringLiteral("salam"));
  QTest::keyClick(in, Qt::Key_Return);
  QTest::keyClicks(in, QStringLiteral("khoobi"));
  const QString text = kSalam + u'\n' + kKhoobi;
  const auto clickButton = [this] {
    out->SetCaret(0);
    QTest::mouseClick(arrow, Qt::LeftButton, {}, QPoint(8, arrow->height() / 2));
    // The whole output is selected and stays so.
    QCOMPARE(out->SelLength(), out->TextLength());
  };

  QCOMPARE(form->CopyEntireMode(), 0);
  clickButton();
  QCOMPARE(Clipboard().text(), text);
  QCOMPARE(Clipboard().data(kAnsiTextType), QByteArray("\xD3\xE1\xE3\n\xCE\xE6\xC8\xED"));

  ChooseCopyAllItem("CopytoclipboardasUnicodeText1");
  QCOMPARE(form->CopyEntireMode(), 1);
  QCOMPARE(arrow->text(), QStringLiteral("Copy all to clipboard as Unicode Text"));
  QVERIFY(form->findChild<QAction*>(QStringLiteral("CopytoclipboardasUnicodeText1"))->isChecked());
  QVERIFY(!form->findChild<QAction*>(QStringLiteral("Copytoclipboardas1"))->isChecked());
  clickButton();
  QCOMPARE(Clipboard().formats(), QStringList{QStringLiteral("text/plain")});
  QCOMPARE(Clipboard().text(), text);

  ChooseCopyAllItem("CopytoclipboardasBitmapImage1");
  QCOMPARE(form->CopyEntireMode(), 2);
  clickButton();
  QVERIFY(Clipboard().hasImage());
  QCOMPARE(qvariant_cast<QImage>(Clipboard().imageData()).width(), 630);
  // The scratch pane keeps no history of the outputs it pictured.
  QVERIFY(
      !form->findChild<RichEdit*>(QStringLiteral("SnapRichEdit"))->document()->isUndoAvailable());

  // Opening the HTML submenu chooses HTML; its items choose only the encoding.
  ChooseCopyAllItem("CopyAlltoClipboardasHTMLformat1", "AnsiSubPopUp");
  QCOMPARE(form->CopyEntireMode(), 3);
  QCOMPARE(arrow->text(), QStringLiteral("Copy All to Clipboard as HTML format"));
  clickButton();
  QString html = Clipboard().text();
  QVERIFY(html.startsWith(QStringLiteral("<html dir=\"rtl\">\r\n")));
  QVERIFY(html.contains(QStringLiteral("charset=windows-1256")));
  QVERIFY(html.contains(kSalam + QStringLiteral("\r\n<br>\r\n")));
  // The same YEH as the 8-bit text copy, not a question mark.
  QVERIFY(html.contains(kKhoobi.chopped(1) + QChar(0x064A)));

  ChooseCopyAllItem("CopyAlltoClipboardasHTMLformat1", "UnicodeSubPopUp");
  clickButton();
  html = Clipboard().text();
  QVERIFY(html.contains(QStringLiteral("charset=utf-8")));
  QVERIFY(html.contains(QStringLiteral("&#1587;&#1604;&#1605;\r\n<br>")));
  // The selection's HTML keeps its own encoding.
  QVERIFY(form->findChild<QAction*>(QStringLiteral("Unicode1"))->isChecked());
}

void tst_uMainExport::theCopyAllModeIsSetOnlyToAnItem() {
  QVERIFY(form->SetCopyEntireMode(2));
  QCOMPARE(form->CopyEntireMode(), 2);
  QCOMPARE(arrow->text(), QStringLiteral("Copy all to clipboard as Bitmap Image"));
  QVERIFY(form->findChild<QAction*>(QStringLiteral("CopytoclipboardasBitmapImage1"))->isChecked());
  QVERIFY(form->SetCopyEntireMode(3));
  QVERIFY(arrow->menu()->actions()[3]->isChecked());
  for (int mode : {4, -1, 255}) {
    QVERIFY(!form->SetCopyEntireMode(mode));
    QCOMPARE(form->CopyEntireMode(), 3);
    QCOMPARE(arrow->text(), QStringLiteral("Copy All to Clipboard as HTML format"));
  }
}

void tst_uMainExport::savingWritesEachFormat_data() {
  QTest::addColumn<int>("filter");
  QTest::addColumn<QString>("chosen");
  QTest::addColumn<QString>("written");
  const char* plain[] = {"plain.rtf", "plain.txt", "plain.bmp", "plain.jpg",
                         "plain.htm", "plain.htm", "plain.pdf"};
  for (int filter = sfRichText; filter <= sfPdf; ++filter) {
    QTest::addRow("filter %d, no extension", filter) << filter << "plain" << plain[filter - 1];
    QTest::addRow("filter %d, extension kept", filter) << filter << "kept.data"
                                                       << "kept.data";
  }
}

void tst_uMainExport::savingWritesEachFormat() {
  QFETCH(int, filter);
  QFETCH(QString, chosen);
  QFETCH(QString, written);
  ShowForm();
  TypeSalamKhoobi();
  const QString text = kSalam + u' ' + kKhoobi;
  bool grey = false;
  if (filter == sfJpeg) {
    // The JPEG options come first; what is ticked there is in the file.
    QTimer::singleShot(0, this, [&] {
      QWidget* options = QApplication::activeModalWidget();
      QVERIFY(options);
      QCOMPARE(options->windowTitle(), QStringLiteral("Saving as Jpeg Format..."));
      auto* grayScale = options->findChild<QCheckBox*>(QStringLiteral("chkGrayScale"));
      QTest::mouseClick(grayScale, Qt::LeftButton, {}, QPoint(4, grayScale->height() / 2));
      grey = grayScale->isChecked();
      QTest::mouseClick(options->findChild<QPushButton*>(QStringLiteral("Button1")),
                        Qt::LeftButton);
    });
  }
  SaveAs(dir.filePath(chosen), filter);
  QVERIFY(boxes->Shown.empty());
  const QByteArray bytes = ReadFile(dir.filePath(written));
  QVERIFY(!bytes.isEmpty());
  QImage picture;
  switch (filter) {
    case sfRichText:
      QCOMPARE(RtfText(bytes), text);
      break;
    case sfUnicodeText:
      QCOMPARE(bytes, (text + u'\n').toUtf8());
      break;
    case sfBitmap:
      QVERIFY(bytes.startsWith("BM"));
      QVERIFY(picture.loadFromData(bytes, "BMP"));
      QCOMPARE(picture.width(), 630);
      break;
    case sfJpeg:
      QVERIFY(bytes.startsWith("\xFF\xD8\xFF"));
      QVERIFY(picture.loadFromData(bytes, "JPEG"));
      QVERIFY(grey);
      QVERIFY(picture.isGrayscale());
      QCOMPARE(picture.width(), 630);
      break;
    case sfHtmlUnicode:
      QVERIFY(bytes.contains("charset=utf-8"));
      QVERIFY(bytes.contains("&#1587;&#1604;&#1605; &#1582;"));
      break;
    case sfHtmlAnsi:
      QVERIFY(bytes.contains("charset=windows-1256"));
      QVERIFY(bytes.contains("\xD3\xE1\xE3 \xCE"));
      break;
    case sfPdf:
      QVERIFY(bytes.startsWith("%PDF-"));
      break;
  }
  QCOMPARE(QDir(dir.path()).entryList({"plain*", "kept*"}, QDir::Files),
           QStringList{QFileInfo(written).fileName()});
  for (const QString& name : QDir(dir.path()).entryList({"plain*", "kept*"}, QDir::Files))
    QFile::remove(dir.filePath(name));
}

void tst_uMainExport::theSaveDialogOffersTheFiltersAndRemembersTheChoice() {
  TypeSalamKhoobi();
  QTest::mouseClick(Button("SAvetofileBtn"), Qt::LeftButton);
  SaveAs(Path("remembered"), sfUnicodeText);
  QTest::mouseClick(Button("SAvetofileBtn"), Qt::LeftButton);
  QCOMPARE(dialogs->Shown.size(), size_t(3));
  const Dialogs::FileRequest& first = dialogs->Shown[0].File;
  QCOMPARE(dialogs->Shown[0].RequestKind, Dialogs::InProcessService::Kind::Save);
  QCOMPARE(first.Filter.split(QStringLiteral(";;")),
           QStringList({"Rich Text Format (*.rtf)", "Unicode Text Format (*.txt)",
                        "Bitmap Picture (*.bmp)", "Jpeg Picture (*.jpg)",
                        "Html Format [unicode] (*.htm *.html)", "Html Format [Ansi] (*.htm *.html)",
                        "PDF Document (*.pdf)"}));
  QCOMPARE(first.FilterIndex, 1);
  // A cancelled dialog writes nothing and changes nothing.
  QCOMPARE(dialogs->Shown[1].File.FilterIndex, 1);
  QCOMPARE(dialogs->Shown[2].File.FilterIndex, int(sfUnicodeText));
  QCOMPARE(dialogs->Shown[2].File.FileName, Path("remembered.txt"));
  QVERIFY(QFile::exists(Path("remembered.txt")));
  QVERIFY(boxes->Shown.empty());

  QTest::mouseClick(Button("LoadfromFileBtn"), Qt::LeftButton);
  QCOMPARE(dialogs->Shown.back().RequestKind, Dialogs::InProcessService::Kind::Open);
  QCOMPARE(dialogs->Shown.back().File.Filter,
           QStringLiteral("Text Documents (*.txt);;Rich Text Format (*.rtf)"));
  QCOMPARE(Shown(*in), QStringList{QStringLiteral("salam khoobi")});
}

void tst_uMainExport::anAppendedExtensionAsksBeforeReplacingAFile() {
  TypeSalamKhoobi();
  WriteFile(Path("kept.rtf"), "old");
  boxes->Answers.push_back(MessageBoxes::Answer::No);
  SaveAs(Path("kept"), sfRichText);
  QCOMPARE(boxes->Shown.size(), size_t(1));
  QCOMPARE(boxes->Shown[0].Text,
           QStringLiteral("kept.rtf already exists.\nDo you want to replace it?"));
  QCOMPARE(boxes->Shown[0].BoxButtons, MessageBoxes::Buttons::YesNo);
  QCOMPARE(ReadFile(Path("kept.rtf")), QByteArray("old"));

  boxes->Answers.push_back(MessageBoxes::Answer::Yes);
  SaveAs(Path("kept"), sfRichText);
  QCOMPARE(RtfText(ReadFile(Path("kept.rtf"))), kSalam + u' ' + kKhoobi);
  // The name as chosen was asked about by the dialog itself.
  SaveAs(Path("kept.rtf"), sfRichText);
  QCOMPARE(boxes->Shown.size(), size_t(2));
}

void tst_uMainExport::loadingFillsTheInputAndConvertsIt_data() {
  QTest::addColumn<int>("filter");
  QTest::addColumn<QByteArray>("bytes");
  QTest::addColumn<QStringList>("lines");
  QTest::addColumn<QStringList>("output");  // none: each line converted as plain text
  const QStringList two = {"salam", "khoobi"};
  const QByteArray utf16le("\xFF\xFEs\0a\0l\0a\0m\0\n\0k\0h\0o\0o\0b\0i\0", 26);
  const QByteArray utf16be("\xFE\xFF\0s\0a\0l\0a\0m\0\n\0k\0h\0o\0o\0b\0i", 26);
  QTest::newRow("UTF-8") << int(lfText) << QByteArray("salam\nkhoobi\n") << two << QStringList();
  QTest::newRow("UTF-8, CR LF, byte-order mark")
      << int(lfText) << QByteArray("\xEF\xBB\xBFsalam\r\nkhoobi") << two << QStringList();
  QTest::newRow("UTF-16LE") << int(lfText) << utf16le << two << QStringList();
  QTest::newRow("UTF-16BE") << int(lfText) << utf16be << two << QStringList();
  QTest::newRow("code page 1256") << int(lfText) << QByteArray("salam \xD3\nkhoobi")
                                  << QStringList{QStringLiteral(u"salam \u0633"), "khoobi"}
                                  << QStringList();
  QTest::newRow("soft line break")
      << int(lfText) << QByteArray("salam\xE2\x80\xA8khoobi") << two << QStringList();
  // The bold word is marked English and stays Latin.
  QTest::newRow("RTF") << int(lfRichText)
                       << QByteArray(
                              "{\\rtf1\\ansi\\ansicpg1256{\\fonttbl{\\f0 Arial;}}"
                              "\\f0\\fs24 salam\\line {\\b khoobi}\\par}")
                       << two << QStringList{kSalam, "khoobi"};
  QTest::newRow("text under the RTF filter")
      << int(lfRichText) << QByteArray("salam\nkhoobi") << two << QStringList();
}

void tst_uMainExport::loadingFillsTheInputAndConvertsIt() {
  QFETCH(int, filter);
  QFETCH(QByteArray, bytes);
  QFETCH(QStringList, lines);
  QFETCH(QStringList, output);
  WriteFile(Path("loaded"), bytes);
  LoadFrom(Path("loaded"), filter);
  QVERIFY(boxes->Shown.empty());
  QCOMPARE(Shown(*in), lines);
  QCOMPARE(Shown(*out), output.isEmpty() ? Converted(*in) : output);

  // What stood in the panes before is replaced, longer output included: no line of it stays,
  // not even empty.
  in->SetCaret(in->TextLength());
  QTest::keyClick(in, Qt::Key_Return);
  QTest::keyClicks(in, QStringLiteral("old"));
  for (int i = 0; i < 3; ++i) {
    QTest::keyClick(in, Qt::Key_Return);
    QTest::keyClicks(in, QStringLiteral("old"));
  }
  LoadFrom(Path("loaded"), filter);
  QCOMPARE(Shown(*in), lines);
  QCOMPARE(out->toPlainText().split(u'\n'), output.isEmpty() ? Converted(*in) : output);
  QCOMPARE(boxes->Shown.size(), size_t(1));  // the question before replacing the typed lines
}

void tst_uMainExport::loadingOverTypedTextAsksFirst() {
  WriteFile(Path("loaded.txt"), "salam");
  TypeSalamKhoobi();
  boxes->Answers.push_back(MessageBoxes::Answer::No);
  LoadFrom(Path("loaded.txt"), lfText);
  QCOMPARE(boxes->Shown.size(), size_t(1));
  QCOMPARE(boxes->Shown[0].Text,
           QStringLiteral("The input holds text.\nDo you want to replace it with loaded.txt?"));
  QCOMPARE(boxes->Shown[0].BoxButtons, MessageBoxes::Buttons::YesNo);
  QCOMPARE(Shown(*in), QStringList{QStringLiteral("salam khoobi")});
  QVERIFY(in->document()->isUndoAvailable());
}

void tst_uMainExport::failuresShowTheExactMessageAndChangeNothing() {
  TypeSalamKhoobi();
  SaveAs(Path("missing/out"), sfRichText);
  LoadFrom(Path("missing.txt"), lfText);
  // The second box asked whether to replace the input.
  QCOMPARE(boxes->Shown.size(), size_t(3));
  for (size_t i : {0, 2}) QCOMPARE(boxes->Shown[i].BoxType, MessageBoxes::Type::Error);
  QCOMPARE(boxes->Shown[0].Text, QStringLiteral("Failed to Save Stream"));
  QCOMPARE(boxes->Shown[2].Text, QStringLiteral("Failed to Load Stream"));
  QCOMPARE(Shown(*in), QStringList{QStringLiteral("salam khoobi")});
  QVERIFY(in->document()->isUndoAvailable());
  QTest::keyClicks(in, QStringLiteral(" salam"));
  QCOMPARE(Shown(*out), Converted(*in));
}

void tst_uMainExport::anOutputTooTallForAPictureIsRefusedSayingHowMuchFits() {
  // Far taller than a JPEG file can be: each picture is refused before it is made.
  WriteFile(Path("long.txt"), QByteArray("salam\n").repeated(5000));
  LoadFrom(Path("long.txt"), lfText);
  QCOMPARE(out->LineCount(), 5000);
  ShowForm();
  bool optionsShown = false;
  QTimer::singleShot(0, this, [&] {
    if (QWidget* options = QApplication::activeModalWidget()) {
      optionsShown = true;
      options->close();
    }
  });
  SaveAs(Path("long.jpg"), sfJpeg);
  SaveAs(Path("long.bmp"), sfBitmap);
  form->SetCopyEntireMode(2);
  QTest::mouseClick(arrow, Qt::LeftButton, {}, QPoint(8, arrow->height() / 2));

  QVERIFY(!optionsShown);
  QVERIFY(!QFile::exists(Path("long.jpg")) && !QFile::exists(Path("long.bmp")));
  QCOMPARE(Clipboard().text(), QStringLiteral("before"));
  QCOMPARE(boxes->Shown.size(), size_t(3));
  const QRegularExpression message(QStringLiteral(
      "^The output is too long for a picture: only its first (\\d+) of 5000 lines fit in one\\. "
      "Save it as text, rich text, HTML or PDF instead\\.$"));
  for (const MessageBoxes::InProcessService::Box& box : boxes->Shown) {
    QCOMPARE(box.BoxType, MessageBoxes::Type::Error);
    const QRegularExpressionMatch match = message.match(box.Text);
    QVERIFY2(match.hasMatch(), qPrintable(box.Text));
    const int fit = match.captured(1).toInt();
    QVERIFY(fit > 1000 && fit < 5000);
  }
  QCOMPARE(in->LineCount(), 5000);
}

void tst_uMainExport::theDialogServiceRecordsRequestsAndAnswersInOrder() {
  using Kind = Dialogs::InProcessService::Kind;
  Dialogs::InProcessService service;
  service.FileAnswers = {Dialogs::FileChoice{QStringLiteral("a.rtf"), 2}};
  service.FontAnswers = {QFont(QStringLiteral("Serif"), 14)};
  service.ColourAnswers = {QColor(Qt::red)};
  const Dialogs::FileRequest request{QStringLiteral("Title"), QStringLiteral("A (*.a);;B (*.b)"), 2,
                                     QStringLiteral("b")};
  QCOMPARE(service.Open(nullptr, request)->FileName, QStringLiteral("a.rtf"));
  // An empty queue answers as a cancelled dialog.
  QVERIFY(!service.Save(nullptr, request));
  QCOMPARE(service.Font(nullptr, QFont())->pointSize(), 14);
  QCOMPARE(*service.Colour(nullptr, Qt::blue), QColor(Qt::red));
  QVERIFY(!service.Colour(nullptr, Qt::blue));
  QCOMPARE(service.Shown.size(), size_t(5));
  QCOMPARE(service.Shown[0].RequestKind, Kind::Open);
  QCOMPARE(service.Shown[0].File.Title, QStringLiteral("Title"));
  QCOMPARE(service.Shown[1].RequestKind, Kind::Save);
  QCOMPARE(service.Shown[3].InitialColour, QColor(Qt::blue));
  QVERIFY(dynamic_cast<Dialogs::QtService*>(Dialogs::ForPlatform(QStringLiteral("xcb")).get()));
  QCOMPARE(&Dialogs::Current(), dialogs);
}

QTEST_MAIN(tst_uMainExport)
#include "tst_uMainExport.moc"
