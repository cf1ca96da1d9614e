// zefra-convert: converts Romanesh text files or pipes to Persian script, line by line.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <unistd.h>

#include "ConvertJobs.h"
#include "Dictionary.h"
#include "FilterDictionary.h"
#include "LineConverter.h"
#include "LineStream.h"
#include "ProgressBar.h"
#include "SmartSpelling.h"
#include "WordList.h"
#include "trans.h"

namespace {

constexpr const char* kUsage =
    "Usage: zefra-convert [OPTIONS] [FILE...]\n"
    "Converts Romanesh (Persian in Latin letters) to Persian script, line by line.\n"
    "Reads UTF-8 from the FILEs, or from standard input when none is given ('-' also names it),\n"
    "and writes UTF-8 to standard output. A CR inside a line marks a run left as typed.\n"
    "\n"
    "Options:\n"
    "  --dictionary FILE   use the seven sections of this dictionary file (read only);\n"
    "                      without it the built-in default entries are used\n"
    "  --no-dictionary     do not use the dictionary at all\n"
    "  --chat=on|off       chat digits (mer30 reads as mersi); default on\n"
    "  --tashdid=on|off    shadda on doubled consonants; default on\n"
    "  --suffix=on|off     automatic suffix corrections; default off\n"
    "  --polite=on|off     polite word forms; default off\n"
    "  --english=on|off    keep dictionary English words in Latin letters; default on\n"
    "  --treat-ae=on|off   an apostrophe after a, e or o counts as a backtick; default on\n"
    "  --smart=on|off      choose spellings by Persian word lists; default off\n"
    "  --modern=on|off     FARSI YEH and ZWNJ after mi-, nemi- and before -ha; default off\n"
    "  --cp1256            write Windows-1256 bytes instead of UTF-8\n"
    "  --jobs N            convert on N processes at once, each a part of the input cut at a\n"
    "                      line end, and write their output in order; default 1\n"
    "  --progress          show bytes done, rate and time left on standard error while a\n"
    "                      large file converts, when standard error is a terminal\n"
    "  --help              show this help and exit\n"
    "  --version           show the version and exit\n";

constexpr size_t kMaxJobs = 64;

struct Options {
  std::optional<std::string> dictionary;
  bool useDictionary = true;
  bool cp1256 = false;
  bool progress = false;
  size_t jobs = 1;
  std::vector<std::string> files;
};

bool ParseSwitch(std::string_view arg, std::string_view name, uint8_t& flag) {
  if (!arg.starts_with(name) || arg.size() <= name.size() || arg[name.size()] != '=') return false;
  const std::string_view value = arg.substr(name.size() + 1);
  if (value == "on") {
    flag = 1;
  } else if (value == "off") {
    flag = 0;
  } else {
    Fail(2, "bad value '" + std::string(value) + "' for " + std::string(name) + " (on or off)",
         true);
  }
  return true;
}

Options ParseArguments(int argc, char** argv) {
  Options options;
  bool onlyFiles = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (onlyFiles || arg == "-" || !arg.starts_with("-")) {
      options.files.emplace_back(arg);
    } else if (arg == "--") {
      onlyFiles = true;
    } else if (arg == "--help") {
      std::fputs(kUsage, stdout);
      std::exit(0);
    } else if (arg == "--version") {
      std::printf("zefra-convert %s\n", ZEFRA_VERSION);
      std::exit(0);
    } else if (arg == "--dictionary") {
      if (i + 1 >= argc) Fail(2, "--dictionary needs a FILE", true);
      options.dictionary = argv[++i];
    } else if (arg.starts_with("--dictionary=")) {
      options.dictionary = std::string(arg.substr(13));
    } else if (arg == "--no-dictionary") {
      options.useDictionary = false;
    } else if (arg == "--cp1256") {
      options.cp1256 = true;
    } else if (arg == "--jobs" || arg.starts_with("--jobs=")) {
      if (arg == "--jobs" && i + 1 >= argc) Fail(2, "--jobs needs a number", true);
      const std::string value = arg == "--jobs" ? argv[++i] : std::string(arg.substr(7));
      char* end = nullptr;
      const unsigned long jobs = std::strtoul(value.c_str(), &end, 10);
      if (value.empty() || *end || value[0] == '-' || jobs < 1 || jobs > kMaxJobs)
        Fail(2, "bad value '" + value + "' for --jobs (1 to " + std::to_string(kMaxJobs) + ")",
             true);
      options.jobs = jobs;
    } else if (arg == "--progress") {
      options.progress = true;
    } else if (!(ParseSwitch(arg, "--chat", ChatMode) ||
                 ParseSwitch(arg, "--tashdid", TashdidMode) ||
                 ParseSwitch(arg, "--suffix", PrefixMode) ||
                 ParseSwitch(arg, "--polite", PoliteMode) ||
                 ParseSwitch(arg, "--english", EnglishDetectMode) ||
                 ParseSwitch(arg, "--treat-ae", TreatAeMode) ||
                 ParseSwitch(arg, "--smart", SmartSpelling) ||
                 ParseSwitch(arg, "--modern", ModernOrthography))) {
      Fail(2, "unknown option '" + std::string(arg) + "'", true);
    }
  }
  return options;
}

