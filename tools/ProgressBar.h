#pragma once
// A progress line on standard error for a long conversion: bytes done, rate and time left.
#include <chrono>
#include <cstdint>
#include <cstdio>

class ProgressBar {
 public:
  // Files smaller than this convert too quickly for a bar to say anything.
  static constexpr uint64_t kMinimumBytes = 4 << 20;

  // A bar for an input of total bytes on stream, or none when stream is no terminal or the input
  // is small or of unknown size (0).
  ProgressBar(std::FILE* stream, uint64_t total);
  // Leaves the bar as it was last drawn.
  ~ProgressBar() { Interrupt(); }
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  // The size of an open input when it is a regular file, else 0.
  static uint64_t SizeOf(std::FILE* input);
  bool Shown() const { return stream_ != nullptr; }
  // Counts bytes read; redraws now and then.
  void Advance(uint64_t bytes);
  // Draws the final state, with the time taken, and ends the line.
  void Finish();
  // Ends the line of the bar on screen, if any, so that a message starts on a line of its own.
  static void Interrupt();

 private:
  using Clock = std::chrono::steady_clock;
  void Draw(bool final);

  std::FILE* stream_ = nullptr;  // nullptr: no bar
  uint64_t total_ = 0;
  uint64_t done_ = 0;
  Clock::time_point start_;
  Clock::time_point nextDraw_;
};
