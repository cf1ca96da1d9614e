#include "Registry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringDecoder>

namespace {

constexpr QStringView kSignature = u"Windows Registry Editor Version 5.00";
constexpr QStringView kKeyPath = u"HKEY_CURRENT_USER\\Software\\Quorvel Software Company\\Zefra";
constexpr char kFolder[] = "Quorvel Software Company";
constexpr char kApplication[] = "Zefra";
constexpr char kFile[] = "Zefra.reg";
// More than any settings file holds; a bigger file is read up to here.
constexpr qsizetype kMaxFileBytes = 1 << 20;
constexpr QStringView kDword = u"dword:";
constexpr qsizetype kDwordDigits = 8;

// A name or text that the format can carry on one line and read back as it was.
bool Storable(QStringView text) {
  return !text.contains(u'\n') && !text.contains(u'\r') && !text.contains(QChar(0)) &&
         text.isValidUtf16();
}

QString Decode(QByteArrayView bytes) {
  if (bytes.startsWith("\xFF\xFE"))
    return QStringDecoder(QStringConverter::Utf16LE)(bytes.sliced(2));
  if (bytes.startsWith("\xFE\xFF"))
    return QStringDecoder(QStringConverter::Utf16BE)(bytes.sliced(2));
  if (bytes.startsWith("\xEF\xBB\xBF")) bytes = bytes.sliced(3);
  return QString::fromUtf8(bytes);
}

// The text between the quotes that open line at pos, with \\ and \" unescaped; pos moves past
// the closing quote. Nothing for an unclosed text, another escape or an unstorable text.
std::optional<QString> Quoted(QStringView line, qsizetype& pos) {
  if (pos >= line.size() || line[pos] != u'"') return std::nullopt;
  QString text;
  for (++pos; pos < line.size(); ++pos) {
    QChar c = line[pos];
    if (c == u'"') {
      ++pos;
      return Storable(text) ? std::optional(text) : std::nullopt;
    }
    if (c == u'\\') {
      if (++pos == line.size()) return std::nullopt;
      c = line[pos];
      if (c != u'\\' && c != u'"') return std::nullopt;
    }
    text += c;
  }
  return std::nullopt;
}

std::optional<uint32_t> Dword(QStringView digits) {
  if (digits.size() != kDwordDigits) return std::nullopt;
  uint32_t number = 0;
  for (const QChar c : digits) {
    const int digit = QStringLiteral("0123456789abcdef").indexOf(c, 0, Qt::CaseInsensitive);
    if (digit < 0) return std::nullopt;
    number = number << 4 | uint32_t(digit);
  }
  return number;
}

// "Name"=dword:0000000a or "Name"="text".
std::optional<TRegValue> ParseValue(QStringView line) {
  qsizetype pos = 0;
  std::optional<QString> name = Quoted(line, pos);
  if (!name || name->isEmpty()) return std::nullopt;
  QStringView rest = line.sliced(pos).trimmed();
  if (!rest.startsWith(u'=')) return std::nullopt;
  rest = rest.sliced(1).trimmed();
  if (rest.startsWith(u'"')) {
    pos = 0;
    std::optional<QString> text = Quoted(rest, pos);
    if (!text || pos != rest.size()) return std::nullopt;
    return TRegValue{*name, *text};
  }
  if (!rest.startsWith(kDword, Qt::CaseInsensitive)) return std::nullopt;
  const std::optional<uint32_t> number = Dword(rest.sliced(kDword.size()));
  if (!number) return std::nullopt;
  return TRegValue{*name, *number};
}

QString Escaped(const QString& text) {
  QString escaped = text;
  escaped.replace(u'\\', QStringLiteral("\\\\"));
  escaped.replace(u'"', QStringLiteral("\\\""));
  return u'"' + escaped + u'"';
}

std::vector<TRegValue>::iterator FindValue(TRegKey& key, const QString& name) {
  return std::find_if(key.Values.begin(), key.Values.end(), [&](const TRegValue& value) {
    return value.Name.compare(name, Qt::CaseInsensitive) == 0;
  });
}

}  // namespace

