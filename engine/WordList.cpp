#include "WordList.h"

#include <fcntl.h>
#include <malloc.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

#include "Skeleton.h"

extern char** environ;

namespace {

constexpr char16_t kZwnj = 0x200C;

constexpr bool IsDiacritic(char16_t c) {
  return (c >= 0x064B && c <= 0x065F) || c == 0x0670 || c == 0x0640 || (c >= 0x0610 && c <= 0x061A);
}

// Letters and marks of the Arabic block, without its punctuation and digits.
constexpr bool IsArabicLetter(char16_t c) {
  return (c >= 0x0621 && c <= 0x065F) || (c >= 0x0670 && c <= 0x06D3);
}

// A character as the lists are looked up by it; 0 for one that keys leave out.
constexpr char16_t KeyLetterOf(char16_t c) {
  if (c == kZwnj || IsDiacritic(c)) return 0;
  if (c == 0x064A || c == 0x0649) return u'\u06CC';
  if (c == 0x0643) return u'\u06A9';
  return c;
}

// KeyLetterOf for the Arabic block, where every key letter lies, as a table: a key is made for
// every spelling that smart spelling reads.
constexpr char16_t kArabicBlock = 0x0600;
constexpr auto kKeyLetters = [] {
  std::array<char16_t, 256> table{};
  for (size_t i = 0; i < table.size(); ++i) table[i] = KeyLetterOf(char16_t(kArabicBlock + i));
  return table;
}();

char16_t KeyLetter(char16_t c) {
  if (char16_t(c - kArabicBlock) < kKeyLetters.size()) return kKeyLetters[c - kArabicBlock];
  return c == kZwnj ? 0 : c;
}

// FNV-1a over the code units, extended one unit at a time, so that every prefix of a key is
// hashed in one pass.
class TKeyHash {
 public:
  void Add(char16_t c) { h_ = (h_ ^ c) * 0x100000001B3ull; }
  uint64_t Value() const { return h_ ^ (h_ >> 29); }

