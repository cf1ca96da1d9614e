#include "uSaveJpeg.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "ExportFile.h"
#include "RTFSnapShot.h"
// clang-format off: jpeglib.h needs the FILE of <cstdio> first
#include <jerror.h>
#include <jpeglib.h>
// clang-format on

static_assert(kMaxPictureHeight <= JPEG_MAX_DIMENSION, "every picture of the output fits a JPEG");

namespace {

// The client area the controls are laid out in; it widens only to show the whole title.
constexpr QSize kFormSize(255, 96);

// libjpeg reports a fatal error by calling error_exit, which must not return; its default
// ends the whole program. Ours jumps back to the encoder, which gives up cleanly.
struct TJpegState {
  jpeg_compress_struct Info{};
  jpeg_error_mgr Errors{};
  jpeg_destination_mgr Destination{};
  std::jmp_buf Jump{};
  // The compressed bytes, in a buffer that only this code allocates and frees. libjpeg's own
  // memory destination frees its buffer whenever it grows it and reports the new one only at
  // the end, so after an error midway the pointer it handed out may already be freed.
  unsigned char* Buffer = nullptr;
  size_t Capacity = 0;
  size_t Size = 0;
};

constexpr size_t kFirstBufferSize = 64 * 1024;

TJpegState* StateOf(j_compress_ptr info) {
  return static_cast<TJpegState*>(info->client_data);
}

void ErrorExit(j_common_ptr info) {
  std::longjmp(static_cast<TJpegState*>(info->client_data)->Jump, 1);
}

// Gives the buffer room for capacity bytes, keeping what it holds. Without the memory the
// buffer stays as it was, still ours to free, and libjpeg is told of the failure.
void GrowBuffer(j_compress_ptr info, size_t capacity) {
  TJpegState* state = StateOf(info);
  const size_t used = state->Capacity - info->dest->free_in_buffer;
  auto* grown = static_cast<unsigned char*>(std::realloc(state->Buffer, capacity));
  if (!grown) ERREXIT1(info, JERR_OUT_OF_MEMORY, 0);
  state->Buffer = grown;
  state->Capacity = capacity;
  info->dest->next_output_byte = grown + used;
  info->dest->free_in_buffer = capacity - used;
}

void InitDestination(j_compress_ptr info) {
  GrowBuffer(info, kFirstBufferSize);
}

// Called when the buffer is full.
boolean EmptyOutputBuffer(j_compress_ptr info) {
  GrowBuffer(info, StateOf(info)->Capacity * 2);
  return TRUE;
}

void TermDestination(j_compress_ptr info) {
  TJpegState* state = StateOf(info);
  state->Size = state->Capacity - info->dest->free_in_buffer;
}

// Warnings stay quiet: a window program has no console to print them on.
void OutputMessage(j_common_ptr) {}

// Only plain C data lives between setjmp and longjmp here: no destructor is ever skipped.
bool Compress(TJpegState* state, const QImage& rows, bool grayscale, int quality) {
  jpeg_compress_struct* info = &state->Info;
  info->err = jpeg_std_error(&state->Errors);
  state->Errors.error_exit = ErrorExit;
  state->Errors.output_message = OutputMessage;
  info->client_data = state;
  if (setjmp(state->Jump)) {
    jpeg_destroy_compress(info);
    return false;
  }
  jpeg_create_compress(info);
  state->Destination.init_destination = InitDestination;
  state->Destination.empty_output_buffer = EmptyOutputBuffer;
  state->Destination.term_destination = TermDestination;
  info->dest = &state->Destination;
  info->image_width = JDIMENSION(rows.width());
  info->image_height = JDIMENSION(rows.height());
  info->input_components = grayscale ? 1 : 3;
  info->in_color_space = grayscale ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(info);
  jpeg_set_quality(info, quality, TRUE);
  jpeg_start_compress(info, TRUE);
  while (info->next_scanline < info->image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(rows.constScanLine(int(info->next_scanline)));
    jpeg_write_scanlines(info, &row, 1);
  }
  jpeg_finish_compress(info);
  jpeg_destroy_compress(info);
  return true;
}

template <typename Control>
Control* Place(Control* control, const char* name, QRect geometry) {
  control->setObjectName(QLatin1String(name));
  control->setGeometry(geometry);
  return control;
}

}  // namespace

