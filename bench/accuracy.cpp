// Word accuracy on real Romanesh: converts the development set's Romanesh side with the filter's
// settings, once per word-list configuration, and prints what the scorer measures. Then, for
// smart spelling with both lists, the score by k-fold cross-validation of the costs it learns
// from the pairs (each fold converted with the costs fitted to the other folds), the costs fitted
// to all pairs, how often each source of a chosen spelling was right, the commonest kinds of
// remaining errors, and how many of them the search weighed the right word for.
// Usage: accuracy [PAIRS.tsv [SCORER [OUTPUT_DIR]]]; with OUTPUT_DIR each configuration's output
// stays there as <n>.txt, for a look at the errors.
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
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
constexpr size_t kFolds = 5;

struct TPair {
  std::string Romanesh;
  std::string Persian;
};

std::vector<TPair> ReadPairs(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<TPair> pairs;
  for (std::string line; std::getline(in, line);) {
    const size_t tab = line.find('\t');
    pairs.push_back({line.substr(0, tab), tab == std::string::npos ? "" : line.substr(tab + 1)});
  }
  return pairs;
}

// The filter's flags and its built-in dictionary entries.
void UseFilterSettings() {
  InitializeEngine();
  SetDictionaryFlagDefaults();
  FarsiEnabled = 1;
  std::string error;
  PrepareFilterDictionary(nullptr, error);
}

// The filter's conversion of one line, in UTF-16.
std::u16string Convert(const std::string& line) {
  std::u16string text;
  if (!Utf8::Decode(line, text)) return {};
  return ConvertLine(CodePage::FromUnicode(text));
}

std::string ToUtf8(std::u16string_view text) {
  std::string out;
  Utf8::Append(text, out);
  return out;
}

// The words of Persian text as the scorer compares them (its normalisation without NFKC, which
// the choice of costs can do without): YEH and KAF folded, digits as ASCII, invisible marks and
// diacritics left out, punctuation between words.
std::vector<std::u16string> ScoredWords(std::u16string_view text) {
  static const std::u16string_view kPunctuation =
      u".,!?;:()[]{}\"'`-_/\\*\u00AB\u00BB\u060C\u061B\u061F\u066A\u066B\u066C\u2026";
  std::vector<std::u16string> words(1);
  for (char16_t c : text) {
    if (c == 0x064A || c == 0x0649) c = 0x06CC;
    if (c == 0x0643) c = 0x06A9;
    if (c >= 0x06F0 && c <= 0x06F9) c = char16_t('0' + c - 0x06F0);
    if (c >= 0x0660 && c <= 0x0669) c = char16_t('0' + c - 0x0660);
    const bool dropped = (c >= 0x0610 && c <= 0x061A) || (c >= 0x064B && c <= 0x065F) ||
                         c == 0x0670 || c == 0x0640 || (c >= 0x06D6 && c <= 0x06ED) ||
                         (c >= 0x200C && c <= 0x200F) || c == 0xFEFF || c == 0x061C;
    if (dropped) continue;
    const bool apart = c == u' ' || c == u'\t' || c == 0x00A0 ||
                       kPunctuation.find(c) != std::u16string_view::npos ||
                       (c >= 0x2010 && c <= 0x2015) || (c >= 0x2018 && c <= 0x201F);
    if (!apart)
      words.back() += c;
    else if (!words.back().empty())
      words.emplace_back();
  }
  if (words.back().empty()) words.pop_back();
  return words;
}

// The scorer's count for one pair: reference words less the word-level edit distance.
size_t RightWords(const std::vector<std::u16string>& ref, const std::vector<std::u16string>& hyp) {
  std::vector<size_t> row(hyp.size() + 1), next(hyp.size() + 1);
  for (size_t j = 0; j <= hyp.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= ref.size(); ++i) {
    next[0] = i;
    for (size_t j = 1; j <= hyp.size(); ++j)
      next[j] = std::min({row[j] + 1, next[j - 1] + 1, row[j - 1] + (ref[i - 1] != hyp[j - 1])});
    std::swap(row, next);
  }
  return ref.size() - std::min(row[hyp.size()], ref.size());
}

