#pragma once
// The filter's output buffer and its conversion of one input's lines, in order.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "LineConverter.h"
#include "ProgressBar.h"

// Reports a failure on standard error, with the usage when asked, and ends the program.
[[noreturn]] void Fail(int status, const std::string& message, bool usage = false);

// Reports that the named input could not be read, and ends the program.
[[noreturn]] inline void FailToRead(const std::string& name, int error) {
  Fail(1, name + ": read error: " + std::strerror(error));
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
  const std::string& Name() const { return name_; }
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
