#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QtTest>

#include "Registry.h"

namespace {

const QByteArray kHeader =
    "Windows Registry Editor Version 5.00\n\n"
    "[HKEY_CURRENT_USER\\Software\\Quorvel Software Company\\Zefra]\n";

QByteArray FileBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// The bytes of a literal, NULs included.
template <size_t N>
QByteArray Raw(const char (&text)[N]) {
  return QByteArray(text, N - 1);
}

// UTF-16LE with its byte-order mark, whatever the code units.
QByteArray Utf16(std::u16string_view text) {
  QByteArray bytes("\xFF\xFE");
  for (const char16_t unit : text) {
    bytes += char(unit & 0xFF);
    bytes += char(unit >> 8);
  }
  return bytes;
}

void Put(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  QCOMPARE(file.write(bytes), bytes.size());
}

}  // namespace

class tst_Registry : public QObject {
  Q_OBJECT

 private slots:
  void init();

  void valuesKeepTheirTypesInTheExportFormat();
  void namesCompareWithoutCase();
  void objectsSharingTheFileSeeEachOthersWrites();
  void anUpdateReplacesTheFileOnceAtItsEnd();
  void aLineBreakOrNulIsNeverWritten();
  void damagedFilesGiveWhatCanBeRead_data();
  void damagedFilesGiveWhatCanBeRead();
  void aFileBeyondAMebibyteIsReadUpToThere();
  void otherEncodingsAndLineEndsAreRead();
  void whatIsNoRegularFileReadsAsNoKeyWithoutWaiting();
  void aFileTheUserCouldNotReadIsReplacedByAReadableOne();
  void aFileWithWhatAWriteWouldDropIsKeptAsACopyFirst();

 private:
  QString Path() const { return dir.filePath(QStringLiteral("cfg/Zefra.reg")); }

  QTemporaryDir dir;
};

void tst_Registry::init() {
  QVERIFY(dir.isValid());
  QFile::remove(Path());
}

void tst_Registry::valuesKeepTheirTypesInTheExportFormat() {
  Registry registry(Path());
  QVERIFY(!registry.KeyExists());
  QVERIFY(!registry.ReadInteger(QStringLiteral("Same Attributes")));

  QVERIFY(registry.WriteBool(QStringLiteral("Same Attributes"), true));
  QVERIFY(registry.WriteInteger(QStringLiteral("Color"), 0xFF0000));
  const QString text = QStringLiteral(u"C:\\fonts\\\"B Nazanin\" \u0633\u0644\u0627\u0645");
  QVERIFY(registry.WriteString(QStringLiteral("Text"), text));
  QVERIFY(registry.WriteString(QStringLiteral("Empty"), QString()));
  QVERIFY(registry.KeyExists());

  QCOMPARE(FileBytes(Path()), kHeader +
                                  "\"Same Attributes\"=dword:00000001\n"
                                  "\"Color\"=dword:00ff0000\n"
                                  "\"Text\"=\"C:\\\\fonts\\\\\\\"B Nazanin\\\" " +
                                  QStringLiteral(u"\u0633\u0644\u0627\u0645").toUtf8() +
                                  "\"\n"
                                  "\"Empty\"=\"\"\n\n");

  const Registry again(Path());
  QCOMPARE(again.ReadBool(QStringLiteral("Same Attributes")), std::optional<bool>(true));
  QCOMPARE(again.ReadInteger(QStringLiteral("Color")), std::optional<uint32_t>(0xFF0000));
  QCOMPARE(again.ReadString(QStringLiteral("Text")), std::optional<QString>(text));
  QCOMPARE(again.ReadString(QStringLiteral("Empty")), std::optional<QString>(QString()));
  // Of the other type, or missing: the read fails.
  QVERIFY(!again.ReadString(QStringLiteral("Color")));
  QVERIFY(!again.ReadInteger(QStringLiteral("Text")));
  QVERIFY(!again.ReadBool(QStringLiteral("Missing")));
  QVERIFY(!again.ValueExists(QStringLiteral("Missing")));

  // A value changes type when written with another one; a deleted one is gone.
  QVERIFY(registry.WriteString(QStringLiteral("Color"), QStringLiteral("blue")));
  QVERIFY(!registry.ReadInteger(QStringLiteral("Color")));
  QVERIFY(registry.DeleteValue(QStringLiteral("Color")));
  QVERIFY(!registry.ValueExists(QStringLiteral("Color")));
  QVERIFY(!registry.DeleteValue(QStringLiteral("Color")));
  QVERIFY(registry.ValueExists(QStringLiteral("Text")));
}

