#pragma once
// The replacement the rules are written in: every occurrence, left to right, non-overlapping,
// inserted text never scanned again. Linear in the length of s. True when from occurred.
#include <string>
#include <string_view>

inline bool ReplaceAll(std::string& s, std::string_view from, std::string_view to) {
  size_t at = s.find(from);
  if (at == std::string::npos) return false;
  std::string result;
  result.reserve(s.size() + 8);
  size_t done = 0;
  while (at != std::string::npos) {
    result.append(s, done, at - done).append(to);
    done = at + from.size();
    at = s.find(from, done);
  }
  result.append(s, done, std::string::npos);
  s = std::move(result);
  return true;
}