// Runs the scorer on output (one line per pair); false when it fails.
bool Score(const std::string& scorer, const std::string& pairs, const std::string& output) {
  const std::string command = "'" + scorer + "' '" + pairs + "' '" + output + "'";
  return std::system(command.c_str()) == 0;
}

struct TRun {
  std::vector<std::u16string> Lines;
  std::vector<size_t> Right;  // per pair
  std::vector<std::vector<TSmartSource>> Sources;
  std::vector<std::vector<std::vector<std::u16string>>> Weighed;  // per pair, per word
};

// weigh: also log what each word's search weighed, which costs the kept choices.
TRun ConvertAll(const std::vector<TPair>& pairs,
                const std::vector<std::vector<std::u16string>>& references, bool weigh = false) {
  ForgetSmartChoices();
  TRun run;
  std::vector<TSmartSource> sources;
  std::vector<std::vector<std::u16string>> weighed;
  SmartSourceLog = &sources;
  SmartWeighedLog = weigh ? &weighed : nullptr;
  for (size_t i = 0; i < pairs.size(); ++i) {
    sources.clear();
    weighed.clear();
    run.Lines.push_back(Convert(pairs[i].Romanesh));
    run.Right.push_back(RightWords(references[i], ScoredWords(run.Lines.back())));
    run.Sources.push_back(sources);
    run.Weighed.push_back(weighed);
  }
  SmartSourceLog = nullptr;
  SmartWeighedLog = nullptr;
  return run;
}

// A cost of the model that the fit may change, and its name.
struct TCost {
  std::string Name;
  float* Value;
};

// Every cost of the model but the core list's rank, which the others are measured from, and the
// unknown word's, which also bounds how far the search reads.
std::vector<TCost> ModelCosts() {
  std::vector<TCost> costs;
  for (size_t row = 0; row < SubstitutionRows(); ++row)
    costs.push_back({SubstitutionName(row), &SubstitutionCost(row)});
  const std::pair<const char*, float*> others[] = {
      {"frequency scale", &ListRanking.FrequencyScale},
      {"full list", &ListRanking.Full},
      {"derived", &ListRanking.Derived},
      {"skeleton same sound", &SkeletonCosts.SameSound},
      {"skeleton rare sound", &SkeletonCosts.RareSound},
      {"skeleton added", &SkeletonCosts.Added},
      {"skeleton added ain", &SkeletonCosts.AddedAin},
      {"skeleton dropped", &SkeletonCosts.Dropped},
      {"unwritten waw", &UnwrittenWaw},
  };
  for (const auto& [name, value] : others) costs.push_back({name, value});
  return costs;
}

std::vector<float> CostValues() {
  std::vector<float> values;
  for (const TCost& cost : ModelCosts()) values.push_back(*cost.Value);
  return values;
}

void UseCostValues(const std::vector<float>& values) {
  const std::vector<TCost> costs = ModelCosts();
  for (size_t i = 0; i < costs.size(); ++i) *costs[i].Value = values[i];
}

// The words right per pair for each set of cost values tried, shared by the folds' fits.
using TTried = std::map<std::vector<float>, std::vector<size_t>>;

// Fits the costs in use to the pairs outside the fold (every pair when fold is kFolds) by one
// sweep of coordinate descent: each cost in turn takes whichever of a few multiples of its value
// scores best, and keeps its value unless another scores strictly better.
void FitCosts(const std::vector<TPair>& pairs,
              const std::vector<std::vector<std::u16string>>& references, size_t fold,
              TTried& tried) {
  const auto right = [&] {
    auto found = tried.find(CostValues());
    if (found == tried.end())
      found = tried.emplace(CostValues(), ConvertAll(pairs, references).Right).first;
    size_t sum = 0;
    for (size_t i = 0; i < pairs.size(); ++i)
      if (i % kFolds != fold) sum += found->second[i];
    return sum;
  };
  size_t best = right();
  for (const TCost& cost : ModelCosts()) {
    const float start = *cost.Value;
    float chosen = start;
    for (const float factor : {0.5f, 0.75f, 1.4f, 2.0f}) {
      *cost.Value = start * factor;
      if (const size_t sum = right(); sum > best) best = sum, chosen = *cost.Value;
    }
    *cost.Value = chosen;
  }
}

