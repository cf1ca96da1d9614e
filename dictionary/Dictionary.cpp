#include "Dictionary.h"

#include <algorithm>
#include <filesystem>
#include <limits>

#include "AtomicFile.h"
#include "DictionaryIndex.h"
#include "DictionaryIni.h"

// The module's start sets these again; starting at the same values keeps an unstarted engine
// sensible.
uint8_t DictionaryMode = kDictionaryFlagDefaults.Dictionary;
uint8_t ChatMode = kDictionaryFlagDefaults.Chat;
uint8_t TashdidMode = kDictionaryFlagDefaults.Tashdid;
uint8_t PrefixMode = kDictionaryFlagDefaults.Prefix;
uint8_t PoliteMode = kDictionaryFlagDefaults.Polite;
uint8_t MiddleMode = kDictionaryFlagDefaults.Middle;
uint8_t EnglishDetectMode = kDictionaryFlagDefaults.EnglishDetect;

void SetDictionaryFlagDefaults() {
  DictionaryMode = kDictionaryFlagDefaults.Dictionary;
  ChatMode = kDictionaryFlagDefaults.Chat;
  TashdidMode = kDictionaryFlagDefaults.Tashdid;
  PrefixMode = kDictionaryFlagDefaults.Prefix;
  PoliteMode = kDictionaryFlagDefaults.Polite;
  MiddleMode = kDictionaryFlagDefaults.Middle;
  EnglishDetectMode = kDictionaryFlagDefaults.EnglishDetect;
}

TDicValueObject* WholeWords = nullptr;
TDicValueObject* PoliteWords = nullptr;
TDicValueObject* SuffixWords = nullptr;
TDicValueObject* PrefixWords = nullptr;
TDicValueObject* MiddleWords = nullptr;
TDicValueObject* EnglishWholeWords = nullptr;
TDicValueObject* EnglishPrefixWords = nullptr;

std::string DictionaryFileName;

