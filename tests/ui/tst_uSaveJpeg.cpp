#include <QCheckBox>
#include <QFontDatabase>
#include <QLabel>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSlider>
#include <QStyleOptionTitleBar>
#include <QTemporaryDir>
#include <QtTest>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "uSaveJpeg.h"
// clang-format off: jpeglib.h needs the FILE of <cstdio> first
#include <jpeglib.h>
// clang-format on

namespace {

// The luminance table of the JPEG standard that libjpeg scales by the quality.
constexpr unsigned kLuminance[64] = {16,  11,  10,  16,  24, 40, 51,  61,  12,  12,  14,  19,  26,
                                     58,  60,  55,  14,  13, 16, 24,  40,  57,  69,  56,  14,  17,
                                     22,  29,  51,  87,  80, 62, 18,  22,  37,  56,  68,  109, 103,
                                     77,  24,  35,  55,  64, 81, 104, 113, 92,  49,  64,  78,  87,
                                     103, 121, 120, 101, 72, 92, 95,  98,  112, 100, 103, 99};

std::vector<unsigned> LuminanceTable(int quality) {
  const int scale = quality < 50 ? 5000 / std::max(quality, 1) : 200 - 2 * quality;
  std::vector<unsigned> table;
  for (unsigned value : kLuminance)
    table.push_back(std::clamp<unsigned>((value * unsigned(scale) + 50) / 100, 1, 255));
  return table;
}

struct TJpegFile {
  int Components = 0;
  J_COLOR_SPACE ColourSpace = JCS_UNKNOWN;
  std::vector<unsigned> Luminance;
  QImage Picture;
};

// What libjpeg reads back from the bytes (their header must be sound).
TJpegFile ReadJpeg(const QByteArray& bytes) {
  jpeg_decompress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.constData()),
               static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&info, TRUE);
  TJpegFile file;
  file.Components = info.num_components;
  file.ColourSpace = info.jpeg_color_space;
  for (int i = 0; i < 64; ++i) file.Luminance.push_back(info.quant_tbl_ptrs[0]->quantval[i]);
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  file.Picture = QImage(int(info.output_width), int(info.output_height), QImage::Format_RGB888);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = file.Picture.scanLine(int(info.output_scanline));
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return file;
}

QByteArray ReadFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QImage RedPicture() {
  QImage picture(32, 16, QImage::Format_RGB32);
  picture.fill(QColor(220, 20, 20));
  return picture;
}

}  // namespace

class tst_uSaveJpeg : public QObject {
  Q_OBJECT

 private slots:
  void qualityAndGreyScaleAreInTheFile();
  void aPictureLibjpegRefusesIsReportedNotFatal();
  void memoryRunningOutMidwayIsReportedNotFatal();
  void theImageIsCompressedAgainWhenItsSettingsChange();
  void theDialogOpensAt95InColour();
  void theTrackBarSetsTheQualityAndTheBoxTheGreyScale();
  void saveClosesTheDialogWithOk();
};

void tst_uSaveJpeg::qualityAndGreyScaleAreInTheFile() {
  for (int quality : {0, 40, 95, 100}) {
    QByteArray jpeg;
    QCOMPARE(EncodeJpeg(RedPicture(), quality, false, jpeg), QString());
    const TJpegFile file = ReadJpeg(jpeg);
    QCOMPARE(file.Luminance, LuminanceTable(quality));
    QCOMPARE(file.Components, 3);
    QCOMPARE(file.Picture.size(), QSize(32, 16));
    const QColor centre = file.Picture.pixelColor(16, 8);
    QVERIFY(centre.red() > 180 && centre.green() < 70 && centre.blue() < 70);
  }
  QByteArray grey;
  QCOMPARE(EncodeJpeg(RedPicture(), 95, true, grey), QString());
  const TJpegFile file = ReadJpeg(grey);
  QCOMPARE(file.Components, 1);
  QCOMPARE(file.ColourSpace, JCS_GRAYSCALE);
  const QColor centre = file.Picture.pixelColor(16, 8);
  QCOMPARE(centre.red(), centre.green());
  QCOMPARE(centre.green(), centre.blue());
}

void tst_uSaveJpeg::aPictureLibjpegRefusesIsReportedNotFatal() {
  QByteArray jpeg("untouched");
  // libjpeg's default reaction to an empty image is to end the program.
  QCOMPARE(EncodeJpeg(QImage(), 95, false, jpeg), QStringLiteral("Failed to Save Stream"));
  QCOMPARE(jpeg, QByteArray("untouched"));
  TJpegImage image{QImage()};
  QCOMPARE(image.Compress(), QStringLiteral("Failed to Save Stream"));
  QTemporaryDir dir;
  QCOMPARE(image.SaveToFile(dir.filePath(QStringLiteral("a.jpg"))),
           QStringLiteral("Failed to Save Stream"));
  QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("a.jpg"))));
  TJpegImage good(RedPicture());
  QCOMPARE(good.SaveToFile(dir.filePath(QStringLiteral("no/such/a.jpg"))),
           QStringLiteral("Failed to Save Stream"));
}

