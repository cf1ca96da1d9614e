#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "Dictionary.h"
#include "DictionaryIni.h"

namespace {

namespace fs = std::filesystem;

// Romanized-looking keys: syllables of a few letters, so that keys share beginnings and endings.
std::string RandomWord(std::mt19937& rng) {
  static const char* const syllables[] = {"kh", "sh", "a", "aa", "b",  "d",  "e",  "g",
                                          "h",  "i",  "j", "k",  "m",  "n",  "o",  "oo",
                                          "r",  "s",  "t", "z",  "ya", "va", "ch", "gh"};
  std::string word;
  const size_t count = 2 + rng() % 5;
  for (size_t i = 0; i < count; ++i) word += syllables[rng() % std::size(syllables)];
  return word;
}

std::vector<std::string> RandomLines(size_t count, uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<std::string> lines;
  lines.reserve(count);
  for (size_t i = 0; i < count; ++i) lines.push_back(RandomWord(rng) + "=" + RandomWord(rng));
  return lines;
}

std::vector<std::string> RandomWords(size_t count, uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<std::string> words;
  for (size_t i = 0; i < count; ++i) words.push_back(RandomWord(rng));
  return words;
}

struct NullReporter : TDictionaryReporter {
  void Warning(const std::string&) override {}
  void Error(const std::string&) override {}
};

// A dictionary file of 200,000 entries in all, most of them whole words.
std::string WriteBigDictionary() {
  const fs::path dir = fs::temp_directory_path() / ("zefra-bench-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const std::string file = (dir / "Zefra.txt").string();
  std::ofstream out(file, std::ios::binary);
  const std::pair<const char*, size_t> sections[] = {
      {"Whole Words", 120000}, {"Polite Words", 10000}, {"Suffix Words", 30000},
      {"Prefix Words", 30000}, {"Middle Words", 5000},  {"English Words", 5000}};
  uint32_t seed = 1;
  for (const auto& [name, count] : sections) {
    out << "[" << name << "]\r\n";
    for (const std::string& line : RandomLines(count, seed++)) out << line << "\r\n";
    out << "\r\n";
  }
  return file;
}

void BM_LoadDictionary(benchmark::State& state) {
  const std::string file = WriteBigDictionary();
  NullReporter reporter;
  for (auto _ : state) {
    StartDictionaryModule(file, reporter);
    benchmark::DoNotOptimize(WholeWords->Count());
  }
  FinishDictionaryModule();
  fs::remove_all(fs::path(file).parent_path());
}
BENCHMARK(BM_LoadDictionary)->Unit(benchmark::kMillisecond);

void BM_SaveDictionary(benchmark::State& state) {
  const std::string file = WriteBigDictionary();
  NullReporter reporter;
  StartDictionaryModule(file, reporter);
  for (auto _ : state) benchmark::DoNotOptimize(SaveDictionary());
  FinishDictionaryModule();
  fs::remove_all(fs::path(file).parent_path());
}
BENCHMARK(BM_SaveDictionary)->Unit(benchmark::kMillisecond);

// Lookups on a section of state.range(0) entries, with words that mostly miss, as typing does.
template <TDicKind Kind, bool Part>
void BM_Lookup(benchmark::State& state) {
  TDicValueObject section(Kind);
  section.LoadFromStrings(RandomLines(static_cast<size_t>(state.range(0)), 7));
  const std::vector<std::string> words = RandomWords(4096, 11);
  size_t i = 0;
  for (auto _ : state) {
    const std::string& word = words[i++ & 4095];
    benchmark::DoNotOptimize(Part ? section.FindPart(word) : section.Find(word));
  }
}
BENCHMARK(BM_Lookup<dkWhole, false>)->Name("Find/whole")->Arg(1000)->Arg(70000)->Arg(200000);
BENCHMARK(BM_Lookup<dkPrefix, true>)->Name("FindPart/prefix")->Arg(1000)->Arg(70000)->Arg(200000);
BENCHMARK(BM_Lookup<dkSuffix, true>)->Name("FindPart/suffix")->Arg(1000)->Arg(70000)->Arg(200000);
BENCHMARK(BM_Lookup<dkMiddle, true>)->Name("FindPart/middle")->Arg(1000)->Arg(70000)->Arg(200000);

// The first lookup after a change builds the section's index: the cost that loading leaves for
// later.
template <TDicKind Kind>
void BM_FirstLookup(benchmark::State& state) {
  const std::vector<std::string> lines = RandomLines(static_cast<size_t>(state.range(0)), 7);
  TDicValueObject section(Kind);
  for (auto _ : state) {
    state.PauseTiming();
    section.LoadFromStrings(lines);
    state.ResumeTiming();
    benchmark::DoNotOptimize(section.FindPart("khastan"));
  }
}
BENCHMARK(BM_FirstLookup<dkWhole>)
    ->Name("FirstLookup/whole")
    ->Arg(200000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstLookup<dkPrefix>)
    ->Name("FirstLookup/prefix")
    ->Arg(200000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstLookup<dkSuffix>)
    ->Name("FirstLookup/suffix")
    ->Arg(200000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstLookup<dkMiddle>)
    ->Name("FirstLookup/middle")
    ->Arg(200000)
    ->Unit(benchmark::kMillisecond);

// A long middle key against a word twice its length that holds it once, at the end; the two
// words alternate so that the one-entry cache never answers.
void BM_LongMiddleKey(benchmark::State& state) {
  const size_t n = static_cast<size_t>(state.range(0));
  TDicValueObject section(dkMiddle);
  section.LoadFromStrings({std::string(n, 'a') + "b=x"});
  std::string words[] = {std::string(2 * n, 'a') + "b", std::string(2 * n, 'a') + "b"};
  words[1][0] = 'A';
  size_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(section.FindPart(words[i++ & 1]));
}
BENCHMARK(BM_LongMiddleKey)->Arg(65536)->Unit(benchmark::kMillisecond);

// A file of state.range(0) sections, each under a name of its own.
void BM_ParseManySections(benchmark::State& state) {
  std::string text;
  for (int64_t i = 0; i < state.range(0); ++i)
    text += "[Section " + std::to_string(i) + "]\r\nk=v\r\n";
  TDictionaryIni ini;
  for (auto _ : state) {
    ini.Parse(text);
    benchmark::DoNotOptimize(ini.Sections().size());
  }
  state.SetBytesProcessed(int64_t(text.size()) * state.iterations());
}
BENCHMARK(BM_ParseManySections)->Arg(40000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