namespace {

constexpr size_t kNotFound = std::numeric_limits<size_t>::max();

// Keys up to this length are searched for directly: at most this many comparisons per character.
constexpr size_t kShortKey = 32;

// The key and the value of a stored line; a key never holds "=", so the first one splits them.
std::string_view KeyOf(std::string_view line) {
  return line.substr(0, line.find('='));
}
std::string_view ValueOf(std::string_view line) {
  return line.substr(line.find('=') + 1);
}

// The last letter of the two-letter rules "ch", "gh", "kh", "ph", "sh", "zh" before their "h".
bool IsHRuleLetter(char c) {
  return c == 'c' || c == 'g' || c == 'k' || c == 'p' || c == 's' || c == 'z';
}

// First i in [lo, hi) for which before(i) is false; before must hold on a prefix of the range.
template <typename Pred>
size_t Bound(size_t lo, size_t hi, Pred before) {
  while (lo < hi) {
    size_t mid = lo + (hi - lo) / 2;
    if (before(mid))
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo;
}

// Orders a line against the text key + "=": negative when the line sorts before it, zero when the
// line begins with it (its key is key), positive otherwise.
int CompareLineWithKey(std::string_view line, std::string_view key) {
  size_t n = std::min(line.size(), key.size());
  if (int r = line.substr(0, n).compare(key.substr(0, n)); r != 0) return r;
  if (line.size() <= key.size()) return -1;
  return static_cast<unsigned char>(line[key.size()]) - static_cast<unsigned char>('=');
}

// Position of the first occurrence of key in word, letters compared without regard to case:
// directly for a short key, by Knuth-Morris-Pratt over the folded characters for a long one, so
// that the time stays linear in both lengths.
size_t FindFolded(std::string_view word, std::string_view key) {
  if (key.empty()) return 0;
  const auto at = [](std::string_view s, size_t i) { return FoldAnsiCase(s[i]); };
  if (key.size() <= kShortKey) {
    for (size_t i = 0; i + key.size() <= word.size(); ++i) {
      size_t j = 0;
      while (j < key.size() && at(word, i + j) == at(key, j)) ++j;
      if (j == key.size()) return i;
    }
    return std::string_view::npos;
  }
  // border[j]: the length of the longest proper border of key[0, j].
  std::vector<size_t> border(key.size(), 0);
  for (size_t j = 1, k = 0; j < key.size(); ++j) {
    while (k > 0 && at(key, j) != at(key, k)) k = border[k - 1];
    if (at(key, j) == at(key, k)) ++k;
    border[j] = k;
  }
  for (size_t i = 0, k = 0; i < word.size(); ++i) {
    while (k > 0 && at(word, i) != at(key, k)) k = border[k - 1];
    if (at(word, i) == at(key, k)) ++k;
    if (k == key.size()) return i + 1 - key.size();
  }
  return std::string_view::npos;
}

// to := text, keeping to's storage. The general assign guards against text lying inside to,
// which no caller here needs, and costs several times as much on the lookups' hot path.
void Copy(std::string& to, std::string_view text) {
  to.clear();
  to.append(text);
}

// out := word with word[pos, pos + length) replaced by value.
void ReplaceInto(std::string& out, std::string_view word, size_t pos, size_t length,
                 std::string_view value) {
  out.clear();
  out.append(word.substr(0, pos)).append(value).append(word.substr(pos + length));
}

// A line without "=" is not an entry: it has no key to find it by, so it is dropped on load.
bool SplitLine(std::string_view line, std::string_view& key, std::string_view& value) {
  size_t eq = line.find('=');
  if (eq == std::string_view::npos) return false;
  key = line.substr(0, eq);
  value = line.substr(eq + 1);
  return true;
}

// Collation of Entries: byte order of the whole "key=value" line; it keeps each first letter's
// lines together, letters in order, and every string before the longer strings it begins.
void SortUnique(std::vector<std::string>& lines) {
  std::sort(lines.begin(), lines.end());
  lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
}

TDictionaryIni& Ini() {
  static TDictionaryIni ini;
  return ini;
}

// Set when saving must leave the file alone: it existed at start but could not be read, or it held
// what a save would drop and no copy of it could be kept.
bool gKeepFile = false;

// The names of the file sections that are read into the sections.
constexpr std::string_view kReadSections[] = {"Whole Words",  "Polite Words", "Suffix Words",
                                              "Prefix Words", "Middle Words", "English Words"};

// Whether the first save would lose something the file holds: text in no section Zefra reads,
// or lines that no section keeps (comments, lines without "=", lines of other sections).
bool SaveWouldDropContent(const TDictionaryIni& ini) {
  if (ini.SkippedLines() > 0) return true;
  bool anyRead = false;
  for (const TDictionaryIni::TSection& section : ini.Sections()) {
    const bool read =
        std::any_of(std::begin(kReadSections), std::end(kReadSections),
                    [&](std::string_view name) { return SameTextAnsi(name, section.Name); });
    anyRead = anyRead || read;
    if (!read && !section.Lines.empty()) return true;
    for (const std::string_view line : section.Lines)
      if (line.find('=') == std::string_view::npos) return true;
  }
  return !anyRead && ini.HasText();
}

// Keeps a copy of the file beside it before the first save can replace it, and tells the user.
void KeepBackup(TDictionaryReporter& reporter) {
  const std::string backup = DictionaryFileName + ".bak";
  std::string bytes;
  if (AtomicFile::Read(DictionaryFileName, bytes) && AtomicFile::Replace(backup, bytes)) {
    reporter.Warning("Zefra could not read all of \"" + DictionaryFileName +
                     "\" and keeps a copy of it as \"" + backup +
                     "\" before saving the dictionary over it.");
    return;
  }
  gKeepFile = true;
  reporter.Warning("Zefra could not read all of \"" + DictionaryFileName +
                   "\" and could not keep a copy of it as \"" + backup +
                   "\", so the dictionary will not be saved over it.");
}

bool FileExists(const std::string& fileName) {
  std::error_code ec;
  return std::filesystem::exists(fileName, ec) && !std::filesystem::is_directory(fileName, ec);
}

void FreeSections() {
  for (TDicValueObject** section : {&WholeWords, &PoliteWords, &SuffixWords, &PrefixWords,
                                    &MiddleWords, &EnglishWholeWords, &EnglishPrefixWords}) {
    delete *section;
    *section = nullptr;
  }
}

}  // namespace

TDicValueObject::TDicValueObject(TDicKind kind) : kind_(kind) {}

std::string TDicValueObject::StoredKey(std::string_view key) const {
  std::string stored(key);
  if (kind_ == dkSuffix) std::reverse(stored.begin(), stored.end());
  return stored;
}

std::string TDicValueObject::Key(size_t i) const {
  return StoredKey(KeyOf(entries_[i]));
}

std::string_view TDicValueObject::Value(size_t i) const {
  return ValueOf(entries_[i]);
}

std::string_view TDicValueObject::ValueAfter(size_t i, size_t keyLength) const {
  return std::string_view(entries_[i]).substr(keyLength + 1);
}

void TDicValueObject::EntriesChanged() {
  Modified = true;
  table_.reset();
  middle_.reset();
  longestKey_ = 0;
  leads_.Clear();
  for (const std::string& line : entries_) {
    const std::string_view key = KeyOf(line);
    longestKey_ = std::max(longestKey_, key.size());
    leads_.Add(key);
  }
  BuildLetterIndex();
}
void TDicValueObject::BuildLetterIndex() {
  letterStart_.fill(0);
  if (kind_ == dkNone || kind_ == dkMiddle || entries_.empty()) return;
  // Byte order puts each letter's lines in one run, so the runs are found by their first byte.
  for (size_t c = 0; c < letterStart_.size(); ++c) {
    const unsigned char letter = static_cast<unsigned char>('a' + c);
    letterStart_[c] = Bound(0, entries_.size(), [&](size_t i) {
      return static_cast<unsigned char>(entries_[i][0]) < letter;
    });
  }
}

std::pair<size_t, size_t> TDicValueObject::LetterRange(char letter) const {
  if (!IsLowerLetter(letter)) return {0, 0};
  size_t c = static_cast<size_t>(letter - 'a');
  return {letterStart_[c], letterStart_[c + 1]};
}

void TDicValueObject::Clear() {
  entries_.clear();
  EntriesChanged();
}

void TDicValueObject::AddEntry(std::string_view key, std::string_view value) {
  std::string line = StoredKey(key);
  line.append(1, '=').append(value);
  auto it = std::lower_bound(entries_.begin(), entries_.end(), line);
  if (it == entries_.end() || *it != line) entries_.insert(it, std::move(line));
  EntriesChanged();
}

size_t TDicValueObject::FirstLineWithKey(size_t first, size_t last,
                                         std::string_view storedKey) const {
  if (storedKey.find('=') != std::string_view::npos) return kNotFound;
  size_t i =
      Bound(first, last, [&](size_t k) { return CompareLineWithKey(entries_[k], storedKey) < 0; });
  return i < last && CompareLineWithKey(entries_[i], storedKey) == 0 ? i : kNotFound;
}

void TDicValueObject::SetEntry(std::string_view key, std::string_view value) {
  const std::string stored = StoredKey(key);
  const size_t pos = FirstLineWithKey(0, entries_.size(), stored);
  if (key == value || value.empty()) {
    if (pos != kNotFound) entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(pos));
  } else {
    std::string line = stored + "=" + std::string(value);
    if (pos != kNotFound) entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(pos));
    // The changed line may now equal another line; the list keeps identical lines once.
    auto it = std::lower_bound(entries_.begin(), entries_.end(), line);
    if (it == entries_.end() || *it != line) entries_.insert(it, std::move(line));
  }
  EntriesChanged();
}

