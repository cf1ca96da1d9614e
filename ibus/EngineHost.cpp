#include "EngineHost.h"

#include <glib.h>
#include <sys/stat.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <cstdio>

#include "SmartSpelling.h"
#include "WordList.h"

// To the journal as well: ibus-daemon drops its engines' standard error unless it is verbose.
void Log(const std::string& line) {
  const GLogField fields[] = {{"MESSAGE", line.c_str(), -1},
                              {"PRIORITY", "4", -1},
                              {"SYSLOG_IDENTIFIER", "zefra-ibus", -1}};
  g_log_writer_journald(G_LOG_LEVEL_WARNING, fields, G_N_ELEMENTS(fields), nullptr);
  std::fprintf(stderr, "zefra-ibus: %s\n", line.c_str());
}

namespace {

// Logs a note when it differs from the last one, so that a missing file is said once.
void LogChange(std::string& last, std::string note) {
  if (!note.empty() && note != last) Log(note);
  last = std::move(note);
}

}  // namespace

TEngineHost& EngineHost() {
  static TEngineHost host;
  return host;
}

TEngineHost::TStamp TEngineHost::StampOf(const std::string& path) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return {};
  return {true, uint64_t(info.st_ino), int64_t(info.st_size),
          int64_t(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec};
}

bool TEngineHost::ReloadIfChanged() {
  const TStamp settings = StampOf(Files.Settings);
  const TStamp dictionary = StampOf(Files.Dictionary);
  if (settingsStamp_ == settings && dictionaryStamp_ == dictionary) return false;
  settingsStamp_ = settings;
  dictionaryStamp_ = dictionary;
  LogChange(settingsNote_, LoadEngineOptions(Files.Settings));
  LogChange(dictionaryNote_, LoadSharedDictionary(Files.Dictionary));
  // The file now says what the user wants.
  Smart.reset();
  Modern.reset();
  ApplySessionOptions();
  return true;
}

void TEngineHost::ApplySessionOptions() {
  if (Smart) SmartSpelling = *Smart;
  if (Modern) ModernOrthography = *Modern;
  ForgetSmartChoices();
  // Loaded now rather than on the first key typed, which would else wait for them.
  if (SmartSpelling || ModernOrthography) {
    const std::string missing = MissingWordListsText();
    if (!missing.empty()) Log(missing);
#ifdef __GLIBC__
    // Loading leaves the word dumps' freed blocks in the heap; the engine lives all session.
    malloc_trim(0);
#endif
  }
  ++Generation;
}

void TEngineHost::DictionaryWritten() {
  dictionaryStamp_ = StampOf(Files.Dictionary);
  ++Generation;
}
