// Throughput of the rule engine: words per second and megabytes per second on one core.
#include <benchmark/benchmark.h>

#include "CodePage.h"
#include "Corpus.h"
#include "Dictionary.h"
#include "DictionaryStage.h"
#include "trans.h"

namespace {

void SetFlags(bool dictionary) {
  InitializeEngine();
  SetDictionaryFlagDefaults();
  FarsiEnabled = 1;
  DictionaryMode = dictionary;
}

void BM_TransliterateWord(benchmark::State& state) {
  SetFlags(false);
  const std::vector<std::string> words = corpus::Words(1 << 16);
  size_t bytes = 0;
  for (const std::string& word : words) bytes += word.size();
  for (auto _ : state)
    for (const std::string& word : words) benchmark::DoNotOptimize(TransliterateWord(word));
  state.counters["words/s"] =
      benchmark::Counter(double(words.size()) * state.iterations(), benchmark::Counter::kIsRate);
  state.SetBytesProcessed(int64_t(bytes) * state.iterations());
}
BENCHMARK(BM_TransliterateWord)->Unit(benchmark::kMillisecond);

void ConvertLines(benchmark::State& state) {
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

void BM_ConvertText(benchmark::State& state) {
  SetFlags(false);
  ConvertLines(state);
}
BENCHMARK(BM_ConvertText)->Unit(benchmark::kMillisecond);

void BM_ConvertTextDefaultDictionary(benchmark::State& state) {
  SetFlags(true);
  CreateSections();
  AddDefaultEntries();
  ConvertLines(state);
}
BENCHMARK(BM_ConvertTextDefaultDictionary)->Unit(benchmark::kMillisecond);

// A grown dictionary: 65,535 entries in the whole, prefix and suffix sections, and middle and
// English entries (1,000 and 5,000, or 65,535 of each when full).
void LoadLargeDictionary(size_t middleCount, size_t englishCount) {
  SetFlags(true);
  CreateSections();
  AddDefaultEntries();
  constexpr size_t kSection = 65535;
  const std::vector<std::string> keys = corpus::Words(kSection * 3 + middleCount + englishCount, 7);
  std::vector<std::string> whole, prefix, suffix, middle, english;
  for (size_t i = 0; i < kSection; ++i) {
    whole.push_back(keys[i] + "=" + keys[i] + "a");
    prefix.push_back(keys[kSection + i] + "=" + keys[kSection + i] + "e");
    suffix.push_back(keys[2 * kSection + i] + "=" + keys[2 * kSection + i] + "o");
  }
  for (size_t i = 0, at = 3 * kSection; i < middleCount; ++i)
    middle.push_back(keys[at + i] + "q=" + keys[at + i]);
  for (size_t i = 0, at = 3 * kSection + middleCount; i < englishCount; ++i)
    english.push_back(keys[at + i] + "x" + (i % 2 ? "=Whole" : "=Prefix"));
  WholeWords->LoadFromStrings(whole);
  PrefixWords->LoadFromStrings(prefix);
  SuffixWords->LoadFromStrings(suffix);
  MiddleWords->LoadFromStrings(middle);
  LoadEnglishWords(english);
  PrefixMode = 1;
}

void ConvertWithLargeDictionary(benchmark::State& state, size_t middleCount, size_t englishCount) {
  LoadLargeDictionary(middleCount, englishCount);
  ConvertLines(state);
}

void BM_ConvertTextLargeDictionary(benchmark::State& state) {
  ConvertWithLargeDictionary(state, 1000, 5000);
}
BENCHMARK(BM_ConvertTextLargeDictionary)->Unit(benchmark::kMillisecond);

void BM_ConvertTextFullDictionary(benchmark::State& state) {
  ConvertWithLargeDictionary(state, 65535, 65535);
}
BENCHMARK(BM_ConvertTextFullDictionary)->Unit(benchmark::kMillisecond);

// The dictionary stage alone, on the words ConvertLines converts: the test for English and the
// lookups up to normalisation, verbal prefixes peeled as the engine does.
void BM_DictionaryStageFullDictionary(benchmark::State& state) {
  LoadLargeDictionary(65535, 65535);
  const std::vector<std::string> words = corpus::Words(4096 * 12);
  std::string rewritten;
  std::u16string prefixes;
  for (auto _ : state) {
    for (const std::string& typed : words) {
      benchmark::DoNotOptimize(IsEnglishWord(typed));
      std::string_view word = typed;
      prefixes.clear();
      TPrefixRun run;
      while (DictionaryStage(word, rewritten, run, prefixes)) {
      }
      benchmark::DoNotOptimize(word);
    }
  }
  state.counters["words/s"] =
      benchmark::Counter(double(words.size()) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DictionaryStageFullDictionary)->Unit(benchmark::kMillisecond);

// One word made of a verbal prefix repeated: the dictionary stage peels the prefixes one by one.
void BM_VerbalPrefixRun(benchmark::State& state, const std::string& prefix) {
  SetFlags(true);
  CreateSections();
  std::string word;
  for (int64_t i = 0; i < state.range(0); ++i) word += prefix;
  for (auto _ : state) benchmark::DoNotOptimize(TransliterateWord(word));
  state.SetBytesProcessed(int64_t(word.size()) * state.iterations());
}
BENCHMARK_CAPTURE(BM_VerbalPrefixRun, mi, "mi")->Arg(80000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_VerbalPrefixRun, be, "be")->Arg(80000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_VerbalPrefixRun, nemi, "nemi")->Arg(40000)->Unit(benchmark::kMillisecond);

// A line of state.range(0) runs, half of them marked as typed, assembled in reverse order.
void BM_ConvertLineManyRunsReversed(benchmark::State& state) {
  SetFlags(false);
  FarsiEnabled = 0;
  std::string line;
  for (int64_t i = 0; i < state.range(0) / 2; ++i) line += "ab \rhello\r ";
  for (auto _ : state) benchmark::DoNotOptimize(ConvertLine(line));
  state.SetBytesProcessed(int64_t(line.size()) * state.iterations());
}
BENCHMARK(BM_ConvertLineManyRunsReversed)->Arg(200000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
