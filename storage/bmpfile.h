#pragma once

#include <QImage>

class QIODevice;

// Windows bitmap files as every viewer reads them: 24 bits per pixel, uncompressed, rows
// bottom-up, BITMAPINFOHEADER. BMP keeps no alpha, so transparent pixels are laid on white.
namespace BmpFile {

// Size in bytes of the file for a picture of this size; 0 when the format cannot hold it.
quint64 fileSize(int width, int height);

// Writes the picture in strips, so even a large one needs little memory besides itself.
// False on a null picture, one the format cannot hold, or the first write that fails
// (the device's error tells why).
bool write(QIODevice& out, const QImage& image);

} // namespace BmpFile
