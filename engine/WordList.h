#pragma once
// The Persian word lists that smart spelling ranks candidate spellings by: the aspell-fa lists
// (its small core list and the full one) and a word frequency list, in one compact table.
#include <sys/types.h>

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "HugePages.h"

// The lists a word was found in; a word may be in several.
enum TWordListBit : uint8_t {
  wlCore = 0x01,       // aspell-fa's small core list (fa-generic)
  wlFull = 0x02,       // aspell-fa's full list (fa)
  wlFrequency = 0x04,  // the frequency list
};
// How the lists write a word with a ZWNJ, where it says which part is a prefix or a plural.
enum TJoinerBit : uint8_t {
  jnAfterPrefix = 0x01,   // after a leading mi- or nemi-
  jnBeforePlural = 0x02,  // before a trailing -ha, -hay or -hayi
};

struct TWordInfo {
  uint32_t Count = 0;   // occurrences in the frequency list's corpus; 0 when not in the list
  uint8_t Lists = 0;    // TWordListBit
  uint8_t Joiners = 0;  // TJoinerBit
};

// Persian text as the lists are looked up by: ARABIC YEH and ALEF MAKSURA as FARSI YEH, ARABIC
// KAF as KEHEH, without ZWNJ, tatweel and diacritics (the shadda and tanvin included), appended
// to key.
void AppendLookupKey(std::u16string_view persian, std::u16string& key);

// The hashes of every prefix of a key, each made from the one before, so that questions about
// several prefixes of one key read its letters once.
class TKeyPrefixes {
 public:
  explicit TKeyPrefixes(std::u16string_view key);
  std::u16string_view Key() const { return key_; }
  // The hash of the key's first length letters.
  uint64_t Hash(size_t length) const;

 private:
  static constexpr size_t kLongestKept = 48;  // longer prefixes are hashed when asked for
  std::u16string_view key_;
  std::array<uint64_t, kLongestKept + 1> hashes_;
};

// A set of Persian words keyed by AppendLookupKey, each with what the lists say about it.
class TWordList {
 public:
  // Makes room for this many words in all.
  void Reserve(size_t words);
  // Adds UTF-8 words, one a line, to the given list; lines that are not Persian words are
  // skipped. The frequency list's lines are "word count"; the counts of words with the same key
  // add up.
  void AddLines(std::string_view text, TWordListBit list);
  // What the lists say about a key, or null when no list holds it.
  const TWordInfo* Find(std::u16string_view key) const;
  // Whether some key begins with prefix; now and then true when none does, never false when one
  // does, and always true for a prefix shorter than kShortestFiltered.
  bool BeginsKey(std::u16string_view prefix) const;
  // The same three questions about the first length letters of a key.
  const TWordInfo* Find(const TKeyPrefixes& key, size_t length) const;
  bool BeginsKey(const TKeyPrefixes& key, size_t length) const;
  uint32_t MostCountBeginning(const TKeyPrefixes& key, size_t length) const;
  // Starts reading what those questions about the first length letters of a key read, so that a
  // caller that asks several meanwhile waits for memory once rather than for each question.
  void Prefetch(const TKeyPrefixes& key, size_t length) const;
  // Builds the tables of prefixes now, which else the first question above builds.
  void BuildPrefixTables() const;
  // Gives back the room kept for words still to come, once all are added.
  void ShrinkToFit();
  // The largest count of a key that begins with prefix (or with its first kLongestFiltered
  // letters); 0 when no counted key does, TopCount for a prefix shorter than kShortestFiltered.
  uint32_t MostCountBeginning(std::u16string_view prefix) const;
  // The entries whose keys have the given skeleton (AppendSkeleton), the most counted first and
  // the core list's before the others, at most kMostPerSkeleton of them.
  std::span<const uint32_t> SameSkeleton(std::u16string_view skeleton) const;
  // What SameSkeleton and the entries it gives will read, loaded a stage at a time: each call
  // of ReadAhead starts loading what the stage before found, so that a caller that works between
  // the calls finds it all in the cache when it asks. Starts the first stage.
  struct TReadAhead {
    uint64_t Hash;
    int Stage;
  };
  TReadAhead ReadAheadSameSkeleton(std::u16string_view skeleton) const;
  void ReadAhead(TReadAhead& ahead) const;
  std::u16string_view Key(uint32_t entry) const {
    // Keys lie in the order of their entries, so a key ends where the next one begins.
    const uint32_t end = entry + 1 < entries_.size() ? entries_[entry + 1].KeyAt : keys_.size();
    return {keys_.data() + entries_[entry].KeyAt, end - entries_[entry].KeyAt};
  }
  const TWordInfo& Info(uint32_t entry) const { return entries_[entry].Info; }
  // The bits of the lists that gave at least one word.
  uint8_t Loaded() const { return loaded_; }
  // The largest count of a key and the smallest of a line of the frequency list; 0 without one.
  uint32_t TopCount() const { return topCount_; }
  uint32_t LeastCount() const { return leastCount_; }
  size_t Size() const { return entries_.size(); }
  // The memory the table holds, in bytes.
  size_t Bytes() const;
  void Clear();

