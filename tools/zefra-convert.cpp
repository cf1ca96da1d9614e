// zefra-convert: converts Romanesh text files or pipes to Persian script, line by line.
#include <algorithm>
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

#include "Dictionary.h"
#include "FilterDictionary.h"
#include "LineConverter.h"
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
    "  --progress          show bytes done, rate and time left on standard error while a\n"
    "                      large file converts, when standard error is a terminal\n"
    "  --help              show this help and exit\n"
    "  --version           show the version and exit\n";

struct Options {
  std::optional<std::string> dictionary;
  bool useDictionary = true;
  bool cp1256 = false;
  bool progress = false;
  std::vector<std::string> files;
};

[[noreturn]] void Fail(int status, const std::string& message, bool usage = false) {
  std::fflush(stdout);
  ProgressBar::Interrupt();
  std::fprintf(stderr, "zefra-convert: %s\n", message.c_str());
  if (usage) std::fputs(kUsage, stderr);
  std::exit(status);
}

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

class Writer {
 public:
  std::string& Buffer() { return buffer_; }
  void Flush() {
    if (!buffer_.empty() &&
        std::fwrite(buffer_.data(), 1, buffer_.size(), stdout) != buffer_.size())
      Fail(1, std::string("cannot write the output: ") + std::strerror(errno));
    buffer_.clear();
  }

 private:
  std::string buffer_;
};

// Reads one input, line by line; false after reporting invalid UTF-8.
bool ConvertStream(std::FILE* in, const std::string& name, TLineConverter& converter, Writer& out,
                   bool progress) {
  // Converted lines on the same screen would break the bar's line.
  ProgressBar bar(stderr, progress && !isatty(STDOUT_FILENO) ? ProgressBar::SizeOf(in) : 0);
  std::string raw;
  std::vector<char> block(1 << 16);
  const TLineConverter::TSpill spill = [&out](std::string&) { out.Flush(); };
  size_t lineNumber = 0;
  bool atStart = true;
  const auto finishLine = [&](bool endedByLf) {
    ++lineNumber;
    if (endedByLf && !raw.empty() && raw.back() == '\r') raw.pop_back();
    if (atStart && raw.starts_with("\xEF\xBB\xBF")) raw.erase(0, 3);
    atStart = false;
    if (!converter.Convert(raw, out.Buffer(), spill)) {
      out.Flush();
      ProgressBar::Interrupt();
      std::fprintf(stderr, "zefra-convert: %s:%zu: invalid UTF-8\n", name.c_str(), lineNumber);
      return false;
    }
    raw.clear();
    out.Buffer() += '\n';
    if (out.Buffer().size() >= TLineConverter::kBlockBytes) out.Flush();
    return true;
  };
  size_t got;
  while ((got = std::fread(block.data(), 1, block.size(), in)) > 0) {
    bar.Advance(got);
    std::string_view data(block.data(), got);
    for (size_t lf; (lf = data.find('\n')) != std::string_view::npos; data.remove_prefix(lf + 1)) {
      raw.append(data.substr(0, lf));
      if (!finishLine(true)) return false;
    }
    raw.append(data);
  }
  if (std::ferror(in)) Fail(1, name + ": read error: " + std::strerror(errno));
  // A file that holds nothing but its byte-order mark is empty.
  if (atStart && raw == "\xEF\xBB\xBF") raw.clear();
  if (!raw.empty() && !finishLine(false)) return false;
  bar.Finish();
  return true;
}

}  // namespace

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
    const bool ok = ConvertStream(in, name, converter, out, options.progress);
    if (in != stdin) std::fclose(in);
    if (!ok) return 1;
  }
  out.Flush();
  if (std::fflush(stdout) != 0)
    Fail(1, std::string("cannot write the output: ") + std::strerror(errno));
  return 0;
}