void tst_Registry::namesCompareWithoutCase() {
  Registry registry(Path());
  QVERIFY(registry.WriteBool(QStringLiteral("Tips of Day"), true));
  QVERIFY(registry.WriteBool(QStringLiteral("tips OF day"), false));
  QCOMPARE(registry.ReadBool(QStringLiteral("TIPS OF DAY")), std::optional<bool>(false));
  // One value, spelt as it was first written.
  QCOMPARE(FileBytes(Path()), kHeader + "\"Tips of Day\"=dword:00000000\n\n");
  // A hand-edited file with both spellings: the later line wins, in the first one's place.
  Put(Path(), kHeader + "\"A\"=dword:00000001\n\"B\"=dword:00000002\n\"a\"=dword:00000003\n");
  QCOMPARE(registry.ReadInteger(QStringLiteral("a")), std::optional<uint32_t>(3));
  QVERIFY(registry.WriteInteger(QStringLiteral("B"), 4));
  QCOMPARE(FileBytes(Path()), kHeader + "\"A\"=dword:00000003\n\"B\"=dword:00000004\n\n");
}

void tst_Registry::objectsSharingTheFileSeeEachOthersWrites() {
  Registry program(Path());
  Registry tips(Path());
  QVERIFY(program.WriteString(QStringLiteral("Version"), QStringLiteral("0.3.4a beta")));
  QVERIFY(tips.WriteBool(QStringLiteral("Tips of day"), false));
  QVERIFY(program.WriteInteger(QStringLiteral(".Font Size"), 11));
  QCOMPARE(program.ReadBool(QStringLiteral("Tips of Day")), std::optional<bool>(false));
  QCOMPARE(tips.ReadString(QStringLiteral("version")),
           std::optional<QString>(QStringLiteral("0.3.4a beta")));
}

void tst_Registry::anUpdateReplacesTheFileOnceAtItsEnd() {
  Registry registry(Path());
  QVERIFY(registry.WriteInteger(QStringLiteral("First"), 1));
  const QByteArray before = FileBytes(Path());
  registry.BeginUpdate();
  QVERIFY(registry.WriteInteger(QStringLiteral("Second"), 2));
  registry.BeginUpdate();
  QVERIFY(registry.WriteInteger(QStringLiteral("First"), 3));
  QVERIFY(registry.EndUpdate());
  // Reads inside the update see its writes; the file waits for the outermost end.
  QCOMPARE(registry.ReadInteger(QStringLiteral("Second")), std::optional<uint32_t>(2));
  QCOMPARE(FileBytes(Path()), before);
  QVERIFY(registry.EndUpdate());
  QCOMPARE(FileBytes(Path()), kHeader + "\"First\"=dword:00000003\n\"Second\"=dword:00000002\n\n");

  // An update that cannot be written says so, and the next one starts from the file again.
  Registry blocked(dir.filePath(QStringLiteral("cfg/Zefra.reg/inside.reg")));
  blocked.BeginUpdate();
  QVERIFY(blocked.WriteInteger(QStringLiteral("First"), 1));
  QVERIFY(!blocked.EndUpdate());
  QVERIFY(!blocked.KeyExists());
}

void tst_Registry::aLineBreakOrNulIsNeverWritten() {
  Registry registry(Path());
  QVERIFY(registry.WriteString(QStringLiteral("Version"), QStringLiteral("1")));
  const QByteArray before = FileBytes(Path());
  QVERIFY(!registry.WriteString(QStringLiteral("Version"), QStringLiteral("1\n\"Evil\"=\"x")));
  QVERIFY(!registry.WriteString(QStringLiteral("Version"), QStringLiteral("1\r")));
  QVERIFY(!registry.WriteString(QStringLiteral("Version"), QString(QChar(0))));
  QVERIFY(!registry.WriteInteger(QStringLiteral("A\nB"), 1));
  QVERIFY(!registry.WriteInteger(QString(), 1));
  QCOMPARE(FileBytes(Path()), before);
}

