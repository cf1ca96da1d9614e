#include "MyStaticText.h"

#include <QTextDocument>

TMyStaticText::TMyStaticText(QWidget* parent) : RichEdit(parent) {
  SetLanguage(LangPersian);
  setReadOnly(true);
  setEnabled(false);
  setFocusPolicy(Qt::NoFocus);
  setFrameShape(QFrame::NoFrame);
  SetRightToLeft();
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setAutoFillBackground(true);
  resize(60, 13);
  MakeDefaultTextBlack();
  connect(this, &QTextEdit::textChanged, this, &TMyStaticText::MakeDefaultTextBlack);
}

void TMyStaticText::MakeDefaultTextBlack() {
  // A disabled pane would grey its text; text without a colour of its own stays black, on the
  // button face rather than the parent's colour.
  QPalette colours = palette();
  const QColor face = colours.color(QPalette::Active, QPalette::Button);
  for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    colours.setColor(group, QPalette::Text, Qt::black);
    colours.setColor(group, QPalette::Base, face);
  }
  if (colours != palette()) setPalette(colours);
}
