#include "EngineTestSupport.h"

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

// Every test directory of a process lies in one of its own, removed when the process ends, so that
// a test stopped by a failed assertion, or one that does not clean up, leaves nothing behind.
struct TProcessDirectory {
  std::filesystem::path Path;
  ~TProcessDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(Path, ignored);
  }
};

}  // namespace

std::filesystem::path FreshTestDirectory(const std::string& prefix) {
  namespace fs = std::filesystem;
  static const TProcessDirectory root{fs::temp_directory_path() /
                                      ("zefra-tests-" + std::to_string(::getpid()))};
  const fs::path dir =
      root.Path / (prefix + "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

std::string RandomWord(std::mt19937& random, std::string_view letters, size_t shortest,
                       size_t longest) {
  std::uniform_int_distribution<size_t> letter(0, letters.size() - 1), length(shortest, longest);
  std::string word;
  for (size_t n = length(random); n > 0; --n) word += letters[letter(random)];
  return word;
}

std::string FileText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string Units(const std::u16string& text) {
  std::string out;
  for (const char16_t c : text) {
    char unit[12];
    std::snprintf(unit, sizeof unit, "%sU+%04X", out.empty() ? "" : " ", unsigned(c));
    out += unit;
  }
  return out;
}

void EngineTest::SetUp() {
  InitializeEngine();
  SetDictionaryFlagDefaults();
  FarsiEnabled = 1;
  CreateSections();
}

void EngineTest::TearDown() {
  FinishDictionaryModule();
}
