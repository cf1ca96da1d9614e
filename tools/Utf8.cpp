#include "Utf8.h"

namespace Utf8 {

bool Decode(std::string_view bytes, std::u16string& out) {
  out.reserve(out.size() + bytes.size());
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const auto* end = p + bytes.size();
  while (p < end) {
    const unsigned char b = *p;
    if (b < 0x80) {
      out += static_cast<char16_t>(b);
      ++p;
      continue;
    }
    // The second byte's range excludes overlong forms, surrogates and values past U+10FFFF.
    int length;
    unsigned char low = 0x80, high = 0xBF;
    char32_t cp;
    if (b >= 0xC2 && b <= 0xDF) {
      length = 2, cp = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
      length = 3, cp = b & 0x0F;
      if (b == 0xE0) low = 0xA0;
      if (b == 0xED) high = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
      length = 4, cp = b & 0x07;
      if (b == 0xF0) low = 0x90;
      if (b == 0xF4) high = 0x8F;
    } else {
      return false;
    }
    if (end - p < length) return false;
    for (int i = 1; i < length; ++i) {
      const unsigned char c = p[i];
      if (c < (i == 1 ? low : 0x80) || c > (i == 1 ? high : 0xBF)) return false;
      cp = (cp << 6) | (c & 0x3F);
    }
    p += length;
    if (cp < 0x10000) {
      out += static_cast<char16_t>(cp);
    } else {
      cp -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (cp >> 10));
      out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    }
  }
  return true;
}

namespace {

// Three bytes a unit at most: a surrogate pair's four are two units' six.
unsigned char* Encode(std::u16string_view text, unsigned char* p) {
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t cp = text[i];
    if (cp < 0x80) {
      *p++ = static_cast<unsigned char>(cp);
    } else if (cp < 0x800) {  // Persian letters
      p[0] = static_cast<unsigned char>(0xC0 | cp >> 6);
      p[1] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
      p += 2;
    } else {
      if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
          text[i + 1] <= 0xDFFF) {
        cp = 0x10000 + ((cp - 0xD800) << 10) + (text[++i] - 0xDC00);
      } else if (cp >= 0xD800 && cp <= 0xDFFF) {
        cp = 0xFFFD;
      }
      if (cp < 0x10000) {
        p[0] = static_cast<unsigned char>(0xE0 | cp >> 12);
        p += 1;
      } else {
        p[0] = static_cast<unsigned char>(0xF0 | cp >> 18);
        p[1] = static_cast<unsigned char>(0x80 | ((cp >> 12) & 0x3F));
        p += 2;
      }
      p[0] = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
      p[1] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
      p += 2;
    }
  }
  return p;
}

}  // namespace

char* Write(std::u16string_view text, char* at) {
  return reinterpret_cast<char*>(Encode(text, reinterpret_cast<unsigned char*>(at)));
}

void Append(std::u16string_view text, std::string& out) {
  // Written in place, in room given back at the end.
  const size_t start = out.size();
  out.resize(start + 3 * text.size());
  const unsigned char* end = Encode(text, reinterpret_cast<unsigned char*>(out.data() + start));
  out.resize(static_cast<size_t>(reinterpret_cast<const char*>(end) - out.data()));
}

}  // namespace Utf8
