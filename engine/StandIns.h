#pragma once
// Characters that the code page lacks (a FARSI YEH from a Persian keyboard, an emoji, a letter of
// another script) would reach the 8-bit letter rules as "?" and come out as an Arabic question
// mark. Instead each one waits in the line as a control byte that the rules copy as it is, and
// comes back in its place afterwards.
#include <string>
#include <string_view>
#include <vector>

class TStandIns {
 public:
  /// Stand-ins for one line, chosen among the control bytes that the line does not hold itself;
  /// line is its text in any form that keeps control characters as single units below 0x20
  /// (UTF-16, UTF-8 or the code page).
  explicit TStandIns(std::u16string_view line);
  explicit TStandIns(std::string_view line);

  /// Part of the line in the code page, each character the code page lacks given its stand-in
  /// (the same character always the same one); "?" when the stand-ins have run out. A character
  /// outside the Basic Multilingual Plane is one character.
  std::string ToAnsi(std::u16string_view part);
  /// Every stand-in in converted text back to the character it stood for.
  void Restore(std::u16string& text) const;

 private:
  void Exclude(char16_t unit);
  void ScanOnce();

  std::u16string_view unscanned_;         // the line, until a stand-in is first needed
  bool exhausted_ = false;                // the line holds every candidate byte itself
  std::string free_;                      // stand-in bytes not yet given out
  std::string used_;                      // stand-in bytes given out, in order
  std::vector<std::u16string> standFor_;  // the character of each byte in used_
};