 private:
  uint64_t h_ = 0xCBF29CE484222325ull;
};

// The key letters of the two-byte UTF-8 sequences that start with 0xD8 to 0xDB (the Arabic
// block), by the low two bits of the first byte and the low six of the second: 0 for a letter
// that keys leave out, kNoKeyLetter for punctuation and digits.
constexpr char16_t kNoKeyLetter = 0xFFFF;
constexpr auto kUtf8KeyLetters = [] {
  std::array<char16_t, 256> table{};
  for (size_t i = 0; i < table.size(); ++i) {
    const auto c = char16_t(kArabicBlock + i);
    table[i] = IsArabicLetter(c) ? KeyLetterOf(c) : kNoKeyLetter;
  }
  return table;
}();

// Appends the key of one Persian word in UTF-8 to key and its letters to hash: Arabic letters
// and ZWNJ only. False, with key as it was, for anything else (Latin words, digits and
// punctuation in the frequency list). zwnj tells whether the word holds a ZWNJ.
bool AppendUtf8Key(std::string_view bytes, std::u16string& key, bool& zwnj, TKeyHash& hash) {
  const size_t keyAt = key.size();
  zwnj = false;
  // Room for the most letters the bytes can hold, written in place and cut to size: a list of
  // hundreds of thousands of words is read this way at every start.
  key.resize(keyAt + bytes.size() / 2);
  char16_t* letters = key.data() + keyAt;
  size_t count = 0;
  const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
  const size_t size = bytes.size();
  size_t i = 0;
  while (i < size) {
    if (in[i] - 0xD8u <= 3 && i + 1 < size && (in[i + 1] & 0xC0) == 0x80) {
      const char16_t letter = kUtf8KeyLetters[((in[i] & 0x03) << 6) | (in[i + 1] & 0x3F)];
      if (letter == kNoKeyLetter) break;
      if (letter) {
        letters[count++] = letter;
        hash.Add(letter);
      }
      i += 2;
    } else if (size - i >= 3 && in[i] == 0xE2 && in[i + 1] == 0x80 && in[i + 2] == 0x8C) {
      zwnj = true;
      i += 3;
    } else {
      break;
    }
  }
  key.resize(size > 0 && i == size ? keyAt + count : keyAt);
  return size > 0 && i == size;
}

// The ZWNJs of a listed UTF-8 spelling that mark a verbal prefix or a plural ending.
uint8_t JoinersOf(std::string_view word) {
  uint8_t joiners = 0;
  if (word.starts_with("\u0645\u06CC\u200C") || word.starts_with("\u0646\u0645\u06CC\u200C"))
    joiners |= jnAfterPrefix;
  for (const std::string_view plural :
       {"\u200C\u0647\u0627", "\u200C\u0647\u0627\u06CC", "\u200C\u0647\u0627\u06CC\u06CC"})
    if (word.ends_with(plural)) joiners |= jnBeforePlural;
  return joiners;
}

uint64_t HashKey(std::u16string_view key) {
  TKeyHash hash;
  for (const char16_t c : key) hash.Add(c);
  return hash.Value();
}

// The hash that SameSkeleton finds a key by, or 0 when its skeleton is empty and nothing finds
// it: a skeleton that hashes to 0 is as rare as two that hash alike, which lookups already take.
uint64_t SkeletonHashOf(std::u16string_view key) {
  TKeyHash hash;
  bool any = false;
  ForEachSkeletonLetter(key, [&](char16_t letter) {
    hash.Add(letter);
    any = true;
  });
  return any ? hash.Value() : 0;
}

// The bits of one prefix's hash: a block of the filter and four bits in it, as the block's word
// and the bit in that word.
template <typename F>
void ForPrefixBits(uint64_t hash, F&& bit) {
  for (int i = 0; i < 4; ++i) {
    const unsigned b = (hash >> (32 + 8 * i)) & (TWordList::kBlockBits - 1);
    bit(b / 64, uint64_t(1) << (b % 64));
  }
}

}  // namespace

TKeyPrefixes::TKeyPrefixes(std::u16string_view key) : key_(key) {
  TKeyHash hash;
  hashes_[0] = hash.Value();
  for (size_t n = 0; n < std::min(key.size(), kLongestKept); ++n) {
    hash.Add(key[n]);
    hashes_[n + 1] = hash.Value();
  }
}

uint64_t TKeyPrefixes::Hash(size_t length) const {
  return length <= kLongestKept ? hashes_[length] : HashKey(key_.substr(0, length));
}

void AppendLookupKey(std::u16string_view persian, std::u16string& key) {
  // A piece at a time through a buffer, so that the string grows by one append a piece.
  constexpr size_t kPiece = 32;
  for (size_t from = 0; from < persian.size(); from += kPiece) {
    std::array<char16_t, kPiece> letters;
    size_t count = 0;
    for (const char16_t c : persian.substr(from, kPiece))
      if (const char16_t letter = KeyLetter(c)) letters[count++] = letter;
    key.append(letters.data(), count);
  }
}

void TWordList::Reserve(size_t words) {
  entries_.reserve(words);
  newSkeletons_.reserve(words);
  keys_.reserve(words * 8);
  Grow(words);
}

