#pragma once
// Spellings chosen in the input method, added to the dictionary's whole words as the window's
// "Correct and add" adds them. The window keeps the dictionary in memory while it runs and
// writes it whole when it closes, so the input method writes the file only while no window
// holds the lock, and holds that lock itself while it does.
#include <string>

#include "RomaneshComposer.h"

/// The note shown over the candidates while a choice cannot be kept; "" when it can.
std::string LearningNote(const std::string& lockFile);

/// Adds the word to the dictionary file under the lock. Returns "" when the file holds it,
/// else a line saying why it does not; the file is then as it was.
std::string StoreLearnedWord(const std::string& dictionaryFile, const std::string& lockFile,
                             const TLearnedWord& word);
