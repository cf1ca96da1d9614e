// Word accuracy on real Romanesh: converts the development set's Romanesh side with the filter's
// settings, once per word-list configuration, and prints what the scorer measures.
// Usage: accuracy [PAIRS.tsv [SCORER [OUTPUT_DIR]]]; with OUTPUT_DIR each configuration's output
// stays there as <n>.txt, for a look at the errors.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "CodePage.h"
#include "Dictionary.h"
#include "FilterDictionary.h"
#include "SmartSpelling.h"
#include "Utf8.h"
#include "WordList.h"
#include "trans.h"

namespace {

struct TConfiguration {
  const char* Name;
  bool Smart;
  bool Aspell;
  bool Frequency;
};
constexpr TConfiguration kConfigurations[] = {
    {"letter rules", false, false, false},
    {"smart, aspell-fa alone", true, true, false},
    {"smart, frequency list alone", true, false, true},
    {"smart, aspell-fa and frequency list", true, true, true},
};

std::vector<std::string> RomaneshLines(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line.substr(0, line.find('\t')));
  return lines;
}

// The filter's flags and its built-in dictionary entries.
void UseFilterSettings() {
  InitializeEngine();
  SetDictionaryFlagDefaults();
  FarsiEnabled = 1;
  std::string error;
  PrepareFilterDictionary(nullptr, error);
}

// The filter's conversion of one line.
std::string Convert(const std::string& line) {
  std::u16string text;
  if (!Utf8::Decode(line, text)) return {};
  std::string out;
  Utf8::Append(ConvertLine(CodePage::FromUnicode(text)), out);
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string pairs = argc > 1 ? argv[1] : ZEFRA_DEV_SET;
  const std::string scorer = argc > 2 ? argv[2] : ZEFRA_SCORER;
  const std::vector<std::string> lines = RomaneshLines(pairs);
  if (lines.empty()) {
    std::fprintf(stderr, "accuracy: cannot read %s\n", pairs.c_str());
    return 1;
  }
  UseFilterSettings();

  const bool keep = argc > 3;
  const std::filesystem::path directory =
      keep ? std::filesystem::path(argv[3]) : std::filesystem::temp_directory_path();
  int status = 0;
  for (const TConfiguration& c : kConfigurations) {
    const std::string output = (directory / (keep ? std::to_string(&c - kConfigurations) + ".txt"
                                                  : "zefra-accuracy-" + std::to_string(getpid())))
                                   .string();
    TWordListSources sources;
    sources.FrequencyFile = c.Frequency ? ZEFRA_FREQUENCY_LIST : "";
    if (!c.Aspell) sources.AspellProgram.clear();
    SetWordListSources(sources);
    SmartSpelling = c.Smart;
    const uint8_t wanted = (c.Aspell ? wlCore | wlFull : 0) | (c.Frequency ? wlFrequency : 0);
    if (c.Smart && (MissingWordLists() & wanted)) {
      std::fprintf(stderr, "accuracy: %s: a word list is missing\n", c.Name);
      status = 1;
    }
    {
      std::ofstream out(output, std::ios::binary);
      for (const std::string& line : lines) out << Convert(line) << '\n';
    }
    std::printf("%-38s ", c.Name);
    std::fflush(stdout);
    const std::string command = "'" + scorer + "' '" + pairs + "' '" + output + "'";
    if (std::system(command.c_str()) != 0) status = 1;
    if (!keep) std::filesystem::remove(output);
  }
  FinishDictionaryModule();
  return status;
}
