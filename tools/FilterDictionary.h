#pragma once
// The filter's view of the dictionary: read only, never written.
#include <string>

// Fills the seven sections from the file at path (as the program's start loads it), or with the
// built-in default entries when path is null. False, with a message, when the file is unreadable.
bool PrepareFilterDictionary(const std::string* path, std::string& error);
