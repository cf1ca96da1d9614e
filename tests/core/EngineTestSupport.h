#pragma once
// Shared set-up for the core tests: flags at their start values, sections absent or empty, and
// a directory of their own for tests that write files.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>

#include "Dictionary.h"
#include "trans.h"

// Letters by name, so that expectations read like the rules they check.
namespace letters {
inline constexpr char16_t ALEF_MADDA = 0x0622, ALEF = 0x0627, BEH = 0x0628, PEH = 0x067E,
                          TEH = 0x062A, THEH = 0x062B, JEEM = 0x062C, TCHEH = 0x0686, HAH = 0x062D,
                          KHAH = 0x062E, DAL = 0x062F, THAL = 0x0630, REH = 0x0631, ZAIN = 0x0632,
                          JEH = 0x0698, SEEN = 0x0633, SHEEN = 0x0634, SAD = 0x0635, DAD = 0x0636,
                          TAH = 0x0637, ZAH = 0x0638, AIN = 0x0639, GHAIN = 0x063A, FEH = 0x0641,
                          QAF = 0x0642, KEHEH = 0x06A9, GAF = 0x06AF, LAM = 0x0644, MEEM = 0x0645,
                          NOON = 0x0646, HEH = 0x0647, WAW = 0x0648, YEH = 0x064A,
                          FARSI_YEH = 0x06CC, HAMZA = 0x0621, FATHATAN = 0x064B, SHADDA = 0x0651,
                          ALEF_HAMZA = 0x0623, YEH_HAMZA = 0x0626, WAW_HAMZA = 0x0624,
                          ARABIC_COMMA = 0x060C, ARABIC_SEMICOLON = 0x061B,
                          ARABIC_QUESTION = 0x061F;
}  // namespace letters

// A word of letters drawn from letters (a letter given twice is drawn twice as often), of a
// length between shortest and longest.
std::string RandomWord(std::mt19937& random, std::string_view letters, size_t shortest,
                       size_t longest);

// A new, empty directory for the running test, named after it.
std::filesystem::path FreshTestDirectory(const std::string& prefix);
// The whole content of a file ("" when it cannot be read).
std::string FileText(const std::filesystem::path& path);

// Code units as "U+0633 U+0644" for readable failure messages.
std::string Units(const std::u16string& text);

class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
};

#define EXPECT_UNITS(actual, expected) EXPECT_EQ(Units(actual), Units(expected))