void TDicValueObject::DeleteEntry(std::string_view key) {
  const size_t pos = FirstLineWithKey(0, entries_.size(), StoredKey(key));
  if (pos != kNotFound) entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(pos));
  EntriesChanged();
}

template <typename Lines>
void TDicValueObject::Load(const Lines& lines) {
  entries_.clear();
  entries_.reserve(lines.size());
  for (const std::string_view line : lines) {
    std::string_view key, value;
    if (!SplitLine(line, key, value)) continue;
    if (kind_ == dkSuffix) {
      std::string& stored = entries_.emplace_back(key.rbegin(), key.rend());
      stored.append(1, '=').append(value);
    } else {
      entries_.emplace_back(line);
    }
  }
  SortUnique(entries_);
  entries_.shrink_to_fit();
  EntriesChanged();
}

void TDicValueObject::LoadFromStrings(const std::vector<std::string>& lines) {
  Load(lines);
}

void TDicValueObject::LoadFromLines(const TLines& lines) {
  Load(lines);
}

void TDicValueObject::SaveTo(TLines& lines) const {
  // Suffix lines are sorted with their keys in normal order; other kinds store them so.
  std::vector<std::string> normal;
  if (kind_ == dkSuffix) {
    normal.reserve(entries_.size());
    for (size_t i = 0; i < entries_.size(); ++i)
      normal.push_back(Key(i).append(1, '=').append(Value(i)));
  }
  const std::vector<std::string>& text = kind_ == dkSuffix ? normal : entries_;
  std::vector<uint32_t> order(text.size());
  for (uint32_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(),
            [&](uint32_t a, uint32_t b) { return LessTextAnsi(text[a], text[b]); });
  lines = {};
  for (const uint32_t i : order) lines.push_back(text[i]);
}

