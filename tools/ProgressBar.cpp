#include "ProgressBar.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>

namespace {

constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
constexpr int kBarCells = 24;
// The bar whose line is open on the terminal: at most one at a time.
std::FILE* openLine = nullptr;

std::string Megabytes(double bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f MB", bytes / 1e6);
  return text;
}

std::string Duration(double seconds) {
  const long whole = static_cast<long>(seconds + 0.5);
  char text[32];
  if (whole >= 3600)
    std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", whole / 3600, whole / 60 % 60, whole % 60);
  else
    std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
  return text;
}

}  // namespace

ProgressBar::ProgressBar(std::FILE* stream, uint64_t total) {
  if (total < kMinimumBytes || !isatty(fileno(stream))) return;
  stream_ = stream;
  total_ = total;
  start_ = Clock::now();
  nextDraw_ = start_ + kRedrawInterval;
}

uint64_t ProgressBar::SizeOf(std::FILE* input) {
  struct stat status;
  if (fstat(fileno(input), &status) != 0 || !S_ISREG(status.st_mode)) return 0;
  return static_cast<uint64_t>(status.st_size);
}

void ProgressBar::Advance(uint64_t bytes) {
  if (!stream_) return;
  done_ += bytes;
  const Clock::time_point now = Clock::now();
  if (now < nextDraw_) return;
  nextDraw_ = now + kRedrawInterval;
  Draw(false);
}

void ProgressBar::Finish() {
  if (!stream_) return;
  Draw(true);
  Interrupt();
  stream_ = nullptr;
}

void ProgressBar::Interrupt() {
  if (!openLine) return;
  std::fputc('\n', openLine);
  std::fflush(openLine);
  openLine = nullptr;
}

void ProgressBar::Draw(bool final) {
  // A file that grows while it is read counts as done at its size then.
  const uint64_t done = std::min(done_, total_);
  const double fraction = static_cast<double>(done) / static_cast<double>(total_);
  const double seconds = std::chrono::duration<double>(Clock::now() - start_).count();
  const double rate = seconds > 0 ? static_cast<double>(done) / seconds : 0;
  const int cells = static_cast<int>(fraction * kBarCells);
  std::string line = "\r[" + std::string(cells, '#') + std::string(kBarCells - cells, '-') + "] ";
  char percent[8];
  std::snprintf(percent, sizeof percent, "%3d%%", static_cast<int>(fraction * 100));
  line += percent;
  line += "  " + Megabytes(static_cast<double>(done)) + " of " +
          Megabytes(static_cast<double>(total_)) + "  " + Megabytes(rate) + "/s  ";
  if (final)
    line += "in " + Duration(seconds);
  else if (rate > 0)
    line += Duration(static_cast<double>(total_ - done) / rate) + " left";
  // Clears what a longer line before left on the right.
  line += "\033[K";
  std::fputs(line.c_str(), stream_);
  std::fflush(stream_);
  openLine = stream_;
}
