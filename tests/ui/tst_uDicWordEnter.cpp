#include <QAccessible>
#include <QButtonGroup>
#include <QClipboard>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>
#include <memory>

#include "Dictionary.h"
#include "MessageBoxes.h"
#include "MyStaticText.h"
#include "trans.h"
#include "uDicWordEnter.h"

class tst_uDicWordEnter : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void cleanupTestCase();
  void init();
  void cleanup();

  void dialogHasTheDesignedControls();
  void theWordIsFilledInFromTheDictionary();
  void wordsAreLowerCaseWithoutBlanks();
  void thePreviewShowsTheLetterRulesAlone();
  void okStoresTheEntryInOneSectionOnly();
  void okWithEqualTextsRemovesTheWord();
  void cancelEscapeAndAnEmptyWordStoreNothing();
  void wordsTheFileCannotHoldAreRefusedAndTheDialogStaysOpen();

 private:
  QLineEdit* Edit(const char* name) const {
    return form->findChild<QLineEdit*>(QLatin1String(name));
  }
  QRadioButton* Radio(const QString& caption) const {
    for (QRadioButton* radio : form->findChildren<QRadioButton*>())
      if (radio->text() == caption) return radio;
    return nullptr;
  }
  QPushButton* Button(const char* name) const {
    return form->findChild<QPushButton*>(QLatin1String(name));
  }
  // Shows the dialog on word, as the menu does.
  void Open(const QString& word) {
    form->SetWord(word);
    form->show();
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
  }

  std::unique_ptr<TDicEnterForm> form;
};

void tst_uDicWordEnter::initTestCase() {
  // Empty sections for every test, flags at their start values; no file is read or written.
  InitializeEngine();
}

void tst_uDicWordEnter::cleanupTestCase() {
  FinishDictionaryModule();
}

void tst_uDicWordEnter::init() {
  CreateSections();
  form = std::make_unique<TDicEnterForm>();
}

void tst_uDicWordEnter::cleanup() {
  form.reset();
}

void tst_uDicWordEnter::dialogHasTheDesignedControls() {
  Open(QStringLiteral("salam"));
  QCOMPARE(form->size(), QSize(379, 197));
  QCOMPARE(form->minimumSize(), form->maximumSize());
  QVERIFY(form->windowFlags() & Qt::WindowStaysOnTopHint);
  QCOMPARE(form->windowTitle(), QStringLiteral("Enter your equilivent for \"salam\""));
  const auto label = [this](const char* name) {
    return form->findChild<TMyStaticText*>(QLatin1String(name))->toPlainText();
  };
  QCOMPARE(label("MyStaticText1"), QStringLiteral(u"این کلمه تبديل شود :"));
  // A screen reader names the boxes by their labels.
  for (const auto& [edit, caption] :
       {std::pair{"Edit1", "MyStaticText1"}, {"Edit2", "MyStaticText2"}})
    QCOMPARE(QAccessible::queryAccessibleInterface(Edit(edit))->text(QAccessible::Name),
             label(caption));
  QCOMPARE(label("MyStaticText2"), QStringLiteral(u"به این کلمه :"));
  QCOMPARE(label("MyStaticText3"), QStringLiteral(u"اگر کلمه فقط به این شکل بود تبديل کن"));
  QCOMPARE(label("MyStaticText4"), QStringLiteral(u"اگر کلمه به صورت پيشوند بود نيز تبديل کن"));
  QCOMPARE(form->findChild<QGroupBox*>(QStringLiteral("RadioGroup1"))->title(),
           QStringLiteral("Options"));
  QVERIFY(Radio(QStringLiteral("  (Whole)")) && Radio(QStringLiteral("  (Prefix)")));
  QCOMPARE(Button("OKBtn")->text(), QStringLiteral("OK"));
  QVERIFY(Button("OKBtn")->isDefault());
  QCOMPARE(Button("CancelBtn")->text(), QStringLiteral("Cancel"));
  // Edit2 waits with its text selected, ready to be typed over.
  QVERIFY(Edit("Edit2")->hasFocus());
  QCOMPARE(Edit("Edit2")->selectedText(), QStringLiteral("salam"));
  for (QWidget* child : form->findChildren<QWidget*>())
    if (child->isVisible() && child->parentWidget() == form.get())
      QVERIFY2(form->rect().contains(child->geometry()), qPrintable(child->objectName()));
}

