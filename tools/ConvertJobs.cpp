#include "ConvertJobs.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <optional>
#include <thread>
#include <vector>

namespace {

// Each job converts a part of about this size at a time: large enough that handing it over costs
// little, small enough that the jobs share the work evenly and an output waiting its turn stays
// small.
constexpr size_t kPartBytes = 1 << 20;
constexpr size_t kReadBytes = 1 << 16;

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

// What goes before each part on its way to a job.
struct THeader {
  size_t Size;
  size_t First;  // 1: the start of the input
};

// A regular file that the jobs read by themselves, in parts of kPartBytes from where it stood
// when it was opened, so that no process copies the input to another. A part holds the lines that
// begin in it, the last read on to its end; the last part reads on to the end of the file, as the
// file stands then.
class TFileParts {
 public:
  // None when the input is no regular file, or one part would hold all of it.
  static std::optional<TFileParts> Of(std::FILE* in) {
    const int fd = fileno(in);
    struct stat status;
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
    const off_t start = lseek(fd, 0, SEEK_CUR);
    if (start < 0 || status.st_size - start <= static_cast<off_t>(kPartBytes)) return std::nullopt;
    return TFileParts(fd, start, static_cast<size_t>(status.st_size - start));
  }
  size_t Count() const { return (size_ + kPartBytes - 1) / kPartBytes; }

  // The lines of part index into part; false with errno set on a read error.
  bool Read(size_t index, std::string& part) const {
    part.clear();
    const bool last = index + 1 == Count();
    // From the byte before the part: the line that ends at the first LF there began before it.
    off_t next = start_ + static_cast<off_t>(index * kPartBytes) - (index > 0);
    if (ReadOn(next, kPartBytes + (index > 0), part) == kFailed) return false;
    while (index > 0) {
      const size_t lf = part.find('\n');
      if (lf != std::string::npos) {
        part.erase(0, lf + 1);
        break;
      }
      part.clear();
      // Only the last part goes on past its end to find where its lines begin.
      if (!last) return true;
      const size_t got = ReadOn(next, kReadBytes, part);
      if (got == kFailed) return false;
      if (got == 0) return true;
    }
    while (!part.empty() && (last || part.back() != '\n')) {
      const size_t old = part.size();
      const size_t got = ReadOn(next, kReadBytes, part);
      if (got == kFailed) return false;
      if (got == 0) break;
      const size_t lf = last ? std::string::npos : part.find('\n', old);
      if (lf != std::string::npos) part.resize(lf + 1);
    }
    return true;
  }

  // Leaves the input where a process that read it through would leave it.
  void Finish() const { lseek(fd_, 0, SEEK_END); }

 private:
  TFileParts(int fd, off_t start, size_t size) : fd_(fd), start_(start), size_(size) {}

  static constexpr size_t kFailed = ~size_t(0);

  // Appends up to size bytes read at offset next, and moves next past them: how many were read,
  // fewer only at the end of the file, or kFailed.
  size_t ReadOn(off_t& next, size_t size, std::string& into) const {
    const size_t old = into.size();
    into.resize(old + size);
    size_t got = 0;
    while (got < size) {
      const ssize_t n = pread(fd_, into.data() + old + got, size - got, next);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return kFailed;
      if (n == 0) break;
      got += static_cast<size_t>(n);
      next += n;
    }
    into.resize(old + got);
    return got;
  }

