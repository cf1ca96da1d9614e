#include "FilterDictionary.h"

#include "Dictionary.h"

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