TRegKey ParseRegFile(QByteArrayView bytes, qsizetype* dropped) {
  qsizetype skipped = 0;
  if (bytes.size() > kMaxFileBytes) {
    // The last line read would be cut short: it is left out.
    bytes = bytes.first(kMaxFileBytes);
    bytes = bytes.first(bytes.lastIndexOf('\n') + 1);
    ++skipped;
  }
  TRegKey key;
  QHash<QString, size_t> places;  // case-folded name -> index in key.Values
  bool inKey = false;
  const QString text = Decode(bytes);
  for (QStringView line : QStringView(text).split(u'\n')) {
    line = line.trimmed();
    if (line.isEmpty() || line == kSignature) continue;
    if (line.startsWith(u'[')) {
      inKey = line.endsWith(u']') &&
              line.sliced(1, line.size() - 2).compare(kKeyPath, Qt::CaseInsensitive) == 0;
      key.Exists = key.Exists || inKey;
      if (!inKey) ++skipped;
      continue;
    }
    std::optional<TRegValue> value = inKey ? ParseValue(line) : std::nullopt;
    if (!value) {
      ++skipped;
      continue;
    }
    const QString folded = value->Name.toCaseFolded();
    if (const auto place = places.constFind(folded); place != places.cend()) {
      key.Values[*place].Data = std::move(value->Data);
    } else {
      places.insert(folded, key.Values.size());
      key.Values.push_back(std::move(*value));
    }
  }
  if (dropped) *dropped = skipped;
  return key;
}

QByteArray FormatRegFile(const TRegKey& key) {
  QString text;
  text += kSignature;
  text += u"\n\n";
  if (key.Exists) {
    text += u'[';
    text += kKeyPath;
    text += u"]\n";
    for (const TRegValue& value : key.Values) {
      text += Escaped(value.Name);
      text += u'=';
      if (const auto* number = std::get_if<uint32_t>(&value.Data)) {
        text += kDword;
        text += QString::number(*number, 16).rightJustified(kDwordDigits, u'0');
      } else {
        text += Escaped(std::get<QString>(value.Data));
      }
      text += u'\n';
    }
    text += u'\n';
  }
  return text.toUtf8();
}

void Registry::NameApplication() {
  QCoreApplication::setOrganizationName(QLatin1String(kFolder));
  QCoreApplication::setApplicationName(QLatin1String(kApplication));
}

QString Registry::UserFileName() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u'/' +
         QLatin1String(kFolder) + u'/' + QLatin1String(kFile);
}

Registry::Registry(QString fileName) : fileName_(std::move(fileName)) {}

TRegKey Registry::Read() const {
  if (updateCount_ > 0) return pending_;
  // Only a regular file: a pipe or a device in its place would never end the read.
  if (!QFileInfo(fileName_).isFile()) return {};
  QFile file(fileName_);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return ParseRegFile(file.read(kMaxFileBytes + 1));
}

bool Registry::KeyExists() const {
  return Read().Exists;
}

bool Registry::ValueExists(const QString& name) const {
  TRegKey key = Read();
  return FindValue(key, name) != key.Values.end();
}

std::optional<uint32_t> Registry::ReadInteger(const QString& name) const {
  TRegKey key = Read();
  const auto value = FindValue(key, name);
  if (value == key.Values.end()) return std::nullopt;
  if (const auto* number = std::get_if<uint32_t>(&value->Data)) return *number;
  return std::nullopt;
}

std::optional<bool> Registry::ReadBool(const QString& name) const {
  const std::optional<uint32_t> number = ReadInteger(name);
  if (!number) return std::nullopt;
  return *number != 0;
}

std::optional<QString> Registry::ReadString(const QString& name) const {
  TRegKey key = Read();
  const auto value = FindValue(key, name);
  if (value == key.Values.end()) return std::nullopt;
  if (auto* text = std::get_if<QString>(&value->Data)) return std::move(*text);
  return std::nullopt;
}

