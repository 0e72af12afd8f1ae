#include "storage/bmpfile.h"

#include <QIODevice>
#include <QtEndian>

#include <algorithm>
#include <limits>

namespace {

constexpr int kHeaderBytes = 14 + 40;
constexpr int kStripRows = 64;

qint64 rowBytes(int width) {
    return (qint64(width) * 3 + 3) / 4 * 4;
}

void put16(char* at, quint16 v) {
    qToLittleEndian(v, at);
}

void put32(char* at, quint32 v) {
    qToLittleEndian(v, at);
}

QByteArray header(const QImage& image) {
    QByteArray h(kHeaderBytes, '\0');
    char* d = h.data();
    const auto dpm = [](int v) { return quint32(v > 0 ? v : 3780); }; // 96 dpi when unknown
    d[0] = 'B';
    d[1] = 'M';
    put32(d + 2, quint32(BmpFile::fileSize(image.width(), image.height())));
    put32(d + 10, kHeaderBytes);
    put32(d + 14, 40);
    put32(d + 18, quint32(image.width()));
    put32(d + 22, quint32(image.height())); // positive: rows bottom-up
    put16(d + 26, 1);
    put16(d + 28, 24);
    put32(d + 30, 0); // no compression
    put32(d + 34, quint32(rowBytes(image.width()) * image.height()));
    put32(d + 38, dpm(image.dotsPerMeterX()));
    put32(d + 42, dpm(image.dotsPerMeterY()));
    return h;
}

bool writeAll(QIODevice& out, const QByteArray& bytes) {
    qint64 done = 0;
    while (done < bytes.size()) {
        // A short write is followed by another, so the device reports why it stopped.
        const qint64 n = out.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0) {
            return false;
        }
        done += n;
    }
    return true;
}

} // namespace

quint64 BmpFile::fileSize(int width, int height) {
    if (width <= 0 || height <= 0) {
        return 0;
    }
    const quint64 size = quint64(kHeaderBytes) + quint64(rowBytes(width)) * quint64(height);
    return size > std::numeric_limits<quint32>::max() ? 0 : size;
}

bool BmpFile::write(QIODevice& out, const QImage& image) {
    if (image.isNull() || fileSize(image.width(), image.height()) == 0) {
        return false;
    }
    const int width = image.width();
    const qint64 stride = rowBytes(width);
    // Pixels are read premultiplied: laying them on white is then adding what the alpha
    // leaves uncovered, with no rounding of our own.
    const bool opaque = image.format() == QImage::Format_RGB32;
    const bool direct = opaque || image.format() == QImage::Format_ARGB32_Premultiplied;
    if (!writeAll(out, header(image))) {
        return false;
    }
    QByteArray buffer;
    for (int end = image.height(); end > 0; end -= kStripRows) {
        const int begin = std::max(0, end - kStripRows);
        QImage strip;
        if (!direct) {
            strip =
                image.copy(0, begin, width, end - begin).convertToFormat(QImage::Format_ARGB32_Premultiplied);
            if (strip.isNull()) {
                return false;
            }
        }
        const QImage& src = direct ? image : strip;
        const int offset = direct ? begin : 0;
        buffer.fill('\0', stride * (end - begin));
        uchar* row = reinterpret_cast<uchar*>(buffer.data());
        for (int y = end - begin - 1; y >= 0; --y, row += stride) {
            const auto* px = reinterpret_cast<const QRgb*>(src.constScanLine(offset + y));
            for (int x = 0; x < width; ++x) {
                const QRgb p = px[x];
                const int uncovered = opaque ? 0 : 255 - qAlpha(p);
                row[3 * x] = uchar(qBlue(p) + uncovered);
                row[3 * x + 1] = uchar(qGreen(p) + uncovered);
                row[3 * x + 2] = uchar(qRed(p) + uncovered);
            }
        }
        if (!writeAll(out, buffer)) {
            return false;
        }
    }
    return true;
}