void TWordList::AddLines(std::string_view text, TWordListBit list) {
  // The last line may have no line end; the table is never empty when its slots are fetched.
  const size_t lines = std::count(text.begin(), text.end(), '\n') + 1;
  if ((entries_.size() + lines) * 2 > slots_.size()) Grow(entries_.size() + lines);
  // Words are read a batch at a time and their slots fetched before any is added, so that the
  // table's cache misses, one for nearly every word, overlap rather than follow each other.
  struct TRead {
    std::string_view Word;
    uint32_t Count;
    size_t KeyAt;
    size_t KeyLength;
    uint64_t Hash;
    bool Zwnj;
  };
  std::array<TRead, 16> batch;
  std::u16string& keys = newKeys_;
  while (!text.empty()) {
    size_t read = 0;
    keys.clear();
    while (read < batch.size() && !text.empty()) {
      const size_t end = std::min(text.find('\n'), text.size());
      std::string_view line = text.substr(0, end);
      text.remove_prefix(std::min(end + 1, text.size()));
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      uint32_t count = 0;
      if (list == wlFrequency) {
        const size_t space = line.find(' ');
        if (space == std::string_view::npos) continue;
        const std::string_view digits = line.substr(space + 1);
        if (std::from_chars(digits.data(), digits.data() + digits.size(), count).ec !=
                std::errc() ||
            count == 0)
          continue;
        line = line.substr(0, space);
      }
      TRead& word = batch[read];
      word = {line, count, keys.size(), 0, 0, false};
      TKeyHash hash;
      if (!AppendUtf8Key(line, keys, word.Zwnj, hash) || keys.size() == word.KeyAt) {
        keys.resize(word.KeyAt);  // no Persian word
        continue;
      }
      word.KeyLength = keys.size() - word.KeyAt;
      word.Hash = hash.Value();
      __builtin_prefetch(&slots_[word.Hash & (slots_.size() - 1)]);
      ++read;
    }
    for (const TRead& word : std::span(batch).first(read)) {
      Add(word.Word, std::u16string_view(keys).substr(word.KeyAt, word.KeyLength), word.Hash,
          word.Zwnj, list, word.Count);
      if (word.Count) leastCount_ = leastCount_ ? std::min(leastCount_, word.Count) : word.Count;
    }
  }
}

void TWordList::BuildPrefixTables() const {
  prefixStale_ = false;
  // The skeleton index is built beside the prefix tables, on the other core: the two write
  // nothing in common, and loading the lists is what the first converted word waits for.
  std::jthread skeletons([this] { BuildSkeletonIndex(); });
  // About ten bits for each distinct prefix: a key has some seven letters, and most of its
  // prefixes it shares with other keys.
  size_t blocks = 1;
  while (blocks * kBlockBits < entries_.size() * 24) blocks *= 2;
  prefixBlocks_.assign(blocks, {});
  size_t counted = 0;
  for (const TEntry& e : entries_) counted += e.Info.Count > 0;
  size_t slots = 1024;
  while (slots < counted * 8) slots *= 2;
  countedPrefixes_.assign(slots, {});
  // The lists give words in runs that begin alike: the prefixes a key shares with the one
  // before it have their bits set already.
  std::u16string_view previous;
  for (uint32_t i = 0; i < entries_.size(); ++i) {
    const TEntry& e = entries_[i];
    const std::u16string_view key = Key(i);
    const size_t letters = std::min(key.size(), kLongestFiltered);
    size_t shared = 0;
    while (shared < std::min(letters, previous.size()) && key[shared] == previous[shared]) ++shared;
    previous = key;
    TKeyHash hash;
    for (size_t n = 0; n < letters; ++n) {
      hash.Add(key[n]);
      if (n + 1 < kShortestFiltered) continue;
      if (n >= shared) SetPrefixBits(hash.Value());
      if (e.Info.Count) {
        TCountedPrefix& slot = CountedPrefix(hash.Value());
        slot.Print = uint32_t(hash.Value() >> 32) | 1;
        slot.Count = std::max(slot.Count, e.Info.Count);
      }
    }
  }
}

