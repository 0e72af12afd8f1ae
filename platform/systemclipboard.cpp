#include "platform/systemclipboard.h"

#include "platform/clipboardreader.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImageReader>
#include <QMimeData>

#include <algorithm>
#include <cmath>
#include <new>

using namespace Qt::StringLiterals;

namespace {

bool isVector(const QString& format) {
    return format == "image/svg+xml"_L1 || format == "image/x-wmf"_L1 || format == "image/wmf"_L1 ||
           format == "image/x-emf"_L1 || format == "image/emf"_L1 || format == "application/x-msmetafile"_L1;
}

bool isDib(const QString& format) {
    return format == "image/bmp"_L1 || format == "image/x-bmp"_L1 || format == "image/x-ms-bmp"_L1;
}

bool isText(const QString& format) {
    return format == "text/plain"_L1 || format.startsWith("text/plain;"_L1);
}

// Decodes one offered form. The header is read first, so a picture above the size cap is
// refused before anything is allocated for it; a vector picture is drawn down to the cap.
QImage decode(const QByteArray& bytes, const char* hint, bool vector, Clipboard::ImageFault& fault,
              QSize& size) {
    if (bytes.isEmpty()) {
        return {};
    }
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, hint);
    // The pixel cap bounds what is allocated; the reader's own, smaller limit would turn a
    // picture inside the cap at 64 bits per pixel into an unreadable one.
    reader.setAllocationLimit(int(Clipboard::kMaxImagePixels * 8 / (1024 * 1024)));
    const QSize announced = reader.size();
    if (announced.isValid() && qint64(announced.width()) * announced.height() > Clipboard::kMaxImagePixels) {
        if (!vector) {
            fault = Clipboard::ImageFault::TooLarge;
            size = announced;
            return {};
        }
        const double scale =
            std::sqrt(double(Clipboard::kMaxImagePixels) / (double(announced.width()) * announced.height()));
        reader.setScaledSize(
            QSize(std::max(1, int(announced.width() * scale)), std::max(1, int(announced.height() * scale))));
    }
    QImage image = reader.read();
    // A header that reads well and a picture that does not: when memory for it cannot be had,
    // the picture is too large, not damaged.
    if (image.isNull() && announced.isValid() &&
        (vector ||
         QImage(reader.scaledSize().isValid() ? reader.scaledSize() : announced, QImage::Format_ARGB32)
             .isNull())) {
        fault = Clipboard::ImageFault::TooLarge;
        size = announced;
    }
    return image;
}

} // namespace

SystemClipboard::SystemClipboard(QObject* parent) : Clipboard(parent) {
    connect(QGuiApplication::clipboard(), &QClipboard::changed, this, [this](QClipboard::Mode mode) {
        if (mode == QClipboard::Clipboard) {
            ++m_changeCount;
            emit changed();
        }
    });
}

SystemClipboard::~SystemClipboard() = default;

bool SystemClipboard::offers(const QStringList& formats, Kind kind) {
    for (const QString& f : formats) {
        switch (kind) {
        case Kind::Text:
            if (isText(f)) {
                return true;
            }
            break;
        case Kind::Bitmap:
            if ((f.startsWith("image/"_L1) && !isVector(f) && !isDib(f)) ||
                f == "application/x-qt-image"_L1) {
                return true;
            }
            break;
        case Kind::Dib:
            if (isDib(f)) {
                return true;
            }
            break;
        case Kind::Metafile:
            if (isVector(f)) {
                return true;
            }
            break;
        }
    }
    return false;
}

