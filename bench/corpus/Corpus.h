#pragma once
// Seeded generator of realistic Romanesh text for the benchmarks.
#include <cstdint>
#include <string>
#include <vector>

namespace corpus {

// count words drawn from common Persian syllables, with backticks, doubled consonants, chat
// digits and the odd capital; the same seed gives the same words.
std::vector<std::string> Words(size_t count, uint32_t seed = 1);
// Lines of words joined by spaces and punctuation, each line about lineWords words long.
std::vector<std::string> Lines(size_t count, size_t lineWords, uint32_t seed = 1);

}  // namespace corpus
