#include "LearnedWords.h"

#include <QLockFile>
#include <cerrno>
#include <csignal>

#include "AtomicFile.h"
#include "Dictionary.h"

namespace {

// While the window runs, the dictionary it holds is the one that counts: it writes it whole.
const std::string kWindowOpen = "Zefra is open: choose the spelling there to add it";

}  // namespace

std::string LearningNote(const std::string& lockFile) {
  // Read only: taking the lock, however briefly, could turn a window that starts away.
  qint64 pid = 0;
  if (!QLockFile(QString::fromStdString(lockFile)).getLockInfo(&pid, nullptr, nullptr)) return {};
  const bool alive = pid > 0 && (kill(pid_t(pid), 0) == 0 || errno == EPERM);
  return alive ? kWindowOpen : std::string();
}

std::string StoreLearnedWord(const std::string& dictionaryFile, const std::string& lockFile,
                             const TLearnedWord& word) {
  const std::string notAdded = "; " + word.Typed + "=" + word.Chosen + " was not added";
  QLockFile lock(QString::fromStdString(lockFile));
  // As the window counts it: only a lock of a process that is gone is stale.
  lock.setStaleLockTime(0);
  if (!lock.tryLock(0)) {
    if (lock.error() == QLockFile::LockFailedError) return kWindowOpen + notAdded;
    return "no lock can be kept beside " + lockFile + notAdded;
  }
  // Read anew under the lock: the window may have saved since the engine last looked.
  std::string text;
  if (!AtomicFile::Read(dictionaryFile, text) || !ReadDictionaryFile(dictionaryFile))
    return "cannot read the dictionary " + dictionaryFile + notAdded;
  // A file not in the form the window writes may hold what a save would drop; the window keeps
  // a copy of such a file before it writes, the input method leaves it alone.
  if (SavedImage().Text() != text)
    return "the dictionary " + dictionaryFile + " was edited outside Zefra" + notAdded;
  WholeWords->SetEntry(word.Typed, word.Chosen);
  if (!SaveDictionary()) {
    ReadDictionaryFile(dictionaryFile);
    return "cannot write the dictionary " + dictionaryFile + notAdded;
  }
  return {};
}