void TWordList::BuildSkeletonIndex() const {
  // Each entry's rank beside its skeleton's hash, so that sorting compares what it holds rather
  // than fetching two entries from all over the table for every tie. A rank is the place of the
  // entry's count among the distinct counts, then whether the core list holds it: ordered as
  // the count and the list are, in half the room of the count itself.
  std::vector<uint32_t> counts;
  for (const TEntry& e : entries_)
    if (e.Info.Count) counts.push_back(e.Info.Count);
  std::sort(counts.begin(), counts.end());
  counts.erase(std::unique(counts.begin(), counts.end()), counts.end());
  std::vector<TSkeletonOf> index = std::move(newSkeletons_);
  if (skeletonsCover_ != entries_.size()) {
    index.clear();
    for (uint32_t i = 0; i < entries_.size(); ++i)
      if (const uint64_t hash = SkeletonHashOf(Key(i))) index.push_back({hash, 0, i});
  }
  newSkeletons_ = {};
  skeletonsCover_ = 0;
  for (TSkeletonOf& indexed : index) {
    const TWordInfo& info = entries_[indexed.Entry].Info;
    const uint32_t countRank =
        info.Count ? uint32_t(std::lower_bound(counts.begin(), counts.end(), info.Count) -
                              counts.begin() + 1)
                   : 0;
    indexed.Rank = countRank << 1 | ((info.Lists & wlCore) != 0);
  }
  counts = {};
  std::sort(index.begin(), index.end(), [](const TSkeletonOf& a, const TSkeletonOf& b) {
    if (a.Hash != b.Hash) return a.Hash < b.Hash;
    return a.Rank > b.Rank;
  });
  size_t kept = 0;
  for (size_t i = 0, run = 0; i < index.size(); ++i) {
    run = i > 0 && index[i].Hash == index[i - 1].Hash ? run + 1 : 0;
    if (run < kMostPerSkeleton) index[kept++] = index[i];
  }
  skeletonHashes_.resize(kept);
  skeletonEntries_.resize(kept);
  for (size_t i = 0; i < kept; ++i) {
    skeletonHashes_[i] = index[i].Hash;
    skeletonEntries_[i] = index[i].Entry;
  }
  skeletonHashes_.shrink_to_fit();
  skeletonEntries_.shrink_to_fit();
  // About eight hashes a bucket: a cache line of them.
  skeletonBucketBits_ = unsigned(std::bit_width(skeletonHashes_.size() / 8));
  skeletonBuckets_.assign((size_t(1) << skeletonBucketBits_) + 1, 0);
  for (size_t bucket = 0, i = 0; bucket < skeletonBuckets_.size(); ++bucket) {
    while (i < skeletonHashes_.size() && SkeletonBucket(skeletonHashes_[i]) < bucket) ++i;
    skeletonBuckets_[bucket] = uint32_t(i);
  }
}

std::span<const uint32_t> TWordList::SameSkeleton(std::u16string_view skeleton) const {
  if (prefixStale_) BuildPrefixTables();
  return SkeletonEntries(HashKey(skeleton));
}

std::span<const uint32_t> TWordList::SkeletonEntries(uint64_t hash) const {
  const size_t bucket = SkeletonBucket(hash);
  const auto [first, last] =
      std::equal_range(skeletonHashes_.begin() + skeletonBuckets_[bucket],
                       skeletonHashes_.begin() + skeletonBuckets_[bucket + 1], hash);
  return {skeletonEntries_.data() + (first - skeletonHashes_.begin()), size_t(last - first)};
}

TWordList::TReadAhead TWordList::ReadAheadSameSkeleton(std::u16string_view skeleton) const {
  TReadAhead ahead{HashKey(skeleton), 0};
  ReadAhead(ahead);
  return ahead;
}

void TWordList::ReadAhead(TReadAhead& ahead) const {
  if (prefixStale_) return;
  const size_t bucket = SkeletonBucket(ahead.Hash);
  switch (ahead.Stage++) {
    case 0:
      __builtin_prefetch(&skeletonBuckets_[bucket]);
      break;
    case 1:
      if (const uint32_t first = skeletonBuckets_[bucket]; first < skeletonHashes_.size()) {
        __builtin_prefetch(&skeletonHashes_[first]);
        __builtin_prefetch(&skeletonEntries_[first]);
      }
      break;
    case 2:
      for (const uint32_t entry : SkeletonEntries(ahead.Hash)) {
        __builtin_prefetch(&entries_[entry]);
        __builtin_prefetch(&entries_[entry] + 1);
      }
      break;
    case 3:
      for (const uint32_t entry : SkeletonEntries(ahead.Hash))
        __builtin_prefetch(keys_.data() + entries_[entry].KeyAt);
      break;
  }
}