void tst_Registry::damagedFilesGiveWhatCanBeRead_data() {
  QTest::addColumn<QByteArray>("file");
  QTest::addColumn<bool>("keyExists");
  // What reads back, as "name=dword" or "name=\"text\"", in order.
  QTest::addColumn<QStringList>("values");

  const QByteArray good = kHeader +
                          "\"Trans.Dictionary Mode\"=dword:00000001\n"
                          "\"Trans.Chat Mode\"=dword:00000000\n";
  QTest::newRow("truncated in a dword")
      << good + "\"Trans.Tashdid Mode\"=dword:000" << true
      << QStringList{"Trans.Dictionary Mode=1", "Trans.Chat Mode=0"};
  QTest::newRow("truncated in a text")
      << good + "\"Version\"=\"0.3.4a be" << true
      << QStringList{"Trans.Dictionary Mode=1", "Trans.Chat Mode=0"};
  QTest::newRow("truncated in the key's line")
      << QByteArray("Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Soft") << false
      << QStringList{};
  QTest::newRow("garbage and binary lines between values")
      << kHeader + Raw("\"Trans.Dictionary Mode\"=dword:00000001\n"
                       "\x01\x02\xff\xfe garbage \x00 bytes\n"
                       "=dword:00000001\n"
                       "\"\"=dword:00000001\n"
                       "\"Unclosed=dword:00000001\n"
                       "\"Bad escape\"=\"a\\nb\"\n"
                       "\"Trailing\"=\"a\" junk\n"
                       "\"Short\"=dword:1\n"
                       "\"Long\"=dword:000000001\n"
                       "\"Not hex\"=dword:0000000g\n"
                       "\"Signed\"=dword:+0000001\n"
                       "\"Nul\"=\"a\x00"
                       "b\"\n"
                       "\"Trans.Chat Mode\"=dword:0000000A\n")
      << true << QStringList{"Trans.Dictionary Mode=1", "Trans.Chat Mode=10"};
  QTest::newRow("wrong and unknown types")
      << kHeader +
             "\"Same Attributes\"=\"1\"\n"
             "\"Binary\"=hex:01,00,00,00\n"
             "\"Expand\"=hex(2):25,00\n"
             "\"Deleted\"=-\n"
             "@=\"default\"\n"
             "\".Font Size\"=dword:0000000b\n"
      << true << QStringList{"Same Attributes=\"1\"", ".Font Size=11"};
  QTest::newRow("values of other keys")
      << QByteArray(
             "Windows Registry Editor Version 5.00\n\n"
             "[HKEY_CURRENT_USER\\Software\\Other]\n\"A\"=dword:00000001\n"
             "[hkey_current_user\\software\\quorvel software "
             "company\\zefra]\n\"B\"=dword:00000002\n"
             "[HKEY_CURRENT_USER\\Software\\Quorvel Software Company\\Zefra\\Sub]\n\"C\"=\"c\"\n"
             "[-HKEY_CURRENT_USER\\Software\\Quorvel Software Company\\Zefra]\n\"D\"=\"d\"\n")
      << true << QStringList{"B=2"};
  QTest::newRow("a lone surrogate in UTF-16")
      << Utf16(
             u"[HKEY_CURRENT_USER\\Software\\Quorvel Software Company\\Zefra]\r\n"
             u"\"A\"=\"x\xD800\"\r\n\"B\"=dword:00000001\r\n")
      << true << QStringList{"B=1"};
  QTest::newRow("values before any key")
      << QByteArray("\"A\"=dword:00000001\n") << false << QStringList{};
  QTest::newRow("empty file") << QByteArray() << false << QStringList{};
  QTest::newRow("spaces around the parts")
      << kHeader + "  \"A\" = dword:00000001  \n\t\"B\"=\"x y\"\t\n"
      << true << QStringList{"A=1", "B=\"x y\""};
}

void tst_Registry::damagedFilesGiveWhatCanBeRead() {
  QFETCH(QByteArray, file);
  QFETCH(bool, keyExists);
  QFETCH(QStringList, values);

  Put(Path(), file);
  Registry registry(Path());
  QCOMPARE(registry.KeyExists(), keyExists);
  QStringList read;
  QByteArray clean = kHeader;
  for (const TRegValue& value : ParseRegFile(file).Values) {
    if (const auto* number = std::get_if<uint32_t>(&value.Data)) {
      read << value.Name + u'=' + QString::number(*number);
      QCOMPARE(registry.ReadInteger(value.Name), std::optional<uint32_t>(*number));
      clean += '"' + value.Name.toUtf8() +
               "\"=dword:" + QByteArray::number(*number, 16).rightJustified(8, '0') + '\n';
    } else {
      const QString& text = std::get<QString>(value.Data);
      read << value.Name + QStringLiteral("=\"") + text + u'"';
      QCOMPARE(registry.ReadString(value.Name), std::optional<QString>(text));
      clean += '"' + value.Name.toUtf8() + "\"=\"" + text.toUtf8() + "\"\n";
    }
  }
  QCOMPARE(read, values);

  // The next write leaves a clean file: what could be read, and the new value.
  QVERIFY(registry.WriteString(QStringLiteral("Version"), QStringLiteral("0.3.4a beta")));
  QCOMPARE(FileBytes(Path()), clean + "\"Version\"=\"0.3.4a beta\"\n\n");
  QCOMPARE(ParseRegFile(FileBytes(Path())).Values.size(), size_t(values.size() + 1));
}

