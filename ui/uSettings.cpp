#include "uSettings.h"

#include <QShowEvent>
#include <QTabWidget>

#include "NamedButton.h"
#include "RichEdit.h"
#include "uMain.h"

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

void TSettingsForm::InitButtons() {
  ApplyBtn = NamedButton(this, "ApplyBtn", QStringLiteral("Apply"), {287, 290, 75, 25});
  OkBtn = NamedButton(this, "OkBtn", QStringLiteral("Ok"), {371, 290, 75, 25});
  CancelBtn = NamedButton(this, "CancelBtn", QStringLiteral("Cancel"), {455, 290, 75, 25});
  connect(ApplyBtn, &QPushButton::clicked, this, &TSettingsForm::ApplyBtnClick);
  connect(OkBtn, &QPushButton::clicked, this, &TSettingsForm::OkBtnClick);
  connect(CancelBtn, &QPushButton::clicked, this, &TSettingsForm::CancelBtnClick);
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
}

void TSettingsForm::PageControl1Change(int index) {
  if (index == 2) FillDictionaryPages();
  ResultRichEdit->setVisible(index == 2);
}

void TSettingsForm::ApplyBtnClick() {
  ApplyDictionaryPages();
  // TODO(settings helper): the options, the output font, the English marking, in this order.
  if (OptionsChanged) MainForm->ReconvertAll();
}

void TSettingsForm::OkBtnClick() {
  ApplyBtn->click();
  accept();
}

void TSettingsForm::CancelBtnClick() {
  reject();
}

void TSettingsForm::InitCommonTab(QWidget*) {}
void TSettingsForm::InitEngineTab(QWidget*) {}
