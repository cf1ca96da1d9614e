#include "FilterDictionary.h"

#include "Dictionary.h"
#include "trans.h"

void SetFilterFlagDefaults() {
  DictionaryMode = ChatMode = TashdidMode = MiddleMode = EnglishDetectMode = 1;
  PrefixMode = PoliteMode = 0;
  TreatAeMode = 1;
}

bool PrepareFilterDictionary(const std::string* path, std::string& error) {
  CreateSections();
  if (!path) {
    AddDefaultEntries();
    return true;
  }
  if (!ReadDictionaryFile(*path)) {
    error = "cannot read the dictionary " + *path;
    return false;
  }
  return true;
}
