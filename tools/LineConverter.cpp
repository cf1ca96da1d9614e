#include "LineConverter.h"

#include <algorithm>

#include "LinePieces.h"
#include "StandIns.h"
#include "Utf8.h"

namespace {

// Lines longer than this are converted in pieces cut after a separator, so that memory stays
// bounded by the line and not by its several converted copies.
constexpr size_t kPieceUnits = 1 << 16;

bool IsAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

TLineConverter::TLineConverter(bool cp1256) : cp1256_(cp1256) {}

bool TLineConverter::Convert(std::string& line, std::string& out, const TSpill& spill) {
  // ASCII is its own code page form and needs no stand-ins: converted where it lies.
  if (IsAscii(line)) {
    ConvertInPieces(
        line, kPieceUnits, [&](std::u16string_view text) { Append(text, out, spill); }, &cache_);
    return true;
  }
  TStandIns standIns(line);
  if (!DecodeLine(line, ansi_, kDecodeBlockBytes, &standIns)) return false;
  if (line.capacity() > kPieceUnits) std::string().swap(line);
  ConvertInPieces(
      ansi_, kPieceUnits,
      [&](std::u16string_view text) {
        std::u16string restored(text);
        standIns.Restore(restored);
        Append(restored, out, spill);
      },
      &cache_);
  if (ansi_.capacity() > kPieceUnits) std::string().swap(ansi_);
  return true;
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