  // The prefix tables hold prefixes of three to twelve letters; a longer prefix is asked about
  // as its first twelve, so that a long word costs no more to enter than a word of twelve.
  static constexpr size_t kShortestFiltered = 3;
  static constexpr size_t kLongestFiltered = 12;
  static constexpr size_t kBlockWords = 8;  // 64-bit words in a block of the prefix filter
  static constexpr size_t kBlockBits = kBlockWords * 64;
  // A skeleton of a short word stands for many words; its rarer ones are never the typist's.
  static constexpr size_t kMostPerSkeleton = 4;

 private:
  struct TEntry {
    uint32_t KeyAt;
    TWordInfo Info;
  };
  // Adds one UTF-8 word by its key and the key's hash.
  void Add(std::string_view word, std::u16string_view key, uint64_t hash, bool zwnj,
           TWordListBit list, uint32_t count);
  // The slot that holds key, or the free one where it would go.
  size_t Probe(std::u16string_view key, uint64_t hash) const;
  // Makes room for the given number of entries at half load.
  void Grow(size_t entries);
  // Puts every entry into slots_ sized anew to the given power of two.
  void Rehash(size_t size);
  // A slot's value for an entry: the entry's index + 1 in the low bits that slots_'s size needs,
  // and above it as many bits of the key's hash as are left, to skip most other keys unread.
  uint32_t SlotValue(uint32_t entry, uint64_t hash) const;
  bool SamePrint(uint32_t slot, uint64_t hash) const;
  // Whether the prefix filter holds a prefix of kShortestFiltered to kLongestFiltered letters.
  bool InPrefixFilter(uint64_t prefixHash) const;
  uint32_t EntryOf(uint32_t slot) const {
    return (slot & ((uint32_t(1) << slotIndexBits_) - 1)) - 1;
  }
  struct TCountedPrefix {
    uint32_t Print = 0;  // the high half of the prefix's hash, odd; 0 in a free slot
    uint32_t Count = 0;
  };
  // The slot of a counted prefix, or the free one where it would go.
  TCountedPrefix& CountedPrefix(uint64_t hash) const;
  void SetPrefixBits(uint64_t hash) const;
  void BuildSkeletonIndex() const;
  std::span<const uint32_t> SkeletonEntries(uint64_t skeletonHash) const;
  size_t SkeletonBucket(uint64_t hash) const {
    return skeletonBucketBits_ ? size_t(hash >> (64 - skeletonBucketBits_)) : 0;
  }

