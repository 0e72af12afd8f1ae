#include "storage/bmpfile.h"

#include <QBuffer>
#include <QRandomGenerator>

#include <gtest/gtest.h>

namespace {

QByteArray bmp(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(BmpFile::write(buffer, image));
    return bytes;
}

// Accepts 1000 bytes, part of a write among them, then fails like a full disk.
struct FullDevice final : QIODevice {
    FullDevice() { open(QIODevice::WriteOnly); }
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64 len) override {
        const qint64 n = std::min(len, 1000 - written);
        written += std::max<qint64>(n, 0);
        return n > 0 ? n : -1;
    }
    qint64 written = 0;
};

TEST(BmpFile, HeaderRowsPaddingAndTransparencyOnWhite) {
    // 3 pixels a row: 9 bytes, padded to 12; rows are stored bottom-up as blue, green, red.
    QImage img(3, 2, QImage::Format_RGB32);
    for (int i = 0; i < 6; ++i) {
        img.setPixel(i % 3, i / 3, qRgb(3 * i + 1, 3 * i + 2, 3 * i + 3));
    }
    const QByteArray b = bmp(img);
    ASSERT_EQ(b.size(), 54 + 2 * 12);
    // "BM", file size, pixel offset 54, a 40-byte info header, 3 x 2 with a positive (bottom-up)
    // height, 1 plane, 24 bits, uncompressed, 24 bytes of pixels.
    EXPECT_EQ(b.left(38).toHex(),
              "424d4e0000000000000036000000280000000300000002000000010018000000000018000000");
    EXPECT_EQ(b.mid(54, 12), QByteArray("\x0c\x0b\x0a\x0f\x0e\x0d\x12\x11\x10\0\0\0", 12));
    EXPECT_EQ(b.mid(66, 12), QByteArray("\x03\x02\x01\x06\x05\x04\x09\x08\x07\0\0\0", 12));

    // Transparency is laid on white.
    QImage alpha(3, 1, QImage::Format_ARGB32);
    alpha.setPixel(0, 0, qRgba(255, 0, 0, 128));  // half red
    alpha.setPixel(1, 0, qRgba(10, 20, 30, 255)); // opaque
    alpha.setPixel(2, 0, qRgba(0, 255, 0, 0));    // transparent, colour left over
    // Half red on white: 255 red, and the uncovered 127 of green and blue.
    EXPECT_EQ(bmp(alpha).mid(54, 12), QByteArray("\x7f\x7f\xff\x1e\x14\x0a\xff\xff\xff\0\0\0", 12));
}

TEST(BmpFile, EveryFormatIsWritten24BitAndReadsBackEqualAndFailuresAreTold) {
    // Several strips of rows, an odd width, and formats Qt itself would write with a palette.
    // Random colours; a format without alpha takes any bytes.
    QImage source(131, 150, QImage::Format_RGB888);
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(source.bits()), source.sizeInBytes() / 4);
    // The two formats taken as they are, and ones converted first.
    for (const QImage::Format format :
         {QImage::Format_RGB32, QImage::Format_ARGB32_Premultiplied, QImage::Format_RGB888,
          QImage::Format_Indexed8, QImage::Format_Mono}) {
        const QImage img = source.convertToFormat(format);
        const QByteArray b = bmp(img);
        EXPECT_EQ(quint64(b.size()), BmpFile::fileSize(131, 150)) << format;
        const QImage back = QImage::fromData(b, "BMP").convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(back, img.convertToFormat(QImage::Format_RGB32)) << format;
    }

    // Fails on a null picture without a byte written, on a full device and on an oversized picture.
    FullDevice full;
    EXPECT_FALSE(BmpFile::write(full, QImage()));
    EXPECT_EQ(full.written, 0);
    EXPECT_FALSE(BmpFile::write(full, source));
    EXPECT_EQ(full.written, 1000);
    // The format's sizes are 32-bit: 40000 x 40000 at 3 bytes does not fit.
    EXPECT_EQ(BmpFile::fileSize(40000, 40000), 0u);
    EXPECT_EQ(BmpFile::fileSize(0, 10), 0u);
    EXPECT_EQ(BmpFile::fileSize(16384, 16384), 54u + 16384ull * 16384 * 3);
}

} // namespace