// The costs that differ from the defaults, by name.
void PrintChanged(const char* label, const std::vector<float>& defaults) {
  std::printf("  %s:", label);
  const std::vector<TCost> costs = ModelCosts();
  for (size_t i = 0; i < costs.size(); ++i)
    if (*costs[i].Value != defaults[i])
      std::printf(" %s %.2f;", costs[i].Name.c_str(), *costs[i].Value);
  std::printf("\n");
}

const char* SourceName(TSmartSource source) {
  switch (source) {
    case TSmartSource::Dictionary:
      return "user's dictionary";
    case TSmartSource::Rules:
      return "letter rules";
    case TSmartSource::Variant:
      return "letter variant";
    case TSmartSource::Affix:
      return "stem and affix";
    case TSmartSource::Skeleton:
      return "consonant skeleton";
    case TSmartSource::Apart:
      return "typed apart";
  }
  return "?";
}

// What sets a wrong word apart from the right one.
std::string ErrorKind(std::u16string_view right, std::u16string_view wrong) {
  const auto without = [](std::u16string_view word, std::u16string_view letters) {
    std::u16string kept;
    for (const char16_t c : word)
      if (letters.find(c) == std::u16string_view::npos) kept += c;
    return kept;
  };
  static constexpr std::u16string_view kVowelLetters =
      u"\u0627\u0622\u0648\u06CC\u0639\u0621\u0626";
  std::u16string skeletonRight, skeletonWrong;
  AppendSkeleton(right, skeletonRight);
  AppendSkeleton(wrong, skeletonWrong);
  if (without(right, kVowelLetters) == without(wrong, kVowelLetters))
    return "vowel letters (\u0627 \u0648 \u06CC \u0639) written or left out";
  if (right.size() == wrong.size() && skeletonRight == skeletonWrong)
    return "a letter of the same sound";
  if (skeletonRight == skeletonWrong) return "same-sound letters and vowel letters";
  if (right.starts_with(wrong) || wrong.starts_with(right)) return "an ending added or left out";
  if (right.size() + 1 >= wrong.size() && right.substr(0, 2) == wrong.substr(0, 2))
    return "spoken or written form, or a changed ending";
  return "another word";
}

}  // namespace

