#include "uAbout.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TAboutForm::TAboutForm(QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Dialog), MainWindow(mainWindow) {
  setWindowTitle(QStringLiteral("About Zefra"));
  auto* product = new QLabel(QStringLiteral("Zefra"));
  QFont large = product->font();
  large.setPointSizeF(large.pointSizeF() * 2);
  large.setBold(true);
  product->setFont(large);
  auto* version = new QLabel(QStringLiteral("Version " ZEFRA_VERSION));
  version->setObjectName(QStringLiteral("Version"));
  OkBtn = new QPushButton(QStringLiteral("OK"));
  OkBtn->setObjectName(QStringLiteral("OkBtn"));
  OkBtn->setDefault(true);
  connect(OkBtn, &QPushButton::clicked, this, &TAboutForm::OkBtnClick);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(OkBtn);
  auto* page = new QVBoxLayout(this);
  page->setSizeConstraint(QLayout::SetFixedSize);
  page->setContentsMargins(24, 18, 24, 14);
  page->addWidget(product, 0, Qt::AlignHCenter);
  page->addWidget(new QLabel(QStringLiteral("Advanced Romanesh to Farsi Translator")), 0,
                  Qt::AlignHCenter);
  page->addWidget(version, 0, Qt::AlignHCenter);
  page->addSpacing(12);
  page->addLayout(buttons);
}

void TAboutForm::showEvent(QShowEvent* event) {
  // A child window follows its parent into the disabled state; this one is what the user must
  // reach while the main window is disabled.
  setEnabled(true);
  OkBtn->setFocus();
  QWidget::showEvent(event);
}

void TAboutForm::hideEvent(QHideEvent* event) {
  if (MainWindow) MainWindow->setEnabled(true);
  QWidget::hideEvent(event);
}

void TAboutForm::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    hide();
    return;
  }
  QWidget::keyPressEvent(event);
}

void TAboutForm::OkBtnClick() {
  hide();
}
