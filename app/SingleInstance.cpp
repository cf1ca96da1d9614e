#include "SingleInstance.h"

#include <QDeadlineTimer>
#include <QLocalSocket>
#include <QThread>
#include <cstdio>

#include "RuntimeFiles.h"

namespace {

// How long a later start waits for the first to listen: it takes the lock before it listens.
constexpr int kConnectMilliseconds = 5000;
constexpr int kRetryMilliseconds = 100;
constexpr char kRaiseRequest[] = "raise\n";

}  // namespace

TSingleInstance::TSingleInstance()
    : socketName_(RuntimePath(kInstanceSocketName)), lock_(RuntimePath(kInstanceLockName)) {
  // Only a lock of a process that is gone is stale, however long Zefra has been running.
  lock_.setStaleLockTime(0);
}

bool TSingleInstance::Start() {
  if (!lock_.tryLock()) {
    if (lock_.error() == QLockFile::LockFailedError) {
      RaiseRunning();
      return false;
    }
    std::fprintf(stderr, "zefra: no lock can be kept in the runtime directory; starting anyway\n");
    return true;
  }
  // A socket left by a Zefra that is gone; the lock says none runs.
  QLocalServer::removeServer(socketName_);
  server_.setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_.listen(socketName_)) return true;
  connect(&server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
      connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
      connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
        if (socket->readAll().contains('\n')) emit RaiseRequested();
      });
    }
  });
  return true;
}

void TSingleInstance::RaiseRunning() {
  const QDeadlineTimer deadline(kConnectMilliseconds);
  while (true) {
    QLocalSocket socket;
    socket.connectToServer(socketName_);
    if (socket.waitForConnected(int(deadline.remainingTime()))) {
      socket.write(kRaiseRequest);
      socket.waitForBytesWritten(int(deadline.remainingTime()));
      socket.disconnectFromServer();
      return;
    }
    if (deadline.hasExpired()) break;
    QThread::msleep(kRetryMilliseconds);
  }
  qint64 pid = 0;
  lock_.getLockInfo(&pid, nullptr, nullptr);
  std::fprintf(stderr, "zefra: Zefra already runs (process %lld) but does not answer\n",
               static_cast<long long>(pid));
}
