#pragma once
// The window's settings file and dictionary, as the input method reads them, with the defaults
// when one is missing or unreadable. Only a chosen spelling is ever written back (LearnedWords).
#include <string>

struct TSharedFiles {
  std::string ProgramDir;  // the window's directory: its program and its shipped data
  std::string Settings;
  std::string Dictionary;
  std::string WindowLock;  // held while the window runs
};

/// The files the window in programDir uses, under the same rules it finds them by.
TSharedFiles LocateSharedFiles(const std::string& programDir);

/// Sets the engine flags to their start values and then to the values the settings file holds.
/// Returns a line for the log when the file holds no settings, else "".
std::string LoadEngineOptions(const std::string& settingsFile);

/// Fills the dictionary sections from the file, or with the default entries when it cannot be
/// read. Returns a line for the log in that case, else "".
std::string LoadSharedDictionary(const std::string& dictionaryFile);