TWordList::TCountedPrefix& TWordList::CountedPrefix(uint64_t hash) const {
  const size_t mask = countedPrefixes_.size() - 1;
  const uint32_t print = uint32_t(hash >> 32) | 1;
  for (size_t i = hash & mask;; i = (i + 1) & mask)
    if (countedPrefixes_[i].Print == 0 || countedPrefixes_[i].Print == print)
      return countedPrefixes_[i];
}

uint32_t TWordList::MostCountBeginning(std::u16string_view prefix) const {
  return MostCountBeginning(TKeyPrefixes(prefix.substr(0, kLongestFiltered)), prefix.size());
}

uint32_t TWordList::MostCountBeginning(const TKeyPrefixes& key, size_t length) const {
  if (length < kShortestFiltered) return topCount_;
  if (prefixStale_) BuildPrefixTables();
  return CountedPrefix(key.Hash(std::min(length, kLongestFiltered))).Count;
}

void TWordList::SetPrefixBits(uint64_t hash) const {
  TPrefixBlock& block = prefixBlocks_[hash & (prefixBlocks_.size() - 1)];
  ForPrefixBits(hash, [&](size_t word, uint64_t mask) { block.Words[word] |= mask; });
}

bool TWordList::BeginsKey(std::u16string_view prefix) const {
  return BeginsKey(TKeyPrefixes(prefix.substr(0, kLongestFiltered)), prefix.size());
}

bool TWordList::BeginsKey(const TKeyPrefixes& key, size_t length) const {
  if (length < kShortestFiltered) return true;
  if (prefixStale_) BuildPrefixTables();
  return InPrefixFilter(key.Hash(std::min(length, kLongestFiltered)));
}

void TWordList::Prefetch(const TKeyPrefixes& key, size_t length) const {
  if (prefixStale_ || slots_.empty() || length < kShortestFiltered) return;
  const uint64_t prefixHash = key.Hash(std::min(length, kLongestFiltered));
  __builtin_prefetch(&prefixBlocks_[prefixHash & (prefixBlocks_.size() - 1)]);
  __builtin_prefetch(&countedPrefixes_[prefixHash & (countedPrefixes_.size() - 1)]);
  __builtin_prefetch(&slots_[key.Hash(length) & (slots_.size() - 1)]);
}

bool TWordList::InPrefixFilter(uint64_t prefixHash) const {
  bool all = true;
  const TPrefixBlock& block = prefixBlocks_[prefixHash & (prefixBlocks_.size() - 1)];
  ForPrefixBits(prefixHash,
                [&](size_t word, uint64_t mask) { all = all && (block.Words[word] & mask); });
  return all;
}

void TWordList::Add(std::string_view word, std::u16string_view key, uint64_t hash, bool zwnj,
                    TWordListBit list, uint32_t count) {
  if ((entries_.size() + 1) * 2 > slots_.size()) Grow(entries_.size() + 1);
  uint32_t& slot = slots_[Probe(key, hash)];
  if (slot == 0) {
    entries_.push_back({uint32_t(keys_.size()), {}});
    keys_ += key;
    if (skeletonsCover_ + 1 == entries_.size()) {
      ++skeletonsCover_;
      if (const uint64_t skeleton = SkeletonHashOf(key))
        newSkeletons_.push_back({skeleton, 0, uint32_t(entries_.size() - 1)});
    }
    slot = SlotValue(uint32_t(entries_.size() - 1), hash);
  }
  prefixStale_ = true;
  TWordInfo& info = entries_[EntryOf(slot)].Info;
  info.Lists |= list;
  if (zwnj) info.Joiners |= JoinersOf(word);
  info.Count = uint32_t(std::min<uint64_t>(uint64_t(info.Count) + count, UINT32_MAX));
  topCount_ = std::max(topCount_, info.Count);
  loaded_ |= list;
}

