#include "QuitSignals.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>

namespace {

constexpr int kQuitSignals[] = {SIGTERM, SIGHUP};
// The handler's end [0] and the event loop's end [1]; a handler can reach nothing else.
int gSignalSockets[2] = {-1, -1};

void WriteSignal(int) {
  const int savedErrno = errno;
  const char byte = 1;
  // A full socket already holds a request to end: the byte is not needed.
  [[maybe_unused]] const ssize_t written = ::write(gSignalSockets[0], &byte, 1);
  errno = savedErrno;
}

}  // namespace

TQuitSignals::TQuitSignals(QObject* parent) : QObject(parent) {
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, gSignalSockets) != 0)
    return;
  notifier_ = new QSocketNotifier(gSignalSockets[1], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &TQuitSignals::ReadSignal);
  struct sigaction action = {};
  action.sa_handler = WriteSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int signal : kQuitSignals) ::sigaction(signal, &action, nullptr);
}

TQuitSignals::~TQuitSignals() {
  if (!notifier_) return;
  for (const int signal : kQuitSignals) std::signal(signal, SIG_DFL);
  ::close(gSignalSockets[0]);
  ::close(gSignalSockets[1]);
  gSignalSockets[0] = gSignalSockets[1] = -1;
}

void TQuitSignals::ReadSignal() {
  char bytes[16];
  while (::read(gSignalSockets[1], bytes, sizeof bytes) > 0) {
  }
  received_ = true;
  emit QuitRequested();
}
