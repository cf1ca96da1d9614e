#include "RomanizedText.h"

#include "CodePage.h"
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