void tst_uDicWordEnter::theWordIsFilledInFromTheDictionary() {
  PrefixWords->AddEntry("ghorbon", "ghorboon");
  WholeWords->AddEntry("ghorbon", "ghorbaan");
  WholeWords->AddEntry("salam", "salaam");
  Open(QStringLiteral("ghorbon"));
  QCOMPARE(Edit("Edit2")->text(), QStringLiteral("ghorboon"));
  QVERIFY(Radio(QStringLiteral("  (Prefix)"))->isChecked());

  form->SetWord(QStringLiteral("salam"));
  QCOMPARE(Edit("Edit2")->text(), QStringLiteral("salaam"));
  QVERIFY(Radio(QStringLiteral("  (Whole)"))->isChecked());
  QVERIFY(!Radio(QStringLiteral("  (Prefix)"))->isChecked());

  // Typing into Edit1 starts Edit2 again from the dictionary's view of the new word.
  Edit("Edit1")->setFocus();
  Edit("Edit1")->selectAll();
  QTest::keyClicks(Edit("Edit1"), QStringLiteral("khoob"));
  QCOMPARE(Edit("Edit2")->text(), QStringLiteral("khoob"));
  QCOMPARE(form->windowTitle(), QStringLiteral("Enter your equilivent for \"khoob\""));
}

void tst_uDicWordEnter::wordsAreLowerCaseWithoutBlanks() {
  Open(QStringLiteral("salam"));
  QLineEdit* edit2 = Edit("Edit2");
  QTest::keyClicks(edit2, QStringLiteral("Sa laAm "));
  QCOMPARE(edit2->text(), QStringLiteral("salaam"));
  QGuiApplication::clipboard()->setText(QStringLiteral(" Kh oo b"));
  QTest::keyClick(edit2, Qt::Key_V, Qt::ControlModifier);
  QCOMPARE(edit2->text(), QStringLiteral("salaamkhoob"));
  QTest::keyClicks(Edit("Edit1"), QStringLiteral(" X"));
  QCOMPARE(Edit("Edit1")->text(), QStringLiteral("salamx"));
  // Nor does a blank press a button.
  QTest::keyClick(Button("OKBtn"), Qt::Key_Space);
  QVERIFY(form->isVisible());
  QCOMPARE(WholeWords->Count(), 0u);
}

void tst_uDicWordEnter::thePreviewShowsTheLetterRulesAlone() {
  WholeWords->AddEntry("salam", "salaam");
  Open(QStringLiteral("sal"));
  auto* preview = form->findChild<RichEdit*>(QStringLiteral("ResultRichEdit"));
  QTest::keyClicks(Edit("Edit2"), QStringLiteral("salam"));
  QCOMPARE(preview->toPlainText(), QString::fromStdU16String(ConvertText(u"SALAM")));
  QVERIFY(ConvertText(u"SALAM") != ConvertText(u"salam"));
  QCOMPARE(preview->Paragraph().Alignment, uint8_t(paLeft));
  QVERIFY(preview->isReadOnly());
}

void tst_uDicWordEnter::okStoresTheEntryInOneSectionOnly() {
  WholeWords->AddEntry("ghorbon", "ghorbaan");
  Open(QStringLiteral("ghorbon"));
  QTest::keyClicks(Edit("Edit2"), QStringLiteral("ghorboon"));
  QTest::mouseClick(Radio(QStringLiteral("  (Prefix)")), Qt::LeftButton);
  QVERIFY(!Radio(QStringLiteral("  (Whole)"))->isChecked());
  QTest::mouseClick(Button("OKBtn"), Qt::LeftButton);
  QCOMPARE(form->result(), int(QDialog::Accepted));
  QCOMPARE(PrefixWords->Find("ghorbon"), "ghorboon");
  QCOMPARE(WholeWords->Find("ghorbon"), "");

  // And back: Edit2 shows the prefix entry, stored now as a whole word.
  Open(QStringLiteral("ghorbon"));
  QVERIFY(Radio(QStringLiteral("  (Prefix)"))->isChecked());
  QTest::mouseClick(Radio(QStringLiteral("  (Whole)")), Qt::LeftButton);
  QTest::keyClick(Edit("Edit2"), Qt::Key_Return);
  QCOMPARE(form->result(), int(QDialog::Accepted));
  QCOMPARE(WholeWords->Find("ghorbon"), "ghorboon");
  QCOMPARE(PrefixWords->Find("ghorbon"), "");
}

