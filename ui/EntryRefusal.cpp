#include "EntryRefusal.h"

#include "DictionaryIni.h"
#include "RomanizedText.h"

QString EntryRefusal(const QString& key, const QString& value) {
  // The file holds 8-bit text: a character it lacks would turn into "?".
  for (const QString& text : {key, value})
    if (FromAnsi(ToAnsi(text)) != text)
      return QStringLiteral(
                 "\"%1\" cannot be entered: it holds characters that the dictionary "
                 "file cannot store.")
          .arg(text);
  switch (KeyFault(ToAnsi(key))) {
    case TKeyFault::HoldsEquals:
      return QStringLiteral(
                 "\"%1\" cannot be entered: a word that the dictionary looks up may "
                 "not contain \"=\".")
          .arg(key);
    case TKeyFault::ReadsAsMarkup:
      return QStringLiteral(
                 "\"%1\" cannot be entered: a word that the dictionary looks up may "
                 "not begin with \";\" or \"[\".")
          .arg(key);
    case TKeyFault::None:
      break;
  }
  return {};
}
