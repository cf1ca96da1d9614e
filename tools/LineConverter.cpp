#include "LineConverter.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <span>

#include "LinePieces.h"
#include "SmartSpelling.h"
#include "StandIns.h"
#include "Utf8.h"
#include "trans.h"

namespace {

// Lines longer than this are converted in pieces cut after a separator, so that memory stays
// bounded by the line and not by its several converted copies.
constexpr size_t kPieceUnits = 1 << 16;

// ASCII without a run marker: every word is a run of ASCII word characters and every other byte
// a separator, as the engine cuts them, with no code page conversion on the way in.
bool IsPlainAscii(std::string_view text) {
  unsigned char seen = 0;
  for (const char c : text) seen |= static_cast<unsigned char>(c);
  return seen < 0x80 && text.find('\r') == std::string_view::npos;
}

}  // namespace

TLineConverter::TLineConverter(bool cp1256) : cp1256_(cp1256), engineFlags_(~EngineFlagBits()) {}

void TLineConverter::FollowEngineFlags() {
  const uint32_t flags = EngineFlagBits();
  if (flags == engineFlags_) return;
  engineFlags_ = flags;
  cache_.Clear();
  apart_.clear();
  for (int c = 0; c < 256; ++c) wordChar_[c] = IsWordChar(static_cast<unsigned char>(c));
  for (int c = 0; c < 128; ++c) {
    std::string bytes;
    const char16_t separator = SeparatorChar(static_cast<unsigned char>(c));
    Append(std::u16string_view(&separator, 1), bytes, {});
    separators_[c].Length = static_cast<uint8_t>(bytes.size());
    std::memcpy(separators_[c].Bytes, bytes.data(), bytes.size());
  }
}

bool TLineConverter::Convert(std::string& line, std::string& out, const TSpill& spill) {
  FollowEngineFlags();
  // While words read their neighbours, a long line is converted in pieces, whose edges count.
  const bool alone = WordsConvertAlone();
  if ((alone || line.size() <= kPieceUnits) && IsPlainAscii(line)) {
    ConvertWords(line, alone, out, spill);
    return true;
  }
  TStandIns standIns(line);
  if (!DecodeLine(line, ansi_, kDecodeBlockBytes, &standIns)) return false;
  if (line.capacity() > kPieceUnits) std::string().swap(line);
  ConvertInPieces(ansi_, kPieceUnits, [&](std::u16string_view text) {
    std::u16string restored(text);
    standIns.Restore(restored);
    Append(restored, out, spill);
  });
  if (ansi_.capacity() > kPieceUnits) std::string().swap(ansi_);
  return true;
}

// Room made at the end of the output ahead of the writes, written through a pointer, so that a
// remembered word or a separator costs a copy and no call. Closed (the room not written given
// back) before anything else touches the output, and when it goes.
class TOutputRoom {
 public:
  explicit TOutputRoom(std::string& out) : out_(out) {}
  ~TOutputRoom() { Close(); }
  TOutputRoom(const TOutputRoom&) = delete;
  TOutputRoom& operator=(const TOutputRoom&) = delete;

  // Where at least n bytes may be written; Advance tells how many were.
  char* Reserve(size_t n) {
    if (!at_ || static_cast<size_t>(end_ - at_) < n) Grow(n);  // never a null pointer
    return at_;
  }
  void Advance(size_t n) { at_ += n; }
  void Advance(char* to) { at_ = to; }
  // The output's size with what was written.
  size_t Size() const { return at_ ? static_cast<size_t>(at_ - out_.data()) : out_.size(); }
  void Close() {
    if (at_) out_.resize(static_cast<size_t>(at_ - out_.data()));
    at_ = end_ = nullptr;
  }

 private:
  static constexpr size_t kRoomBytes = 256;  // made at a time: about a line's output
  void Grow(size_t n) {
    const size_t used = Size();
    out_.resize(used + std::max(n, kRoomBytes));
    at_ = out_.data() + used;
    end_ = out_.data() + out_.size();
  }
  std::string& out_;
  char* at_ = nullptr;
  char* end_ = nullptr;
};