void TDicValueObject::SaveToStrings(std::vector<std::string>& lines) const {
  TLines sorted;
  SaveTo(sorted);
  lines.clear();
  lines.reserve(sorted.size());
  for (const std::string_view line : sorted) lines.emplace_back(line);
}

inline const detail::TKeyTable& TDicValueObject::Table() {
  if (!table_)
    table_ = std::make_shared<const detail::TKeyTable>(entries_, letterStart_[0], letterStart_[26]);
  return *table_;
}

uint32_t TDicValueObject::FindWhole(std::string_view key) {
  if (key.size() > longestKey_) return detail::TKeyTable::kNoLine;
  // Only keys of the letter ranges are in the table, and only a word beginning with a lower-case
  // letter is looked up, so keys outside the ranges are never found.
  return Table().Find(entries_, key);
}

TDicValueObject::TPrefixHits TDicValueObject::WalkPrefixes(std::string_view word) {
  const detail::TKeyTable::TMatch longest = Table().LongestBeginning(entries_, word, longestKey_);
  return {longest.Line, longest.Length};
}

std::string TDicValueObject::Find(std::string_view key) {
  return std::string(FindValue(key));
}

std::string_view TDicValueObject::LookUpValue(std::string_view key) {
  if (key.empty() || entries_.empty() || key.size() > longestKey_) return {};
  if (!IsLowerLetter(key.front())) return {};
  if (kind_ != dkWhole && kind_ != dkPrefix && kind_ != dkSuffix) return {};
  // A suffix section stores its keys reversed, and so does its table.
  if (kind_ == dkPrefix) {
    const TPrefixHits walk = WalkPrefixes(key);
    return walk.LongestLength == key.size() ? ValueAfter(walk.Longest, key.size())
                                            : std::string_view();
  }
  const uint32_t pos = kind_ == dkWhole ? FindWhole(key) : Table().Find(entries_, key, true);
  if (pos == detail::TKeyTable::kNoLine) return {};
  return ValueAfter(pos, key.size());
}