int main(int argc, char** argv) {
  const std::string pairsPath = argc > 1 ? argv[1] : ZEFRA_DEV_SET;
  const std::string scorer = argc > 2 ? argv[2] : ZEFRA_SCORER;
  const std::vector<TPair> pairs = ReadPairs(pairsPath);
  if (pairs.empty()) {
    std::fprintf(stderr, "accuracy: cannot read %s\n", pairsPath.c_str());
    return 1;
  }
  std::vector<std::vector<std::u16string>> references;
  for (const TPair& pair : pairs) {
    std::u16string persian;
    Utf8::Decode(pair.Persian, persian);
    references.push_back(ScoredWords(persian));
  }
  UseFilterSettings();

  const bool keep = argc > 3;
  const std::filesystem::path directory =
      keep ? std::filesystem::path(argv[3]) : std::filesystem::temp_directory_path();
  if (keep) std::filesystem::create_directories(directory);
  const auto outputPath = [&](const std::string& name) {
    return (directory / (keep ? name + ".txt" : "zefra-accuracy-" + std::to_string(getpid())))
        .string();
  };
  const auto write = [&](const std::string& path, const std::vector<std::u16string>& lines) {
    std::ofstream out(path, std::ios::binary);
    for (const std::u16string& line : lines) out << ToUtf8(line) << '\n';
    return bool(out);
  };
  int status = 0;
  const std::vector<float> defaults = CostValues();
  for (const TConfiguration& c : kConfigurations) {
    const std::string output = outputPath(std::to_string(&c - kConfigurations));
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
    if (!write(output, ConvertAll(pairs, references).Lines)) status = 1;
    std::printf("%-38s ", c.Name);
    std::fflush(stdout);
    if (!Score(scorer, pairsPath, output)) status = 1;
    if (!keep) std::filesystem::remove(output);
  }

  // Cross-validation, with both lists (the last configuration): every pair is converted with the
  // costs fitted to the pairs of the other folds.
  TTried tried;
  std::vector<TRun> foldRuns;
  std::printf("costs fitted per fold, where they differ from the defaults:\n");
  for (size_t fold = 0; fold < kFolds; ++fold) {
    UseCostValues(defaults);
    FitCosts(pairs, references, fold, tried);
    PrintChanged(("fold " + std::to_string(fold)).c_str(), defaults);
    foldRuns.push_back(ConvertAll(pairs, references, true));
  }
  UseCostValues(defaults);
  FitCosts(pairs, references, kFolds, tried);
  PrintChanged("all pairs", defaults);
  UseCostValues(defaults);
  std::vector<std::u16string> crossValidated;
  for (size_t i = 0; i < pairs.size(); ++i) crossValidated.push_back(foldRuns[i % kFolds].Lines[i]);
  const std::string output = outputPath("cross-validated");
  if (!write(output, crossValidated)) status = 1;
  std::printf("%-38s ", "smart, cross-validated costs");
  std::fflush(stdout);
  if (!Score(scorer, pairsPath, output)) status = 1;
  if (!keep) std::filesystem::remove(output);

  // Per source and per kind of error, on the pairs whose words line up one for one.
  std::map<std::string, std::pair<size_t, size_t>> perSource;  // right, all
  std::map<std::string, size_t> kinds;
  size_t errors = 0, errorsWeighed = 0;
  for (size_t i = 0; i < pairs.size(); ++i) {
    const std::vector<std::u16string> hyp = ScoredWords(crossValidated[i]);
    const std::vector<TSmartSource>& sources = foldRuns[i % kFolds].Sources[i];
    const std::vector<std::vector<std::u16string>>& weighed = foldRuns[i % kFolds].Weighed[i];
    if (hyp.size() != references[i].size() || sources.size() != hyp.size()) continue;
    for (size_t w = 0; w < hyp.size(); ++w) {
      auto& [right, all] = perSource[SourceName(sources[w])];
      ++all;
      if (hyp[w] == references[i][w]) {
        ++right;
        continue;
      }
      ++errors;
      ++kinds[ErrorKind(references[i][w], hyp[w])];
      // Lookup keys fold YEH and KAF as the scorer does and leave out what it leaves out.
      if (std::find(weighed[w].begin(), weighed[w].end(), references[i][w]) != weighed[w].end())
        ++errorsWeighed;
    }
  }
  std::printf("per source, on the pairs whose words line up:\n");
  for (const auto& [name, counts] : perSource)
    std::printf("  %-20s %5zu words, %5.1f%% right\n", name.c_str(), counts.second,
                100.0 * double(counts.first) / double(counts.second));
  std::vector<std::pair<size_t, std::string>> byCount;
  for (const auto& [kind, count] : kinds) byCount.emplace_back(count, kind);
  std::sort(byCount.rbegin(), byCount.rend());
  std::printf("remaining errors by kind (%zu):\n", errors);
  for (const auto& [count, kind] : byCount) std::printf("  %5zu  %s\n", count, kind.c_str());
  std::printf(
      "of them the search weighed the right word and chose another for %zu, never reached "
      "it for %zu\n",
      errorsWeighed, errors - errorsWeighed);
  FinishDictionaryModule();
  return status;
}
