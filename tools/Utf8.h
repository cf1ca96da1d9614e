#pragma once
// Strict UTF-8 for the filter's input and output.
#include <string>
#include <string_view>

namespace Utf8 {

// Appends the UTF-16 form of bytes to out; false on malformed sequences, overlong forms,
// encoded surrogates and code points above U+10FFFF.
bool Decode(std::string_view bytes, std::u16string& out);
// Appends the UTF-8 form of text to out; a lone surrogate becomes U+FFFD.
void Append(std::u16string_view text, std::string& out);
// Writes the UTF-8 form of text at at, where room for three bytes a unit is, and returns where
// it ended.
char* Write(std::u16string_view text, char* at);

}  // namespace Utf8
