// zefra-convert: converts Romanesh text files or pipes to Persian script, line by line.
#include <algorithm>
#include <array>
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
#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/socket.h>
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

// Each job converts a part of about this size at a time: large enough that handing it over costs
// little, small enough that the jobs share the work evenly and an output waiting its turn stays
// small.
constexpr size_t kPartBytes = 1 << 20;
constexpr size_t kReadBytes = 1 << 16;
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

// Writes its buffer to file when it fills, or with no file holds it until it is taken.
class Writer {
 public:
  explicit Writer(std::FILE* file = stdout) : file_(file) {}
  std::string& Buffer() { return buffer_; }
  bool Holds() const { return !file_; }
  void Flush() {
    if (Holds()) return;
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
  // A later part of an input, which never begins with its byte-order mark.
  void Resume() { atStart_ = false; }
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
  const TLineConverter::TSpill spill_ =
      out_.Holds() ? TLineConverter::TSpill() : [this](std::string&) { out_.Flush(); };
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

// False at the end of the channel or on an error.
bool ReadAll(int fd, void* data, size_t size) {
  for (char* at = static_cast<char*>(data); size > 0;) {
    const ssize_t got = read(fd, at, size);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    at += got;
    size -= static_cast<size_t>(got);
  }
  return true;
}

// A job that has stopped makes this fail with EPIPE rather than end the writer with SIGPIPE.
bool SendAll(int socket, const void* data, size_t size) {
  for (const char* at = static_cast<const char*>(data); size > 0;) {
    const ssize_t sent = send(socket, at, size, MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) continue;
    if (sent < 0) return false;
    at += sent;
    size -= static_cast<size_t>(sent);
  }
  return true;
}

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t written = write(fd, data.data(), data.size());
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) return false;
    data.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

// Processes that convert the parts of one input, cut at line ends, and write their output in
// order: processes, as the engine and the dictionary keep per-lookup state that threads would
// share. Each keeps its own warm word cache for the whole input. Part k goes to job k mod N; the
// jobs pass a turn around a ring, carrying the number of lines written before, and a job writes
// the output of a part it has converted once the turn reaches it. A job that stops without
// passing the turn stops the ring: each one after it finds the turn's channel closed.
class TJobs {
 public:
  TJobs(size_t count, TLineConverter& converter) {
    report_ = static_cast<TReport*>(
        mmap(nullptr, sizeof(TReport), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0));
    if (report_ == MAP_FAILED)
      Fail(1, std::string("cannot start the jobs: ") + std::strerror(errno));
    // parts[k] joins the reader to job k; turns[k] joins job k - 1 to job k.
    std::vector<std::array<int, 2>> parts(count), turns(count);
    for (size_t k = 0; k < count; ++k) {
      if (pipe(parts[k].data()) != 0 || socketpair(AF_UNIX, SOCK_STREAM, 0, turns[k].data()) != 0)
        Fail(1, std::string("cannot start the jobs: ") + std::strerror(errno));
      // A part the size of the pipe is handed over at once and waits there while its job
      // converts the one before, without the reader's help; a smaller pipe only costs waits.
      fcntl(parts[k][1], F_SETPIPE_SZ, static_cast<int>(kPartBytes));
    }
    std::fflush(stdout);
    for (size_t k = 0; k < count; ++k) {
      const pid_t pid = fork();
      if (pid < 0) Fail(1, std::string("cannot start the jobs: ") + std::strerror(errno));
      if (pid == 0) {
        const int partsIn = parts[k][0], turnIn = turns[k][1], turnOut = turns[(k + 1) % count][0];
        for (size_t j = 0; j < count; ++j) {
          for (const int fd : {parts[j][0], parts[j][1], turns[j][0], turns[j][1]})
            if (fd != partsIn && fd != turnIn && fd != turnOut) close(fd);
        }
        Run(partsIn, turnIn, turnOut, converter);
      }
      pids_.push_back(pid);
    }
    // A job that has stopped fails the reader's writes with EPIPE rather than end it; the jobs
    // keep the disposition they were started with, for their output.
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &ignore, &brokenPipeAction_);
    const size_t noLines = 0;
    SendAll(turns[0][0], &noLines, sizeof noLines);
    for (size_t k = 0; k < count; ++k) {
      close(parts[k][0]);
      close(turns[k][0]);
      close(turns[k][1]);
      parts_.push_back(parts[k][1]);
    }
  }
  ~TJobs() {
    CloseParts();
    for (const pid_t pid : pids_) waitpid(pid, nullptr, 0);
    munmap(report_, sizeof(TReport));
    sigaction(SIGPIPE, &brokenPipeAction_, nullptr);
  }

  // A part of at most this size, its header included, is handed over at once.
  static constexpr size_t kFitBytes = kPartBytes - sizeof(size_t) * 2;

  // Hands the next part to its job; false when the jobs have stopped.
  bool Send(std::string_view part, bool first) {
    const THeader header{part.size(), first};
    const int pipe = parts_[sent_++ % parts_.size()];
    handedOver_ =
        WriteAll(pipe, std::string_view(reinterpret_cast<const char*>(&header), sizeof header)) &&
        WriteAll(pipe, part);
    return handedOver_;
  }