// Reads one input, line by line; false after reporting invalid UTF-8.
bool ConvertStream(std::FILE* in, TStream& stream, ProgressBar& bar) {
  std::string raw;
  std::vector<char> block(1 << 16);
  size_t got;
  while ((got = std::fread(block.data(), 1, block.size(), in)) > 0) {
    bar.Advance(got);
    std::string_view data(block.data(), got);
    for (size_t lf; (lf = data.find('\n')) != std::string_view::npos; data.remove_prefix(lf + 1)) {
      raw.append(data.substr(0, lf));
      if (!stream.Line(raw, true)) return stream.Invalid(0);
    }
    raw.append(data);
  }
  if (std::ferror(in)) return true;  // reported by the caller
  return stream.Finish(raw) || stream.Invalid(0);
}
}  // namespace

void Fail(int status, const std::string& message, bool usage) {
  std::fflush(stdout);
  ProgressBar::Interrupt();
  std::fprintf(stderr, "zefra-convert: %s\n", message.c_str());
  if (usage) std::fputs(kUsage, stderr);
  std::exit(status);
}

int main(int argc, char** argv) {
#ifdef __GLIBC__
  // A fixed threshold: blocks of a megabyte and more are mapped and given back when freed, so
  // that the copies of a very long line, each freed in turn, do not stay resident.
  mallopt(M_MMAP_THRESHOLD, 1 << 20);
#endif
  InitializeEngine();
  SetDictionaryFlagDefaults();
  FarsiEnabled = 1;  // Windows-1256 has a byte for ALEF WITH MADDA ABOVE, as the window checks
  const Options options = ParseArguments(argc, argv);
  if (!options.useDictionary) DictionaryMode = 0;
  std::error_code ignored;
  SetWordListSources(DefaultWordListSources(
      std::filesystem::read_symlink("/proc/self/exe", ignored).parent_path().string()));
  std::string error;
  if (!PrepareFilterDictionary(options.dictionary ? &*options.dictionary : nullptr, error))
    Fail(1, error);

  Writer out;
  TLineConverter converter(options.cp1256);
  const std::vector<std::string> files =
      options.files.empty() ? std::vector<std::string>{"-"} : options.files;
  for (const std::string& name : files) {
    std::FILE* in = name == "-" ? stdin : std::fopen(name.c_str(), "rb");
    if (!in) {
      out.Flush();
      Fail(1, "cannot read " + name + ": " + std::strerror(errno));
    }
    // Converted lines on the same screen would break the bar's line.
    ProgressBar bar(stderr,
                    options.progress && !isatty(STDOUT_FILENO) ? ProgressBar::SizeOf(in) : 0);
    TStream stream(name, converter, out);
    const bool ok = options.jobs > 1 ? ConvertStreamInParallel(in, stream, bar, options.jobs)
                                     : ConvertStream(in, stream, bar);
    if (std::ferror(in)) FailToRead(name, errno);
    if (ok) bar.Finish();
    if (in != stdin) std::fclose(in);
    if (!ok) return 1;
  }
  out.Flush();
  if (std::fflush(stdout) != 0)
    Fail(1, std::string("cannot write the output: ") + std::strerror(errno));
  return 0;
}