TDicValueObject::TBeginningMatch TDicValueObject::WalkBeginning(std::string_view word,
                                                                std::string& out) {
  // FindValue's walk stops at the longest key, which is the whole walk of a word no longer.
  const TPrefixHits walk = WalkPrefixes(word);
  if (walk.Longest == detail::TKeyTable::kNoLine) return {};
  if (walk.LongestLength == word.size()) {
    const std::string_view value = ValueAfter(walk.Longest, word.size());
    if (!value.empty()) return {value, false};
  }
  return {{}, ReplacePrefix(word, walk, out) && out != word};
}

std::string TDicValueObject::FindPart(std::string_view word) {
  if (word.empty()) return {};
  std::string out;
  if (!MayMatch(word) || !ComputePart(word, out)) out = word;
  return out;
}

TDicValueObject::TMiddleMatch TDicValueObject::MatchMiddleIn(std::string_view word,
                                                             std::string& out) {
  if (kind_ != dkMiddle || entries_.empty()) return TMiddleMatch::NoKey;
  const uint32_t line = FirstMiddleKeyIn(word);
  if (line == detail::TMiddleMatcher::kNone) return TMiddleMatch::NoKey;
  ReplaceMiddleKey(word, line, out);
  return out != word ? TMiddleMatch::Changed : TMiddleMatch::Unchanged;
}

bool TDicValueObject::ComputePart(std::string_view word, std::string& out) {
  switch (kind_) {
    case dkWhole:
      return MatchWhole(word, out);
    case dkSuffix:
      return MatchSuffix(word, out);
    case dkPrefix:
      return MatchPrefix(word, out);
    case dkMiddle:
      return MatchMiddle(word, out);
    default:
      out.clear();
      return true;
  }
}

bool TDicValueObject::MatchWhole(std::string_view word, std::string& out) {
  const uint32_t pos = FindWhole(word);
  if (pos == detail::TKeyTable::kNoLine) return false;
  Copy(out, ValueAfter(pos, word.size()));
  return true;
}

bool TDicValueObject::MatchSuffix(std::string_view word, std::string& out) {
  // Of the endings that are keys and not refused, the first in list order wins. The lines sort
  // by their bytes with the keys reversed, so of two such endings the shorter comes first exactly
  // when the character before it sorts after "=" (a line "ab'=" sorts before "ab="): the winner
  // is the shortest ending with such a character before it, or else the longest.
  uint32_t best = detail::TKeyTable::kNoLine;
  size_t bestLength = 0;
  Table().ForEachEnding(entries_, word, longestKey_, [&](size_t length, uint32_t line) {
    const size_t start = word.size() - length;
    // An ending "h..." would cut the "h" from a two-letter rule ending just before it.
    if (word[start] == 'h' && start > 0 && IsHRuleLetter(word[start - 1])) return false;
    best = line;
    bestLength = length;
    return start == 0 || static_cast<unsigned char>(word[start - 1]) > '=';
  });
  if (best == detail::TKeyTable::kNoLine) return false;
  ReplaceInto(out, word, word.size() - bestLength, bestLength, ValueAfter(best, bestLength));
  return true;
}

bool TDicValueObject::MatchPrefix(std::string_view word, std::string& out) {
  return ReplacePrefix(word, WalkPrefixes(word), out);
}

bool TDicValueObject::ReplacePrefix(std::string_view word, const TPrefixHits& walk,
                                    std::string& out) const {
  const uint32_t best = walk.Longest;
  const size_t bestLength = walk.LongestLength;
  if (best == detail::TKeyTable::kNoLine) return false;
  if (bestLength < word.size()) {
    const char next = word[bestLength];
    // A mark modifies the key's last letter; an "h" would split a two-letter rule. Either way the
    // key is no whole prefix, and a shorter key is not tried.
    if (next == '\'' || next == '`') return false;
    if (next == 'h' && IsHRuleLetter(word[bestLength - 1])) return false;
  }
  // The key begins the word exactly, so its first occurrence without regard to case is there.
  ReplaceInto(out, word, 0, bestLength, ValueAfter(best, bestLength));
  return true;
}

