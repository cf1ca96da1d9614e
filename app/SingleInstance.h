#pragma once
// One Zefra per user, so that two never overwrite each other's dictionary and settings: the
// first holds a lock file in the user's runtime directory and listens on a local socket beside
// it; a later start asks that one to come to the front and ends.
#include <QLocalServer>
#include <QLockFile>
#include <QObject>

class TSingleInstance : public QObject {
  Q_OBJECT

 public:
  TSingleInstance();
  /// True when this process is to run: it holds the lock (a lock of a process that is gone
  /// counts for nothing), or no lock can be kept in the runtime directory at all. False when
  /// another Zefra runs; that one has been asked to come to the front.
  bool Start();

 signals:
  /// A later start asked this one to come to the front.
  void RaiseRequested();

 private:
  void RaiseRunning();

  QString socketName_;
  QLockFile lock_;
  QLocalServer server_;
};
