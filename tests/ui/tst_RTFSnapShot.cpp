#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QtTest>
#include <memory>

#include "BitmapFile.h"
#include "RTFSnapShot.h"

namespace {

const QString kWord = QStringLiteral(u"\u0633\u0644\u0627\u0645 ");

void MakeRightToLeft(RichEdit& edit) {
  edit.setLayoutDirection(Qt::RightToLeft);
  QTextOption option = edit.document()->defaultTextOption();
  option.setTextDirection(Qt::RightToLeft);
  edit.document()->setDefaultTextOption(option);
}

// Columns that hold anything but white, as [first, last]; {-1, -1} when none.
std::pair<int, int> InkColumns(const QImage& image) {
  int first = -1, last = -1;
  for (int x = 0; x < image.width(); ++x)
    for (int y = 0; y < image.height(); ++y)
      if (image.pixel(x, y) != qRgb(255, 255, 255)) {
        if (first < 0) first = x;
        last = x;
        break;
      }
  return {first, last};
}

int LastInkRow(const QImage& image) {
  for (int y = image.height() - 1; y >= 0; --y)
    for (int x = 0; x < image.width(); ++x)
      if (image.pixel(x, y) != qRgb(255, 255, 255)) return y;
  return -1;
}

}  // namespace

class tst_RTFSnapShot : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void withoutAPaneThereIsNoPicture();
  void theTextIsLaidOutOneInchNarrowerThanThePicture();
  void onlyWholeLinesWithinThePageHeightAreDrawn();
  void lengthZeroGoesToTheEndAndAStartPastTheEndTakesTheLastCharacter();
  void thePictureIsKeptUntilTheNextSnapOrClear();
  void aDestroyedPaneIsForgotten();
  void theWholeOutputIsPicturedToItsLastLineAcrossThePane();
  void picturesSaveAsBmp();

 private:
  std::unique_ptr<RichEdit> edit;
  TRTFSnapShot snap;
  int dpiX = 96;
};

void tst_RTFSnapShot::init() {
  edit = std::make_unique<RichEdit>();
  edit->setFont(QFont(QStringLiteral("DejaVu Sans"), 11));
  MakeRightToLeft(*edit);
  snap.Clear();
  snap.SetRichedit(edit.get());
  dpiX = qRound(QGuiApplication::primaryScreen()->logicalDotsPerInchX());
}

void tst_RTFSnapShot::withoutAPaneThereIsNoPicture() {
  TRTFSnapShot unbound;
  QVERIFY(!unbound.Snap(0, 0, 600, 100));
  QVERIFY(unbound.GetBitmap().isNull());
}

void tst_RTFSnapShot::theTextIsLaidOutOneInchNarrowerThanThePicture() {
  edit->setPlainText(kWord.repeated(60));
  QVERIFY(snap.Snap(0, 0, 600, 0));
  const QImage picture = snap.GetBitmap();
  QCOMPARE(picture.width(), 600);
  // Right-aligned wrapped lines end at the laid-out width: 5.25 inches at 96 pixels per inch.
  const int layoutRight = (600 * 1440 / dpiX - 1440) * dpiX / 1440;
  const auto [first, last] = InkColumns(picture);
  QVERIFY2(last < layoutRight && last > layoutRight - 12, qPrintable(QString::number(last)));
  QVERIFY(first < 40);
  QVERIFY(picture.height() > 3 * QFontMetrics(edit->font()).height());
  QCOMPARE(picture.pixel(599, 0), qRgb(255, 255, 255));
}

void tst_RTFSnapShot::onlyWholeLinesWithinThePageHeightAreDrawn() {
  edit->setPlainText(QStringLiteral("line\n").repeated(200));
  QVERIFY(snap.Snap(0, 0, 300, 100));
  const int cut = snap.GetBitmap().height();
  QVERIFY(cut <= 100);
  QVERIFY(cut > 100 - 2 * QFontMetrics(edit->font()).height());
  // No height: the screen's.
  QVERIFY(snap.Snap(0, 0, 300, 0));
  const int screen = QGuiApplication::primaryScreen()->geometry().height();
  QVERIFY(snap.GetBitmap().height() <= screen);
  QVERIFY(snap.GetBitmap().height() > screen - 2 * QFontMetrics(edit->font()).height());
}

