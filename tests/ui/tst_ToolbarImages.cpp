#include <QtTest>

#include "ToolbarImages.h"

namespace {

QImage Render(int index, int size, QIcon::Mode mode = QIcon::Normal) {
  return ToolbarImage(index)
      .pixmap(size, size, mode)
      .toImage()
      .convertToFormat(QImage::Format_ARGB32);
}

int InkedPixels(const QImage& image) {
  int inked = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) inked += qAlpha(image.pixel(x, y)) > 0;
  }
  return inked;
}

}  // namespace

class tst_ToolbarImages : public QObject {
  Q_OBJECT

 private slots:
  void everyGlyphIsDrawnAtSmallAndLargeSizes();
  void theGlyphsDifferFromEachOther();
  void disabledGlyphsLookDifferent();
  void anIndexOutsideTheImagesGivesNoIcon();
};

void tst_ToolbarImages::everyGlyphIsDrawnAtSmallAndLargeSizes() {
  for (int index = 0; index < ToolbarImageCount; ++index) {
    for (const int size : {16, 48}) {
      const QImage image = Render(index, size);
      QCOMPARE(image.size(), QSize(size, size));
      const int inked = InkedPixels(image);
      // Drawn, and not a filled square.
      QVERIFY2(inked > size * size / 20, qPrintable(QString::number(index)));
      QVERIFY2(inked < size * size, qPrintable(QString::number(index)));
    }
  }
}

void tst_ToolbarImages::theGlyphsDifferFromEachOther() {
  for (int a = 0; a < ToolbarImageCount; ++a) {
    for (int b = a + 1; b < ToolbarImageCount; ++b) {
      QVERIFY2(Render(a, 16) != Render(b, 16), qPrintable(QStringLiteral("%1 %2").arg(a).arg(b)));
    }
  }
}

void tst_ToolbarImages::disabledGlyphsLookDifferent() {
  for (int index = 0; index < ToolbarImageCount; ++index) {
    QVERIFY(Render(index, 16, QIcon::Disabled) != Render(index, 16));
  }
}

void tst_ToolbarImages::anIndexOutsideTheImagesGivesNoIcon() {
  QVERIFY(ToolbarImage(-1).isNull());
  QVERIFY(ToolbarImage(ToolbarImageCount).isNull());
  QVERIFY(!ToolbarImage(tiUndo).isNull());
}

QTEST_MAIN(tst_ToolbarImages)
#include "tst_ToolbarImages.moc"
