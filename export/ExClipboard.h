#pragma once
// The program's clipboard object: what is written between the outermost Open and its Close is
// collected in one set of formats and handed to the system clipboard at that Close, so that an
// operation writing several formats replaces the clipboard once.
#include <QImage>
#include <QString>
#include <memory>

class QMimeData;

class TExClipboard {
 public:
  TExClipboard();
  ~TExClipboard();
  TExClipboard(const TExClipboard&) = delete;
  TExClipboard& operator=(const TExClipboard&) = delete;

  // Opens; nested opens count.
  void Open();
  // Closes; the outermost close publishes what was written since the outermost open.
  void Close();
  // Empties the system clipboard.
  void Clear();
  // Puts data of the MIME type mimeType; the first write after opening empties the clipboard.
  void SetBuffer(const QString& mimeType, const QByteArray& data);
  // Puts Unicode text (paragraphs separated by LF).
  void SetAsText(const QString& text);
  // Puts a picture.
  void Assign(const QImage& picture);
  // The picture on the system clipboard into picture; "" or the message.
  QString AssignTo(QImage& picture) const;

 private:
  QMimeData& Written();

  int count_ = 0;
  std::unique_ptr<QMimeData> data_;  // collected since the first write of this open; or none
};

// The shared clipboard object, created on the first call.
TExClipboard& ExClipboard();