template <typename Change>
bool Registry::Apply(Change change) {
  if (updateCount_ > 0) {
    change(pending_);
    return true;
  }
  TRegKey key = Read();
  change(key);
  return Store(key);
}

bool Registry::WriteInteger(const QString& name, uint32_t value) {
  return Write(name, value);
}

bool Registry::WriteBool(const QString& name, bool value) {
  return Write(name, uint32_t(value ? 1 : 0));
}

bool Registry::WriteString(const QString& name, const QString& value) {
  return Storable(value) && Write(name, value);
}

bool Registry::Write(const QString& name, std::variant<uint32_t, QString> data) {
  if (name.isEmpty() || !Storable(name)) return false;
  return Apply([&](TRegKey& key) {
    key.Exists = true;
    const auto value = FindValue(key, name);
    if (value == key.Values.end())
      key.Values.push_back({name, std::move(data)});
    else
      value->Data = std::move(data);  // the name keeps the spelling it was first written in
  });
}

bool Registry::DeleteValue(const QString& name) {
  if (!ValueExists(name)) return false;
  return Apply([&](TRegKey& key) { key.Values.erase(FindValue(key, name)); });
}

void Registry::BeginUpdate() {
  if (updateCount_ == 0) pending_ = Read();
  ++updateCount_;
}

bool Registry::EndUpdate() {
  if (updateCount_ == 0 || --updateCount_ > 0) return true;
  const bool stored = Store(pending_);
  pending_ = {};
  return stored;
}

std::optional<QString> Registry::KeepDamagedFile() {
  if (!QFileInfo(fileName_).isFile()) return std::nullopt;
  QFile file(fileName_);
  const QString name = QDir::toNativeSeparators(fileName_);
  if (!file.open(QIODevice::ReadOnly))
    return QStringLiteral(
               "Zefra could not read the settings in \"%1\" (%2), so they start "
               "from their defaults and will be saved over it.")
        .arg(name, file.errorString());
  qsizetype dropped = 0;
  ParseRegFile(file.read(kMaxFileBytes + 1), &dropped);
  if (dropped == 0) return std::nullopt;
  const QString backup = fileName_ + QStringLiteral(".bak");
  QSaveFile copy(backup);
  bool copied = file.seek(0) && copy.open(QIODevice::WriteOnly);
  while (copied && !file.atEnd()) {
    const QByteArray block = file.read(1 << 16);
    copied = !block.isEmpty() && copy.write(block) == block.size();
  }
  if (copied && copy.commit())
    return QStringLiteral(
               "Zefra could not read all of \"%1\" and keeps a copy of it as \"%2\" "
               "before saving the settings over it.")
        .arg(name, QDir::toNativeSeparators(backup));
  return QStringLiteral(
             "Zefra could not read all of \"%1\" and could not keep a copy of it as "
             "\"%2\" (%3).")
      .arg(name, QDir::toNativeSeparators(backup), copy.errorString());
}

bool Registry::Store(const TRegKey& key) const {
  const QString dir = QFileInfo(fileName_).absolutePath();
  if (!QDir().mkpath(dir)) {
    error_ = QStringLiteral("the folder \"%1\" cannot be made").arg(QDir::toNativeSeparators(dir));
    return false;
  }
  // A file of the user's that the user may not write is still theirs to replace, which the
  // save below refuses to do.
  const QFileInfo old(fileName_);
  if (old.isFile() && !old.isWritable())
    QFile::setPermissions(fileName_, old.permissions() | QFile::ReadOwner | QFile::WriteOwner);
  QSaveFile file(fileName_);
  const QByteArray bytes = FormatRegFile(key);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
    error_ = file.errorString();
    return false;
  }
  // The new file takes the permissions of the one it replaced: one the user could not read
  // would stay unreadable.
  QFile::setPermissions(fileName_,
                        QFile::permissions(fileName_) | QFile::ReadOwner | QFile::WriteOwner);
  return true;
}