uint32_t TWordList::SlotValue(uint32_t entry, uint64_t hash) const {
  return uint32_t(((hash >> 32) << slotIndexBits_) | (entry + 1));
}

bool TWordList::SamePrint(uint32_t slot, uint64_t hash) const {
  return ((slot ^ SlotValue(0, hash)) >> slotIndexBits_) == 0;
}

size_t TWordList::Probe(std::u16string_view key, uint64_t hash) const {
  const size_t mask = slots_.size() - 1;
  for (size_t i = hash & mask;; i = (i + 1) & mask) {
    const uint32_t slot = slots_[i];
    if (slot == 0) return i;
    if (SamePrint(slot, hash) && Key(EntryOf(slot)) == key) return i;
  }
}

void TWordList::Grow(size_t entries) {
  size_t size = slots_.empty() ? 1024 : slots_.size();
  while (size < entries * 2) size *= 2;
  if (size != slots_.size()) Rehash(size);
}

void TWordList::Rehash(size_t size) {
  slots_.assign(size, 0);
  slotIndexBits_ = unsigned(std::countr_zero(size));
  for (uint32_t i = 0; i < entries_.size(); ++i) {
    const std::u16string_view key = Key(i);
    const uint64_t hash = HashKey(key);
    slots_[Probe(key, hash)] = SlotValue(i, hash);
  }
}

void TWordList::ShrinkToFit() {
  keys_.shrink_to_fit();
  entries_.shrink_to_fit();
  size_t size = 1024;
  while (size < entries_.size() * 2) size *= 2;
  if (size < slots_.size()) Rehash(size);
}

const TWordInfo* TWordList::Find(std::u16string_view key) const {
  return Find(TKeyPrefixes(key), key.size());
}

const TWordInfo* TWordList::Find(const TKeyPrefixes& key, size_t length) const {
  // Most keys asked for are no word; the filter answers that from one cache line.
  if (slots_.empty() || length == 0 || !BeginsKey(key, length)) return nullptr;
  const uint32_t slot = slots_[Probe(key.Key().substr(0, length), key.Hash(length))];
  return slot ? &entries_[EntryOf(slot)].Info : nullptr;
}

size_t TWordList::Bytes() const {
  return keys_.capacity() * sizeof(char16_t) + entries_.capacity() * sizeof(TEntry) +
         slots_.capacity() * sizeof(uint32_t) + prefixBlocks_.capacity() * sizeof(TPrefixBlock) +
         countedPrefixes_.capacity() * sizeof(TCountedPrefix) +
         skeletonHashes_.capacity() * sizeof(uint64_t) +
         skeletonEntries_.capacity() * sizeof(uint32_t) +
         skeletonBuckets_.capacity() * sizeof(uint32_t);
}

void TWordList::Clear() {
  *this = TWordList();
}

TWordListSources DefaultWordListSources(const std::string& programDir) {
  TWordListSources sources;
  sources.FrequencyFile = programDir + "/" + std::string(kDataBesidePrograms) + "/fa_50k.txt";
  return sources;
}

TAspellDump::TAspellDump(const TWordListSources& sources, const std::string& dictionary) {
  if (sources.AspellProgram.empty()) return;
  std::vector<std::string> args = {sources.AspellProgram, "--encoding=utf-8", "-d", dictionary};
  if (!sources.AspellDictDir.empty()) args.push_back("--dict-dir=" + sources.AspellDictDir);
  args.push_back("dump");
  args.push_back("master");
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);

  int pipeEnds[2];
  if (pipe2(pipeEnds, O_CLOEXEC) != 0) return;
  // Room for aspell to write well ahead of the reader, which may still be reading another dump.
  fcntl(pipeEnds[0], F_SETPIPE_SZ, 1 << 20);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
  // aspell names a missing dictionary on its standard error; the caller reports it instead.
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  const int spawned = posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeEnds[1]);
  if (spawned != 0) {
    close(pipeEnds[0]);
    pid_ = -1;
    return;
  }
  output_ = pipeEnds[0];
}

