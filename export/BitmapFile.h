#pragma once
// Pictures saved as BMP files.
#include <QImage>
#include <QString>

// picture written to fileName as a BMP file; "" or the message.
QString SaveBitmapFile(const QImage& picture, const QString& fileName);