void tst_uDicWordEnter::okWithEqualTextsRemovesTheWord() {
  // Two lines with the same key: equal texts take both away.
  WholeWords->AddEntry("salam", "salaam");
  WholeWords->AddEntry("salam", "saalam");
  Open(QStringLiteral("salam"));
  QTest::keyClicks(Edit("Edit2"), QStringLiteral("salam"));
  QTest::mouseClick(Button("OKBtn"), Qt::LeftButton);
  QCOMPARE(form->result(), int(QDialog::Accepted));
  QCOMPARE(WholeWords->Count(), 0u);
}

void tst_uDicWordEnter::cancelEscapeAndAnEmptyWordStoreNothing() {
  Open(QStringLiteral("salam"));
  QTest::keyClicks(Edit("Edit2"), QStringLiteral("salaam"));
  QTest::mouseClick(Button("CancelBtn"), Qt::LeftButton);
  QCOMPARE(form->result(), int(QDialog::Rejected));

  Open(QStringLiteral("khoob"));
  QTest::keyClicks(Edit("Edit2"), QStringLiteral("khub"));
  QTest::keyClick(Edit("Edit2"), Qt::Key_Escape);
  QVERIFY(!form->isVisible());
  QCOMPARE(form->result(), int(QDialog::Rejected));

  Open(QStringLiteral("man"));
  Edit("Edit1")->clear();
  QTest::keyClicks(Edit("Edit2"), QStringLiteral("maan"));
  QTest::mouseClick(Button("OKBtn"), Qt::LeftButton);
  QCOMPARE(form->result(), int(QDialog::Rejected));
  QCOMPARE(WholeWords->Count() + PrefixWords->Count(), 0u);
}

void tst_uDicWordEnter::wordsTheFileCannotHoldAreRefusedAndTheDialogStaysOpen() {
  auto service = std::make_unique<MessageBoxes::InProcessService>();
  MessageBoxes::InProcessService* boxes = service.get();
  MessageBoxes::Install(std::move(service));
  const QString rejected = QStringLiteral(
      "\"%1\" cannot be entered: a word that the dictionary "
      "looks up may not %2.");
  const struct {
    QString Word, Correction, Message;
  } refused[] = {
      // Read back as the key "a", a comment and a section header.
      {"a=b", "x", rejected.arg("a=b", "contain \"=\"")},
      {";x", "y", rejected.arg(";x", "begin with \";\" or \"[\"")},
      {"[x]", "y", rejected.arg("[x]", "begin with \";\" or \"[\"")},
      // Stored as "?".
      {"dog", QStringLiteral(u"do\u011F"),
       QStringLiteral(u"\"do\u011F\" cannot be entered: it holds characters that the dictionary "
                      u"file cannot store.")},
  };
  for (const auto& entry : refused) {
    boxes->Shown.clear();
    Open(entry.Word);
    Edit("Edit2")->setText(entry.Correction);
    QTest::mouseClick(Button("OKBtn"), Qt::LeftButton);
    QVERIFY(form->isVisible());
    QCOMPARE(boxes->Shown.size(), size_t(1));
    QCOMPARE(boxes->Shown[0].Text, entry.Message);
    QCOMPARE(boxes->Shown[0].BoxType, MessageBoxes::Type::Error);
    form->reject();
  }
  QCOMPARE(WholeWords->Count() + PrefixWords->Count(), 0u);
}

QTEST_MAIN(tst_uDicWordEnter)
#include "tst_uDicWordEnter.moc"