QImage SystemClipboard::imageFrom(const QStringList& formats, const Fetch& fetch, Kind kind,
                                  ImageFault* fault, QSize* size) {
    ImageFault why = ImageFault::None;
    QSize announced;
    QImage img;
    try {
        bool vectorOffered = false;
        bool delivered = true;
        auto tryForm = [&](const QString& f, const char* hint, bool vector) {
            const std::optional<QByteArray> bytes = fetch(f);
            delivered = bytes.has_value();
            if (delivered) {
                img = decode(*bytes, hint, vector, why, announced);
            }
        };
        // A bitmap file loses the alpha channel where toolkits offer one: their PNG beside it
        // keeps the transparent parts, which are then laid on white.
        const bool pngFirst = kind == Kind::Dib && formats.contains("image/png"_L1);
        if (pngFirst) {
            tryForm(u"image/png"_s, "PNG", false);
        }
        // The form the kind names comes first: a bitmap file for the device-independent
        // bitmap, the vector form for a metafile picture.
        if ((kind == Kind::Dib && !pngFirst) || kind == Kind::Metafile) {
            for (qsizetype i = 0; img.isNull() && delivered && i < formats.size(); ++i) {
                const QString& f = formats.at(i);
                const bool vector = isVector(f);
                vectorOffered = vectorOffered || vector;
                if ((kind == Kind::Dib && isDib(f)) || (kind == Kind::Metafile && vector)) {
                    tryForm(f, kind == Kind::Dib ? "BMP" : nullptr, vector);
                }
            }
        }
        // Then a raster form offered beside it, as the bytes that were offered: their header
        // is checked before decoding.
        for (qsizetype i = 0; img.isNull() && delivered && why != ImageFault::TooLarge && i < formats.size();
             ++i) {
            const QString& f = formats.at(i);
            if ((f.startsWith("image/"_L1) && !isVector(f)) || f == "application/x-qt-image"_L1) {
                tryForm(f, isDib(f) ? "BMP" : nullptr, false);
            }
        }
        if (img.isNull() && why == ImageFault::None) {
            why = (kind == Kind::Metafile && vectorOffered) ? ImageFault::NotRenderable
                                                            : ImageFault::Unreadable;
        }
    } catch (const std::bad_alloc&) {
        img = QImage();
        why = ImageFault::TooLarge;
    }
    if (fault) {
        *fault = img.isNull() ? why : ImageFault::None;
    }
    if (size) {
        *size = img.isNull() ? announced : QSize();
    }
    return img;
}

QImage SystemClipboard::imageFrom(const QMimeData& data, Kind kind, ImageFault* fault, QSize* size) {
    QStringList formats = data.formats();
    formats.removeAll("application/x-qt-image"_L1);
    QImage img = imageFrom(
        formats, [&data](const QString& f) { return std::optional<QByteArray>(data.data(f)); }, kind, fault,
        size);
    // A picture handed over in memory (by this program, or by the toolkit).
    if (img.isNull() && data.hasImage() && (!fault || *fault != ImageFault::TooLarge)) {
        img = qvariant_cast<QImage>(data.imageData());
        if (!img.isNull() && fault) {
            *fault = ImageFault::None;
        }
    }
    return img;
}

bool SystemClipboard::has(Kind kind) {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
    if (!data) {
        return false;
    }
    if (kind == Kind::Text && data->hasText()) {
        return true;
    }
    if (kind == Kind::Bitmap && data->hasImage()) {
        return true;
    }
    return offers(data->formats(), kind);
}

bool SystemClipboard::isEmpty() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
    return !data || data->formats().isEmpty();
}

Clipboard::TextResult SystemClipboard::text(qsizetype maxBytes) {
    TextResult result;
    const QMimeData* data = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
    if (!data) {
        return result;
    }
    try {
        // The owner's own bytes where it names them UTF-8: binary data offered as text shows
        // there, where the toolkit's decoded text has turned it into replacement characters.
        const QString utf8 = u"text/plain;charset=utf-8"_s;
        std::optional<QString> text;
        if (data->hasFormat(utf8)) {
            text = ClipboardReader::decodeText(data->data(utf8));
        } else {
            text = data->text();
            if (text->contains(QChar(0))) {
                text.reset();
            }
        }
        if (!text) {
            result.binary = true;
            result.type = data->hasFormat(utf8) ? utf8 : u"text/plain"_s;
        } else if (text->size() * qsizetype(sizeof(QChar)) > maxBytes) {
            result.tooLarge = true;
        } else {
            result.text = std::move(*text);
        }
    } catch (const std::bad_alloc&) {
        result.tooLarge = true;
    }
    return result;
}

QImage SystemClipboard::image(Kind kind) {
    m_imageFault = ImageFault::Unreadable;
    const QMimeData* data = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
    if (!data) {
        return {};
    }
    return imageFrom(*data, kind, &m_imageFault, &m_imageSize);
}

void SystemClipboard::clear() {
    QGuiApplication::clipboard()->clear(QClipboard::Clipboard);
}
