#include "Dictionary.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <limits>
#include <queue>

#include "DictionaryIni.h"

// The module's start sets these again; the same values here keep an unstarted engine sensible.
uint8_t DictionaryMode = 1;
uint8_t ChatMode = 1;
uint8_t TashdidMode = 1;
uint8_t PrefixMode = 0;
uint8_t PoliteMode = 0;
uint8_t MiddleMode = 1;
uint8_t EnglishDetectMode = 1;

TDicValueObject* WholeWords = nullptr;
TDicValueObject* PoliteWords = nullptr;
TDicValueObject* SuffixWords = nullptr;
TDicValueObject* PrefixWords = nullptr;
TDicValueObject* MiddleWords = nullptr;
TDicValueObject* EnglishWholeWords = nullptr;
TDicValueObject* EnglishPrefixWords = nullptr;

std::string DictionaryFileName;

namespace detail {

// Aho-Corasick automaton over the keys of a middle section: one pass over a word gives the first
// key in list order that occurs in it.
class TMiddleMatcher {
 public:
  static constexpr size_t kNone = std::numeric_limits<size_t>::max();

  explicit TMiddleMatcher(const std::vector<std::string>& keys) {
    nodes_.emplace_back();
    for (size_t i = 0; i < keys.size(); ++i) {
      // An empty key occurs nowhere: replacing "nothing" has no place in the word.
      if (keys[i].empty()) continue;
      uint32_t node = 0;
      for (unsigned char c : keys[i]) {
        uint32_t next = Child(node, c);
        if (next == 0) {
          next = static_cast<uint32_t>(nodes_.size());
          auto& children = nodes_[node].Children;
          children.insert(std::lower_bound(children.begin(), children.end(), Edge{c, 0}),
                          {c, next});
          nodes_.emplace_back();
        }
        node = next;
      }
      // Keys arrive in list order, so the first index kept is the first line with that key.
      nodes_[node].First = std::min(nodes_[node].First, i);
    }
    std::queue<uint32_t> queue;
    for (const Edge& e : nodes_[0].Children) queue.push(e.Target);
    while (!queue.empty()) {
      uint32_t u = queue.front();
      queue.pop();
      for (const Edge& e : nodes_[u].Children) {
        uint32_t f = nodes_[u].Fail;
        uint32_t next = Child(f, e.Letter);
        while (f != 0 && next == 0) {
          f = nodes_[f].Fail;
          next = Child(f, e.Letter);
        }
        nodes_[e.Target].Fail = next;
        // The failure target is shallower, so its First already covers its own suffixes.
        nodes_[e.Target].First = std::min(nodes_[e.Target].First, nodes_[next].First);
        queue.push(e.Target);
      }
    }
  }

  // Index in list order of the first key that occurs in word, or kNone.
  size_t FirstKeyIn(std::string_view word) const {
    size_t best = kNone;
    uint32_t node = 0;
    for (unsigned char c : word) {
      uint32_t next = Child(node, c);
      while (node != 0 && next == 0) {
        node = nodes_[node].Fail;
        next = Child(node, c);
      }
      node = next;
      best = std::min(best, nodes_[node].First);
      if (best == 0) break;
    }
    return best;
  }

 private:
  struct Edge {
    unsigned char Letter;
    uint32_t Target;
    bool operator<(const Edge& other) const { return Letter < other.Letter; }
  };
  struct Node {
    std::vector<Edge> Children;  // sorted by letter
    uint32_t Fail = 0;
    size_t First = kNone;  // first key, in list order, that ends here or at a failure target
  };

  uint32_t Child(uint32_t node, unsigned char c) const {
    const auto& children = nodes_[node].Children;
    auto it = std::lower_bound(children.begin(), children.end(), Edge{c, 0});
    return it != children.end() && it->Letter == c ? it->Target : 0;
  }

  std::vector<Node> nodes_;
};

}  // namespace detail

