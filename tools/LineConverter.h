#pragma once
// The filter's conversion of one line of UTF-8 to its output bytes, remembering the words it has
// converted (the engine's flags and the dictionary stay as they are for the filter's whole run).
#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "WordCache.h"

class TOutputRoom;

class TLineConverter {
 public:
  // Called with the output gathered so far once it passes a block, to write it and empty it, so
  // that a very long line's output is never held whole.
  using TSpill = std::function<void(std::string& out)>;
  static constexpr size_t kBlockBytes = 1 << 16;

  explicit TLineConverter(bool cp1256);

  // Appends the output of one line of UTF-8 (its end and any byte-order mark removed) to out;
  // false when the line is not valid UTF-8. A line longer than a block is released once read.
  bool Convert(std::string& line, std::string& out, const TSpill& spill = {});

 private:
  // What a separator byte is written as, in the output encoding.
  struct TSeparator {
    uint8_t Length;
    char Bytes[3];
  };
  void FollowEngineFlags();
  // The words of a batch: where each lies in the text, and its slot in the cache.
  struct TWordAt {
    size_t At;
    size_t Length;
    bool InPlace;     // its neighbours count, and it may take back the spaces before it
    bool Remembered;  // false: in place, or too long
    TWordCache::TProbe Probe;
  };
  // A plain ASCII line, word by word; alone: each word's output depends on the word alone.
  void ConvertWords(std::string_view line, bool alone, std::string& out, const TSpill& spill);
  void AppendSeparators(std::string_view separators, std::string& out) const;
  void WriteSeparators(std::string_view separators, TOutputRoom& room, std::string& out) const;
  void AppendWord(std::string_view text, const TWordAt& word, TOutputRoom& room, std::string& out,
                  const TSpill& spill);
  // A word whose output depends on its neighbours and may take back the spaces before it.
  void AppendWordInPlace(std::string_view text, const TWordAt& word, size_t lineStart,
                         std::string& out);
  void Append(std::u16string_view text, std::string& out, const TSpill& spill);

  bool cp1256_;
  uint32_t engineFlags_;
  TWordCache cache_;
  std::array<bool, 256> wordChar_{};
  std::array<TSeparator, 128> separators_{};
  std::string ansi_;
  std::string treated_;
  std::u16string converted_;
  // The output of each word that may be written apart (a few short words, in their capitals), by
  // the word and its place, and whether it took back the spaces before it.
  struct TApartOutput {
    std::string Output;
    bool TakesSpaces;
  };
  std::unordered_map<std::string, TApartOutput> apart_;
  static constexpr size_t kBatchWords = 16;
  std::array<TWordAt, kBatchWords> words_;
};
