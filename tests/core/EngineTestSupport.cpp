#include "EngineTestSupport.h"

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

std::filesystem::path FreshTestDirectory(const std::string& prefix) {
  namespace fs = std::filesystem;
  const fs::path dir =
      fs::temp_directory_path() / (prefix + "-" + std::to_string(::getpid()) + "-" +
                                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
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
