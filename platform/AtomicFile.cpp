#include "AtomicFile.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <filesystem>

namespace AtomicFile {
namespace {

namespace fs = std::filesystem;

// As many levels as the kernel follows before it reports a loop.
constexpr int kMaxLinks = 40;

// The temporary file of process pid for target: "<target>.tmp<pid>-<attempt>".
std::string TemporaryName(const fs::path& target, pid_t pid, int attempt) {
  return target.string() + ".tmp" + std::to_string(pid) + "-" + std::to_string(attempt);
}

// The writing process of a temporary file of target's, or 0 when name is not one.
pid_t WriterOf(std::string_view name, std::string_view target) {
  if (!name.starts_with(target) || !name.substr(target.size()).starts_with(".tmp")) return 0;
  name.remove_prefix(target.size() + 4);
  pid_t pid = 0;
  unsigned attempt = 0;
  const char* end = name.data() + name.size();
  auto [p, ec] = std::from_chars(name.data(), end, pid);
  if (ec != std::errc() || pid <= 0 || p == end || *p != '-') return 0;
  auto [q, ec2] = std::from_chars(p + 1, end, attempt);
  return ec2 == std::errc() && q == end ? pid : 0;
}

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t written = ::write(fd, data.data(), data.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

// Flushes the directory's entries; a file system that cannot flush a directory has nothing to
// flush there.
bool SyncDirectory(const fs::path& dir) {
  const int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = ::fsync(fd) == 0 || errno == EINVAL || errno == EROFS;
  ::close(fd);
  return ok;
}

}  // namespace

std::string RealPath(const std::string& path) {
  std::error_code ec;
  fs::path target(path);
  for (int level = 0; level <= kMaxLinks; ++level) {
    if (!fs::is_symlink(target, ec)) return target.string();
    const fs::path next = fs::read_symlink(target, ec);
    if (ec) return {};
    target = next.is_absolute() ? next : target.parent_path() / next;
  }
  return {};
}

bool Read(const std::string& path, std::string& data) {
  data.clear();
  std::error_code ec;
  // Only a regular file is read: a directory fails, and a pipe or device could block forever.
  if (!fs::is_regular_file(path, ec)) return false;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  char buffer[65536];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0) data.append(buffer, got);
  const bool ok = !std::ferror(f);
  std::fclose(f);
  if (!ok) data.clear();
  return ok;
}

bool Replace(const std::string& path, std::string_view data) {
  const std::string real = RealPath(path);
  if (real.empty()) return false;
  const fs::path target(real);
  std::error_code ec;
  if (fs::is_directory(target, ec)) return false;

  struct stat old {};
  const bool hadOld = ::stat(target.c_str(), &old) == 0;
  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temp = TemporaryName(target, ::getpid(), attempt);
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return false;
  }
  if (fd < 0) return false;
  bool ok = WriteAll(fd, data);
  if (ok && hadOld) (void)::fchmod(fd, old.st_mode & 07777);
  ok = ok && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
  if (!ok) {
    ::unlink(temp.c_str());
    return false;
  }
  return SyncDirectory(target.parent_path());
}

void RemoveStaleTemporaries(const std::string& path) {
  const std::string real = RealPath(path);
  if (real.empty()) return;
  const fs::path target(real);
  const std::string name = target.filename().string();
  std::error_code ec;
  const fs::path dir = target.parent_path().empty() ? fs::path(".") : target.parent_path();
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    const pid_t pid = WriterOf(it->path().filename().string(), name);
    // A process that still runs may be writing it; kill with signal 0 only asks.
    if (pid == 0 || ::kill(pid, 0) == 0 || errno != ESRCH) continue;
    if (it->is_regular_file(ec) && !it->is_symlink(ec)) fs::remove(it->path(), ec);
  }
}

bool IsWritableDirectory(const std::string& dir) {
  return ::access(dir.empty() ? "." : dir.c_str(), W_OK) == 0;
}

}  // namespace AtomicFile