void tst_Registry::aFileBeyondAMebibyteIsReadUpToThere() {
  QByteArray file = kHeader + "\"First\"=dword:00000001\n";
  constexpr qsizetype kCut = (1 << 20) - 40;
  const QByteArray filler = QByteArray(100, 'x') + '\n';
  while (file.size() + filler.size() < kCut) file += filler;
  file += QByteArray(kCut - file.size() - 1, 'x') + '\n';
  file += "\"Cut\"=\"" + QByteArray(80, 'c') + "\"\n";  // across the mebibyte's end
  file += "\"Last\"=dword:00000002\n";
  Put(Path(), file);
  const Registry registry(Path());
  QCOMPARE(registry.ReadInteger(QStringLiteral("First")), std::optional<uint32_t>(1));
  QVERIFY(!registry.ValueExists(QStringLiteral("Cut")));
  QVERIFY(!registry.ValueExists(QStringLiteral("Last")));
}

void tst_Registry::otherEncodingsAndLineEndsAreRead() {
  const QString text =
      QString::fromUtf8(kHeader + "\"Version\"=\"0.3.3\"\n\"Same Attributes\"=dword:00000001\n")
          .replace(u'\n', QStringLiteral("\r\n"));
  QStringEncoder utf16(QStringConverter::Utf16LE);
  for (const QByteArray& file : {QByteArray("\xFF\xFE") + QByteArray(utf16(text)),
                                 QByteArray("\xEF\xBB\xBF") + text.toUtf8(), text.toUtf8()}) {
    Put(Path(), file);
    const Registry registry(Path());
    QCOMPARE(registry.ReadString(QStringLiteral("Version")),
             std::optional<QString>(QStringLiteral("0.3.3")));
    QCOMPARE(registry.ReadBool(QStringLiteral("Same Attributes")), std::optional<bool>(true));
  }
}

void tst_Registry::whatIsNoRegularFileReadsAsNoKeyWithoutWaiting() {
  // A directory in the file's place: nothing to read, nothing can be written.
  QVERIFY(QDir().mkpath(Path()));
  Registry registry(Path());
  QVERIFY(!registry.KeyExists());
  QVERIFY(!registry.ReadString(QStringLiteral("Version")));
  QVERIFY(!registry.WriteString(QStringLiteral("Version"), QStringLiteral("1")));
  QVERIFY(QDir(Path()).removeRecursively());

  // A pipe would block a reader until someone writes into it.
  QVERIFY(QDir().mkpath(QFileInfo(Path()).absolutePath()));
  QCOMPARE(mkfifo(QFile::encodeName(Path()).constData(), 0600), 0);
  QVERIFY(!registry.KeyExists());
  // Writing replaces the pipe by a file.
  QVERIFY(registry.WriteString(QStringLiteral("Version"), QStringLiteral("1")));
  QCOMPARE(registry.ReadString(QStringLiteral("Version")),
           std::optional<QString>(QStringLiteral("1")));
}

void tst_Registry::aFileTheUserCouldNotReadIsReplacedByAReadableOne() {
  if (::geteuid() == 0) QSKIP("permissions do not bind the superuser");
  Put(Path(), kHeader + "\"A\"=dword:00000001\n");
  QVERIFY(QFile::setPermissions(Path(), QFileDevice::Permissions()));
  Registry registry(Path());
  QVERIFY(!registry.KeyExists());
  const std::optional<QString> note = registry.KeepDamagedFile();
  QVERIFY(note && note->contains(Path()));
  QVERIFY(registry.WriteInteger(QStringLiteral("B"), 2));
  const QFileDevice::Permissions permissions = QFile::permissions(Path());
  QVERIFY(permissions & QFileDevice::ReadOwner);
  QVERIFY(permissions & QFileDevice::WriteOwner);
  QCOMPARE(registry.ReadInteger(QStringLiteral("B")), std::optional<uint32_t>(2));
}

void tst_Registry::aFileWithWhatAWriteWouldDropIsKeptAsACopyFirst() {
  const QByteArray damaged = kHeader +
                             "\"A\"=dword:00000001\n"
                             "; kept by hand\n"
                             "\"B\"=dword:0000zz01\n"
                             "[HKEY_CURRENT_USER\\Software\\Other]\n"
                             "\"C\"=\"c\"\n";
  Put(Path(), damaged);
  Registry registry(Path());
  const std::optional<QString> note = registry.KeepDamagedFile();
  const QString backup = Path() + QStringLiteral(".bak");
  QVERIFY(note && note->contains(u'"' + Path() + u'"') && note->contains(u'"' + backup + u'"'));
  QCOMPARE(FileBytes(backup), damaged);
  QCOMPARE(registry.ReadInteger(QStringLiteral("A")), std::optional<uint32_t>(1));

  // What Zefra writes holds nothing it would drop, and the copy stays as it was.
  QVERIFY(registry.WriteInteger(QStringLiteral("A"), 2));
  QVERIFY(!registry.KeepDamagedFile());
  QCOMPARE(FileBytes(backup), damaged);
}

QTEST_GUILESS_MAIN(tst_Registry)
#include "tst_Registry.moc"
