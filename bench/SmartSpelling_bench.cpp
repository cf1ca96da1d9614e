// Smart spelling on one core: words per second on generated and on real Romanesh, the worst
// word, and loading the word lists (time and memory).
#include <benchmark/benchmark.h>

#include <fstream>

#include "CodePage.h"
#include "Corpus.h"
#include "Dictionary.h"
#include "FilterDictionary.h"
#include "SmartSpelling.h"
#include "WordList.h"
#include "trans.h"

namespace {

// The filter's flags and its built-in dictionary entries.
void SetFlags() {
  InitializeEngine();
  SetDictionaryFlagDefaults();
  FarsiEnabled = 1;
  std::string error;
  PrepareFilterDictionary(nullptr, error);
}

TWordListSources Sources(bool aspell) {
  TWordListSources sources;
  sources.FrequencyFile = ZEFRA_FREQUENCY_LIST;
  if (!aspell) sources.AspellProgram.clear();
  return sources;
}

// Converts the lines once per iteration, each time without the choices kept from before.
void ConvertLines(benchmark::State& state, const std::vector<std::string>& lines) {
  SetFlags();
  SetWordListSources(Sources(true));
  WordLists();
  SmartSpelling = 1;
  size_t words = 0;
  for (const std::string& line : lines)
    for (size_t i = 0; i < line.size(); ++i)
      words += IsWordChar(line[i]) && (i == 0 || !IsWordChar(line[i - 1]));
  for (auto _ : state) {
    ForgetSmartChoices();
    for (const std::string& line : lines) benchmark::DoNotOptimize(ConvertLine(line));
  }
  state.counters["words/s"] =
      benchmark::Counter(double(words) * state.iterations(), benchmark::Counter::kIsRate);
  SmartSpelling = 0;
  FinishDictionaryModule();
}

void BM_SmartGeneratedText(benchmark::State& state) {
  ConvertLines(state, corpus::Lines(2048, 12));
}
BENCHMARK(BM_SmartGeneratedText)->Unit(benchmark::kMillisecond);

// The Romanesh side of the development set of real chat, when it lies beside the checkout.
void BM_SmartRealText(benchmark::State& state) {
  std::ifstream in(ZEFRA_DEV_SET);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);)
    lines.push_back(CodePage::FromUnicode(CodePage::ToUnicode(line.substr(0, line.find('\t')))));
  if (lines.empty()) {
    state.SkipWithError("no development set");
    return;
  }
  ConvertLines(state, lines);
}
BENCHMARK(BM_SmartRealText)->Unit(benchmark::kMillisecond);

// The longest word that smart spelling still reads: 63 letters rich in substitutions.
void BM_SmartWorstWord(benchmark::State& state) {
  std::string word;
  while (word.size() < TSpellingCandidates::kLongestWord) word += "ghazasot";
  word.resize(TSpellingCandidates::kLongestWord);
  ConvertLines(state, {word});
}
BENCHMARK(BM_SmartWorstWord)->Unit(benchmark::kMicrosecond);

void BM_LoadWordLists(benchmark::State& state) {
  const bool aspell = state.range(0);
  size_t bytes = 0;
  for (auto _ : state) {
    SetWordListSources(Sources(aspell));
    bytes = WordLists().Bytes();
  }
  state.counters["MB"] = double(bytes) / (1 << 20);
  state.counters["words"] = double(WordLists().Size());
}
BENCHMARK(BM_LoadWordLists)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