QString EncodeJpeg(const QImage& picture, int quality, bool grayscale, QByteArray& jpeg) {
  const QImage rows =
      picture.convertToFormat(grayscale ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
  // On the heap, so that what libjpeg changes after setjmp is still there after a longjmp.
  auto state = std::make_unique<TJpegState>();
  const bool done = Compress(state.get(), rows, grayscale, std::clamp(quality, 0, 100));
  if (done) jpeg = QByteArray(reinterpret_cast<const char*>(state->Buffer), qsizetype(state->Size));
  std::free(state->Buffer);
  return done ? QString() : ExportErrors::FailedToSaveStream;
}

QString TJpegImage::Compress() {
  QString error = EncodeJpeg(picture_, quality_, grayscale_, jpeg_);
  if (!error.isEmpty()) {
    jpegQuality_ = -1;
    return error;
  }
  jpegQuality_ = quality_;
  jpegGrayscale_ = grayscale_;
  return {};
}

QString TJpegImage::SaveToFile(const QString& fileName) {
  if (jpegQuality_ != quality_ || jpegGrayscale_ != grayscale_) {
    if (QString error = Compress(); !error.isEmpty()) return error;
  }
  return WriteWholeFile(fileName, jpeg_);
}

TJpegForm::TJpegForm(TJpegImage& image, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), image_(image) {
  setObjectName(QStringLiteral("JpegForm"));
  setWindowTitle(QStringLiteral("Saving as Jpeg Format..."));
  // Window managers draw the title, often bold, centred between the title bar's buttons (up to
  // three a side) and cut what does not fit.
  QFont titleFont = QFontDatabase::systemFont(QFontDatabase::TitleFont);
  titleFont.setBold(true);
  const int buttons = 3 * style()->pixelMetric(QStyle::PM_TitleBarHeight);
  const int width = std::max(
      kFormSize.width(), QFontMetrics(titleFont).horizontalAdvance(windowTitle()) + 2 * buttons);
  setFixedSize(width, kFormSize.height());
  Label1 =
      Place(new QLabel(QStringLiteral("Compression ratio :"), this), "Label1", {8, 8, 110, 17});
  Label2 = Place(new QLabel(QStringLiteral("0"), this), "Label2", {120, 8, 40, 17});
  trkQuality = Place(new QSlider(Qt::Horizontal, this), "trkQuality", {4, 30, width - 8, 24});
  trkQuality->setRange(0, 100);
  trkQuality->setValue(95);
  trkQuality->setTickPosition(QSlider::NoTicks);
  trkQuality->setAccessibleName(Label1->text());
  chkGrayScale =
      Place(new QCheckBox(QStringLiteral("GrayScale"), this), "chkGrayScale", {8, 64, 100, 21});
  Button1 =
      Place(new QPushButton(QStringLiteral("Save"), this), "Button1", {width - 87, 61, 79, 27});
  Button1->setDefault(true);
  connect(trkQuality, &QSlider::valueChanged, this, &TJpegForm::trkQualityChange);
  connect(chkGrayScale, &QCheckBox::toggled, this, &TJpegForm::chkGrayScaleClick);
  connect(Button1, &QPushButton::clicked, this, &TJpegForm::Button1Click);
}

void TJpegForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  FormShow();
}

void TJpegForm::FormShow() {
  image_.SetCompressionQuality(trkQuality->value());
  image_.SetGrayscale(chkGrayScale->isChecked());
  Label2->setNum(trkQuality->value());
}

void TJpegForm::trkQualityChange(int position) {
  image_.SetCompressionQuality(position);
  // A picture that cannot be compressed fails again, and is reported, when it is saved.
  image_.Compress();
  Label2->setNum(position);
}

void TJpegForm::chkGrayScaleClick(bool checked) {
  image_.SetGrayscale(checked);
}

void TJpegForm::Button1Click() {
  accept();
}
