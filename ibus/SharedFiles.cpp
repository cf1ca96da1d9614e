#include "SharedFiles.h"

#include <QStandardPaths>

#include "Dictionary.h"
#include "EngineOptionNames.h"
#include "FilterDictionary.h"
#include "Registry.h"
#include "RuntimeFiles.h"
#include "SmartSpelling.h"
#include "trans.h"

namespace {

struct TStoredFlag {
  const char* Name;
  uint8_t& Flag;
};

}  // namespace

TSharedFiles LocateSharedFiles(const std::string& programDir) {
  // The window's per-user data folder is named after its organisation and application.
  Registry::NameApplication();
  const std::string perUserDir =
      QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation).toStdString();
  return {programDir, Registry::UserFileName().toStdString(),
          DictionaryFileFor(programDir, perUserDir), RuntimePath(kInstanceLockName).toStdString()};
}

std::string LoadEngineOptions(const std::string& settingsFile) {
  InitializeEngine();
  SetDictionaryFlagDefaults();
  // As zefra-convert: every character the engine writes has a place in the output.
  FarsiEnabled = 1;
  SmartSpelling = 0;
  ModernOrthography = 0;
  const Registry registry(QString::fromStdString(settingsFile));
  if (!registry.KeyExists()) return "no settings in " + settingsFile + "; the defaults are used";
  namespace names = EngineOptionNames;
  const TStoredFlag flags[] = {
      {names::kDictionaryMode, DictionaryMode}, {names::kChatMode, ChatMode},
      {names::kTashdidMode, TashdidMode},       {names::kPrefixMode, PrefixMode},
      {names::kSmartSpelling, SmartSpelling},   {names::kModernOrthography, ModernOrthography},
  };
  for (const TStoredFlag& stored : flags)
    if (const std::optional<bool> on = registry.ReadBool(QString::fromLatin1(stored.Name)))
      stored.Flag = *on;
  ForgetSmartChoices();
  return {};
}

std::string LoadSharedDictionary(const std::string& dictionaryFile) {
  std::string error;
  if (PrepareFilterDictionary(&dictionaryFile, error)) return {};
  PrepareFilterDictionary(nullptr, error);
  return error + "; the default entries are used";
}
