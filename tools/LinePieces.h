#pragma once
// The filter's handling of one line: read from UTF-8 into the code page, and converted in pieces
// so that a very long line is never held several times over.
#include <functional>
#include <string>
#include <string_view>

class TStandIns;

// The code page form of one line of UTF-8, as ConvertText reads its UTF-16 form, decoded
// blockBytes at a time so that the UTF-16 form is never held whole; false when the line is not
// valid UTF-8. With standIns, characters the code page lacks wait as its stand-ins.
inline constexpr size_t kDecodeBlockBytes = 1 << 16;
bool DecodeLine(std::string_view utf8, std::string& line, size_t blockBytes = kDecodeBlockBytes,
                TStandIns* standIns = nullptr);
// Converts a line as ConvertLine does, in pieces of at least pieceBytes cut only between words,
// handing each piece's result to write in order. With FarsiEnabled on, the results joined are
// ConvertLine's result for the whole line.
void ConvertInPieces(std::string_view line, size_t pieceBytes,
                     const std::function<void(std::u16string_view)>& write);
