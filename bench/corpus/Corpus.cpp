#include "Corpus.h"

#include <random>

namespace corpus {
namespace {

// Syllables as Romanesh writers spell them, weighted by repetition.
constexpr const char* kSyllables[] = {
    "sa",  "la", "m",   "kh", "oo", "bi",  "mi",  "ra", "vam", "na",   "raft", "be",
    "man", "to", "ast", "ke", "ba", "dar", "az",  "ha", "ye",  "sh",   "ch",   "gh",
    "zh",  "aa", "ee",  "ou", "ea", "ae",  "an",  "on", "tan", "shon", "e",    "i",
    "ro",  "ze", "d",   "g",  "ja", "po",  "fa",  "ne", "mo",  "ka",   "ri",   "de",
    "s`",  "z`", "a`",  "t`", "h`", "e``", "gh`", "ll", "bb",  "mm",   "ss",   "kk",
};
constexpr const char* kChatWords[] = {"mer30", "2ta", "3shanbe", "be2n", "1ki", "30"};
constexpr const char* kPunctuation[] = {" ", " ", " ", " ", " ", " ", ", ", "? ", ". ", "! ", "; "};

}  // namespace

std::vector<std::string> Words(size_t count, uint32_t seed) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<size_t> syllable(0, std::size(kSyllables) - 1);
  std::uniform_int_distribution<size_t> chat(0, std::size(kChatWords) - 1);
  std::uniform_int_distribution<int> percent(0, 99);
  std::uniform_int_distribution<int> length(1, 4);
  std::vector<std::string> words;
  words.reserve(count);
  while (words.size() < count) {
    if (percent(random) < 3) {
      words.emplace_back(kChatWords[chat(random)]);
      continue;
    }
    std::string word;
    for (int n = length(random); n > 0; --n) word += kSyllables[syllable(random)];
    if (percent(random) < 5) word[0] = static_cast<char>(word[0] - 'a' + 'A');
    words.push_back(std::move(word));
  }
  return words;
}

std::vector<std::string> Lines(size_t count, size_t lineWords, uint32_t seed) {
  std::mt19937 random(seed ^ 0x5EEDu);
  std::uniform_int_distribution<size_t> punctuation(0, std::size(kPunctuation) - 1);
  const std::vector<std::string> words = Words(count * lineWords, seed);
  std::vector<std::string> lines(count);
  for (size_t i = 0; i < words.size(); ++i) {
    std::string& line = lines[i / lineWords];
    line += words[i];
    if ((i + 1) % lineWords) line += kPunctuation[punctuation(random)];
  }
  return lines;
}

}  // namespace corpus
