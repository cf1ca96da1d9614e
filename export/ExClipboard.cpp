#include "ExClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "ExportFile.h"

TExClipboard::TExClipboard() = default;
TExClipboard::~TExClipboard() = default;

void TExClipboard::Open() {
  if (count_++ == 0) data_.reset();
}

void TExClipboard::Close() {
  if (count_ == 0 || --count_ > 0 || !data_) return;
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (data_->formats().isEmpty())
    clipboard->clear();
  else
    clipboard->setMimeData(data_.release());
  data_.reset();
}

void TExClipboard::Clear() {
  Open();
  Written();
  Close();
}

QMimeData& TExClipboard::Written() {
  if (!data_) data_ = std::make_unique<QMimeData>();
  return *data_;
}

void TExClipboard::SetBuffer(const QString& mimeType, const QByteArray& data) {
  Open();
  Written().setData(mimeType, data);
  Close();
}

void TExClipboard::SetAsText(const QString& text) {
  Open();
  Written().setText(text);
  Close();
}

void TExClipboard::Assign(const QImage& picture) {
  Open();
  Written().setImageData(picture);
  Close();
}

QString TExClipboard::AssignTo(QImage& picture) const {
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  if (!data || !data->hasImage()) return ExportErrors::InvalidClipboardFormat;
  picture = qvariant_cast<QImage>(data->imageData());
  return {};
}

TExClipboard& ExClipboard() {
  static TExClipboard clipboard;
  return clipboard;
}
