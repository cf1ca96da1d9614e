// The input method's key handling on one core: the time of each key typed, the lookup table's
// opening, and the memory of the process with smart spelling's word lists loaded.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <fstream>

#include "Corpus.h"
#include "Dictionary.h"
#include "FilterDictionary.h"
#include "RomaneshComposer.h"
#include "SmartSpelling.h"
#include "WordList.h"
#include "trans.h"

namespace {

// The window's start values with the built-in dictionary entries, the word lists loaded.
void Prepare(bool smart) {
  InitializeEngine();
  SetDictionaryFlagDefaults();
  FarsiEnabled = 1;
  std::string error;
  PrepareFilterDictionary(nullptr, error);
  TWordListSources sources;
  sources.FrequencyFile = ZEFRA_FREQUENCY_LIST;
  SetWordListSources(sources);
  WordLists();
  SmartSpelling = smart;
  ModernOrthography = smart;
}

// This thread's processor time: a key's own work, without the time other processes took.
std::chrono::nanoseconds ThreadTime() {
  timespec now;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

double ResidentMegabytes() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.starts_with("VmRSS:")) return std::stod(line.substr(6)) / 1024;
  return 0;
}

// Each key of the lines typed in turn, each time without the choices kept from before.
void BM_TypeKeys(benchmark::State& state) {
  Prepare(state.range(0));
  const std::vector<std::string> lines = corpus::Lines(256, 12);
  size_t keys = 0;
  std::chrono::nanoseconds worst{0};
  for (auto _ : state) {
    ForgetSmartChoices();
    TRomaneshComposer composer;
    for (const std::string& line : lines) {
      for (const char c : line) {
        const auto start = ThreadTime();
        composer.Handle({TComposerKey::Character, static_cast<unsigned char>(c)});
        worst = std::max(worst, ThreadTime() - start);
        ++keys;
      }
      composer.Handle({TComposerKey::Enter});
      benchmark::DoNotOptimize(composer.TakeCommitted());
    }
  }
  state.counters["keys/s"] = benchmark::Counter(double(keys), benchmark::Counter::kIsRate);
  state.counters["worst key us"] = double(worst.count()) / 1000;
  state.counters["RSS MB"] = ResidentMegabytes();
  FinishDictionaryModule();
}
BENCHMARK(BM_TypeKeys)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Tab on a typed word: its similar words converted and ranked.
void BM_OpenCandidates(benchmark::State& state) {
  Prepare(state.range(0));
  const std::vector<std::string> words = corpus::Words(512);
  TRomaneshComposer composer;
  for (auto _ : state) {
    for (const std::string& word : words) {
      for (const char c : word)
        composer.Handle({TComposerKey::Character, static_cast<unsigned char>(c)});
      composer.Handle({TComposerKey::Tab});
      benchmark::DoNotOptimize(composer.Candidates().size());
      composer.Flush();
    }
  }
  state.counters["tables/s"] =
      benchmark::Counter(double(words.size()) * state.iterations(), benchmark::Counter::kIsRate);
  FinishDictionaryModule();
}
BENCHMARK(BM_OpenCandidates)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
