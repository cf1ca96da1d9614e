// Throughput of the rule engine: words per second and megabytes per second on one core.
#include <benchmark/benchmark.h>

#include "CodePage.h"
#include "Corpus.h"
#include "Dictionary.h"
#include "trans.h"

namespace {

void SetFlags(bool dictionary) {
  InitializeEngine();
  FarsiEnabled = 1;
  DictionaryMode = dictionary;
  ChatMode = TashdidMode = MiddleMode = EnglishDetectMode = 1;
  PrefixMode = PoliteMode = 0;
}

void BM_TransliterateWord(benchmark::State& state) {
  SetFlags(false);
  const std::vector<std::string> words = corpus::Words(1 << 16);
  size_t bytes = 0;
  for (const std::string& word : words) bytes += word.size();
  for (auto _ : state)
    for (const std::string& word : words) benchmark::DoNotOptimize(TransliterateWord(word));
  state.counters["words/s"] = benchmark::Counter(double(words.size()) * state.iterations(),
                                                 benchmark::Counter::kIsRate);
  state.SetBytesProcessed(int64_t(bytes) * state.iterations());
}
BENCHMARK(BM_TransliterateWord)->Unit(benchmark::kMillisecond);

void BM_ConvertText(benchmark::State& state) {
  SetFlags(false);
  const std::vector<std::string> lines = corpus::Lines(4096, 12);
  std::vector<std::u16string> text;
  size_t bytes = 0;
  for (const std::string& line : lines) {
    text.push_back(CodePage::ToUnicode(line));
    bytes += line.size();
  }
  for (auto _ : state)
    for (const std::u16string& line : text) benchmark::DoNotOptimize(ConvertText(line));
  state.counters["words/s"] = benchmark::Counter(double(lines.size() * 12) * state.iterations(),
                                                 benchmark::Counter::kIsRate);
  state.SetBytesProcessed(int64_t(bytes) * state.iterations());
}
BENCHMARK(BM_ConvertText)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