void tst_RTFSnapShot::lengthZeroGoesToTheEndAndAStartPastTheEndTakesTheLastCharacter() {
  edit->setPlainText(QStringLiteral("abcdefgh"));
  const auto picture = [this](int start, int length) {
    snap.Snap(start, length, 400, 0);
    return snap.GetBitmap();
  };
  QCOMPARE(picture(3, 0), picture(3, 5));
  QVERIFY(picture(3, 0) != picture(3, 2));
  QCOMPARE(picture(500, 0), picture(7, 1));
  QVERIFY(picture(7, 1) != picture(6, 2));
}

void tst_RTFSnapShot::thePictureIsKeptUntilTheNextSnapOrClear() {
  edit->setPlainText(QStringLiteral("abc"));
  QVERIFY(snap.GetBitmap().isNull());
  QVERIFY(snap.Snap(0, 0, 400, 0));
  const QImage first = snap.GetBitmap();
  QVERIFY(!first.isNull());
  QCOMPARE(snap.GetBitmap().cacheKey(), first.cacheKey());
  snap.Clear();
  QVERIFY(snap.GetBitmap().isNull());
}

void tst_RTFSnapShot::aDestroyedPaneIsForgotten() {
  edit.reset();
  QCOMPARE(snap.Richedit(), nullptr);
  QVERIFY(!snap.Snap(0, 0, 400, 0));
}

void tst_RTFSnapShot::theWholeOutputIsPicturedToItsLastLineAcrossThePane() {
  // Lines in large type that wrap several times, the first bulleted, then a centred last word in
  // the pane's default format:
  // the picture ends with that word, centred in the pane, and the plain wrapped line reaches the
  // pane's right margin.
  edit->setPlainText(kWord.repeated(50) + u'\n' + kWord.repeated(50) + u'\n' +
                     QStringLiteral(u"\u0628"));
  TCharFormat big;
  big.Size = 20;
  edit->SetFormat(0, edit->LineIndex(2), big, TCharFormat::fSize);
  TParaFormat bullet;
  bullet.Numbering = nsBullet;
  edit->SetParagraphAt(0, bullet, TParaFormat::fNumbering);
  edit->SetParagraphAt(edit->LineIndex(2), {paCenter}, TParaFormat::fAlignment);
  RichEdit pane;
  pane.setLineWrapMode(QTextEdit::WidgetWidth);
  pane.resize(630, 122);
  MakeRightToLeft(pane);
  pane.setPlainText(QStringLiteral("left over"));
  TRTFSnapShot whole;
  whole.SetRichedit(&pane);
  QCOMPARE(SnapWholeOutput(whole, pane, *edit), QString());
  QCOMPARE(pane.Lines(), edit->Lines());
  // Copied text keeps the face and size it showed, not the scratch pane's.
  QCOMPARE(pane.FormatAt(pane.LineIndex(2)).Name, edit->document()->defaultFont().family());
  QCOMPARE(pane.FormatAt(pane.LineIndex(2)).Size, 11);

  const QImage picture = whole.GetBitmap();
  QCOMPARE(picture.width(), 630);
  const int lineHeight = QFontMetrics(QFont(QStringLiteral("DejaVu Sans"), 20)).height();
  const int lastRow = LastInkRow(picture);
  QVERIFY2(picture.height() - lastRow < lineHeight, qPrintable(QString::number(lastRow)));
  int bandTop = lastRow;
  while (bandTop > 0 && InkColumns(picture.copy(0, bandTop - 1, 630, 1)).first >= 0) --bandTop;
  const auto [first, last] = InkColumns(picture.copy(0, bandTop, 630, lastRow - bandTop + 1));
  QVERIFY2(last - first < lineHeight && std::abs((first + last) / 2 - 315) <= 3,
           qPrintable(QStringLiteral("%1..%2").arg(first).arg(last)));
  const int margin = pane.frameWidth() + int(pane.document()->documentMargin());
  QVERIFY(InkColumns(picture).second >= 630 - margin - 3);
}

void tst_RTFSnapShot::picturesSaveAsBmp() {
  edit->setPlainText(QStringLiteral("abc"));
  snap.Snap(0, 0, 200, 0);
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("a.bmp"));
  QCOMPARE(SaveBitmapFile(snap.GetBitmap(), path), QString());
  QImage read(path, "BMP");
  QCOMPARE(read.size(), snap.GetBitmap().size());
  QCOMPARE(read.convertToFormat(QImage::Format_RGB32), snap.GetBitmap());
  QCOMPARE(SaveBitmapFile(QImage(), dir.filePath(QStringLiteral("b.bmp"))),
           QStringLiteral("Failed to Save Stream"));
  QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("b.bmp"))));
}

QTEST_MAIN(tst_RTFSnapShot)
#include "tst_RTFSnapShot.moc"
