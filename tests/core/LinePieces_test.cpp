#include "LinePieces.h"

#include "EngineTestSupport.h"

namespace {

class LinePiecesTest : public EngineTest {};

// Pieces of any size, cut between words and across typed runs, join to the whole line's result.
TEST_F(LinePiecesTest, PiecesJoinToTheWholeLine) {
  AddDefaultEntries();
  const std::string lines[] = {
      "salam, khoobi? mer30 \rhello world, \r miravam ketabhaton",
      "sa'at o' \r\r ab \rx\r",
      "abba ab-ba 2ta 3 be2n ea` ae``",
  };
  for (const std::string& line : lines) {
    for (size_t pieceBytes = 1; pieceBytes <= line.size(); ++pieceBytes) {
      std::u16string joined;
      size_t pieces = 0;
      ConvertInPieces(line, pieceBytes, [&](std::u16string_view piece) {
        joined += piece;
        ++pieces;
      });
      EXPECT_UNITS(joined, ConvertLine(line)) << line << " in pieces of " << pieceBytes;
      if (pieceBytes == 1) {
        EXPECT_GE(pieces, 5u);  // the cuts really happen
      }
    }
  }
}

}  // namespace
