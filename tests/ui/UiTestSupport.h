#pragma once
// What the window tests share: a dictionary module that reports nothing, the window settings as a
// new run of the program has them, and boxes and dialogs that the test answers.
#include <QString>
#include <memory>
#include <string>

#include "Dialogs.h"
#include "Dictionary.h"
#include "MessageBoxes.h"
#include "uMain.h"

class TSilentReporter : public TDictionaryReporter {
 public:
  void Warning(const std::string&) override {}
  void Error(const std::string&) override {}
};

inline QString Q(const std::u16string& text) {
  return QString::fromStdU16String(text);
}

// The English-word marking and the other window settings at their start values.
inline void ResetWindowSettings() {
  SameAttributes = false;
  EnglishStyle = esBold;
  EnglishUnderlineType = utDotted;
  EnglishBackColor = 0xFF0000;
  EnglishAnimationType = 5;
  LowerCasePaste = true;
}

// Fresh in-process services put in use; the test reads what they showed and queues answers.
inline MessageBoxes::InProcessService* InstallInProcessBoxes() {
  auto service = std::make_unique<MessageBoxes::InProcessService>();
  auto* installed = service.get();
  MessageBoxes::Install(std::move(service));
  return installed;
}
inline Dialogs::InProcessService* InstallInProcessDialogs() {
  auto service = std::make_unique<Dialogs::InProcessService>();
  auto* installed = service.get();
  Dialogs::Install(std::move(service));
  return installed;
}
