#pragma once
// Zefra's key in the registry of the current user, kept in a file of the registry export format:
// typed values (REG_DWORD, REG_SZ) whose names compare without regard to case. Every read takes
// the file as it is now and every write replaces it atomically, so objects that share the file
// see each other's writes, and a killed program leaves the old or the new file, whole.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <optional>
#include <variant>
#include <vector>

struct TRegValue {
  QString Name;
  std::variant<uint32_t, QString> Data;  // REG_DWORD or REG_SZ
  bool operator==(const TRegValue&) const = default;
};

struct TRegKey {
  bool Exists = false;
  std::vector<TRegValue> Values;  // in file order; names unique without regard to case
  bool operator==(const TRegKey&) const = default;
};

/// Zefra's key as the bytes of a file hold it, damaged or edited by hand: what cannot be read
/// (other keys, other value types, broken lines) is skipped, and a later value of a name wins.
/// dropped, when given, counts the lines skipped that a file written by Zefra never holds.
TRegKey ParseRegFile(QByteArrayView bytes, qsizetype* dropped = nullptr);
/// The file for key in the export format, UTF-8 with LF line ends.
QByteArray FormatRegFile(const TRegKey& key);

class Registry {
 public:
  /// Names the application after Zefra's vendor and program, which the settings folder and the
  /// per-user data folder are named after; the window and the input method share them.
  static void NameApplication();
  /// $XDG_CONFIG_HOME/Quorvel Software Company/Zefra.reg (by default under ~/.config).
  static QString UserFileName();
  explicit Registry(QString fileName = UserFileName());

  const QString& FileName() const { return fileName_; }
  bool KeyExists() const;
  bool ValueExists(const QString& name) const;
  /// Each read fails (nullopt) when the value is missing or of the other type.
  std::optional<uint32_t> ReadInteger(const QString& name) const;
  std::optional<bool> ReadBool(const QString& name) const;  // any non-zero value is true
  std::optional<QString> ReadString(const QString& name) const;
  /// Each write creates the key when needed. It fails when the file cannot be written, and for
  /// an empty name or a name or text with a line break or NUL, which the format cannot carry.
  bool WriteInteger(const QString& name, uint32_t value);
  bool WriteBool(const QString& name, bool value);  // stored as 1 or 0
  bool WriteString(const QString& name, const QString& value);
  bool DeleteValue(const QString& name);

  /// Why the last write failed.
  const QString& ErrorString() const { return error_; }

  /// Once, before the first write: when the file cannot be read, or holds what a write would
  /// drop, keeps a copy of it as "Zefra.reg.bak" and returns a note saying so for the user.
  std::optional<QString> KeepDamagedFile();

  /// Writes between BeginUpdate and the matching EndUpdate reach the file together, in one
  /// replacement at the end; EndUpdate returns whether that succeeded.
  void BeginUpdate();
  bool EndUpdate();

 private:
  TRegKey Read() const;
  bool Write(const QString& name, std::variant<uint32_t, QString> data);
  // Applies change to the key being updated, or to the key as it is now and writes it.
  template <typename Change>
  bool Apply(Change change);
  bool Store(const TRegKey& key) const;

  QString fileName_;
  mutable QString error_;
  int updateCount_ = 0;
  TRegKey pending_;  // the key as it will be written, while an update is open
};