  int fd_;
  off_t start_;
  size_t size_;
};

// Processes that convert the parts of one input, cut at line ends, and write their output in
// order: processes, as the engine and the dictionary keep per-lookup state that threads would
// share. Each keeps its own warm word cache for the whole input. Part k goes to job k mod N; the
// jobs pass a turn around a ring, carrying the number of lines written before, and a job writes
// the output of a part it has converted once the turn reaches it. A job that stops without
// passing the turn stops the ring: each one after it finds the turn's channel closed.
class TJobs {
 public:
  // With file, the jobs read their parts from it; else they are handed them through Send.
  TJobs(size_t count, TLineConverter& converter, const TFileParts* file) : file_(file) {
    report_ = static_cast<TReport*>(
        mmap(nullptr, sizeof(TReport), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0));
    if (report_ == MAP_FAILED)
      Fail(1, std::string("cannot start the jobs: ") + std::strerror(errno));
    // parts[k] joins the reader to job k; turns[k] joins job k - 1 to job k.
    std::vector<std::array<int, 2>> parts(file ? 0 : count), turns(count);
    for (size_t k = 0; k < count; ++k) {
      if (socketpair(AF_UNIX, SOCK_STREAM, 0, turns[k].data()) != 0 ||
          (!file && pipe(parts[k].data()) != 0))
        Fail(1, std::string("cannot start the jobs: ") + std::strerror(errno));
      if (file) continue;
      // A part the size of the pipe is handed over at once and waits there while its job
      // converts the one before, without the reader's help; a smaller pipe only costs waits.
      fcntl(parts[k][1], F_SETPIPE_SZ, static_cast<int>(kPartBytes));
    }
    std::fflush(stdout);
    for (size_t k = 0; k < count; ++k) {
      const pid_t pid = fork();
      if (pid < 0) Fail(1, std::string("cannot start the jobs: ") + std::strerror(errno));
      if (pid == 0) {
        const int partsIn = file ? -1 : parts[k][0], turnIn = turns[k][1],
                  turnOut = turns[(k + 1) % count][0];
        for (size_t j = 0; j < count; ++j) {
          for (const int fd : {turns[j][0], turns[j][1]})
            if (fd != turnIn && fd != turnOut) close(fd);
          if (!file && j != k) close(parts[j][0]);
          if (!file) close(parts[j][1]);
        }
        Run({k, count, partsIn, file}, turnIn, turnOut, converter);
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
      close(turns[k][0]);
      close(turns[k][1]);
      if (file) continue;
      close(parts[k][0]);
      parts_.push_back(parts[k][1]);
    }
  }
  ~TJobs() {
    CloseParts();
    for (const pid_t pid : pids_) waitpid(pid, nullptr, 0);
    munmap(report_, sizeof(TReport));
    sigaction(SIGPIPE, &brokenPipeAction_, nullptr);
  }

  // A part of at most this size fits its pipe with its header, and is handed over at once.
  static constexpr size_t kFitBytes = kPartBytes - sizeof(THeader);

  // Hands the next part to its job; false when the jobs have stopped.
  bool Send(std::string_view part, bool first) {
    const THeader header{part.size(), first};
    const int pipe = parts_[sent_++ % parts_.size()];
    handedOver_ =
        WriteAll(pipe, std::string_view(reinterpret_cast<const char*>(&header), sizeof header)) &&
        WriteAll(pipe, part);
    return handedOver_;
  }

  // Waits for the jobs to write their parts, showing on bar how far those they read themselves
  // have come; false after reporting invalid UTF-8.
  bool Finish(TStream& stream, ProgressBar& bar) {
    CloseParts();
    bool badLine = false, readFailed = false, writeFailed = false, brokenPipe = false,
         stopped = !handedOver_;
    uint64_t shown = 0;
    for (size_t k = 0; k < pids_.size();) {
      const bool watch = file_ && bar.Shown();
      int status = 0;
      const pid_t got = waitpid(pids_[k], &status, watch ? WNOHANG : 0);
      if (got == 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        const uint64_t converted = report_->Converted;
        bar.Advance(converted - shown);
        shown = converted;
        continue;
      }
      if (got < 0 && errno == EINTR) continue;
      ++k;
      const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      badLine |= code == kBadLine;
      readFailed |= code == kReadFailed;
      writeFailed |= code == kWriteFailed;
      brokenPipe |= WIFSIGNALED(status) && WTERMSIG(status) == SIGPIPE;
      stopped |= code != kDone;
    }
    pids_.clear();
    if (file_) bar.Advance(report_->Converted - shown);
    if (badLine) return stream.Invalid(report_->BadLine);
    if (readFailed) FailToRead(stream.Name(), report_->Errno);
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
  // What the job that stopped the ring found, and how many bytes of the input the jobs have
  // written the output of, in memory shared with the reader.
  struct TReport {
    size_t BadLine;
    int Errno;
    std::atomic<uint64_t> Converted;
  };
  enum : int { kDone = 0, kBadLine = 3, kWriteFailed = 4, kCutOff = 5, kReadFailed = 6 };

  // Where job Index of Count finds its parts: handed over Pipe, or read from File.
  struct TPartSource {
    size_t Index;
    size_t Count;
    int Pipe;
    const TFileParts* File;
  };

  // The job's next part; false after its last. Ends the job when a part cannot be read whole.
  bool NextPart(TPartSource& source, std::string& part, bool& first) {
    if (source.File) {
      if (source.Index >= source.File->Count()) return false;
      first = source.Index == 0;
      if (!source.File->Read(source.Index, part)) {
        report_->Errno = errno;
        _exit(kReadFailed);
      }
      source.Index += source.Count;
      return true;
    }
    THeader header;
    if (!ReadAll(source.Pipe, &header, sizeof header)) return false;
    part.resize(header.Size);
    if (!ReadAll(source.Pipe, part.data(), part.size())) _exit(kCutOff);
    first = header.First;
    return true;
  }

  [[noreturn]] void Run(TPartSource source, int turnIn, int turnOut, TLineConverter& converter) {
    static const std::string noName;
    Writer held(nullptr);
    std::string part;
    for (bool first; NextPart(source, part, first);) {
      TStream stream(noName, converter, held);
      if (!first) stream.Resume();
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
      report_->Converted += part.size();
      // The next job may have finished already: it had no part after this one.
      SendAll(turnOut, &linesBefore, sizeof linesBefore);
    }
    _exit(kDone);
  }
  void CloseParts() {
    for (const int pipe : parts_) close(pipe);
    parts_.clear();
  }

  const TFileParts* file_;
  TReport* report_;
  std::vector<pid_t> pids_;
  std::vector<int> parts_;
  size_t sent_ = 0;
  bool handedOver_ = true;
  struct sigaction brokenPipeAction_ = {};
};

}  // namespace

bool ConvertStreamInParallel(std::FILE* in, TStream& stream, ProgressBar& bar, size_t jobs) {
  if (const std::optional<TFileParts> file = TFileParts::Of(in)) {
    stream.Out().Flush();
    TJobs running(jobs, stream.Converter(), &*file);
    const bool ok = running.Finish(stream, bar);
    file->Finish();
    return ok;
  }
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
      running.emplace(jobs, stream.Converter(), nullptr);
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
  return !running || running->Finish(stream, bar);
}