TAspellDump::~TAspellDump() {
  Finish();
}

bool TAspellDump::Finish() {
  if (pid_ < 0) return false;
  close(output_);  // aspell, if still writing, stops on the closed pipe
  int status = 0;
  while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
  pid_ = -1;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool TAspellDump::Read(const std::function<void(std::string_view lines)>& take) {
  if (pid_ < 0) return false;
  // The lines are taken while aspell still writes, so that both cores work.
  std::string pending;
  bool any = false;
  char block[1 << 16];
  for (ssize_t got; (got = read(output_, block, sizeof block)) != 0;) {
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) break;
    pending.append(block, size_t(got));
    const size_t whole = pending.rfind('\n') + 1;
    if (whole == 0) continue;
    take(std::string_view(pending).substr(0, whole));
    pending.erase(0, whole);
    any = true;
  }
  if (!pending.empty()) take(pending), any = true;
  return Finish() && any;
}

bool DumpAspellDictionary(const TWordListSources& sources, const std::string& dictionary,
                          const std::function<void(std::string_view lines)>& take) {
  return TAspellDump(sources, dictionary).Read(take);
}

namespace {

struct TLoadedLists {
  TWordListSources Sources;
  TWordList List;
  bool Loaded = false;
  uint64_t Generation = 0;
};

TLoadedLists& Lists() {
  static TLoadedLists lists;
  return lists;
}

void Load(TLoadedLists& lists) {
  lists.List.Clear();
  // Room for all of aspell-fa's words and the frequency list's, so that the table grows once.
  lists.List.Reserve(1 << 19);
  // Both dumps start at once, the full list's while the core list is read; the core list is
  // added first, so that a word's entry is added in the order it ranks.
  TAspellDump core(lists.Sources, "fa-generic"), full(lists.Sources, "fa");
  core.Read([&](std::string_view lines) { lists.List.AddLines(lines, wlCore); });
  full.Read([&](std::string_view lines) { lists.List.AddLines(lines, wlFull); });
  if (!lists.Sources.FrequencyFile.empty()) {
    std::ifstream in(lists.Sources.FrequencyFile, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    if (in) lists.List.AddLines(content.str(), wlFrequency);
  }
  lists.List.ShrinkToFit();
  lists.List.BuildPrefixTables();
#ifdef __GLIBC__
  // Loading freed much more than the lists keep; the heap gives those pages back now rather
  // than holding them for a process that stays up all session.
  malloc_trim(0);
#endif
  lists.Loaded = true;
  ++lists.Generation;
}

}  // namespace

void SetWordListSources(const TWordListSources& sources) {
  TLoadedLists& lists = Lists();
  lists.Sources = sources;
  lists.Loaded = false;
  lists.List.Clear();
}

const TWordList& WordLists() {
  TLoadedLists& lists = Lists();
  if (!lists.Loaded) Load(lists);
  return lists.List;
}

uint64_t WordListsGeneration() {
  WordLists();
  return Lists().Generation;
}

bool IsListedWord(std::u16string_view persian) {
  std::u16string key;
  AppendLookupKey(persian, key);
  return WordLists().Find(key) != nullptr;
}

uint8_t MissingWordLists() {
  return uint8_t((wlCore | wlFull | wlFrequency) & ~WordLists().Loaded());
}

std::string MissingWordListsText() {
  const uint8_t missing = MissingWordLists();
  const bool aspell = missing & (wlCore | wlFull), frequency = missing & wlFrequency;
  if (aspell && frequency)
    return "Smart spelling has no word list: neither aspell-fa nor the frequency list could be "
           "read.";
  if (aspell) return "Smart spelling uses the frequency list alone: aspell-fa is not installed.";
  if (frequency) return "Smart spelling uses aspell-fa alone: the frequency list is missing.";
  return "";
}
