#pragma once
// Romanized text between the windows' UTF-16 strings and the dictionary's 8-bit strings, and the
// preview of what the letter rules alone make of it.
#include <QString>
#include <string>
#include <string_view>

QString FromAnsi(std::string_view text);
std::string ToAnsi(const QString& text);
class QWidget;
class RichEdit;

// The Persian text that the letter rules make of romanized text, without the dictionary.
QString ByLetterRules(const QString& romanized);
// A read-only Persian line of pointSize that shows ByLetterRules of what is typed.
RichEdit* NewLetterRulesPreview(QWidget* parent, int pointSize);
