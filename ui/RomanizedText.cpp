#include "RomanizedText.h"

#include "CodePage.h"
#include "PersianFont.h"
#include "RichEdit.h"
#include "trans.h"

QString FromAnsi(std::string_view text) {
  return QString::fromStdU16String(CodePage::ToUnicode(text));
}

std::string ToAnsi(const QString& text) {
  return CodePage::FromUnicode(text.toStdU16String());
}

QString ByLetterRules(const QString& romanized) {
  // Capitals keep the dictionary out: the engine reads them as the same letters.
  QString capitals = romanized;
  for (QChar& c : capitals)
    if (c >= QLatin1Char('a') && c <= QLatin1Char('z')) c = QChar(c.unicode() - 'a' + 'A');
  return QString::fromStdU16String(ConvertText(capitals.toStdU16String()));
}

RichEdit* NewLetterRulesPreview(QWidget* parent, int pointSize) {
  auto* preview = new RichEdit(parent);
  preview->setObjectName(QStringLiteral("ResultRichEdit"));
  preview->setAccessibleName(QStringLiteral("Preview"));
  preview->SetLanguage(LangPersian);
  preview->setReadOnly(true);
  preview->setFocusPolicy(Qt::NoFocus);
  preview->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  preview->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  QFont font(PersianFace());
  font.setPointSize(pointSize);
  preview->setFont(font);
  return preview;
}
