#pragma once
// SIGTERM and SIGHUP (kill, a closed terminal, the end of the session) end Zefra the way closing
// its window does, so that the words and settings held in memory are saved. The handler only
// writes a byte into a socket pair, which a notifier reads on the event loop.
#include <QObject>

class QSocketNotifier;

class TQuitSignals : public QObject {
  Q_OBJECT

 public:
  explicit TQuitSignals(QObject* parent = nullptr);
  ~TQuitSignals() override;
  /// Whether a signal has asked Zefra to end.
  bool Received() const { return received_; }

 signals:
  /// A signal asked Zefra to end; emitted on the event loop.
  void QuitRequested();

 private:
  void ReadSignal();

  QSocketNotifier* notifier_ = nullptr;
  bool received_ = false;
};
