#include "StandIns.h"

#include <algorithm>

#include "CodePage.h"

namespace {

// Control bytes that neither mark runs nor end lines, and that no letter rule reads.
constexpr char kCandidates[] =
    "\x01\x02\x03\x04\x05\x06\x07\x08\x0E\x0F\x10\x11\x12\x13\x14"
    "\x15\x16\x17\x18\x19\x1A\x1B\x1C\x1D\x1E\x1F";

bool IsHighSurrogate(char16_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLowSurrogate(char16_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

}  // namespace

TStandIns::TStandIns(std::u16string_view line) : unscanned_(line) {}

TStandIns::TStandIns(std::string_view line) : free_(kCandidates) {
  for (const char byte : line) Exclude(static_cast<unsigned char>(byte));
  exhausted_ = free_.empty();
}

void TStandIns::ScanOnce() {
  // Most lines need no stand-in: the line's own control characters are looked for only once
  // one is needed.
  if (!free_.empty() || !used_.empty() || exhausted_) return;
  free_ = kCandidates;
  for (const char16_t unit : unscanned_) Exclude(unit);
  exhausted_ = free_.empty();
}

void TStandIns::Exclude(char16_t unit) {
  if (unit >= 0x20) return;
  const size_t at = free_.find(static_cast<char>(unit));
  if (at != std::string::npos) free_.erase(at, 1);
}

std::string TStandIns::ToAnsi(std::u16string_view part) {
  std::string out;
  out.reserve(part.size());
  for (size_t i = 0; i < part.size(); ++i) {
    const char16_t unit = part[i];
    const char byte = CodePage::FromUnicode(unit);
    if (byte != CodePage::DefaultChar || unit == u'?') {
      out += byte;
      continue;
    }
    const size_t length =
        IsHighSurrogate(unit) && i + 1 < part.size() && IsLowSurrogate(part[i + 1]) ? 2 : 1;
    const std::u16string_view character = part.substr(i, length);
    i += length - 1;
    ScanOnce();
    const auto known = std::find(standFor_.begin(), standFor_.end(), character);
    if (known != standFor_.end()) {
      out += used_[size_t(known - standFor_.begin())];
    } else if (!free_.empty()) {
      used_ += free_.front();
      standFor_.emplace_back(character);
      out += free_.front();
      free_.erase(0, 1);
    } else {
      out += CodePage::DefaultChar;
    }
  }
  return out;
}

void TStandIns::Restore(std::u16string& text) const {
  if (used_.empty()) return;
  std::u16string restored;
  restored.reserve(text.size());
  for (const char16_t unit : text) {
    const size_t at = unit < 0x20 ? used_.find(static_cast<char>(unit)) : std::string::npos;
    if (at == std::string::npos)
      restored += unit;
    else
      restored += standFor_[at];
  }
  text = std::move(restored);
}