bool TDicValueObject::MatchMiddle(std::string_view word, std::string& out) {
  if (entries_.empty()) return false;
  const uint32_t line = FirstMiddleKeyIn(word);
  if (line == detail::TMiddleMatcher::kNone) return false;
  ReplaceMiddleKey(word, line, out);
  return true;
}

uint32_t TDicValueObject::FirstMiddleKeyIn(std::string_view word) {
  if (!middle_) middle_ = std::make_shared<const detail::TMiddleMatcher>(entries_);
  return middle_->FirstKeyIn(word);
}

void TDicValueObject::ReplaceMiddleKey(std::string_view word, uint32_t line,
                                       std::string& out) const {
  // The key was chosen by an exact occurrence, but an occurrence differing in case may come first.
  const std::string_view key = KeyOf(entries_[line]);
  const size_t pos = FindFolded(word, key);
  ReplaceInto(out, word, pos, key.size(), ValueAfter(line, key.size()));
}

std::string DictionaryFileFor(const std::string& programDir, const std::string& perUserDir) {
  namespace fs = std::filesystem;
  const fs::path programFile = fs::path(programDir) / "Zefra.txt";
  // The superuser may write into the directory the programs are installed in, but a file there
  // would be every user's starting dictionary and no package's.
  std::error_code ec;
  const bool installed = fs::equivalent(programDir, ZEFRA_INSTALLED_PROGRAM_DIR, ec);
  if (!installed && AtomicFile::IsWritableDirectory(programDir)) return programFile.string();
  return (fs::path(perUserDir) / "Zefra.txt").string();
}

std::string ChooseDictionaryFile(const std::string& programDir, const std::string& perUserDir) {
  namespace fs = std::filesystem;
  const fs::path programFile = fs::path(programDir) / "Zefra.txt";
  const fs::path userFile = DictionaryFileFor(programDir, perUserDir);
  if (userFile == programFile) return userFile.string();
  std::error_code ec;
  fs::create_directories(perUserDir, ec);
  if (!fs::exists(userFile, ec) && fs::is_regular_file(programFile, ec))
    fs::copy_file(programFile, userFile, ec);
  return userFile.string();
}

bool LoadDictionary(uint8_t sections) {
  if (!FileExists(DictionaryFileName)) return false;
  LoadSectionsFrom(Ini(), sections);
  return true;
}

void LoadSectionsFrom(const TDictionaryIni& image, uint8_t sections) {
  static const TLines kNoLines;
  auto linesOf = [&image](std::string_view name) -> const TLines& {
    const TLines* lines = image.SectionLines(name);
    return lines ? *lines : kNoLines;
  };
  if (sections & dsWhole) WholeWords->LoadFromLines(linesOf("Whole Words"));
  if (sections & dsPolite) PoliteWords->LoadFromLines(linesOf("Polite Words"));
  if (sections & dsSuffix) SuffixWords->LoadFromLines(linesOf("Suffix Words"));
  if (sections & dsPrefix) PrefixWords->LoadFromLines(linesOf("Prefix Words"));
  if (sections & dsMiddle) MiddleWords->LoadFromLines(linesOf("Middle Words"));
  if (sections & dsEnglish) LoadEnglishWords(linesOf("English Words"));
}

namespace {

template <typename Lines>
void LoadEnglish(const Lines& lines) {
  // One batch per section gives the same lines as adding them one by one.
  TLines whole, prefix;
  for (const std::string_view line : lines) {
    std::string_view key, value;
    if (!SplitLine(line, key, value)) continue;
    (value == "Whole" ? whole : prefix).push_back(line);
  }
  EnglishWholeWords->LoadFromLines(whole);
  EnglishPrefixWords->LoadFromLines(prefix);
}

}  // namespace

void LoadEnglishWords(const std::vector<std::string>& lines) {
  LoadEnglish(lines);
}

void LoadEnglishWords(const TLines& lines) {
  LoadEnglish(lines);
}