namespace {

constexpr size_t kNotFound = std::numeric_limits<size_t>::max();

bool IsLowerLetter(char c) {
  return c >= 'a' && c <= 'z';
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

// Calls found(length, line) for every length L, shortest first, for which a line in [lo, hi) has
// the key probe[0, L); line is the first such line in list order. Each step narrows the range to
// the lines that begin with the longer probe, so the cost grows with the probe, not the section.
template <typename F>
void ForEachKeyBeginning(const std::vector<std::string>& lines, size_t lo, size_t hi,
                         std::string_view probe, F&& found) {
  for (size_t length = 1; length <= probe.size() && lo < hi; ++length) {
    const unsigned char c = probe[length - 1];
    if (c == '=') return;  // no key holds "="
    // Every line in [lo, hi) begins with probe[0, length - 1) and has its "=" further on.
    auto at = [&](size_t i, size_t pos) { return static_cast<unsigned char>(lines[i][pos]); };
    lo = Bound(lo, hi, [&](size_t i) { return at(i, length - 1) < c; });
    hi = Bound(lo, hi, [&](size_t i) { return at(i, length - 1) <= c; });
    if (lo == hi) return;
    size_t first = Bound(lo, hi, [&](size_t i) { return at(i, length) < '='; });
    if (first < hi && lines[first][length] == '=') found(length, first);
  }
}

// Position of the first occurrence of key in word, letters compared without regard to case.
size_t FindFolded(std::string_view word, std::string_view key) {
  if (key.size() > word.size()) return std::string_view::npos;
  for (size_t i = 0; i + key.size() <= word.size(); ++i) {
    size_t j = 0;
    while (j < key.size() && FoldAnsiCase(word[i + j]) == FoldAnsiCase(key[j])) ++j;
    if (j == key.size()) return i;
  }
  return std::string_view::npos;
}

std::string Replaced(std::string_view word, size_t pos, size_t length, std::string_view value) {
  std::string result;
  result.reserve(word.size() - length + value.size());
  result.append(word.substr(0, pos)).append(value).append(word.substr(pos + length));
  return result;
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

// Set when the file existed at start but could not be read: saving would replace contents that
// were never loaded.
bool gFileUnreadable = false;

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

void TDicValueObject::EntriesChanged() {
  Modified = true;
  lastKey_.clear();
  lastValue_.clear();
  cacheOwner_ = TCacheOwner::None;
  middle_.reset();
  keys_.resize(entries_.size());
  values_.resize(entries_.size());
  maxKeyLength_ = 0;
  for (size_t i = 0; i < entries_.size(); ++i) {
    std::string_view key, value;
    SplitLine(entries_[i], key, value);
    keys_[i].assign(key);
    if (kind_ == dkSuffix) std::reverse(keys_[i].begin(), keys_[i].end());
    values_[i].assign(value);
    maxKeyLength_ = std::max(maxKeyLength_, key.size());
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

void TDicValueObject::LoadFromStrings(const std::vector<std::string>& lines) {
  entries_.clear();
  entries_.reserve(lines.size());
  for (const std::string& line : lines) {
    std::string_view key, value;
    if (!SplitLine(line, key, value)) continue;
    if (kind_ == dkSuffix) {
      std::string& stored = entries_.emplace_back(key.rbegin(), key.rend());
      stored.append(1, '=').append(value);
    } else {
      entries_.push_back(line);
    }
  }
  SortUnique(entries_);
  EntriesChanged();
}

void TDicValueObject::SaveToStrings(std::vector<std::string>& lines) const {
  lines.clear();
  lines.reserve(keys_.size());
  for (size_t i = 0; i < keys_.size(); ++i) {
    std::string& line = lines.emplace_back();
    line.reserve(keys_[i].size() + 1 + values_[i].size());
    line.append(keys_[i]).append(1, '=').append(values_[i]);
  }
  std::sort(lines.begin(), lines.end(),
            [](const std::string& a, const std::string& b) { return LessTextAnsi(a, b); });
}

std::string TDicValueObject::Find(std::string_view key) {
  if (key.empty() || keys_.empty()) return {};
  if (cacheOwner_ == TCacheOwner::Find && key == lastKey_) return lastValue_;
  if (!IsLowerLetter(key.front())) return {};
  size_t pos = kNotFound;
  if (kind_ == dkWhole || kind_ == dkPrefix) {
    auto [first, last] = LetterRange(key.front());
    pos = FirstLineWithKey(first, last, key);
  } else if (kind_ == dkSuffix) {
    auto [first, last] = LetterRange(key.back());
    pos = FirstLineWithKey(first, last, StoredKey(key));
  }
  if (pos == kNotFound) return {};
  lastKey_.assign(key);
  lastValue_ = values_[pos];
  cacheOwner_ = TCacheOwner::Find;
  return values_[pos];
}

std::string TDicValueObject::FindPart(std::string_view word) {
  if (word.empty()) return {};
  if (cacheOwner_ == TCacheOwner::FindPart && !lastValue_.empty() && word == lastKey_)
    return lastValue_;
  lastKey_.assign(word);
  lastValue_.clear();
  cacheOwner_ = TCacheOwner::FindPart;
  std::string result = ComputePart(word);
  lastValue_ = result;
  return result;
}

bool TDicValueObject::MatchesPart(std::string_view word) {
  return FindPart(word) != word;
}

std::string TDicValueObject::ComputePart(std::string_view word) {
  switch (kind_) {
    case dkWhole:
      return MatchWhole(word);
    case dkSuffix:
      return MatchSuffix(word);
    case dkPrefix:
      return MatchPrefix(word);
    case dkMiddle:
      return MatchMiddle(word);
    default:
      return {};
  }
}

std::string TDicValueObject::MatchWhole(std::string_view word) const {
  if (keys_.empty() || !IsLowerLetter(word.front())) return std::string(word);
  auto [first, last] = LetterRange(word.front());
  size_t pos = FirstLineWithKey(first, last, word);
  return pos == kNotFound ? std::string(word) : values_[pos];
}

std::string TDicValueObject::MatchSuffix(std::string_view word) {
  if (keys_.empty() || !IsLowerLetter(word.back())) return std::string(word);
  const size_t probeLength = std::min(word.size(), maxKeyLength_);
  probe_.assign(word.rbegin(), word.rbegin() + static_cast<std::ptrdiff_t>(probeLength));
  size_t best = kNotFound, bestLength = 0;
  auto [first, last] = LetterRange(word.back());
  // Every ending that is a key is a candidate; the first in list order that is not refused wins,
  // which is not always the shortest (a line "ab'=" sorts before "ab=").
  ForEachKeyBeginning(entries_, first, last, probe_, [&](size_t length, size_t line) {
    if (line >= best) return;
    const size_t start = word.size() - length;
    // An ending "h..." would cut the "h" from a two-letter rule ending just before it.
    if (word[start] == 'h' && start > 0 && IsHRuleLetter(word[start - 1])) return;
    best = line;
    bestLength = length;
  });
  if (best == kNotFound) return std::string(word);
  return Replaced(word, word.size() - bestLength, bestLength, values_[best]);
}

std::string TDicValueObject::MatchPrefix(std::string_view word) const {
  if (keys_.empty() || !IsLowerLetter(word.front())) return std::string(word);
  size_t best = kNotFound, bestLength = 0;
  auto [first, last] = LetterRange(word.front());
  ForEachKeyBeginning(entries_, first, last, word.substr(0, std::min(word.size(), maxKeyLength_)),
                      [&](size_t length, size_t line) {
                        best = line;
                        bestLength = length;
                      });
  if (best == kNotFound) return std::string(word);
  if (bestLength < word.size()) {
    const char next = word[bestLength];
    // A mark modifies the key's last letter; an "h" would split a two-letter rule. Either way the
    // key is no whole prefix, and a shorter key is not tried.
    if (next == '\'' || next == '`') return std::string(word);
    if (next == 'h' && IsHRuleLetter(word[bestLength - 1])) return std::string(word);
  }
  // The key begins the word exactly, so its first occurrence without regard to case is there.
  return Replaced(word, 0, bestLength, values_[best]);
}

std::string TDicValueObject::MatchMiddle(std::string_view word) {
  if (keys_.empty()) return std::string(word);
  if (!middle_) middle_ = std::make_shared<const detail::TMiddleMatcher>(keys_);
  const size_t index = middle_->FirstKeyIn(word);
  if (index == detail::TMiddleMatcher::kNone) return std::string(word);
  // The key was chosen by an exact occurrence, but an occurrence differing in case may come first.
  const size_t pos = FindFolded(word, keys_[index]);
  return Replaced(word, pos, keys_[index].size(), values_[index]);
}

std::string ChooseDictionaryFile(const std::string& programDir, const std::string& perUserDir) {
  namespace fs = std::filesystem;
  const fs::path programFile = fs::path(programDir) / "Zefra.txt";
  const std::string dir = programDir.empty() ? std::string(".") : programDir;
  if (::access(dir.c_str(), W_OK) == 0) return programFile.string();
  std::error_code ec;
  const fs::path userFile = fs::path(perUserDir) / "Zefra.txt";
  fs::create_directories(perUserDir, ec);
  if (!fs::exists(userFile, ec) && fs::is_regular_file(programFile, ec))
    fs::copy_file(programFile, userFile, ec);
  return userFile.string();
}

bool LoadDictionary(uint8_t sections) {
  if (!FileExists(DictionaryFileName)) return false;
  static const std::vector<std::string> kNoLines;
  auto linesOf = [](std::string_view name) -> const std::vector<std::string>& {
    const std::vector<std::string>* lines = Ini().SectionLines(name);
    return lines ? *lines : kNoLines;
  };
  if (sections & dsWhole) WholeWords->LoadFromStrings(linesOf("Whole Words"));
  if (sections & dsPolite) PoliteWords->LoadFromStrings(linesOf("Polite Words"));
  if (sections & dsSuffix) SuffixWords->LoadFromStrings(linesOf("Suffix Words"));
  if (sections & dsPrefix) PrefixWords->LoadFromStrings(linesOf("Prefix Words"));
  if (sections & dsMiddle) MiddleWords->LoadFromStrings(linesOf("Middle Words"));
  if (sections & dsEnglish) LoadEnglishWords(linesOf("English Words"));
  return true;
}

void LoadEnglishWords(const std::vector<std::string>& lines) {
  // One batch per section gives the same lines as adding them one by one.
  std::vector<std::string> whole, prefix;
  for (const std::string& line : lines) {
    std::string_view key, value;
    if (!SplitLine(line, key, value)) continue;
    (value == "Whole" ? whole : prefix).push_back(line);
  }
  EnglishWholeWords->LoadFromStrings(whole);
  EnglishPrefixWords->LoadFromStrings(prefix);
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
  DictionaryMode = 1;
  ChatMode = 1;
  PrefixMode = 0;
  TashdidMode = 1;
  PoliteMode = 0;
  MiddleMode = 1;
  // On by the operating system's version, and every system this runs on is new enough.
  EnglishDetectMode = 1;

  gFileUnreadable = !Ini().LoadFromFile(DictionaryFileName) && FileExists(DictionaryFileName);

  CreateSections();

  if (!FileExists(DictionaryFileName)) CreateDefaultDictionary(reporter);
  if (FileExists(DictionaryFileName)) {
    LoadDictionary(DictionarySections);
    return;
  }
  reporter.Warning("File \"" + DictionaryFileName + "\" Not Found.Creating new one.");
  AddDefaultEntries();
}

bool SaveDictionary() {
  if (!WholeWords || gFileUnreadable) return false;
  std::vector<std::string> all, lines;
  auto addSection = [&](std::string_view header, std::initializer_list<TDicValueObject*> sections) {
    all.emplace_back(header);
    for (TDicValueObject* section : sections) {
      section->SaveToStrings(lines);
      for (std::string& line : lines) all.push_back(std::move(line));
    }
  };
  addSection("[Whole Words]", {WholeWords});
  addSection("[Polite Words]", {PoliteWords});
  addSection("[Chat Words]", {});
  addSection("[Suffix Words]", {SuffixWords});
  addSection("[Prefix Words]", {PrefixWords});
  addSection("[Middle Words]", {MiddleWords});
  addSection("[English Words]", {EnglishWholeWords, EnglishPrefixWords});
  // The image is replaced only once the file holds it, so it never describes a file not written.
  TDictionaryIni image;
  image.Assign(all);
  if (!image.SaveToFile(DictionaryFileName)) return false;
  Ini() = std::move(image);
  return true;
}

void FinishDictionaryModule() {
  FreeSections();
  Ini().Clear();
  gFileUnreadable = false;
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
