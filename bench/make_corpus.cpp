// Writes about N megabytes of generated Romanesh lines to standard output: make_corpus N
#include <cstdio>
#include <cstdlib>

#include "Corpus.h"

int main(int argc, char** argv) {
  const size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100;
  size_t written = 0;
  for (uint32_t seed = 1; written < megabytes << 20; ++seed) {
    for (const std::string& line : corpus::Lines(1000, 12, seed)) {
      std::fwrite(line.data(), 1, line.size(), stdout);
      std::fputc('\n', stdout);
      written += line.size() + 1;
    }
  }
}