void tst_uSaveJpeg::memoryRunningOutMidwayIsReportedNotFatal() {
  // Memory runs out on cue only where allocations are capped: under the address sanitizer,
  // which tst_uSaveJpeg_capped runs with a cap of 5 MiB.
  void* probe = std::malloc(size_t(16) << 20);
  std::free(probe);
  if (probe) QSKIP("Allocations are not capped here.");
  // Grey noise compresses to more than its own size: the output has grown several times when
  // it cannot grow past the cap.
  QImage noise(2000, 2000, QImage::Format_Grayscale8);
  for (int y = 0; y < noise.height(); ++y)
    QRandomGenerator::global()->fillRange(reinterpret_cast<quint32*>(noise.scanLine(y)),
                                          noise.bytesPerLine() / 4);
  QByteArray jpeg;
  QCOMPARE(EncodeJpeg(noise, 100, true, jpeg), QStringLiteral("Failed to Save Stream"));
}

void tst_uSaveJpeg::theImageIsCompressedAgainWhenItsSettingsChange() {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("a.jpg"));
  TJpegImage image(RedPicture());
  image.SetCompressionQuality(30);
  QCOMPARE(image.Compress(), QString());
  image.SetCompressionQuality(60);
  image.SetGrayscale(true);
  QCOMPARE(image.SaveToFile(path), QString());
  const TJpegFile file = ReadJpeg(ReadFile(path));
  QCOMPARE(file.Luminance, LuminanceTable(60));
  QCOMPARE(file.Components, 1);
}

void tst_uSaveJpeg::theDialogOpensAt95InColour() {
  TJpegImage image(RedPicture());
  image.SetCompressionQuality(10);
  image.SetGrayscale(true);
  TJpegForm form(image);
  QCOMPARE(form.windowTitle(), QStringLiteral("Saving as Jpeg Format..."));
  QCOMPARE(form.height(), 96);
  QCOMPARE(form.minimumSize(), form.maximumSize());
  // The whole title fits a title bar with an icon and three buttons, in the title font.
  QStyleOptionTitleBar bar;
  bar.initFrom(&form);
  bar.rect = QRect(0, 0, form.width(), form.style()->pixelMetric(QStyle::PM_TitleBarHeight));
  bar.titleBarFlags = Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                      Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint;
  const QRect titleLabel =
      form.style()->subControlRect(QStyle::CC_TitleBar, &bar, QStyle::SC_TitleBarLabel, &form);
  const QFontMetrics titleFont(QFontDatabase::systemFont(QFontDatabase::TitleFont));
  QVERIFY2(titleFont.horizontalAdvance(form.windowTitle()) <= titleLabel.width(),
           qPrintable(QString::number(titleLabel.width())));
  auto* track = form.findChild<QSlider*>(QStringLiteral("trkQuality"));
  QVERIFY(track);
  QCOMPARE(track->minimum(), 0);
  QCOMPARE(track->maximum(), 100);
  QCOMPARE(track->value(), 95);
  QCOMPARE(track->tickPosition(), QSlider::NoTicks);
  QCOMPARE(form.findChild<QLabel*>(QStringLiteral("Label1"))->text(),
           QStringLiteral("Compression ratio :"));
  auto* label = form.findChild<QLabel*>(QStringLiteral("Label2"));
  QCOMPARE(label->text(), QStringLiteral("0"));
  auto* grey = form.findChild<QCheckBox*>(QStringLiteral("chkGrayScale"));
  QCOMPARE(grey->text(), QStringLiteral("GrayScale"));
  QVERIFY(!grey->isChecked());
  QCOMPARE(form.findChild<QPushButton*>(QStringLiteral("Button1"))->text(), QStringLiteral("Save"));

  form.show();
  QVERIFY(QTest::qWaitForWindowExposed(&form));
  QCOMPARE(label->text(), QStringLiteral("95"));
  QCOMPARE(image.CompressionQuality(), 95);
  QVERIFY(!image.Grayscale());
}

void tst_uSaveJpeg::theTrackBarSetsTheQualityAndTheBoxTheGreyScale() {
  TJpegImage image(RedPicture());
  TJpegForm form(image);
  form.show();
  QVERIFY(QTest::qWaitForWindowExposed(&form));
  form.findChild<QSlider*>(QStringLiteral("trkQuality"))->setValue(40);
  QCOMPARE(form.findChild<QLabel*>(QStringLiteral("Label2"))->text(), QStringLiteral("40"));
  QCOMPARE(image.CompressionQuality(), 40);
  QTest::mouseClick(form.findChild<QCheckBox*>(QStringLiteral("chkGrayScale")), Qt::LeftButton);
  QVERIFY(image.Grayscale());

  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("a.jpg"));
  QCOMPARE(image.SaveToFile(path), QString());
  const TJpegFile file = ReadJpeg(ReadFile(path));
  QCOMPARE(file.Luminance, LuminanceTable(40));
  QCOMPARE(file.Components, 1);
}

void tst_uSaveJpeg::saveClosesTheDialogWithOk() {
  TJpegImage image(RedPicture());
  TJpegForm form(image);
  form.show();
  QVERIFY(QTest::qWaitForWindowExposed(&form));
  QTest::mouseClick(form.findChild<QPushButton*>(QStringLiteral("Button1")), Qt::LeftButton);
  QVERIFY(!form.isVisible());
  QCOMPARE(form.result(), int(QDialog::Accepted));
}

QTEST_MAIN(tst_uSaveJpeg)
#include "tst_uSaveJpeg.moc"
