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
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
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
    "  --jobs N            convert on N processes at once, each a part of the input cut at a\n"
    "                      line end, and write their output in order; default 1\n"
    "  --progress          show bytes done, rate and time left on standard error while a\n"
    "                      large file converts, when standard error is a terminal\n"
    "  --help              show this help and exit\n"
    "  --version           show the version and exit\n";

// Each job converts a part of about this size at a time: large enough that starting the jobs
// costs little, small enough that their output waiting its turn stays small.
constexpr size_t kPartBytes = 1 << 22;
constexpr size_t kMaxJobs = 64;

struct Options {
  std::optional<std::string> dictionary;
  bool useDictionary = true;
  bool cp1256 = false;
  bool progress = false;
  size_t jobs = 1;
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

class Writer {
 public:
  explicit Writer(std::FILE* file = stdout) : file_(file) {}
  std::string& Buffer() { return buffer_; }
  void Flush() {
    if (!buffer_.empty() && std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size())
      Fail(1, std::string("cannot write the output: ") + std::strerror(errno));
    buffer_.clear();
  }

 private:
  std::FILE* file_;
  std::string buffer_;
};

// The lines of one input, converted in order into out.
class TStream {
 public:
  TStream(const std::string& name, TLineConverter& converter, Writer& out)
      : name_(name), converter_(converter), out_(out) {}

  // One line without its LF; false when it is not valid UTF-8.
  bool Line(std::string& raw, bool endedByLf) {
    ++lineNumber_;
    if (endedByLf && !raw.empty() && raw.back() == '\r') raw.pop_back();
    if (atStart_ && raw.starts_with("\xEF\xBB\xBF")) raw.erase(0, 3);
    atStart_ = false;
    if (!converter_.Convert(raw, out_.Buffer(), spill_)) return false;
    raw.clear();
    out_.Buffer() += '\n';
    if (out_.Buffer().size() >= TLineConverter::kBlockBytes) out_.Flush();
    return true;
  }
  // Complete lines, the last of them without its LF only at the end of the input; false at a line
  // that is not valid UTF-8, whose number in text is then in bad.
  bool Lines(std::string_view text, size_t& bad) {
    std::string raw;
    for (size_t number = 1; !text.empty(); ++number) {
      const size_t lf = text.find('\n');
      raw.assign(text.substr(0, lf));
      if (!Line(raw, lf != std::string_view::npos)) {
        bad = number;
        return false;
      }
      text.remove_prefix(lf == std::string_view::npos ? text.size() : lf + 1);
    }
    return true;
  }
  // The end of the input, with the start of a last line that has no LF.
  bool Finish(std::string& raw) {
    // A file that holds nothing but its byte-order mark is empty.
    if (atStart_ && raw == "\xEF\xBB\xBF") raw.clear();
    return raw.empty() || Line(raw, false);
  }
  // Lines converted elsewhere, counted for the messages.
  void Skip(size_t lines) {
    lineNumber_ += lines;
    atStart_ = false;
  }
  // Reports the line linesFurther on from the last one counted.
  bool Invalid(size_t linesFurther) {
    out_.Flush();
    ProgressBar::Interrupt();
    std::fprintf(stderr, "zefra-convert: %s:%zu: invalid UTF-8\n", name_.c_str(),
                 lineNumber_ + linesFurther);
    return false;
  }
  Writer& Out() { return out_; }
  TLineConverter& Converter() { return converter_; }

 private:
  const std::string& name_;
  TLineConverter& converter_;
  Writer& out_;
  const TLineConverter::TSpill spill_ = [this](std::string&) { out_.Flush(); };
  size_t lineNumber_ = 0;
  bool atStart_ = true;
};

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

size_t CountLines(std::string_view text) {
  return static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) +
         (!text.empty() && text.back() != '\n');
}

