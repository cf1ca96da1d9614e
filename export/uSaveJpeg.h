#pragma once
// JPEG pictures: the image that is compressed with libjpeg at a quality, in colour or grey, and
// the small dialog that sets both before a picture is saved.
#include <QByteArray>
#include <QDialog>
#include <QImage>

class QCheckBox;
class QLabel;
class QPushButton;
class QSlider;

// The JPEG bytes of picture at quality 0 to 100, grey when grayscale; "" or the message.
QString EncodeJpeg(const QImage& picture, int quality, bool grayscale, QByteArray& jpeg);

// A picture and the settings it is compressed with.
class TJpegImage {
 public:
  explicit TJpegImage(QImage picture) : picture_(std::move(picture)) {}

  int CompressionQuality() const { return quality_; }
  void SetCompressionQuality(int quality) { quality_ = quality; }
  bool Grayscale() const { return grayscale_; }
  void SetGrayscale(bool grayscale) { grayscale_ = grayscale; }

  // Compresses the picture with the current settings now; "" or the message.
  QString Compress();
  // The picture written to fileName with the current settings; "" or the message.
  QString SaveToFile(const QString& fileName);

 private:
  QImage picture_;
  int quality_ = 95;
  bool grayscale_ = false;
  QByteArray jpeg_;  // the last compression, and its settings
  int jpegQuality_ = -1;
  bool jpegGrayscale_ = false;
};

// "Saving as Jpeg Format...": sets the quality and the grey scale of image.
class TJpegForm : public QDialog {
  Q_OBJECT
 public:
  explicit TJpegForm(TJpegImage& image, QWidget* parent = nullptr);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void FormShow();
  void trkQualityChange(int position);
  void chkGrayScaleClick(bool checked);
  void Button1Click();

  TJpegImage& image_;
  QLabel* Label1;
  QLabel* Label2;
  QSlider* trkQuality;
  QCheckBox* chkGrayScale;
  QPushButton* Button1;
};