  // The tables that lookups read at random lie in huge pages.
  template <typename T>
  using THugeVector = std::vector<T, THugePageAllocator<T>>;
  // all keys, one after another
  std::basic_string<char16_t, std::char_traits<char16_t>, THugePageAllocator<char16_t>> keys_;
  std::u16string newKeys_;       // the keys of the words being added
  THugeVector<TEntry> entries_;  // in the order added
  // Open addressing by SlotValue; 0 when free.
  THugeVector<uint32_t> slots_;
  unsigned slotIndexBits_ = 0;  // log2 of slots_.size()
  // A blocked Bloom filter of every prefix of every key, built on the first test after a change;
  // a block is one cache line, so that a test reads one.
  struct alignas(64) TPrefixBlock {
    uint64_t Words[kBlockWords];
  };
  mutable THugeVector<TPrefixBlock> prefixBlocks_;
  // For the keys of the frequency list, every prefix with the largest count of a key it begins.
  mutable THugeVector<TCountedPrefix> countedPrefixes_;
  // The hash of each key's skeleton and the entry, by hash, then as SameSkeleton gives them.
  mutable THugeVector<uint64_t> skeletonHashes_;
  mutable THugeVector<uint32_t> skeletonEntries_;
  // Where in skeletonHashes_ the hashes with each value of their top skeletonBucketBits_ bits
  // begin, and at the end the size: a search reads a bucket of a few instead of halving the whole.
  mutable std::vector<uint32_t> skeletonBuckets_;
  mutable unsigned skeletonBucketBits_ = 0;
  // An entry by its skeleton's hash, and its rank once the index is built.
  struct TSkeletonOf {
    uint64_t Hash;
    uint32_t Rank;
    uint32_t Entry;
  };
  // The entries with a skeleton, hashed as the words are read (when the reader may be waiting
  // for more anyway), so that the index after them only sorts; of the first skeletonsCover_
  // entries. Used up by the index; after it, the next index hashes every entry anew.
  mutable std::vector<TSkeletonOf> newSkeletons_;
  mutable size_t skeletonsCover_ = 0;
  mutable bool prefixStale_ = true;
  uint32_t topCount_ = 0;
  uint32_t leastCount_ = 0;
  uint8_t loaded_ = 0;
};

// Where the lists come from.
struct TWordListSources {
  std::string FrequencyFile;             // empty: no frequency list
  std::string AspellProgram = "aspell";  // empty: no aspell-fa lists
  std::string AspellDictDir;             // empty: where aspell keeps its dictionaries
};

// The shipped data, relative to the directory of a program of this project, installed or built.
inline constexpr std::string_view kDataBesidePrograms = ZEFRA_DATA_FROM_PROGRAMS;
// The sources a program in programDir uses: the shipped frequency list and the installed
// aspell-fa.
TWordListSources DefaultWordListSources(const std::string& programDir);

// "aspell dump master" of an installed aspell dictionary, started when made, so that several
// run at once and each writes ahead while another is read.
class TAspellDump {
 public:
  TAspellDump(const TWordListSources& sources, const std::string& dictionary);
  ~TAspellDump();
  TAspellDump(const TAspellDump&) = delete;
  TAspellDump& operator=(const TAspellDump&) = delete;
  // Hands take the words as blocks of whole UTF-8 lines, once; false when the program or the
  // dictionary is missing.
  bool Read(const std::function<void(std::string_view lines)>& take);

 private:
  // Closes the output and waits for aspell; whether it ran to its end without a fault.
  bool Finish();
  pid_t pid_ = -1;
  int output_ = -1;
};

// The same for one dictionary read at once.
bool DumpAspellDictionary(const TWordListSources& sources, const std::string& dictionary,
                          const std::function<void(std::string_view lines)>& take);

// The lists that smart spelling and modern orthography read: loaded from the sources on the
// first use after SetWordListSources, and kept until the sources change.
void SetWordListSources(const TWordListSources& sources);
const TWordList& WordLists();
// A number that changes whenever the lists are loaded anew, for what is kept from them.
uint64_t WordListsGeneration();
// Whether the lists know a Persian word, as written by the rules or by anyone.
bool IsListedWord(std::u16string_view persian);
// Which of the lists could not be read (wlCore | wlFull for a missing aspell-fa, wlFrequency for
// the frequency list); loads the lists when they are not loaded yet.
uint8_t MissingWordLists();
// The same for a person: "" when all are there, else a sentence naming what is missing.
std::string MissingWordListsText();