// Converts parts of complete lines at once, the first here and each other one in a process of
// its own (the engine and the dictionary keep per-lookup state that threads would share), and
// writes their output in order. False after reporting invalid UTF-8.
bool ConvertParts(const std::vector<std::string_view>& parts, TStream& stream) {
  static size_t* const badLines =
      static_cast<size_t*>(mmap(nullptr, kMaxJobs * sizeof(size_t), PROT_READ | PROT_WRITE,
                                MAP_SHARED | MAP_ANONYMOUS, -1, 0));
  if (badLines == MAP_FAILED)
    Fail(1, std::string("cannot start the jobs: ") + std::strerror(errno));
  stream.Out().Flush();
  std::fflush(stdout);
  struct TJob {
    pid_t Pid;
    std::FILE* Output;
  };
  std::vector<TJob> jobs;
  for (size_t k = 1; k < parts.size(); ++k) {
    std::FILE* output = std::tmpfile();
    const pid_t pid = output ? fork() : -1;
    if (pid < 0) Fail(1, std::string("cannot start the jobs: ") + std::strerror(errno));
    if (pid == 0) {
      Writer writer(output);
      TStream part("", stream.Converter(), writer);
      part.Skip(0);  // a later part never begins the input
      const bool ok = part.Lines(parts[k], badLines[k]);
      writer.Flush();
      _exit(std::fflush(output) != 0 ? 1 : ok ? 0 : 3);
    }
    jobs.push_back({pid, output});
  }
  size_t bad = 0;
  bool ok = stream.Lines(parts[0], bad) || stream.Invalid(0);
  for (size_t k = 0; k < jobs.size(); ++k) {
    int status = 0;
    if (!ok) kill(jobs[k].Pid, SIGKILL);
    waitpid(jobs[k].Pid, &status, 0);
    if (ok) {
      if (!WIFEXITED(status) || (WEXITSTATUS(status) != 0 && WEXITSTATUS(status) != 3))
        Fail(1, "a job stopped before the end of its part");
      std::rewind(jobs[k].Output);
      std::vector<char> block(1 << 16);
      for (size_t got; (got = std::fread(block.data(), 1, block.size(), jobs[k].Output)) > 0;) {
        stream.Out().Buffer().append(block.data(), got);
        stream.Out().Flush();
      }
      if (std::ferror(jobs[k].Output))
        Fail(1, std::string("cannot read a job's output: ") + std::strerror(errno));
      if (WEXITSTATUS(status) == 3) {
        ok = stream.Invalid(badLines[k + 1]);
      } else {
        stream.Skip(CountLines(parts[k + 1]));
      }
    }
    std::fclose(jobs[k].Output);
  }
  return ok;
}

// Reads one input in rounds of a part per job, each part cut at a line end.
bool ConvertStreamInParallel(std::FILE* in, TStream& stream, ProgressBar& bar, size_t jobs) {
  std::string round;
  std::vector<char> block(1 << 16);
  bool end = false;
  while (!end) {
    size_t lastLf = round.rfind('\n');
    while (!end && (round.size() < jobs * kPartBytes || lastLf == std::string::npos)) {
      const size_t got = std::fread(block.data(), 1, block.size(), in);
      if (got == 0) {
        end = true;
        break;
      }
      bar.Advance(got);
      if (const void* lf = memrchr(block.data(), '\n', got))
        lastLf = round.size() + static_cast<size_t>(static_cast<const char*>(lf) - block.data());
      round.append(block.data(), got);
    }
    if (std::ferror(in)) return true;  // reported by the caller
    // A last line alone, without its LF, may be the byte-order mark of an empty file.
    if (end && lastLf == std::string::npos) return stream.Finish(round) || stream.Invalid(0);
    // At the end a last line without its LF is the last part's.
    const size_t complete = end ? round.size() : lastLf + 1;
    std::vector<std::string_view> parts;
    const std::string_view text(round.data(), complete);
    for (size_t at = 0, k = 1; at < text.size(); ++k) {
      size_t cut = k < jobs ? text.find('\n', std::max(at, text.size() * k / jobs)) : text.npos;
      cut = cut == text.npos ? text.size() : cut + 1;
      parts.push_back(text.substr(at, cut - at));
      at = cut;
    }
    if (!ConvertParts(parts, stream)) return false;
    round.erase(0, complete);
  }
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
    // Converted lines on the same screen would break the bar's line.
    ProgressBar bar(stderr,
                    options.progress && !isatty(STDOUT_FILENO) ? ProgressBar::SizeOf(in) : 0);
    TStream stream(name, converter, out);
    const bool ok = options.jobs > 1 ? ConvertStreamInParallel(in, stream, bar, options.jobs)
                                     : ConvertStream(in, stream, bar);
    if (std::ferror(in)) Fail(1, name + ": read error: " + std::strerror(errno));
    if (ok) bar.Finish();
    if (in != stdin) std::fclose(in);
    if (!ok) return 1;
  }
  out.Flush();
  if (std::fflush(stdout) != 0)
    Fail(1, std::string("cannot write the output: ") + std::strerror(errno));
  return 0;
}