bool CreateDefaultDictionary(TDictionaryReporter& reporter) {
  for (const TDicPair& pair : DefaultWholeWords)
    Ini().WriteString("Whole Words", pair.Key, pair.Value);
  for (const TDicPair& pair : DefaultPrefixWords)
    Ini().WriteString("Prefix Words", pair.Key, pair.Value);
  for (const TDicPair& pair : DefaultSuffixWords)
    Ini().WriteString("Suffix Words", pair.Key, pair.Value);
  if (Ini().SaveToFile(DictionaryFileName)) return true;
  reporter.Error(
      "Zefra failed in creating defualt Dictionary files.Check your write permissions in current "
      "directory and if media is ready for operation.");
  return false;
}

void StartDictionaryModule(const std::string& fileName, TDictionaryReporter& reporter) {
  DictionaryFileName = fileName;
  SetDictionaryFlagDefaults();

  // What an interrupted save left behind; a save still running in another Zefra keeps its own.
  AtomicFile::RemoveStaleTemporaries(DictionaryFileName);
  const bool read = Ini().LoadFromFile(DictionaryFileName);
  gKeepFile = !read && FileExists(DictionaryFileName);

  CreateSections();

  if (!FileExists(DictionaryFileName)) CreateDefaultDictionary(reporter);
  if (FileExists(DictionaryFileName)) {
    LoadDictionary(DictionarySections);
    if (read && SaveWouldDropContent(Ini())) KeepBackup(reporter);
    return;
  }
  reporter.Warning("File \"" + DictionaryFileName + "\" Not Found.Creating new one.");
  AddDefaultEntries();
}

TDictionaryIni SavedImage() {
  // Built as the file will read back.
  TDictionaryIni image;
  TLines lines;
  auto addSection = [&](std::string_view header, std::initializer_list<TDicValueObject*> sections) {
    image.Append(header);
    for (TDicValueObject* section : sections) {
      section->SaveTo(lines);
      for (const std::string_view line : lines) image.Append(line);
    }
  };
  addSection("[Whole Words]", {WholeWords});
  addSection("[Polite Words]", {PoliteWords});
  addSection("[Chat Words]", {});
  addSection("[Suffix Words]", {SuffixWords});
  addSection("[Prefix Words]", {PrefixWords});
  addSection("[Middle Words]", {MiddleWords});
  addSection("[English Words]", {EnglishWholeWords, EnglishPrefixWords});
  return image;
}

bool SaveDictionary() {
  if (!WholeWords || gKeepFile) return false;
  // The image replaces the old one only once the file holds it, so it never describes a file
  // not written.
  TDictionaryIni image = SavedImage();
  if (!image.SaveToFile(DictionaryFileName)) return false;
  Ini() = std::move(image);
  return true;
}

bool DictionaryFileKept() {
  return gKeepFile;
}

void FinishDictionaryModule() {
  FreeSections();
  Ini().Clear();
  gKeepFile = false;
}

void CreateSections() {
  FreeSections();
  WholeWords = new TDicValueObject(dkWhole);
  PrefixWords = new TDicValueObject(dkPrefix);
  SuffixWords = new TDicValueObject(dkSuffix);
  PoliteWords = new TDicValueObject(dkWhole);
  MiddleWords = new TDicValueObject(dkMiddle);
  EnglishWholeWords = new TDicValueObject(dkWhole);
  EnglishPrefixWords = new TDicValueObject(dkPrefix);
}

void AddDefaultEntries() {
  for (const TDicPair& pair : DefaultPrefixWords) PrefixWords->AddEntry(pair.Key, pair.Value);
  for (const TDicPair& pair : DefaultWholeWords) WholeWords->AddEntry(pair.Key, pair.Value);
  for (const TDicPair& pair : DefaultSuffixWords) SuffixWords->AddEntry(pair.Key, pair.Value);
}

bool ReadDictionaryFile(const std::string& path) {
  if (!Ini().LoadFromFile(path)) return false;
  DictionaryFileName = path;
  return LoadDictionary(DictionarySections);
}