namespace {

// A run of separators longer than this goes straight to the output, so that the room made for
// it never holds more than three times a short run.
constexpr size_t kLongestRoomSeparators = 1024;

// Finds the words of a text a block of 64 characters at a time: the block's word characters are
// the bits of a number, made without a branch, and a word's ends are found by counting bits,
// where a test per character costs a mispredicted branch at nearly every word's end.
class TWordFinder {
 public:
  TWordFinder(std::string_view text, const std::array<bool, 256>& wordChar)
      : text_(text), wordChar_(wordChar) {}

  // The next word after the last one found; false when none is left.
  bool Next(size_t& wordAt, size_t& wordEnd) {
    size_t at = at_;
    for (;;) {  // to the next word character
      if (at >= text_.size()) return false;
      const uint64_t ahead = BitsOfBlock(at / 64) >> (at % 64);
      if (ahead != 0) {
        at += std::countr_zero(ahead);
        break;
      }
      at = (at / 64 + 1) * 64;
    }
    wordAt = at;
    for (;;) {  // to the next other character, or the end
      const uint64_t ahead = ~BitsOfBlock(at / 64) >> (at % 64);
      if (ahead != 0) {
        at += std::countr_zero(ahead);
        break;
      }
      at = (at / 64 + 1) * 64;
    }
    wordEnd = at_ = std::min(at, text_.size());
    return true;
  }

 private:
  // Bit i set when the block's character i is a word character; none past the text's end.
  uint64_t BitsOfBlock(size_t block) {
    if (block == block_) return bits_;
    const size_t start = block * 64, end = std::min(text_.size(), start + 64);
    uint64_t bits = 0;
    for (size_t i = start; i < end; ++i)
      bits |= uint64_t{wordChar_[static_cast<unsigned char>(text_[i])]} << (i - start);
    block_ = block;
    return bits_ = bits;
  }

  std::string_view text_;
  const std::array<bool, 256>& wordChar_;
  size_t at_ = 0;
  size_t block_ = SIZE_MAX;
  uint64_t bits_ = 0;
};

}  // namespace

void TLineConverter::ConvertWords(std::string_view line, bool alone, std::string& out,
                                  const TSpill& spill) {
  const std::string_view text = TreatApostrophes(line, treated_);
  TWordFinder words(text, wordChar_);
  const size_t lineStart = out.size();
  // Not spilled while a later word may take back spaces written before it.
  const TSpill noSpill;
  const TSpill& wordSpill = alone ? spill : noSpill;
  TOutputRoom room(out);
  size_t at = 0;
  while (at < text.size()) {
    // A batch of words found first, so that their slots are fetched while the first convert.
    size_t count = 0;
    for (size_t wordAt, scan; count < kBatchWords && words.Next(wordAt, scan);) {
      const std::string_view word = text.substr(wordAt, scan - wordAt);
      const bool inPlace = !alone && MayBeWrittenApart(word);
      const bool remembered = !inPlace && word.size() <= TWordCache::kLongestWord;
      TWordAt& next = words_[count++];
      next.At = wordAt;
      next.Length = word.size();
      next.InPlace = inPlace;
      next.Remembered = remembered;
      if (remembered) next.Probe = cache_.Probe(word, !alone && WordEndsClause(text, scan));
    }
    for (const TWordAt& word : std::span(words_.data(), count)) {
      WriteSeparators(text.substr(at, word.At - at), room, out);
      if (std::string_view known; word.Remembered && cache_.Find(word.Probe, known)) {
        std::memcpy(room.Reserve(TWordCache::kLongestOutput), known.data(),
                    TWordCache::kLongestOutput);
        room.Advance(known.size());
      } else if (word.InPlace) {
        room.Close();
        AppendWordInPlace(text, word, lineStart, out);
      } else {
        AppendWord(text, word, room, out, wordSpill);
      }
      at = word.At + word.Length;
      if (wordSpill && room.Size() >= kBlockBytes) {
        room.Close();
        wordSpill(out);
      }
    }
    if (count == 0) {
      WriteSeparators(text.substr(at), room, out);
      at = text.size();
    }
  }
  room.Close();
  if (treated_.capacity() > kPieceUnits) std::string().swap(treated_);
}