  // Waits for the jobs to write what they were given; false after reporting invalid UTF-8.
  bool Finish(TStream& stream) {
    CloseParts();
    bool badLine = false, writeFailed = false, brokenPipe = false, stopped = !handedOver_;
    for (const pid_t pid : pids_) {
      int status = 0;
      waitpid(pid, &status, 0);
      const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      badLine |= code == kBadLine;
      writeFailed |= code == kWriteFailed;
      brokenPipe |= WIFSIGNALED(status) && WTERMSIG(status) == SIGPIPE;
      stopped |= code != kDone;
    }
    pids_.clear();
    if (badLine) return stream.Invalid(report_->BadLine);
    if (writeFailed)
      Fail(1, std::string("cannot write the output: ") + std::strerror(report_->Errno));
    if (brokenPipe) {
      // The reader of the output has gone, as a single process would have found it.
      sigaction(SIGPIPE, &brokenPipeAction_, nullptr);
      raise(SIGPIPE);
    }
    if (stopped) Fail(1, "a job stopped before the end of its part");
    return true;
  }

 private:
  struct THeader {
    size_t Size;
    size_t First;  // 1: the start of the input
  };
  static_assert(sizeof(THeader) == sizeof(size_t) * 2);
  // What the job that stopped the ring found, in memory shared with the reader.
  struct TReport {
    size_t BadLine;
    int Errno;
  };
  enum : int { kDone = 0, kBadLine = 3, kWriteFailed = 4, kCutOff = 5 };

  [[noreturn]] void Run(int partsIn, int turnIn, int turnOut, TLineConverter& converter) {
    static const std::string noName;
    Writer held(nullptr);
    std::string part;
    for (THeader header; ReadAll(partsIn, &header, sizeof header);) {
      part.resize(header.Size);
      if (!ReadAll(partsIn, part.data(), part.size())) _exit(kCutOff);
      TStream stream(noName, converter, held);
      if (!header.First) stream.Resume();
      size_t bad = 0;
      const bool ok = stream.Lines(part, bad);
      size_t linesBefore = 0;
      if (!ReadAll(turnIn, &linesBefore, sizeof linesBefore)) _exit(kCutOff);
      if (!WriteAll(STDOUT_FILENO, held.Buffer())) {
        report_->Errno = errno;
        _exit(kWriteFailed);
      }
      held.Buffer().clear();
      if (!ok) {
        report_->BadLine = linesBefore + bad;
        _exit(kBadLine);
      }
      linesBefore += CountLines(part);
      // The next job may have finished already: it had no part after this one.
      SendAll(turnOut, &linesBefore, sizeof linesBefore);
    }
    _exit(kDone);
  }
  void CloseParts() {
    for (const int pipe : parts_) close(pipe);
    parts_.clear();
  }

  TReport* report_;
  std::vector<pid_t> pids_;
  std::vector<int> parts_;
  size_t sent_ = 0;
  bool handedOver_ = true;
  struct sigaction brokenPipeAction_ = {};
};

// Reads one input a part at a time, each cut at a line end, and hands the parts to the jobs,
// which start once the input proves larger than a part.
bool ConvertStreamInParallel(std::FILE* in, TStream& stream, ProgressBar& bar, size_t jobs) {
  std::string text;
  std::optional<TJobs> running;
  bool first = true;
  for (bool end = false;;) {
    size_t lastLf = text.rfind('\n');
    while (!end && (text.size() < TJobs::kFitBytes || lastLf == std::string::npos)) {
      const size_t old = text.size();
      text.resize(old + kReadBytes);
      const size_t got = std::fread(text.data() + old, 1, kReadBytes, in);
      text.resize(old + got);
      end = got == 0;
      bar.Advance(got);
      if (const void* lf = memrchr(text.data() + old, '\n', got))
        lastLf = static_cast<size_t>(static_cast<const char*>(lf) - text.data());
    }
    if (std::ferror(in)) break;  // reported by the caller once the jobs have written their parts
    if (!running && end) {
      // An input of about one part converts here. A last line alone, without its LF, may be the
      // byte-order mark of an empty file.
      size_t bad = 0;
      return (lastLf == std::string::npos ? stream.Finish(text) : stream.Lines(text, bad)) ||
             stream.Invalid(0);
    }
    if (text.empty()) break;
    if (!running) {
      stream.Out().Flush();
      running.emplace(jobs, stream.Converter());
    }
    // The last line end that keeps the part within its size, else the line that is longer; at
    // the end a last line without its LF is the last part's.
    size_t complete = text.size();
    if (!end || complete > TJobs::kFitBytes) {
      const void* lf = memrchr(text.data(), '\n', std::min(text.size(), TJobs::kFitBytes));
      if (lf)
        complete = static_cast<size_t>(static_cast<const char*>(lf) - text.data()) + 1;
      else if (lastLf != std::string::npos)
        complete = lastLf + 1;
    }
    if (!running->Send(std::string_view(text.data(), complete), first)) break;
    first = false;
    text.erase(0, complete);
  }
  return !running || running->Finish(stream);
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
