#pragma once
// The one check of a word and its correction before they become a line of the dictionary file,
// shared by every window that stores entries.
#include <QString>

// The message that tells the user why the file cannot hold key=value as typed, or an empty string
// when it can.
QString EntryRefusal(const QString& key, const QString& value);