void TLineConverter::WriteSeparators(std::string_view separators, TOutputRoom& room,
                                     std::string& out) const {
  if (separators.size() > kLongestRoomSeparators) {
    room.Close();
    AppendSeparators(separators, out);
    return;
  }
  // Each is copied as its three bytes, of which the first Length count.
  char* at = room.Reserve(3 * separators.size() + 3);
  for (const char c : separators) {
    const TSeparator& separator = separators_[static_cast<unsigned char>(c)];
    std::memcpy(at, separator.Bytes, sizeof separator.Bytes);
    at += separator.Length;
  }
  room.Advance(at);
}

void TLineConverter::AppendSeparators(std::string_view separators, std::string& out) const {
  for (const char c : separators) {
    const TSeparator& separator = separators_[static_cast<unsigned char>(c)];
    if (separator.Length == 1)
      out.push_back(separator.Bytes[0]);  // most are written as themselves
    else
      out.append(separator.Bytes, separator.Length);
  }
}

void TLineConverter::AppendWord(std::string_view text, const TWordAt& word, TOutputRoom& room,
                                std::string& out, const TSpill& spill) {
  converted_.clear();
  AppendWordOfSegment(text, word.At, word.At + word.Length, converted_);
  if (word.Remembered && !cp1256_ && converted_.size() <= TWordCache::kLongestOutput) {
    char* start = room.Reserve(3 * converted_.size());
    char* end = Utf8::Write(converted_, start);
    cache_.Remember(word.Probe, std::string_view(start, static_cast<size_t>(end - start)));
    room.Advance(end);
    return;
  }
  room.Close();
  if (!word.Remembered) {
    Append(converted_, out, spill);
  } else {
    // Not spilled before it is remembered: the word's output is read back from out.
    const size_t start = out.size();
    Append(converted_, out, {});
    cache_.Remember(word.Probe, std::string_view(out).substr(start));
  }
  if (converted_.capacity() > kPieceUnits) std::u16string().swap(converted_);
}

void TLineConverter::AppendWordInPlace(std::string_view text, const TWordAt& word, size_t lineStart,
                                       std::string& out) {
  // The spaces at the end of the line's output, which the word may take back.
  size_t spaces = 0;
  while (lineStart + spaces < out.size() && out[out.size() - 1 - spaces] == ' ') ++spaces;
  std::string key(text.substr(word.At, word.Length));
  key += char('0' + ApartPlaceOf(text, word.At, word.At + word.Length));
  if (const auto known = apart_.find(key); known != apart_.end()) {
    if (known->second.TakesSpaces) out.resize(out.size() - spaces);
    out += known->second.Output;
    return;
  }
  // Converted behind the spaces; it takes back all of them or none, and a word that takes them
  // writes nothing that begins with a space: the spaces still in front are the ones kept.
  converted_.assign(spaces, u' ');
  AppendWordOfSegment(text, word.At, word.At + word.Length, converted_);
  size_t kept = 0;
  while (kept < spaces && kept < converted_.size() && converted_[kept] == u' ') ++kept;
  out.resize(out.size() - (spaces - kept));
  const size_t start = out.size();
  Append(std::u16string_view(converted_).substr(kept), out, {});
  apart_[key] = {out.substr(start), kept < spaces};
}

void TLineConverter::Append(std::u16string_view text, std::string& out, const TSpill& spill) {
  // In blocks, so that a long line's output is never held twice over; a block never ends
  // between the two halves of a surrogate pair.
  while (!text.empty()) {
    size_t n = std::min(text.size(), kBlockBytes);
    if (n < text.size() && text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF) ++n;
    if (cp1256_)
      out += PersianToAnsi(text.substr(0, n));
    else
      Utf8::Append(text.substr(0, n), out);
    if (spill && out.size() >= kBlockBytes) spill(out);
    text.remove_prefix(n);
  }
}
