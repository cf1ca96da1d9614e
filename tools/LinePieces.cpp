#include "LinePieces.h"

#include <algorithm>

#include "CodePage.h"
#include "StandIns.h"
#include "Utf8.h"
#include "trans.h"

namespace {

// A place to cut a long line: after an ASCII character that is neither part of a word, nor an
// apostrophe that may pair with the letter before it, nor a run marker.
bool IsCutPoint(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u < 0x80 && !IsWordChar(u) && c != '\'' && c != '\r';
}

}  // namespace

bool DecodeLine(std::string_view utf8, std::string& line, size_t blockBytes, TStandIns* standIns) {
  line.clear();
  line.reserve(utf8.size());
  std::u16string block;
  while (!utf8.empty()) {
    size_t n = std::min(utf8.size(), std::max<size_t>(blockBytes, 4));
    // Back to the start of a character: a UTF-8 sequence has at most three continuation bytes.
    for (int back = 0; back < 3 && n < utf8.size() && (utf8[n] & 0xC0) == 0x80; ++back) --n;
    block.clear();
    if (!Utf8::Decode(utf8.substr(0, n), block)) return false;
    line += standIns ? standIns->ToAnsi(block) : CodePage::FromUnicode(block);
    utf8.remove_prefix(n);
  }
  return true;
}

void ConvertInPieces(std::string_view line, size_t pieceBytes,
                     const std::function<void(std::u16string_view)>& write) {
  // Each piece after a CR-marked run that it does not close begins inside that run.
  bool insideTypedRun = false;
  std::string marked;
  while (!line.empty()) {
    size_t cut = line.size();
    if (line.size() > pieceBytes) {
      cut = std::max<size_t>(pieceBytes, 1);
      while (cut < line.size() && !IsCutPoint(line[cut - 1])) ++cut;
    }
    std::string_view piece = line.substr(0, cut);
    const size_t markers = static_cast<size_t>(std::count(piece.begin(), piece.end(), '\r'));
    if (insideTypedRun) {
      marked.assign(1, '\r').append(piece);
      piece = marked;
    }
    write(ConvertLine(piece));
    insideTypedRun ^= markers % 2 == 1;
    line.remove_prefix(cut);
  }
}
