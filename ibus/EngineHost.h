#pragma once
// What the input method's engines share in one process: the window's files, the options read
// from them, and the session's choices from the panel's menu over those. No IBus in it.
#include <cstdint>
#include <optional>
#include <string>

#include "SharedFiles.h"

/// A line for ibus-daemon's log and the journal.
void Log(const std::string& line);

/// What the engines of the process share.
struct TEngineHost {
  TSharedFiles Files;
  /// Changes whenever the options or the dictionary do, so that each engine converts its
  /// pending word anew.
  uint64_t Generation = 0;
  /// Chosen in the property menu for this session; the settings file's next change wins.
  std::optional<bool> Smart;
  std::optional<bool> Modern;

  /// Reads both files again when either changed since they were last read (or never was),
  /// logging once what is missing. True when it read them.
  bool ReloadIfChanged();
  /// Applies the session's choices over the options read, and makes ready what they need.
  void ApplySessionOptions();
  /// The dictionary file now holds what the sections hold, written by this process: not a
  /// change of the window's that would end the session's choices.
  void DictionaryWritten();

 private:
  // What tells a file replaced or written since it was read.
  struct TStamp {
    bool Exists = false;
    uint64_t Inode = 0;
    int64_t Size = 0;
    int64_t ModifiedNs = 0;
    bool operator==(const TStamp&) const = default;
  };
  static TStamp StampOf(const std::string& path);

  std::optional<TStamp> settingsStamp_;
  std::optional<TStamp> dictionaryStamp_;
  std::string settingsNote_;
  std::string dictionaryNote_;
};

TEngineHost& EngineHost();
